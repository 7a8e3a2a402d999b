#include "Reelsmith/frames/LMCImagePool.h"

LMCImagePool::Image LMCImagePool::take(List &list)
{
    std::lock_guard guard(list.lock);
    if (list.images.isEmpty())
        return nullptr;
    Image first = list.images.takeFirst();
    // The same bitmap appended twice must not be handed out twice: both sides would draw into it.
    list.images.removeAll(first);
    return first;
}

void LMCImagePool::append(List &list, const Image &image)
{
    if (!image)
        return;
    std::lock_guard guard(list.lock);
    list.images.append(image);
}

LMCImagePool::Image LMCImagePool::getFreeImageContext()
{
    return take(m_free);
}

void LMCImagePool::appendFreeImageContext(const Image &image)
{
    append(m_free, image);
}

LMCImagePool::Image LMCImagePool::getBufferedImageContext()
{
    return take(m_buffered);
}

void LMCImagePool::appendBufferedImageContext(const Image &image)
{
    append(m_buffered, image);
}

void LMCImagePool::clearPool()
{
    {
        std::lock_guard guard(m_buffered.lock);
        m_buffered.images.clear();
    }
    std::lock_guard guard(m_free.lock);
    m_free.images.clear();
}

int LMCImagePool::freeCount() const
{
    std::lock_guard guard(m_free.lock);
    return int(m_free.images.size());
}

int LMCImagePool::bufferedCount() const
{
    std::lock_guard guard(m_buffered.lock);
    return int(m_buffered.images.size());
}
