// Chapters made in the sheet reach the disc, read back with lsdvd: automatic chapters give one
// title of three chapters; a clip kept as [0,10] + [20,30] split at origin 25 s gives titles of
// 15 s and 5 s, the new one with a copy of the menu item.

#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "app/chaptereditor/View/ChapterSingleView.h"
#include "support/ChapterSheet.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace chapter_testing;
using namespace shell_testing;

namespace {

constexpr qint64 s = 1000000;

using ChapterDisc = ChapterSheetTest;

// The burn of a 150 s clip takes about five minutes under the sanitizers, far past what a test
// may take; it passes and runs by hand with --gtest_also_run_disabled_tests. The enabled test below
// makes the same chapters from the automatic dialog on a shorter clip.
TEST_F(ChapterDisc, DISABLED_EveryMinuteOnA150SecondClipGivesThreeChapters)
{
    const MediaDataRef clip = importClip(150);
    ASSERT_TRUE(clip);
    openOn(clip);
    QTest::mouseClick(editor().button("autoAddButton"), Qt::LeftButton);
    editor().autoAddPopBtn()->setCurrentIndex(0);
    QTest::mouseClick(editor().button("applyAutoAddButton"), Qt::LeftButton);
    ASSERT_EQ(clip->markerArray().size(), 2);
    QTest::mouseClick(editor().button("doneButton"), Qt::LeftButton);

    const testing_support::DiscInfo disc = burnToFolder();
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    ASSERT_EQ(disc.titles.size(), 1);
    ASSERT_EQ(disc.titles[0].chapters.size(), 3);
    // Chapters start at 0, 60 and 120 s, within a group of pictures.
    EXPECT_NEAR(disc.titles[0].chapters[0].lengthSeconds, 60.0, 0.6);
    EXPECT_NEAR(disc.titles[0].chapters[1].lengthSeconds, 60.0, 0.6);
    EXPECT_NEAR(disc.titles[0].lengthSeconds, 150.0, 0.6);
}

// One burn for both: a clip kept as [0,10] + [20,30] split at origin 25 s, and a 25 s clip given
// a chapter every 10 s by the automatic dialog's custom entry.
TEST_F(ChapterDisc, ASplitClipAndAutomaticChaptersReachTheDisc)
{
    const MediaDataRef clip = importClip(30);
    ASSERT_TRUE(clip);
    const MediaDataRef chaptered = importClip(25);
    ASSERT_TRUE(chaptered);

    openOn(chaptered);
    QTest::mouseClick(editor().button("autoAddButton"), Qt::LeftButton);
    editor().autoAddPopBtn()->setCurrentIndex(editor().autoAddPopBtn()->count() - 1);
    editor().autoAddPopBtnAction();
    editor().customAddTimeGap()->selectAll();
    QTest::keyClicks(editor().customAddTimeGap(), "10");
    QTest::mouseClick(editor().button("applyAutoAddButton"), Qt::LeftButton);
    ASSERT_EQ(chaptered->markerArray().size(), 2);
    QTest::mouseClick(editor().button("doneButton"), Qt::LeftButton);

    clip->movie()->setTrimArray({MovieTrimItem::item(0, 10), MovieTrimItem::item(20, 10)});
    auto marker = std::make_shared<MarkerItem>();
    marker->setMarkOriginTime(25 * s);
    clip->setMarkerArray({marker});
    const DVDTitleDataRef title = clip->superData();
    ASSERT_TRUE(title);
    const auto [item, page] = TitlePageEdits::itemLeadingTo(*controller->dvd(), title);
    ASSERT_TRUE(item && page);
    const QRectF itemFrame = item->frame();

    openOn(clip);
    ASSERT_EQ(editor().markerItemViewArray().size(), 1);
    EXPECT_EQ(marker->markShowTime(), 15 * s);
    EXPECT_EQ(editor().markerItemViewArray().first()->timeField()->text(),
              QStringLiteral("00:00:15.000"));
    shot(*editor().window(), "sheet-trimmed-clip");
    controller->setDocumentEdited(false);
    QTest::mouseClick(editor().button("addChapterOnMenuButton"), Qt::LeftButton);
    EXPECT_FALSE(editor().isOpen());
    EXPECT_TRUE(controller->isDocumentEdited());

    EXPECT_EQ(clip->movie()->trimArrayDuration(), 15 * s);
    EXPECT_TRUE(clip->markerArray().isEmpty());
    // The new title sits two places after the clip's title.
    const auto titles = controller->project()->titles();
    ASSERT_EQ(titles.size(), 3);
    EXPECT_EQ(titles[0], title);
    EXPECT_EQ(titles[1], chaptered->superData());
    const DVDTitleDataRef added = titles[2];
    ASSERT_EQ(added->mediaArray().size(), 1);
    const MediaDataRef piece = added->mediaArray().first();
    EXPECT_EQ(piece->movie()->trimArrayDuration(), 5 * s);
    EXPECT_TRUE(piece->markerArray().isEmpty());
    EXPECT_EQ(piece->superData(), added);
    EXPECT_EQ(added->name(), title->name());
    const auto [copy, copyPage] = TitlePageEdits::itemLeadingTo(*controller->dvd(), added);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copyPage, page);
    // 10 points right and 10 down (menu space is y up).
    EXPECT_EQ(copy->frame(), itemFrame.translated(10, -10));

    const testing_support::DiscInfo disc = burnToFolder();
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    ASSERT_EQ(disc.titles.size(), 3);
    EXPECT_NEAR(disc.titles[0].lengthSeconds, 15.0, 0.6);
    EXPECT_EQ(disc.titles[0].chapters.size(), 1);
    // Chapters at 0, 10 and 20 s, within a group of pictures.
    EXPECT_NEAR(disc.titles[1].lengthSeconds, 25.0, 0.6);
    ASSERT_EQ(disc.titles[1].chapters.size(), 3);
    EXPECT_NEAR(disc.titles[1].chapters[0].lengthSeconds, 10.0, 0.6);
    EXPECT_NEAR(disc.titles[1].chapters[1].lengthSeconds, 10.0, 0.6);
    EXPECT_NEAR(disc.titles[2].lengthSeconds, 5.0, 0.6);
    EXPECT_EQ(disc.titles[2].chapters.size(), 1);
}

} // namespace
