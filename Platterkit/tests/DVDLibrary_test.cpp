#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

ObjectList makeTitles(int count)
{
    ObjectList titles;
    for (int i = 1; i <= count; ++i)
        titles.append(TestTitleVideo::make(QString::number(i)));
    return titles;
}

// The title number (1-based position in titles) each title slot leads to, "-" for none, pages
// separated by " | ": "1 2 3 | 4 - -".
QString slotMap(const DVDLibrary &library)
{
    QStringList pages;
    for (const auto &page : library.menus()) {
        QStringList slotsText;
        for (const auto &item : titleSlots(page)) {
            const qsizetype index = platform::indexOfObject(library.titles(), item->jump());
            slotsText.append(index < 0 ? QStringLiteral("-") : QString::number(index + 1));
        }
        pages.append(slotsText.isEmpty() ? QStringLiteral("(empty)") : slotsText.join(u' '));
    }
    return pages.join(QStringLiteral(" | "));
}

// Where the page's button of that type ("pre", "next", "play") leads.
ObjectRef jumpOf(const DVDMenuRef &page, const char *type)
{
    return page->buttonForButtonType(QString::fromLatin1(type))->jump();
}

// Every jump of every element of the library's pages leads to a title, a page of menus, or nowhere.
void expectNoDanglingJumps(const DVDLibrary &library)
{
    for (const auto &page : library.menus()) {
        for (const auto &item : page->items()) {
            const ObjectRef target = item->jump();
            if (!target || library.titles().contains(target))
                continue;
            if (std::dynamic_pointer_cast<DVDMenu>(target)) {
                EXPECT_GE(library.indexOfMenu(target), 0) << "an element leads to a removed page";
            }
        }
        if (const ObjectRef parent = page->parent()) {
            EXPECT_TRUE(library.menuForItem(parent)) << "a sub-page's parent element is on no page";
        }
    }
}

TEST(DVDLibrary, DerivedValues)
{
    const struct
    {
        qint64 format;
        QSize size;
        std::pair<double, double> timebase;
    } rows[] = {
        {0, {720, 480}, {1001.0, 30000.0}},
        {1, {720, 576}, {1.0, 25.0}},
        {2, {720, 480}, {1001.0, 30000.0}},
        {-1, {720, 480}, {1001.0, 30000.0}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.format);
        DVDLibrary library;
        library.setFormat(row.format);
        EXPECT_EQ(library.dvdVideoSize(), row.size);
        EXPECT_EQ(library.dvdVideoTimebase(), row.timebase);
    }
    DVDMenu wide;
    wide.setMenuSize(QSizeF(854, 480));
    DVDMenu narrow;
    narrow.setMenuSize(QSizeF(640, 480));
    EXPECT_EQ(DVDLibrary::menuSizeForMenu(&wide), QSizeF(854, 480));
    EXPECT_EQ(DVDLibrary::menuSizeForMenu(&narrow), QSizeF(640, 480));
    EXPECT_EQ(DVDLibrary::menuSizeForMenu(nullptr), QSizeF(640, 480));
}

TEST(DVDLibrary, NewLibraryHasEverythingOff)
{
    DVDLibrary library;
    EXPECT_FALSE(library.autoMenus());
    EXPECT_FALSE(library.noMenu());
    EXPECT_EQ(library.currentMenu(), nullptr);
    EXPECT_TRUE(library.menus().isEmpty());
    EXPECT_EQ(library.aspectType(), 0);
    EXPECT_EQ(library.autoPlayVideos(), 0);
    EXPECT_FALSE(library.allCoderKeys().contains(QStringLiteral("autoMenus")));
    EXPECT_EQ(library.allCoderKeys().size(), 16);
}

TEST(DVDLibrary, CustomStoreNeverChangesAHandedOutDictionary)
{
    DVDLibrary library;
    EXPECT_FALSE(library.objectForKey(QStringLiteral("a")).isValid());
    library.setObjectForKey(QStringLiteral("one"), QStringLiteral("a"));
    const QVariantMap before = library.customDataStorage();
    library.setObjectForKey(2, QStringLiteral("b"));
    EXPECT_EQ(before.size(), 1);
    EXPECT_EQ(library.customDataStorage().size(), 2);
    EXPECT_EQ(library.objectForKey(QStringLiteral("a")).toString(), QStringLiteral("one"));

    library.setObjectForKey(QVariant(), QStringLiteral("a"));
    EXPECT_FALSE(library.customDataStorage().contains(QStringLiteral("a")))
        << "nil removes the key";
    library.setObjectForKey(QVariant::fromValue(ObjectRef()), QStringLiteral("b"));
    EXPECT_TRUE(library.customDataStorage().isEmpty()) << "a null object removes the key too";

    const ObjectList titles = makeTitles(2);
    library.setObjectForKey(QVariant::fromValue(titles), QStringLiteral("originTitleData"));
    EXPECT_EQ(library.objectForKey(QStringLiteral("originTitleData")).value<ObjectList>(), titles);
}

// --- Pagination ----------------------------------------------------------------------------

struct PaginationRow
{
    const char *name;
    int titles;
    QList<int> existingPageSlots; // title slots of each page already in menus (-1: no elements)
    int templateSlots;            // -1: no template page
    QString expected;             // slotMap after updateDVDMenu
};

TEST(DVDLibraryPagination, SpreadsTitlesOverPages)
{
    const PaginationRow rows[] = {
        {"seven titles over three slots", 7, {3}, 3, "1 2 3 | 4 5 6 | 7 - -"},
        {"exactly one full page", 3, {3}, 3, "1 2 3"},
        {"one title over", 4, {3}, 3, "1 2 3 | 4 - -"},
        {"no titles keeps exactly one page", 0, {3, 3, 3}, 3, "- - -"},
        {"no pages and no titles takes one template copy", 0, {}, 2, "- -"},
        {"no pages yet", 5, {}, 2, "1 2 | 3 4 | 5 -"},
        {"surplus pages are removed", 2, {3, 3, 3, 3}, 3, "1 2 -"},
        {"existing pages keep their own slot counts", 6, {1, 4}, 3, "1 | 2 3 4 5 | 6 - -"},
        {"an empty page stays and takes no title", 2, {-1, 3}, 3, "(empty) | 1 2 -"},
        {"a page of buttons only takes no title", 2, {0, 3}, 3, "(empty) | 1 2 -"},
        {"no template: titles beyond the pages stay unplaced", 7, {3}, -1, "1 2 3"},
        {"template without a title slot: titles stay unplaced", 5, {3}, 0, "1 2 3"},
        {"no template and no pages", 3, {}, -1, ""},
    };
    for (const PaginationRow &row : rows) {
        SCOPED_TRACE(row.name);
        DVDLibrary library;
        library.setAutoMenus(true);
        library.setTitles(makeTitles(row.titles));
        if (row.templateSlots >= 0)
            library.setCurrentMenu(makeTemplatePage(row.templateSlots));
        DVDMenuList pages;
        for (int slotCount : row.existingPageSlots) {
            auto page = makeTemplatePage(std::max(slotCount, 0));
            if (slotCount < 0)
                page->setItems({});
            pages.append(page);
        }
        library.setMenus(pages);

        library.updateDVDMenu();

        EXPECT_EQ(slotMap(library), row.expected);
        expectNoDanglingJumps(library);
        // Pages that were there first keep their identity.
        for (qsizetype i = 0; i < std::min(pages.size(), library.menus().size()); ++i)
            EXPECT_EQ(library.menus()[i], pages[i]);
    }
}

TEST(DVDLibraryPagination, NewPagesAreWiredAsAChain)
{
    DVDLibrary library;
    library.setAutoMenus(true);
    library.setTitles(makeTitles(7));
    library.setCurrentMenu(makeTemplatePage(3));
    library.setMenus({makeTemplatePage(3)});
    library.updateDVDMenu();

    const DVDMenuList pages = library.menus();
    ASSERT_EQ(pages.size(), 3);
    for (const auto &page : pages)
        EXPECT_NE(page, library.currentMenu()) << "pages are copies, never the template itself";
    EXPECT_EQ(jumpOf(pages[0], "pre"), nullptr);
    EXPECT_EQ(jumpOf(pages[0], "next"), pages[1]);
    EXPECT_EQ(jumpOf(pages[1], "pre"), pages[0]);
    EXPECT_EQ(jumpOf(pages[1], "next"), pages[2]);
    EXPECT_EQ(jumpOf(pages[2], "pre"), pages[1]);
    EXPECT_EQ(jumpOf(pages[2], "next"), nullptr);
    EXPECT_EQ(jumpOf(pages[1], "play"), library.titles()[3]);
    // The template's own slots are never touched.
    for (const auto &item : titleSlots(library.currentMenu()))
        EXPECT_EQ(item->jump(), nullptr);
}

TEST(DVDLibraryPagination, OnlyWhenAutoMenusAndMenusAreOn)
{
    for (const bool autoMenus : {false, true}) {
        for (const bool noMenu : {false, true}) {
            SCOPED_TRACE(
                QStringLiteral("autoMenus %1 noMenu %2").arg(autoMenus).arg(noMenu).toStdString());
            DVDLibrary library;
            library.setAutoMenus(autoMenus);
            library.setNoMenu(noMenu);
            library.setTitles(makeTitles(4));
            library.setCurrentMenu(makeTemplatePage(3));
            library.setMenus({makeTemplatePage(3), makeTemplatePage(3), makeTemplatePage(3)});
            library.updateDVDMenu();
            const bool paginated = autoMenus && !noMenu;
            EXPECT_EQ(slotMap(library), paginated ? "1 2 3 | 4 - -" : "- - - | - - - | - - -");
        }
    }
}

TEST(DVDLibraryPagination, DroppedPagesTakeTheirSubPagesAndEveryJumpIntoThem)
{
    DVDLibrary library;
    library.setAutoMenus(true);
    library.setTitles(makeTitles(2));
    library.setCurrentMenu(makeTemplatePage(3));
    auto first = makeTemplatePage(3);
    auto second = makeTemplatePage(3);
    auto third = makeTemplatePage(3);
    auto subPage = makeTemplatePage(1);
    subPage->setParent(third->items()[0]);
    auto keptDecoration = makeStatic();
    keptDecoration->setJump(third);
    auto firstItems = first->items();
    firstItems.append(keptDecoration);
    first->setItems(firstItems);
    library.setMenus({first, second, third, subPage});

    library.updateDVDMenu();

    ASSERT_EQ(library.menus().size(), 1);
    EXPECT_EQ(library.menus()[0], first);
    EXPECT_EQ(keptDecoration->jump(), nullptr) << "a jump into a dropped page is cleared";
    EXPECT_EQ(third->items()[0]->jump(), nullptr) << "the dropped parent element leads nowhere";
    EXPECT_EQ(library.indexOfMenu(subPage), -1);
    for (const auto &item : subPage->items())
        EXPECT_EQ(item->jump(), nullptr);
    expectNoDanglingJumps(library);
}

TEST(DVDLibraryPagination, ASubPageFilledBeforeItsDroppedParentPageKeepsItsTitles)
{
    // menus may hold a sub-page before the page of its parent element. When pagination fills the
    // sub-page and then drops that later page, the sub-page's title must stay on the disc.
    DVDLibrary library;
    library.setAutoMenus(true);
    library.setTitles(makeTitles(4));
    library.setCurrentMenu(makeTemplatePage(3));
    auto first = makeTemplatePage(3);
    auto subPage = makeTemplatePage(1);
    auto second = makeTemplatePage(3);
    auto third = makeTemplatePage(3);
    subPage->setParent(third->items()[0]);
    library.setMenus({first, subPage, second, third});

    library.updateDVDMenu();

    EXPECT_EQ(library.menus(), (DVDMenuList{first, subPage}));
    EXPECT_EQ(slotMap(library), QStringLiteral("1 2 3 | 4"));
    EXPECT_EQ(subPage->parent(), nullptr) << "its parent element was on a dropped page";
    EXPECT_EQ(first->buttonForButtonType(QStringLiteral("next"))->jump(), subPage)
        << "the kept page is wired into the main chain";
    EXPECT_EQ(subPage->buttonForButtonType(QStringLiteral("pre"))->jump(), first);
    EXPECT_EQ(third->items()[0]->jump(), nullptr);
    expectNoDanglingJumps(library);
}

TEST(DVDLibrary, TitleSizeReachesEveryTitleThatAnswers)
{
    auto editing = std::make_shared<TestEditingTitle>();
    auto declared = std::make_shared<TestTitleResource>();
    auto production = TestTitleVideo::make(QStringLiteral("p"));
    DVDLibrary library;
    library.setTitles({editing, declared, production, std::make_shared<QObject>()});
    library.setAspectType(1);
    library.updateDVDMenu();
    EXPECT_EQ(editing->m_videoSize, QSizeF(854, 480));
    EXPECT_EQ(declared->m_videoSize, QSizeF(854, 480));
    library.setAspectType(0);
    library.updateDVDMenuTitleSize();
    EXPECT_EQ(editing->m_videoSize, QSizeF(640, 480));
    EXPECT_EQ(declared->m_videoSize, QSizeF(640, 480));
}

// --- Sub-page chains -----------------------------------------------------------------------

struct ChainFixture
{
    DVDLibrary library;
    DVDMenuRef main1 = makeTemplatePage(2);
    DVDMenuRef main2 = makeTemplatePage(2);
    DVDMenuRef sub1 = makeTemplatePage(2);
    DVDMenuRef sub2 = makeTemplatePage(2);
    DVDMenuRef subSub = makeTemplatePage(1);
    ObjectList titles = makeTitles(4);
    DVDMenuItemRef parentElement = main1->items()[0];

    ChainFixture()
    {
        library.setTitles(titles);
        main1->items()[0]->setJump(titles[0]);
        main1->items()[1]->setJump(titles[1]);
        main2->items()[0]->setJump(titles[2]);
        sub1->items()[0]->setJump(titles[3]);
        sub1->setParent(parentElement);
        sub2->setParent(parentElement);
        subSub->setParent(sub2->items()[1]);
        // Sub-pages mixed in among the main pages, as menus keeps them.
        library.setMenus({main1, sub1, subSub, main2, sub2});
    }
};

TEST(DVDLibraryChains, WiringFollowsEveryChain)
{
    ChainFixture f;
    f.library.updateDVDMenu();
    EXPECT_EQ(f.library.submenusForMenuItem(nullptr), (DVDMenuList{f.main1, f.main2}));
    EXPECT_EQ(f.library.submenusForMenuItem(f.parentElement), (DVDMenuList{f.sub1, f.sub2}));

    EXPECT_EQ(f.parentElement->jump(), f.sub1)
        << "an element with sub-pages leads to the first of them";
    EXPECT_EQ(jumpOf(f.main1, "pre"), nullptr);
    EXPECT_EQ(jumpOf(f.main1, "next"), f.main2);
    EXPECT_EQ(jumpOf(f.main2, "pre"), f.main1);
    EXPECT_EQ(jumpOf(f.main2, "next"), nullptr);
    EXPECT_EQ(jumpOf(f.main2, "play"), f.titles[2]);

    EXPECT_EQ(jumpOf(f.sub1, "pre"), f.main1)
        << "the first sub-page leads back to its parent's page";
    EXPECT_EQ(jumpOf(f.sub1, "next"), f.sub2);
    EXPECT_EQ(jumpOf(f.sub1, "play"), f.titles[3]);
    EXPECT_EQ(jumpOf(f.sub2, "pre"), f.sub1);
    EXPECT_EQ(jumpOf(f.sub2, "next"), nullptr);

    EXPECT_EQ(f.sub2->items()[1]->jump(), f.subSub);
    EXPECT_EQ(jumpOf(f.subSub, "pre"), f.sub2);
    EXPECT_EQ(jumpOf(f.subSub, "next"), nullptr);
}

TEST(DVDLibraryChains, PlayButtonsFollowTheInstalledPolicy)
{
    class NoPlayJump : public DVDLibraryHooks
    {
    public:
        ObjectRef menuPlayJump(const DVDMenu &) const override { return nullptr; }
    };
    ChainFixture f;
    DVDLibraryHooks::install(std::make_shared<NoPlayJump>());
    f.library.updateDVDMenu();
    DVDLibraryHooks::install(nullptr);
    for (const auto &page : f.library.menus())
        EXPECT_EQ(page->buttonForButtonType(QStringLiteral("play"))->jump(), nullptr);
}

TEST(DVDLibraryChains, SubmenusForMenuListsEachLevelThenWhatIsBelow)
{
    ChainFixture f;
    auto other = f.main1->items()[1];
    auto otherSub = makeTemplatePage(1);
    otherSub->setParent(other);
    auto menus = f.library.menus();
    menus.append(otherSub);
    f.library.setMenus(menus);
    EXPECT_EQ(f.library.submenusForMenu(f.main1),
              (DVDMenuList{f.sub1, f.sub2, otherSub, f.subSub}));
    EXPECT_TRUE(f.library.submenusForMenu(f.main2).isEmpty());
    EXPECT_TRUE(f.library.submenusForMenu(nullptr).isEmpty());
}

TEST(DVDLibraryChains, DeleteRemovesEverythingBelowAndClearsJumpsIntoIt)
{
    ChainFixture f;
    f.library.updateDVDMenu();
    auto sideLink = f.main2->items()[1];
    sideLink->setJump(f.subSub);

    f.library.deleteDVDMenu(f.sub2);

    EXPECT_EQ(f.library.menus(), (DVDMenuList{f.main1, f.sub1, f.main2}));
    EXPECT_EQ(f.parentElement->jump(), nullptr) << "the element that led to the page";
    EXPECT_EQ(f.sub2->items()[1]->jump(), nullptr);
    EXPECT_EQ(sideLink->jump(), nullptr) << "another element leading into a removed page";
    expectNoDanglingJumps(f.library);

    f.library.deleteDVDMenu(f.main1);
    EXPECT_EQ(f.library.menus(), (DVDMenuList{f.main2})) << "sub1 hangs below main1's element";
}

TEST(DVDLibraryChains, AParentLoopEndsInsteadOfRecursingForever)
{
    DVDLibrary library;
    auto page = makeTemplatePage(2);
    page->setParent(page->items()[0]);
    auto other = makeTemplatePage(1);
    other->setParent(page->items()[1]);
    library.setMenus({page, other});
    EXPECT_EQ(library.submenusForMenu(page), (DVDMenuList{other}));
    library.updateDVDMenuJump(page->items()[0]);
    EXPECT_EQ(page->items()[0]->jump(), page);
    library.deleteDVDMenu(page);
    EXPECT_TRUE(library.menus().isEmpty());
}

TEST(DVDLibrary, UpdateMenuElementJumpNeedsAnElementThatAnswers)
{
    DVDLibrary library;
    auto item = std::make_shared<DVDMenuItem>();
    auto page = std::make_shared<DVDMenu>();
    library.updateMenuElementJump(item, page);
    EXPECT_EQ(item->jump(), page);
    library.updateMenuElementJump(page, item); // a page has no jump: nothing happens
    library.updateMenuElementJump(nullptr, page);
    library.updateMenuElementJump(item, nullptr);
    EXPECT_EQ(item->jump(), nullptr);
}

TEST(DVDLibrary, PageLookups)
{
    ChainFixture f;
    EXPECT_EQ(f.library.indexOfMenu(f.main2), 3);
    EXPECT_EQ(f.library.indexOfMenu(makeTemplatePage(1)), -1);
    EXPECT_EQ(f.library.indexOfMenu(nullptr), -1);
    EXPECT_EQ(f.library.menuForItem(f.sub2->items()[1]), f.sub2);
    EXPECT_EQ(f.library.menuForItem(makeStatic()), nullptr);
    EXPECT_EQ(f.library.menuForItem(nullptr), nullptr);
    EXPECT_EQ(f.library.getFirstMenu(), f.main1);
    EXPECT_EQ(DVDLibrary().getFirstMenu(), nullptr);
}

// --- Titles and what follows ---------------------------------------------------------------

struct PlaybackFixture
{
    DVDLibrary library;
    std::shared_ptr<TestTitleVideo> a = TestTitleVideo::make("A", {300, 300, 120});
    std::shared_ptr<TestTitleVideo> b = TestTitleVideo::make("B");
    std::shared_ptr<TestTitleVideo> c = TestTitleVideo::make("C");
    std::shared_ptr<TestTitleVideo> warning = TestTitleVideo::make("W", {10}, true);
    DVDMenuRef menu1 = makeTemplatePage(2);
    DVDMenuRef menu2 = makeTemplatePage(2);
    DVDMenuRef sub = makeTemplatePage(1);
    DVDMenuItemRef toA = menu1->items()[0];
    DVDMenuItemRef toB = menu1->items()[1];

    PlaybackFixture()
    {
        library.setTitles({a, b, c, warning});
        toA->setJump(a);
        toB->setJump(b);
        // The production step records which elements lead to each title.
        a->chapter(0)->setTitles({toA});
        b->chapter(0)->setTitles({toB});
        sub->setParent(menu2->items()[0]);
        library.setMenus({menu1, menu2, sub});
    }
};

TEST(DVDLibraryPlayback, TitleFilters)
{
    PlaybackFixture f;
    EXPECT_EQ(f.library.getAllNormalTitles(), (ObjectList{f.a, f.b, f.c}));
    EXPECT_EQ(f.library.getWarningTitle(), f.warning);
    auto laterWarning = TestTitleVideo::make("W2", {5}, true);
    auto plain = std::make_shared<TestEditingTitle>();
    f.library.setTitles({f.warning, f.a, plain, laterWarning});
    EXPECT_EQ(f.library.getWarningTitle(), laterWarning) << "the last warning title";
    EXPECT_EQ(f.library.getAllNormalTitles(), (ObjectList{f.a, plain}))
        << "undeclared titles are normal";
    f.library.setTitles({f.a});
    EXPECT_EQ(f.library.getWarningTitle(), nullptr);
}

TEST(DVDLibraryPlayback, ChapterLookups)
{
    PlaybackFixture f;
    f.c->chapter(0)->setTitles({f.toA, f.toB});
    EXPECT_EQ(f.library.getChaptersForItem(f.toA), (ObjectList{f.a->chapter(0), f.c->chapter(0)}));
    EXPECT_TRUE(f.library.getChaptersForItem(makeStatic()).isEmpty());
    EXPECT_EQ(f.library.getTitleForChapter(f.a->chapter(2)), f.a);
    EXPECT_EQ(f.library.getTitleForChapter(std::make_shared<TestChapterVideo>()), nullptr);
    EXPECT_EQ(f.library.getTitleForChapter(nullptr), nullptr);
}

struct ActionRow
{
    const char *name;
    std::function<void(PlaybackFixture &)> setup;
    std::function<ObjectRef(PlaybackFixture &)> subject;
    std::function<ObjectRef(PlaybackFixture &)> expected;
};

TEST(DVDLibraryPlayback, JumpForActionItem)
{
    auto nothing = [](PlaybackFixture &) {};
    auto none = [](PlaybackFixture &) { return ObjectRef(); };
    const ActionRow rows[] = {
        {"disc start shows the first page", nothing, none, [](auto &f) { return f.menu1; }},
        {"disc start without menus plays the first title itself",
         [](auto &f) { f.library.setNoMenu(true); },
         none,
         [](auto &f) { return f.a; }},
        {"disc start with playFirstTitle",
         [](auto &f) { f.library.setPlayFirstTitle(true); },
         none,
         [](auto &f) { return f.a; }},
        {"disc start with no pages", [](auto &f) { f.library.setMenus({}); }, none, none},
        {"page with menuAutoJumpVideo leads where its first element leads",
         [](auto &f) { f.library.setMenuAutoJumpVideo(true); },
         [](auto &f) { return f.menu1; },
         [](auto &f) { return f.a->chapter(0); }},
        {"page with menuLoop starts again",
         [](auto &f) { f.library.setMenuLoop(true); },
         [](auto &f) { return f.menu1; },
         [](auto &f) { return f.menu1; }},
        {"page moves to the next page of its chain",
         nothing,
         [](auto &f) { return f.menu1; },
         [](auto &f) { return f.menu2; }},
        {"last page of a chain goes back to the first",
         nothing,
         [](auto &f) { return f.menu2; },
         [](auto &f) { return f.menu1; }},
        {"single sub-page loops on itself",
         nothing,
         [](auto &f) { return f.sub; },
         [](auto &f) { return f.sub; }},
        {"page outside menus goes to the chain's first page",
         nothing,
         [](auto &) { return makeTemplatePage(1); },
         [](auto &f) { return f.menu1; }},
        {"element leads to its chapter",
         nothing,
         [](auto &f) { return f.toB; },
         [](auto &f) { return f.b->chapter(0); }},
        {"element leading to a page",
         [](auto &f) { f.toB->setJump(f.menu2); },
         [](auto &f) { return f.toB; },
         [](auto &f) { return f.menu2; }},
        {"element leading to a declared title resource",
         [](auto &f) {
             auto resource = std::make_shared<TestTitleResource>();
             f.library.setCustomDataStorage({{"keep", QVariant::fromValue(ObjectRef(resource))}});
             f.toB->setJump(resource);
         },
         [](auto &f) { return f.toB; },
         [](auto &f) { return f.library.objectForKey("keep").template value<ObjectRef>(); }},
        {"element whose title no chapter records",
         [](auto &f) { f.b->chapter(0)->setTitles({}); },
         [](auto &f) { return f.toB; },
         none},
        {"element without jump",
         [](auto &f) { f.toB->setJump(nullptr); },
         [](auto &f) { return f.toB; },
         none},
        {"chapter", nothing, [](auto &f) { return f.a->chapter(1); }, none},
        {"title returns to the menu", nothing, [](auto &f) { return f.a; }, none},
        {"loopSingleVideo plays the title's own first chapter",
         [](auto &f) { f.library.setLoopSingleVideo(true); },
         [](auto &f) { return f.b; },
         [](auto &f) { return f.b->chapter(0); }},
        {"playTitleSequence plays the next title",
         [](auto &f) { f.library.setPlayTitleSequence(true); },
         [](auto &f) { return f.a; },
         [](auto &f) { return f.b->chapter(0); }},
        {"noMenu plays the next title",
         [](auto &f) { f.library.setNoMenu(true); },
         [](auto &f) { return f.b; },
         [](auto &f) { return f.c->chapter(0); }},
        {"last title with playTitleSequence and no loop returns to the menu",
         [](auto &f) { f.library.setPlayTitleSequence(true); },
         [](auto &f) { return f.c; },
         none},
        {"last title with playTitleSequence and loopVideo plays the first",
         [](auto &f) {
             f.library.setPlayTitleSequence(true);
             f.library.setLoopVideo(true);
         },
         [](auto &f) { return f.c; },
         [](auto &f) { return f.a->chapter(0); }},
        {"last title without menus plays the first",
         [](auto &f) { f.library.setNoMenu(true); },
         [](auto &f) { return f.c; },
         [](auto &f) { return f.a->chapter(0); }},
        {"loopVideo alone does nothing",
         [](auto &f) { f.library.setLoopVideo(true); },
         [](auto &f) { return f.c; },
         none},
        {"warning title returns to the menu", nothing, [](auto &f) { return f.warning; }, none},
        {"warning title without menus plays the first title",
         [](auto &f) { f.library.setNoMenu(true); },
         [](auto &f) { return f.warning; },
         [](auto &f) { return f.a->chapter(0); }},
        {"a declared title resource follows itself",
         [](auto &f) { f.library.setLoopSingleVideo(true); },
         [](auto &f) {
             auto resource = std::make_shared<TestTitleResource>();
             f.library.setCustomDataStorage({{"keep", QVariant::fromValue(ObjectRef(resource))}});
             return resource;
         },
         [](auto &f) { return f.library.objectForKey("keep").template value<ObjectRef>(); }},
        {"anything else", nothing, [](auto &) { return std::make_shared<QObject>(); }, none},
    };
    for (const ActionRow &row : rows) {
        SCOPED_TRACE(row.name);
        PlaybackFixture f;
        row.setup(f);
        const ObjectRef subject = row.subject(f);
        EXPECT_EQ(f.library.jumpForActionItem(subject), row.expected(f));
    }
}

TEST(DVDLibraryPlayback, JumpForAutoPlayVideoPostItem)
{
    const struct
    {
        const char *name;
        int autoPlay;
        bool loop;
        const char *title;
        const char *expected; // title whose first chapter follows, or "" for none
    } rows[] = {
        {"inside the sequence", 2, false, "A", "B"},
        {"end of the sequence", 2, false, "B", ""},
        {"end of the sequence, looping", 2, true, "B", "A"},
        {"last title of the disc", 5, false, "C", ""},
        {"last title of the disc, looping", 5, true, "C", "A"},
        {"warning title is not in the sequence", 5, false, "W", ""},
        {"no sequence", 0, false, "A", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PlaybackFixture f;
        f.library.setAutoPlayVideos(row.autoPlay);
        f.library.setLoopAutoPlayVideos(row.loop);
        auto byName = [&](const QString &name) -> std::shared_ptr<TestTitleVideo> {
            for (const auto &title : {f.a, f.b, f.c, f.warning}) {
                if (title->m_name == name)
                    return title;
            }
            return nullptr;
        };
        const auto expectedTitle = byName(QString::fromLatin1(row.expected));
        const ObjectRef expected = expectedTitle ? ObjectRef(expectedTitle->chapter(0)) : nullptr;
        EXPECT_EQ(f.library.jumpForAutoPlayVideoPostItem(byName(QString::fromLatin1(row.title))),
                  expected);
    }
}

} // namespace
