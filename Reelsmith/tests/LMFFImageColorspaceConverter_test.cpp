#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImageColorspaceConverter.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace {

// Red on the left half, blue on the right.
QImage halves(QImage::Format format, int width = 4, int height = 2)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, x < width / 2 ? QColor(Qt::red) : QColor(Qt::blue));
    return image;
}

void expectHalves(const QImage &image)
{
    ASSERT_FALSE(image.isNull());
    const QColor left = image.pixelColor(0, image.height() / 2);
    const QColor right = image.pixelColor(image.width() - 1, image.height() / 2);
    EXPECT_GT(left.red(), 240);
    EXPECT_LT(left.blue(), 15);
    EXPECT_GT(right.blue(), 240);
    EXPECT_LT(right.red(), 15);
}

TEST(ColorspaceConverter, WithoutAnOutputSizeEverythingIsIgnored)
{
    LMFFImageColorspaceConverter converter;
    EXPECT_EQ(converter.outputFormat().pix_fmt, AV_PIX_FMT_RGBA);
    converter.convertContext(halves(QImage::Format_RGBA8888));
    EXPECT_TRUE(converter.isOutputEmpty());
    EXPECT_TRUE(converter.outputImage().isNull());
    EXPECT_TRUE(converter.createCGContext().isNull());
}

TEST(ColorspaceConverter, SurfacesAreReadInTheirOwnByteOrderAndScaled)
{
    struct Case
    {
        const char *name;
        QImage::Format format;
    };
    const Case cases[] = {
        {"RGBA bytes", QImage::Format_RGBA8888},
        {"RGBX bytes", QImage::Format_RGBX8888},
        {"native ARGB words", QImage::Format_ARGB32},
        {"24-bit", QImage::Format_RGB888},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        LMFFImageColorspaceConverter converter;
        converter.setOutputFormat({AV_PIX_FMT_RGBA, 16, 8});
        converter.convertContext(halves(row.format));
        EXPECT_FALSE(converter.isOutputEmpty());
        EXPECT_EQ(converter.outputImage().size(), QSize(16, 8));
        expectHalves(converter.outputImage());
    }
}

TEST(ColorspaceConverter, UnreadableFrameLeavesThePreviousPicture)
{
    LMFFImageColorspaceConverter converter;
    converter.setOutputFormat({AV_PIX_FMT_RGBA, 8, 4});
    converter.convertContext(halves(QImage::Format_RGBA8888));
    const QImage before = converter.outputImage();

    uint8_t bytes[64] = {};
    AVFrame *frame = av_frame_alloc();
    frame->width = 4;
    frame->height = 4;
    frame->format = AV_PIX_FMT_VDPAU; // a hardware surface: no pixels the scaler can read
    frame->data[0] = bytes;
    frame->linesize[0] = 16;
    converter.convertFrame(frame);
    frame->data[0] = nullptr;
    av_frame_free(&frame);
    EXPECT_EQ(converter.outputImage(), before);
}

TEST(ColorspaceConverter, DrawnImagesArriveUpright)
{
    QImage picture(2, 2, QImage::Format_RGBA8888);
    picture.setPixelColor(0, 0, Qt::red);
    picture.setPixelColor(1, 0, Qt::red);
    picture.setPixelColor(0, 1, Qt::blue);
    picture.setPixelColor(1, 1, Qt::blue);

    LMFFImageColorspaceConverter converter;
    converter.setOutputFormat({AV_PIX_FMT_RGBA, 20, 20});
    converter.convertImage(picture);
    const QImage out = converter.outputImage();
    EXPECT_GT(out.pixelColor(10, 1).red(), 240);
    EXPECT_GT(out.pixelColor(10, 18).blue(), 240);

    auto bitmap = LMBitmapImage::imageWithSize(QSizeF(4, 4));
    bitmap->drawInImage([](QPainter &painter) { painter.fillRect(QRectF(0, 0, 4, 2), Qt::green); });
    converter.convertBitmapImage(*bitmap);
    const QImage fromBitmap = converter.outputImage();
    EXPECT_GT(fromBitmap.pixelColor(10, 18).green(), 240) << "the bitmap's lower half";
    EXPECT_LT(fromBitmap.pixelColor(10, 1).green(), 15);
}

TEST(ColorspaceConverter, OutputBufferIsAllocatedOnce)
{
    LMFFImageColorspaceConverter converter;
    converter.setOutputFormat({AV_PIX_FMT_RGBA, 8, 4});
    converter.convertContext(halves(QImage::Format_RGBA8888));
    converter.setOutputFormat({AV_PIX_FMT_RGBA, 32, 32});
    converter.convertContext(halves(QImage::Format_RGBA8888));
    EXPECT_EQ(converter.outputImage().size(), QSize(8, 4));
}

TEST(ColorspaceConverter, OddSizedYuvBytesKeepChromaInTheLastColumnAndRow)
{
    // 5 x 3 packed 4:2:0: chroma planes of 3 x 2. Grey, except red chroma in the last chroma
    // column (pixel column 4) and the last chroma row (pixel row 2).
    const int w = 5, h = 3, cw = 3, ch = 2;
    std::vector<uint8_t> bytes(size_t(w * h + 2 * cw * ch), 128);
    uint8_t *u = bytes.data() + w * h;
    uint8_t *v = u + cw * ch;
    for (int row = 0; row < ch; ++row) {
        u[row * cw + cw - 1] = 90;
        v[row * cw + cw - 1] = 240;
    }
    for (int col = 0; col < cw; ++col) {
        u[(ch - 1) * cw + col] = 90;
        v[(ch - 1) * cw + col] = 240;
    }
    LMFFImageColorspaceConverter converter;
    converter.setOutputFormat({AV_PIX_FMT_RGBA, w, h});
    converter.convertBytesFormat(bytes.data(), AV_PIX_FMT_YUV420P);
    const QImage out = converter.outputImage();
    ASSERT_EQ(out.size(), QSize(w, h));
    EXPECT_GT(out.pixelColor(4, 0).red(), 200) << "last column";
    EXPECT_LT(out.pixelColor(4, 0).blue(), 60);
    EXPECT_GT(out.pixelColor(0, 2).red(), 200) << "last row";
    EXPECT_LT(out.pixelColor(0, 0).red(), 150) << "grey elsewhere";
}

} // namespace
