#include "Reelsmith/effects/EffectManager.h"
#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/imaging/Renderer.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

using Reelsmith::imaging::Extent;
using Reelsmith::imaging::Image;
using Reelsmith::imaging::render;
using Reelsmith::imaging::renderToImage;

namespace {

// A picture whose every pixel differs: red across, green down, opaque.
QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
    return image;
}

QColor at(const QImage &image, int x, int yUp)
{
    return image.pixelColor(x, image.height() - 1 - yUp);
}

} // namespace

TEST(Imaging, ExtentsAreFiniteInfiniteOrEmpty)
{
    const Image picture = Image::fromQImage(gradient(40, 20));
    EXPECT_EQ(picture.extent(), (Extent{0, 0, 40, 20}));
    const Image plane = Image::constantColor(Qt::red);
    EXPECT_TRUE(plane.extent().isInfinite());
    EXPECT_EQ(plane.cropped(QRectF(-5, 2, 10, 3)).extent(), (Extent{-5, 2, 5, 5}));
    EXPECT_EQ(picture.translated(3, 4).scaled(2, 1).extent(), (Extent{6, 4, 86, 24}));
    EXPECT_TRUE(picture.cropped(QRectF(100, 100, 5, 5)).extent().isEmpty());
    EXPECT_TRUE(picture.scaled(0, 1).extent().isEmpty());
    EXPECT_TRUE(Image().isNull());
    EXPECT_TRUE(Image().sourceOver(plane).isNull());
}

TEST(Imaging, IdentityAndWholePixelMovesKeepTheBytes)
{
    const QImage source = gradient(64, 48);
    const Image picture = Image::fromQImage(source);
    EXPECT_EQ(renderToImage(picture, QRect(0, 0, 64, 48)), source);
    // Moved by whole pixels, rendered where it went: the same bytes.
    const Image moved = picture.translated(10, -7).translated(-3, 2);
    EXPECT_EQ(renderToImage(moved, QRect(7, -5, 64, 48)), source);
    // Outside the picture, transparent.
    const QImage wider = renderToImage(picture, QRect(-2, 0, 66, 48));
    EXPECT_EQ(wider.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(wider.pixelColor(2, 0), source.pixelColor(0, 0));
}

TEST(Imaging, QuarterTurnPutsTheRightEdgeOnTop)
{
    QImage source(2, 1, QImage::Format_RGBA8888_Premultiplied);
    source.setPixelColor(0, 0, Qt::red);
    source.setPixelColor(1, 0, Qt::blue);
    QTransform turn;
    turn.rotate(90);
    const Image turned = Image::fromQImage(source).transformed(turn);
    EXPECT_NEAR(turned.extent().x0, -1, 1e-9);
    EXPECT_NEAR(turned.extent().y1, 2, 1e-9);
    const QImage out = renderToImage(turned, QRect(-1, 0, 1, 2));
    EXPECT_EQ(at(out, 0, 1), QColor(Qt::blue));
    EXPECT_EQ(at(out, 0, 0), QColor(Qt::red));
}

TEST(Imaging, ScalingInterpolatesBetweenPixels)
{
    // A ramp, magnified: the cubic keeps a straight line straight wherever its taps lie inside.
    QImage source(6, 1, QImage::Format_RGBA8888_Premultiplied);
    for (int x = 0; x < 6; ++x)
        source.setPixelColor(x, 0, QColor(40 * x, 0, 0));
    const QImage out = renderToImage(Image::fromQImage(source).scaled(2, 1), QRect(0, 0, 12, 1));
    // Output centre i + 0.5 lies at source (i + 0.5) / 2 - 0.5: 1.25, 1.75, ... for i = 3, 4, ...
    for (int i = 3; i <= 8; ++i)
        EXPECT_EQ(out.pixelColor(i, 0).red(), 40 * (i + 0.5) / 2 - 20) << i;
}

// Shrinking widens the filter by the factor, so detail finer than the output's pixels averages
// out instead of folding back as false patterns: one-pixel stripes at a third of the size are
// grey, whichever phase each output pixel falls on.
TEST(Imaging, ShrinkingAveragesInsteadOfAliasing)
{
    QImage stripes(300, 4, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 300; ++x)
            stripes.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
    for (double factor : {1 / 3.0, 0.4, 0.55}) {
        const int w = int(300 * factor);
        const QImage out
            = renderToImage(Image::fromQImage(stripes).scaled(factor, 1), QRect(0, 0, w, 4));
        for (int x = 2; x < w - 2; ++x)
            EXPECT_NEAR(out.pixelColor(x, 1).red(), 128, 14) << factor << " " << x;
    }
}

// Decoded frames carry straight alpha; the filter works on premultiplied colour and its ringing
// never lifts a colour above its alpha (which would be an invalid, glowing pixel).
TEST(Imaging, ResampledColourNeverExceedsItsAlpha)
{
    QImage edge(8, 8, QImage::Format_RGBA8888);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            edge.setPixelColor(x, y, x < 4 ? QColor(255, 255, 255, 255) : QColor(255, 255, 255, 0));
    for (double factor : {2.5, 0.6}) {
        const int w = int(8 * factor);
        const QImage out
            = renderToImage(Image::fromQImage(edge).scaled(factor, factor), QRect(0, 0, w, w));
        ASSERT_FALSE(out.isNull());
        for (int y = 0; y < out.height(); ++y) {
            const uint8_t *p = out.constScanLine(y);
            for (int x = 0; x < out.width(); ++x)
                for (int k = 0; k < 3; ++k)
                    ASSERT_LE(p[x * 4 + k], p[x * 4 + 3]) << factor << " " << x << "," << y;
        }
        EXPECT_EQ(out.pixelColor(0, w / 2).alpha(), 255);
        EXPECT_EQ(out.pixelColor(w - 1, w / 2).alpha(), 0);
    }
}

TEST(Imaging, CropCutsWithoutBleedingNeighbours)
{
    QImage source(4, 1, QImage::Format_RGBA8888_Premultiplied);
    source.fill(Qt::white);
    source.setPixelColor(1, 0, Qt::black);
    source.setPixelColor(2, 0, Qt::black);
    // The black middle, magnified: no white may creep in from the cut-off ends.
    const Image middle = Image::fromQImage(source).cropped(QRectF(1, 0, 2, 1)).scaled(3, 3);
    const QImage out = renderToImage(middle, QRect(0, 0, 12, 3));
    for (int x = 0; x < 12; ++x) {
        const QColor c = out.pixelColor(x, 1);
        if (x >= 3 && x < 9)
            EXPECT_EQ(c, QColor(Qt::black)) << x;
        else
            EXPECT_EQ(c.alpha(), 0) << x;
    }
}

TEST(Imaging, SourceOverAndSourceInUsePremultipliedAlpha)
{
    const Image halfRed = Image::constantColor(QColor(255, 0, 0, 128)).cropped(QRectF(0, 0, 2, 1));
    const Image blue = Image::constantColor(Qt::blue);
    const QImage over = renderToImage(halfRed.sourceOver(blue), QRect(0, 0, 3, 1));
    const QColor mixed = over.pixelColor(0, 0);
    EXPECT_NEAR(mixed.red(), 128, 1);
    EXPECT_NEAR(mixed.blue(), 127, 1);
    EXPECT_EQ(mixed.alpha(), 255);
    EXPECT_EQ(over.pixelColor(2, 0), QColor(Qt::blue));

    const Image mask = Image::constantColor(QColor(0, 0, 0, 0))
                           .cropped(QRectF(0, 0, 1, 1))
                           .sourceOver(Image::constantColor(Qt::white).cropped(QRectF(1, 0, 2, 1)));
    const QImage in
        = renderToImage(Image::constantColor(Qt::green).sourceIn(mask), QRect(0, 0, 3, 1));
    EXPECT_EQ(in.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(in.pixelColor(1, 0), QColor(Qt::green));
    EXPECT_EQ(in.pixelColor(2, 0), QColor(Qt::green));
}

// Bands start at different rows for different thread counts; nothing may depend on that, not a
// resampled turn, not a blur reaching across band edges, not the compositing.
TEST(Imaging, AnyNumberOfThreadsGivesTheSameBytes)
{
    auto blur = EffectManager::sharedFilterWithName(QStringLiteral("Blur"));
    auto glow = EffectManager::sharedFilterWithName(QStringLiteral("Glow"));
    auto bloom = EffectManager::sharedFilterWithName(QStringLiteral("Bloom"));
    ASSERT_TRUE(blur && glow && bloom);
    const Image source = Image::fromQImage(gradient(160, 120)).cropped(QRectF(10, 5, 130, 100));
    QTransform turn;
    turn.rotate(17);
    turn.scale(1.3, 0.8);
    // A resampled turn with blurs, the filters under a transform (they work in their own space
    // and are resampled afterwards).
    Image turned = glow->applyTo(blur->applyTo(source.transformed(turn).translated(40, 10)));
    turned = turned.scaled(0.9, 1.1).sourceOver(Image::constantColor(Qt::black));
    // A mirrored shrink and a stretch, with wide filters at the output's own scale.
    const Image shrunk = bloom->applyTo(source.scaled(-0.7, 0.45).translated(150, 20))
                             .sourceOver(Image::constantColor(Qt::black));
    const Image stretched = blur->applyTo(source.scaled(1.4, -1.7).translated(3, 180))
                                .sourceOver(Image::constantColor(Qt::black));
    const QRect region(0, 0, 200, 170);
    for (const Image &picture : {turned, shrunk, stretched}) {
        const QImage one = renderToImage(picture, region, 1);
        ASSERT_FALSE(one.isNull());
        for (int threads : {0, 2, 3, 7, 16})
            EXPECT_EQ(renderToImage(picture, region, threads), one) << threads;
    }
}

// A quarter turn filters like an upright picture: a turned, shrunk picture is the upright one
// shrunk the same way, turned (to a rounding step: the two passes run in the other order).
TEST(Imaging, QuarterTurnResamplesLikeTheUprightPicture)
{
    const Image source = Image::fromQImage(gradient(150, 90));
    QTransform turn;
    turn.rotate(90);
    const Image upright = source.scaled(0.45, 0.6);
    const Image turned = source.transformed(QTransform::fromScale(0.45, 0.6) * turn);
    const QImage straight = renderToImage(upright, QRect(0, 0, 68, 54), 1);
    const QImage quarter = renderToImage(turned, QRect(-54, 0, 54, 68), 1);
    ASSERT_FALSE(straight.isNull() || quarter.isNull());
    int worst = 0;
    for (int y = 0; y < 54; ++y)
        for (int x = 0; x < 67; ++x) {
            // Upright (x, y up) lands at (-1 - y, x) once turned a quarter to the left.
            const QColor a = at(straight, x, y), b = at(quarter, 53 - y, x);
            worst = std::max({worst,
                              std::abs(a.red() - b.red()),
                              std::abs(a.green() - b.green()),
                              std::abs(a.blue() - b.blue())});
        }
    EXPECT_LE(worst, 1);
    for (int threads : {2, 5})
        EXPECT_EQ(renderToImage(turned, QRect(-54, 0, 54, 68), threads), quarter) << threads;
}

// A wide blur at the output's scale is drawn before the bands, its passes split over the threads;
// a blur moved by whole pixels is drawn in place in each band. Both are the same pixels.
TEST(Imaging, WideFilterDrawnAheadMatchesItDrawnInPlace)
{
    auto bloom = EffectManager::sharedFilterWithName(QStringLiteral("Bloom"));
    ASSERT_TRUE(bloom);
    const Image picture
        = bloom->applyTo(Image::fromQImage(gradient(120, 90)).scaled(0.8, 0.8).translated(9, 7));
    const QImage ahead = renderToImage(picture, QRect(0, 0, 130, 100), 4);
    const QImage inPlace = renderToImage(picture.translated(5, -3), QRect(5, -3, 130, 100), 4);
    ASSERT_FALSE(ahead.isNull());
    EXPECT_EQ(ahead, inPlace);
}

TEST(Imaging, RenderRefusesWhatItCannotDraw)
{
    uint8_t pixel[4];
    EXPECT_FALSE(render(Image(), QRect(0, 0, 1, 1), pixel, 4));
    EXPECT_FALSE(render(Image::constantColor(Qt::red), QRect(), pixel, 4));
    EXPECT_FALSE(render(Image::constantColor(Qt::red), QRect(0, 0, 2, 1), pixel, 4));
    EXPECT_TRUE(render(Image::empty(), QRect(0, 0, 1, 1), pixel, 4));
    EXPECT_EQ(pixel[3], 0);
}
