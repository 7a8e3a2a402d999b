#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/frames/FrameComposition.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/imaging/Renderer.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "testsupport/GuiApplication.h"
#include "testsupport/MediaFixtures.h"

#include <QImage>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

using Reelsmith::imaging::Image;
using Reelsmith::imaging::renderToImage;
namespace keys = Reelsmith::effects::keys;

namespace {

// An opaque premultiplied picture read as straight RGBA: the same bytes, no conversion (Qt would
// convert a large image on its own threads, which the thread checker cannot follow).
QImage opaqueRgba(QImage image)
{
    image.reinterpretAsFormat(QImage::Format_RGBA8888);
    return image;
}

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kYellow(255, 255, 0);
const QColor kBlack(0, 0, 0);

// A 720x576 RGBA frame of four quadrants: red top left, green top right, blue bottom left,
// yellow bottom right.
std::shared_ptr<LMMovieImage> quadrantImage(int w = 720, int h = 576)
{
    AVFrame *frame = av_frame_alloc();
    frame->width = w;
    frame->height = h;
    frame->format = AV_PIX_FMT_RGBA;
    av_frame_get_buffer(frame, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QColor c
                = y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kYellow);
            uint8_t *p = frame->data[0] + y * frame->linesize[0] + x * 4;
            p[0] = uint8_t(c.red());
            p[1] = uint8_t(c.green());
            p[2] = uint8_t(c.blue());
            p[3] = 255;
        }
    auto owner = LMFFImage::imageWithFrameOwned(frame, true);
    auto image = std::make_shared<LMMovieImage>();
    image->cache_frame_image_from_ffimage(*owner);
    image->setOriginSize(QSizeF(w, h));
    image->setCropRect(QRectF(0, 0, w, h));
    image->setOutputSize(QSizeF(w, h));
    return image;
}

QImage rendered(const LMMovieImage &image)
{
    const QSizeF size = image.outputSize();
    return opaqueRgba(renderToImage(image.currentEffectImage(),
                                    QRect(0, 0, int(size.width()), int(size.height()))));
}

QColor rgb(const QImage &image, int x, int row)
{
    QColor c = image.pixelColor(x, row);
    c.setAlpha(255);
    return c;
}

bool rowIs(const QImage &image, int row, const QColor &colour)
{
    for (int x = 0; x < image.width(); ++x)
        if (rgb(image, x, row) != colour)
            return false;
    return true;
}

} // namespace

TEST(MovieImageZoom, FitTypesKeepAFrameOfTheOutputsSize)
{
    for (int zoom : {1, 2, 5}) {
        SCOPED_TRACE(zoom);
        auto image = quadrantImage();
        image->setZoomType(zoom);
        const QImage out = rendered(*image);
        EXPECT_EQ(out, image->currentCIImage());
    }
}

TEST(MovieImageZoom, FrameShapesPutBarsAboveAndBelow)
{
    struct Row
    {
        const char *name;
        int zoom;
        int lastTopBar, firstPicture, lastPicture, firstBottomBar;
    };
    // 16:9 in 720x576 is 720x405, 85.5 rows of bars each side; 4:3 is 720x540 with 18.
    const Row rows[] = {{"16:9", 3, 84, 86, 489, 491}, {"4:3", 4, 17, 18, 557, 558}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto image = quadrantImage();
        image->setZoomType(row.zoom);
        const QImage out = rendered(*image);
        EXPECT_TRUE(rowIs(out, 0, kBlack));
        EXPECT_TRUE(rowIs(out, row.lastTopBar, kBlack));
        EXPECT_EQ(rgb(out, 10, row.firstPicture), kRed);
        EXPECT_EQ(rgb(out, 710, row.lastPicture), kYellow);
        EXPECT_TRUE(rowIs(out, row.firstBottomBar, kBlack));
        EXPECT_TRUE(rowIs(out, 575, kBlack));
    }
}

TEST(MovieImageZoom, PanAndScanFillsTheWidthAndIsCut)
{
    auto image = quadrantImage();
    image->setZoomType(6);
    image->setOutputSize(QSizeF(854, 480));
    const QRectF placed = Reelsmith::detail::imageZoomTypeInRect(
                              Image::fromQImage(image->currentCIImage()).translated(-360, -288),
                              6,
                              QRectF(0, 0, 854, 480))
                              .extent()
                              .rect();
    EXPECT_NEAR(placed.width(), 854, 1e-3);
    EXPECT_NEAR(placed.height(), 683.2, 1e-3);
    EXPECT_NEAR(placed.center().y(), 240, 1e-3);
    const QImage out = rendered(*image);
    ASSERT_EQ(out.size(), QSize(854, 480));
    EXPECT_EQ(rgb(out, 0, 0), kRed);
    EXPECT_EQ(rgb(out, 853, 0), kGreen);
    EXPECT_EQ(rgb(out, 0, 479), kBlue);
    EXPECT_EQ(rgb(out, 853, 479), kYellow);
}

TEST(MovieImageZoom, UnknownTypeIsBlackButWatermarkAndTextRemain)
{
    fixtures::ensureGuiApplication();
    for (int zoom : {0, 7}) {
        SCOPED_TRACE(zoom);
        auto image = quadrantImage();
        image->setZoomType(zoom);
        image->setWatermark(Image::constantColor(Qt::white).cropped(QRectF(10, 10, 20, 20)));
        image->setSubtitleColor(Qt::white);
        image->setSubtitleBackgroundColor(kBlue);
        image->setSubtitlePosition(0.5f);
        image->setSubtitleCurrentString(QStringLiteral("Hello"));
        const QImage out = rendered(*image);
        EXPECT_EQ(rgb(out, 15, 575 - 15), QColor(Qt::white));
        EXPECT_EQ(rgb(out, 360, 100), kBlack);
        EXPECT_EQ(rgb(out, 700, 575), kBlack);
        // The text's box sits with its bottom edge at the middle.
        EXPECT_EQ(rgb(out, 360, 287), kBlue);
        EXPECT_EQ(rgb(out, 360, 288), kBlack);
    }
}

TEST(MovieImageZoom, TurnedCropFitsAndFlipsBeforeTurning)
{
    // A 100x50 crop over the red and green halves: red left, green right.
    for (bool hflip : {false, true}) {
        SCOPED_TRACE(hflip);
        auto image = quadrantImage();
        image->setCropRect(QRectF(310, 300, 100, 50));
        image->setRotate(90);
        image->setHflip(hflip);
        image->setZoomType(2);
        image->setOutputSize(QSizeF(200, 200));
        const QImage out = rendered(*image);
        EXPECT_EQ(rgb(out, 49, 50), kBlack);
        EXPECT_EQ(rgb(out, 150, 50), kBlack);
        EXPECT_EQ(rgb(out, 50, 50), hflip ? kRed : kGreen);
        EXPECT_EQ(rgb(out, 149, 50), hflip ? kRed : kGreen);
        EXPECT_EQ(rgb(out, 50, 150), hflip ? kGreen : kRed);
        EXPECT_EQ(rgb(out, 149, 199), hflip ? kGreen : kRed);
    }
}

TEST(MovieImageFilters, ControlsCountOnlyWhenChanged)
{
    LMMovieImage image;
    EXPECT_TRUE(image.colorFilter().isEmpty());
    EXPECT_FALSE(image.hasEffects());
    image.setSaturation(0.5004f);
    EXPECT_TRUE(image.colorFilter().isEmpty());
    image.setSaturation(0.502f);
    auto filters = image.colorFilter();
    ASSERT_EQ(filters.size(), 1);
    EXPECT_EQ(filters[0]->name(), QStringLiteral("ColorControls"));
    EXPECT_NEAR(filters[0]->number(keys::saturation), 1.004f, 1e-6);
    EXPECT_FLOAT_EQ(filters[0]->number(keys::brightness), 0.0f);
    EXPECT_FLOAT_EQ(filters[0]->number(keys::contrast), 1.0f);
    image.setSaturation(0.5f);
    image.setHue(0.6f);
    image.setSharpness(0.4f);
    filters = image.colorFilter();
    ASSERT_EQ(filters.size(), 2);
    EXPECT_NEAR(filters[0]->number(keys::angle), 0.628f, 1e-5);
    EXPECT_NEAR(filters[1]->number(keys::sharpness), -0.2f, 1e-6);
    EXPECT_TRUE(image.hasEffects());
    image.setEffectName(QStringLiteral("Glow"));
    EXPECT_EQ(image.effectFilter().size(), 3);
    image.setEffectName(QStringLiteral("Unknown"));
    EXPECT_EQ(image.effectFilter().size(), 2);
}

TEST(MovieImageFilters, EffectsTouchThePictureNotTheBars)
{
    fixtures::ensureGuiApplication();
    auto grey = quadrantImage();
    grey->setEffectName(QStringLiteral("Black White"));
    QImage out = rendered(*grey);
    for (int y = 0; y < 576; y += 7)
        for (int x = 0; x < 720; x += 7) {
            const QColor c = out.pixelColor(x, y);
            ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y;
        }

    auto inverted = quadrantImage();
    inverted->setEffectName(QStringLiteral("Color Invert"));
    inverted->setZoomType(3);
    out = rendered(*inverted);
    EXPECT_TRUE(rowIs(out, 40, kBlack));
    EXPECT_TRUE(rowIs(out, 540, kBlack));
    EXPECT_EQ(rgb(out, 10, 100), QColor(0, 255, 255));
    EXPECT_EQ(rgb(out, 710, 480), QColor(0, 0, 255));

    // The subtitle comes after the effect: a red box stays red.
    grey->setSubtitleColor(kRed);
    grey->setSubtitleBackgroundColor(kRed);
    grey->setSubtitlePosition(0.1f);
    grey->setSubtitleCurrentString(QStringLiteral("Red"));
    out = rendered(*grey);
    EXPECT_EQ(rgb(out, 360, 575 - 60), kRed);
}

TEST(MovieImageSubtitle, BoxSitsAtItsPositionAndTallTextIsCut)
{
    fixtures::ensureGuiApplication();
    auto image = quadrantImage(640, 480);
    const QColor magenta(255, 0, 255);
    image->setSubtitleColor(Qt::white);
    image->setSubtitleBackgroundColor(magenta);
    image->setSubtitlePosition(0.1f);
    image->setSubtitleCurrentString(QStringLiteral("  A line of text \n"));
    QImage out = rendered(*image);
    const int width = image->subtitleImage().width();
    ASSERT_GT(width, 10);
    const int left = int(std::round(320 - width / 2.0));
    // y = 48 up is row 432 from the top: the box's last row is the one above.
    EXPECT_EQ(rgb(out, left + 1, 431), magenta);
    EXPECT_NE(rgb(out, left + 1, 432), magenta);
    EXPECT_NE(rgb(out, left - 1, 431), magenta);

    QString tall;
    for (int i = 0; i < 80; ++i)
        tall += QStringLiteral("line %1\n").arg(i);
    image->setSubtitleCurrentString(tall);
    out = rendered(*image);
    EXPECT_EQ(image->subtitleImage().height(), 432);
    EXPECT_EQ(rgb(out, 320, 0), magenta);
}

TEST(MovieImageSubtitle, WhitespaceDrawsNothingAndTheTextEnds)
{
    fixtures::ensureGuiApplication();
    auto image = quadrantImage();
    const QImage plain = rendered(*image);
    image->setSubtitleColor(Qt::white);
    image->setSubtitleBackgroundColor(Qt::black);
    image->setSubtitleCurrentString(QStringLiteral(" \n\t  \n"));
    EXPECT_TRUE(image->currentSubtitleImage().isNull());
    EXPECT_EQ(rendered(*image), plain);
    image->setSubtitleCurrentString(QStringLiteral("Shown"));
    EXPECT_NE(rendered(*image), plain);
    image->setSubtitleCurrentString(QString());
    EXPECT_EQ(rendered(*image), plain);
}

TEST(MovieImageSubtitle, OneStringOverManyFramesIsDrawnOnce)
{
    fixtures::ensureGuiApplication();
    auto movieImage = quadrantImage();
    movieImage->setSubtitleColor(Qt::yellow);
    movieImage->setSubtitleCurrentString(QStringLiteral("Same words"));
    qint64 drawn = 0;
    for (int frame = 0; frame < 100; ++frame) {
        std::shared_ptr<LMMovieImage> image = movieImage->getReferencedMovieImage();
        ASSERT_FALSE(image->currentEffectImage().isNull());
        const qint64 key = image->subtitleImage().cacheKey();
        ASSERT_NE(key, 0);
        if (frame == 0)
            drawn = key;
        ASSERT_EQ(key, drawn) << frame;
    }
    movieImage->setSubtitleCurrentString(QStringLiteral("Other words"));
    auto next = movieImage->getReferencedMovieImage();
    next->currentEffectImage();
    EXPECT_NE(next->subtitleImage().cacheKey(), drawn);
}

// A picture subtitle reaching outside the frame must not count as the frame's size when the
// display size rescales the frame.
TEST(MovieImageRegression, SubtitleOutsideTheFrameDoesNotShrinkThePicture)
{
    auto image = quadrantImage();
    image->setDisplaySize(QSizeF(720, 576));
    image->setZoomType(1);
    const QImage plain = rendered(*image);
    QImage box(100, 100, QImage::Format_RGBA8888);
    box.fill(Qt::white);
    image->setMediaSubtitleImage(LMPlacedImage{box, QPointF(-50, -50)});
    const QImage out = rendered(*image);
    EXPECT_EQ(out.copy(60, 0, 660, 576), plain.copy(60, 0, 660, 576));
    EXPECT_EQ(rgb(out, 10, 570), QColor(Qt::white));
}

TEST(MovieImageDrawing, DrawsIntoAnEncoderBitmapOfAnySize)
{
    auto image = quadrantImage();
    image->setEffectName(QStringLiteral("Sharpen"));
    LMBitmapImage same(QSizeF(720, 576));
    ASSERT_TRUE(image->drawToBitmapImage(same));
    EXPECT_EQ(opaqueRgba(same.getCGImageRef()), rendered(*image));

    LMBitmapImage half(QSizeF(360, 288));
    ASSERT_TRUE(image->drawToBitmapImage(half, 3));
    const QImage small = half.getCGImageRef();
    EXPECT_EQ(rgb(small, 90, 72), kRed);
    EXPECT_EQ(rgb(small, 270, 216), kYellow);

    LMMovieImage empty;
    EXPECT_FALSE(empty.drawToBitmapImage(half));
}

// Each of eight threads renders every frame while the others do; all agree with one thread alone.
TEST(MovieImageThreads, EightThreadsRenderTheBytesOfOne)
{
    fixtures::ensureGuiApplication();
    const QString path = fixtures::MediaFixtures::shared().h264AacMp4(1);
    ASSERT_FALSE(path.isEmpty());
    LMFFMovie movie;
    movie.openMedias(LMMediaSource::mediaWithPath(path)->createMedias());
    movie.setRotate(10);
    movie.setEffectName(QStringLiteral("Blur"));
    movie.setSaturation(0.7f);
    movie.setSubtitleColor(Qt::white);
    movie.setOutputVideoSize(QSizeF(360, 288));
    std::vector<std::shared_ptr<LMMovieImage>> frames;
    for (int i = 0; i < 6; ++i)
        movie.decodeImageAtTimeAction(
            i * 120000 + 20000, [&](const std::shared_ptr<LMMovieImage> &image) {
                image->cache_data_image_from_referenced();
                image->setSubtitleCurrentString(QStringLiteral("Frame %1").arg(i));
                frames.push_back(image);
            });
    ASSERT_EQ(frames.size(), 6u);
    std::vector<QImage> alone;
    for (const auto &frame : frames) {
        LMBitmapImage bitmap(QSizeF(360, 288));
        ASSERT_TRUE(frame->drawToBitmapImage(bitmap, 1));
        alone.push_back(bitmap.getCGImageRef());
    }
    EXPECT_NE(alone[0], alone[5]);
    std::vector<std::vector<QImage>> together(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (const auto &frame : frames) {
                LMBitmapImage bitmap(QSizeF(360, 288));
                frame->drawToBitmapImage(bitmap, 1 + t % 3);
                together[size_t(t)].push_back(bitmap.getCGImageRef());
            }
        });
    for (auto &thread : threads)
        thread.join();
    for (int t = 0; t < 8; ++t)
        for (size_t f = 0; f < frames.size(); ++f)
            EXPECT_EQ(together[size_t(t)][f], alone[f]) << "thread " << t << " frame " << f;
}

TEST(MovieEffectSettings, LandOnTheFrameImageAndStyleClearsTheSubtitle)
{
    LMFFMovie movie;
    auto image = movie.getvVideoEffectStream();
    EXPECT_EQ(image->zoomType(), 5);
    EXPECT_FLOAT_EQ(image->sharpness_scale_factor(), 2.0f);
    movie.setHflip(true);
    movie.setVflip(true);
    movie.setRotate(-90);
    movie.setSaturation(0.1f);
    movie.setBrightness(0.2f);
    movie.setContrast(0.3f);
    movie.setHue(0.4f);
    movie.setSharpness(0.6f);
    movie.setEffectName(QStringLiteral("Bloom"));
    movie.setZoomType(3);
    const Image mark = Image::constantColor(Qt::red).cropped(QRectF(0, 0, 4, 4));
    movie.setWatermark(mark);
    EXPECT_TRUE(image->hflip() && image->vflip());
    EXPECT_FLOAT_EQ(image->rotate(), -90);
    EXPECT_FLOAT_EQ(image->saturation(), 0.1f);
    EXPECT_FLOAT_EQ(image->brightness(), 0.2f);
    EXPECT_FLOAT_EQ(image->contrast(), 0.3f);
    EXPECT_FLOAT_EQ(image->hue(), 0.4f);
    EXPECT_FLOAT_EQ(image->sharpness(), 0.6f);
    EXPECT_EQ(image->effectName(), QStringLiteral("Bloom"));
    EXPECT_EQ(image->zoomType(), 3);
    EXPECT_EQ(image->watermark().node(), mark.node());
    // A referenced frame carries every setting.
    auto frame = image->getReferencedMovieImage();
    EXPECT_EQ(frame->effectName(), QStringLiteral("Bloom"));
    EXPECT_FLOAT_EQ(frame->rotate(), -90);
    EXPECT_EQ(frame->watermark().node(), mark.node());

    struct Row
    {
        const char *name;
        std::function<void()> set;
        bool clears;
    };
    const Row rows[] = {
        {"font", [&] { movie.setSubtitleFont(QFont()); }, true},
        {"colour", [&] { movie.setSubtitleColor(Qt::blue); }, true},
        {"background", [&] { movie.setSubtitleBackgroundColor(Qt::red); }, true},
        {"shadow", [&] { movie.setSubtitleShadow(LMTextShadow{}); }, true},
        {"radius", [&] { movie.setSubtitleBackgroundRadius(4); }, true},
        {"position", [&] { movie.setSubtitlePosition(0.2f); }, true},
        {"effect", [&] { movie.setEffectName(QStringLiteral("Blur")); }, false},
        {"rotate", [&] { movie.setRotate(0); }, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        image->setSubtitleImageString(QStringLiteral("cached"));
        row.set();
        EXPECT_EQ(image->subtitleImageString().isNull(), row.clears);
    }
    EXPECT_EQ(movie.subtitleColor(), QColor(Qt::blue));
    EXPECT_FLOAT_EQ(movie.subtitlePosition(), 0.2f);
    EXPECT_DOUBLE_EQ(movie.subtitleBackgroundRadius(), 4);
}

TEST(MovieThumbnail, ShowsTheEditsWithoutSubtitles)
{
    const QString path = fixtures::MediaFixtures::shared().h264AacMp4(1);
    ASSERT_FALSE(path.isEmpty());
    LMFFMovie movie;
    movie.openMedias(LMMediaSource::mediaWithPath(path)->createMedias());
    movie.setEffectName(QStringLiteral("Black White"));
    movie.setOutputVideoSize(QSizeF(320, 180));
    movie.setZoomType(2);
    const QImage thumbnail = movie.thumbnailAtTimeSize(200000, QSizeF(160, 120));
    ASSERT_EQ(thumbnail.size(), QSize(160, 90));
    int coloured = 0;
    for (int y = 0; y < 90; y += 3)
        for (int x = 0; x < 160; x += 3) {
            const QColor c = thumbnail.pixelColor(x, y);
            coloured += c.red() != c.green() || c.green() != c.blue();
        }
    EXPECT_EQ(coloured, 0);
}
