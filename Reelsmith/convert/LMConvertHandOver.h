#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

struct AVFrame;
class LMBitmapImage;
class LMFFImage;

namespace Reelsmith::detail {

/**
 * One piece of a conversion, made on a movie's decode queue and written on the converting
 * thread: a decoded picture, a composed picture, a block of samples, a copied packet, or the end
 * of a segment. time is where the piece ends, in engine time within its segment.
 */
struct ConvertItem
{
    enum class Kind { Picture, Composed, Samples, VideoPacket, AudioPacket, SegmentEnd };

    ConvertItem() = default;
    ConvertItem(const ConvertItem &) = delete;
    ConvertItem &operator=(const ConvertItem &) = delete;
    ConvertItem(ConvertItem &&other) noexcept;
    ConvertItem &operator=(ConvertItem &&other) noexcept;
    ~ConvertItem();

    Kind kind = Kind::SegmentEnd;
    int64_t time = 0;
    AVFrame *frame = nullptr;              // Picture: a reference to the decoder's frame, owned
    std::shared_ptr<LMBitmapImage> bitmap; // Composed: a bitmap of the converter's pool
    std::vector<float> samples;            // Samples: interleaved stereo float
    std::shared_ptr<LMFFImage> packet;     // VideoPacket, AudioPacket

    bool isPicture() const { return kind == Kind::Picture || kind == Kind::Composed; }
};

/**
 * The bounded hand-over between the decode queue (which pushes) and the converting thread (which
 * pops): at most pictureLimit pictures and itemLimit pieces wait at once, so decoding runs ahead
 * of encoding by a few frames and never more. Any thread.
 */
class ConvertHandOver
{
public:
    ConvertHandOver(int pictureLimit, int itemLimit)
        : m_pictureLimit(pictureLimit)
        , m_itemLimit(itemLimit)
    {}

    /** Room for one more piece (a picture when picture is true). */
    bool hasRoom(bool picture) const;
    void push(ConvertItem item);
    /** The oldest piece, waiting up to timeout; false when none came. */
    bool pop(ConvertItem *item, std::chrono::milliseconds timeout);
    /** Drops every waiting piece. */
    void clear();
    int pictureCount() const;

private:
    bool hasRoomLocked(bool picture) const;

    const int m_pictureLimit;
    const int m_itemLimit;
    mutable std::mutex m_lock;
    std::condition_variable m_ready;
    std::deque<ConvertItem> m_items;
    int m_pictures = 0;
};

} // namespace Reelsmith::detail
