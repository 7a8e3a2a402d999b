// The menu slideshow background: its time line, its drawing through the page renderer on the main
// thread and on a worker, the renderer it makes for itself, and its archives.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/render/MenuTimes.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/Transition/TransitionManager.h"
#include "app/Transition/TransitionQtzRenderer.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/AppFakes.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;
using Phase = BackgroundRenderData::Frame::Phase;

// The transitions the application ships, as the build lays them out.
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

QImage solid(QSize size, QColor color)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

BackPictureItemRef picture(QColor color)
{
    auto item = std::make_shared<BackPictureItem>();
    item->setPath(QStringLiteral("/pictures/%1.png").arg(color.name()));
    item->setPreviewImage4_3(solid(QSize(640, 480), color));
    item->setPreviewImage16_9(solid(QSize(854, 480), color));
    return item;
}

// A slideshow of red, green and blue with I = 4 s and R = 1 s, as a new project's drawer is set
// up, dissolving between its pictures.
std::shared_ptr<BackgroundRenderData> redGreenBlue(double imageSeconds = 4.0,
                                                   double renderSeconds = 1.0)
{
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setTransitionCatalogue(&shippedTransitions());
    drawer->setRenderName(QStringLiteral("Dissolve"));
    drawer->setEveryImageDuration(imageSeconds);
    drawer->setEveryRenderDuration(renderSeconds);
    drawer->setUseRenderDurAsMenuDur(true);
    drawer->setImageItemArray({picture(Qt::red), picture(Qt::green), picture(Qt::blue)});
    return drawer;
}

std::shared_ptr<DVDMenu> pageWith(const std::shared_ptr<BackgroundRenderData> &drawer,
                                  QSizeF size = QSizeF(640, 480))
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(size);
    page->setMenu_drawer(drawer);
    page->setUse_menu_drawer(true);
    return page;
}

qint64 us(double seconds)
{
    return qint64(seconds * 1000000.0);
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
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

// --- The time line ------------------------------------------------------------------------------

struct TimeRow
{
    const char *name;
    qsizetype count;
    double imageSeconds;
    double renderSeconds;
    double seconds;
    Phase phase;
    qsizetype from;
    qsizetype to;
    double progress;
};

TEST(BackgroundRenderDataTimeline, WhatTheShowPutsOnThePage)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TimeRow rows[] = {
        {"start of the first picture", 3, 4, 1, 0.0, Phase::Still, 0, 0, 0},
        {"end of the first still", 3, 4, 1, 4.0, Phase::Still, 0, 0, 0},
        {"half way from the first to the second", 3, 4, 1, 4.5, Phase::Transition, 0, 1, 0.5},
        {"a quarter into the second transition", 3, 4, 1, 9.25, Phase::Transition, 1, 2, 0.25},
        {"third picture just before the end", 3, 4, 1, 13.9, Phase::Still, 2, 2, 0},
        {"the show's own length is not wrapped", 3, 4, 1, 14.0, Phase::Still, 2, 2, 0},
        {"past the end the show loops", 3, 4, 1, 14.2, Phase::Still, 0, 0, 0},
        {"the loop reaches the transitions again", 3, 4, 1, 18.5, Phase::Transition, 0, 1, 0.5},
        {"R = 0: first picture just before 4 s", 3, 4, 0, 3.999, Phase::Still, 0, 0, 0},
        {"R = 0: second picture at 4 s", 3, 4, 0, 4.0, Phase::Still, 1, 1, 0},
        {"R = 0: second picture just before 8 s", 3, 4, 0, 7.999, Phase::Still, 1, 1, 0},
        {"R = 0: third picture at 8 s", 3, 4, 0, 8.0, Phase::Still, 2, 2, 0},
        {"one picture: inside its still", 1, 4, 1, 3.0, Phase::Still, 0, 0, 0},
        {"one picture: at its length", 1, 4, 1, 4.0, Phase::Still, 0, 0, 0},
        {"one picture: where a transition would be", 1, 4, 1, 4.5, Phase::Still, 0, 0, 0},
        {"one picture: long after", 1, 4, 1, 1234.56, Phase::Still, 0, 0, 0},
        {"no durations (old archive): first picture", 3, 0, 0, 4.5, Phase::Still, 0, 0, 0},
        {"no durations at the start", 3, 0, 0, 0.0, Phase::Still, 0, 0, 0},
        {"negative durations count as none", 3, -4, -1, 4.5, Phase::Still, 0, 0, 0},
        {"a NaN duration counts as none", 3, nan, 1, 1.5, Phase::Transition, 1, 2, 0.5},
        {"unwrapped show past its end: last picture", 2, 0.4, 0.2, 1.3, Phase::Still, 1, 1, 0},
        {"unwrapped show, past its end where a transition would be",
         2,
         0.4,
         0.2,
         1.7,
         Phase::Still,
         1,
         1,
         0},
        {"unwrapped single picture in a transition slot", 1, 0.5, 0.5, 0.7, Phase::Still, 0, 0, 0},
        {"unwrapped show far past its end", 2, 0.4, 0.2, 1.0e9, Phase::Still, 1, 1, 0},
        {"before the start: nothing", 3, 4, 1, -0.5, Phase::None, 0, 0, 0},
        {"not a number: nothing", 3, 4, 1, nan, Phase::None, 0, 0, 0},
        {"no pictures: nothing", 0, 4, 1, 1.0, Phase::None, 0, 0, 0},
    };
    for (const TimeRow &row : rows) {
        SCOPED_TRACE(row.name);
        const BackgroundRenderData::Frame frame = BackgroundRenderData::frameAtTime(
            row.seconds, row.count, row.imageSeconds, row.renderSeconds);
        EXPECT_EQ(frame.phase, row.phase);
        if (frame.phase == Phase::None)
            continue;
        EXPECT_EQ(frame.from, row.from);
        EXPECT_EQ(frame.to, row.to);
        EXPECT_NEAR(frame.progress, row.progress, 1e-5);
        EXPECT_GE(frame.from, 0);
        EXPECT_LT(frame.to, row.count);
    }
}

TEST(BackgroundRenderDataTimeline, OnePictureNeverTransitions)
{
    for (double s = 0.0; s < 30.0; s += 0.05) {
        const auto frame = BackgroundRenderData::frameAtTime(s, 1, 4.0, 1.0);
        ASSERT_EQ(frame.phase, Phase::Still) << s;
        ASSERT_EQ(frame.from, 0) << s;
    }
}

TEST(BackgroundRenderDataTimeline, TotalTime)
{
    auto drawer = redGreenBlue();
    EXPECT_DOUBLE_EQ(drawer->p_totalTime(), 14.0);
    drawer->setEveryRenderDuration(0.0);
    EXPECT_DOUBLE_EQ(drawer->p_totalTime(), 12.0);
    drawer->setImageItemArray({picture(Qt::red)});
    EXPECT_DOUBLE_EQ(drawer->p_totalTime(), 4.0);
    drawer->setImageItemArray({});
    EXPECT_DOUBLE_EQ(drawer->p_totalTime(), 0.0);
    // A drawer from an archive without its durations is too short to set its page's length.
    BackgroundRenderData old;
    old.setImageItemArray({picture(Qt::red), picture(Qt::green)});
    EXPECT_DOUBLE_EQ(old.p_totalTime(), 0.0);
}

// --- Drawing through the page -------------------------------------------------------------------

TEST(BackgroundRenderDataDrawing, PageFramesFollowTheShow)
{
    application();
    auto drawer = redGreenBlue();
    auto page = pageWith(drawer);
    struct Row
    {
        const char *name;
        qint64 timeUs;
        QColor expected;
    } rows[] = {
        {"first still", us(2.0), QColor(255, 0, 0)},
        {"half way to green", us(4.5), QColor(128, 128, 0)},
        {"second still", us(7.0), QColor(0, 255, 0)},
        {"third at 13.9 s", us(13.9), QColor(0, 0, 255)},
        {"third at 14.0 s", us(14.0), QColor(0, 0, 255)},
        {"wrapped at 14.2 s", us(14.2), QColor(255, 0, 0)},
        {"thumbnail time shows the start", Platterkit::render::kThumbnailTimeUs, QColor(255, 0, 0)},
        // The layout time, taken as a time, lands in the third picture (10.78 s into the loop).
        {"layout time shows the start", Platterkit::render::kLayoutTimeUs, QColor(255, 0, 0)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QImage frame = page->imageAtTime(row.timeUs);
        ASSERT_FALSE(frame.isNull());
        EXPECT_TRUE(near(centre(frame), row.expected));
    }
    EXPECT_TRUE(near(centre(page->thumbnailImage()), Qt::red));
    EXPECT_TRUE(near(centre(page->menuThumbnailImage()), Qt::red));
}

TEST(BackgroundRenderDataDrawing, ADrawerNoWindowRefreshedStillDrawsItsTransitions)
{
    application();
    auto drawer = redGreenBlue();
    ASSERT_EQ(drawer->currentRender(), nullptr);
    auto page = pageWith(drawer);
    EXPECT_TRUE(near(centre(page->imageAtTime(us(4.5))), QColor(128, 128, 0)));
    ASSERT_NE(drawer->currentRender(), nullptr);
    EXPECT_EQ(drawer->currentRender()->size(), QSize(640, 480));

    // The same renderer serves the next frames; a page of another size gets one of its own.
    const auto first = drawer->currentRender();
    page->imageAtTime(us(4.75));
    EXPECT_EQ(drawer->currentRender(), first);
    auto widePage = pageWith(drawer, QSizeF(854, 480));
    EXPECT_TRUE(near(centre(widePage->imageAtTime(us(9.5))), QColor(0, 128, 128)));
    EXPECT_EQ(drawer->currentRender()->size(), QSize(854, 480));

    // A new transition choice drops the renderer; the next transition makes one for it.
    drawer->setRenderName(QStringLiteral("Circle Open"));
    EXPECT_EQ(drawer->currentRender(), nullptr);
    page->imageAtTime(us(4.5));
    ASSERT_NE(drawer->currentRender(), nullptr);
    EXPECT_EQ(drawer->currentRender()->composition(),
              shippedTransitions().compositionForName(QStringLiteral("Circle Open")));

    drawer->b_updateCurrentRenderWithNameOrSizeChanged();
    EXPECT_EQ(drawer->currentRender(), nullptr);
    const auto made = drawer->b_updateCurrentRenderWithNameOrSizeChanged(QSizeF(854, 480));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->size(), QSize(854, 480));
    EXPECT_EQ(drawer->b_updateCurrentRenderWithNameOrSizeChanged(QSizeF(0, 480)), nullptr);
}

TEST(BackgroundRenderDataDrawing, PreviewIsFittedAndCentredInThePage)
{
    application();
    auto drawer = redGreenBlue();
    // A dialog that pre-scaled the picture to 640 x 480 for both aspects.
    auto item = std::make_shared<BackPictureItem>();
    item->setPreviewImage16_9(solid(QSize(640, 480), Qt::red));
    item->setPreviewImage4_3(solid(QSize(640, 480), Qt::red));
    drawer->setImageItemArray({item});
    const QImage frame = pageWith(drawer, QSizeF(854, 480))->imageAtTime(us(1.0));
    ASSERT_EQ(frame.size(), QSize(854, 480));
    for (int y : {0, 240, 479}) {
        SCOPED_TRACE(y);
        EXPECT_TRUE(near(frame.pixelColor(106, y), Qt::black));
        EXPECT_TRUE(near(frame.pixelColor(107, y), Qt::red));
        EXPECT_TRUE(near(frame.pixelColor(746, y), Qt::red));
        EXPECT_TRUE(near(frame.pixelColor(747, y), Qt::black));
    }
}

TEST(BackgroundRenderDataDrawing, ThePageAspectChoosesThePreview)
{
    application();
    auto item = std::make_shared<BackPictureItem>();
    item->setPreviewImage4_3(solid(QSize(640, 480), Qt::red));
    item->setPreviewImage16_9(solid(QSize(854, 480), Qt::blue));
    EXPECT_TRUE(near(centre(item->previewImage(0)), Qt::red));
    EXPECT_TRUE(near(centre(item->previewImage(1)), Qt::blue));
    auto drawer = redGreenBlue();
    drawer->setImageItemArray({item});
    EXPECT_TRUE(near(centre(pageWith(drawer)->imageAtTime(0)), Qt::red));
    EXPECT_TRUE(near(centre(pageWith(drawer, QSizeF(854, 480))->imageAtTime(0)), Qt::blue));

    // A picture without a preview for the page's aspect leaves the page black.
    item->setPreviewImage16_9(QImage());
    EXPECT_TRUE(near(centre(pageWith(drawer, QSizeF(854, 480))->imageAtTime(0)), Qt::black));
    EXPECT_EQ(BackgroundRenderData::aspectTypeForPageSize(QSizeF(640, 480)), 0);
    EXPECT_EQ(BackgroundRenderData::aspectTypeForPageSize(QSizeF(854, 480)), 1);
    EXPECT_EQ(BackgroundRenderData::aspectTypeForPageSize(QSizeF(720, 480)), 1);
}

TEST(BackgroundRenderDataDrawing, AnUnknownTransitionLeavesOnlyItsStills)
{
    application();
    auto drawer = redGreenBlue();
    drawer->setRenderName(QStringLiteral("No Such Transition"));
    auto page = pageWith(drawer);
    EXPECT_TRUE(near(centre(page->imageAtTime(us(4.5))), Qt::black));
    EXPECT_EQ(drawer->currentRender(), nullptr);
    EXPECT_TRUE(near(centre(page->imageAtTime(us(7.0))), Qt::green));
    // Once it is known again, the next transition draws.
    drawer->setRenderName(QStringLiteral("Dissolve"));
    EXPECT_TRUE(near(centre(page->imageAtTime(us(4.5))), QColor(128, 128, 0)));
}

TEST(BackgroundRenderDataDrawing, OldArchiveWithoutDurationsShowsTheFirstPicture)
{
    application();
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setTransitionCatalogue(&shippedTransitions());
    drawer->setImageItemArray({picture(Qt::red), picture(Qt::green)});
    auto page = pageWith(drawer);
    for (double s : {0.0, 0.5, 4.5, 100.0})
        EXPECT_TRUE(near(centre(page->imageAtTime(us(s))), Qt::red)) << s;
}

TEST(BackgroundRenderDataDrawing, WorkerThreadFramesMatchTheMainThread)
{
    application();
    auto drawer = redGreenBlue();
    auto page = pageWith(drawer);
    const QList<qint64> times = {us(2.0), us(4.25), us(4.5), us(9.75), us(13.0), us(15.0)};
    QList<QImage> onMain;
    for (qint64 t : times)
        onMain.append(page->imageAtTime(t));

    // A fresh drawer, first drawn by the encoder's thread, gives the same pixels; several of them
    // at once (production beside the canvas) share one renderer.
    auto fresh = redGreenBlue();
    auto freshPage = pageWith(fresh);
    QList<QList<QImage>> onWorkers(4);
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([&, w] {
            for (qint64 t : times)
                onWorkers[w].append(freshPage->imageAtTime(t));
        });
    }
    for (auto &worker : workers)
        worker.join();
    for (int w = 0; w < 4; ++w) {
        SCOPED_TRACE(w);
        ASSERT_EQ(onWorkers[w].size(), times.size());
        for (qsizetype i = 0; i < times.size(); ++i)
            EXPECT_EQ(onWorkers[w][i], onMain[i]) << "frame at " << times[i] << " us";
    }
}

TEST(BackgroundRenderDataDrawing, EditingWhileAWorkerDraws)
{
    application();
    auto drawer = redGreenBlue();
    auto page = pageWith(drawer);
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        qint64 t = 0;
        while (!stop.load()) {
            const QImage frame = page->imageAtTime(t);
            EXPECT_FALSE(frame.isNull());
            t = (t + us(0.37)) % us(20.0);
        }
    });
    for (int i = 0; i < 40; ++i) {
        drawer->setEveryImageDuration(1.0 + i % 8);
        drawer->setEveryRenderDuration((i % 5) * 0.5);
        drawer->setRenderName(i % 2 ? QStringLiteral("Slide") : QStringLiteral("Dissolve"));
        if (i % 3 == 0)
            drawer->setImageItemArray({picture(Qt::red), picture(Qt::blue)});
        else
            drawer->setImageItemArray({picture(Qt::green)});
        if (i % 4 == 0)
            drawer->b_updateCurrentRenderWithNameOrSizeChanged();
        page->imageAtTime(us(0.1 * i));
    }
    stop = true;
    worker.join();
}

TEST(BackgroundRenderDataDrawing, NoPicturesDrawNothing)
{
    application();
    auto drawer = redGreenBlue();
    drawer->setImageItemArray({});
    auto page = pageWith(drawer);
    EXPECT_TRUE(near(centre(page->imageAtTime(us(4.5))), Qt::black));
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawer->setImageItemArray({picture(Qt::red)});
    drawer->drawInRect(&painter, QRectF(0, 0, 10, 10));
    drawer->drawInRectAtTime(nullptr, QRectF(0, 0, 10, 10), 0);
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 5).alpha(), 0);
}

// --- Archives -----------------------------------------------------------------------------------

TEST(BackgroundRenderDataArchive, BothRecordsRoundTripInTheirPage)
{
    application();
    auto drawer = redGreenBlue(6.5, 2.0);
    drawer->setRenderName(QStringLiteral("Swipe2"));
    drawer->imageItemArray().first()->setDraggedImage(solid(QSize(8, 8), Qt::white));
    EXPECT_EQ(drawer->allCoderKeys(),
              QStringList({"renderName",
                           "everyImageDuration",
                           "everyRenderDuration",
                           "useRenderDurAsMenuDur",
                           "imageItemArray"}));
    EXPECT_EQ(BackPictureItem().allCoderKeys(),
              QStringList({"path", "previewImage16_9", "previewImage4_3"}));
    auto page = pageWith(drawer, QSizeF(854, 480));
    page->imageAtTime(us(7.0));

    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(page)), &error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error);
    const auto loadedPage = platform::objectCast<DVDMenu>(
        platform::objectFromVariant(platform::KeyedUnarchiver::unarchive(data, &error)));
    ASSERT_NE(loadedPage, nullptr) << qPrintable(error);
    EXPECT_TRUE(loadedPage->use_menu_drawer());
    const auto loaded = platform::objectCast<BackgroundRenderData>(loadedPage->menu_drawer());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->renderName(), "Swipe2");
    EXPECT_EQ(loaded->everyImageDuration(), 6.5);
    EXPECT_EQ(loaded->everyRenderDuration(), 2.0);
    EXPECT_TRUE(loaded->useRenderDurAsMenuDur());
    EXPECT_EQ(loaded->currentRender(), nullptr);
    const BackPictureItemList items = loaded->imageItemArray();
    ASSERT_EQ(items.size(), 3);
    const QColor colors[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i]->path(), drawer->imageItemArray()[i]->path());
        EXPECT_EQ(items[i]->previewImage4_3().size(), QSize(640, 480));
        EXPECT_EQ(items[i]->previewImage16_9().size(), QSize(854, 480));
        EXPECT_TRUE(near(centre(items[i]->previewImage4_3()), colors[i]));
        EXPECT_TRUE(near(centre(items[i]->previewImage16_9()), colors[i]));
        EXPECT_TRUE(items[i]->draggedImage().isNull());
    }
    // The loaded page draws its slideshow straight away, transitions included, with the shipped
    // catalogue it finds for itself or the one it is given.
    loaded->setTransitionCatalogue(&shippedTransitions());
    loaded->setRenderName(QStringLiteral("Dissolve"));
    EXPECT_TRUE(near(centre(loadedPage->imageAtTime(us(7.5))), QColor(128, 128, 0)));
}

TEST(BackgroundRenderDataArchive, ACopySharesThePicturesAndHasNoRenderer)
{
    application();
    auto drawer = redGreenBlue();
    pageWith(drawer)->imageAtTime(us(4.5));
    ASSERT_NE(drawer->currentRender(), nullptr);
    const auto copy = platform::objectCast<BackgroundRenderData>(
        std::static_pointer_cast<QObject>(drawer->copy()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->renderName(), "Dissolve");
    EXPECT_EQ(copy->imageItemArray(), drawer->imageItemArray());
    EXPECT_EQ(copy->p_totalTime(), 14.0);
    EXPECT_EQ(copy->currentRender(), nullptr);
}

TEST(BackgroundRenderDataArchive, MissingDurationsLoadAsZeroAndStillDraw)
{
    application();
    // An archive that holds the pictures only.
    auto drawer = redGreenBlue();
    platform::KeyedArchiver coder;
    drawer->encoderKey(coder, QStringLiteral("renderName"));
    drawer->encoderKey(coder, QStringLiteral("imageItemArray"));
    QString error;
    const QByteArray data = coder.encodedData(&error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error);

    auto loaded = std::make_shared<BackgroundRenderData>();
    platform::KeyedUnarchiver decoder;
    ASSERT_TRUE(decoder.openData(data, &error)) << qPrintable(error);
    loaded->initWithCoder(decoder);
    ASSERT_FALSE(decoder.failed()) << qPrintable(decoder.lastError());
    EXPECT_EQ(loaded->everyImageDuration(), 0.0);
    EXPECT_EQ(loaded->everyRenderDuration(), 0.0);
    EXPECT_FALSE(loaded->useRenderDurAsMenuDur());
    ASSERT_EQ(loaded->imageItemArray().size(), 3);
    EXPECT_EQ(loaded->p_totalTime(), 0.0);
    loaded->setTransitionCatalogue(&shippedTransitions());
    for (double s : {0.0, 4.5, 20.0})
        EXPECT_TRUE(near(centre(pageWith(loaded)->imageAtTime(us(s))), Qt::red)) << s;
}

} // namespace
