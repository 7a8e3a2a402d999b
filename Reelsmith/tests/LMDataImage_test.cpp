#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMDataImage.h"

#include <QPainter>
#include <QStringList>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace {

// A 2 x 1 record in format with the given bytes (4 per pixel).
std::shared_ptr<LMDataImage>
record(int32_t format, LMAlphaType alpha, std::initializer_list<uint8_t> bytes)
{
    auto image = LMDataImage::create();
    image->width = int32_t(bytes.size() / 4);
    image->height = 1;
    image->bytes_per_row = int32_t(bytes.size());
    image->format = format;
    image->alpha = alpha;
    std::vector<uint8_t> copy(bytes);
    image->setBytesCopy(copy.data(), copy.size());
    return image;
}

TEST(DataImage, ImagesNeedA32BitFormatAndEnoughBytes)
{
    auto rgba = LMDataImage::create();
    rgba->width = 10;
    rgba->height = 10;
    rgba->bytes_per_row = 40;
    rgba->format = AV_PIX_FMT_RGBA;
    rgba->allocate(399);
    EXPECT_FALSE(rgba->isImageValid());
    EXPECT_TRUE(rgba->cgImageRef().isNull()) << "399 bytes for 10 rows of 40";
    EXPECT_TRUE(rgba->cgContextRef().isNull());
    rgba->allocate(400);
    EXPECT_TRUE(rgba->isImageValid());
    EXPECT_EQ(rgba->cgImageRef().size(), QSize(10, 10));

    rgba->format = AV_PIX_FMT_YUV420P;
    EXPECT_TRUE(rgba->cgImageRef().isNull());
    EXPECT_TRUE(rgba->ciimage_raw().isNull());
    EXPECT_TRUE(rgba->cgContextRef().isNull());
}

TEST(DataImage, AlphaTypeDecidesHowTheFourthByteIsRead)
{
    // The same bytes: half-strength red with alpha 128, or padding 0.
    struct Case
    {
        const char *name;
        int32_t format;
        LMAlphaType alpha;
        std::initializer_list<uint8_t> bytes;
        QColor expected;
    };
    const Case cases[] = {
        {"straight RGBA",
         AV_PIX_FMT_RGBA,
         LMAlphaType::Straight,
         {128, 0, 0, 128},
         QColor(128, 0, 0, 128)},
        {"premultiplied RGBA",
         AV_PIX_FMT_RGBA,
         LMAlphaType::Premultiplied,
         {128, 0, 0, 128},
         QColor(255, 0, 0, 128)},
        {"RGBX padding is not alpha",
         AV_PIX_FMT_RGBA,
         LMAlphaType::None,
         {10, 20, 30, 0},
         QColor(10, 20, 30, 255)},
        {"straight BGRA",
         AV_PIX_FMT_BGRA,
         LMAlphaType::Straight,
         {30, 20, 10, 200},
         QColor(10, 20, 30, 200)},
        {"BGRX padding",
         AV_PIX_FMT_BGRA,
         LMAlphaType::None,
         {30, 20, 10, 0},
         QColor(10, 20, 30, 255)},
        {"straight ARGB",
         AV_PIX_FMT_ARGB,
         LMAlphaType::Straight,
         {200, 10, 20, 30},
         QColor(10, 20, 30, 200)},
        {"straight ABGR",
         AV_PIX_FMT_ABGR,
         LMAlphaType::Straight,
         {200, 30, 20, 10},
         QColor(10, 20, 30, 200)},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QImage image = record(row.format, row.alpha, row.bytes)->cgImageRef();
        ASSERT_FALSE(image.isNull());
        const QColor pixel = image.pixelColor(0, 0);
        EXPECT_NEAR(pixel.red(), row.expected.red(), 1);
        EXPECT_EQ(pixel.green(), row.expected.green());
        EXPECT_EQ(pixel.blue(), row.expected.blue());
        EXPECT_EQ(pixel.alpha(), row.expected.alpha());
    }
}

TEST(DataImage, BitmapSurfacesKeepTheirAlphaKindInTheRecord)
{
    struct Case
    {
        const char *name;
        QImage::Format format;
        int32_t pixFmt;
        LMAlphaType alpha;
    };
    const Case cases[] = {
        {"straight RGBA", QImage::Format_RGBA8888, AV_PIX_FMT_RGBA, LMAlphaType::Straight},
        {"premultiplied RGBA",
         QImage::Format_RGBA8888_Premultiplied,
         AV_PIX_FMT_RGBA,
         LMAlphaType::Premultiplied},
        {"RGBX", QImage::Format_RGBX8888, AV_PIX_FMT_RGBA, LMAlphaType::None},
        {"native premultiplied ARGB",
         QImage::Format_ARGB32_Premultiplied,
         AV_PIX_FMT_BGRA,
         LMAlphaType::Premultiplied},
        {"native RGB32", QImage::Format_RGB32, AV_PIX_FMT_BGRA, LMAlphaType::None},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        QImage surface(3, 2, row.format);
        surface.fill(QColor(10, 20, 30, 255));
        auto data = LMBitmapImage::getDataImageFromCGImage(surface);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->format, row.pixFmt);
        EXPECT_EQ(data->alpha, row.alpha);
        EXPECT_EQ(data->duration, 100);
        EXPECT_EQ(data->bytes_per_row, int(surface.bytesPerLine()));
        EXPECT_EQ(data->cgImageRef().pixelColor(2, 1), QColor(10, 20, 30, 255));
    }
    EXPECT_EQ(LMBitmapImage::getDataImageFromCGImage(QImage(2, 2, QImage::Format_RGB888)), nullptr);

    // A drawn bitmap with alpha: premultiplied RGBA; without: RGBX that reads back opaque.
    auto withAlpha = LMBitmapImage::imageWithSize(QSizeF(4, 4));
    withAlpha->setHasAlpha(true);
    withAlpha->drawInImage([](QPainter &) {});
    auto data = withAlpha->getDataImage();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->format, AV_PIX_FMT_RGBA);
    EXPECT_EQ(data->alpha, LMAlphaType::Premultiplied);
    EXPECT_EQ(data->cgImageRef().pixelColor(0, 0).alpha(), 0);

    auto opaque = LMBitmapImage::imageWithSize(QSizeF(4, 4));
    opaque->drawInImage([](QPainter &) {});
    auto opaqueData = opaque->getDataImage();
    ASSERT_TRUE(opaqueData);
    EXPECT_EQ(opaqueData->alpha, LMAlphaType::None);
    EXPECT_EQ(opaqueData->cgImageRef().pixelColor(0, 0).alpha(), 255);
}

TEST(DataImage, DrawingWritesTheBytesAndKeepsStraightAlphaStraight)
{
    auto image = record(AV_PIX_FMT_RGBA, LMAlphaType::Straight, {0, 0, 0, 0, 0, 0, 0, 0});
    image->drawInImage([](QPainter &painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        // The left pixel in y-up geometry.
        painter.fillRect(QRectF(0, 0, 1, 1), QColor(255, 0, 0, 128));
    });
    const uint8_t *bytes = image->bytes();
    EXPECT_EQ(bytes[0], 255) << "straight colour, not premultiplied";
    EXPECT_EQ(bytes[3], 128);
    EXPECT_EQ(bytes[4 + 3], 0) << "the right pixel is untouched";

    auto noContext = record(AV_PIX_FMT_ARGB, LMAlphaType::Straight, {1, 2, 3, 4});
    EXPECT_TRUE(noContext->cgContextRef().isNull());
    bool ran = false;
    noContext->drawInImage([&](QPainter &) { ran = true; });
    EXPECT_FALSE(ran);

    // A throwing block is contained, and the log says why the drawing is missing.
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &m) {
              if (type == QtWarningMsg)
                  warnings.append(m);
          });
    image->drawInImage([](QPainter &) { throw std::runtime_error("drawing failed"); });
    qInstallMessageHandler(previous);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().contains("drawing failed")) << warnings.first().toStdString();
}

TEST(DataImage, CopiesShareBytesAndCachingCopiesIntoTheSharedBuffer)
{
    auto first = record(AV_PIX_FMT_RGBA, LMAlphaType::Straight, {1, 2, 3, 4});
    auto copy = first->copy();
    EXPECT_TRUE(copy->sharesBytesWith(*first));
    EXPECT_EQ(copy->bytes(), first->bytes());

    auto other = record(AV_PIX_FMT_BGRA, LMAlphaType::Premultiplied, {9, 9, 9, 9});
    first->cacheFromDataImage(*other);
    EXPECT_EQ(copy->bytes()[0], 9) << "equal lengths: copied into the buffer the copy shares";
    EXPECT_EQ(first->format, AV_PIX_FMT_BGRA);
    EXPECT_EQ(first->alpha, LMAlphaType::Premultiplied);

    auto longer = record(AV_PIX_FMT_RGBA, LMAlphaType::Straight, {5, 5, 5, 5, 6, 6, 6, 6});
    first->cacheFromDataImage(*longer);
    EXPECT_FALSE(copy->sharesBytesWith(*first)) << "other length: a new buffer";
    EXPECT_EQ(first->width, 2);
    EXPECT_EQ(first->bytes()[4], 6);
    EXPECT_EQ(copy->bytes()[0], 9);
}

TEST(DataImage, FillAVFrameDescribesTheBytes)
{
    auto image = record(AV_PIX_FMT_RGBA, LMAlphaType::Straight, {1, 2, 3, 4, 5, 6, 7, 8});
    AVFrame *frame = av_frame_alloc();
    image->fillAVFrame(frame);
    EXPECT_EQ(frame->width, 2);
    EXPECT_EQ(frame->height, 1);
    EXPECT_EQ(frame->format, AV_PIX_FMT_RGBA);
    EXPECT_EQ(frame->linesize[0], 8);
    EXPECT_EQ(frame->data[0], image->bytes());
    // The frame does not own the bytes.
    std::fill(std::begin(frame->data), std::end(frame->data), nullptr);
    av_frame_free(&frame);

    LMDataImage empty;
    AVFrame *untouched = av_frame_alloc();
    untouched->width = 77;
    empty.fillAVFrame(untouched);
    EXPECT_EQ(untouched->width, 77);
    av_frame_free(&untouched);
}

} // namespace
