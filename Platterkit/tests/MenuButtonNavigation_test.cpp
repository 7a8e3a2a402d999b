// The remote's arrows on a menu page: chosen from the button rectangles alone, checked on hand-made
// layouts, on every page the shipped templates make for 1, 4, 6 and 12 titles, and on two menus
// authored with the real spumux and dvdauthor and read back with libdvdread.

#include "Platterkit/authoring/DVDAuthorXML.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "Platterkit/subpicture/MenuButtonNavigation.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "Platterkit/tools/ToolRunner.h"
#include "support/TemplateHooks.h"
#include "support/TestTitles.h"
#include "testsupport/DiscFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using Nav = MenuButtonNavigation;

class ShippedEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        DVDLibraryHooks::install(std::make_shared<testing_support::ApplicationHooks>());
    }
    void TearDown() override { DVDLibraryHooks::install(nullptr); }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ShippedEnvironment);

const char *const kDirectionNames[] = {"up", "down", "left", "right"};

// A square of side 10 around each centre.
QList<QRectF> squaresAt(const QList<QPointF> &centres)
{
    QList<QRectF> rects;
    for (const QPointF &centre : centres)
        rects.append(QRectF(centre - QPointF(5, 5), QSizeF(10, 10)));
    return rects;
}

// Whether the centre of to lies strictly on the side of from that direction names.
bool liesThatWay(const QRectF &from, const QRectF &to, int direction)
{
    const QPointF offset = to.center() - from.center();
    switch (direction) {
    case Nav::Up:
        return offset.y() < 0;
    case Nav::Down:
        return offset.y() > 0;
    case Nav::Left:
        return offset.x() < 0;
    default:
        return offset.x() > 0;
    }
}

// What a person needs of the arrows on any page: every button reachable from every other, and
// every arrow of a button that has a neighbour that way leads to one of them (never back to
// itself, never the other way).
void expectSoundArrows(const QList<QRectF> &rects, const QList<Nav::Arrows> &arrows)
{
    ASSERT_EQ(arrows.size(), rects.size());
    EXPECT_TRUE(Nav::everyButtonReachable(arrows));
    for (int i = 0; i < rects.size(); ++i) {
        for (int d = 0; d < Nav::directionCount; ++d) {
            SCOPED_TRACE(testing::Message() << "button " << i << " " << kDirectionNames[d]);
            bool neighbourThatWay = false;
            for (int j = 0; j < rects.size(); ++j)
                neighbourThatWay
                    = neighbourThatWay || (j != i && liesThatWay(rects[i], rects[j], d));
            const int target = arrows[i].target[d];
            ASSERT_GE(target, 0);
            ASSERT_LT(target, rects.size());
            if (neighbourThatWay)
                EXPECT_TRUE(target != i && liesThatWay(rects[i], rects[target], d)) << target;
            else
                EXPECT_EQ(target, i);
        }
    }
}

TEST(MenuButtonNavigation, HandMadeLayouts)
{
    struct Row
    {
        const char *name;
        QList<QRectF> rects;
        // up, down, left, right of each button
        QList<std::array<int, 4>> expected;
    };
    const Row rows[] = {
        {"four titles in two rows and a play button below right",
         {{100, 100, 200, 120},
          {400, 100, 200, 120},
          {100, 300, 200, 120},
          {400, 300, 200, 120},
          {600, 480, 80, 40}},
         {{0, 2, 0, 1}, {1, 3, 0, 4}, {0, 4, 2, 3}, {1, 4, 2, 4}, {3, 4, 3, 4}}},
        {"one button leads nowhere", {{10, 10, 50, 50}}, {{0, 0, 0, 0}}},
        {"a far button in the cone beats a near one outside it",
         squaresAt({{0, 0}, {100, 0}, {30, 40}}),
         {{0, 2, 0, 1}, {1, 2, 2, 1}, {0, 2, 0, 1}}},
        {"ties go to the lower index",
         squaresAt({{50, 0}, {0, 50}, {100, 50}}),
         {{0, 1, 1, 2}, {0, 1, 1, 0}, {0, 2, 0, 2}}},
        {"a button no arrow reaches gets one from its nearest neighbour",
         squaresAt({{20, 40}, {40, 60}, {40, 40}, {30, 50}}),
         {{0, 3, 0, 3}, {3, 1, 3, 1}, {2, 3, 3, 2}, {0, 1, 0, 2}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QList<Nav::Arrows> arrows = Nav::arrowsForButtons(row.rects);
        ASSERT_EQ(arrows.size(), row.expected.size());
        for (int i = 0; i < arrows.size(); ++i) {
            for (int d = 0; d < Nav::directionCount; ++d) {
                EXPECT_EQ(arrows[i].target[d], row.expected[i][d])
                    << "button " << i << " " << kDirectionNames[d];
            }
        }
        expectSoundArrows(row.rects, arrows);
    }
    EXPECT_TRUE(Nav::arrowsForButtons({}).isEmpty());
}

TEST(MenuButtonNavigation, ScatteredButtonsStayReachable)
{
    // Layouts no template has: buttons thrown on a small grid, so that centres share rows, columns
    // and diagonals and the first choice often leaves a button out.
    std::srand(23);
    for (int layout = 0; layout < 400; ++layout) {
        const int count = 2 + layout % 9;
        QList<QPointF> centres;
        while (centres.size() < count) {
            const QPointF centre((std::rand() % 11) * 10, (std::rand() % 11) * 10);
            if (!centres.contains(centre))
                centres.append(centre);
        }
        SCOPED_TRACE(testing::Message() << "layout " << layout);
        const QList<QRectF> rects = squaresAt(centres);
        expectSoundArrows(rects, Nav::arrowsForButtons(rects));
    }
}

// The pages a disc of titleCount titles gets from the template page, as the window makes them.
struct Disc
{
    DVDLibraryRef dvd = std::make_shared<DVDLibrary>();
    QList<std::shared_ptr<TestTitleVideo>> titles;
};

Disc discFromTemplate(const DVDMenuRef &templatePage, int titleCount)
{
    Disc disc;
    disc.dvd->setFormat(1);
    disc.dvd->setAspectType(templatePage->aspectType());
    ObjectList titles;
    for (int i = 0; i < titleCount; ++i) {
        disc.titles.append(TestTitleVideo::make(QStringLiteral("T%1").arg(i), {1.0}));
        titles.append(disc.titles.last());
    }
    disc.dvd->setTitles(titles);
    disc.dvd->setAutoMenus(true);
    disc.dvd->setCurrentMenu(templatePage->copyMenu());
    disc.dvd->updateDVDMenu();
    return disc;
}

QList<QRectF> cornersOf(const QList<SpumuxButton> &buttons)
{
    QList<QRectF> rects;
    for (const SpumuxButton &button : buttons)
        rects.append(QRectF(QPointF(button.x0, button.y0), QPointF(button.x1, button.y1)));
    return rects;
}

TEST(MenuButtonNavigation, EveryShippedPageAtOneFourSixAndTwelveTitles)
{
    const auto templates = DVDLibraryResource::share()->menus();
    ASSERT_FALSE(templates.isEmpty());
    int pagesChecked = 0;
    for (const DVDMenuRef &templatePage : templates) {
        for (const int titleCount : {1, 4, 6, 12}) {
            SCOPED_TRACE(testing::Message() << qPrintable(templatePage->identifier()) << ", "
                                            << titleCount << " titles");
            const Disc disc = discFromTemplate(templatePage, titleCount);
            const auto pages = disc.dvd->menus();
            ASSERT_FALSE(pages.isEmpty());
            for (qsizetype p = 0; p < pages.size(); ++p) {
                SCOPED_TRACE(testing::Message() << "page " << p);
                const QList<SpumuxButton> buttons
                    = DVDMenuMake::buttonsForMenuDvd(*pages[p], *disc.dvd);
                ASSERT_FALSE(buttons.isEmpty());
                const QList<QRectF> rects = cornersOf(buttons);
                const QList<Nav::Arrows> arrows = Nav::arrowsForButtons(rects);
                expectSoundArrows(rects, arrows);
                // What the XML carries is what the function chose.
                for (qsizetype i = 0; i < buttons.size(); ++i) {
                    EXPECT_EQ(buttons[i].up, buttons[arrows[i].up()].name);
                    EXPECT_EQ(buttons[i].down, buttons[arrows[i].down()].name);
                    EXPECT_EQ(buttons[i].left, buttons[arrows[i].left()].name);
                    EXPECT_EQ(buttons[i].right, buttons[arrows[i].right()].name);
                }
                ++pagesChecked;
            }
        }
    }
    EXPECT_GT(pagesChecked, int(templates.size()) * 4);
}

// Two shipped pages authored into a disc with the real spumux and dvdauthor: the button table in
// the menu's navigation packs carries the arrows the function chose, page by page.
TEST(MenuButtonNavigation, AuthoredMenusCarryTheChosenArrows)
{
    struct Row
    {
        const char *name;
        int titleCount;
        int slotsWanted;
    };
    // A page of four slots in two rows (the layout where the remote lost the play button), and
    // twelve titles over pages of six, whose pages carry previous and next buttons as well.
    const Row rows[]
        = {{"four titles on a four-slot page", 4, 4}, {"twelve titles over six-slot pages", 12, 6}};
    QString error;
    QTemporaryDir media;
    const QString menuSource = QDir(media.path()).filePath("menu.mpg");
    const QString titleSource = QDir(media.path()).filePath("title.mpg");
    ASSERT_TRUE(testing_support::makeDvdStream(menuSource, true, false, 1, &error))
        << qPrintable(error);
    ASSERT_TRUE(testing_support::makeDvdStream(titleSource, true, false, 1, &error))
        << qPrintable(error);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DVDMenuRef templatePage;
        for (const DVDMenuRef &page : DVDLibraryResource::share()->menus()) {
            int titleSlots = 0;
            for (const auto &item : page->items())
                titleSlots += item->isTitleSlot();
            if (page->aspectType() == 0 && titleSlots == row.slotsWanted) {
                templatePage = page;
                break;
            }
        }
        ASSERT_TRUE(templatePage) << "no 4:3 template page with " << row.slotsWanted << " slots";
        const Disc disc = discFromTemplate(templatePage, row.titleCount);
        const auto pages = disc.dvd->menus();
        ASSERT_EQ(pages.size(), row.titleCount / row.slotsWanted);

        QTemporaryDir work;
        const QDir folder(work.path());
        QList<QList<SpumuxButton>> chosen;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            const QString video = folder.filePath(QStringLiteral("menu%1_source.mpg").arg(p));
            ASSERT_TRUE(QFile::copy(menuSource, video));
            DVDMenuMake step;
            step.makeMenuDvdPathVideoWork(pages[p],
                                          disc.dvd,
                                          folder.filePath(QStringLiteral("menu%1.dvd").arg(p)),
                                          video,
                                          work.path());
            step.start();
            ASSERT_TRUE(step.succeeded()) << qPrintable(step.lastError());
            chosen.append(DVDMenuMake::buttonsForMenuDvd(*pages[p], *disc.dvd));
        }
        for (int i = 0; i < row.titleCount; ++i)
            ASSERT_TRUE(
                QFile::copy(titleSource, folder.filePath(QStringLiteral("title%1.dvd").arg(i))));
        QFile author(folder.filePath("author.xml"));
        ASSERT_TRUE(author.open(QIODevice::WriteOnly));
        author.write(DVDAuthorXML(*disc.dvd).authorContent().toUtf8());
        author.close();
        const auto dvdauthor = Platterkit::ToolRunner::taskCurrentArguments(
            disc.dvd->format(), "dvdauthor", work.path(), {"-x", "author.xml", "-o", "dvd"});
        ASSERT_TRUE(dvdauthor->launch()) << qPrintable(dvdauthor->lastError());
        dvdauthor->waitUntilExit();
        ASSERT_TRUE(dvdauthor->succeeded()) << qPrintable(dvdauthor->failureDescription());

        const testing_support::MenuOnDisc menu
            = testing_support::readMenuOnDisc(folder.filePath("dvd"));
        ASSERT_EQ(menu.buttonTables.size(), chosen.size());
        for (qsizetype p = 0; p < chosen.size(); ++p) {
            SCOPED_TRACE(testing::Message() << "page " << p);
            const QList<SpumuxButton> &buttons = chosen[p];
            const QList<testing_support::ButtonOnDisc> &table = menu.buttonTables[p];
            ASSERT_EQ(table.size(), buttons.size());
            auto numberOf = [&](const QString &name) {
                for (qsizetype i = 0; i < buttons.size(); ++i) {
                    if (buttons[i].name == name)
                        return int(i + 1);
                }
                return 0;
            };
            QList<Nav::Arrows> onDisc;
            for (qsizetype i = 0; i < buttons.size(); ++i) {
                SCOPED_TRACE(qPrintable(buttons[i].name));
                EXPECT_NEAR(table[i].x0, buttons[i].x0, 1);
                EXPECT_NEAR(table[i].y0, buttons[i].y0, 1);
                EXPECT_NEAR(table[i].x1, buttons[i].x1, 1);
                EXPECT_NEAR(table[i].y1, buttons[i].y1, 1);
                EXPECT_EQ(table[i].up, numberOf(buttons[i].up));
                EXPECT_EQ(table[i].down, numberOf(buttons[i].down));
                EXPECT_EQ(table[i].left, numberOf(buttons[i].left));
                EXPECT_EQ(table[i].right, numberOf(buttons[i].right));
                Nav::Arrows arrows;
                arrows.target[Nav::Up] = table[i].up - 1;
                arrows.target[Nav::Down] = table[i].down - 1;
                arrows.target[Nav::Left] = table[i].left - 1;
                arrows.target[Nav::Right] = table[i].right - 1;
                onDisc.append(arrows);
            }
            EXPECT_TRUE(Nav::everyButtonReachable(onDisc));
        }
    }
}

} // namespace
