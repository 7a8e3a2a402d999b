// The three production modes run headless: the progress window's controller strings the real
// steps together (dvdauthor, mkisofs, libburn on pseudo-drives) while a scripted presenter stands
// in for the window, its alerts and the file viewer.

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "app/production/ConvertProgressWindowController.h"
#include "support/ProductionFixtures.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/EventLoop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace production_fixtures;
using State = ProductionResult::State;

namespace {

const QString notBlank = QStringLiteral("The DVD isn’t blank DVD ,  please insert a blank DVD .");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class ConvertProgressTest : public ::testing::Test
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
        m_controller.setPresenter(m_presenter);
        m_controller.setTempWorkPath(path(QStringLiteral("out/temp")));
        m_controller.setWorkflowTiming({100, 5000, 1000});
        // Called on the production thread.
        m_controller.setConversionFactory([this] {
            auto conversion = std::make_shared<PreparedConversion>(m_titles, m_conversionDelayMs);
            if (!m_conversionFailure.isEmpty())
                conversion->failAfterFirst(m_conversionFailure);
            QMutexLocker locker(&m_conversionLock);
            m_conversion = conversion;
            return conversion;
        });
        // Every sample also notes which sub-step was running.
        m_presenter->onProgress = [this](double) {
            const auto workflow = m_controller.workflow();
            const auto task = workflow ? workflow->task() : nullptr;
            m_sampleTasks << (dynamic_cast<DVDImageMake *>(task.get()) ? QStringLiteral("image")
                              : dynamic_cast<DVDFSMake *>(task.get())  ? QStringLiteral("author")
                              : dynamic_cast<DVDBurn *>(task.get())    ? QStringLiteral("burn")
                              : task                                   ? QStringLiteral("convert")
                                                                       : QString());
        };
    }

    void TearDown() override
    {
        for (const QString &drive : m_drives)
            DVDBurnDevice::removePseudoDrive(drive);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    std::shared_ptr<DVDBurn> burnerFor(const QString &file,
                                       const DVDBurnDevice::PseudoDriveOptions &options)
    {
        m_drives << file;
        auto burner = std::make_shared<DVDBurn>();
        burner->setDevice(DVDBurnDevice::addPseudoDrive(file, options));
        EXPECT_TRUE(burner->isValid());
        return burner;
    }

    // Calls the controller's cancel, as the window's button does, as soon as when() holds. The
    // caller deletes the timer after the run.
    QTimer *cancelWhen(std::function<bool()> when)
    {
        auto *timer = new QTimer(&m_controller);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, when] {
            if (!m_controller.workflow() || !when())
                return;
            m_controller.cancel();
            timer->stop();
        });
        timer->start();
        return timer;
    }

    // The bar as the presenter saw it: at most 0.99 and never falling within one bar.
    void expectSteadyBar(size_t from = 0, size_t to = SIZE_MAX)
    {
        const auto &samples = m_presenter->samples;
        for (size_t i = from; i < std::min(to, samples.size()); ++i) {
            SCOPED_TRACE(i);
            EXPECT_GE(samples[i].progress, 0.0);
            EXPECT_LE(samples[i].progress, 0.99);
            if (i > from) {
                EXPECT_GE(samples[i].progress, samples[i - 1].progress);
            }
        }
    }

    QTemporaryDir m_dir;
    QList<PreparedTitle> m_titles;
    std::shared_ptr<RecordingPresenter> m_presenter = std::make_shared<RecordingPresenter>();
    ConvertProgressWindowController m_controller;
    QMutex m_conversionLock;
    std::shared_ptr<PreparedConversion> m_conversion;
    int m_conversionDelayMs = 0;
    QString m_conversionFailure;
    QStringList m_drives;
    QStringList m_sampleTasks;
};

} // namespace

TEST_F(ConvertProgressTest, FolderModeWritesRevealsAndKeepsTheUsersOwnTempFolder)
{
    // The user's own "temp" in the output folder is neither used nor removed.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("out/temp"))));
    QFile own(path(QStringLiteral("out/temp/notes.txt")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();

    const QString destination = path(QStringLiteral("out/Holiday"));
    const ProductionResult result = runToEnd(
        m_controller, [&] { return m_controller.burnMedia(discOf(m_titles), destination); });
    ASSERT_EQ(result.state, State::Done) << qPrintable(result.reason);
    EXPECT_TRUE(readDiscApart(destination).ok);
    EXPECT_EQ(m_presenter->revealed, QStringList{destination});
    EXPECT_EQ(m_presenter->ratings, 1);
    EXPECT_EQ(m_presenter->opened, 1);
    EXPECT_EQ(m_presenter->closed, 1);
    EXPECT_EQ(m_presenter->statuses, QStringList{QStringLiteral("Convert Video ...")});
    EXPECT_TRUE(m_presenter->alerts.empty());
    EXPECT_EQ(readAll(own.fileName()), QByteArray("mine"));
    EXPECT_EQ(entries(path(QStringLiteral("out"))),
              (QStringList{QStringLiteral("Holiday"), QStringLiteral("temp")}));
    EXPECT_EQ(entries(path(QStringLiteral("out/temp"))), QStringList{QStringLiteral("notes.txt")});
    EXPECT_EQ(m_controller.workflow(), nullptr);
    expectSteadyBar();
}

TEST_F(ConvertProgressTest, IsoModeStandsAtNineTenthsWhenImagingStartsAndNeverPassesTheTop)
{
    // mkisofs starts late enough for the bar to be sampled while it runs.
    SlowToolFolder tools;
    tools.install(QStringLiteral("mkisofs"), 0.7);
    const QString destination = path(QStringLiteral("out/Summer.iso"));
    const ProductionResult result = runToEnd(m_controller, [&] {
        return m_controller.burnIsoName(discOf(m_titles), destination, QStringLiteral("Summer"));
    });
    ASSERT_EQ(result.state, State::Done) << qPrintable(result.reason);
    EXPECT_EQ(isoVolumeName(destination), QStringLiteral("Summer"));
    EXPECT_EQ(readDiscApart(destination).titles.size(), 2);
    EXPECT_EQ(m_presenter->revealed, QStringList{destination});

    const qsizetype firstImaging = m_sampleTasks.indexOf(QStringLiteral("image"));
    ASSERT_GE(firstImaging, 1) << qPrintable(m_sampleTasks.join(u','));
    EXPECT_NEAR(m_presenter->samples[size_t(firstImaging)].progress, 0.9, 0.005);
    for (qsizetype i = 0; i < firstImaging; ++i)
        EXPECT_LE(m_presenter->samples[size_t(i)].progress, 0.9);
    expectSteadyBar();
    // About every 0.2 s.
    const auto &samples = m_presenter->samples;
    for (size_t i = 2; i < samples.size(); ++i)
        EXPECT_NEAR(double(samples[i].elapsedMs - samples[i - 1].elapsedMs), 200.0, 150.0);
    EXPECT_EQ(entries(path(QStringLiteral("out"))), QStringList{QStringLiteral("Summer.iso")});
}

TEST_F(ConvertProgressTest, ACancelAnywhereLeavesNoResultAndNoWorkFile)
{
    struct Row
    {
        const char *name;
        int mode; // 0 folder, 1 image, 2 disc
        const char *slowTool;
        const char *cancelIn; // the sub-step running when the cancel comes
    };
    const std::vector<Row> rows = {
        {"in the titles", 0, nullptr, "convert"},
        {"in dvdauthor", 0, "dvdauthor", "author"},
        {"in mkisofs", 1, "mkisofs", "image"},
        {"in the burn", 2, nullptr, "burn"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SlowToolFolder tools;
        if (row.slowTool)
            tools.install(QString::fromUtf8(row.slowTool), 1.5);
        m_conversionDelayMs = row.mode == 0 && !row.slowTool ? 1500 : 0;
        m_presenter->clearRecords();
        m_sampleTasks.clear();
        std::shared_ptr<DVDBurn> burner;
        if (row.mode == 2)
            burner = burnerFor(path(QStringLiteral("drive.disc")), {});
        const QString step = QString::fromUtf8(row.cancelIn);
        QTimer *canceller = cancelWhen([&] {
            if (step == QStringLiteral("convert")) {
                QMutexLocker locker(&m_conversionLock);
                return m_conversion && m_conversion->started();
            }
            if (step == QStringLiteral("burn"))
                return burner && burner->burnFileSize() > 0;
            return row.slowTool && tools.started(QString::fromUtf8(row.slowTool));
        });

        const QString destination
            = path(row.mode == 1 ? QStringLiteral("out/x.iso") : QStringLiteral("out/x"));
        ProductionResult result;
        if (row.mode == 2)
            result = runToEnd(m_controller, [&] {
                return m_controller.burnDvdName(discOf(m_titles), burner, QString());
            });
        else if (row.mode == 1)
            result = runToEnd(m_controller, [&] {
                return m_controller.burnIsoName(discOf(m_titles), destination, QString());
            });
        else
            result = runToEnd(m_controller, [&] {
                return m_controller.burnMedia(discOf(m_titles), destination);
            });
        delete canceller;
        EXPECT_EQ(result.state, State::Cancelled) << qPrintable(result.reason);
        EXPECT_TRUE(m_controller.isCancelled());
        EXPECT_FALSE(QFileInfo::exists(destination));
        EXPECT_TRUE(m_presenter->revealed.isEmpty());
        EXPECT_TRUE(entries(path(QStringLiteral("out"))).isEmpty())
            << qPrintable(entries(path(QStringLiteral("out"))).join(u','));
        if (row.mode == 2) {
            // The burn stopped, and the user hears that it did not finish.
            EXPECT_EQ(m_presenter->alertMessages(), QStringList{QStringLiteral("DVD Burn Failed")});
            EXPECT_EQ(m_presenter->ratings, 0);
            QFile::remove(path(QStringLiteral("drive.disc")));
        } else {
            EXPECT_TRUE(m_presenter->alerts.empty());
        }
        expectSteadyBar();
    }
}

TEST_F(ConvertProgressTest, TwoCopiesOnAWriteOnceDriveWaitForTheNextBlankDisc)
{
    const QString drive = path(QStringLiteral("drive.disc"));
    const auto burner = burnerFor(drive, {0, true});
    m_controller.setBurnDVDTimes(2);
    QByteArray image;
    int notBlankSeen = 0;
    m_presenter->onUpdate = [&](const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                const RecordingPresenter::Update &update) {
        if (image.isEmpty())
            image = readAll(m_controller.tempWorkPath() + QStringLiteral("/dvd.iso"));
        if (update.text == notBlank && ++notBlankSeen == 2) {
            // The user takes the first disc out.
            EXPECT_TRUE(QFile::rename(drive, path(QStringLiteral("disc1"))));
        }
        if (update.enabled)
            helper->alertDidEnd(BurnDVDWorkflowAlertHelper::DefaultReturn);
    };

    const ProductionResult result = runToEnd(m_controller, [&] {
        return m_controller.burnDvdName(discOf(m_titles), burner, QStringLiteral("Copies"));
    });
    ASSERT_EQ(result.state, State::Done) << qPrintable(result.reason);
    EXPECT_EQ(result.discsBurned, 2);

    ASSERT_FALSE(image.isEmpty());
    EXPECT_EQ(readAll(path(QStringLiteral("disc1"))), image);
    EXPECT_EQ(readAll(drive), image);
    EXPECT_EQ(isoVolumeName(drive), QStringLiteral("Copies"));
    ASSERT_EQ(m_presenter->begun.size(), 1u);
    EXPECT_EQ(m_presenter->begun[0].message, QStringLiteral("Burn DVD"));
    EXPECT_EQ(m_presenter->begun[0].defaultButton, QStringLiteral("Burn"));
    EXPECT_EQ(m_presenter->begun[0].alternateButton, QStringLiteral("Cancel"));
    // Refreshed once a second: not blank until the disc is taken out, then ready.
    QStringList texts;
    for (const auto &update : m_presenter->updates)
        texts << update.text;
    ASSERT_GE(texts.size(), 3);
    EXPECT_EQ(texts.mid(0, 2), (QStringList{notBlank, notBlank}));
    EXPECT_EQ(texts.last(), QStringLiteral("Ready to Burn"));
    EXPECT_TRUE(m_presenter->updates.back().enabled);
    for (size_t i = 0; i + 1 < m_presenter->updates.size(); ++i)
        EXPECT_FALSE(m_presenter->updates[i].enabled);
    EXPECT_EQ(
        m_presenter->alertMessages(),
        (QStringList{QStringLiteral("DVD Burn Success"), QStringLiteral("DVD Burn Success")}));
    EXPECT_EQ(m_presenter->statuses,
              (QStringList{QStringLiteral("Convert Video ..."), QStringLiteral("Burn DVD ...")}));
    EXPECT_TRUE(m_presenter->revealed.isEmpty());
    EXPECT_TRUE(entries(path(QStringLiteral("out"))).isEmpty());
}

TEST_F(ConvertProgressTest, ADriveSmallerThanTheImageBurnsNothing)
{
    const QString drive = path(QStringLiteral("drive.disc"));
    // Far too small for the image of two titles.
    const auto burner = burnerFor(drive, {64 * 2048, false});
    m_controller.setBurnDVDTimes(2);
    const ProductionResult result = runToEnd(m_controller, [&] {
        return m_controller.burnDvdName(discOf(m_titles), burner, QString());
    });
    EXPECT_EQ(result.state, State::Failed);
    EXPECT_EQ(result.reason, QStringLiteral("DVD Disc space is not enough."));
    EXPECT_EQ(result.discsBurned, 0);
    ASSERT_EQ(m_presenter->alerts.size(), 1u);
    EXPECT_EQ(m_presenter->alerts[0].message, QStringLiteral("DVD Disc space is not enough."));
    EXPECT_EQ(m_presenter->alerts[0].informativeText,
              QStringLiteral("you can remove some video and try again."));
    EXPECT_TRUE(m_presenter->begun.empty()) << "no copies are asked for";
    EXPECT_FALSE(QFileInfo::exists(drive));
    EXPECT_EQ(m_presenter->ratings, 0);
}

TEST_F(ConvertProgressTest, DecliningACopyAsksToBeSureAndNoAsksForTheCopyAgain)
{
    const QString drive = path(QStringLiteral("drive.disc"));
    const auto burner = burnerFor(drive, {0, true});
    m_controller.setBurnDVDTimes(3);
    m_presenter->onUpdate = [](const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                               const RecordingPresenter::Update &) {
        helper->alertDidEnd(BurnDVDWorkflowAlertHelper::AlternateReturn);
    };
    int confirmations = 0;
    m_presenter->answerAlert = [&](const ProductionAlert &alert) -> qint64 {
        if (alert.message != QStringLiteral("Are you sure stop burning DVD ?"))
            return BurnDVDWorkflowAlertHelper::DefaultReturn;
        EXPECT_EQ(alert.defaultButton, QStringLiteral("YES"));
        EXPECT_EQ(alert.alternateButton, QStringLiteral("NO"));
        // "NO" the first time, "YES" the second.
        return ++confirmations == 1 ? BurnDVDWorkflowAlertHelper::AlternateReturn
                                    : BurnDVDWorkflowAlertHelper::DefaultReturn;
    };
    const ProductionResult result = runToEnd(m_controller, [&] {
        return m_controller.burnDvdName(discOf(m_titles), burner, QString());
    });
    EXPECT_EQ(result.state, State::Cancelled);
    EXPECT_EQ(result.discsBurned, 1);
    EXPECT_EQ(confirmations, 2);
    EXPECT_EQ(m_presenter->begun.size(), 2u) << "the same copy asked for again";
    EXPECT_EQ(m_presenter->alertMessages(),
              (QStringList{QStringLiteral("DVD Burn Success"),
                           QStringLiteral("Are you sure stop burning DVD ?"),
                           QStringLiteral("Are you sure stop burning DVD ?")}));
}

TEST_F(ConvertProgressTest, ACancelWhileWaitingForTheNextDiscClosesTheAlert)
{
    const auto burner = burnerFor(path(QStringLiteral("drive.disc")), {0, true});
    m_controller.setBurnDVDTimes(2);
    m_presenter->onUpdate = [this](const std::shared_ptr<BurnDVDWorkflowAlertHelper> &,
                                   const RecordingPresenter::Update &) { m_controller.cancel(); };
    const ProductionResult result = runToEnd(m_controller, [&] {
        return m_controller.burnDvdName(discOf(m_titles), burner, QString());
    });
    EXPECT_EQ(result.state, State::Cancelled);
    EXPECT_EQ(result.discsBurned, 1);
    EXPECT_EQ(m_presenter->begun.size(), 1u);
    EXPECT_EQ(m_presenter->dismissed, 1);
    // No confirmation is asked for a cancel.
    EXPECT_EQ(m_presenter->alertMessages(), QStringList{QStringLiteral("DVD Burn Success")});
    EXPECT_TRUE(entries(path(QStringLiteral("out"))).isEmpty());
}

TEST_F(ConvertProgressTest, AFailedFolderRunTellsTheUserWhy)
{
    m_conversionFailure = QStringLiteral("the disk is full");
    const QString destination = path(QStringLiteral("out/x.iso"));
    const ProductionResult result = runToEnd(
        m_controller, [&] { return m_controller.burnIsoName(discOf(m_titles), destination, {}); });
    EXPECT_EQ(result.state, State::Failed);
    EXPECT_TRUE(result.reason.contains(QStringLiteral("the disk is full")));
    ASSERT_EQ(m_presenter->alerts.size(), 1u);
    EXPECT_EQ(m_presenter->alerts[0].message, QStringLiteral("The DVD folder could not be made."));
    EXPECT_TRUE(m_presenter->alerts[0].informativeText.contains(QStringLiteral("disk is full")));
    EXPECT_TRUE(m_presenter->revealed.isEmpty());
    EXPECT_TRUE(entries(path(QStringLiteral("out"))).isEmpty());
}

TEST(ConvertProgressDiscReadiness, NamesWhatIsWrongWithTheDisc)
{
    installShippedStrings();
    struct Row
    {
        const char *name;
        bool present;
        bool blank;
        qint64 writable;
        QString text;
        bool ready;
    };
    const qint64 image = 1000;
    const std::vector<Row> rows = {
        {"no disc", false, false, 0, QStringLiteral("Please insert other blank DVD ."), false},
        {"not blank", true, false, 5000, notBlank, false},
        {"exactly the image's size",
         true,
         true,
         1000,
         QStringLiteral("The DVD space not enough , please insert other DVD ."),
         false},
        {"room to spare", true, true, 1001, QStringLiteral("Ready to Burn"), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto readiness = ConvertProgressWindowController::discReadiness(
            row.present, row.blank, row.writable, image);
        EXPECT_EQ(readiness.text, row.text);
        EXPECT_EQ(readiness.ready, row.ready);
    }
}
