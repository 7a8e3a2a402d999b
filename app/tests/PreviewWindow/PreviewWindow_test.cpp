// The preview window over the simulated DVD player, under the offscreen platform with SDL's silent
// audio driver: a disc of 6 s titles of test pictures with a 440 Hz tone. Hover, click, seek,
// Menu, the letterbox margin, the seek bar's drags, the sound handed to the output, and closing:
// the player emptied and the main window back, also when closed before the main window went.

#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/PreviewWindow/PreviewDisplayView.h"
#include "app/PreviewWindow/PreviewProgressView.h"
#include "app/PreviewWindow/PreviewWindowController.h"
#include "app/production/DVDPlayer.h"
#include "platform/StringTable.h"
#include "support/PlayerDisc.h"
#include "testsupport/MediaFixtures.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace player_testing;

constexpr int64_t kSecond = 1000000;
// Generous: the sanitizers and a busy machine slow decoding and the event loop down.
constexpr int kTimeoutMs = 30000;

QApplication &application()
{
    static int argc = 1;
    static char name[] = "preview_window_test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

bool runUntil(const std::function<bool()> &done, int limitMs = kTimeoutMs)
{
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void runFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class Environment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        application();
        platform::StringTable::install(platform::StringTable::fromFile(
            QStringLiteral(DW_BINARY_DIR "/resources/") + platform::StringTable::fileName()));
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
        QDir().mkpath(QStringLiteral("/tmp/shots/preview"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new Environment);

VCMovieList toneClips(double seconds)
{
    const QString path = fixtures::MediaFixtures::shared().testsrc2SineMp4(6);
    VCMovieRef clip = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(path));
    EXPECT_TRUE(clip && clip->movie()) << path.toStdString();
    if (!clip)
        return {};
    clip->setTrimStart(0);
    clip->setTrimStop(int64_t(seconds * kSecond));
    return {clip};
}

// The 440 Hz tone: zero crossings of the left channel over the samples.
double frequencyOf(const std::vector<float> &stereo)
{
    int crossings = 0;
    for (size_t i = 2; i < stereo.size(); i += 2)
        if ((stereo[i - 2] < 0) != (stereo[i] < 0))
            ++crossings;
    const double seconds = double(stereo.size() / 2) / LMAudioGraph::kSampleRate;
    return crossings / 2.0 / seconds;
}

class PreviewWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DiscOptions options;
        options.warning = false;
        options.titleSeconds = {{6.0}, {6.0}, {6.0}};
        disc = makePlayerDisc(options, toneClips);
        mainWindow.resize(400, 300);
        mainWindow.show();
        preview = std::make_unique<PreviewWindowController>(
            &mainWindow, [this] { return disc.dvd; }, [this] { ++closes; });
    }
    void TearDown() override
    {
        if (preview->isVisible())
            preview->reject();
        preview.reset();
        QCoreApplication::processEvents();
    }
    PreviewViewController &controls() { return *preview->previewController(); }
    DVDPlayer &player() { return *controls().player(); }
    PreviewDisplayView &display() { return *controls().displayView(); }
    // The widget point of a menu element's centre.
    QPoint pointOf(const DVDMenuItemRef &item)
    {
        const QSizeF page = disc.main->menuSize();
        const QRectF picture = PreviewDisplayView::pictureRect(
            QSizeF(display().currentFrame().size()), QRectF(display().rect()));
        const QPointF c = item->frame().center();
        return QPointF(picture.left() + c.x() / page.width() * picture.width(),
                       picture.bottom() - c.y() / page.height() * picture.height())
            .toPoint();
    }
    QRectF widgetRectOf(const DVDMenuItemRef &item)
    {
        const QSizeF page = disc.main->menuSize();
        const QRectF picture = PreviewDisplayView::pictureRect(
            QSizeF(display().currentFrame().size()), QRectF(display().rect()));
        const QRectF f = item->frame();
        const double sx = picture.width() / page.width(), sy = picture.height() / page.height();
        return QRectF(picture.left() + f.x() * sx,
                      picture.bottom() - (f.y() + f.height()) * sy,
                      f.width() * sx,
                      f.height() * sy);
    }
    void openOnTheMenu()
    {
        preview->showPreviewWindowWithAnimator();
        ASSERT_TRUE(preview->isVisible());
        ASSERT_TRUE(runUntil([&] {
            return player().current_play() == disc.main && !display().currentFrame().isNull();
        }));
    }

    PlayerDisc disc;
    QWidget mainWindow;
    std::unique_ptr<PreviewWindowController> preview;
    int closes = 0;
};

TEST_F(PreviewWindowTest, OpensOverTheMainWindowThenTakesItAwayAndGivesItBackOnClose)
{
    preview->showPreviewWindowWithAnimator();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowModality(), Qt::WindowModal);
    EXPECT_LT(preview->windowOpacity(), 0.5) << "it fades in from 0.3";
    EXPECT_TRUE(mainWindow.isVisible()) << "the main window goes 0.4 s later";
    ASSERT_TRUE(runUntil([&] { return !mainWindow.isVisible(); }));
    EXPECT_TRUE(preview->isVisible());
    ASSERT_TRUE(runUntil([&] { return preview->windowOpacity() > 0.99; }));

    preview->reject();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_EQ(player().dvd(), nullptr);
    EXPECT_TRUE(player().movies().isEmpty());
    EXPECT_FALSE(player().isPlay());
}

// The delayed hide outlived a quick close and took the main window away behind a closed preview.
TEST_F(PreviewWindowTest, ClosingWithinTheDelayCancelsTheMainWindowsHide)
{
    preview->showPreviewWindowWithAnimator();
    ASSERT_TRUE(preview->isMainWindowHidePending());
    preview->reject();
    EXPECT_FALSE(preview->isMainWindowHidePending());
    runFor(PreviewWindowController::kHideMainWindowDelayMs + 300);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_EQ(closes, 1);
}

TEST_F(PreviewWindowTest, HoverClickSeekMenuAndTheLetterbox)
{
    openOnTheMenu();
    if (HasFatalFailure())
        return;
    const DVDMenuItemRef button = disc.mainSlots[0];
    // Paused, so that only the highlight changes the picture.
    player().pause();
    runFor(200);
    const QImage before = display().grab().toImage();
    QTest::mouseMove(&display(), pointOf(button));
    EXPECT_FALSE(display().getDVDHighlightImage().isNull());
    const QImage after = display().grab().toImage();
    preview->grab().save(QStringLiteral("/tmp/shots/preview/menu_highlight.png"));
    ASSERT_EQ(before.size(), after.size());
    const QRectF allowed = widgetRectOf(button).adjusted(-3, -3, 3, 3);
    int changed = 0, outside = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y)) {
                ++changed;
                if (!allowed.contains(QPointF(x, y)))
                    ++outside;
            }
    EXPECT_GT(changed, 50) << "the highlight shows";
    EXPECT_EQ(outside, 0) << "and only over the button";

    // The left margin beside the 4:3 picture is no button.
    const QRectF picture = PreviewDisplayView::pictureRect(QSizeF(display().currentFrame().size()),
                                                           QRectF(display().rect()));
    ASSERT_GT(picture.left(), 4);
    QTest::mouseClick(&display(), Qt::LeftButton, {}, QPoint(2, pointOf(button).y()));
    EXPECT_EQ(player().current_play(), disc.main) << "a click on the letterbox is ignored";

    QTest::mouseClick(&display(), Qt::LeftButton, {}, pointOf(button));
    ASSERT_EQ(player().current_play(), chapterOf(disc.titles[0], 0)) << "the click plays its title";
    EXPECT_EQ(player().duration(), 6 * kSecond);

    player().pause();
    PreviewProgressView &bar = *controls().progressView();
    const QPoint at(int(std::lround(bar.timeToPoint(3 * kSecond + 300000))),
                    int(bar.contentRect().center().y()));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, at);
    EXPECT_GE(player().currentTime(), 3 * kSecond);
    EXPECT_LT(player().currentTime(), 4 * kSecond);
    EXPECT_EQ(controls().timeLabel()->text(), QStringLiteral("00:00:03/00:00:06"));

    // Off the centre band nothing seeks; a drag past either end clamps.
    const int64_t seeked = player().currentTime();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, at + QPoint(60, 9));
    EXPECT_EQ(player().currentTime(), seeked);
    QTest::mousePress(&bar, Qt::LeftButton, {}, at);
    EXPECT_TRUE(bar.isInSeek());
    QMouseEvent drag(QEvent::MouseMove,
                     QPointF(-50, at.y()),
                     bar.mapToGlobal(QPointF(-50, at.y())),
                     Qt::NoButton,
                     Qt::LeftButton,
                     {});
    QApplication::sendEvent(&bar, &drag);
    EXPECT_EQ(bar.currentTime(), 0);
    QMouseEvent far(QEvent::MouseMove,
                    QPointF(bar.width() + 80, at.y()),
                    bar.mapToGlobal(QPointF(bar.width() + 80, at.y())),
                    Qt::NoButton,
                    Qt::LeftButton,
                    {});
    QApplication::sendEvent(&bar, &far);
    EXPECT_EQ(bar.currentTime(), 6 * kSecond);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 1, at.y()));
    EXPECT_FALSE(bar.isInSeek());

    QTest::mouseClick(&bar, Qt::LeftButton, {}, at);
    controls().playPauseAction();
    ASSERT_TRUE(player().isPlay());
    runFor(500);
    preview->grab().save(QStringLiteral("/tmp/shots/preview/title_with_bar.png"));

    QTest::mouseClick(controls().menuButton(), Qt::LeftButton);
    EXPECT_EQ(player().current_play(), disc.main) << "Menu goes back to the page";
}

// The sound of a title goes to the engine's output (SDL's silent driver here): what the output is
// handed is the title's 440 Hz tone; after the window closes its movie is stopped and the player
// plays nothing.
TEST_F(PreviewWindowTest, TheTitlesToneGoesToTheOutputAndNothingAfterClose)
{
    openOnTheMenu();
    if (HasFatalFailure())
        return;
    QTest::mouseClick(&display(), Qt::LeftButton, {}, pointOf(disc.mainSlots[0]));
    ASSERT_EQ(player().current_play(), chapterOf(disc.titles[0], 0));
    const std::shared_ptr<LMFFMovie> movie = player().ffmovie();
    ASSERT_TRUE(movie);
    LMOutputAudioGraph *output = movie->audioOutputGraph();
    ASSERT_TRUE(output);
    ASSERT_TRUE(runUntil([&] { return output->isStart() && output->bufferFrames() > 0; }));
    EXPECT_EQ(output->driverName(), QStringLiteral("dummy"));
    // Take what the render thread would take next, as it would.
    std::vector<float> samples(size_t(8192) * 2);
    size_t taken = 0;
    ASSERT_TRUE(runUntil([&] {
        const int frames = 256;
        if (output->bufferFrames() >= frames
            && output->readSampleFrame(samples.data() + taken * 2, frames))
            taken += frames;
        return taken >= 8192;
    }));
    EXPECT_NEAR(frequencyOf(samples), 440.0, 15.0);

    const int64_t rendered = output->renderedFrames();
    preview->reject();
    EXPECT_FALSE(player().isPlay());
    EXPECT_EQ(player().ffmovie(), nullptr);
    EXPECT_FALSE(output->isStart()) << "the title's output stopped";
    runFor(300);
    EXPECT_LE(output->renderedFrames() - rendered, 2 * LMAudioGraph::kPeriodFrames)
        << "nothing more is pulled";
}

} // namespace
