// The production steps on real tools: dvdauthor into a DVD-Video folder, mkisofs into an image and
// libburn onto pseudo-drives, from streams ffmpeg made, read back with lsdvd and isoinfo.

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/production/BurnDVDWorkflow.h"
#include "support/ProductionFixtures.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/EventLoop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace production_fixtures;

namespace {

class BurnDVDWorkflowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::application();
        installShippedStrings();
        const QString missing = missingTool({"ffmpeg", "dvdauthor", "mkisofs", "lsdvd", "isoinfo"});
        if (!missing.isEmpty())
            GTEST_SKIP() << qPrintable(missing) << " is missing";
        ASSERT_TRUE(m_dir.isValid());
        QString error;
        m_titles = palTitles(&error);
        ASSERT_FALSE(m_titles.isEmpty()) << qPrintable(error);
        m_workflow = std::make_shared<BurnDVDWorkflow>();
        m_workflow->setPresenter(m_presenter);
        m_workflow->setTempWorkPath(path(QStringLiteral("dvd-flow.dir")));
        m_workflow->setConversionFactory([this] {
            m_conversion = std::make_shared<PreparedConversion>(m_titles, m_conversionDelayMs);
            if (!m_conversionFailure.isEmpty())
                m_conversion->failAfterFirst(m_conversionFailure);
            if (m_dropLastStream)
                m_conversion->dropLastStream();
            return m_conversion;
        });
        // The pause before a burn is for a real drive's disc to settle.
        m_workflow->setTiming({100, 5000, 1000});
    }

    void TearDown() override
    {
        for (const QString &drive : m_drives)
            DVDBurnDevice::removePseudoDrive(drive);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs a step on a production thread while this thread runs the event loop, as the
    // progress window does.
    bool runStep(const std::function<bool()> &step)
    {
        std::atomic<int> outcome = -1;
        std::thread production([&] { outcome = step() ? 1 : 0; });
        const bool ended = fixtures::spinUntil([&] { return outcome != -1; }, 180000);
        production.join();
        // What the step posted before it ended (the rating reminder) is shown too.
        QCoreApplication::processEvents();
        EXPECT_TRUE(ended);
        return outcome == 1;
    }

    QString makeIso(const QString &name, const QString &volume = QString())
    {
        const QString media = path(name + QStringLiteral(".dvdmedia"));
        const QString iso = path(name + QStringLiteral(".iso"));
        EXPECT_TRUE(runStep([&] { return m_workflow->makeMedia(discOf(m_titles), media); }))
            << qPrintable(m_workflow->lastError());
        EXPECT_TRUE(runStep([&] { return m_workflow->makeIsoName(media, iso, volume); }))
            << qPrintable(m_workflow->lastError());
        return iso;
    }

    std::shared_ptr<DVDBurn> burnerFor(const QString &file,
                                       const DVDBurnDevice::PseudoDriveOptions &options)
    {
        m_drives << file;
        auto burner = std::make_shared<DVDBurn>();
        burner->setDevice(DVDBurnDevice::addPseudoDrive(file, options));
        EXPECT_TRUE(burner->isValid());
        return burner;
    }

    QTemporaryDir m_dir;
    QList<PreparedTitle> m_titles;
    std::shared_ptr<RecordingPresenter> m_presenter = std::make_shared<RecordingPresenter>();
    std::shared_ptr<BurnDVDWorkflow> m_workflow;
    std::shared_ptr<PreparedConversion> m_conversion;
    int m_conversionDelayMs = 0;
    QString m_conversionFailure;
    bool m_dropLastStream = false;
    QStringList m_drives;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileAt(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST_F(BurnDVDWorkflowTest, TheFolderStepAuthorsTheTitlesAndLeavesNoWorkFolder)
{
    const QString destination = path(QStringLiteral("out/Holiday"));
    ASSERT_TRUE(runStep([&] { return m_workflow->makeMedia(discOf(m_titles), destination); }))
        << qPrintable(m_workflow->lastError());
    EXPECT_TRUE(m_workflow->lastError().isEmpty());
    // 90 of 100: the conversion counted, dvdauthor's share not.
    EXPECT_DOUBLE_EQ(m_workflow->progress(), 0.9);
    EXPECT_EQ(m_workflow->task(), nullptr);

    const testing_support::DiscInfo disc = readDiscApart(destination);
    ASSERT_TRUE(disc.ok) << qPrintable(disc.error);
    ASSERT_NO_FATAL_FAILURE(expectDiscTitles(disc, true, {3.0, 2.0}));
    EXPECT_EQ(disc.titles[0].chapters.size(), 3);

    // Nothing of the work is left beside the result.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("out")});
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Holiday")});
}

TEST_F(BurnDVDWorkflowTest, AnNtscDiscWithTheWarningVideoAsItsLastTitle)
{
    QString error;
    m_titles = ntscTitles(&error);
    ASSERT_FALSE(m_titles.isEmpty()) << qPrintable(error);
    const QString destination = path(QStringLiteral("NTSC"));
    ASSERT_TRUE(runStep([&] {
        return m_workflow->makeMedia(discOf(m_titles, false, true), destination);
    })) << qPrintable(m_workflow->lastError());
    const testing_support::DiscInfo disc = readDiscApart(destination);
    ASSERT_TRUE(disc.ok) << qPrintable(disc.error);
    expectDiscTitles(disc, false, {2.0, 1.0});
}

TEST_F(BurnDVDWorkflowTest, OtherRunsAndUsersFoldersAreNeverTakenOverOrRemoved)
{
    // Something already at the work path, and another run's folder in the shared fallback place.
    const QString taken = path(QStringLiteral("dvd-flow.dir"));
    ASSERT_TRUE(QDir().mkpath(taken));
    QFile own(QDir(taken).filePath(QStringLiteral("keep.txt")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();
    const QString otherRun
        = QDir(FileManagerExtention::tempFileDirectory(QStringLiteral("tessary-temp")))
              .filePath(QStringLiteral("other-run-%1.dir").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(QDir().mkpath(otherRun));

    ASSERT_TRUE(runStep([&] {
        return m_workflow->makeMedia(discOf(m_titles), path(QStringLiteral("one")));
    })) << qPrintable(m_workflow->lastError());
    EXPECT_EQ(readAll(own.fileName()), QByteArray("mine"));
    EXPECT_EQ(QDir(taken).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("keep.txt")});
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dvd-flow-1.dir"))));

    // Without a work path each step works in a fresh folder of the fallback place.
    m_workflow->setTempWorkPath(QString());
    const QString first = m_workflow->workPath();
    const QString second = m_workflow->workPath();
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).isDir());
    EXPECT_TRUE(first.contains(QStringLiteral("tessary-temp")));
    QDir().rmdir(first);
    QDir().rmdir(second);
    ASSERT_TRUE(runStep([&] {
        return m_workflow->makeMedia(discOf(m_titles), path(QStringLiteral("two")));
    })) << qPrintable(m_workflow->lastError());
    EXPECT_TRUE(QFileInfo(otherRun).isDir());
    EXPECT_TRUE(readDiscApart(path(QStringLiteral("two"))).ok);
    QDir(otherRun).removeRecursively();
}

TEST_F(BurnDVDWorkflowTest, AFailedFolderStepSaysWhyAndLeavesTheDestinationAsItWas)
{
    struct Row
    {
        const char *name;
        QString conversionFailure;
        bool dropLastStream;
        bool noConversion;
        const char *errorPart;
    };
    const std::vector<Row> rows = {
        {"the conversion fails", QStringLiteral("the disk is full"), false, false, "disk is full"},
        {"a stream is missing", QString(), true, false, "dvdauthor failed"},
        {"there is no conversion step", QString(), false, true, "no conversion step"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        m_conversionFailure = row.conversionFailure;
        m_dropLastStream = row.dropLastStream;
        if (row.noConversion)
            m_workflow->setConversionFactory(nullptr);
        const QString destination = path(QStringLiteral("out-%1").arg(row.name));
        ASSERT_TRUE(QDir().mkpath(destination));
        QFile earlier(QDir(destination).filePath(QStringLiteral("earlier.txt")));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.close();

        EXPECT_FALSE(runStep([&] { return m_workflow->makeMedia(discOf(m_titles), destination); }));
        EXPECT_TRUE(m_workflow->lastError().contains(QString::fromUtf8(row.errorPart)))
            << qPrintable(m_workflow->lastError());
        EXPECT_TRUE(QFile::exists(earlier.fileName()));
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dvd-flow.dir"))));
    }
}

TEST_F(BurnDVDWorkflowTest, ACancelBeforeTheFolderStepRunsNothing)
{
    m_workflow->cancel();
    const QString destination = path(QStringLiteral("out"));
    EXPECT_FALSE(runStep([&] { return m_workflow->makeMedia(discOf(m_titles), destination); }));
    EXPECT_TRUE(m_workflow->isCancelled());
    ASSERT_NE(m_conversion, nullptr);
    EXPECT_FALSE(m_conversion->started());
    EXPECT_FALSE(QFileInfo::exists(destination));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dvd-flow.dir"))));
}

TEST_F(BurnDVDWorkflowTest, TheImageCarriesTheDiscNameAsItsVolumeName)
{
    struct Row
    {
        const char *name;
        QString discName;
        QString volume;
    };
    const std::vector<Row> rows = {
        {"an empty name", QString(), QStringLiteral("My DVD")},
        {"a name with a space", QStringLiteral("Summer 2026"), QStringLiteral("Summer 2026")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString iso = makeIso(QString::fromUtf8(row.name), row.discName);
        EXPECT_EQ(isoVolumeName(iso), row.volume);
        const testing_support::DiscInfo disc = readDiscApart(iso);
        ASSERT_TRUE(disc.ok) << qPrintable(disc.error);
        EXPECT_EQ(disc.titles.size(), 2);
        EXPECT_DOUBLE_EQ(m_workflow->progress(), BurnDVDWorkflow::MaximumProgress);
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dvd-flow.dir"))));
}

TEST_F(BurnDVDWorkflowTest, AFailedImageStepSaysWhyAndMakesNoImage)
{
    const QString iso = path(QStringLiteral("out.iso"));
    EXPECT_FALSE(runStep([&] {
        return m_workflow->makeIsoName(path(QStringLiteral("missing.dvdmedia")), iso, QString());
    }));
    EXPECT_TRUE(m_workflow->lastError().startsWith(QStringLiteral("mkisofs failed")))
        << qPrintable(m_workflow->lastError());
    EXPECT_FALSE(QFileInfo::exists(iso));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dvd-flow.dir"))));
}

TEST_F(BurnDVDWorkflowTest, AResultNeverReplacesWhatTookItsNameDuringTheRun)
{
    // The names were free when the run chose them; by the end a person's own file and folder are
    // there. Both stay untouched and each step fails saying so.
    const QString media = path(QStringLiteral("taken.dvdmedia"));
    writeFileAt(QDir(media).filePath(QStringLiteral("notes.txt")), "mine");
    EXPECT_FALSE(runStep([&] { return m_workflow->makeMedia(discOf(m_titles), media); }));
    EXPECT_TRUE(m_workflow->lastError().contains(QStringLiteral("already")))
        << qPrintable(m_workflow->lastError());
    EXPECT_EQ(QDir(media).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("notes.txt")});

    const QString source = path(QStringLiteral("made.dvdmedia"));
    ASSERT_TRUE(runStep([&] { return m_workflow->makeMedia(discOf(m_titles), source); }))
        << qPrintable(m_workflow->lastError());
    const QString iso = path(QStringLiteral("taken.iso"));
    writeFileAt(iso, "mine");
    EXPECT_FALSE(runStep([&] { return m_workflow->makeIsoName(source, iso, QString()); }));
    EXPECT_TRUE(m_workflow->lastError().contains(QStringLiteral("already")))
        << qPrintable(m_workflow->lastError());
    EXPECT_EQ(readAll(iso), QByteArray("mine"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("dvd-flow.dir"))));
}

TEST(BurnDVDWorkflowVolumeName, IsTheDiscNameMadeFitForAnImage)
{
    struct Row
    {
        const char *name;
        QString discName;
        QString volume;
    };
    const std::vector<Row> rows = {
        {"empty", QString(), QStringLiteral("My DVD")},
        {"plain", QStringLiteral("Holiday"), QStringLiteral("Holiday")},
        {"control characters", QStringLiteral("a\tb\nc"), QStringLiteral("a_b_c")},
        {"32 bytes stay", QString(32, u'x'), QString(32, u'x')},
        {"longer is cut", QString(40, u'x'), QString(32, u'x')},
        // "é" takes two bytes: 16 of them fill the name, a 17th would split nothing.
        {"cut at a character", QString(17, u'é'), QString(16, u'é')},
        {"a pair stays whole",
         QStringLiteral("1234567890123456789012345678901") + QString::fromUtf8("😀"),
         QStringLiteral("1234567890123456789012345678901")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BurnDVDWorkflow::volumeNameForName(row.discName), row.volume);
    }
}

TEST_F(BurnDVDWorkflowTest, BurnsTheImageAndSaysSo)
{
    const QString iso = makeIso(QStringLiteral("disc"));
    const auto burner = burnerFor(path(QStringLiteral("drive.disc")), {});
    ASSERT_TRUE(runStep([&] { return m_workflow->burnDvd(iso, burner); }))
        << qPrintable(m_workflow->lastError());
    EXPECT_TRUE(m_workflow->burnSuccess());
    EXPECT_EQ(readAll(path(QStringLiteral("drive.disc"))), readAll(iso));
    EXPECT_EQ(m_presenter->alertMessages(), QStringList{QStringLiteral("DVD Burn Success")});
    EXPECT_EQ(m_presenter->ratings, 1);
    EXPECT_EQ(m_workflow->task(), nullptr);
}

TEST_F(BurnDVDWorkflowTest, ADiscSmallerThanTheImageIsNotBurned)
{
    const QString iso = makeIso(QStringLiteral("disc"));
    const auto burner = burnerFor(path(QStringLiteral("small.disc")),
                                  {DVDBurn::fileSizeForFile(iso) - 2048, false});
    EXPECT_FALSE(runStep([&] { return m_workflow->burnDvd(iso, burner); }));
    EXPECT_FALSE(m_workflow->burnSuccess());
    ASSERT_EQ(m_presenter->alerts.size(), 1u) << "the space alert and no final alert";
    EXPECT_EQ(m_presenter->alerts[0].message, QStringLiteral("DVD Disc space is not enough."));
    EXPECT_EQ(m_presenter->alerts[0].informativeText,
              QStringLiteral("you can remove some video and try again."));
    EXPECT_EQ(m_presenter->alerts[0].defaultButton, QStringLiteral("OK"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("small.disc"))));
    EXPECT_EQ(m_presenter->ratings, 0);
}

TEST_F(BurnDVDWorkflowTest, AFailedBurnOffersRetryOnlyForABlankDiscWithRoom)
{
    // A disc that takes the write but cannot be read back fails the verification.
    const QString iso = makeIso(QStringLiteral("disc"));
    const auto burner = std::make_shared<DVDBurn>();
    burner->setAllowVerify(true);
    burner->setDevice(DVDBurnDevice::pseudoDriveForAddress(QStringLiteral("stdio:/dev/null")));
    ASSERT_TRUE(burner->isValid());

    int refreshes = 0;
    m_presenter->onUpdate = [&](const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                const RecordingPresenter::Update &) {
        // Two refreshes of the sheet, then "Cancel".
        if (++refreshes == 3)
            helper->alertDidEnd(BurnDVDWorkflowAlertHelper::AlternateReturn);
    };
    EXPECT_FALSE(runStep([&] { return m_workflow->burnDvd(iso, burner); }));
    EXPECT_FALSE(m_workflow->burnSuccess());
    ASSERT_EQ(m_presenter->begun.size(), 1u);
    EXPECT_EQ(m_presenter->begun[0].message, QStringLiteral("Burn Failed"));
    EXPECT_EQ(m_presenter->begun[0].defaultButton, QStringLiteral("Retry"));
    EXPECT_EQ(m_presenter->begun[0].alternateButton, QStringLiteral("Cancel"));
    EXPECT_FALSE(m_presenter->begun[0].defaultButtonEnabled);
    ASSERT_GE(m_presenter->updates.size(), 3u);
    const bool blankWithRoom
        = burner->mediaIsBlank() && burner->mediaWritableSpace() > DVDBurn::fileSizeForFile(iso);
    for (size_t i = 1; i < m_presenter->updates.size(); ++i)
        EXPECT_EQ(m_presenter->updates[i].enabled, blankWithRoom);
    // "Cancel" ends the step with no further alert.
    EXPECT_TRUE(m_presenter->alerts.empty());
}

// A drive whose every write fails for want of room: its file is a link to /dev/full. Taking the
// link away leaves a drive that makes its file afresh, as a blank disc put in its place would.
class RetryAfterAFailedBurnTest : public BurnDVDWorkflowTest
{
protected:
    void SetUp() override
    {
        BurnDVDWorkflowTest::SetUp();
        if (IsSkipped())
            return;
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            GTEST_SKIP() << "/dev/full is missing";
        m_iso = makeIso(QStringLiteral("disc"));
        m_driveFile = path(QStringLiteral("drive.disc"));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), m_driveFile));
        m_burner = burnerFor(m_driveFile, {});
    }

    QString m_iso;
    QString m_driveFile;
    std::shared_ptr<DVDBurn> m_burner;
};

TEST_F(RetryAfterAFailedBurnTest, ARetryOnceTheDiscIsRightBurnsIt)
{
    int sheetRefreshes = 0;
    m_presenter->onUpdate = [&](const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                const RecordingPresenter::Update &update) {
        // The first refresh puts the right disc in; "Retry" once the sheet offers it.
        if (++sheetRefreshes == 1)
            EXPECT_TRUE(QFile::remove(m_driveFile));
        else if (update.enabled)
            helper->alertDidEnd(BurnDVDWorkflowAlertHelper::DefaultReturn);
        else if (sheetRefreshes > 20)
            helper->alertDidEnd(BurnDVDWorkflowAlertHelper::AlternateReturn);
    };
    ASSERT_TRUE(runStep([&] { return m_workflow->burnDvd(m_iso, m_burner); }))
        << qPrintable(m_workflow->lastError());
    EXPECT_TRUE(m_workflow->burnSuccess());
    EXPECT_TRUE(m_workflow->lastError().isEmpty()) << qPrintable(m_workflow->lastError());
    ASSERT_EQ(m_presenter->begun.size(), 1u) << "one failure, one Retry sheet";
    EXPECT_EQ(m_presenter->begun[0].message, QStringLiteral("Burn Failed"));
    EXPECT_EQ(readAll(m_driveFile), readAll(m_iso));
    EXPECT_EQ(m_presenter->alertMessages(), QStringList{QStringLiteral("DVD Burn Success")});
    EXPECT_EQ(m_presenter->ratings, 1);
    EXPECT_EQ(m_workflow->task(), nullptr);
}

TEST_F(RetryAfterAFailedBurnTest, ARetryThatFailsAgainIsReportedAsAFailure)
{
    // "Retry" on the first sheet with the same disc in; "Cancel" on the second.
    m_presenter->onUpdate = [&](const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                const RecordingPresenter::Update &) {
        helper->alertDidEnd(m_presenter->begun.size() == 1
                                ? BurnDVDWorkflowAlertHelper::DefaultReturn
                                : BurnDVDWorkflowAlertHelper::AlternateReturn);
    };
    EXPECT_FALSE(runStep([&] { return m_workflow->burnDvd(m_iso, m_burner); }));
    EXPECT_FALSE(m_workflow->burnSuccess());
    EXPECT_EQ(m_workflow->lastError(), QStringLiteral("Burn Failed"));
    ASSERT_EQ(m_presenter->begun.size(), 2u) << "the second failure asks again";
    for (const ProductionAlert &sheet : m_presenter->begun)
        EXPECT_EQ(sheet.message, QStringLiteral("Burn Failed"));
    EXPECT_TRUE(m_presenter->alerts.empty()) << "no success alert after a failed Retry";
    EXPECT_EQ(m_presenter->ratings, 0);
    EXPECT_EQ(m_workflow->task(), nullptr);
}
