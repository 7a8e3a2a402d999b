#include "Reelsmith/frames/LMMovieImage.h"

#include "Reelsmith/frames/LMDataImage.h"
#include "Reelsmith/frames/LMFFImage.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

LMMovieImage::LMMovieImage()
    : m_subtitleCache(std::make_shared<SubtitleCache>())
    , m_cachedColorspaceImage(std::make_shared<LMFFImage>())
{}

#define LM_GUARDED_PROPERTY(Type, getter, setter, member)                                          \
    Type LMMovieImage::getter() const                                                              \
    {                                                                                              \
        std::lock_guard guard(m_lock);                                                             \
        return member;                                                                             \
    }                                                                                              \
    void LMMovieImage::setter(const Type &value)                                                   \
    {                                                                                              \
        std::lock_guard guard(m_lock);                                                             \
        member = value;                                                                            \
    }

LM_GUARDED_PROPERTY(QSizeF, originSize, setOriginSize, m_originSize)
LM_GUARDED_PROPERTY(QSizeF, displaySize, setDisplaySize, m_displaySize)
LM_GUARDED_PROPERTY(QRectF, cropRect, setCropRect, m_cropRect)
LM_GUARDED_PROPERTY(QSizeF, outputSize, setOutputSize, m_outputSize)
LM_GUARDED_PROPERTY(int64_t, frameTime, setFrameTime, m_frameTime)
LM_GUARDED_PROPERTY(QString,
                    subtitleCurrentString,
                    setSubtitleCurrentString,
                    m_subtitleCurrentString)
LM_GUARDED_PROPERTY(LMPlacedImage, mediaSubtitleImage, setMediaSubtitleImage, m_mediaSubtitleImage)

#undef LM_GUARDED_PROPERTY

void LMMovieImage::clearSubtitleCache()
{
    // A new cache rather than emptying the shared one: images handed out earlier keep what they
    // show, and the next image referring to this one shares the new cache.
    auto fresh = std::make_shared<SubtitleCache>();
    std::lock_guard guard(m_lock);
    m_subtitleCache = std::move(fresh);
}

std::shared_ptr<LMMovieImage::SubtitleCache> LMMovieImage::subtitleCache() const
{
    std::lock_guard guard(m_lock);
    return m_subtitleCache;
}

QImage LMMovieImage::subtitleImage() const
{
    const std::shared_ptr<SubtitleCache> cache = subtitleCache();
    std::lock_guard guard(cache->lock);
    return cache->image;
}

void LMMovieImage::setSubtitleImage(const QImage &image)
{
    const std::shared_ptr<SubtitleCache> cache = subtitleCache();
    std::lock_guard guard(cache->lock);
    cache->image = image;
}

QString LMMovieImage::subtitleImageString() const
{
    const std::shared_ptr<SubtitleCache> cache = subtitleCache();
    std::lock_guard guard(cache->lock);
    return cache->key;
}

void LMMovieImage::setSubtitleImageString(const QString &text)
{
    const std::shared_ptr<SubtitleCache> cache = subtitleCache();
    std::lock_guard guard(cache->lock);
    cache->key = text;
}

std::shared_ptr<LMMovieImage> LMMovieImage::getReferencedMovieImage() const
{
    auto image = std::make_shared<LMMovieImage>();
    image->loadReferencedMovieImage(*this);
    return image;
}

void LMMovieImage::loadReferencedMovieImage(const LMMovieImage &source)
{
    if (&source == this)
        return;
    std::scoped_lock guard(m_lock, source.m_lock);
    m_referencedImage = source.m_avframeImage ? source.m_avframeImage : source.m_referencedImage;
    m_originSize = source.m_originSize;
    m_displaySize = source.m_displaySize;
    m_cropRect = source.m_cropRect;
    m_outputSize = source.m_outputSize;
    m_frameTime = source.m_frameTime;
    m_subtitleCache = source.m_subtitleCache;
    m_mediaSubtitleImage = source.m_mediaSubtitleImage;
    m_subtitleCurrentString = source.m_subtitleCurrentString;
}

std::shared_ptr<LMFFImage> LMMovieImage::originFFImage() const
{
    std::lock_guard guard(m_lock);
    return m_avframeImage ? m_avframeImage : m_referencedImage;
}

void LMMovieImage::alloc_cached_frame_image_buffer(int32_t w, int32_t h, int32_t format)
{
    std::lock_guard guard(m_lock);
    if (m_avframeImage && m_avframeImage->getFrame()
        && m_avframeImage->getFrame()->format == format)
        return;
    m_avframeImage.reset();
    if (w < 1 || h < 1)
        return;
    auto image = LMFFImage::imageWithEmptyFrame();
    AVFrame *frame = image->getFrame();
    if (!frame)
        return;
    frame->width = w;
    frame->height = h;
    frame->format = format;
    if (av_frame_get_buffer(frame, 32) < 0 || !frame->data[0])
        return;
    m_avframeImage = std::move(image);
}

void LMMovieImage::cache_frame_image_from_ffimage(const LMFFImage &image)
{
    const AVFrame *source = image.getFrame();
    {
        std::lock_guard guard(m_lock);
        m_referencedImage.reset();
        if (!source || !source->data[0] || source->width == 0 || source->height == 0)
            return;
        // A referenced image handed out earlier keeps showing the buffer it refers to; the buffer
        // is reused only while its size and format fit.
        if (m_avframeImage) {
            const AVFrame *held = m_avframeImage->getFrame();
            if (!held || held->width != source->width || held->height != source->height
                || held->format != AV_PIX_FMT_RGBA)
                m_avframeImage.reset();
        }
    }
    alloc_cached_frame_image_buffer(source->width, source->height, AV_PIX_FMT_RGBA);
    std::shared_ptr<LMFFImage> buffer = originFFImage();
    if (!buffer || !buffer->getFrame())
        return;
    std::lock_guard bufferGuard(buffer->lock());
    m_cachedColorspaceImage->convertFrame(source, buffer->getFrame());
}

void LMMovieImage::cache_frame_image_to_new_rgb_data(const LMFFImage &image)
{
    const AVFrame *source = image.getFrame();
    {
        std::lock_guard guard(m_lock);
        m_referencedImage.reset();
        if (!source || !source->data[0])
            return;
        m_avframeImage.reset();
    }
    alloc_cached_frame_image_buffer(source->width, source->height, AV_PIX_FMT_RGBA);
    std::shared_ptr<LMFFImage> buffer = originFFImage();
    if (buffer && buffer->getFrame())
        m_cachedColorspaceImage->convertFrame(source, buffer->getFrame());
}

void LMMovieImage::cache_data_image_from_referenced()
{
    std::shared_ptr<LMFFImage> referenced;
    {
        std::lock_guard guard(m_lock);
        referenced = std::move(m_referencedImage);
        m_referencedImage.reset();
        if (!referenced || !referenced->getFrame())
            return;
        const AVFrame *frame = referenced->getFrame();
        if (m_avframeImage) {
            const AVFrame *held = m_avframeImage->getFrame();
            if (!held || held->width != frame->width || held->height != frame->height
                || held->format != frame->format)
                m_avframeImage.reset();
        }
    }
    const AVFrame *frame = referenced->getFrame();
    if (!originFFImage())
        alloc_cached_frame_image_buffer(frame->width, frame->height, frame->format);
    std::shared_ptr<LMFFImage> buffer = originFFImage();
    if (!buffer || buffer == referenced || !buffer->getFrame())
        return;
    std::lock_guard referencedGuard(referenced->lock());
    av_frame_copy(buffer->getFrame(), frame);
}

QImage LMMovieImage::currentCIImage() const
{
    std::shared_ptr<LMFFImage> image = originFFImage();
    if (!image)
        return {};
    std::lock_guard guard(image->lock());
    if (std::shared_ptr<LMDataImage> rgba = image->get_rgba_image())
        return rgba->ciimage();
    return image->get_yuv_ciimage();
}
