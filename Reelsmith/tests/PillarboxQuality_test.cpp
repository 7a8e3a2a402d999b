// A 4:3 picture in a 16:9 PAL title: the composed frame beside the ffmpeg program's lanczos scale
// of the same picture into the same place, so that the resample's sharpness is held to it.

#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "testsupport/GuiApplication.h"
#include "testsupport/MediaFixtures.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

bool ffmpeg(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{"-y", "-hide_banner", "-loglevel", "error"} + args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

// The picture as the engine holds a decoded frame: straight RGBA at its own size.
std::shared_ptr<LMMovieImage> frameOf(const QImage &picture)
{
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    AVFrame *frame = av_frame_alloc();
    frame->width = rgba.width();
    frame->height = rgba.height();
    frame->format = AV_PIX_FMT_RGBA;
    av_frame_get_buffer(frame, 32);
    for (int y = 0; y < rgba.height(); ++y)
        std::memcpy(
            frame->data[0] + y * frame->linesize[0], rgba.constScanLine(y), rgba.width() * 4);
    auto owner = LMFFImage::imageWithFrameOwned(frame, true);
    auto image = std::make_shared<LMMovieImage>();
    image->cache_frame_image_from_ffimage(*owner);
    const QSizeF size(rgba.width(), rgba.height());
    image->setOriginSize(size);
    image->setDisplaySize(size);
    image->setCropRect(QRectF(QPointF(0, 0), size));
    return image;
}

TEST(PillarboxQuality, AFourByThreePictureInAWideTitleIsAsSharpAsLanczos)
{
    fixtures::ensureGuiApplication();
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.png"));
    const QString expected = dir.filePath(QStringLiteral("expected.png"));
    // A camcorder-like 640x480 picture: fine detail, gradients, hard edges.
    ASSERT_TRUE(
        ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=1", "-frames:v", "1", source}));
    // In a 16:9 frame stored at 720x576 a 4:3 picture is 540 pixels wide, centred.
    ASSERT_TRUE(ffmpeg({"-i",
                        source,
                        "-vf",
                        "scale=540:576:flags=lanczos,pad=720:576:90:0:black",
                        "-frames:v",
                        "1",
                        expected}));
    const QImage picture(source);
    const QImage reference = QImage(expected).convertToFormat(QImage::Format_RGBA8888);
    ASSERT_FALSE(picture.isNull());
    ASSERT_EQ(reference.size(), QSize(720, 576));

    const auto image = frameOf(picture);
    // The title's display frame is 1024x576; the encoder's bitmap is the stored 720x576.
    image->setOutputSize(QSizeF(1024, 576));
    image->setZoomType(2);
    LMBitmapImage bitmap(QSizeF(720, 576));
    ASSERT_TRUE(image->drawToBitmapImage(bitmap));
    const QImage composed = bitmap.getCGImageRef().convertToFormat(QImage::Format_RGBA8888);
    const double quality = fixtures::psnr(composed, reference);
    EXPECT_GE(quality, 45.0) << "PSNR " << quality << " dB against the lanczos picture";
}

} // namespace
