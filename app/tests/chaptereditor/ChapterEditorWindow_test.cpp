// The chapter editor sheet through its window: a marker added at the playhead, dragged on the
// timeline, typed into its tile, stopped by its neighbour, removed; previous and next; the arrow
// keys; the automatic chapter dialog with its refused intervals; stills made once per time; and
// closing, which commits a time still being typed and marks the project edited.

#include "app/AppExtention/Function/CommonFunction.h"
#include "app/Controller/SourceViewController.h"
#include "app/chaptereditor/View/ChapterPlayerProgressView.h"
#include "app/chaptereditor/View/ChapterSingleView.h"
#include "app/chaptereditor/View/ChapterTableView.h"
#include "support/ChapterSheet.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QTreeWidget>

using namespace chapter_testing;
using namespace shell_testing;

namespace {

constexpr qint64 s = 1000000;

QList<qint64> showTimes(const MarkerItemList &markers)
{
    QList<qint64> times;
    for (const auto &marker : markers)
        times.append(marker->markShowTime());
    return times;
}

using ChapterEditorWindow = ChapterSheetTest;

TEST_F(ChapterEditorWindow, AMarkerByHandOnTheTimelineAndInItsTile)
{
    const MediaDataRef clip = importClip(30);
    ASSERT_TRUE(clip);
    controller->setDocumentEdited(false);
    openOn(clip);
    ChapterEditorWindowController &sheet = editor();
    ChapterPlayerProgressView *timeline = sheet.playerProgressView();
    EXPECT_EQ(timeline->duration(), 30 * s);
    // Add is off in the first second.
    EXPECT_FALSE(sheet.addMarkButtonEnable());

    pressBarAt(10 * s);
    const qint64 playhead = timeline->currentTime();
    EXPECT_NEAR(double(playhead), double(10 * s), 0.2 * s);
    ASSERT_TRUE(runUntil([&] { return sheet.button("addMarkButton")->isEnabled(); }));
    QTest::mouseClick(sheet.button("addMarkButton"), Qt::LeftButton);
    ASSERT_EQ(clip->markerArray().size(), 1);
    const MarkerItemRef first = clip->markerArray().first();
    EXPECT_EQ(first->markShowTime(), playhead);
    EXPECT_EQ(first->markOriginTime(), playhead);
    EXPECT_EQ(sheet.selectedMarker(), first);
    ASSERT_EQ(sheet.markerItemViewArray().size(), 1);
    EXPECT_EQ(sheet.markerItemViewArray().first()->chapterName(), QStringLiteral("Chapter 1"));
    // Within a second of a marker no other is added.
    ASSERT_TRUE(runUntil([&] { return !sheet.button("addMarkButton")->isEnabled(); }));

    // Dragged 40 points right on the timeline.
    const QPoint button = timeline->markerButtonCentre(first->markShowTime());
    QTest::mousePress(timeline, Qt::LeftButton, Qt::NoModifier, button);
    QTest::mouseMove(timeline, button + QPoint(40, 0));
    QTest::mouseRelease(timeline, Qt::LeftButton, Qt::NoModifier, button + QPoint(40, 0));
    const double width = timeline->geometryNow().contentRect().width();
    EXPECT_NEAR(double(first->markShowTime()), double(playhead) + 40.0 / width * 30.0 * s, 2.0);
    EXPECT_EQ(sheet.markerItemViewArray().first()->timeField()->text(),
              CommonFunction::timeStrFromMsSecond(float(double(first->markShowTime()) / 1e6)));

    typeInTile(0, "00:00:05");
    EXPECT_EQ(first->markShowTime(), 5 * s);
    EXPECT_EQ(sheet.markerItemViewArray().first()->timeField()->text(),
              QStringLiteral("00:00:05.000"));

    // A second marker at 20 s; typed past it, the first stops a second before it.
    pressBarAt(20 * s);
    const qint64 second = timeline->currentTime();
    ASSERT_TRUE(runUntil([&] { return sheet.button("addMarkButton")->isEnabled(); }));
    QTest::mouseClick(sheet.button("addMarkButton"), Qt::LeftButton);
    ASSERT_EQ(clip->markerArray().size(), 2);
    typeInTile(0, "00:00:25");
    EXPECT_EQ(first->markShowTime(), second - s);
    EXPECT_EQ(showTimes(sheet.markerArrayForDraw()), (QList<qint64>{second - s, second}));
    // Text without a number asks for 0: a second after the start.
    typeInTile(0, "start");
    EXPECT_EQ(first->markShowTime(), s);
    EXPECT_EQ(sheet.markerItemViewArray().first()->timeField()->text(),
              QStringLiteral("00:00:01.000"));
    typeInTile(0, "00:00:05");
    sheet.updateSelectedMarker(first);
    shot(*sheet.window(), "sheet-two-markers");

    // Previous and next walk 0, the markers and the end.
    pressBarAt(0);
    ASSERT_TRUE(playheadReaches(0));
    for (const qint64 t : {5 * s, second, 30 * s}) {
        QTest::mouseClick(sheet.button("nextMarkerButton"), Qt::LeftButton);
        ASSERT_TRUE(playheadReaches(t)) << t;
    }
    for (const qint64 t : {second, 5 * s, qint64(0), qint64(0)}) {
        QTest::mouseClick(sheet.button("preMarkerButton"), Qt::LeftButton);
        ASSERT_TRUE(playheadReaches(t)) << t;
    }
    // The arrow keys nudge the playhead by 0.05 s.
    QTest::keyClick(sheet.window(), Qt::Key_Right);
    ASSERT_TRUE(playheadReaches(50000));

    // Removed: its tile and its marker go.
    QTest::mouseClick(
        sheet.markerItemViewArray().first(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 10));
    EXPECT_EQ(sheet.selectedMarker(), first);
    QTest::mouseClick(sheet.button("removeMarkerButton"), Qt::LeftButton);
    ASSERT_EQ(clip->markerArray().size(), 1);
    EXPECT_EQ(sheet.markerItemViewArray().size(), 1);
    EXPECT_FALSE(sheet.hasSelectedMarker());
    EXPECT_EQ(sheet.markerItemViewArray().first()->chapterName(), QStringLiteral("Chapter 1"));

    // Closing commits the time still being typed and marks the project edited.
    typeInTile(0, "00:00:12", false);
    QTest::mouseClick(sheet.button("doneButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet.isOpen());
    EXPECT_EQ(clip->markerArray().first()->markShowTime(), 12 * s);
    EXPECT_TRUE(controller->isDocumentEdited());
    EXPECT_FALSE(sheet.media());
}

TEST_F(ChapterEditorWindow, ClosingRunsOnceHoweverTheSheetCloses)
{
    const MediaDataRef clip = importClip(10);
    ASSERT_TRUE(clip);
    openOn(clip);
    // Another window in front: the sheet is not the key window, and still closes cleanly.
    QWidget other;
    other.show();
    other.activateWindow();
    controller->setDocumentEdited(false);
    editor().window()->reject();
    EXPECT_FALSE(editor().media());
    EXPECT_FALSE(editor().player()->isPlay());
    EXPECT_TRUE(controller->isDocumentEdited());
    // Opens again afterwards, on another clip: its length, its pictures.
    const MediaDataRef other15 = importClip(15);
    ASSERT_TRUE(other15);
    openOn(other15);
    EXPECT_EQ(editor().media(), other15);
    EXPECT_TRUE(runUntil([&] {
        return editor().timeLabel()->text() == QStringLiteral("00:00:00/00:00:15");
    })) << editor().timeLabel()->text().toStdString();
    EXPECT_TRUE(runUntil([&] { return editor().player()->currentMovieImage() != nullptr; }));
    shot(*editor().window(), "sheet-reopened");
}

TEST_F(ChapterEditorWindow, AutomaticChaptersAndStillsMadeOncePerTime)
{
    const MediaDataRef clip = importClip(150);
    ASSERT_TRUE(clip);
    // A marker from the file that is hidden (5 ms after 0) titles the next tile Chapter 2.
    auto hidden = std::make_shared<MarkerItem>();
    hidden->setMarkOriginTime(5000);
    auto shown = std::make_shared<MarkerItem>();
    shown->setMarkOriginTime(30 * s);
    clip->setMarkerArray({hidden, shown});
    openOn(clip);
    ChapterEditorWindowController &sheet = editor();
    ASSERT_EQ(sheet.markerItemViewArray().size(), 1);
    EXPECT_EQ(sheet.markerItemViewArray().first()->chapterName(), QStringLiteral("Chapter 2"));

    QTest::mouseClick(sheet.button("autoAddButton"), Qt::LeftButton);
    QDialog *dialog = sheet.autoAddChapterWindow();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(sheet.customChapterGap(), 60.0f);
    sheet.autoAddPopBtn()->setCurrentIndex(0);
    sheet.autoAddPopBtnAction();
    EXPECT_FALSE(sheet.customAddTimeGap()->isVisible());
    shot(*dialog, "automatic-dialog");
    const int stillsBefore = sheet.stillsMade();
    QTest::mouseClick(sheet.button("applyAutoAddButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(showTimes(clip->markerArray()), (QList<qint64>{60 * s, 120 * s}));
    ASSERT_EQ(sheet.markerItemViewArray().size(), 2);
    EXPECT_EQ(sheet.markerItemViewArray()[0]->chapterName(), QStringLiteral("Chapter 1"));
    EXPECT_EQ(sheet.markerItemViewArray()[1]->chapterName(), QStringLiteral("Chapter 2"));
    EXPECT_EQ(sheet.stillsMade(), stillsBefore + 2);
    EXPECT_FALSE(sheet.markerItemViewArray()[0]->previewImage().isNull());
    sheet.updateSelectedMarker(clip->markerArray().last());
    shot(*sheet.window(), "sheet-every-minute");

    // A reload decodes only the still of a new time.
    pressBarAt(90 * s);
    ASSERT_TRUE(runUntil([&] { return sheet.button("addMarkButton")->isEnabled(); }));
    const int stillsThen = sheet.stillsMade();
    QTest::mouseClick(sheet.button("addMarkButton"), Qt::LeftButton);
    EXPECT_EQ(sheet.stillsMade(), stillsThen + 1);

    // Custom 90.9 s is every 90 s.
    QTest::mouseClick(sheet.button("autoAddButton"), Qt::LeftButton);
    sheet.autoAddPopBtn()->setCurrentIndex(sheet.autoAddPopBtn()->count() - 1);
    sheet.autoAddPopBtnAction();
    EXPECT_TRUE(sheet.customAddTimeGap()->isVisible());
    sheet.customAddTimeGap()->setFocus();
    sheet.customAddTimeGap()->selectAll();
    QTest::keyClicks(sheet.customAddTimeGap(), "90.9");
    QTest::mouseClick(sheet.button("applyAutoAddButton"), Qt::LeftButton);
    EXPECT_EQ(showTimes(clip->markerArray()), (QList<qint64>{90 * s}));

    // Custom 0.5 s is refused in the field and in apply; the markers stay.
    QTest::mouseClick(sheet.button("autoAddButton"), Qt::LeftButton);
    sheet.autoAddPopBtn()->setCurrentIndex(sheet.autoAddPopBtn()->count() - 1);
    sheet.autoAddPopBtnAction();
    sheet.customAddTimeGap()->setFocus();
    sheet.customAddTimeGap()->selectAll();
    QTest::keyClicks(sheet.customAddTimeGap(), "0.5");
    QTest::keyClick(sheet.customAddTimeGap(), Qt::Key_Return);
    EXPECT_TRUE(sheet.autoAddMessage()->isVisible());
    EXPECT_EQ(sheet.customChapterGap(), 60.0f) << "the field keeps the last usable interval";
    sheet.customAddTimeGap()->selectAll();
    QTest::keyClicks(sheet.customAddTimeGap(), "0.5");
    QTest::mouseClick(sheet.button("applyAutoAddButton"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(sheet.autoAddMessage()->isVisible());
    shot(*dialog, "automatic-dialog-refused");
    EXPECT_EQ(showTimes(clip->markerArray()), (QList<qint64>{90 * s}));
    QTest::mouseClick(sheet.button("cancelAutoAddButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(clip->markerArray().size(), 1);
}

TEST_F(ChapterEditorWindow, TheChaptersCommandOpensTheSelectedTitlesClip)
{
    const MediaDataRef clip = importClip(10);
    ASSERT_TRUE(clip);
    QAction *chapters = controller->menuAction(QStringLiteral("openVideoChapterWindowMAction:"));
    ASSERT_TRUE(chapters);
    SourceViewController *list = controller->sourceController();
    list->clearSelection();
    EXPECT_FALSE(chapters->isEnabled()) << "nothing selected";
    list->selectedSingleTitle(list->titleArray().first());
    ASSERT_TRUE(controller->canEditChapter());
    EXPECT_TRUE(chapters->isEnabled());
    chapters->trigger();
    ASSERT_TRUE(editor().isOpen());
    EXPECT_EQ(editor().media(), clip);
    ASSERT_TRUE(runUntil([&] { return !chapters->isEnabled(); })) << "off under the sheet";
    editor().doneVideoEdit();
    ASSERT_TRUE(runUntil([&] { return chapters->isEnabled(); }));
}

TEST_F(ChapterEditorWindow, TheColumnGrowsPastTheScrollView)
{
    const MediaDataRef clip = importClip(60);
    ASSERT_TRUE(clip);
    MarkerItemList markers;
    for (int i = 1; i <= 12; ++i) {
        auto marker = std::make_shared<MarkerItem>();
        marker->setMarkOriginTime(i * 4 * s);
        markers.append(marker);
    }
    clip->setMarkerArray(markers);
    openOn(clip);
    ChapterTableView *column = editor().chapterTableView();
    EXPECT_EQ(column->height(), 12 * 80);
    EXPECT_EQ(editor().markerItemViewArray().at(11)->geometry().top(), 11 * 80);
    shot(*editor().window(), "sheet-twelve-tiles");
}

} // namespace
