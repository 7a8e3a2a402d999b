// The menu page video: a page as a clip of its duration, the music laid over it for encoding and
// kept in step with the page clock while it plays, and its frames, drawn alike on the main thread
// and on the encoder's thread.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/render/MenuPageLayers.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/Transition/TransitionManager.h"
#include "app/production/DVDMenuVideo.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/MenuFixtures.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;

// The players' sound goes to SDL's silent driver: these machines have no sound device.
const bool kSilentAudio = qputenv("SDL_AUDIODRIVER", "dummy");

qint64 us(double seconds)
{
    return qint64(std::llround(seconds * 1000000.0));
}

// The page's music: a clip of the sine file, trimmed to [startSeconds, stopSeconds] when given.
std::shared_ptr<MediaData> music(double fileSeconds,
                                 double startSeconds = -1,
                                 double stopSeconds = -1,
                                 double fadeInSeconds = 0,
                                 double fadeOutSeconds = 0)
{
    const QString path = sineMusic(fileSeconds);
    if (path.isEmpty())
        return nullptr;
    auto clip = MediaData::mediaDataWithPath(path);
    if (!clip || !clip->movie() || !clip->movie()->hasAudio())
        return nullptr;
    if (startSeconds >= 0)
        clip->movie()->setTrimStart(us(startSeconds));
    if (stopSeconds >= 0)
        clip->movie()->setTrimStop(us(stopSeconds));
    clip->movie()->setFadeInTime(us(fadeInSeconds));
    clip->movie()->setFadeOutTime(us(fadeOutSeconds));
    return clip;
}

std::shared_ptr<DVDMenu> page(double seconds, const std::shared_ptr<MediaData> &backgroundMusic)
{
    auto menu = std::make_shared<DVDMenu>();
    menu->setMenuSize(QSizeF(640, 480));
    menu->setDuration(seconds);
    menu->setMusic(backgroundMusic);
    return menu;
}

// --- Music laid over the page -------------------------------------------------------------------

struct LayRow
{
    const char *name;
    double pageSeconds;
    double fileSeconds;
    double trimStart; // -1: the whole file
    double trimStop;
    QList<double> lengths;
};

TEST(DVDMenuVideoMusic, TheMusicRepeatsUntilThePageIsCovered)
{
    application();
    const LayRow rows[] = {
        {"30 s page, 12 s music: the last copy is cut to 6 s", 30, 12, -1, -1, {12, 12, 6}},
        {"30 s page, 10.3 s music: 9.4 s left is more than 0.5 s",
         30,
         10.3,
         -1,
         -1,
         {10.3, 10.3, 9.4}},
        {"20.4 s page, 10 s music: the 0.4 s left adds nothing", 20.4, 12, 0, 10, {10, 10}},
        {"music of 0.4 s adds nothing at all", 30, 12, 0, 0.4, {}},
        {"a page shorter than its music takes one cut copy", 8, 12, -1, -1, {8}},
        {"music trimmed inside its file keeps its trim", 30, 14, 1, 13, {12, 12, 6}},
    };
    for (const LayRow &row : rows) {
        SCOPED_TRACE(row.name);
        const auto clip = music(row.fileSeconds, row.trimStart, row.trimStop, 1.0, 2.0);
        ASSERT_TRUE(clip);
        const auto video = DVDMenuVideo::menuVideoWithMenu(page(row.pageSeconds, clip));
        const VCMovieList pieces = video->musicVcMovies();
        ASSERT_EQ(pieces.size(), row.lengths.size());
        const VCMovieRef source = clip->movie();
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(pieces[i]->trimDuration(), us(row.lengths[i]));
            EXPECT_EQ(pieces[i]->trimStart(), source->trimStart());
            EXPECT_EQ(pieces[i]->movie(), source->movie());
            EXPECT_EQ(pieces[i]->fadeInTime(), us(1.0));
            EXPECT_EQ(pieces[i]->fadeOutTime(), us(2.0));
            EXPECT_NE(pieces[i], source) << "each copy is a clip of its own";
        }
    }
    EXPECT_TRUE(DVDMenuVideo::menuVideoWithMenu(page(30, nullptr))->musicVcMovies().isEmpty());
}

// --- Music kept in step while playing -----------------------------------------------------------

TEST(DVDMenuVideoMusic, MusicTooShortToSyncLeavesOnlyThePageClockPlaying)
{
    application();
    const auto clip = music(12, 0, 0.4);
    ASSERT_TRUE(clip);
    const auto video = DVDMenuExtention::vcmovies(page(30, clip)).value(0);
    ASSERT_TRUE(video);
    EXPECT_FALSE(video->updatePlayerPlaySegment(true));
    video->play();
    EXPECT_TRUE(video->isPlay());
    EXPECT_FALSE(clip->movie()->movie()->isPlay());
    video->pause();
    EXPECT_FALSE(video->isPlay());
}

TEST(DVDMenuVideoMusic, MusicFollowsThePageClockAndIsMovedOnlyWhenItDrifts)
{
    application();
    // 12 s of music cut out of a 14 s file from 1 s on, so the sync must add the trim start.
    const auto clip = music(14, 1, 13);
    ASSERT_TRUE(clip);
    const auto video = DVDMenuVideo::menuVideoWithMenu(page(30, clip));
    const auto engine = clip->movie()->movie();
    video->setCurrentTime(us(25));
    EXPECT_EQ(video->currentTime(), us(25));

    ASSERT_TRUE(video->updatePlayerPlaySegment(true));
    EXPECT_EQ(engine->currentTime(), us(1 + 1)) << "25 s on a 12 s loop is 1 s into the music";

    engine->setCurrentTime(us(2.1));
    EXPECT_TRUE(video->updatePlayerPlaySegment());
    EXPECT_EQ(engine->currentTime(), us(2.1)) << "a drift of 0.1 s is left alone";

    engine->setCurrentTime(us(2.3));
    EXPECT_TRUE(video->updatePlayerPlaySegment());
    EXPECT_EQ(engine->currentTime(), us(2)) << "a drift of 0.3 s is corrected";
}

struct VolumeRow
{
    const char *name;
    double page, length, fadeIn, fadeOut, t;
    double volume;
};

TEST(DVDMenuVideoMusic, VolumeFadesOutTowardsTheNearerOfTheMusicEndAndThePageEnd)
{
    const VolumeRow rows[] = {
        {"page longer than its music: fades at the page end", 30, 12, 0, 2, 29, 0.5},
        {"... and at the end of each loop of the music", 30, 12, 0, 2, 11, 0.5},
        {"mid-loop at full volume", 30, 12, 0, 2, 18, 1.0},
        {"8 s page, 12 s music: full volume before the last 2 s", 8, 12, 0, 2, 6, 1.0},
        {"8 s page, 12 s music: half way through the page's fade", 8, 12, 0, 2, 7, 0.5},
        {"8 s page, 12 s music: near the page end", 8, 12, 0, 2, 7.5, 0.25},
        {"fade-in at the page start", 30, 12, 2, 0, 0.5, 0.25},
        {"fade-in again at each loop start", 30, 12, 2, 0, 12.5, 0.25},
        {"past the page end: silent", 30, 12, 0, 2, 30.5, 0.0},
    };
    for (const VolumeRow &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(DVDMenuVideo::musicVolumeAtTime(
                        us(row.t), us(row.page), us(row.length), us(row.fadeIn), us(row.fadeOut)),
                    row.volume,
                    1e-6);
    }
}

TEST(DVDMenuVideoMusic, PreviewFadesLikeTheProducedMenu)
{
    application();
    // 30 s page, 12 s music with a 2 s fade-out: the produced menu's last copy (6 s) fades over
    // the page's last 2 s, so the preview must too.
    const auto clip = music(12, -1, -1, 0, 2);
    ASSERT_TRUE(clip);
    const auto video = DVDMenuVideo::menuVideoWithMenu(page(30, clip));
    const auto engine = clip->movie()->movie();
    const VCMovieList produced = video->musicVcMovies();
    ASSERT_EQ(produced.size(), 3);
    const VCMovieRef last = produced.last();
    // The produced gain one second before the page's end (5 s into the last 6 s copy).
    EXPECT_NEAR(last->audioVolumeAtTime(last->trimStart() + us(5)), 0.5, 1e-3);

    video->setCurrentTime(us(29));
    ASSERT_TRUE(video->updatePlayerPlaySegment(true));
    EXPECT_NEAR(engine->playVolume(), 0.5, 1e-3);
    video->setCurrentTime(us(20));
    video->updatePlayerPlaySegment();
    EXPECT_NEAR(engine->playVolume(), 1.0, 1e-3);
}

// --- The page as a clip -------------------------------------------------------------------------

TEST(DVDMenuVideoClip, APageIsOneClipOfItsDurationOverASilentClock)
{
    application();
    auto menu = page(14, nullptr);
    menu->setMenuSize(QSizeF(854, 480));
    const DVDMenuVideoList made = DVDMenuExtention::vcmovies(menu);
    ASSERT_EQ(made.size(), 1);
    const DVDMenuVideoRef video = made.first();
    EXPECT_EQ(video->menu(), menu);
    EXPECT_EQ(video->trimStart(), 0);
    EXPECT_EQ(video->trimDuration(), us(14));
    EXPECT_EQ(video->fadeInTime(), 0);
    EXPECT_EQ(video->fadeOutTime(), 0);
    EXPECT_EQ(video->videoOutputSize(), QSizeF(854, 480));
    EXPECT_EQ(video->currentVideoMediaMaxTime(), us(3600));
    ASSERT_TRUE(video->audio());
    EXPECT_EQ(video->audioMovie()->trimDuration(), VCMovie::kEmptyMovieDurationUs);
    EXPECT_EQ(video->movie(), video->audio()) << "the audio movie carries the clock";

    // Through the clip interface, as players and converters see it.
    const VCMovieRef asClip = video;
    EXPECT_TRUE(asClip->hasVideo());
    EXPECT_TRUE(asClip->hasAudio());
    EXPECT_EQ(asClip->videoOutputSize(), QSizeF(854, 480));
    EXPECT_EQ(asClip->validVCMovies(), (VCMovieList{video}));
    EXPECT_EQ(VCMovie::moviesFromTrimMovies({asClip}), (VCMovieList{video}))
        << "cutting a page into pieces must not lose the page";
    EXPECT_EQ(DVDMenuExtention::vcmovies(nullptr).size(), 0);
}

TEST(DVDMenuVideoClip, EncodingTakesTheSoundOfTheAudioMovieSetForIt)
{
    application();
    const auto clip = music(12);
    ASSERT_TRUE(clip);
    const auto video = DVDMenuVideo::menuVideoWithMenu(page(20, clip));
    // The pipeline encodes the laid music into a file and hands its clip over; here the music
    // itself stands for that file.
    auto encoded = std::make_shared<VCMovie>(clip->movie()->movie());
    video->setAudioMovie(encoded);
    EXPECT_EQ(video->audioMovie(), encoded);
    EXPECT_EQ(video->movie(), encoded->movie());
    EXPECT_EQ(video->trimDuration(), us(20)) << "the page, not the sound, sets the length";

    video->setExportMovie(true);
    video->setDisableVideo(false);
    EXPECT_TRUE(encoded->movie()->disableVideo());
    video->setCurrentTime(us(1));
    std::vector<float> samples(2 * 1024, 0.0f);
    ASSERT_TRUE(video->readSample(samples.data(), 0, 1024));
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.05f) << "the sine reaches the encoder";
}

TEST(DVDMenuVideoClip, MovingThePageClockRestartsTheTitlePictures)
{
    application();
    const auto clip = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("red", 4));
    ASSERT_TRUE(clip && clip->movie());
    auto title = std::make_shared<DVDTitleData>();
    title->setMediaArray({clip});
    clip->setSuperData(title);
    auto slot = makeTitleSlot();
    slot->setJump(title);
    auto menu = page(10, nullptr);
    menu->setItems({slot});
    const auto video = DVDMenuVideo::menuVideoWithMenu(menu);

    // Drawing the page at a time starts the title's moving picture...
    ASSERT_TRUE(video->frameImageAtTime(us(1))->currentCIImage().isNull() == false);
    EXPECT_TRUE(title->item_segment_movie());
    // ... and a jump of the page clock starts it again from its image time.
    video->setCurrentTime(0);
    EXPECT_FALSE(title->item_segment_movie());
    EXPECT_EQ(video->currentTime(), 0);
}

// --- Frames -------------------------------------------------------------------------------------

class ShippedTransitions : public TransitionManager
{
public:
    ShippedTransitions() { init(); }
    QString quartzRenderBundleForResource() const override
    {
        return QStringLiteral(DW_BINARY_DIR "/resources");
    }
};

const ShippedTransitions &shippedTransitions()
{
    static const ShippedTransitions catalogue;
    return catalogue;
}

BackPictureItemRef pictureOf(const QImage &image)
{
    auto item = std::make_shared<BackPictureItem>();
    item->setPreviewImage4_3(image.scaled(640, 480));
    item->setPreviewImage16_9(image.scaled(854, 480));
    return item;
}

// The colours of the red, green and blue PNGs made by ffmpeg (its green is a dark one).
QList<QColor> pictureColours()
{
    QList<QColor> colours;
    for (const char *colour : {"red", "green", "blue"}) {
        const QImage image(colourPicture(QString::fromLatin1(colour)));
        colours.append(image.isNull() ? QColor() : image.pixelColor(0, 0));
    }
    return colours;
}

// A page of 14 s showing red, green and blue (PNGs made by ffmpeg), 4 s each with 1 s dissolves.
std::shared_ptr<DVDMenu> redGreenBluePage()
{
    BackPictureItemList pictures;
    for (const char *colour : {"red", "green", "blue"}) {
        const QImage image(colourPicture(QString::fromLatin1(colour)));
        if (image.isNull())
            return nullptr;
        pictures.append(pictureOf(image));
    }
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setTransitionCatalogue(&shippedTransitions());
    drawer->setRenderName(QStringLiteral("Dissolve"));
    drawer->setEveryImageDuration(4.0);
    drawer->setEveryRenderDuration(1.0);
    drawer->setUseRenderDurAsMenuDur(true);
    drawer->setImageItemArray(pictures);
    auto menu = page(drawer->p_totalTime(), nullptr);
    menu->setMenu_drawer(drawer);
    menu->setUse_menu_drawer(true);
    return menu;
}

::testing::AssertionResult near(QColor actual, QColor expected, int tolerance = 3)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance
        && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << actual.red() << ", " << actual.green() << ", " << actual.blue()
           << "), expected (" << expected.red() << ", " << expected.green() << ", "
           << expected.blue() << ")";
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// What the encoder writes for a frame: the picture drawn into its PAL-sized bitmap.
QImage encoderBitmap(const std::function<bool(LMBitmapImage &)> &draw)
{
    const auto bitmap = LMBitmapImage::imageWithSize(QSizeF(720, 576));
    if (!bitmap || !draw(*bitmap))
        return QImage();
    return bitmap->getCIImage();
}

TEST(DVDMenuVideoFrames, RedGreenBluePageFramesAreTheSameOnTheEncodersThread)
{
    application();
    const auto menu = redGreenBluePage();
    ASSERT_TRUE(menu);
    const auto video = DVDMenuVideo::menuVideoWithMenu(menu);
    EXPECT_EQ(video->trimDuration(), us(14));

    struct Expected
    {
        double seconds;
        QColor colour;
    };
    const QList<QColor> colours = pictureColours();
    ASSERT_TRUE(near(colours[0], Qt::red));
    ASSERT_TRUE(near(colours[2], Qt::blue));
    const Expected still[] = {{2.0, colours[0]}, {7.0, colours[1]}, {11.0, colours[2]}};
    for (const Expected &row : still) {
        SCOPED_TRACE(row.seconds);
        DVDMenuVideoFrameImageRef frame;
        video->decodeImageAtTime(us(row.seconds),
                                 [&](const DVDMenuVideoFrameImageRef &f) { frame = f; });
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->outputSize(), QSizeF(640, 480));
        EXPECT_TRUE(near(centre(frame->currentCIImage()), row.colour));
        EXPECT_TRUE(near(
            centre(encoderBitmap([&](LMBitmapImage &b) { return frame->drawToBitmapImage(b); })),
            row.colour));
        // The same frame through the clip interface, as an engine frame image.
        std::shared_ptr<LMMovieImage> engineFrame;
        const VCMovieRef asClip = video;
        asClip->decodeImageAtTimeActionWaitUntilDone(
            us(row.seconds),
            [&](const std::shared_ptr<LMMovieImage> &f) { engineFrame = f; },
            true);
        ASSERT_TRUE(engineFrame);
        EXPECT_EQ(engineFrame->outputSize(), QSizeF(640, 480));
        EXPECT_TRUE(near(centre(engineFrame->currentCIImage()), row.colour));
        EXPECT_TRUE(near(centre(encoderBitmap(
                             [&](LMBitmapImage &b) { return engineFrame->drawToBitmapImage(b); })),
                         row.colour));
    }

    // The encoder's thread draws a fresh page of its own first (no window ever drew it), at the
    // still times and in the middle of the dissolves: the same pixels as the main thread.
    const QList<qint64> times = {us(2), us(4.5), us(7), us(9.5), us(11)};
    QList<QImage> onMain;
    for (qint64 t : times)
        onMain.append(video->frameImageAtTime(t)->currentCIImage());
    const auto fresh = DVDMenuVideo::menuVideoWithMenu(redGreenBluePage());
    QList<QImage> onWorker;
    std::thread encoder([&] {
        for (qint64 t : times)
            fresh->decodeImageAtTime(t, [&](const DVDMenuVideoFrameImageRef &f) {
                onWorker.append(f->currentCIImage());
            });
    });
    encoder.join();
    ASSERT_EQ(onWorker.size(), times.size());
    for (qsizetype i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(times[i]);
        EXPECT_FALSE(onMain[i].isNull());
        EXPECT_EQ(onWorker[i], onMain[i]);
    }
    // The dissolve at 4.5 s is half red, half green.
    const QColor halfWay((colours[0].red() + colours[1].red()) / 2,
                         (colours[0].green() + colours[1].green()) / 2,
                         0);
    EXPECT_TRUE(near(centre(onMain[1]), halfWay, 8));
}

TEST(DVDMenuVideoFrames, AFrameIsRenderedOnceAndStaysUpright)
{
    application();
    // A picture red above, blue below: a flip anywhere between the page and the encoder shows.
    QImage twoColour(640, 480, QImage::Format_ARGB32_Premultiplied);
    twoColour.fill(Qt::blue);
    {
        QPainter painter(&twoColour);
        painter.fillRect(QRect(0, 0, 640, 240), Qt::red);
    }
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setEveryImageDuration(5.0);
    drawer->setImageItemArray({pictureOf(twoColour)});
    auto menu = page(5, nullptr);
    menu->setMenu_drawer(drawer);
    menu->setUse_menu_drawer(true);
    const auto video = DVDMenuVideo::menuVideoWithMenu(menu);

    const DVDMenuVideoFrameImageRef frame = video->frameImageAtTime(us(1));
    const QImage first = frame->currentCIImage();
    EXPECT_EQ(frame->currentCIImage().cacheKey(), first.cacheKey()) << "drawn once, then kept";
    EXPECT_EQ(frame->getReferencedMovieImage(), frame);
    EXPECT_TRUE(near(first.pixelColor(320, 10), Qt::red));
    EXPECT_TRUE(near(first.pixelColor(320, 470), Qt::blue));

    const QImage encoded = encoderBitmap(
        [&](LMBitmapImage &b) { return frame->movieImage()->drawToBitmapImage(b); });
    ASSERT_FALSE(encoded.isNull());
    EXPECT_TRUE(near(encoded.pixelColor(360, 10), Qt::red));
    EXPECT_TRUE(near(encoded.pixelColor(360, 566), Qt::blue));

    // A page of no size draws nothing, and says so instead of handing out garbage.
    auto empty = std::make_shared<DVDMenu>();
    const auto none = DVDMenuVideo::menuVideoWithMenu(empty)->frameImageAtTime(0);
    EXPECT_TRUE(none->currentCIImage().isNull());
    EXPECT_EQ(none->movieImage(), nullptr);
    EXPECT_TRUE(
        encoderBitmap([&](LMBitmapImage &b) { return none->drawToBitmapImage(b); }).isNull());
}

// The largest difference of any channel of any pixel between two pictures of one size.
int largestDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888);
    if (x.size() != y.size())
        return 256;
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i)
            largest = std::max(largest, std::abs(int(p[i]) - int(q[i])));
    }
    return largest;
}

TEST(DVDMenuVideoFrames, ExportedFramesKeepWhatDoesNotMoveAndLookTheSame)
{
    application();
    QImage background(640, 480, QImage::Format_ARGB32_Premultiplied);
    background.fill(QColor(30, 90, 160));
    const auto clip = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("red", 4));
    ASSERT_TRUE(clip && clip->movie());
    auto title = std::make_shared<DVDTitleData>();
    title->setMediaArray({clip});
    clip->setSuperData(title);
    auto moving = makeTitleSlot(QRectF(40, 200, 240, 180));
    moving->setJump(title);
    // Still elements below and above the moving picture, overlapping it.
    auto below = makeButton(QStringLiteral("Play"), QRectF(30, 190, 120, 60));
    auto text = makeStaticText(QRectF(60, 230, 200, 40));
    auto above = makeButton(QStringLiteral("Next"), QRectF(200, 300, 120, 60));
    auto makePage = [&](bool withTitle) {
        auto menu = page(10, nullptr);
        // The slideshow moves too: the still button above it is a layer of its own.
        if (withTitle) {
            auto drawer = std::make_shared<BackgroundRenderData>();
            drawer->setEveryImageDuration(10.0);
            drawer->setImageItemArray({pictureOf(background)});
            menu->setMenu_drawer(drawer);
            menu->setUse_menu_drawer(true);
        }
        menu->setItems(withTitle ? QList<DVDMenuItemRef>{below, moving, text, above}
                                 : QList<DVDMenuItemRef>{below, text, above});
        return menu;
    };
    ASSERT_TRUE(Platterkit::render::MenuPageLayers::elementMoves(*moving));
    EXPECT_FALSE(Platterkit::render::MenuPageLayers::elementMoves(*text));
    EXPECT_FALSE(Platterkit::render::MenuPageLayers::elementMoves(*above));

    for (const bool withTitle : {true, false}) {
        SCOPED_TRACE(withTitle ? "a moving title picture" : "nothing moving");
        const auto shown = DVDMenuVideo::menuVideoWithMenu(makePage(withTitle));
        const auto exported = DVDMenuVideo::menuVideoWithMenu(makePage(withTitle));
        exported->setExportMovie(true);
        QList<qint64> keys;
        for (const double seconds : {0.5, 1.0, 2.5}) {
            SCOPED_TRACE(seconds);
            const QImage plain = shown->frameImageAtTime(us(seconds))->currentCIImage();
            const auto frame = exported->frameImageAtTime(us(seconds));
            ASSERT_TRUE(frame);
            ASSERT_FALSE(plain.isNull());
            EXPECT_LE(largestDifference(frame->currentCIImage(), plain), 2);
            EXPECT_TRUE(frame->movieImage());
            keys.append(frame->currentCIImage().cacheKey());
        }
        // A still page is drawn and converted once; a moving one again for every frame.
        if (withTitle)
            EXPECT_NE(keys[0], keys[1]);
        else
            EXPECT_TRUE(keys[0] == keys[1] && keys[1] == keys[2]);
        exported->setExportMovie(false);
    }
}

} // namespace
