#include "Reelsmith/frames/LMDataImage.h"
#include "Reelsmith/frames/LMFFEffectVideoStream.h"
#include "Reelsmith/imaging/Renderer.h"
#include "testsupport/GuiApplication.h"

#include <QImage>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

using Reelsmith::imaging::Image;
using Reelsmith::imaging::renderToImage;

namespace {

// An opaque premultiplied picture read as straight RGBA: the same bytes, no conversion (Qt would
// convert a large image on its own threads, which the thread checker cannot follow).
QImage opaqueRgba(QImage image)
{
    image.reinterpretAsFormat(QImage::Format_RGBA8888);
    return image;
}

struct FrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// An RGBA frame: red top half, blue bottom half.
FramePtr halvesFrame(int w, int h)
{
    FramePtr frame(av_frame_alloc());
    frame->width = w;
    frame->height = h;
    frame->format = AV_PIX_FMT_RGBA;
    av_frame_get_buffer(frame.get(), 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t *p = frame->data[0] + y * frame->linesize[0] + x * 4;
            p[0] = y < h / 2 ? 255 : 0;
            p[1] = 0;
            p[2] = y < h / 2 ? 0 : 255;
            p[3] = 255;
        }
    return frame;
}

QImage rendered(const LMFFEffectVideoStream &stream)
{
    const LMFFVideoFormat format = stream.outputDataFormat();
    return opaqueRgba(
        renderToImage(stream.currentEffectImage(), QRect(0, 0, format.width, format.height)));
}

// Columns of a row that are not black.
int pictureWidth(const QImage &image, int row)
{
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, row);
        if (c.red() > 8 || c.green() > 8 || c.blue() > 8)
            ++count;
    }
    return count;
}

} // namespace

TEST(EffectVideoStream, AspectTypeWidensTheFrame)
{
    struct Row
    {
        const char *name;
        int64_t aspectType;
        int width;
    };
    const Row rows[] = {{"16:9", 2, 853}, {"4:3", 1, 640}, {"none", 0, 720}};
    const FramePtr frame = halvesFrame(720, 480);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LMFFEffectVideoStream stream;
        stream.writeFrame(frame.get());
        stream.setCropRect(QRectF(0, 0, 720, 480));
        stream.setOutputSize(QSizeF(1000, 480));
        stream.setAspectType(row.aspectType);
        const QImage out = rendered(stream);
        EXPECT_NEAR(pictureWidth(out, 100), row.width, 1);
        EXPECT_NEAR(pictureWidth(out, 400), row.width, 1);
    }
}

// The aspect correction must come from the frame, not from the crop: half the frame's height
// is still a 16:9 frame's half.
TEST(EffectVideoStream, CroppedPictureKeepsTheFramesAspect)
{
    const FramePtr frame = halvesFrame(720, 480);
    LMFFEffectVideoStream stream;
    stream.writeFrame(frame.get());
    stream.setCropRect(QRectF(0, 240, 720, 240));
    stream.setAspectType(2);
    stream.setOutputSize(QSizeF(853, 240));
    const QImage out = rendered(stream);
    EXPECT_EQ(pictureWidth(out, 120), 853);
    EXPECT_EQ(out.pixelColor(5, 120), QColor(255, 0, 0));
}

TEST(EffectVideoStream, RowsArePaddedToEightPixels)
{
    const FramePtr frame = halvesFrame(720, 480);
    LMFFEffectVideoStream stream;
    stream.setFrameDisplaySize(QSizeF(853.4, 480));
    stream.writeFrame(frame.get());
    const auto data = stream.data_image();
    EXPECT_EQ(data->width, 853);
    EXPECT_EQ(data->height, 480);
    EXPECT_EQ(data->bytes_per_row, 3424);
    EXPECT_EQ(data->length(), size_t(3424 * 480));
    EXPECT_EQ(data->bytes()[852 * 4], 255);
}

TEST(EffectVideoStream, ProvidersBufferGetsWhatFits)
{
    const FramePtr frame = halvesFrame(64, 32);
    LMFFEffectVideoStream stream;
    int32_t asked = 0;
    auto buffer = std::make_shared<QByteArray>(100, '\0');
    stream.writeFrame(frame.get(), [&](int32_t size) {
        asked = size;
        return buffer;
    });
    EXPECT_EQ(asked, 64 * 4 * 32);
    EXPECT_EQ(std::memcmp(buffer->constData(), stream.data_image()->bytes(), 100), 0);
    // The buffer is too short for a picture: the stream's own copy is shown.
    stream.setCropRect(QRectF(0, 0, 64, 32));
    stream.setOutputSize(QSizeF(64, 32));
    EXPECT_EQ(rendered(stream).pixelColor(3, 3), QColor(255, 0, 0));

    // Without a provider nothing is mirrored.
    stream.writeFrame(frame.get(), [](int32_t) { return nullptr; });
    EXPECT_EQ(stream.dataBuffer(), nullptr);
    EXPECT_EQ(stream.originImage(), stream.data_image());
}

TEST(EffectVideoStream, UnreadableFrameKeepsThePreviousPicture)
{
    const FramePtr frame = halvesFrame(16, 16);
    LMFFEffectVideoStream stream;
    stream.writeFrame(frame.get());
    const std::vector<uint8_t> before(stream.data_image()->bytes(),
                                      stream.data_image()->bytes() + stream.data_image()->length());
    FramePtr odd = halvesFrame(8, 8);
    odd->format = AV_PIX_FMT_VDPAU;
    stream.writeFrame(odd.get());
    stream.writeFrame(nullptr);
    EXPECT_EQ(stream.data_image()->width, 16);
    EXPECT_EQ(std::vector<uint8_t>(stream.data_image()->bytes(),
                                   stream.data_image()->bytes() + stream.data_image()->length()),
              before);
    LMFFEffectVideoStream empty;
    EXPECT_TRUE(empty.currentEffectImage().isNull());
}

TEST(EffectVideoStream, NeutralControlsLeaveThePictureAndTheEffectIsAppended)
{
    const FramePtr frame = halvesFrame(96, 64);
    LMFFEffectVideoStream stream;
    stream.writeFrame(frame.get());
    stream.setCropRect(QRectF(0, 0, 96, 64));
    stream.setOutputSize(QSizeF(96, 64));
    ASSERT_EQ(stream.colorFilter().size(), 2);
    EXPECT_EQ(stream.colorFilter()[0]->name(), QStringLiteral("ColorControls"));
    EXPECT_EQ(stream.colorFilter()[1]->name(), QStringLiteral("HueAdjust"));
    EXPECT_EQ(stream.outputDataFormat().pix_fmt, AV_PIX_FMT_RGBA);
    EXPECT_EQ(stream.outputDataFormat().width, 96);
    const QImage out = rendered(stream);
    EXPECT_EQ(out, stream.data_image()->ciimage().copy(0, 0, 96, 64));

    stream.settings().effectName = QStringLiteral("Black White");
    EXPECT_EQ(stream.effectFilter().size(), 3);
    const QImage grey = rendered(stream);
    const QColor c = grey.pixelColor(10, 10);
    EXPECT_EQ(c.red(), c.green());
    EXPECT_EQ(c.green(), c.blue());
}

TEST(EffectVideoStream, EmptyTextShowsNoSubtitleEvenWithAPictureSet)
{
    fixtures::ensureGuiApplication();
    const FramePtr frame = halvesFrame(320, 240);
    LMFFEffectVideoStream stream;
    stream.writeFrame(frame.get());
    stream.setCropRect(QRectF(0, 0, 320, 240));
    stream.setOutputSize(QSizeF(320, 240));
    QImage picture(50, 50, QImage::Format_RGBA8888);
    picture.fill(Qt::white);
    stream.setSubtitleImage(picture);
    EXPECT_TRUE(stream.currentSubtitleImage().isNull());
    stream.setSubtitleCurrentString(QStringLiteral("Hi"));
    EXPECT_FALSE(stream.currentSubtitleImage().isNull());
    EXPECT_EQ(stream.subtitleImageString(), QStringLiteral("Hi"));
    // The default style: white text of 80 pixels, no box.
    EXPECT_GT(stream.subtitleImage().height(), 60);
    EXPECT_EQ(stream.subtitleImage().pixelColor(0, 0).alpha(), 0);
    stream.updateSubtitle();
    EXPECT_TRUE(stream.subtitleImageString().isNull());
}

TEST(EffectVideoStream, CompositionByName)
{
    const Image red = Image::constantColor(Qt::red).cropped(QRectF(0, 0, 1, 1));
    const Image blue = Image::constantColor(Qt::blue);
    EXPECT_EQ(renderToImage(LMFFEffectVideoStream::sourceOverImage(red, blue), QRect(0, 0, 2, 1))
                  .pixelColor(0, 0),
              QColor(Qt::red));
    EXPECT_EQ(renderToImage(LMFFEffectVideoStream::sourceInImage(blue, red), QRect(0, 0, 2, 1))
                  .pixelColor(1, 0)
                  .alpha(),
              0);
    EXPECT_TRUE(LMFFEffectVideoStream::composition(QStringLiteral("Nope"), red, blue).isNull());
    EXPECT_EQ(LMFFEffectVideoStream::scaleRectXScaleYScale(QRectF(1, 2, 3, 4), 2, 0.5f),
              QRectF(2, 1, 6, 2));
}
