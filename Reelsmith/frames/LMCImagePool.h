#pragma once

#include "Reelsmith/frames/LMBitmapImage.h"

#include <QList>
#include <memory>
#include <mutex>

/**
 * Two first-in first-out lists of bitmaps between a producer and a consumer thread: the owner
 * fills the free list once; the producer takes a free bitmap, draws into it and appends it to the
 * buffered list; the consumer takes a buffered bitmap, uses it and gives it back to the free list.
 *
 * Each list has its own lock; no call holds both. Any thread.
 */
class LMCImagePool
{
public:
    using Image = std::shared_ptr<LMBitmapImage>;

    LMCImagePool() = default;
    LMCImagePool(const LMCImagePool &) = delete;
    LMCImagePool &operator=(const LMCImagePool &) = delete;

    /** The oldest free bitmap, removed from the list (with any other entry of it); null when empty. */
    Image getFreeImageContext();
    /** Appends to the free list; null is ignored. */
    void appendFreeImageContext(const Image &image);
    /** The oldest filled bitmap, removed from the list; null when empty. */
    Image getBufferedImageContext();
    /** Appends to the buffered list; null is ignored. */
    void appendBufferedImageContext(const Image &image);
    /** Empties the buffered list, then the free list. */
    void clearPool();

    int freeCount() const;
    int bufferedCount() const;

private:
    struct List
    {
        mutable std::mutex lock;
        QList<Image> images;
    };
    static Image take(List &list);
    static void append(List &list, const Image &image);

    List m_free;
    List m_buffered;
};
