#pragma once

// Owning pointers for FFmpeg's objects, each freed by the call FFmpeg pairs with its allocation.
// A pointer belongs to one owner at a time and is used from one thread at a time, like the object
// it holds.

#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace Reelsmith::detail {

struct FrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
// A decoder opened under the codec lock is freed under it too: the holder takes the lock around
// reset() (see LMCodecLock.h).
struct CodecContextDeleter
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
// For an opened input (avformat_open_input); closing also frees the context.
struct InputContextDeleter
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct SwsContextDeleter
{
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};
struct SwrContextDeleter
{
    void operator()(SwrContext *context) const { swr_free(&context); }
};
struct AudioFifoDeleter
{
    void operator()(AVAudioFifo *fifo) const
    {
        if (fifo)
            av_audio_fifo_free(fifo);
    }
};
// A frame whose planes point into memory someone else owns (an image record, a surface): the
// plane pointers are dropped before the frame goes, so only the frame itself is freed.
struct BorrowedFrameDeleter
{
    void operator()(AVFrame *frame) const
    {
        if (frame) {
            std::memset(frame->data, 0, sizeof frame->data);
            std::memset(frame->linesize, 0, sizeof frame->linesize);
            frame->extended_data = frame->data;
        }
        av_frame_free(&frame);
    }
};

using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using BorrowedFramePtr = std::unique_ptr<AVFrame, BorrowedFrameDeleter>;

/** A blank frame; null when out of memory. */
inline FramePtr makeFrame()
{
    return FramePtr(av_frame_alloc());
}
/** A blank frame that will borrow its planes; null when out of memory. */
inline BorrowedFramePtr makeBorrowedFrame()
{
    return BorrowedFramePtr(av_frame_alloc());
}
/** An empty packet; null when out of memory. */
inline PacketPtr makePacket()
{
    return PacketPtr(av_packet_alloc());
}
/** A new reference to packet's data with its properties; null for a null packet. */
inline PacketPtr clonePacket(const AVPacket *packet)
{
    return PacketPtr(packet ? av_packet_clone(packet) : nullptr);
}

} // namespace Reelsmith::detail
