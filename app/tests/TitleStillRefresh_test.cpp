// The title stills re-made from their clips after a video edit, and the clip a title element's
// still comes from.

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/AppExtention/TitleStillRefresh.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <gtest/gtest.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;

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

DVDTitleDataRef makeTitle(const QString &colour)
{
    auto title = std::make_shared<DVDTitleData>();
    if (colour.isEmpty())
        return title;
    auto clip = MediaData::mediaDataWithPath(ClipFixtures::shared().colour(colour, 2));
    title->setMediaArray({clip});
    clip->setSuperData(title);
    return title;
}

DVDMenuItemRef slotLeadingTo(const ObjectRef &target)
{
    auto item = makeTitleSlot(QRectF(0, 0, 120, 80));
    item->setJump(target);
    return item;
}

QColor middleOf(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(TitleStillRefresh, StillsAreRemadeAtEachRecordsTimeAndElementsWithoutRecordsAreSkipped)
{
    const DVDTitleDataRef red = makeTitle("red");
    const DVDTitleDataRef empty = makeTitle("");
    const DVDTitleDataRef blue = makeTitle("blue");
    ASSERT_FALSE(red->mediaArray().isEmpty());
    ASSERT_FALSE(blue->mediaArray().isEmpty());

    // A sub-menu page whose first title has no clips: its element shows the next title's clip.
    auto subPage = std::make_shared<DVDMenu>();
    subPage->setItems({slotLeadingTo(empty), slotLeadingTo(blue)});
    auto emptyPage = std::make_shared<DVDMenu>();
    emptyPage->setItems({slotLeadingTo(empty)});

    auto page = std::make_shared<DVDMenu>();
    const DVDMenuItemRef first = slotLeadingTo(red);
    const DVDMenuItemRef second = slotLeadingTo(red);
    const DVDMenuItemRef toSubPage = slotLeadingTo(subPage);
    const DVDMenuItemRef toEmptyPage = slotLeadingTo(emptyPage);
    const DVDMenuItemRef withoutRecord = slotLeadingTo(red);
    page->setItems({first, second, toSubPage, toEmptyPage, withoutRecord});
    TempEditDataList records;
    for (const auto &item : page->items().mid(0, 4))
        MenuTitleItems::createTempEditDataWhenAddMenuItem(item, records);
    ASSERT_EQ(records.size(), 4);
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setMenus({page, subPage, emptyPage});

    EXPECT_EQ(TitleStillRefresh::pictureClipForItem(*first), red->mediaArray().first());
    EXPECT_EQ(TitleStillRefresh::pictureClipForItem(*toSubPage), blue->mediaArray().first());
    EXPECT_FALSE(TitleStillRefresh::pictureClipForItem(*toEmptyPage));
    EXPECT_EQ(TitleStillRefresh::currentMediaMediaData(second), red->mediaArray().first());
    EXPECT_FALSE(TitleStillRefresh::currentMediaMediaData(nullptr));

    // Past the trimmed clip's length the stored time is asked for all the same.
    records[0]->setTitleVideoImageTime(500000);
    records[1]->setTitleVideoImageTime(1500000);
    records[2]->setTitleVideoImageTime(1000000);
    red->mediaArray().first()->movie()->setTrimArray({MovieTrimItem::item(0.0, 1.0)});
    for (const auto &record : records)
        record->setTitleVideoImage(QImage());
    red->mediaArray().first()->ffmovie()->setHue(0.5f);

    TitleStillRefresh::b_updateTitleUseImageWhenVideoEditChanged(*dvd, records);
    ASSERT_FALSE(records[0]->titleVideoImage().isNull());
    ASSERT_FALSE(records[1]->titleVideoImage().isNull()) << "two elements of one title each";
    EXPECT_LE(records[0]->titleVideoImage().width(), 480);
    EXPECT_LE(records[0]->titleVideoImage().height(), 320);
    EXPECT_GT(middleOf(records[0]->titleVideoImage()).red(), 180);
    ASSERT_FALSE(records[2]->titleVideoImage().isNull());
    EXPECT_GT(middleOf(records[2]->titleVideoImage()).blue(), 180) << "from the sub-menu's title";
    EXPECT_TRUE(records[3]->titleVideoImage().isNull()) << "no clip: the still stays";
}

} // namespace
