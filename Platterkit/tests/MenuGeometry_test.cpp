// Fitting, insets, integral rectangles, page-to-pixel mapping, corner radii, bitmap sizes and the
// shadow blur of menu drawing.

#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/render/ShadowBlur.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Platterkit::render;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

void expectRect(const QRectF &actual, const QRectF &expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-4);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-4);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-4);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-4);
}

TEST(MenuGeometry, FitAndFill)
{
    const struct
    {
        const char *name;
        QRectF a, b;
        QRectF fit, fill;
    } rows[] = {
        {"wide picture in a square box",
         {0, 0, 1600, 900},
         {102, 102, 200, 200},
         {102, 145.75, 200, 112.5},
         {24.2222, 102, 355.5556, 200}},
        {"the origin of a is ignored",
         {500, -30, 1600, 900},
         {102, 102, 200, 200},
         {102, 145.75, 200, 112.5},
         {24.2222, 102, 355.5556, 200}},
        {"small picture is enlarged",
         {0, 0, 10, 5},
         {0, 0, 100, 100},
         {0, 25, 100, 50},
         {-50, 0, 200, 100}},
        {"4:3 on 16:9",
         {0, 0, 640, 480},
         {0, 0, 854, 480},
         {107, 0, 640, 480},
         {0, -80.25, 854, 640.5}},
        {"scale never below 0.01",
         {0, 0, 1, 1},
         {0, 0, 1000, 1000},
         {450, 450, 100, 100},
         {450, 450, 100, 100}},
        {"empty picture is centred with no size",
         {0, 0, 0, 0},
         {0, 0, 100, 50},
         {50, 25, 0, 0},
         {50, 25, 0, 0}},
        {"a box with no room takes no picture",
         {0, 0, 100, 100},
         {10, 10, -1, -1},
         {9.5, 9.5, 0, 0},
         {9.5, 9.5, 0, 0}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        expectRect(scaleRectIn(row.a, row.b), row.fit);
        expectRect(scaleRectFull(row.a, row.b), row.fill);
    }
}

TEST(MenuGeometry, FitWithANotANumberRatioUsesTheOther)
{
    const QRectF fit = scaleRectIn(QRectF(0, 0, kNaN, 50), QRectF(0, 0, 100, 100));
    EXPECT_NEAR(fit.height(), 100.0, 1e-6);
    EXPECT_NEAR(fit.y(), 0.0, 1e-6);
}

TEST(MenuGeometry, InsetAndIntegral)
{
    expectRect(insetRect(QRectF(100, 100, 204, 204), 2, 2), QRectF(102, 102, 200, 200));
    expectRect(insetRect(QRectF(10, 10, 3, 3), 2, 2), QRectF(11.5, 11.5, 0, 0));
    expectRect(integralRect(QRectF(0.5, 0.25, 10.2, 3)), QRectF(0, 0, 11, 4));
    expectRect(integralRect(QRectF(-1.5, 2, 1, 1)), QRectF(-2, 2, 2, 1));
    expectRect(integralRect(QRectF(3, 4, 0, 5)), QRectF());
    expectRect(integralRect(QRectF(5, 5, -2, 2)), QRectF(3, 5, 2, 2));
}

TEST(MenuGeometry, ElementRectangleInPagePixels)
{
    const struct
    {
        const char *name;
        QRectF frame;
        QSizeF menu;
        QSizeF pixels;
        QRectF expected;
    } rows[] = {
        {"same size: only y flips", {10, 20, 100, 50}, {640, 480}, {640, 480}, {10, 410, 100, 50}},
        {"an element at the top is at row 0",
         {0, 430, 640, 50},
         {640, 480},
         {640, 480},
         {0, 0, 640, 50}},
        {"4:3 page on a PAL picture",
         {64, 48, 320, 240},
         {640, 480},
         {720, 576},
         {72, 230.4, 360, 288}},
        {"16:9 page on an NTSC picture",
         {0, 0, 854, 480},
         {854, 480},
         {720, 480},
         {0, 0, 720, 480}},
        {"empty menu size counts as 1 point", {0, 0, 1, 1}, {0, 0}, {10, 10}, {0, 0, 10, 10}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        expectRect(elementRectInPixels(row.frame, row.menu, row.pixels), row.expected);
    }
}

TEST(MenuGeometry, RotationIsAboutTheFrameCentreAndCounterClockwise)
{
    const QTransform turn = rotationAboutCentre(QRectF(300, 100, 200, 100), 90);
    const QPointF centre = turn.map(QPointF(400, 150));
    EXPECT_NEAR(centre.x(), 400, 1e-9);
    EXPECT_NEAR(centre.y(), 150, 1e-9);
    // The right end of the frame turns to the top (y up).
    const QPointF right = turn.map(QPointF(500, 150));
    EXPECT_NEAR(right.x(), 400, 1e-9);
    EXPECT_NEAR(right.y(), 250, 1e-9);
}

TEST(MenuGeometry, CornerRadius)
{
    const struct
    {
        const char *name;
        double roundValue;
        QSizeF size;
        double radius;
    } rows[] = {
        {"0.9 is square", 0.9, {200, 60}, 0},
        {"just over 0.9 rounds", 0.95, {200, 60}, 0.95},
        {"40 on a 60-point frame", 40, {200, 60}, 30},
        {"40 on a 50-point-wide frame", 40, {50, 200}, 25},
        {"small value kept", 12, {200, 60}, 12},
        {"not a number is square", kNaN, {200, 60}, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(cornerRadius(row.roundValue, row.size), row.radius);
        EXPECT_EQ(roundedClipPath(row.size, row.roundValue).isEmpty(), row.radius == 0);
    }
}

TEST(MenuGeometry, BitmapPixelSize)
{
    const struct
    {
        const char *name;
        QSizeF size;
        QSize pixels;
    } rows[] = {
        {"page", {854, 480}, {854, 480}},
        {"rounded to nearest", {99.5, 100.4}, {100, 100}},
        {"0.5 makes one pixel", {0.5, 100}, {1, 100}},
        {"0.4 makes none", {0.4, 100}, {}},
        {"negative", {-10, 100}, {}},
        {"not a number", {kNaN, 100}, {}},
        {"largest accepted", {kMaxBitmapSide, 1}, {kMaxBitmapSide, 1}},
        {"too large", {kMaxBitmapSide + 1, 1}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(bitmapPixelSize(row.size), row.pixels);
    }
}

// Total alpha of an image, for checking that a blur moves coverage without losing it.
double alphaSum(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y));
    return sum;
}

TEST(ShadowBlur, SpreadsSymmetricallyAndKeepsCoverage)
{
    QImage square(41, 41, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter(&square).fillRect(QRect(15, 15, 11, 11), Qt::black);

    const QImage blurred = blurImage(square, 6);
    ASSERT_EQ(blurred.size(), square.size());
    EXPECT_NEAR(alphaSum(blurred), alphaSum(square), alphaSum(square) * 0.02);
    // Coverage reaches outside the square, and falls off with distance.
    EXPECT_GT(qAlpha(blurred.pixel(12, 20)), 0);
    EXPECT_GT(qAlpha(blurred.pixel(14, 20)), qAlpha(blurred.pixel(11, 20)));
    EXPECT_LT(qAlpha(blurred.pixel(15, 20)), 255);
    // Mirror images stay mirror images.
    EXPECT_NEAR(qAlpha(blurred.pixel(12, 20)), qAlpha(blurred.pixel(28, 20)), 1);
    EXPECT_NEAR(qAlpha(blurred.pixel(20, 12)), qAlpha(blurred.pixel(20, 28)), 1);
    // Far away stays clear.
    EXPECT_EQ(qAlpha(blurred.pixel(0, 0)), 0);
}

TEST(ShadowBlur, NoRadiusLeavesTheImageAlone)
{
    QImage image(5, 5, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setPixel(2, 2, qRgba(255, 0, 0, 255));
    EXPECT_EQ(blurImage(image, 0.4), image);
}

TEST(ShadowBlur, ShadowTakesColourAndCoverage)
{
    QImage coverage(3, 1, QImage::Format_ARGB32_Premultiplied);
    coverage.setPixel(0, 0, qRgba(255, 255, 255, 255));
    coverage.setPixel(1, 0, qRgba(0, 0, 0, 0));
    coverage.setPixel(2, 0, qRgba(0, 0, 128, 128));
    const QImage cast = shadowImage(coverage, QColor(0, 0, 255, 128), 0);
    EXPECT_NEAR(qAlpha(cast.pixel(0, 0)), 128, 1);
    EXPECT_EQ(qAlpha(cast.pixel(1, 0)), 0);
    EXPECT_NEAR(qAlpha(cast.pixel(2, 0)), 64, 1);
    EXPECT_EQ(cast.pixelColor(0, 0).blue(), 255);
}

} // namespace
