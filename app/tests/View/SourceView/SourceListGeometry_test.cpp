// The title list's rows, insertion points and drop rules as plain functions: the tables a person
// checks against the list on screen.

#include "app/View/SourceView/SourceListGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace SourceListGeometry;
using Kind = DropAction::Kind;

TEST(SourceListGeometry, RowsStackUnderTheirTitleOnlyWhenExpanded)
{
    struct Row
    {
        const char *name;
        bool aExpanded;
        QList<double> clipYs;
        double bY;
        double cY;
        double height;
    };
    const Row rows[] = {
        {"expanded, three clips", true, {78, 152, 226}, 300, 374, 448},
        {"collapsed, clips under the title", false, {4, 4, 4}, 78, 152, 400},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Layout layout = layoutRows({{3, row.aExpanded}, {1, false}, {1, false}}, 300, 400);
        EXPECT_EQ(layout.titleRows[0], QRectF(0, 4, 300, 70));
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(layout.clipRows[0][j], QRectF(40, row.clipYs[j], 260, 70));
        EXPECT_EQ(layout.titleRows[1].y(), row.bY);
        EXPECT_EQ(layout.titleRows[2].y(), row.cY);
        EXPECT_EQ(layout.height, row.height);
    }
}

TEST(SourceListGeometry, AOneClipTitleNeverExpands)
{
    const Layout layout = layoutRows({{1, true}, {0, true}, {1, false}}, 300, 100);
    EXPECT_EQ(layout.expanded, QList<bool>({false, false, false}));
    EXPECT_EQ(layout.clipRows[0][0].y(), 4);
    EXPECT_EQ(layout.titleRows[2].y(), 152);
    EXPECT_EQ(layout.height, 226);
}

TEST(SourceListGeometry, TheInsertionFollowsThePointer)
{
    struct Row
    {
        const char *name;
        bool bIsLast;
        QPointF point;
        Insertion expected;
    };
    const Row rows[] = {
        {"above the first row", false, {100, 2}, {1, 0, 0, {5, 0, 300, 3}}},
        {"on A's row", false, {100, 40}, {3, 0, 0, {}}},
        {"in the gap under A", false, {100, 76}, {1, 1, 0, {5, 74, 300, 3}}},
        {"between B and its first clip", false, {100, 150}, {2, 1, 0, {40, 148, 260, 4}}},
        {"upper half of B's first clip", false, {100, 160}, {2, 1, 0, {40, 148, 260, 3}}},
        {"exactly at a clip's middle takes the next row's target",
         false,
         {100, 187},
         {2, 1, 1, {40, 222, 260, 3}}},
        {"left strip of the gap under a clip: after the title",
         false,
         {20, 224},
         {1, 2, 0, {5, 222, 300, 4}}},
        {"right part of the gap under a clip: after the clip",
         false,
         {100, 224},
         {2, 1, 1, {40, 222, 260, 4}}},
        {"below the last row", false, {100, 380}, {1, 3, 0, {5, 370, 300, 3}}},
        {"B last, left strip under its last clip", true, {20, 298}, {1, 2, 0, {5, 296, 300, 3}}},
        {"B last, within 5 points under its last clip",
         true,
         {100, 300.5},
         {2, 1, 2, {40, 296, 260, 3}}},
        {"B last, further down", true, {100, 302}, {1, 2, 0, {5, 296, 300, 3}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QList<TitleShape> titles{{1, false}, {2, true}};
        if (!row.bIsLast)
            titles.append({1, false});
        const Layout layout = layoutRows(titles, 300, 400);
        const auto at = insertionAt(layout, row.point, 300);
        ASSERT_TRUE(at);
        EXPECT_EQ(at->lineMode, row.expected.lineMode);
        EXPECT_EQ(at->titleIndex, row.expected.titleIndex);
        EXPECT_EQ(at->mediaIndex, row.expected.mediaIndex);
        EXPECT_EQ(at->line, row.expected.line);
        EXPECT_EQ(at->lineVisible(), !row.expected.line.isNull());
    }
}

TEST(SourceListGeometry, AtOrRightOfTheListsEdgeTheInsertionStays)
{
    const Layout layout = layoutRows({{1, false}}, 300, 400);
    EXPECT_FALSE(insertionAt(layout, {300, 40}, 300));
    EXPECT_FALSE(insertionAt(layout, {420, 2}, 300));
    EXPECT_TRUE(insertionAt(layout, {299.5, 40}, 300));
}

TEST(SourceListGeometry, AnEmptyListTakesNewTitlesAtTheTop)
{
    const auto at = insertionAt(layoutRows({}, 300, 400), {100, 200}, 300);
    ASSERT_TRUE(at);
    EXPECT_EQ(*at, (Insertion{1, 0, 0, {5, 0, 300, 3}}));
}

// Three one-clip titles T1, T2, T3; the dragged title's own lines change nothing, Escape and a
// release outside the window change nothing, the window around the list removes.
TEST(SourceListGeometry, ADraggedTitle)
{
    struct Row
    {
        const char *name;
        int title;
        DragEnd end;
        Insertion at;
        DropAction expected;
    };
    const Row rows[] = {
        {"T1 below T3", 0, DragEnd::InList, {1, 3, 0, {}}, {Kind::MoveTitle, 0, 0, 2, 0}},
        {"T3 above T1", 2, DragEnd::InList, {1, 0, 0, {}}, {Kind::MoveTitle, 2, 0, 0, 0}},
        {"T2 on the line above itself", 1, DragEnd::InList, {1, 1, 0, {}}, {}},
        {"T2 on the line below itself", 1, DragEnd::InList, {1, 2, 0, {}}, {}},
        {"T2 on its own row", 1, DragEnd::InList, {3, 1, 0, {}}, {}},
        {"T2 onto T3's row", 1, DragEnd::InList, {3, 2, 0, {}}, {Kind::MergeTitle, 1, 0, 2, -1}},
        {"T3 between T1's clips",
         2,
         DragEnd::InList,
         {2, 0, 1, {}},
         {Kind::MergeTitle, 2, 0, 0, 1}},
        {"no target", 1, DragEnd::InList, {0, 0, 0, {}}, {}},
        {"Escape or outside the window", 0, DragEnd::Abandoned, {1, 3, 0, {}}, {}},
        {"on the window outside the list", 0, DragEnd::RemovalArea, {}, {Kind::RemoveTitle, 0}},
        {"over the menu page", 0, DragEnd::OverMenuPage, {3, 1, 0, {}}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(titleDrop(row.title, row.end, row.at), row.expected);
    }
}

// Title 0 of two clips (expanded) above title 1 of three.
TEST(SourceListGeometry, ADraggedClip)
{
    struct Row
    {
        const char *name;
        int title;
        int clip;
        DragEnd end;
        Insertion at;
        DropAction expected;
    };
    const Row rows[] = {
        {"onto its own line above", 0, 1, DragEnd::InList, {2, 0, 1, {}}, {}},
        {"onto the gap just below it", 0, 1, DragEnd::InList, {2, 0, 2, {}}, {}},
        {"onto its own title's row", 0, 0, DragEnd::InList, {3, 0, 0, {}}, {}},
        {"down inside its title, from above",
         1,
         0,
         DragEnd::InList,
         {2, 1, 2, {}},
         {Kind::MoveClip, 1, 0, 1, 1}},
        {"up inside its title", 1, 2, DragEnd::InList, {2, 1, 0, {}}, {Kind::MoveClip, 1, 2, 1, 0}},
        {"into another title", 0, 1, DragEnd::InList, {2, 1, 1, {}}, {Kind::MoveClip, 0, 1, 1, 1}},
        {"onto another title's row",
         0,
         0,
         DragEnd::InList,
         {3, 1, 0, {}},
         {Kind::MoveClip, 0, 0, 1, -1}},
        {"into a gap between titles",
         0,
         1,
         DragEnd::InList,
         {1, 1, 0, {}},
         {Kind::ClipToNewTitle, 0, 1, 1, 0}},
        {"Escape", 0, 1, DragEnd::Abandoned, {1, 1, 0, {}}, {}},
        {"on the window outside the list",
         0,
         1,
         DragEnd::RemovalArea,
         {},
         {Kind::RemoveClip, 0, 1}},
        {"over the menu page", 1, 2, DragEnd::OverMenuPage, {}, {Kind::RemoveClip, 1, 2}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clipDrop(row.title, row.clip, row.end, row.at), row.expected);
    }
}

} // namespace
