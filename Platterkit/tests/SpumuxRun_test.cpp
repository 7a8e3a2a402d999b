// The menu step against the real spumux and dvdauthor: a PAL menu video made by ffmpeg gets its
// subpicture, dvdauthor takes the menu with the same button names, and libdvdread reads the
// button table back from the authored disc. Fake tools cover the failures spumux cannot be made to
// show on purpose.

#include "Platterkit/authoring/DVDAuthorXML.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "Platterkit/subpicture/SubpictureStreamScan.h"
#include "Platterkit/tools/ToolRunner.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace testing_support;

namespace {

// Media shared by every test of this program: made once by the ffmpeg program.
class Media
{
public:
    static const Media &shared()
    {
        static const Media media;
        return media;
    }
    QString menuVideo() const { return m_dir.filePath("menu_source.mpg"); }
    QString titleVideo() const { return m_dir.filePath("title_source.mpg"); }

private:
    Media()
    {
        QString error;
        EXPECT_TRUE(makeDvdStream(menuVideo(), true, false, 1, &error)) << error.toStdString();
        EXPECT_TRUE(makeDvdStream(titleVideo(), true, false, 1, &error)) << error.toStdString();
    }
    QTemporaryDir m_dir;
};

struct ScopedHooks
{
    explicit ScopedHooks(std::shared_ptr<DVDLibraryHooks> hooks)
    {
        DVDLibraryHooks::install(std::move(hooks));
    }
    ~ScopedHooks() { DVDLibraryHooks::install(nullptr); }
};

// Paints the highlight layer with more colours than a subpicture can hold: either a smooth
// gradient over the whole picture, or five solid stripes inside each button (a button may use at
// most four colours, transparency included).
class ColourfulHooks : public DVDLibraryHooks
{
public:
    explicit ColourfulHooks(bool gradient)
        : m_gradient(gradient)
    {}
    bool drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                                  QSizeF size,
                                  const QString &name,
                                  QPainter &context) const override
    {
        if (name != QLatin1String("menu_highlight"))
            return false;
        if (m_gradient) {
            QLinearGradient gradient(0, 0, size.width(), size.height());
            gradient.setColorAt(0, QColor(255, 0, 0, 40));
            gradient.setColorAt(0.5, QColor(0, 255, 0, 255));
            gradient.setColorAt(1, QColor(0, 0, 255, 120));
            context.fillRect(QRectF(QPointF(0, 0), size), gradient);
            return true;
        }
        const QColor stripes[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
        for (const SpumuxButton &button :
             DVDMenuMake::buttonsForMenuDvd(*generator.menu(), *generator.dvd())) {
            const double width = button.rect.width() / 5.0;
            for (int i = 0; i < 5; ++i) {
                context.fillRect(
                    QRectF(
                        button.rect.x() + i * width, button.rect.y(), width, button.rect.height()),
                    stripes[i]);
            }
        }
        return true;
    }

private:
    bool m_gradient;
};

// Points the tool runner at a folder of fake tools for the lifetime of the scope.
class FakeTools
{
public:
    FakeTools() { qputenv("DISCWRIGHT_TOOLS_DIR", m_dir.path().toUtf8()); }
    ~FakeTools() { qunsetenv("DISCWRIGHT_TOOLS_DIR"); }
    void addSpumux(const QByteArray &script)
    {
        QFile file(m_dir.filePath("spumux"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList buttonNames(const QString &xml)
{
    QStringList names;
    static const QRegularExpression button(QStringLiteral("<button name=\"(b\\d+)\""));
    for (const auto &match : button.globalMatch(xml))
        names << match.captured(1);
    return names;
}

QString ffprobeCodecs(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  {"-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", path});
    ffprobe.waitForFinished(30000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput());
}

class SpumuxRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(Media::shared().menuVideo()));
        dvd->setFormat(1);
        first = TestTitleVideo::make("first", {1.0});
        second = TestTitleVideo::make("second", {1.0});
        dvd->setTitles({first, second});
        menuVideo = work.filePath("menu0_source.mpg");
        ASSERT_TRUE(QFile::copy(Media::shared().menuVideo(), menuVideo));
        output = work.filePath("menu0.dvd");
    }

    // A page with two title pictures leading to the titles, a play button without a target and a
    // disabled picture that still has a target.
    DVDMenuRef addPage()
    {
        DVDMenuRef page = makeTemplatePage(3, true, 0);
        const DVDMenuItemList pictures = titleSlots(page);
        pictures[0]->setJump(first);
        pictures[1]->setJump(second);
        pictures[2]->setJump(first);
        pictures[2]->setDisabled(true);
        dvd->setMenus({page});
        return page;
    }

    bool runStep(DVDMenuMake &step, const DVDMenuRef &page)
    {
        step.makeMenuDvdPathVideoWork(page, dvd, output, menuVideo, work.path());
        step.start();
        return step.succeeded();
    }

    QStringList leftovers() const
    {
        return QDir(work.path()).entryList({"*.xml", "*.png"}, QDir::Files);
    }

    QTemporaryDir work;
    DVDLibraryRef dvd = std::make_shared<DVDLibrary>();
    std::shared_ptr<TestTitleVideo> first;
    std::shared_ptr<TestTitleVideo> second;
    QString menuVideo;
    QString output;
};

} // namespace

TEST_F(SpumuxRun, RealSpumuxAddsButtonsThatDvdauthorAndLibdvdreadSee)
{
    const DVDMenuRef page = addPage();
    DVDMenuMake step;
    ASSERT_TRUE(runStep(step, page)) << qPrintable(step.lastError());
    EXPECT_TRUE(leftovers().isEmpty()) << qPrintable(leftovers().join(' '));
    EXPECT_TRUE(ffprobeCodecs(output).contains("dvd_subtitle"))
        << qPrintable(ffprobeCodecs(output));
    EXPECT_TRUE(Platterkit::programStreamHasSubpicture(output));
    EXPECT_FALSE(Platterkit::programStreamHasSubpicture(menuVideo));
    EXPECT_GT(step.progress(), 0.9);

    // dvdauthor binds its commands to the buttons spumux laid in, by name; the disabled picture
    // is in neither list.
    const QStringList spumuxButtons = buttonNames(DVDMenuMake::xmlConfigForMenuDvd(*page, *dvd));
    EXPECT_EQ(spumuxButtons, QStringList({"b00", "b01"}));
    const QString authorXml = DVDAuthorXML(*dvd).authorContent();
    EXPECT_EQ(buttonNames(authorXml), spumuxButtons);

    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(QFile::copy(Media::shared().titleVideo(), work.filePath("title%1.dvd").arg(i)));
    QFile author(work.filePath("author.xml"));
    ASSERT_TRUE(author.open(QIODevice::WriteOnly));
    author.write(authorXml.toUtf8());
    author.close();
    const auto dvdauthor = Platterkit::ToolRunner::taskCurrentArguments(
        dvd->format(), "dvdauthor", work.path(), {"-x", "author.xml", "-o", "dvd.dvdmedia"});
    ASSERT_TRUE(dvdauthor->launch()) << qPrintable(dvdauthor->lastError());
    dvdauthor->waitUntilExit();
    ASSERT_TRUE(dvdauthor->succeeded()) << qPrintable(dvdauthor->failureDescription());
    EXPECT_FALSE(dvdauthor->standardErrorTail().contains("ERR:"));

    const QList<int> counts = readMenuOnDisc(work.filePath("dvd.dvdmedia")).buttonCounts;
    ASSERT_FALSE(counts.isEmpty());
    for (int count : counts)
        EXPECT_EQ(count, 2);
}

TEST_F(SpumuxRun, TooManyColoursFailTheStepInsteadOfPassingSilently)
{
    struct Row
    {
        const char *name;
        bool gradient;
        const char *error;
    };
    // spumux aborts on the gradient; on the stripes it says "ERR:", adds nothing and exits 0.
    const Row rows[] = {{"gradient over the picture", true, "signal 6"},
                        {"five colours in each button", false, "ERR:  Cannot pick button masks"}};
    const DVDMenuRef page = addPage();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedHooks hooks(std::make_shared<ColourfulHooks>(row.gradient));
        DVDMenuMake step;
        EXPECT_FALSE(runStep(step, page));
        EXPECT_TRUE(step.lastError().contains(row.error)) << qPrintable(step.lastError());
        // No half-made menu is left for dvdauthor to pick up.
        EXPECT_FALSE(QFile::exists(output));
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

TEST_F(SpumuxRun, MoreThanThirtySixButtonsStopBeforeSpumuxRuns)
{
    FakeTools tools;
    tools.addSpumux("touch \"" + tools.path("ran").toUtf8() + "\"; cat");
    DVDMenuItemList items;
    for (int i = 0; i < 40; ++i) {
        DVDMenuItemRef item = makeButton("play");
        item->setFrame(QRectF((i % 10) * 60, (i / 10) * 60, 50, 50));
        item->setJump(first);
        items << item;
    }
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize({640, 480});
    page->setItems(items);
    dvd->setMenus({page});
    DVDMenuMake step;
    EXPECT_FALSE(runStep(step, page));
    EXPECT_TRUE(step.lastError().contains("40 buttons")) << qPrintable(step.lastError());
    EXPECT_FALSE(QFile::exists(tools.path("ran")));
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(SpumuxRun, SpumuxGetsTheXmlPathTheVideoAndOnlyVideoFormat)
{
    FakeTools tools;
    const QByteArray record = tools.path("record").toUtf8();
    tools.addSpumux("/usr/bin/env > \"" + record + ".env\"; pwd > \"" + record
                    + ".cwd\"; echo \"$@\" > \"" + record + ".args\"; cat \"$1\" > \"" + record
                    + ".xml\"; ls > \"" + record + ".ls\"; cat");
    const DVDMenuRef page = addPage();
    DVDMenuMake step;
    // The fake copies the menu through unchanged, so no subpicture arrives and the step fails.
    EXPECT_FALSE(runStep(step, page));
    EXPECT_TRUE(step.lastError().contains("no subpicture")) << qPrintable(step.lastError());

    const QStringList env = readFile(tools.path("record.env")).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(env.contains("VIDEO_FORMAT=PAL")) << qPrintable(env.join(' '));
    for (const QString &line : env)
        EXPECT_TRUE(line.startsWith("VIDEO_FORMAT=") || line.startsWith("PWD="))
            << qPrintable(line);
    EXPECT_EQ(readFile(tools.path("record.cwd")).trimmed(), QDir(work.path()).canonicalPath());
    const QString xmlPath = readFile(tools.path("record.args")).trimmed();
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(work.path())
                                   + "/menu\\d+\\.\\d{6}\\.xml$")
                    .match(xmlPath)
                    .hasMatch())
        << qPrintable(xmlPath);
    EXPECT_EQ(readFile(tools.path("record.xml")), DVDMenuMake::xmlConfigForMenuDvd(*page, *dvd));
    const QString listing = readFile(tools.path("record.ls"));
    for (const char *layer : {"menu_highlight.png", "menu_select.png", "menu_image.png"})
        EXPECT_TRUE(listing.contains(layer)) << layer;
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(SpumuxRun, FailuresSpumuxReportsOnlyInItsMessagesOrStatus)
{
    struct Row
    {
        const char *name;
        QByteArray script;
        const char *error;
    };
    // Each fake passes a real subpicture-carrying stream through (a previous real run's output),
    // so only the status or the messages can give the failure away.
    const DVDMenuRef page = addPage();
    {
        DVDMenuMake real;
        ASSERT_TRUE(runStep(real, page)) << qPrintable(real.lastError());
    }
    const QString good = work.filePath("good.dvd");
    ASSERT_TRUE(QFile::rename(output, good));
    const QByteArray passGood = "cat > /dev/null; cat \"" + good.toUtf8() + "\"";
    const Row rows[] = {
        {"non-zero exit", passGood + "; exit 3", "status 3"},
        {"ERR line, exit 0",
         "echo 'ERR:  Cannot pick button masks' >&2; " + passGood,
         "Cannot pick button masks"},
        {"nothing added",
         "echo 'INFO: 0 subtitles added, 0 subtitles skipped' >&2; " + passGood,
         "no subpicture"},
        {"killed", "kill -9 $$", "signal 9"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeTools tools;
        tools.addSpumux(row.script);
        DVDMenuMake step;
        EXPECT_FALSE(runStep(step, page));
        EXPECT_TRUE(step.lastError().contains(row.error)) << qPrintable(step.lastError());
        EXPECT_FALSE(QFile::exists(output));
    }
    // The same pass-through with clean messages is a success.
    FakeTools tools;
    tools.addSpumux("echo 'INFO: 1 subtitles added, 0 subtitles skipped' >&2; " + passGood);
    DVDMenuMake step;
    EXPECT_TRUE(runStep(step, page)) << qPrintable(step.lastError());
}

TEST_F(SpumuxRun, MissingSpumuxIsReported)
{
    FakeTools tools;
    tools.addSpumux("exit 0");
    QFile::setPermissions(tools.path("spumux"), QFile::ReadOwner | QFile::WriteOwner);
    // Hide the installed spumux as well, so that no place has a runnable one.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    DVDMenuMake step;
    const bool made = runStep(step, addPage());
    qputenv("PATH", path);
    EXPECT_FALSE(made);
    EXPECT_TRUE(step.lastError().contains("Cannot run spumux")) << qPrintable(step.lastError());
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(SpumuxRun, CancelStopsTheRunAndBeforeStartRunsNothing)
{
    FakeTools tools;
    tools.addSpumux("touch \"" + tools.path("ran").toUtf8() + "\"; exec sleep 30");
    const DVDMenuRef page = addPage();
    {
        DVDMenuMake step;
        step.makeMenuDvdPathVideoWork(page, dvd, output, menuVideo, work.path());
        step.cancel();
        step.start();
        EXPECT_FALSE(step.succeeded());
        EXPECT_FALSE(QFile::exists(tools.path("ran")));
    }
    DVDMenuMake step;
    step.makeMenuDvdPathVideoWork(page, dvd, output, menuVideo, work.path());
    std::atomic<bool> returned = false;
    std::thread runner([&] {
        step.start();
        returned = true;
    });
    // A run that fails before spumux starts must not leave the test waiting forever.
    const bool started = fixtures::waitUntil(
        [&] { return QFile::exists(tools.path("ran")) || returned.load(); }, 60000);
    step.cancel();
    runner.join();
    EXPECT_TRUE(started && QFile::exists(tools.path("ran"))) << "spumux never started";
    EXPECT_FALSE(step.succeeded());
    EXPECT_TRUE(step.lastError().contains("cancelled")) << qPrintable(step.lastError());
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(SpumuxRun, ProgressComparesTheStreamWithTheMenuVideo)
{
    DVDMenuMake step;
    EXPECT_EQ(step.progress(), 0.0);
    const QString tiny = work.filePath("tiny.mpg");
    QFile tinyFile(tiny);
    ASSERT_TRUE(tinyFile.open(QIODevice::WriteOnly));
    tinyFile.write(QByteArray(100, 'x'));
    tinyFile.close();
    QFile half(output);
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write(QByteArray(250, 'y'));
    half.close();
    step.makeMenuDvdPathVideoWork(addPage(), dvd, output, tiny, work.path());
    // An input under 1000 bytes is measured against 1000.
    EXPECT_DOUBLE_EQ(step.progress(), 0.25);
}
