#include "Reelsmith/frames/LMFFImage.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/frames/LMDataImage.h"
#include "Reelsmith/media/LMFFPacket.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

using Reelsmith::detail::kEngineTimeBase;

namespace {

int chromaSize(int size)
{
    return (size + 1) / 2;
}

uint8_t clampByte(double value)
{
    const int truncated = int(value);
    return uint8_t(std::clamp(truncated, 0, 255));
}

} // namespace

LMFFImage::LMFFImage() = default;

LMFFImage::~LMFFImage() = default;

std::shared_ptr<LMFFImage> LMFFImage::imageWithEmptyFrame()
{
    return imageWithFrameOwned(av_frame_alloc(), true);
}

std::shared_ptr<LMFFImage> LMFFImage::imageWithFrame(AVFrame *frame)
{
    return imageWithFrameOwned(frame, false);
}

std::shared_ptr<LMFFImage> LMFFImage::imageWithFrameOwned(AVFrame *frame, bool owned)
{
    auto image = std::make_shared<LMFFImage>();
    image->m_frame = frame;
    image->m_owned = owned;
    if (owned)
        image->m_ownedFrame.reset(frame);
    return image;
}

std::shared_ptr<LMFFImage> LMFFImage::imageWithPacket(const AVPacket *packet)
{
    auto image = std::make_shared<LMFFImage>();
    image->m_isPacket = true;
    if (packet) {
        image->m_packet = Reelsmith::detail::clonePacket(packet);
        image->m_owned = true;
    } else {
        image->m_packet = Reelsmith::detail::makePacket();
    }
    return image;
}

std::shared_ptr<LMFFImage> LMFFImage::imageWithFFPacket(const LMFFPacket &packet)
{
    auto image = imageWithPacket(packet.getPacket());
    image->time_base = packet.time_base;
    image->pkt_time_offset = packet.pkt_time_offset;
    image->pkt_display_time = packet.pkt_display_time;
    return image;
}

bool LMFFImage::isKeyPacket() const
{
    const AVPacket *packet = getPacket();
    return packet && (packet->flags & AV_PKT_FLAG_KEY);
}

int64_t LMFFImage::get_image_display_in_movie_time() const
{
    const AVPacket *packet = getPacket();
    int64_t time = get_pkt_offset_time();
    if (packet && packet->pts != AV_NOPTS_VALUE && time_base.num > 0 && time_base.den > 0)
        time += av_rescale_q(packet->pts, time_base, kEngineTimeBase);
    return time;
}

QSize LMFFImage::image_size() const
{
    if (!m_frame)
        return QSize(0, 0);
    return QSize(m_frame->width, m_frame->height);
}

std::shared_ptr<LMDataImage> LMFFImage::get_rgba_image() const
{
    if (!m_frame || m_frame->format != AV_PIX_FMT_RGBA || !m_frame->data[0]
        || m_frame->linesize[0] <= 0 || m_frame->width < 1 || m_frame->height < 1)
        return nullptr;
    auto image = LMDataImage::create();
    image->width = m_frame->width;
    image->height = m_frame->height;
    image->format = AV_PIX_FMT_RGBA;
    image->bytes_per_row = m_frame->linesize[0];
    image->alpha = LMAlphaType::Straight;
    std::shared_ptr<void> keepAlive;
    if (m_frame->buf[0]) {
        // The record keeps its own reference to the frame's buffer, so it stays readable when
        // the frame moves on.
        AVBufferRef *reference = av_buffer_ref(m_frame->buf[0]);
        if (reference)
            keepAlive = std::shared_ptr<void>(reference, [](void *ref) {
                auto *buffer = static_cast<AVBufferRef *>(ref);
                av_buffer_unref(&buffer);
            });
    }
    image->setBytesNoCopy(m_frame->data[0],
                          size_t(m_frame->linesize[0]) * size_t(m_frame->height),
                          std::move(keepAlive));
    return image;
}

std::shared_ptr<LMDataImage> LMFFImage::get_cached_yuv_image() const
{
    if (!m_frame || m_frame->format != AV_PIX_FMT_YUV420P || !m_frame->data[0] || !m_frame->data[1]
        || !m_frame->data[2] || m_frame->linesize[0] <= 0 || m_frame->width < 1
        || m_frame->height < 1)
        return nullptr;
    const int w = m_frame->width;
    const int h = m_frame->height;
    const int cw = chromaSize(w);
    const int ch = chromaSize(h);
    auto image = LMDataImage::create();
    image->width = w;
    image->height = h;
    image->format = AV_PIX_FMT_YUV420P;
    image->bytes_per_row = w;
    image->allocate(size_t(w) * size_t(h) + 2 * size_t(cw) * size_t(ch));
    uint8_t *out = image->mutableBytes();
    for (int y = 0; y < h; ++y, out += w)
        std::memcpy(out, m_frame->data[0] + size_t(y) * size_t(m_frame->linesize[0]), size_t(w));
    for (int plane = 1; plane <= 2; ++plane) {
        for (int y = 0; y < ch; ++y, out += cw)
            std::memcpy(out,
                        m_frame->data[plane] + size_t(y) * size_t(m_frame->linesize[plane]),
                        size_t(cw));
    }
    return image;
}

bool LMFFImage::fillYUVDataWidthHeightBytes(const LMDataImage &image,
                                            int widths[3],
                                            int heights[3],
                                            const uint8_t *planes[3])
{
    const int w = std::max(image.width, 0);
    const int h = std::max(image.height, 0);
    const int cw = chromaSize(w);
    const int ch = chromaSize(h);
    widths[0] = w;
    widths[1] = widths[2] = cw;
    heights[0] = h;
    heights[1] = heights[2] = ch;
    const size_t luma = size_t(w) * size_t(h);
    const size_t chroma = size_t(cw) * size_t(ch);
    if (!image.bytes() || image.length() < luma + 2 * chroma || w == 0 || h == 0) {
        planes[0] = planes[1] = planes[2] = nullptr;
        return false;
    }
    planes[0] = image.bytes();
    planes[1] = planes[0] + luma;
    planes[2] = planes[1] + chroma;
    return true;
}

std::shared_ptr<LMDataImage> LMFFImage::get_yuv_rgba_image() const
{
    const std::shared_ptr<LMDataImage> yuv = get_cached_yuv_image();
    if (!yuv)
        return nullptr;
    int widths[3];
    int heights[3];
    const uint8_t *planes[3];
    if (!fillYUVDataWidthHeightBytes(*yuv, widths, heights, planes))
        return nullptr;
    const int w = widths[0];
    const int h = heights[0];
    const int cw = widths[1];
    auto rgba = LMDataImage::create();
    rgba->width = w;
    rgba->height = h;
    rgba->bytes_per_row = 4 * w;
    rgba->format = AV_PIX_FMT_RGBA;
    rgba->alpha = LMAlphaType::Straight;
    rgba->allocate(size_t(rgba->bytes_per_row) * size_t(h));
    uint8_t *out = rgba->mutableBytes();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, out += 4) {
            const double luma = planes[0][size_t(y) * size_t(w) + size_t(x)];
            const size_t c = size_t(y / 2) * size_t(cw) + size_t(x / 2);
            const double u = int(planes[1][c]) - 128;
            const double v = int(planes[2][c]) - 128;
            out[0] = clampByte(luma + 1.402 * v);
            out[1] = clampByte(luma - 0.344 * u - 0.714 * v);
            out[2] = clampByte(luma + 1.772 * u);
            out[3] = 255;
        }
    }
    return rgba;
}

QImage LMFFImage::get_yuv_ciimage() const
{
    const std::shared_ptr<LMDataImage> rgba = get_yuv_rgba_image();
    return rgba ? rgba->ciimage() : QImage();
}

void LMFFImage::convertFrameTo(AVFrame *dst)
{
    convertFrame(m_frame, dst);
}

bool LMFFImage::convertFrame(const AVFrame *src, AVFrame *dst)
{
    return Reelsmith::detail::scaleFrame(m_scaler, src, dst);
}

void LMFFImage::convertColorSpaceToBitmapContext(LMDataImage &image)
{
    if (!image.isImageValid())
        return;
    // RGBA needs four bytes a pixel: a buffer of the source's length and stride would be
    // overrun by any source of fewer bytes a pixel (a packed YUV copy has one and a half).
    auto converted = LMDataImage::create();
    converted->width = image.width;
    converted->height = image.height;
    converted->bytes_per_row = 4 * image.width;
    converted->format = AV_PIX_FMT_RGBA;
    converted->allocate(size_t(converted->bytes_per_row) * size_t(image.height));

    // The planes point into the records' bytes; only the frames are ours.
    const Reelsmith::detail::BorrowedFramePtr src = Reelsmith::detail::makeBorrowedFrame();
    const Reelsmith::detail::BorrowedFramePtr dst = Reelsmith::detail::makeBorrowedFrame();
    bool done = false;
    if (src && dst) {
        image.fillAVFrame(src.get());
        converted->fillAVFrame(dst.get());
        done = convertFrame(src.get(), dst.get());
    }
    if (!done)
        return;
    // A source without an alpha byte converts to opaque pixels.
    const LMAlphaType alpha = image.format == AV_PIX_FMT_RGBA || image.format == AV_PIX_FMT_BGRA
                                      || image.format == AV_PIX_FMT_ARGB
                                      || image.format == AV_PIX_FMT_ABGR
                                  ? image.alpha
                                  : LMAlphaType::None;
    image.cacheFromDataImage(*converted);
    image.alpha = alpha;
}
