#include "Reelsmith/frames/LMBitmapImage.h"

#include <QPainter>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace {

TEST(BitmapImage, SizeDecidesWhetherThereIsABitmap)
{
    struct Case
    {
        const char *name;
        QSizeF size;
        bool made;
    };
    const Case cases[] = {
        {"one pixel", QSizeF(1, 1), true},
        {"just under one pixel wide", QSizeF(0.99, 100), false},
        {"zero high", QSizeF(100, 0), false},
        {"negative", QSizeF(-5, 5), false},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LMBitmapImage::imageWithSize(row.size) != nullptr, row.made);
    }
}

TEST(BitmapImage, BackingsRoundOrTruncateTheSize)
{
    auto context = LMBitmapImage::imageWithSize(QSizeF(100.6, 50.4));
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->is_context_empty());
    context->create_cg_context_ref();
    ASSERT_TRUE(context->get_cg_context_ref());
    EXPECT_EQ(context->get_cg_context_ref()->size(), QSize(101, 50));
    EXPECT_EQ(context->get_bitmap_rep(), nullptr);

    auto rep = LMBitmapImage::imageWithSize(QSizeF(100.6, 50.4));
    rep->create_bitmap_rep();
    ASSERT_TRUE(rep->get_bitmap_rep());
    EXPECT_EQ(rep->get_bitmap_rep()->size(), QSize(100, 50));
    // The second kind of backing is not made once there is one.
    rep->create_cg_context_ref();
    EXPECT_EQ(rep->get_cg_context_ref(), nullptr);
}

TEST(BitmapImage, DrawingIsYUpAndReadsBackAsDrawn)
{
    auto bitmap = LMBitmapImage::imageWithSize(QSizeF(40, 20));
    bitmap->drawInImage([](QPainter &painter) {
        // The lower half in engine geometry (origin lower left).
        painter.fillRect(QRectF(0, 0, 40, 10), Qt::red);
    });
    const QImage image = bitmap->getCGImageRef();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(40, 20));
    EXPECT_EQ(image.pixelColor(5, 15), QColor(Qt::red)) << "lower half, counted from the top";
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::black)) << "upper half stays as it was";
}

TEST(BitmapImage, PicturesAreDrawnUprightIntoYUpRects)
{
    QImage picture(2, 2, QImage::Format_RGBA8888);
    picture.setPixelColor(0, 0, Qt::red); // top row
    picture.setPixelColor(1, 0, Qt::red);
    picture.setPixelColor(0, 1, Qt::blue); // bottom row
    picture.setPixelColor(1, 1, Qt::blue);

    auto bitmap = LMBitmapImage::imageWithSize(QSizeF(20, 20));
    bitmap->drawInImage([&](QPainter &painter) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        LMBitmapImage::drawImageInRect(painter, picture, bitmap->drawRect());
    });
    const QImage image = bitmap->getCGImageRef();
    EXPECT_EQ(image.pixelColor(10, 2), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(10, 17), QColor(Qt::blue));
}

TEST(BitmapImage, AlphaDecidesWhatUndrawnPixelsReadBackAs)
{
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "with alpha" : "without alpha");
        auto bitmap = LMBitmapImage::imageWithSize(QSizeF(10, 10));
        bitmap->setHasAlpha(alpha);
        bitmap->drawInImage(
            [](QPainter &painter) { painter.fillRect(QRectF(0, 0, 5, 10), QColor(0, 255, 0)); });
        const QImage image = bitmap->getCGImageRef();
        EXPECT_EQ(image.hasAlphaChannel(), alpha);
        EXPECT_EQ(qAlpha(image.pixel(8, 5)), alpha ? 0 : 255);
        EXPECT_EQ(image.pixelColor(2, 5), QColor(0, 255, 0));
        // Premultiplied RGBA without the little-endian flag lies in memory as RGBA.
        EXPECT_EQ(LMBitmapImage::pixelFormatOfImage(image), AV_PIX_FMT_RGBA);
    }
}

TEST(BitmapImage, ThrowingBlockIsContainedAndTheBitmapStaysUsable)
{
    auto bitmap = LMBitmapImage::imageWithSize(QSizeF(4, 4));
    bitmap->drawInImage([](QPainter &painter) {
        painter.fillRect(QRectF(0, 0, 4, 4), Qt::white);
        throw std::runtime_error("broken drawing");
    });
    bitmap->drawInImage([](QPainter &painter) { painter.fillRect(QRectF(0, 0, 2, 4), Qt::blue); });
    const QImage image = bitmap->getCGImageRef();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(3, 0), QColor(Qt::white));
}

TEST(BitmapImage, WrappedSurfaceIsDrawnIntoInPlace)
{
    std::vector<uint32_t> pixels(8 * 8, 0);
    QImage surface(reinterpret_cast<uchar *>(pixels.data()),
                   8,
                   8,
                   8 * 4,
                   QImage::Format_RGBA8888_Premultiplied);
    auto bitmap = LMBitmapImage::imageWithCGContext(std::move(surface));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->size(), QSizeF(8, 8));
    (void)bitmap->getCGImageRef(); // a read-back must not cut the bitmap loose from the pixels
    bitmap->drawInImage([](QPainter &painter) { painter.fillRect(QRectF(0, 0, 8, 8), Qt::white); });
    EXPECT_EQ(pixels[0], 0xffffffffu);
    EXPECT_EQ(pixels[63], 0xffffffffu);
}

TEST(BitmapImage, DataCarrierHasNoBitmap)
{
    auto carrier = LMBitmapImage::imageWithImage(QVariant(QStringLiteral("picture")));
    ASSERT_TRUE(carrier);
    EXPECT_EQ(carrier->data_image().toString(), QStringLiteral("picture"));
    EXPECT_TRUE(carrier->getCGImageRef().isNull());
    carrier->drawInImage([](QPainter &) { FAIL() << "an empty bitmap must not run its block"; });
}

TEST(BitmapImage, PixelFormatsOfImages)
{
    struct Case
    {
        const char *name;
        QImage::Format format;
        int pixFmt;
    };
    const Case cases[] = {
        {"RGBA bytes", QImage::Format_RGBA8888, AV_PIX_FMT_RGBA},
        {"RGBX bytes", QImage::Format_RGBX8888, AV_PIX_FMT_RGBA},
        {"native ARGB words", QImage::Format_ARGB32_Premultiplied, AV_PIX_FMT_RGB32},
        {"24-bit", QImage::Format_RGB888, AV_PIX_FMT_NONE},
        {"no alpha position", QImage::Format_Grayscale8, AV_PIX_FMT_NONE},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LMBitmapImage::pixelFormatOfImage(QImage(2, 2, row.format)), row.pixFmt);
    }
}

TEST(BitmapImage, FittingRules)
{
    struct Case
    {
        const char *name;
        QRectF rect;
        QRectF bounds;
        bool fill;
        QRectF expected;
    };
    const Case cases[] = {
        {"fill overflows the narrow side",
         {0, 0, 100, 50},
         {0, 0, 100, 100},
         true,
         {-50, 0, 200, 100}},
        {"fit letterboxes", {0, 0, 1920, 1080}, {0, 0, 640, 480}, false, {0, 60, 640, 360}},
        {"fit enlarges", {0, 0, 10, 10}, {0, 0, 100, 50}, false, {25, 0, 50, 50}},
        {"fit keeps the bounds origin", {0, 0, 4, 3}, {10, 20, 8, 6}, false, {10, 20, 8, 6}},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QRectF got = row.fill ? LMBitmapImage::scaleRectFull(row.rect, row.bounds)
                                    : LMBitmapImage::scaleRectIn(row.rect, row.bounds);
        EXPECT_NEAR(got.x(), row.expected.x(), 1e-3);
        EXPECT_NEAR(got.y(), row.expected.y(), 1e-3);
        EXPECT_NEAR(got.width(), row.expected.width(), 1e-3);
        EXPECT_NEAR(got.height(), row.expected.height(), 1e-3);
    }
}

} // namespace
