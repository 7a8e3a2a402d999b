// The page and disc dialogs' arithmetic: slideshow length and clamps, the trims, the trim bar's
// geometry and hits, the picture list's gaps and moves, the library grid, the centre crop, the
// border preview and the page length written to every page.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/Controller/EditControllers/PageDialogRules.h"
#include "app/View/MenuEditView/BackPicListLayout.h"
#include "app/View/MenuEditView/BorderPreviewLayout.h"
#include "app/View/MenuEditView/TrimBarCore.h"
#include "support/AppFakes.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Discwright;
namespace Rules = Discwright::PageDialogRules;
namespace Bar = Discwright::TrimBarCore;
namespace List = Discwright::BackPicListLayout;

namespace {
constexpr int64_t kSecond = 1000000;
}

TEST(SlideshowSettings, LengthAndDurationClamps)
{
    EXPECT_DOUBLE_EQ(Rules::totalPreviewTime(3, 4.0, 1.0), 14.0);
    EXPECT_EQ(CommonFunction::timeStrFromSecond(Rules::totalPreviewTime(3, 4.0, 1.0)),
              QStringLiteral("00:00:14"));
    EXPECT_DOUBLE_EQ(Rules::totalPreviewTime(0, 4.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(Rules::totalPreviewTime(1, 4.0, 1.0), 4.0);

    struct Case
    {
        double typed, image, render;
    };
    for (const Case c : {Case{0.5, 1.0, 0.5},
                         Case{12, 8.0, 4.0},
                         Case{-1, 1.0, 0.0},
                         Case{6, 6.0, 4.0},
                         Case{3, 3.0, 3.0}}) {
        EXPECT_DOUBLE_EQ(Rules::clampImageDuration(c.typed), c.image) << c.typed;
        EXPECT_DOUBLE_EQ(Rules::clampRenderDuration(c.typed), c.render) << c.typed;
    }
}

TEST(TrimRules, StartStopAndDurationKeepOneSecondApart)
{
    const int64_t file = 30 * kSecond;
    struct Case
    {
        int64_t t, other, expected;
        bool start;
    };
    const Case cases[] = {
        {9500000, 10 * kSecond, 9 * kSecond, true}, // music, stop 10 s
        {-2 * kSecond, 10 * kSecond, 0, true},
        {19500000, 20 * kSecond, 19 * kSecond, true}, // warning, stop 20 s
        {4200000, 4 * kSecond, 5 * kSecond, false},   // music, start 4 s
        {3500000, 3 * kSecond, 4 * kSecond, false},
        {40 * kSecond, 4 * kSecond, file, false}, // beyond the file
    };
    for (const Case &c : cases) {
        const int64_t got = c.start ? Rules::clampTrimStart(c.t, c.other, file)
                                    : Rules::clampTrimStop(c.t, c.other, file);
        EXPECT_EQ(got, c.expected) << c.t;
    }
    EXPECT_EQ(Rules::trimStopForDuration(200000, 3 * kSecond, file), 4 * kSecond);
    EXPECT_EQ(Rules::trimStopForDuration(60 * kSecond, 3 * kSecond, file), file);
    EXPECT_DOUBLE_EQ(Rules::clampVolume(5.0), 3.0);
    EXPECT_DOUBLE_EQ(Rules::clampVolume(-1.0), 0.0);
    EXPECT_DOUBLE_EQ(Rules::clampBorderWidth(55), 40.0);
    EXPECT_DOUBLE_EQ(Rules::clampBorderWidth(-3), 0.0);
}

TEST(ChosenFiles, MusicAndWarningRefusalsSayWhy)
{
    using R = Rules::Refusal;
    EXPECT_EQ(Rules::musicRefusal(true, true, 500000), R::None);
    EXPECT_EQ(Rules::musicRefusal(true, true, 400000), R::TooShort);
    EXPECT_EQ(Rules::musicRefusal(true, false, 5 * kSecond), R::NoAudio);
    EXPECT_EQ(Rules::musicRefusal(false, false, 0), R::Unreadable);
    EXPECT_EQ(Rules::warningRefusal(true, true, kSecond), R::None);
    EXPECT_EQ(Rules::warningRefusal(true, true, 900000), R::TooShort);
    EXPECT_EQ(Rules::warningRefusal(true, false, 5 * kSecond), R::NoVideo);
}

TEST(TrimBar, GeometryAndHits)
{
    Bar::BarState bar;
    bar.bounds = QRectF(0, 0, 220, 30); // content 10..210, midY 15
    bar.duration = 10 * kSecond;
    bar.trimStart = 2 * kSecond;
    bar.trimStop = 8 * kSecond;
    bar.leftHandleSize = QSizeF(8, 10);
    bar.rightHandleSize = QSizeF(8, 10);

    EXPECT_DOUBLE_EQ(Bar::timeToPoint(bar, 0), 10.0);
    EXPECT_DOUBLE_EQ(Bar::timeToPoint(bar, 20 * kSecond), 210.0);
    EXPECT_EQ(Bar::pointToTime(bar, 110), 5 * kSecond);
    EXPECT_EQ(Bar::leftTrimIconRect(bar), QRectF(42, 0, 8, 10));
    EXPECT_EQ(Bar::rightTrimIconRect(bar), QRectF(170, 0, 8, 10));
    EXPECT_EQ(Bar::keptSegmentRect(bar), QRectF(50, 5, 120, 20));

    struct Case
    {
        QPointF p;
        Bar::DragType type;
    };
    const Case cases[] = {
        {{5, 15}, Bar::DragType::Seek},      // 5 pt left of the content, on the line
        {{5, 21.5}, Bar::DragType::Seek},    // within 7 of the centre line
        {{100, 23}, Bar::DragType::Nothing}, // more than 7 away
        {{45, 5}, Bar::DragType::LeftTrim},  // handle over the band
        {{172, 8}, Bar::DragType::RightTrim},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Bar::drayTypeAtPoint(bar, c.p, true), c.type) << c.p.x() << "," << c.p.y();
    EXPECT_EQ(Bar::drayTypeAtPoint(bar, {45, 8}, false), Bar::DragType::Seek);
    EXPECT_EQ(Bar::seekTimeAtPoint(bar, 5), 0);
    EXPECT_EQ(Bar::seekTimeAtPoint(bar, 400), bar.duration);
    // The handle asks for the time under it, unclamped; the dialog clamps and seeks there.
    EXPECT_EQ(Bar::handleTimeForOffset(bar, Bar::DragType::LeftTrim, 200), 12 * kSecond);
    EXPECT_EQ(Bar::handleTimeForOffset(bar, Bar::DragType::LeftTrim, -100), -3 * kSecond);
}

TEST(TrimBar, NarrowOrEmptyBarsMapSafely)
{
    for (double width : {0.0, 12.0, 19.9}) {
        Bar::BarState bar;
        bar.bounds = QRectF(0, 0, width, 30);
        bar.duration = 10 * kSecond;
        const double x = Bar::timeToPoint(bar, 5 * kSecond);
        EXPECT_TRUE(std::isfinite(x));
        EXPECT_EQ(Bar::pointToTime(bar, 3), 0) << width;
        EXPECT_EQ(Bar::seekTimeAtPoint(bar, 100), 0);
    }
    Bar::BarState empty;
    empty.bounds = QRectF(0, 0, 220, 30);
    EXPECT_DOUBLE_EQ(Bar::timeToPoint(empty, 5 * kSecond), 10.0);
}

TEST(PictureList, GapsLineAndMoves)
{
    struct Case
    {
        double y;
        int count, expected;
    };
    for (const Case c :
         {Case{200, 5, 2}, Case{201, 5, 3}, Case{0, 5, 0}, Case{900, 5, 5}, Case{250, 4, 3}})
        EXPECT_EQ(List::getSupposedInsertIndex(c.y, c.count), c.expected) << c.y;
    EXPECT_DOUBLE_EQ(List::lineViewY(-1), -81.0);
    EXPECT_DOUBLE_EQ(List::lineViewY(2), 159.0);

    struct Move
    {
        QList<int> dragged;
        double y;
        QString expected;
    };
    const Move moves[] = {
        {{0}, 250, "BCAD"},
        {{3}, 0, "DABC"},
        {{1}, 120, "ABCD"},
        {{0}, 330, "BCDA"},
        {{0, 2}, 330, "BDAC"},
    };
    for (const Move &m : moves) {
        QList<QChar> items = {'A', 'B', 'C', 'D'};
        List::moveItems(items, m.dragged, List::getSupposedInsertIndex(m.y, items.size()));
        EXPECT_EQ(QString(items.constData(), items.size()), m.expected) << m.y;
    }
}

TEST(PictureList, LibraryGridAndCentreCrop)
{
    const List::GridLayout grid = List::layoutFrameView(QSizeF(430, 200), 7);
    ASSERT_EQ(grid.columns, 4);
    EXPECT_EQ(grid.rows, 2);
    EXPECT_DOUBLE_EQ(grid.cells.at(0).x(), 6.0);
    EXPECT_DOUBLE_EQ(grid.cells.at(5).x(), 6.0 + 106.0);
    EXPECT_DOUBLE_EQ(grid.cells.at(5).y(), 100.0);
    EXPECT_EQ(grid.documentSize, QSizeF(430, 200));
    EXPECT_EQ(List::layoutFrameView(QSizeF(50, 100), 3).columns, 1);

    const QRectF four = List::centreCropRect(QSizeF(4000, 1000), QSizeF(640.5, 480));
    EXPECT_NEAR(four.width(), 1334.375, 1e-9);
    EXPECT_NEAR(four.height(), 1000, 1e-9);
    EXPECT_NEAR(four.x(), (4000 - 1334.375) / 2, 1e-9);
    const QRectF wide = List::centreCropRect(QSizeF(4000, 1000), QSizeF(854, 480));
    EXPECT_NEAR(wide.width(), 854 / 0.48, 1e-9);
}

TEST(BorderPreview, SamplesLabelsAndCrop)
{
    const auto layout = BorderPreviewLayout::layoutForSize(QSizeF(640, 300));
    EXPECT_EQ(layout.gap, 80);
    EXPECT_EQ(layout.leftSample, QRectF(80, 75, 200, 150));
    EXPECT_EQ(layout.rightSample, QRectF(360, 75, 200, 150));
    EXPECT_EQ(layout.labelY, 25);
    EXPECT_EQ(BorderPreviewLayout::fillRect(layout.leftSample, 40), QRectF(120, 115, 120, 70));
    EXPECT_EQ(BorderPreviewLayout::getFillSizeforRect(QRectF(0, 0, 400, 100), QSizeF(2, 1)),
              QRectF(100, 0, 200, 100));
    EXPECT_EQ(BorderPreviewLayout::getFillSizeforRect(QRectF(0, 0, 100, 400), QSizeF(1, 1)),
              QRectF(0, 150, 100, 100));
}

TEST(DiscSettings, NewProjectLookAndPageLength)
{
    const TempDvdData fresh;
    EXPECT_DOUBLE_EQ(fresh.dvdBorderWidth(), 0.0);
    EXPECT_TRUE(fresh.dvdBorderUseFill());
    EXPECT_EQ(fresh.dvdBorderFillColor().red(), 255);
    EXPECT_NEAR(fresh.dvdBorderFillColor().alphaF(), 0.25, 0.01);
    EXPECT_EQ(fresh.dvdBorderColor().blue(), 255);
    EXPECT_NEAR(fresh.dvdBorderColor().alphaF(), 1.0, 0.01);
    EXPECT_EQ(Rules::durationItemTitles().first(), QStringLiteral("5"));
    EXPECT_EQ(Rules::durationItemTitles().last(), QStringLiteral("60"));

    app_testing::application();
    app_testing::ScopedMainWindow window;
    window->tempDvdData()->setUseBackMusicLengthDuration(false);
    auto plain = std::make_shared<DVDMenu>();
    plain->setDuration(0.5);
    auto other = std::make_shared<DVDMenu>();
    other->setDuration(20);
    auto show = std::make_shared<DVDMenu>();
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setEveryImageDuration(4.0);
    drawer->setEveryRenderDuration(1.0);
    drawer->setUseRenderDurAsMenuDur(true);
    drawer->setImageItemArray({std::make_shared<BackPictureItem>(),
                               std::make_shared<BackPictureItem>(),
                               std::make_shared<BackPictureItem>()});
    show->setMenu_drawer(drawer);
    show->setUse_menu_drawer(true);
    window->dvd()->setMenus({plain, other, show});
    EXPECT_DOUBLE_EQ(Rules::getCurrentDVDMenuDuration(*window->dvd()), 15.0);

    Rules::saveMenuDurationToPages(*window, QStringLiteral("30"), false);
    EXPECT_DOUBLE_EQ(plain->duration(), 30.0);
    EXPECT_DOUBLE_EQ(other->duration(), 30.0);
    EXPECT_DOUBLE_EQ(show->duration(), 14.0);
    EXPECT_GE(window->capacityRefreshes, 1);

    window->tempDvdData()->setUseBackMusicLengthDuration(true);
    Rules::saveMenuDurationToPages(*window, QString(), true);
    EXPECT_DOUBLE_EQ(plain->duration(), 15.0);
    EXPECT_DOUBLE_EQ(show->duration(), 14.0);
}
