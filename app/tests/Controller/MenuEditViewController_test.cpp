// The menu editor: the item lists it reads from its page, the selection, paging back through main
// and sub-menu pages, the flags it loads from the disc, and its place in the main window (the page
// still, the project swap-in, the registry and the tip popover).

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/MenuEditViewController.h"
#include "app/Controller/TipViewController.h"
#include "app/View/MainView/MainWindowView.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"
#include "app/View/MenuEditView/NoMenuView.h"
#include "app/View/MenuEditView/ShapeView.h"
#include "support/AppFakes.h"
#include "support/ShellTesting.h"

#include <QAction>
#include <QCheckBox>
#include <QMainWindow>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

// The project the editor reads: a disc, its settings and style records.
class Project : public MainWindowControllerInterface
{
public:
    std::shared_ptr<DVDLibrary> dvd() const override { return disc; }
    QList<std::shared_ptr<TempEditData>> tempDataArray() const override { return records; }
    std::shared_ptr<TempDvdData> tempDvdData() const override { return settings; }
    QString pathForResourcePath(const QString &) const override { return {}; }
    MenuEditControllerInterface *menuEditController() const override { return nullptr; }
    void changeCapacityValue() override {}

    std::shared_ptr<DVDLibrary> disc = std::make_shared<DVDLibrary>();
    std::shared_ptr<TempDvdData> settings = std::make_shared<TempDvdData>();
    TempEditDataList records;
};

std::shared_ptr<DVDMenu> makePage(const DVDMenuItemList &items = {})
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    page->setItems(items);
    return page;
}

std::shared_ptr<DVDMenu> copyPage(const DVDMenu &page)
{
    return std::dynamic_pointer_cast<DVDMenu>(page.copy());
}

class MenuEditor : public ::testing::Test
{
protected:
    // The application comes first: the editor checks that it is made on the main thread.
    QApplication &app = application();
    Project project;
    MenuEditViewController editor{project};
};

// One page holding every kind of item, in a mixed order.
struct MixedPage
{
    MixedPage()
    {
        text = app_testing::makeStaticText();
        title = app_testing::makeTitleSlot();
        textTitle = app_testing::makeTitleSlot(QRectF(300, 300, 160, 120));
        textTitle->setTextSource(std::make_shared<app_testing::FakeText>());
        textTitle->setIs_text_item(true);
        decoration = app_testing::makeDecoration();
        play = app_testing::makeButton("play");
        nextWithoutJump = app_testing::makeButton("next");
        previousWithJump = app_testing::makeButton("pre");
        page = makePage(
            {play, title, text, nextWithoutJump, textTitle, previousWithJump, decoration});
        other = makePage();
        previousWithJump->setJump(other);
    }
    DVDMenuItemRef text, title, textTitle, decoration, play, nextWithoutJump, previousWithJump;
    std::shared_ptr<DVDMenu> page, other;
};

TEST_F(MenuEditor, APageWithoutItemsGivesFiveEmptyLists)
{
    const auto page = makePage();
    project.disc->setMenus({page});
    editor.updateMenuPage(page);
    EXPECT_TRUE(editor.textItemArray().isEmpty());
    EXPECT_TRUE(editor.menuItemArray().isEmpty());
    EXPECT_TRUE(editor.menuItemButtonArray().isEmpty());
    EXPECT_TRUE(editor.sourceArray().isEmpty());
    EXPECT_TRUE(editor.sourceArrayForDraw().isEmpty());
    // Before any page, too.
    MenuEditViewController fresh(project);
    EXPECT_EQ(fresh.menuPage(), nullptr);
    EXPECT_TRUE(fresh.sourceArray().isEmpty());
}

TEST_F(MenuEditor, ItemListsFollowTheKindsAndThePlayButtonSetting)
{
    MixedPage mixed;
    project.disc->setMenus({mixed.page, mixed.other});
    editor.updateMenuPage(mixed.page);
    EXPECT_EQ(editor.dvdMenuArray(), project.disc->menus());

    struct Row
    {
        const char *name;
        bool showPlay;
        DVDMenuItemList buttons;
    };
    // A button without a jump is shown only when it is the play button, and then only while the
    // disc shows it: the next button without a target is never listed.
    const QList<Row> rows = {
        {"play button shown", true, {mixed.play, mixed.previousWithJump}},
        {"play button hidden", false, {mixed.previousWithJump}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        project.settings->setDvdShowPlayButton(row.showPlay);
        const DVDMenuItemList texts = {mixed.text};
        // A text title belongs with the titles, not with the static texts.
        const DVDMenuItemList titles = {mixed.title, mixed.textTitle, mixed.decoration};
        EXPECT_EQ(editor.textItemArray(), texts);
        EXPECT_EQ(editor.menuItemArray(), titles);
        EXPECT_EQ(editor.menuItemButtonArray(), row.buttons);
        // Hit-tested: texts before titles; painted: titles under texts; buttons always on top.
        EXPECT_EQ(editor.sourceArray(), texts + titles + row.buttons);
        EXPECT_EQ(editor.sourceArrayForDraw(), titles + texts + row.buttons);
    }
}

TEST_F(MenuEditor, TextObjectsAreToldTheirItemWhenListed)
{
    MixedPage mixed;
    project.disc->setMenus({mixed.page});
    editor.updateMenuPage(mixed.page);
    mixed.text->textResource()->setMenuItem(nullptr);
    mixed.textTitle->textResource()->setMenuItem(nullptr);
    editor.textItemArray();
    EXPECT_EQ(mixed.text->textResource()->menuItem(), mixed.text);
    EXPECT_EQ(mixed.textTitle->textResource()->menuItem(), nullptr);
    editor.menuItemArray();
    EXPECT_EQ(mixed.textTitle->textResource()->menuItem(), mixed.textTitle);
}

TEST_F(MenuEditor, OnlyASingleSelectedItemIsTheCurrentItemAndAPageChangeClearsIt)
{
    MixedPage mixed;
    project.disc->setMenus({mixed.page, mixed.other});
    editor.updateMenuPage(mixed.page);
    auto record = std::make_shared<TempEditData>();
    record->setCurrentMedia(mixed.title);
    project.records = {record};

    editor.setSelectedItemArray({mixed.title, mixed.text});
    EXPECT_EQ(editor.currentItem(), nullptr);
    EXPECT_FALSE(editor.hasSelectedOneItem());

    mixed.title->setFrame(QRectF(10, 20, 200, 150));
    editor.setSelectedItemArray({mixed.title});
    EXPECT_EQ(editor.currentItem(), mixed.title);
    EXPECT_TRUE(editor.hasSelectedOneItem());
    // The selected frame title's style record remembers where it now lies.
    EXPECT_EQ(record->titleOldFrame(), QRectF(10, 20, 200, 150));

    editor.updateMenuPage(mixed.other);
    EXPECT_TRUE(editor.selectedItemArray().isEmpty());
    EXPECT_EQ(editor.currentItem(), nullptr);
}

// Two main pages; a title item on the first has two sub-menu pages.
struct PagedDisc
{
    PagedDisc()
    {
        parentTitle = app_testing::makeTitleSlot();
        main1 = makePage({parentTitle});
        main2 = makePage();
        sub1 = makePage();
        sub2 = makePage();
        sub1->setParent(parentTitle);
        sub2->setParent(parentTitle);
    }
    DVDMenuItemRef parentTitle;
    std::shared_ptr<DVDMenu> main1, main2, sub1, sub2;
};

TEST_F(MenuEditor, PagingGoesBackThroughMainPagesAndFromSubMenusToTheirTitlesPage)
{
    PagedDisc paged;
    project.disc->setMenus({paged.main1, paged.sub1, paged.main2, paged.sub2});
    const QList<std::shared_ptr<DVDMenu>> mains = {paged.main1, paged.main2};
    const QList<std::shared_ptr<DVDMenu>> subs = {paged.main1, paged.sub1, paged.sub2};

    struct Row
    {
        const char *name;
        std::shared_ptr<DVDMenu> page;
        bool main;
        bool hasLast;
        const char *image;
        std::shared_ptr<DVDMenu> back;
    };
    const QList<Row> rows = {
        {"first main page", paged.main1, true, false, "Previous 2", paged.main1},
        {"second main page", paged.main2, true, true, "Previous", paged.main1},
        {"first sub-menu page", paged.sub1, false, true, "Previous", paged.main1},
        {"second sub-menu page", paged.sub2, false, true, "Previous", paged.sub1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        editor.updateMenuPage(row.page);
        EXPECT_EQ(editor.isCurrentMenuPageMainMenu(), row.main);
        EXPECT_EQ(editor.mainMenusArray(), mains);
        EXPECT_EQ(editor.subMenusArray(), row.main ? QList<std::shared_ptr<DVDMenu>>() : subs);
        EXPECT_EQ(editor.hasLastMenu(), row.hasLast);
        EXPECT_EQ(editor.previousMenuImageName(), row.image);
        editor.previousPageAction();
        EXPECT_EQ(editor.menuPage(), row.back);
    }
}

TEST_F(MenuEditor, InNoMenuModeThePreviousImageIsAlwaysTheDisabledOne)
{
    PagedDisc paged;
    project.disc->setMenus({paged.main1, paged.main2});
    editor.updateMenuPage(paged.main2);
    editor.setNoMenu(true);
    EXPECT_TRUE(editor.hasLastMenu());
    EXPECT_EQ(editor.previousMenuImageName(), "Previous 2");

    ApplicationImage::setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
    EXPECT_EQ(editor.previousMenuImage(), ApplicationImage::imageNamed("Previous 2"));
    editor.setNoMenu(false);
    EXPECT_EQ(editor.previousMenuImage(), ApplicationImage::imageNamed("Previous"));
    EXPECT_FALSE(editor.previousMenuImage().isNull());
    ApplicationImage::setResourcesFolder(QString());
}

TEST_F(MenuEditor, ASubMenuWhoseTitleLeftEveryPageGoesBackOnlyAmongItsSiblings)
{
    PagedDisc paged;
    paged.main1->setItems({});
    project.disc->setMenus({paged.main1, paged.sub1, paged.sub2});
    editor.updateMenuPage(paged.sub1);
    const QList<std::shared_ptr<DVDMenu>> siblings = {paged.sub1, paged.sub2};
    EXPECT_EQ(editor.subMenusArray(), siblings);
    EXPECT_FALSE(editor.hasLastMenu());
    editor.previousPageAction();
    EXPECT_EQ(editor.menuPage(), paged.sub1);
}

TEST_F(MenuEditor, ShowingAPageAnnouncesThePagingStateAndRedrawsOnce)
{
    PagedDisc paged;
    project.disc->setMenus({paged.main1, paged.main2});
    const int announced = editor.pagingStateChanges();
    const int redraws = editor.canvasRedrawCount();
    editor.updateMenuPage(paged.main2);
    EXPECT_EQ(editor.pagingStateChanges(), announced + 1);
    EXPECT_EQ(editor.canvasRedrawCount(), redraws + 1);
}

TEST_F(MenuEditor, InitMenuEditItemsLoadsTheAspectAndTheNoMenuFlagFromTheDisc)
{
    struct Row
    {
        const char *name;
        qint64 aspect;
        bool noMenu;
    };
    for (const Row &row : QList<Row>{{"4:3 with menus", 0, false},
                                     {"16:9 without menus", 1, true},
                                     {"4:3 without menus", 0, true},
                                     {"16:9 with menus", 1, false}}) {
        SCOPED_TRACE(row.name);
        project.disc->setAspectType(row.aspect);
        project.disc->setNoMenu(row.noMenu);
        editor.initMenuEditItems();
        EXPECT_EQ(editor.aspectIndex(), row.aspect);
        EXPECT_EQ(editor.lastTimeAspect(), row.aspect);
        EXPECT_EQ(editor.noMenu(), row.noMenu);
        EXPECT_EQ(editor.isNoMenuViewShown(), row.noMenu);
    }
}

TEST_F(MenuEditor, APageThatLeftTheDiscIsNeverPaintedAgain)
{
    PagedDisc paged;
    project.disc->setMenus({paged.main1, paged.main2});
    editor.updateMenuPage(paged.main2);
    // The pages were rebuilt without it: the editor moves to the disc's first page.
    project.disc->setMenus({paged.main1});
    editor.displayCanvasView();
    EXPECT_EQ(editor.menuPage(), paged.main1);
    // ... or to the disc's current page, when the disc names one it holds.
    project.disc->setMenus({paged.main1, paged.main2});
    project.disc->setCurrentMenu(paged.main2);
    editor.updateMenuPage(paged.sub1);
    editor.displayCanvasView();
    EXPECT_EQ(editor.menuPage(), paged.main2);
}

// --- In the main window ---------------------------------------------------------------------------

class MenuEditorInWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
        editor = controller->menuEditController();
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override
    {
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    std::shared_ptr<MainWindowController> controller;
    MenuEditViewController *editor = nullptr;
};

TEST_F(MenuEditorInWindow, TheEditorPaintsItsPageIntoTheStill)
{
    EXPECT_EQ(ControllerFunction::menuEditController(), editor);
    EXPECT_EQ(editor->canvasView(), controller->canvasBgView());
    const auto page = controller->dvd()->menus().first();
    EXPECT_EQ(editor->menuPage(), page);
    EXPECT_EQ(editor->aspectIndex(), 1);
    EXPECT_FALSE(editor->hasLastMenu());
    EXPECT_EQ(editor->previousMenuImageName(), "Previous 2");
    // The new page's buttons: those with a jump and the shown play button, none without.
    for (const DVDMenuItemRef &button : editor->menuItemButtonArray())
        EXPECT_TRUE(button->jump() || button->buttonResource()->name().endsWith("-play"));
    EXPECT_EQ(controller->canvasBgView()->host()->canvasPage(), page);
    saveGrab(*controller->window(), "main-window-menu-editor");

    // The dialogs are not built: the registry answers null for each.
    EXPECT_EQ(ControllerFunction::buttonEditController(), nullptr);
    EXPECT_EQ(ControllerFunction::titleTextEditController(), nullptr);
    EXPECT_EQ(ControllerFunction::musiEditController(), nullptr);
    EXPECT_EQ(ControllerFunction::pictureEditController(), nullptr);
    EXPECT_EQ(ControllerFunction::settingController(), nullptr);
    EXPECT_EQ(ControllerFunction::sourceController(), controller->sourceController());
}

TEST_F(MenuEditorInWindow, ThePageRefreshShowsThePageItIsGiven)
{
    const auto first = controller->dvd()->menus().first();
    const auto second = copyPage(*first);
    controller->dvd()->setMenus({first, second});
    controller->updateDVDMenuInEdit(second);
    EXPECT_EQ(editor->menuPage(), second);
    EXPECT_TRUE(editor->hasLastMenu());
    EXPECT_EQ(controller->canvasBgView()->host()->canvasPage(), second);
    // A later refresh stays on the page the editor shows.
    controller->updateDVDEditInterface();
    EXPECT_EQ(editor->menuPage(), second);
    editor->previousPageAction();
    EXPECT_EQ(editor->menuPage(), first);
}

TEST_F(MenuEditorInWindow, OpeningAProjectLoadsTheEditorsFlagsAndShowsItsFirstPage)
{
    const auto page = copyPage(*controller->dvd()->menus().first());
    auto opened = std::make_shared<DVDLibrary>();
    opened->setAspectType(0);
    opened->setNoMenu(true);
    opened->setMenus({page});
    controller->setProject(opened, {}, std::make_shared<TempDvdData>());
    EXPECT_EQ(editor->aspectIndex(), 0);
    EXPECT_EQ(editor->lastTimeAspect(), 0);
    EXPECT_TRUE(editor->noMenu());
    EXPECT_TRUE(editor->isNoMenuViewShown());
    EXPECT_EQ(editor->menuPage(), page);
    // The cover hides the canvas.
    EXPECT_FALSE(controller->view()->noMenuView()->isHidden());
    saveGrab(*controller->window(), "main-window-no-menu");

    opened = std::make_shared<DVDLibrary>();
    opened->setAspectType(1);
    opened->setMenus({copyPage(*page)});
    controller->setProject(opened, {}, std::make_shared<TempDvdData>());
    EXPECT_FALSE(editor->isNoMenuViewShown());
    EXPECT_EQ(editor->menuPage(), opened->menus().first());
    EXPECT_TRUE(controller->view()->noMenuView()->isHidden());
}

TEST_F(MenuEditorInWindow, TheNoMenuBoxCoversTheCanvasAndTheListTakesTheKeyboard)
{
    // A press on the canvas takes the keyboard from the list.
    QTest::mouseClick(editor->shapeView(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(editor->firstResponderInSource());
    QCheckBox *box = controller->view()->noMenuCheckBox();
    box->click();
    EXPECT_TRUE(controller->dvd()->noMenu());
    EXPECT_TRUE(editor->isNoMenuViewShown());
    EXPECT_FALSE(controller->view()->noMenuView()->isHidden());
    EXPECT_TRUE(editor->firstResponderInSource()) << "Delete acts on the list";
    EXPECT_FALSE(controller->view()->previousPageButton()->isEnabled());
    saveGrab(*controller->window(), "main-window-no-menu-box");
    box->click();
    EXPECT_FALSE(controller->dvd()->noMenu());
    EXPECT_TRUE(controller->view()->noMenuView()->isHidden());
}

TEST_F(MenuEditorInWindow, ThePreviousPageButtonAndCommandGoBack)
{
    const auto first = controller->dvd()->menus().first();
    const auto second = copyPage(*first);
    controller->dvd()->setMenus({first, second});
    controller->updateDVDMenuInEdit(second);
    QAction *back = controller->menuAction("backToMainMenuAction:");
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_TRUE(controller->view()->previousPageButton()->isEnabled());
    back->trigger();
    EXPECT_EQ(editor->menuPage(), first);
    EXPECT_FALSE(back->isEnabled());
    EXPECT_FALSE(controller->view()->previousPageButton()->isEnabled());
}

TEST_F(MenuEditorInWindow, TheTipButtonShowsTheTipViewInThePopover)
{
    TipViewController *tip = controller->tipController();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(TipViewController::nibName(), "TipViewController");
    EXPECT_EQ(tip->view()->objectName(), "TipViewController");
    EXPECT_FALSE(controller->tipPopover()->isVisible());
    QTest::mouseClick(controller->tipButton(), Qt::LeftButton);
    ASSERT_TRUE(runUntil([&] { return controller->tipPopover()->isVisible(); }));
    EXPECT_TRUE(controller->tipPopover()->isAncestorOf(tip->view()));
    EXPECT_TRUE(tip->view()->isVisible());
    saveGrab(*controller->tipPopover(), "main-window-tip");
    controller->tipPopover()->hide();
}

} // namespace
