#pragma once

#include "Reelsmith/detail/FFmpegPointers.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>
#include <mutex>

extern "C" {
#include <libavutil/rational.h>
}

class LMDataImage;
class LMFFPacket;

/**
 * One decoded FFmpeg frame, or one raw packet for stream copy, with the timing that places the
 * packet on a movie's timeline. It converts its frame to RGBA, to a packed YUV copy, or into
 * another frame (libswscale, bilinear; the scaler is kept between conversions).
 *
 * An owned image frees its frame (and packet) with itself; an unowned one leaves them to their
 * owner (usually a stream's current frame, which must outlive it). Held by std::shared_ptr. One
 * thread converts at a time; lock() is the image's own lock for callers that share it (a frame
 * image converts into its buffer under it).
 */
class LMFFImage
{
public:
    /** A newly allocated blank frame, owned. */
    static std::shared_ptr<LMFFImage> imageWithEmptyFrame();
    /** Wraps frame without owning it. */
    static std::shared_ptr<LMFFImage> imageWithFrame(AVFrame *frame);
    static std::shared_ptr<LMFFImage> imageWithFrameOwned(AVFrame *frame, bool owned);
    /**
     * A packet image: with a packet, an owned reference-counted copy of it; with null, an empty
     * packet that is not owned.
     */
    static std::shared_ptr<LMFFImage> imageWithPacket(const AVPacket *packet);
    /** A packet image of a held raw packet: its packet copied, its time base and times taken. */
    static std::shared_ptr<LMFFImage> imageWithFFPacket(const LMFFPacket &packet);

    LMFFImage();
    ~LMFFImage();
    LMFFImage(const LMFFImage &) = delete;
    LMFFImage &operator=(const LMFFImage &) = delete;

    AVFrame *getFrame() const { return m_frame; }
    AVFrame *frame() const { return m_frame; }
    bool isOwned() const { return m_owned; }
    bool isPacket() const { return m_isPacket; }
    /** The held packet when isPacket(), else null. */
    AVPacket *getPacket() const { return m_isPacket ? m_packet.get() : nullptr; }
    /** The packet's key flag; false without a packet. */
    bool isKeyPacket() const;

    /** Time base of the packet's timestamps (its stream's). */
    AVRational time_base{0, 1};
    /** Engine time: the start time of the packet's file. */
    int64_t pkt_time_offset = 0;
    /** Engine time: where the packet's media starts on the timeline, less the real start. */
    int64_t pkt_display_time = 0;

    /** pkt_display_time -= t. */
    void set_movie_real_start_time(int64_t t) { pkt_display_time -= t; }
    /** pkt_display_time - pkt_time_offset: turns the packet's own (file) time into movie time. */
    int64_t get_pkt_offset_time() const { return pkt_display_time - pkt_time_offset; }
    /** get_pkt_offset_time() + the packet's pts in engine time (the offset alone without one). */
    int64_t get_image_display_in_movie_time() const;

    /** The frame's width and height; 0 x 0 without a frame. */
    QSize image_size() const;

    /**
     * For an RGBA frame with pixels: a record over the frame's own pixels (no copy; it keeps the
     * frame's buffer alive), straight alpha. Else null.
     */
    std::shared_ptr<LMDataImage> get_rgba_image() const;
    /**
     * For a planar YUV 4:2:0 frame with pixels: a packed copy, stride = width: the Y plane, then
     * U, then V, each chroma plane (width+1)/2 x (height+1)/2 so the last column and row of an
     * odd-sized picture keep their colour. Else null.
     */
    std::shared_ptr<LMDataImage> get_cached_yuv_image() const;
    /**
     * The planes of a packed YUV copy: widths {w, (w+1)/2, (w+1)/2}, heights likewise, pointers
     * Y at the start, U after w x h bytes, V after the U plane. False with every pointer null
     * when the bytes are too few.
     */
    static bool fillYUVDataWidthHeightBytes(const LMDataImage &image,
                                            int widths[3],
                                            int heights[3],
                                            const uint8_t *planes[3]);
    /**
     * The packed YUV copy converted to RGBA by the full-range formula (R = Y + 1.402 V,
     * G = Y - 0.344 U - 0.714 V, B = Y + 1.772 U, U and V less 128, clamped), as a record in
     * RGBA; null without a YUV frame.
     */
    std::shared_ptr<LMDataImage> get_yuv_rgba_image() const;
    /** That record as an image; null without a YUV frame. */
    QImage get_yuv_ciimage() const;

    /** convertFrame(own frame, dst). */
    void convertFrameTo(AVFrame *dst);
    /**
     * Scales and converts src into dst's planes at dst's size and format, when the scaler reads
     * src's format and writes dst's and both have pixels; else dst is left untouched.
     */
    bool convertFrame(const AVFrame *src, AVFrame *dst);
    /** Converts a valid record's pixels to RGBA in place (new bytes, format RGBA). */
    void convertColorSpaceToBitmapContext(LMDataImage &image);

    std::mutex &lock() const { return m_lock; }

private:
    AVFrame *m_frame = nullptr;
    Reelsmith::detail::FramePtr m_ownedFrame; // holds m_frame when the image owns it
    // Always the image's own: a copy of the given packet, or the empty packet made for none.
    Reelsmith::detail::PacketPtr m_packet;
    bool m_owned = false;
    bool m_isPacket = false;
    Reelsmith::detail::SwsContextPtr m_scaler;
    mutable std::mutex m_lock;
};
