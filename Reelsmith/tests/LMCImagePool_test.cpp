#include "Reelsmith/frames/LMCImagePool.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(ImagePool, ListsAreFirstInFirstOut)
{
    LMCImagePool pool;
    EXPECT_EQ(pool.getFreeImageContext(), nullptr);
    EXPECT_EQ(pool.getBufferedImageContext(), nullptr);
    pool.appendFreeImageContext(nullptr);
    EXPECT_EQ(pool.freeCount(), 0);

    auto a = LMBitmapImage::imageWithSize(QSizeF(2, 2));
    auto b = LMBitmapImage::imageWithSize(QSizeF(2, 2));
    pool.appendFreeImageContext(a);
    pool.appendFreeImageContext(b);
    EXPECT_EQ(pool.getFreeImageContext(), a);
    EXPECT_EQ(pool.getFreeImageContext(), b);
    EXPECT_EQ(pool.getFreeImageContext(), nullptr);

    pool.appendBufferedImageContext(b);
    pool.appendBufferedImageContext(a);
    EXPECT_EQ(pool.getBufferedImageContext(), b);
    pool.clearPool();
    EXPECT_EQ(pool.bufferedCount(), 0);
}

TEST(ImagePool, ImageAppendedTwiceIsHandedOutOnce)
{
    LMCImagePool pool;
    auto a = LMBitmapImage::imageWithSize(QSizeF(2, 2));
    auto b = LMBitmapImage::imageWithSize(QSizeF(2, 2));
    pool.appendFreeImageContext(a);
    pool.appendFreeImageContext(b);
    pool.appendFreeImageContext(a);
    EXPECT_EQ(pool.getFreeImageContext(), a);
    EXPECT_EQ(pool.getFreeImageContext(), b);
    EXPECT_EQ(pool.getFreeImageContext(), nullptr);
}

TEST(ImagePool, FramesCycleBetweenAProducerAndAConsumerInOrder)
{
    // The conversion job's cycle: the producer draws frame numbers into free bitmaps, the consumer
    // reads them back in the same order and returns the bitmaps.
    constexpr int kFrames = 400;
    LMCImagePool pool;
    for (int i = 0; i < 4; ++i) {
        auto bitmap = LMBitmapImage::imageWithSize(QSizeF(4, 4));
        bitmap->create_cg_context_ref();
        pool.appendFreeImageContext(bitmap);
    }

    std::thread producer([&] {
        for (int frame = 0; frame < kFrames;) {
            auto bitmap = pool.getFreeImageContext();
            if (!bitmap) {
                std::this_thread::yield();
                continue;
            }
            bitmap->drawInImage([frame](QPainter &painter) {
                painter.fillRect(QRectF(0, 0, 4, 4), QColor(frame % 256, frame / 256, 0));
            });
            pool.appendBufferedImageContext(bitmap);
            ++frame;
        }
    });

    std::vector<int> seen;
    while (int(seen.size()) < kFrames) {
        auto bitmap = pool.getBufferedImageContext();
        if (!bitmap) {
            std::this_thread::yield();
            continue;
        }
        const QColor colour = bitmap->getCGImageRef().pixelColor(0, 0);
        seen.push_back(colour.red() + colour.green() * 256);
        pool.appendFreeImageContext(bitmap);
    }
    producer.join();

    for (int frame = 0; frame < kFrames; ++frame)
        ASSERT_EQ(seen[size_t(frame)], frame);
    EXPECT_EQ(pool.freeCount(), 4);
    EXPECT_EQ(pool.bufferedCount(), 0);
}

} // namespace
