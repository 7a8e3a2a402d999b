// Where the zoom types put a picture in the output frame: the shared fit rule, with the engine's
// own limit on enlargement.

#include "Reelsmith/frames/FrameComposition.h"

#include <gtest/gtest.h>

namespace {

using Reelsmith::detail::zoomTarget;

void expectRect(const QRectF &got, const QRectF &expected)
{
    EXPECT_NEAR(got.x(), expected.x(), 1e-2);
    EXPECT_NEAR(got.y(), expected.y(), 1e-2);
    EXPECT_NEAR(got.width(), expected.width(), 1e-2);
    EXPECT_NEAR(got.height(), expected.height(), 1e-2);
}

TEST(FrameZoomPlacement, FramesOfEverySizeAndBoxesWithNoRoom)
{
    struct Case
    {
        const char *name;
        QRectF picture;
        int zoom;
        QRectF frame;
        QRectF expected;
    };
    const QRectF sd(0, 0, 720, 576), hd(0, 0, 1920, 1080);
    const Case cases[] = {
        {"fit, wide into PAL", {0, 0, 1920, 1080}, 2, sd, {0, 85.5, 720, 405}},
        // The bare 16 by 9 and 4 by 3 shapes need more than a hundredfold on a full HD frame.
        {"a 16:9 frame fills a full HD frame", {0, 0, 720, 576}, 3, hd, hd},
        {"a 4:3 frame in a full HD frame", {0, 0, 720, 576}, 4, hd, {240, 0, 1440, 1080}},
        {"stretch", {0, 0, 100, 100}, 1, sd, sd},
        // A frame with no room takes no picture: an empty rectangle at its centre, never one
        // spread past it.
        {"fit into a frame of no width", {0, 0, 720, 576}, 2, {10, 20, 0, 576}, {10, 308, 0, 0}},
        {"16:9 into a frame of no height", {0, 0, 720, 576}, 3, {10, 20, 720, 0}, {370, 20, 0, 0}},
        {"an empty picture", {0, 0, 0, 0}, 5, sd, {360, 288, 0, 0}},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        bool known = false;
        expectRect(zoomTarget(row.picture, row.zoom, row.frame, &known), row.expected);
        EXPECT_TRUE(known);
    }
}

} // namespace
