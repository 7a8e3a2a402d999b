// The one fitting rule that the engine's thumbnails and bitmaps and the menu pages share.

#include "platform/FitRect.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

void expectRect(const QRectF &got, const QRectF &expected)
{
    EXPECT_NEAR(got.x(), expected.x(), 1e-3);
    EXPECT_NEAR(got.y(), expected.y(), 1e-3);
    EXPECT_NEAR(got.width(), expected.width(), 1e-3);
    EXPECT_NEAR(got.height(), expected.height(), 1e-3);
}

} // namespace

TEST(FitRect, FitAndFillKeepTheAspectAndCentre)
{
    struct Case
    {
        const char *name;
        QRectF a, b, fit, fill;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"wide into 4:3",
         {0, 0, 1920, 1080},
         {0, 0, 640, 480},
         {0, 60, 640, 360},
         {-106.667, 0, 853.333, 480}},
        {"small is enlarged",
         {0, 0, 10, 5},
         {0, 0, 100, 100},
         {0, 25, 100, 50},
         {-50, 0, 200, 100}},
        {"box origin kept", {0, 0, 4, 3}, {10, 20, 8, 6}, {10, 20, 8, 6}, {10, 20, 8, 6}},
        {"no more than a hundredfold",
         {0, 0, 1, 1},
         {0, 0, 1000, 1000},
         {450, 450, 100, 100},
         {450, 450, 100, 100}},
        {"nothing to fit", {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"a box with no room takes no picture",
         {0, 0, 100, 100},
         {10, 10, -1, -1},
         {9.5, 9.5, 0, 0},
         {9.5, 9.5, 0, 0}},
        {"a ratio that is not a number gives way",
         {0, 0, nan, 50},
         {0, 0, 100, 100},
         {nan, 0, nan, 100},
         {nan, 0, nan, 100}},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QRectF fit = platform::scaleRectIn(row.a, row.b);
        const QRectF fill = platform::scaleRectFull(row.a, row.b);
        if (std::isnan(row.fit.width())) {
            expectRect(QRectF(0, fit.y(), 0, fit.height()),
                       QRectF(0, row.fit.y(), 0, row.fit.height()));
            expectRect(QRectF(0, fill.y(), 0, fill.height()),
                       QRectF(0, row.fill.y(), 0, row.fill.height()));
            continue;
        }
        expectRect(fit, row.fit);
        expectRect(fill, row.fill);
    }
}

TEST(FitRect, TheFloorBoundsTheEnlargement)
{
    // A bare 16 by 9 aspect fitted into a full HD frame needs more than a hundredfold: the menu
    // pages keep the hundredfold limit, the engine's frame placement passes its own floor.
    const QRectF aspect(0, 0, 16, 9), frame(0, 0, 1920, 1080);
    expectRect(platform::scaleRectIn(aspect, frame), QRectF(160, 90, 1600, 900));
    expectRect(platform::scaleRectIn(aspect, frame, 0.001f), frame);
    expectRect(platform::scaleRectFull(aspect, frame, 0.001f), frame);
    // A single point is blown up no more than a thousandfold there.
    expectRect(platform::scaleRectIn(QRectF(0, 0, 1, 1), frame, 0.001f),
               QRectF(460, 40, 1000, 1000));
    expectRect(platform::scaleRectIn(aspect, QRectF(5, 5, 0, 10), 0.001f), QRectF(5, 10, 0, 0));
}
