// The main window through its widgets: the new project it shows, titles added and removed through
// the open panel, the quality menu and its custom sheet, the disc type and the capacity gauge.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/NewProjectBuilder.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/CustomCapacityView.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"
#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "app/production/DiscSizeEstimate.h"
#include "support/ShellTesting.h"
#include "testsupport/MediaFixtures.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

using namespace shell_testing;

namespace {

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
    }
    void TearDown() override
    {
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    // Two 6 s clips named as a person would name them.
    QStringList twoClips()
    {
        const QString made = fixtures::MediaFixtures::shared().h264AacMp4(6);
        EXPECT_FALSE(made.isEmpty()) << fixtures::MediaFixtures::shared().lastError().toStdString();
        QStringList paths;
        for (const char *name : {"Beach.mp4", "City Lights.mp4"}) {
            const QString path = clips.filePath(QString::fromUtf8(name));
            QFile::copy(made, path);
            paths << path;
        }
        return paths;
    }

    void addTitles(const QStringList &paths)
    {
        panels.panel->files << paths;
        QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
        ASSERT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
    }

    ScopedPanels panels;
    QTemporaryDir clips;
    std::shared_ptr<MainWindowController> controller;
};

TEST_F(MainWindow, ANewProjectIsOneWidePalPageFromTemplatePage15WithItsButtonsAndNoTitles)
{
    const auto dvd = controller->dvd();
    ASSERT_EQ(dvd->menus().size(), 1);
    const auto page = dvd->menus().first();
    EXPECT_EQ(dvd->aspectType(), 1);
    EXPECT_EQ(dvd->format(), 1);
    EXPECT_EQ(dvd->dvdBitrate(), 4000);
    EXPECT_TRUE(dvd->titles().isEmpty());
    EXPECT_TRUE(DVDMenuExtention::titleItems(*page).isEmpty());

    QList<std::shared_ptr<DVDMenu>> wide;
    for (const auto &candidate : DVDLibraryResource::share()->menus())
        if (candidate->aspectType() == 1)
            wide << candidate;
    ASSERT_GT(wide.size(), 15);
    const auto buttons = DVDMenuExtention::buttonItems(*wide[15]);
    ASSERT_FALSE(buttons.isEmpty());
    EXPECT_EQ(DVDMenuExtention::buttonItems(*page).size(), buttons.size());
    EXPECT_EQ(page->menuSize(), wide[15]->menuSize());
    // The page is a copy: editing it leaves the template alone.
    EXPECT_NE(page, wide[15]);
    // Its slideshow drawer is there but not in use.
    EXPECT_TRUE(page->menu_drawer());
    EXPECT_FALSE(page->use_menu_drawer());

    EXPECT_EQ(controller->dvdQualityPopBtn()->text(), "High Quality");
    EXPECT_EQ(controller->capacityLabel()->text(), "8 MB / 4700 MB on D5");
    EXPECT_FALSE(controller->window()->isWindowModified());
    EXPECT_FALSE(controller->burnButton()->isEnabled());
    EXPECT_TRUE(controller->sourceController()->tableView()->titleRows().isEmpty());
    // The canvas shows the page itself, fitted.
    EXPECT_EQ(controller->canvasBgView()->host()->canvasPage(), page);
    EXPECT_EQ(controller->canvasBgView()->menuBgRect().size(), page->menuSize());
    saveGrab(*controller->window(), "main-window-empty");
}

// The window once made its own new project that kept the template's buttons where they stood and
// without style records, while a new document's page had them prepared: one builder now.
TEST_F(MainWindow, TheWindowsNewProjectIsTheDocumentsNewProject)
{
    const ProjectContents document = ProjectPackage::newProject();
    for (const char *when : {"at start", "after a new document"}) {
        SCOPED_TRACE(when);
        const auto page = controller->dvd()->menus().first();
        const auto expected = document.dvd->menus().first();
        ASSERT_EQ(page->items().size(), expected->items().size());
        for (qsizetype i = 0; i < page->items().size(); ++i)
            EXPECT_EQ(page->items()[i]->frame(), expected->items()[i]->frame()) << i;
        EXPECT_EQ(controller->tempDataArray().size(), document.tempDataArray.size());
        EXPECT_EQ(controller->dvd()->dvdBitrate(), document.dvd->dvdBitrate());
        controller->newDocumentProject();
    }
}

TEST_F(MainWindow, MenusHoldTheCommandsOfTheShell)
{
    QStringList menus;
    for (QAction *menu : controller->window()->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, QStringList({"Discwright", "File", "Edit", "Help"}));
    for (const char *name : {"orderFrontStandardAboutPanel:",
                             "terminate:",
                             "newDocument:",
                             "openDocument:",
                             "saveDocument:",
                             "saveDocumentAs:",
                             "revertDocumentToSaved:",
                             "addVideoAction:",
                             "delete:",
                             "discwrightHelp:"})
        EXPECT_TRUE(controller->menuAction(QString::fromUtf8(name))) << name;
    // Nothing selected: nothing to delete.
    EXPECT_FALSE(controller->menuAction("delete:")->isEnabled());
    EXPECT_TRUE(controller->menuAction("addVideoAction:")->isEnabled());
}

TEST_F(MainWindow, AddVideoListsTitlesWithNameAndTimeAndDeleteRemovesThem)
{
    const int stills = controller->canvasBgView()->redrawCount();
    addTitles(twoClips());
    SourceTableView *table = controller->sourceController()->tableView();
    ASSERT_EQ(table->titleRows().size(), 2);
    EXPECT_EQ(table->titleRows()[0]->nameText(), "Beach");
    EXPECT_EQ(table->titleRows()[0]->timeText(), "00:00:06");
    EXPECT_EQ(table->titleRows()[1]->nameText(), "City Lights");
    EXPECT_EQ(controller->dvd()->titles().size(), 2);
    EXPECT_EQ(panels.panel->titles, QStringList({"Add Video"}));
    // Each title lands on the page at its default slot, with a style record.
    const auto page = controller->dvd()->menus().first();
    const auto items = DVDMenuExtention::titleItems(*page);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->frame().topLeft(), QPointF(76, 276));
    EXPECT_EQ(items[1]->frame().topLeft(), QPointF(336, 276));
    EXPECT_EQ(items[0]->jump(), controller->sourceController()->titleArray()[0]);
    // Beside the new project's one record per button.
    EXPECT_EQ(controller->tempDataArray().size(), DVDMenuExtention::buttonItems(*page).size() + 2);
    EXPECT_TRUE(controller->hasTitleUsed());
    // The first title of an untitled project marks it edited; the page still is redrawn.
    EXPECT_TRUE(controller->window()->isWindowModified());
    EXPECT_GT(controller->canvasBgView()->redrawCount(), stills);
    EXPECT_TRUE(controller->burnButton()->isEnabled());
    saveGrab(*controller->window(), "main-window-two-titles");

    // A click on a row selects its title.
    QTest::mouseClick(table->titleRows()[0], Qt::LeftButton, {}, QPoint(150, 35));
    ASSERT_TRUE(controller->menuAction("delete:")->isEnabled());
    controller->menuAction("delete:")->trigger();
    ASSERT_EQ(table->titleRows().size(), 1);
    EXPECT_EQ(table->titleRows()[0]->nameText(), "City Lights");
    EXPECT_TRUE(controller->window()->isWindowModified());
    QTest::mouseClick(table->titleRows()[0], Qt::LeftButton, {}, QPoint(150, 35));
    controller->menuAction("delete:")->trigger();
    EXPECT_TRUE(table->titleRows().isEmpty());
    EXPECT_TRUE(controller->dvd()->titles().isEmpty());
    // Removing the last title of an untitled project clears the mark again.
    EXPECT_FALSE(controller->window()->isWindowModified());
}

TEST_F(MainWindow, TheGaugeFollowsTheTitlesOnlyWhenTheyAreOnTheDiscAndTheDiscType)
{
    addTitles(twoClips());
    const auto dvd = controller->dvd();
    const auto page = dvd->menus().first();
    const double pages = page->duration();
    const auto near = [&](double seconds) {
        const double expected = double(Discwright::DiscSizeEstimate::estimatedBytes(seconds, 4000));
        EXPECT_NEAR(double(controller->totalUsedSpace()), expected, expected * 0.01) << seconds;
    };
    // Both titles are on the page: their 12 s and the page's own time.
    near(pages + 12.0);
    // Titles that are on no page count nothing while the disc has menus.
    QList<std::shared_ptr<DVDMenuItem>> kept;
    for (const auto &item : page->items())
        if (!DVDMenuExtention::titleItems(*page).contains(item))
            kept << item;
    controller->project()->setPageItems(page, kept);
    EXPECT_EQ(controller->totalUsedSpace(),
              Discwright::DiscSizeEstimate::estimatedBytes(pages, 4000));
    // Without menus every title counts, and no page.
    controller->project()->setNoMenu(true);
    near(12.0);
    controller->dvdModelPopButton()->setCurrentIndex(1);
    controller->dvdModelChangedAction();
    EXPECT_TRUE(controller->capacityLabel()->text().endsWith("/ 8300 MB on D9"))
        << controller->capacityLabel()->text().toStdString();
    EXPECT_FLOAT_EQ(controller->capacityView()->capacityValue(),
                    float(double(controller->totalUsedSpace()) / 8.3e9));
}

TEST_F(MainWindow, QualityMenuSetsTheRateAndTheCustomSheetClampsWhatIsTyped)
{
    QMenu *menu = controller->qualityMenu();
    QStringList titles;
    for (QAction *item : menu->actions())
        if (!item->isSeparator())
            titles << item->text();
    EXPECT_EQ(
        titles,
        QStringList(
            {"Best Quality", "High Quality", "Standard", "General", "Custom Quality - (4000)"}));
    menu->actions()[0]->trigger();
    EXPECT_EQ(controller->dvd()->dvdBitrate(), 7000);
    EXPECT_EQ(controller->dvdQualityPopBtn()->text(), "Best Quality");

    menu->actions().last()->trigger();
    CustomQualityWindow *sheet = controller->customQualityWnd();
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(controller->isWindowBusy());
    EXPECT_FALSE(controller->menuAction("addVideoAction:")->isEnabled());
    EXPECT_EQ(sheet->field()->text(), "7000");
    saveGrab(*sheet, "custom-quality-sheet");

    struct Row
    {
        const char *typed;
        const char *shown;
        qint64 stored;
    };
    for (const Row &row : {Row{"9000", "9000", 7000},
                           Row{"200", "200", 1000},
                           Row{"12345", "1234", 1234},
                           Row{"12a5", "125", 1000}}) {
        SCOPED_TRACE(row.typed);
        sheet->field()->clear();
        sheet->field()->setFocus();
        QTest::keyClicks(sheet->field(), QString::fromUtf8(row.typed));
        EXPECT_EQ(sheet->field()->text(), QString::fromUtf8(row.shown));
        QTest::keyClick(sheet->field(), Qt::Key_Return);
        EXPECT_EQ(controller->customDvdBitrate(), row.stored);
        EXPECT_EQ(controller->dvd()->dvdBitrate(), row.stored);
        EXPECT_EQ(sheet->slider()->value(), row.stored);
    }
    sheet->slider()->setValue(5500);
    EXPECT_EQ(controller->dvd()->dvdBitrate(), 5500);
    EXPECT_EQ(sheet->field()->text(), "5500");
    EXPECT_EQ(sheet->sizeLabel()->text(), controller->customDvdWndSizeString());
    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(controller->dvdQualityPopBtn()->text(), "Custom Quality - (5500)");
    EXPECT_EQ(controller->selectedQualityTag(), 9999);
    EXPECT_FALSE(controller->isWindowBusy());
}

TEST_F(MainWindow, AnOpenedRateOutsideTheTableShowsThatRateNotTheLastCustomOne)
{
    controller->qualityMenu()->actions().last()->trigger();
    controller->customQualitySliderAction(6100);
    controller->finishCustomQualityWindow();
    ASSERT_EQ(controller->dvdQualityPopBtn()->text(), "Custom Quality - (6100)");

    for (const qint64 rate : {qint64(8000), qint64(3000)}) {
        const auto opened = NewProjectBuilder::build(rate);
        controller->setProject(opened.dvd, opened.tempDataArray, opened.tempDvdData);
        EXPECT_EQ(controller->customDvdBitrate(), rate);
        EXPECT_EQ(controller->selectedQualityTag(), 9999);
        EXPECT_EQ(controller->dvdQualityPopBtn()->text(),
                  QStringLiteral("Custom Quality - (%1)").arg(rate));
    }
    const auto standard = NewProjectBuilder::build(2000);
    controller->setProject(standard.dvd, standard.tempDataArray, standard.tempDvdData);
    EXPECT_EQ(controller->dvdQualityPopBtn()->text(), "Standard");
}

TEST_F(MainWindow, ThePageIsRefreshedOnlyOnTheMainThread)
{
    const int stills = controller->canvasBgView()->redrawCount();
    std::thread([&] { controller->updateDVDEditInterface(); }).join();
    EXPECT_EQ(controller->canvasBgView()->redrawCount(), stills);
    controller->updateDVDEditInterface();
    EXPECT_EQ(controller->canvasBgView()->redrawCount(), stills + 1);
}

// The gauge at the values a person reads: the colour at the tip of the fill.
TEST(CapacityGauge, FillUncoversTheGradientFromTheLeft)
{
    application();
    CustomCapacityView gauge;
    gauge.resize(410, 24);
    const QRectF track = gauge.trackRect();
    const int y = int(track.center().y());
    const auto at = [&](const QImage &image, double fraction) {
        return image.pixelColor(int(track.left() + fraction * track.width()), y);
    };
    const auto isDark = [](QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; };
    struct Row
    {
        float value;
        const char *name;
    };
    for (const Row &row : {Row{0.0f, "0"}, Row{0.5f, "0.5"}, Row{1.0f, "1"}, Row{1.3f, "1.3"}}) {
        SCOPED_TRACE(row.name);
        gauge.setCapacityValue(row.value);
        const QImage image = gauge.grab().toImage();
        image.save(QStringLiteral(DW_BINARY_DIR "/screenshots/gauge-%1.png").arg(row.name));
        const QColor left = at(image, 0.03);
        const QColor middle = at(image, 0.4);
        const QColor right = at(image, 0.97);
        if (row.value == 0.0f) {
            EXPECT_TRUE(isDark(left) && isDark(middle) && isDark(right));
            continue;
        }
        EXPECT_GT(left.green(), 150);
        EXPECT_LT(left.red(), 120);
        // Yellow-orange in the second third.
        EXPECT_GT(middle.red(), 150);
        EXPECT_GT(middle.green(), 150);
        if (row.value == 0.5f) {
            EXPECT_TRUE(isDark(right));
            EXPECT_TRUE(isDark(at(image, 0.55)));
        } else {
            EXPECT_GT(right.red(), 180);
            EXPECT_LT(right.green(), 90);
        }
    }
}

} // namespace
