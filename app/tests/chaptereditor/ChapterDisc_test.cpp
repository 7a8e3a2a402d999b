// Chapters made in the sheet reach the disc: every minute on a 150 s clip gives one title of
// three chapters; a clip kept as [0,10] + [20,30] split at origin 25 s gives titles of 15 s and
// 5 s, the new one with a copy of the menu item. Both read back with lsdvd.

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

TEST_F(ChapterDisc, EveryMinuteOnA150SecondClipGivesThreeChapters)
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

TEST_F(ChapterDisc, SplitOfATrimmedClipGivesTwoTitles)
{
    const MediaDataRef clip = importClip(30);
    ASSERT_TRUE(clip);
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
    QTest::mouseClick(editor().button("addChapterOnMenuButton"), Qt::LeftButton);
    EXPECT_FALSE(editor().isOpen());

    EXPECT_EQ(clip->movie()->trimArrayDuration(), 15 * s);
    EXPECT_TRUE(clip->markerArray().isEmpty());
    const auto titles = controller->project()->titles();
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[0], title);
    const DVDTitleDataRef added = titles[1];
    ASSERT_EQ(added->mediaArray().size(), 1);
    const MediaDataRef piece = added->mediaArray().first();
    EXPECT_EQ(piece->movie()->trimArrayDuration(), 5 * s);
    EXPECT_TRUE(piece->markerArray().isEmpty());
    EXPECT_EQ(piece->superData(), added);
    const auto [copy, copyPage] = TitlePageEdits::itemLeadingTo(*controller->dvd(), added);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copyPage, page);
    // 10 points right and 10 down (menu space is y up).
    EXPECT_EQ(copy->frame(), itemFrame.translated(10, -10));

    const testing_support::DiscInfo disc = burnToFolder();
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    ASSERT_EQ(disc.titles.size(), 2);
    EXPECT_NEAR(disc.titles[0].lengthSeconds, 15.0, 0.6);
    EXPECT_NEAR(disc.titles[1].lengthSeconds, 5.0, 0.6);
    EXPECT_EQ(disc.titles[0].chapters.size(), 1);
    EXPECT_EQ(disc.titles[1].chapters.size(), 1);
}

} // namespace
