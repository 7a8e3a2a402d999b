// The menu page video drawn by several encoder threads at once beside the main thread: the same
// pixels everywhere, and one frame's cached picture shared safely. No child process is started
// here (the thread sanitizer cannot follow a fork in a threaded process), so the pictures are
// made in memory.

#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/Transition/TransitionManager.h"
#include "app/production/DVDMenuVideo.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace app_testing;

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

BackPictureItemRef solidPicture(QColor colour)
{
    QImage image(640, 480, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    auto item = std::make_shared<BackPictureItem>();
    item->setPreviewImage4_3(image);
    item->setPreviewImage16_9(image.scaled(854, 480));
    return item;
}

std::shared_ptr<DVDMenu> redGreenBluePage()
{
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setTransitionCatalogue(&shippedTransitions());
    drawer->setRenderName(QStringLiteral("Dissolve"));
    drawer->setEveryImageDuration(4.0);
    drawer->setEveryRenderDuration(1.0);
    drawer->setUseRenderDurAsMenuDur(true);
    drawer->setImageItemArray(
        {solidPicture(Qt::red), solidPicture(Qt::green), solidPicture(Qt::blue)});
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    page->setDuration(drawer->p_totalTime());
    page->setMenu_drawer(drawer);
    page->setUse_menu_drawer(true);
    return page;
}

TEST(DVDMenuVideoThreads, EncoderThreadsDrawTheSamePagesAsTheMainThread)
{
    application();
    const QList<qint64> times = {2000000, 4500000, 7000000, 9500000, 11000000, 13900000};
    const auto reference = DVDMenuVideo::menuVideoWithMenu(redGreenBluePage());
    QList<QImage> onMain;
    for (qint64 t : times)
        onMain.append(reference->frameImageAtTime(t)->currentCIImage());

    // One page video that no thread has drawn yet, drawn by three encoder threads at once while
    // the main thread draws it too.
    const auto shared = DVDMenuVideo::menuVideoWithMenu(redGreenBluePage());
    QList<QList<QImage>> onWorkers(3);
    std::vector<std::thread> encoders;
    for (int w = 0; w < 3; ++w) {
        encoders.emplace_back([&, w] {
            for (qint64 t : times)
                shared->decodeImageAtTime(t, [&](const DVDMenuVideoFrameImageRef &frame) {
                    onWorkers[w].append(frame->currentCIImage());
                });
        });
    }
    QList<QImage> alongside;
    for (qint64 t : times)
        alongside.append(shared->frameImageAtTime(t)->currentCIImage());
    for (auto &encoder : encoders)
        encoder.join();

    for (qsizetype i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(times[i]);
        ASSERT_FALSE(onMain[i].isNull());
        EXPECT_EQ(alongside[i], onMain[i]);
        for (int w = 0; w < 3; ++w)
            EXPECT_EQ(onWorkers[w].value(i), onMain[i]) << "encoder " << w;
    }
}

TEST(DVDMenuVideoThreads, OneFrameReadFromSeveralThreadsIsRenderedOnce)
{
    application();
    const auto video = DVDMenuVideo::menuVideoWithMenu(redGreenBluePage());
    const DVDMenuVideoFrameImageRef frame = video->frameImageAtTime(7000000);
    std::vector<qint64> keys(4, 0);
    std::vector<std::thread> readers;
    for (int r = 0; r < 4; ++r)
        readers.emplace_back([&, r] { keys[r] = frame->currentCIImage().cacheKey(); });
    for (auto &reader : readers)
        reader.join();
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(keys[r], keys[0]);
    EXPECT_EQ(frame->currentCIImage().cacheKey(), keys[0]);
}

} // namespace
