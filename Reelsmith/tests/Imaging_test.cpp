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
    QImage source(2, 1, QImage::Format_RGBA8888_Premultiplied);
    source.setPixelColor(0, 0, QColor(0, 0, 0));
    source.setPixelColor(1, 0, QColor(200, 0, 0));
    const QImage out = renderToImage(Image::fromQImage(source).scaled(2, 1), QRect(0, 0, 4, 1));
    // Centres at 0.25, 0.75, 1.25, 1.75 of the source: ends held, the middle mixed.
    EXPECT_EQ(out.pixelColor(0, 0).red(), 0);
    EXPECT_EQ(out.pixelColor(1, 0).red(), 50);
    EXPECT_EQ(out.pixelColor(2, 0).red(), 150);
    EXPECT_EQ(out.pixelColor(3, 0).red(), 200);
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
    QTransform turn;
    turn.rotate(17);
    turn.scale(1.3, 0.8);
    Image picture = Image::fromQImage(gradient(160, 120)).cropped(QRectF(10, 5, 130, 100));
    picture = picture.transformed(turn).translated(40, 10);
    auto blur = EffectManager::sharedFilterWithName(QStringLiteral("Blur"));
    auto glow = EffectManager::sharedFilterWithName(QStringLiteral("Glow"));
    ASSERT_TRUE(blur && glow);
    picture = glow->applyTo(blur->applyTo(picture));
    // A filter under a transform works in its own space and is resampled afterwards.
    picture = picture.scaled(0.9, 1.1).sourceOver(Image::constantColor(Qt::black));
    const QRect region(0, 0, 200, 170);
    const QImage one = renderToImage(picture, region, 1);
    ASSERT_FALSE(one.isNull());
    for (int threads : {2, 3, 7, 16})
        EXPECT_EQ(renderToImage(picture, region, threads), one) << threads;
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
