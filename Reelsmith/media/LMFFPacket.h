#pragma once

#include "Reelsmith/detail/FFmpegPointers.h"

#include <cstdint>
#include <memory>

extern "C" {
#include <libavutil/rational.h>
}

/**
 * One raw packet kept for stream copy or held back in a media's packet cache: an owned,
 * reference-counted copy of the demuxed packet plus what is needed to place it on a movie's
 * timeline. Streams queue these in their raw packet list; medias stamp the two times when they
 * hand one out; LMFFImage (packet form) can wrap one.
 *
 * Held by std::shared_ptr; the AVPacket is freed with the object. Immutable once handed out, so
 * any thread may read it.
 */
class LMFFPacket
{
public:
    /** A new holder with its own reference to packet's data; null when packet is null or empty. */
    static std::shared_ptr<LMFFPacket> packetWithCopy(const AVPacket *packet, AVRational timeBase);

    ~LMFFPacket();
    LMFFPacket(const LMFFPacket &) = delete;
    LMFFPacket &operator=(const LMFFPacket &) = delete;

    /** The held packet (never null); its timestamps are in time_base. */
    AVPacket *getPacket() const { return m_packet.get(); }
    /** The key-frame flag of the packet. */
    bool isKeyPacket() const;

    /** pts, or dts when pts is missing; AV_NOPTS_VALUE when neither is known. In time_base. */
    int64_t bestTimestamp() const;

    /** Time base of the packet's timestamps (its stream's). */
    AVRational time_base{0, 1};
    /** Engine time: the start time of the packet's file. */
    int64_t pkt_time_offset = 0;
    /** Engine time: where the packet's media starts on the movie's timeline. */
    int64_t pkt_display_time = 0;

private:
    LMFFPacket();
    Reelsmith::detail::PacketPtr m_packet;
};
