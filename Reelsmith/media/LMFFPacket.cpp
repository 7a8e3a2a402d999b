#include "Reelsmith/media/LMFFPacket.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
}

LMFFPacket::LMFFPacket() = default;

LMFFPacket::~LMFFPacket() = default;

std::shared_ptr<LMFFPacket> LMFFPacket::packetWithCopy(const AVPacket *packet, AVRational timeBase)
{
    if (!packet || packet->size <= 0)
        return nullptr;
    Reelsmith::detail::PacketPtr copy = Reelsmith::detail::clonePacket(packet);
    if (!copy)
        return nullptr;
    std::shared_ptr<LMFFPacket> holder(new LMFFPacket());
    holder->m_packet = std::move(copy);
    holder->time_base = timeBase;
    return holder;
}

bool LMFFPacket::isKeyPacket() const
{
    return m_packet && (m_packet->flags & AV_PKT_FLAG_KEY);
}

int64_t LMFFPacket::bestTimestamp() const
{
    if (!m_packet)
        return AV_NOPTS_VALUE;
    return m_packet->pts != AV_NOPTS_VALUE ? m_packet->pts : m_packet->dts;
}
