#include "Reelsmith/frames/LMDataImage.h"
#include "Reelsmith/frames/LMFFImage.h"

#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace {

struct FrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// A planar 4:2:0 frame filled with one colour; chroma planes are (w+1)/2 x (h+1)/2.
FramePtr yuvFrame(int w, int h, uint8_t y, uint8_t u, uint8_t v)
{
    FramePtr frame(av_frame_alloc());
    frame->width = w;
    frame->height = h;
    frame->format = AV_PIX_FMT_YUV420P;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int row = 0; row < h; ++row)
        std::fill_n(frame->data[0] + row * frame->linesize[0], w, y);
    for (int row = 0; row < (h + 1) / 2; ++row) {
        std::fill_n(frame->data[1] + row * frame->linesize[1], (w + 1) / 2, u);
        std::fill_n(frame->data[2] + row * frame->linesize[2], (w + 1) / 2, v);
    }
    return frame;
}

FramePtr rgbaFrame(int w, int h)
{
    FramePtr frame(av_frame_alloc());
    frame->width = w;
    frame->height = h;
    frame->format = AV_PIX_FMT_RGBA;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    return frame;
}

TEST(FFImage, YuvFormulaGivesTheDocumentedPixels)
{
    struct Case
    {
        const char *name;
        uint8_t y, u, v;
        int r, g, b;
    };
    const Case cases[] = {
        {"white-ish grey", 235, 128, 128, 235, 235, 235},
        {"dark with red chroma", 16, 128, 240, 173, 0, 16},
        {"blue clamped at the top", 255, 255, 128, 255, 211, 255},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        FramePtr frame = yuvFrame(4, 4, row.y, row.u, row.v);
        auto image = LMFFImage::imageWithFrame(frame.get());
        auto rgba = image->get_yuv_rgba_image();
        ASSERT_TRUE(rgba);
        EXPECT_EQ(rgba->format, AV_PIX_FMT_RGBA);
        EXPECT_EQ(rgba->bytes_per_row, 16);
        const uint8_t *pixel = rgba->bytes();
        EXPECT_EQ(pixel[0], row.r);
        EXPECT_EQ(pixel[1], row.g);
        EXPECT_EQ(pixel[2], row.b);
        EXPECT_EQ(pixel[3], 255);
    }
}

TEST(FFImage, PureRedYuvFrameConvertsToRedInRgbaByteOrder)
{
    // Studio-range red: what an encoder writes for R=255, G=0, B=0.
    FramePtr red = yuvFrame(16, 16, 81, 90, 240);
    FramePtr out = rgbaFrame(16, 16);
    auto image = LMFFImage::imageWithFrame(red.get());
    ASSERT_TRUE(image->convertFrame(red.get(), out.get()));
    const uint8_t *pixel = out->data[0] + 5 * out->linesize[0] + 5 * 4;
    // 8-bit studio range cannot hold full red exactly: the ffmpeg program itself turns this
    // frame into 253, 0, 0. What matters is which byte is red.
    EXPECT_GE(pixel[0], 250) << "first byte is red (RGBA, not BGRA)";
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 0) << "third byte is blue";
    EXPECT_EQ(pixel[3], 255);

    // The full-range formula of the packed copy agrees on which byte is red.
    auto viaFormula = image->get_yuv_rgba_image();
    ASSERT_TRUE(viaFormula);
    EXPECT_GT(viaFormula->bytes()[0], 230);
    EXPECT_LT(viaFormula->bytes()[2], 20);
}

TEST(FFImage, OddSizedPictureKeepsChromaInTheLastColumnAndRow)
{
    // 5 x 3: chroma is 3 x 2. The last chroma column and row are red, the rest grey.
    FramePtr frame = yuvFrame(5, 3, 128, 128, 128);
    frame->data[2][2] = 255;                      // last column, first chroma row
    frame->data[2][frame->linesize[2] + 0] = 255; // first column, last chroma row
    auto image = LMFFImage::imageWithFrame(frame.get());
    auto yuv = image->get_cached_yuv_image();
    ASSERT_TRUE(yuv);
    EXPECT_EQ(yuv->bytes_per_row, 5);
    EXPECT_EQ(yuv->length(), size_t(5 * 3 + 2 * 3 * 2));

    int widths[3], heights[3];
    const uint8_t *planes[3];
    ASSERT_TRUE(LMFFImage::fillYUVDataWidthHeightBytes(*yuv, widths, heights, planes));
    EXPECT_EQ(widths[1], 3);
    EXPECT_EQ(heights[1], 2);
    EXPECT_EQ(planes[2][2], 255);
    EXPECT_EQ(planes[2][3], 255);

    auto rgba = image->get_yuv_rgba_image();
    ASSERT_TRUE(rgba);
    auto red = [&](int x, int y) { return rgba->bytes()[y * rgba->bytes_per_row + x * 4]; };
    EXPECT_GT(red(4, 0), 200) << "last column";
    EXPECT_GT(red(0, 2), 200) << "last row";
    EXPECT_EQ(red(2, 0), 128) << "grey elsewhere";
}

TEST(FFImage, ShortYuvDataGivesNoPlanes)
{
    LMDataImage record;
    record.width = 4;
    record.height = 4;
    record.allocate(16 + 2 * 4 - 1);
    int widths[3], heights[3];
    const uint8_t *planes[3] = {record.bytes(), record.bytes(), record.bytes()};
    EXPECT_FALSE(LMFFImage::fillYUVDataWidthHeightBytes(record, widths, heights, planes));
    EXPECT_EQ(planes[0], nullptr);
    EXPECT_EQ(planes[1], nullptr);
    EXPECT_EQ(planes[2], nullptr);
}

TEST(FFImage, RgbaRecordRefersToTheFramePixelsAndOutlivesTheFrame)
{
    FramePtr frame = rgbaFrame(3, 2);
    frame->data[0][0] = 42;
    auto image = LMFFImage::imageWithFrame(frame.get());
    auto record = image->get_rgba_image();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->bytes(), frame->data[0]) << "no copy";
    EXPECT_EQ(record->bytes_per_row, frame->linesize[0]);
    EXPECT_EQ(record->length(), size_t(frame->linesize[0]) * 2);
    frame.reset();
    EXPECT_EQ(record->bytes()[0], 42) << "the record holds its own reference to the buffer";

    FramePtr yuv = yuvFrame(4, 4, 1, 2, 3);
    EXPECT_EQ(LMFFImage::imageWithFrame(yuv.get())->get_rgba_image(), nullptr);
    EXPECT_EQ(LMFFImage::imageWithFrame(nullptr)->get_rgba_image(), nullptr);
    EXPECT_EQ(LMFFImage::imageWithFrame(nullptr)->image_size(), QSize(0, 0));
}

TEST(FFImage, PacketImagesAndTheirTimeline)
{
    auto empty = LMFFImage::imageWithPacket(nullptr);
    EXPECT_TRUE(empty->isPacket());
    ASSERT_NE(empty->getPacket(), nullptr);
    EXPECT_EQ(empty->getPacket()->size, 0);
    EXPECT_FALSE(empty->isKeyPacket());
    EXPECT_EQ(LMFFImage::imageWithEmptyFrame()->getPacket(), nullptr);

    AVPacket *packet = av_packet_alloc();
    ASSERT_GE(av_new_packet(packet, 8), 0);
    packet->pts = 90000;
    packet->flags |= AV_PKT_FLAG_KEY;
    auto held = LMFFImage::imageWithPacket(packet);
    av_packet_free(&packet);
    ASSERT_NE(held->getPacket(), nullptr);
    EXPECT_TRUE(held->isKeyPacket());
    EXPECT_EQ(held->getPacket()->size, 8);

    held->time_base = AVRational{1, 90000};
    held->pkt_display_time = 5000000;
    held->pkt_time_offset = 1000000;
    EXPECT_EQ(held->get_pkt_offset_time(), 4000000);
    EXPECT_EQ(held->get_image_display_in_movie_time(), 5000000);
    held->set_movie_real_start_time(500000);
    EXPECT_EQ(held->get_image_display_in_movie_time(), 4500000);
    EXPECT_EQ(empty->get_image_display_in_movie_time(), 0) << "the offset alone without a pts";
}

TEST(FFImage, ConversionNeedsPixelsOnBothSides)
{
    FramePtr source = yuvFrame(8, 8, 100, 128, 128);
    FramePtr blank(av_frame_alloc());
    blank->width = 8;
    blank->height = 8;
    blank->format = AV_PIX_FMT_RGBA;
    auto image = LMFFImage::imageWithFrame(source.get());
    EXPECT_FALSE(image->convertFrame(source.get(), nullptr));
    EXPECT_FALSE(image->convertFrame(source.get(), blank.get())) << "destination without pixels";
    EXPECT_FALSE(image->convertFrame(blank.get(), source.get())) << "source without pixels";

    // Scaling to another size through the kept scaler.
    FramePtr small = rgbaFrame(4, 4);
    image->convertFrameTo(small.get());
    EXPECT_NEAR(small->data[0][0], 100, 2);
}

TEST(FFImage, PackedYuvRecordConvertsToRgbaInPlaceWithoutOverrun)
{
    // One and a half bytes a pixel in, four out: the converted bytes need their own stride.
    FramePtr frame = yuvFrame(7, 5, 81, 90, 240);
    auto image = LMFFImage::imageWithFrame(frame.get());
    auto record = image->get_cached_yuv_image();
    ASSERT_TRUE(record);
    image->convertColorSpaceToBitmapContext(*record);
    EXPECT_EQ(record->format, AV_PIX_FMT_RGBA);
    EXPECT_EQ(record->bytes_per_row, 7 * 4);
    EXPECT_EQ(record->length(), size_t(7 * 4 * 5));
    EXPECT_EQ(record->alpha, LMAlphaType::None);
    const QImage picture = record->cgImageRef();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.pixelColor(6, 4).red(), 240);
    EXPECT_LT(picture.pixelColor(6, 4).blue(), 15);
}

} // namespace
