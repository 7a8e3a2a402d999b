// A whole disc through every real tool, as a production run makes it: two PAL titles from ffmpeg,
// one menu page from the shipped template the application starts with, drawn by the page renderer,
// encoded by ffmpeg, given its buttons by spumux, authored by dvdauthor, packed by mkisofs and
// burned by libburn to a file standing in for a blank disc. The burned disc is then read like a
// player would read it: lsdvd for the titles, libdvdread for the menu and its buttons.

#include "Platterkit/authoring/MenuButtons.h"
#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "Platterkit/subpicture/SubpictureStreamScan.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "support/TemplateHooks.h"
#include "support/TestTitles.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/EventLoop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The application's choices, and no play target of the library's own choosing.
class EndToEndHooks : public ApplicationHooks
{
public:
    ObjectRef menuPlayJump(const DVDMenu &) const override { return nullptr; }
};

// Installed before the first test, so that the shared template library's one load reads the
// shipped folder.
class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { DVDLibraryHooks::install(std::make_shared<EndToEndHooks>()); }
    void TearDown() override { DVDLibraryHooks::install(nullptr); }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// Drawing needs a GUI application and the burner delivers its status through the event loop.
using fixtures::application;

bool toolsPresent()
{
    for (const char *tool : {"ffmpeg", "spumux", "dvdauthor", "mkisofs", "lsdvd"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    }
    return true;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The mean difference of the colour channels of two pictures of one size (0 to 255).
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                   + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * x.width() * x.height());
}

// A two-title project on the page the application installs for a 4:3 disc, in its two models.
// The editing model's titles offer a still picture for the elements that lead to them, and its
// automatic pages spread them over copies of the template's title slots. The production copy takes
// the settings and the pages and replaces the titles by ones of a single chapter, each listing the
// elements that lead to its editing title.
struct Project
{
    std::shared_ptr<DVDLibrary> editing = std::make_shared<DVDLibrary>();
    QList<std::shared_ptr<TestEditingTitle>> editingTitles;
    DVDLibraryRef dvd = std::make_shared<DVDLibrary>();
    QList<std::shared_ptr<TestTitleVideo>> titles;
};

const QColor kTitleColours[] = {QColor(220, 40, 40), QColor(40, 40, 220)};

Project makeProject(const DVDMenuRef &templatePage)
{
    Project project;
    project.editing->setAspectType(0);
    project.editing->setFormat(1);
    project.editing->setAutoMenus(true);
    project.editing->setCurrentMenu(templatePage);
    ObjectList editingTitles;
    for (const QColor &colour : kTitleColours) {
        auto title = std::make_shared<TestEditingTitle>();
        title->m_staticImage = QImage(160, 120, QImage::Format_RGB32);
        title->m_staticImage.fill(colour);
        project.editingTitles << title;
        editingTitles << title;
    }
    project.editing->setTitles(editingTitles);
    project.editing->updateDVDMenu();

    project.dvd->setFormat(project.editing->format());
    project.dvd->setAspectType(project.editing->aspectType());
    project.dvd->setMenuLoop(true);
    project.dvd->setMenus(project.editing->menus());
    ObjectList titles;
    for (qsizetype i = 0; i < project.editingTitles.size(); ++i) {
        auto title = TestTitleVideo::make(QStringLiteral("title%1").arg(i), {2.0});
        ObjectList leading;
        for (const DVDMenuRef &page : project.dvd->menus()) {
            for (const DVDMenuItemRef &item : page->items()) {
                if (item->jump().get() == project.editingTitles[i].get())
                    leading << item;
            }
        }
        title->chapter(0)->setTitles(leading);
        project.titles << title;
        titles << title;
    }
    project.dvd->setTitles(titles);
    return project;
}

// The colour at the centre of an element in a picture of the whole page.
QColor centreColour(const QImage &page, const DVDMenu &menu, const DVDMenuItem &item)
{
    const QRectF area
        = Platterkit::render::elementRectInPixels(item.frame(), menu.menuSize(), page.size());
    return page.pixelColor(area.center().toPoint());
}

bool nearColour(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(DiscEndToEnd, TwoTitlesAndATemplateMenuFromDrawingToABurnedDisc)
{
    if (!toolsPresent())
        GTEST_SKIP() << "ffmpeg, spumux, dvdauthor, mkisofs or lsdvd is missing";
    application();
    QTemporaryDir workDir;
    ASSERT_TRUE(workDir.isValid());
    const QDir work(workDir.path());

    // The project, on the page the application installs for a 4:3 disc.
    const auto templates = DVDLibraryResource::share();
    const DVDMenuRef templatePage = templates->defaultMenuForAspectType(0);
    ASSERT_NE(templatePage, nullptr)
        << "no Cartoon/10 page in " << qPrintable(kShippedTemplateFolder) << ": "
        << qPrintable(templates->lastError());
    EXPECT_EQ(templatePage->category(), QStringLiteral("Cartoon"));
    EXPECT_EQ(templatePage->name(), QStringLiteral("10"));
    const Project project = makeProject(templatePage);
    ASSERT_EQ(project.dvd->menus().size(), 1) << "two titles fit on one page";
    const DVDMenuRef page = project.dvd->menus().first();
    ASSERT_NE(page.get(), templatePage.get()) << "the page is a copy, the template stays as it was";

    // The automatic pages put the two titles into the first two slots, in order; further slots
    // stay empty, and so do previous and next on a single page.
    QList<DVDMenuItemRef> slotItems;
    for (const DVDMenuItemRef &item : page->items()) {
        if (item->isTitleSlot())
            slotItems << item;
    }
    ASSERT_GE(slotItems.size(), 2);
    for (qsizetype i = 0; i < slotItems.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(slotItems[i]->jump().get(), i < 2 ? project.editingTitles[i].get() : nullptr);
    }
    // The buttons of the disc are the elements that lead somewhere: here the two filled slots.
    qsizetype expectedButtons = 0;
    for (const DVDMenuItemRef &item : page->items())
        expectedButtons += Platterkit::MenuButtons::becomesButton(item);
    EXPECT_EQ(expectedButtons, 2);

    // The titles and the menu stream, the page drawn at its own pixel size.
    QString error;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(makeDvdStream(
            work.filePath(QStringLiteral("title%1.dvd").arg(i)), true, false, 2.0, &error))
            << qPrintable(error);
    }
    const QImage picture = page->imageAtTime(0);
    ASSERT_EQ(picture.size(), page->menuSize().toSize());
    ASSERT_EQ(picture.size(), QSize(640, 480));
    // Each filled slot shows its title's picture; an empty slot shows the background.
    for (qsizetype i = 0; i < slotItems.size(); ++i) {
        SCOPED_TRACE(i);
        const QColor centre = centreColour(picture, *page, *slotItems[i]);
        for (qsizetype t = 0; t < 2; ++t)
            EXPECT_EQ(nearColour(centre, kTitleColours[t], 8), i == t) << qPrintable(centre.name());
    }
    const QString picturePath = work.filePath(QStringLiteral("menu0.png"));
    ASSERT_TRUE(picture.save(picturePath));
    const QString menuVideo = work.filePath(QStringLiteral("menu0_source.mpg"));
    ASSERT_TRUE(makeDvdStreamFromPicture(picturePath, menuVideo, true, false, 1.0, &error))
        << qPrintable(error);

    // spumux lays the buttons into the menu stream.
    const QString menuStream = work.filePath(QStringLiteral("menu0.dvd"));
    {
        DVDMenuMake step;
        step.makeMenuDvdPathVideoWork(page, project.dvd, menuStream, menuVideo, work.path());
        step.start();
        ASSERT_TRUE(step.succeeded()) << qPrintable(step.lastError());
    }
    EXPECT_TRUE(Platterkit::programStreamHasSubpicture(menuStream));
    // The menu shows the drawn page (the subpicture is not part of the decoded picture).
    const QImage shown = firstPictureOfStream(menuStream, picture.size());
    ASSERT_FALSE(shown.isNull());
    EXPECT_LT(meanDifference(shown, picture), 12.0);
    for (qsizetype i = 0; i < 2; ++i)
        EXPECT_TRUE(nearColour(centreColour(shown, *page, *slotItems[i]), kTitleColours[i], 40));

    // dvdauthor builds the DVD-Video folder, mkisofs packs it.
    {
        DVDFSMake authoring;
        authoring.dvdWork(project.dvd, work.path());
        authoring.start();
        ASSERT_TRUE(authoring.succeeded()) << qPrintable(authoring.lastError());
    }
    const QString image = work.filePath(QStringLiteral("dvd.iso"));
    {
        DVDImageMake imaging;
        imaging.volumeWork(QStringLiteral("E2E_DISC"), work.path());
        imaging.start();
        ASSERT_TRUE(imaging.succeeded()) << qPrintable(imaging.lastError());
    }
    ASSERT_GT(QFileInfo(image).size(), 0);

    // libburn writes the image to a blank pseudo-disc.
    const QString discPath = work.filePath(QStringLiteral("blank.disc"));
    const DVDBurnDeviceRef drive = DVDBurnDevice::addPseudoDrive(discPath);
    ASSERT_NE(drive, nullptr);
    {
        DVDBurn burner;
        burner.setDevice(drive);
        ASSERT_TRUE(burner.isValid()) << qPrintable(burner.lastError());
        EXPECT_TRUE(burner.mediaIsBlank());
        EXPECT_GE(burner.mediaWritableSpace(), DVDBurn::fileSizeForFile(image));
        burner.prepareForBurn();
        ASSERT_TRUE(burner.burnISOPath(image)) << qPrintable(burner.lastError());
        // A burn that has not ended by then hangs; a slow machine needs far less.
        ASSERT_TRUE(fixtures::spinUntil(
            [&] {
                burner.progress();
                return burner.isFinished() || burner.isFailed();
            },
            60000))
            << "the burn never ended";
        EXPECT_TRUE(burner.isFinished()) << qPrintable(burner.lastError());
    }
    DVDBurnDevice::removePseudoDrive(discPath);
    const QByteArray burned = readAll(discPath);
    ASSERT_FALSE(burned.isEmpty());
    EXPECT_TRUE(burned == readAll(image))
        << "the burned disc differs from the image (" << burned.size() << " bytes burned, "
        << QFileInfo(image).size() << " in the image)";

    // The burned disc, read by lsdvd: two PAL titles of about two seconds.
    const DiscInfo info = readDisc(discPath);
    ASSERT_TRUE(info.ok) << qPrintable(info.error);
    EXPECT_EQ(info.volumeName, QStringLiteral("E2E_DISC"));
    ASSERT_EQ(info.titles.size(), 2);
    for (const DiscTitle &title : info.titles) {
        EXPECT_EQ(title.format, QStringLiteral("PAL"));
        EXPECT_EQ(title.aspect, QStringLiteral("4/3"));
        EXPECT_EQ(title.height, 576);
        EXPECT_NEAR(title.lengthSeconds, 2.0, 0.1);
    }

    // ... and by libdvdread: a PAL menu whose every navigation pack offers the page's buttons.
    const MenuOnDisc menu = readMenuOnDisc(discPath);
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.titleCount, 2);
    EXPECT_EQ(menu.menuVideoFormat, 1);
    EXPECT_GE(menu.menuProgramChains, 1);
    ASSERT_FALSE(menu.buttonCounts.isEmpty()) << "the menu stream has no navigation packs";
    for (const int count : menu.buttonCounts)
        EXPECT_EQ(count, expectedButtons);
}
