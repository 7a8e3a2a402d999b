#include "Reelsmith/custom/LMCustomSource.h"

#include "Reelsmith/detail/FFmpegHelpers.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

int readPacketCallback(void *opaque, uint8_t *buffer, int size)
{
    return static_cast<LMCustomSource *>(opaque)->readPacket(buffer, size);
}

int64_t seekCallback(void *opaque, int64_t offset, int whence)
{
    return static_cast<LMCustomSource *>(opaque)->seekTo(offset, whence);
}

} // namespace

LMCustomSource::LMCustomSource(const QString &path)
    : LMMediaSource(path)
{}

LMCustomSource::~LMCustomSource()
{
    // The demuxer reads through the context freed below.
    closeDemuxer();
    if (m_ioContext) {
        av_freep(&m_ioContext->buffer);
        avio_context_free(&m_ioContext);
    }
}

std::shared_ptr<LMMediaSource> LMCustomSource::makeEmptyCopy() const
{
    return std::make_shared<LMCustomSource>();
}

int64_t LMCustomSource::read(uint8_t * /*buffer*/, int64_t /*size*/)
{
    return 0;
}

AVIOContext *LMCustomSource::avio_context() const
{
    if (m_ioContext)
        return m_ioContext;
    m_ioContext = makeReadContext(
        buffer_size, const_cast<LMCustomSource *>(this), readPacketCallback, seekCallback);
    return m_ioContext;
}

int LMCustomSource::readPacket(uint8_t *buffer, int size)
{
    const int64_t count = read(buffer, size);
    // With max_packet_size set, FFmpeg takes 0 for "nothing yet" and would ask again forever.
    if (count == 0)
        return AVERROR_EOF;
    if (count < 0)
        return int(count);
    m_readOffset += count;
    return int(count);
}

int64_t LMCustomSource::seekTo(int64_t offset, int whence)
{
    return Reelsmith::detail::answerSeek(m_readOffset, offset, whence, filesize());
}
