#include "Reelsmith/convert/LMConvertHandOver.h"

#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImage.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace Reelsmith::detail {

ConvertItem::ConvertItem(ConvertItem &&other) noexcept
    : kind(other.kind)
    , time(other.time)
    , frame(other.frame)
    , bitmap(std::move(other.bitmap))
    , samples(std::move(other.samples))
    , packet(std::move(other.packet))
{
    other.frame = nullptr;
}

ConvertItem &ConvertItem::operator=(ConvertItem &&other) noexcept
{
    if (this != &other) {
        av_frame_free(&frame);
        kind = other.kind;
        time = other.time;
        frame = other.frame;
        other.frame = nullptr;
        bitmap = std::move(other.bitmap);
        samples = std::move(other.samples);
        packet = std::move(other.packet);
    }
    return *this;
}

ConvertItem::~ConvertItem()
{
    av_frame_free(&frame);
}

bool ConvertHandOver::hasRoomLocked(bool picture) const
{
    if (int(m_items.size()) >= m_itemLimit)
        return false;
    return !picture || m_pictures < m_pictureLimit;
}

bool ConvertHandOver::hasRoom(bool picture) const
{
    std::lock_guard guard(m_lock);
    return hasRoomLocked(picture);
}

void ConvertHandOver::push(ConvertItem item)
{
    {
        std::lock_guard guard(m_lock);
        if (item.isPicture())
            ++m_pictures;
        m_items.push_back(std::move(item));
    }
    m_ready.notify_one();
}

bool ConvertHandOver::pop(ConvertItem *item, std::chrono::milliseconds timeout)
{
    std::unique_lock guard(m_lock);
    if (!m_ready.wait_for(guard, timeout, [this] { return !m_items.empty(); }))
        return false;
    *item = std::move(m_items.front());
    m_items.pop_front();
    if (item->isPicture())
        --m_pictures;
    return true;
}

void ConvertHandOver::clear()
{
    std::deque<ConvertItem> dropped;
    {
        std::lock_guard guard(m_lock);
        dropped.swap(m_items);
        m_pictures = 0;
    }
}

int ConvertHandOver::pictureCount() const
{
    std::lock_guard guard(m_lock);
    return m_pictures;
}

} // namespace Reelsmith::detail
