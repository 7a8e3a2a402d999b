// What a playing page asks of its elements: the title record an element opens, and the picture of
// an element's frame drawn around content.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "support/AppFakes.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

using namespace app_testing;

TEST(DVDMenuItemPlayerExtention, TheTitleRecordAnElementOpens)
{
    auto title = std::make_shared<DVDTitleData>();
    auto page = std::make_shared<DVDMenu>();
    auto toTitle = makeTitleSlot();
    toTitle->setJump(title);
    auto toPage = makeButton(QStringLiteral("next"));
    toPage->setJump(page);
    EXPECT_EQ(DVDMenuItemExtention::dvdTitleData(*toTitle), title);
    EXPECT_EQ(DVDMenuItemExtention::dvdTitleData(*toPage), nullptr);
    EXPECT_EQ(DVDMenuItemExtention::dvdTitleData(*makeTitleSlot()), nullptr);
    // Nothing to restart behind a page or an empty jump: no crash, nothing done.
    DVDMenuItemExtention::setCurrentTime(*toPage, 1000000);
    DVDMenuItemExtention::setCurrentTime(*makeTitleSlot(), 1000000);
}

TEST(DVDMenuItemPlayerExtention, FramePictureAroundContent)
{
    application();
    const auto fillRed
        = [](QPainter &painter) { painter.fillRect(QRectF(-1000, -1000, 4000, 4000), Qt::red); };

    // A static picture without a frame template: the content alone covers the whole frame.
    auto still = makeTitleSlot(QRectF(40, 300, 160, 120));
    still->setFrameResource(nullptr);
    QImage picture(10, 10, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    still->setMenuStaticImage(picture);
    still->setUseStaticImage(true);
    const QImage whole = DVDMenuItemExtention::menuFrameItemDrawImage(*still, fillRed);
    ASSERT_EQ(whole.size(), QSize(160, 120)) << "the integral frame's size";
    EXPECT_EQ(whole.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(whole.pixelColor(80, 60), QColor(Qt::red));

    // Without a static picture the content is drawn into a black well 5 points inside the frame.
    auto framed = makeTitleSlot(QRectF(40, 300, 160, 120));
    framed->setFrameResource(nullptr);
    const QImage well = DVDMenuItemExtention::menuFrameItemDrawImage(
        *framed, [](QPainter &painter) { painter.fillRect(QRectF(0, 0, 80, 120), Qt::red); });
    ASSERT_EQ(well.size(), QSize(160, 120));
    EXPECT_EQ(well.pixelColor(2, 60).alpha(), 0) << "outside the well";
    EXPECT_EQ(well.pixelColor(40, 60), QColor(Qt::red));
    EXPECT_EQ(well.pixelColor(120, 60), QColor(Qt::black));
    EXPECT_EQ(well.pixelColor(120, 2).alpha(), 0);

    // A frame of no size gives no picture.
    auto empty = makeTitleSlot(QRectF(0, 0, 0, 0));
    EXPECT_TRUE(DVDMenuItemExtention::menuFrameItemDrawImage(*empty, fillRed).isNull());
}

} // namespace
