// The application's rules on the disc model, with its replacements of library operations installed
// and the template library it ships.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/DiscwrightLibraryHooks.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

using namespace app_testing;
namespace ext = DVDLibraryExtention;

const QString kResourcesFolder = QStringLiteral(DW_BINARY_DIR "/resources");

// Installed before any test runs, as the application does at start-up, so that the shared
// template library's one load reads the shipped folder.
class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        ext::install(kResourcesFolder);
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// A template page: slotCount title slots, each with a static label, then the three buttons.
DVDMenuRef makePage(int slotCount, int labelCount)
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    page->setName("10");
    page->setCategory("Cartoon");
    DVDMenuItemList items;
    for (int i = 0; i < labelCount; ++i)
        items.append(makeStaticText(QRectF(40 + i * 150, 260, 140, 30)));
    for (int i = 0; i < slotCount; ++i)
        items.append(makeTitleSlot(QRectF(40 + i * 150, 300, 140, 100)));
    items.append(makeButton("pre", QRectF(20, 20, 80, 50)));
    items.append(makeButton("next", QRectF(540, 20, 80, 50)));
    items.append(makeButton("play", QRectF(280, 20, 80, 50)));
    page->setItems(items);
    return page;
}

// A disc with one page following template.
DVDLibraryRef makeDisc(const DVDMenuRef &templatePage)
{
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setCurrentMenu(templatePage);
    dvd->setMenus({std::make_shared<DVDMenu>()});
    return dvd;
}

TEST(ApplicationHooks, ShippedLibraryLoadsInTheOldLayout)
{
    const auto hooks = DVDLibraryHooks::current();
    EXPECT_FALSE(hooks->loadNewTemplate());
    EXPECT_EQ(hooks->resourcePath(), kResourcesFolder + "/menu_template_old");
    const auto library = DVDLibraryResource::share();
    EXPECT_TRUE(library->lastError().isEmpty()) << qPrintable(library->lastError());
    EXPECT_FALSE(library->menus().isEmpty());
    EXPECT_FALSE(library->buttons().isEmpty());
}

TEST(ApplicationHooks, MissingResourcesFolderGivesNoTemplatePath)
{
    DiscwrightLibraryHooks hooks(QStringLiteral("/nonexistent/resources"));
    EXPECT_TRUE(hooks.resourcePath().isEmpty());
}

TEST(ApplicationHooks, ThumbnailShowsEveryElement)
{
    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(0);
    ASSERT_TRUE(shipped);
    const DVDMenuRef page = shipped->copyMenu();
    ASSERT_FALSE(DVDMenuExtention::titleItems(*page).isEmpty());
    for (const auto &item : page->items())
        EXPECT_TRUE(item->forceShowItem());
    // Title slots without titles are not valid; the thumbnail still draws them.
    const QImage withSlots = page->thumbnailImage();
    page->setItems(DVDMenuExtention::buttonItems(*page));
    const QImage buttonsOnly = page->thumbnailImage();
    ASSERT_FALSE(withSlots.isNull());
    EXPECT_NE(withSlots, buttonsOnly);
}

TEST(ApplicationHooks, PageArchivesBackgroundDrawModeOne)
{
    auto page = std::make_shared<DVDMenu>();
    page->setBackgroundImageDrawMode(0);
    EXPECT_EQ(page->backgroundImageDrawMode(), 1);
    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(page)), &error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error);
    const auto read = platform::objectCast<DVDMenu>(
        platform::objectFromVariant(platform::KeyedUnarchiver::unarchive(data)));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->storedBackgroundImageDrawMode(), 1);
}

TEST(ApplicationHooks, PlayButtonGetsNoJump)
{
    auto dvd = makeDisc(makePage(2, 0));
    const auto first = makeTitle(1), second = makeTitle(2);
    ext::updateDVDTitles(*dvd, {first, second});
    const auto page = dvd->menus().at(0);
    // The menu editor places the titles on the slots.
    const auto titles = DVDMenuExtention::titleItems(*page);
    ASSERT_EQ(titles.size(), 2);
    titles[0]->setJump(first);
    titles[1]->setJump(second);
    dvd->updateDVDMenu();

    ASSERT_EQ(page->libraryMenuPlayJump(), first) << "the library alone would wire play";
    EXPECT_EQ(page->menuPlayJump(), nullptr);
    const auto play = DVDMenuExtention::filterItems(*page, DVDMenuItemExtention::isPlayButtonItem);
    ASSERT_EQ(play.size(), 1);
    EXPECT_EQ(play[0]->jump(), nullptr);
}

TEST(DVDLibraryExtention, DefaultMenuForAspect)
{
    struct Row
    {
        const char *name;
        qint64 aspect;
        QSizeF size;
    };
    for (const Row &row : {Row{"16:9", 1, QSizeF(854, 480)}, Row{"4:3", 0, QSizeF(640, 480)}}) {
        SCOPED_TRACE(row.name);
        const DVDMenuRef page = DVDLibraryResourceExtention::defaultMenuForAspectType(row.aspect);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->category(), "Cartoon");
        EXPECT_EQ(page->name(), "10");
        EXPECT_EQ(page->menuSize(), row.size);
        EXPECT_EQ(page->aspectType(), row.aspect);
    }
}

TEST(DVDLibraryExtention, MenusOffAndOn)
{
    auto dvd = makeDisc(makePage(4, 4));
    dvd->setAspectType(1);
    ext::updateDVDMenuItems(*dvd);
    ASSERT_FALSE(dvd->menus().at(0)->items().isEmpty());

    ext::setIsDVDMenuDisabled(*dvd, true);
    EXPECT_EQ(dvd->currentMenu(), nullptr);
    EXPECT_TRUE(ext::isDVDMenuDisabled(*dvd));
    EXPECT_EQ(ext::maxTitleCount(*dvd), 0);
    EXPECT_TRUE(dvd->menus().at(0)->items().isEmpty()) << "menus off empties the pages";
    EXPECT_EQ(dvd->menus().at(0)->menuSize(), QSizeF());

    ext::setIsDVDMenuDisabled(*dvd, false);
    const DVDMenuRef current = dvd->currentMenu();
    ASSERT_TRUE(current);
    EXPECT_FALSE(ext::isDVDMenuDisabled(*dvd));
    EXPECT_EQ(current->category(), "Cartoon");
    EXPECT_EQ(current->name(), "10");
    EXPECT_EQ(current->menuSize(), QSizeF(854, 480));
    EXPECT_EQ(dvd->aspectType(), 1);
    EXPECT_EQ(dvd->menus().at(0)->menuSize(), QSizeF(854, 480));
    EXPECT_EQ(dvd->menus().at(0)->items().size(), current->items().size());
    EXPECT_EQ(ext::maxTitleCount(*dvd), DVDMenuExtention::maxTitleCount(*current));
}

// Switching the aspect used to install the shared library's own template page, which then took
// the project's page duration and music and handed them on to every later project.
TEST(DVDLibraryExtention, AspectSwitchKeepsTheTemplateLibraryClean)
{
    auto dvd = makeDisc(makePage(2, 0));
    auto music = std::make_shared<QObject>();
    dvd->currentMenu()->setMusic(music);
    dvd->currentMenu()->setDuration(42.0);

    ext::updateDVDAspect(*dvd, 1);
    const DVDMenuRef current = dvd->currentMenu();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->music(), music);
    EXPECT_EQ(current->duration(), 42.0);
    EXPECT_EQ(dvd->aspectType(), 1);

    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
    EXPECT_NE(shipped, current);
    EXPECT_EQ(shipped->music(), nullptr);
    EXPECT_NE(shipped->duration(), 42.0);
}

TEST(DVDLibraryExtention, AspectSwitchWithMenusOffOnlyRecordsIt)
{
    auto dvd = makeDisc(nullptr);
    ext::updateDVDAspect(*dvd, 1);
    EXPECT_EQ(dvd->currentMenu(), nullptr);
    EXPECT_EQ(dvd->aspectType(), 1);
}

TEST(DVDLibraryExtention, LabelsOfEmptySlotsOnTheLastPageAreHidden)
{
    const DVDMenuRef page = makePage(4, 4);
    const auto titles = DVDMenuExtention::titleItems(*page);
    const auto first = makeTitle(1), second = makeTitle(1);
    titles[0]->setJump(first);
    titles[1]->setJump(second);
    ext::disableTextItemForMenu(page);
    const auto texts = DVDMenuExtention::staticTextItems(*page);
    ASSERT_EQ(texts.size(), 4);
    EXPECT_FALSE(texts[0]->disabled());
    EXPECT_FALSE(texts[1]->disabled());
    EXPECT_TRUE(texts[2]->disabled());
    EXPECT_TRUE(texts[3]->disabled());
}

TEST(DVDLibraryExtention, EqualTitlesChangeOnlyTheOriginalList)
{
    auto dvd = makeDisc(makePage(2, 0));
    const auto a = makeTitle(1), b = makeTitle(3), empty = makeTitle(0);
    ext::updateDVDTitles(*dvd, {a, b});
    const DVDMenuItemList itemsBefore = dvd->menus().at(0)->items();
    ASSERT_FALSE(itemsBefore.isEmpty());

    ext::updateDVDTitles(*dvd, {a, empty, b});
    EXPECT_EQ(dvd->titles(), (ObjectList{a, b}));
    EXPECT_EQ(dvd->menus().at(0)->items(), itemsBefore) << "the pages were not rebuilt";
    EXPECT_EQ(ext::originTitleData(*dvd), (ObjectList{a, empty, b}));

    ext::updateDVDTitles(*dvd, {b});
    EXPECT_EQ(dvd->titles(), (ObjectList{b}));
    EXPECT_NE(dvd->menus().at(0)->items(), itemsBefore);
}

TEST(DVDLibraryExtention, ValidateTitlesKeepsTitlesWithClips)
{
    const auto a = makeTitle(1), none = makeTitle(0), b = makeTitle(2);
    const ObjectList valid
        = ext::validateTitles({a, none, nullptr, std::make_shared<QObject>(), b});
    EXPECT_EQ(valid, (ObjectList{a, b}));
}

TEST(DVDLibraryExtention, DefaultStandardFollowsTheLocale)
{
    struct Row
    {
        const char *locale;
        bool ntsc;
    };
    for (const Row &row : {Row{"en_GB", false},
                           Row{"de_DE", false},
                           Row{"en_US", true},
                           Row{"ja_JP", true},
                           Row{"ko_KR", true},
                           Row{"fr_CA", true},
                           Row{"zh_TW", true},
                           Row{"fr_FR", false}}) {
        SCOPED_TRACE(row.locale);
        EXPECT_EQ(ext::isDefaultUseDVDNTSC(QLocale(row.locale)), row.ntsc);
    }
}

TEST(DVDMenuExtention, TitleGrid)
{
    struct Row
    {
        const char *name;
        qsizetype index, count;
        QRectF expected;
    };
    const double third = (640.0 - 20) / 3;
    const Row rows[] = {
        {"one title fills the page", 0, 1, QRectF(5, 75, 630, 400)},
        {"five titles, first cell of 3x3", 0, 5, QRectF(5, 345, third, 130)},
        {"five titles, fifth cell of 3x3", 4, 5, QRectF(10 + third, 210, third, 130)},
        {"sixteen titles, last cell of 4x4", 15, 16, QRectF(481.25, 75, 153.75, 96.25)},
        {"no titles", 0, 0, QRectF(5, 75, 630, 400)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QRectF rect
            = DVDMenuExtention::rectForMenuItemIndex(row.index, row.count, QSizeF(640, 480));
        EXPECT_NEAR(rect.x(), row.expected.x(), 1e-9);
        EXPECT_NEAR(rect.y(), row.expected.y(), 1e-9);
        EXPECT_NEAR(rect.width(), row.expected.width(), 1e-9);
        EXPECT_NEAR(rect.height(), row.expected.height(), 1e-9);
    }
}

// More than 16 titles used to fall back to a 1 x 1 grid, putting every cell after the first below
// the page.
TEST(DVDMenuExtention, TitleGridBeyondSixteenStaysOnThePage)
{
    const QRectF page(0, 0, 640, 480);
    for (const qsizetype count : {17, 20, 25, 36}) {
        SCOPED_TRACE(count);
        for (qsizetype index = 0; index < count; ++index) {
            const QRectF cell = DVDMenuExtention::rectForMenuItemIndex(index, count, page.size());
            EXPECT_TRUE(page.contains(cell)) << "cell " << index;
            EXPECT_GT(cell.width(), 0);
        }
    }
    EXPECT_NEAR(DVDMenuExtention::rectForMenuItemIndex(0, 20, page.size()).width(), 122, 1e-9);
}

TEST(DVDMenuExtention, TextRectsInTwoColumns)
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    EXPECT_EQ(DVDMenuExtention::getTextRectWithIndex(*page, 0, 10), QRectF(50, 370, 200, 50));
    EXPECT_EQ(DVDMenuExtention::getTextRectWithIndex(*page, 5, 10), QRectF(320, 370, 200, 50));
    EXPECT_EQ(DVDMenuExtention::getTextRectWithIndex(*page, 4, 10), QRectF(50, 90, 200, 50));
}

TEST(DVDMenuExtention, ElementKinds)
{
    auto textTitle = makeTitleSlot();
    textTitle->setTextSource(std::make_shared<FakeText>());
    textTitle->setIs_text_item(true);
    struct Row
    {
        const char *name;
        DVDMenuItemRef item;
        bool title, frameTitle, textTitle, staticText, pre, next, play;
    };
    const Row rows[] = {
        {"frame title", makeTitleSlot(), true, true, false, false, false, false, false},
        {"text title", textTitle, true, false, true, false, false, false, false},
        {"static text", makeStaticText(), false, false, false, true, false, false, false},
        {"decoration", makeDecoration(), false, false, false, false, false, false, false},
        {"previous", makeButton("pre"), false, false, false, false, true, false, false},
        {"next", makeButton("next"), false, false, false, false, false, true, false},
        {"play", makeButton("play"), false, false, false, false, false, false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DVDMenuItemExtention::isTitle(*row.item), row.title);
        EXPECT_EQ(DVDMenuItemExtention::isFrameTitle(*row.item), row.frameTitle);
        EXPECT_EQ(DVDMenuItemExtention::isTextTitle(*row.item), row.textTitle);
        EXPECT_EQ(DVDMenuItemExtention::isStaticText(*row.item), row.staticText);
        EXPECT_EQ(DVDMenuItemExtention::isPreButtonItem(*row.item), row.pre);
        EXPECT_EQ(DVDMenuItemExtention::isNextButtonItem(*row.item), row.next);
        EXPECT_EQ(DVDMenuItemExtention::isPlayButtonItem(*row.item), row.play);
    }
}

TEST(DVDMenuExtention, PageLists)
{
    const DVDMenuRef page = makePage(3, 2);
    auto secondNext = makeButton("next");
    auto items = page->items();
    items.append(secondNext);
    page->setItems(items);
    EXPECT_EQ(DVDMenuExtention::titleItems(*page).size(), 3);
    EXPECT_EQ(DVDMenuExtention::staticTextItems(*page).size(), 2);
    EXPECT_EQ(DVDMenuExtention::buttonItems(*page).size(), 4);
    EXPECT_EQ(DVDMenuExtention::nextButtonItem(*page), secondNext);
    EXPECT_TRUE(DVDMenuItemExtention::isPreButtonItem(*DVDMenuExtention::preButtonItem(*page)));
    EXPECT_EQ(DVDMenuExtention::maxTitleCount(*page), 3);
    EXPECT_FALSE(DVDMenuExtention::isTextMenu(*page));
    const auto last = DVDMenuExtention::titleItems(*page).last();
    last->setTextSource(std::make_shared<FakeText>());
    last->setIs_text_item(true);
    EXPECT_TRUE(DVDMenuExtention::isTextMenu(*page));
    EXPECT_EQ(DVDMenuExtention::preButtonItem(*makePage(0, 0)->copyMenu())->frame().x(), 20);
    auto empty = std::make_shared<DVDMenu>();
    EXPECT_EQ(DVDMenuExtention::nextButtonItem(*empty), nullptr);
    EXPECT_FALSE(DVDMenuExtention::isTextMenu(*empty));
}

} // namespace
