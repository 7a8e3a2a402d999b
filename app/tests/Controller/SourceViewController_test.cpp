// The title list as a person uses it, under the offscreen platform: rows slide to their frames,
// a click selects, a drag of a row (its steps called directly, as offscreen cannot run
// QDrag::exec) reorders or leaves the list alone, and each state is grabbed for a look.

#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/InsertLineView.h"
#include "app/View/SourceView/MediaDataView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "support/ClipFixtures.h"
#include "support/ShellTesting.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using namespace shell_testing;
using app_testing::ClipFixtures;
using namespace SourceListGeometry;

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

void shot(QWidget &widget, const QString &name)
{
    QDir().mkpath("/tmp/shots/list");
    widget.grab().save("/tmp/shots/list/" + name + ".png");
}

DVDTitleDataRef title(const QString &name, int clips, int seconds = 6)
{
    auto made = std::make_shared<DVDTitleData>();
    made->setName(name);
    MediaDataList medias;
    for (int i = 0; i < clips; ++i) {
        medias << MediaData::mediaDataWithPath(ClipFixtures::shared().colour("blue", seconds));
        medias.last()->setSuperData(made);
    }
    made->setMediaArray(medias);
    return made;
}

struct TitleList : ::testing::Test
{
    TitleList()
    {
        host.resize(302, 400);
        list = new SourceViewController(project, &host);
        list->view()->setGeometry(0, 0, 302, 400);
        host.show();
        project.setEdited(false);
    }
    SourceTableView *table() const { return list->tableView(); }
    QStringList names() const
    {
        QStringList out;
        for (const DVDTitleView *row : table()->titleRows())
            out << row->nameText();
        return out;
    }
    QWidget host;
    EditingProject project;
    SourceViewController *list = nullptr;
};

TEST_F(TitleList, AnEmptyListShowsThePromptAndRowsSlideToTheirFrames)
{
    shot(host, "empty-prompt");
    EXPECT_TRUE(table()->titleRows().isEmpty());
    const auto a = title("A", 3);
    a->setIsExpand(true);
    project.insertTitles(0, {a, title("B", 1), title("C", 1)});
    ASSERT_EQ(table()->width(), 300);
    const auto rows = table()->titleRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(table()->targetFrame(rows[0]), QRect(0, 4, 300, 70));
    QList<int> clipYs;
    for (const MediaDataRef &clip : a->mediaArray()) {
        const QRect frame = table()->targetFrame(table()->mediaDataView(clip.get()));
        EXPECT_EQ(frame.x(), 40);
        EXPECT_EQ(frame.width(), 260);
        clipYs << frame.y();
    }
    EXPECT_EQ(clipYs, QList<int>({78, 152, 226}));
    EXPECT_EQ(table()->targetFrame(rows[1]).y(), 300);
    EXPECT_EQ(table()->targetFrame(rows[2]).y(), 374);
    EXPECT_EQ(table()->height(), 448);
    EXPECT_TRUE(runUntil([&] { return rows[2]->geometry().y() == 374; }));
    shot(host, "expanded-title");

    // Collapsed, the clips slide under their title.
    QTest::mouseClick(rows[0]->expandButton(), Qt::LeftButton);
    EXPECT_FALSE(a->isExpand());
    EXPECT_EQ(table()->targetFrame(table()->mediaDataView(a->mediaArray()[1].get())).y(), 4);
    EXPECT_EQ(table()->targetFrame(rows[1]).y(), 78);
    EXPECT_EQ(table()->height(), 400);
}

TEST_F(TitleList, RowsReadTheirTitleAndTheButtonFollowsTheClipCount)
{
    project.insertTitles(0, {title("Empty", 0), title("One", 1), title("Two", 2)});
    const auto rows = table()->titleRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0]->timeText(), "00:00:00");
    EXPECT_EQ(rows[0]->expandImageName(), "expand_off");
    EXPECT_EQ(rows[0]->expandButton()->toolTip(), "Expand");
    EXPECT_EQ(rows[1]->expandButton()->toolTip(), "Edit");
    EXPECT_EQ(rows[2]->timeText(), "00:00:12");
}

TEST_F(TitleList, AClickSelectsTheRowAndAPressInTheMarginSelectsNothing)
{
    project.insertTitles(0, {title("T1", 1), title("T2", 1)});
    ASSERT_TRUE(runUntil([&] { return table()->titleRows()[1]->geometry().y() == 78; }));
    QTest::mouseClick(table()->titleRows()[1], Qt::LeftButton, {}, QPoint(150, 35));
    EXPECT_EQ(list->selectionMode(), 1);
    EXPECT_EQ(list->selectedTitle(), project.titles()[1]);
    EXPECT_TRUE(table()->titleRows()[1]->isSelected());
    EXPECT_DOUBLE_EQ(table()->titleRows()[1]->fillAlpha(), 0.2);
    shot(host, "focus-on");
    table()->clearFocus();
    EXPECT_DOUBLE_EQ(table()->titleRows()[1]->fillAlpha(), 0.1);
    shot(host, "focus-off");
    QTest::mouseClick(table(), Qt::LeftButton, {}, QPoint(150, 300));
    EXPECT_EQ(list->selectionMode(), 0);
    EXPECT_FALSE(table()->titleRows()[1]->isSelected());
}

TEST_F(TitleList, DraggingATitleReordersOnlyWhereTheLineShows)
{
    project.insertTitles(0, {title("T1", 1), title("T2", 1), title("T3", 1)});
    project.setEdited(false);
    ASSERT_TRUE(runUntil([&] { return table()->titleRows()[2]->geometry().y() == 152; }));
    list->selectedSingleTitle(project.titles()[0]);

    // On its own line: nothing changes, the document stays clean.
    list->rowDragMovedTo({100, 76});
    list->endRowDrag(DragEnd::InList);
    EXPECT_EQ(names(), QStringList({"T1", "T2", "T3"}));
    EXPECT_FALSE(project.isEdited());

    // Escape over a good place changes nothing either.
    list->rowDragMovedTo({100, 300});
    EXPECT_TRUE(table()->lineView()->isVisible());
    shot(host, "insertion-line");
    list->endRowDrag(DragEnd::Abandoned);
    EXPECT_EQ(names(), QStringList({"T1", "T2", "T3"}));
    EXPECT_FALSE(table()->lineView()->isVisible());

    list->rowDragMovedTo({100, 300});
    list->endRowDrag(DragEnd::InList);
    EXPECT_EQ(names(), QStringList({"T2", "T3", "T1"}));
    EXPECT_TRUE(project.isEdited());

    // Let go on the window outside the list: the title goes.
    list->selectedSingleTitle(project.titles()[0]);
    list->endRowDrag(DragEnd::RemovalArea);
    EXPECT_EQ(names(), QStringList({"T3", "T1"}));
    EXPECT_EQ(list->selectionMode(), 0);
}

TEST_F(TitleList, AClipDraggedIntoAGapBecomesItsOwnTitle)
{
    const auto two = title("Two", 2);
    two->setIsExpand(true);
    project.insertTitles(0, {two, title("One", 1)});
    const MediaDataRef second = two->mediaArray()[1];
    list->selectedSingleMedia(second);
    EXPECT_EQ(list->selectionMode(), 2);
    EXPECT_EQ(list->draggedPaths(), QStringList({second->path()}));
    // The left strip of the gap under the last clip: a new title after "Two".
    list->rowDragMovedTo({20, 224});
    list->endRowDrag(DragEnd::InList);
    ASSERT_EQ(project.titleCount(), 3);
    EXPECT_EQ(project.titles()[1]->mediaArray(), MediaDataList({second}));
    EXPECT_EQ(two->mediaArray().size(), 1);
    EXPECT_FALSE(two->isExpand());
    EXPECT_EQ(table()->titleRows().size(), 3);
}

// The sheet counts every file, refused ones too, and the clips land where the line showed.
TEST_F(TitleList, AnImportShowsItsCounterAndDropsBetweenClipsKeepFileOrder)
{
    const auto b = title("B", 2);
    b->setIsExpand(true);
    project.insertTitles(0, {title("A", 1), b});
    const MediaDataList before = b->mediaArray();
    const QString f1 = ClipFixtures::shared().colour("red", 6);
    const QString f2 = ClipFixtures::shared().colour("green", 6);
    const QString shortClip = ClipFixtures::shared().colour("red", 2);
    std::vector<QString> counts;
    bool done = false;
    ASSERT_TRUE(list->importFilesAt({f1, shortClip, f2}, {2, 1, 1, {}}, [&] { done = true; }));
    ASSERT_TRUE(list->importWindow()->isVisible());
    EXPECT_TRUE(list->importWindow()->windowModality() == Qt::WindowModal);
    EXPECT_EQ(list->importRateField()->text(), "0 / 3");
    shot(*list->importWindow(), "import-sheet");
    ASSERT_TRUE(runUntil([&] { return done; }, 60000));
    EXPECT_FALSE(list->importWindow()->isVisible());
    EXPECT_EQ(list->importRateField()->text(), "3 / 3");
    const MediaDataList after = b->mediaArray();
    ASSERT_EQ(after.size(), 4);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1]->path(), f1);
    EXPECT_EQ(after[2]->path(), f2);
    EXPECT_EQ(after[3], before[1]);
    EXPECT_EQ(after[1]->superData(), b);
    EXPECT_EQ(project.titleCount(), 2);
}

} // namespace
