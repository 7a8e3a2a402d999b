#include "Reelsmith/frames/LMMovieImage.h"

#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMDataImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/imaging/Renderer.h"

#include <cmath>

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

LM_GUARDED_PROPERTY(int32_t, zoomType, setZoomType, m_settings.zoomType)
LM_GUARDED_PROPERTY(bool, hflip, setHflip, m_settings.hflip)
LM_GUARDED_PROPERTY(bool, vflip, setVflip, m_settings.vflip)
LM_GUARDED_PROPERTY(float, rotate, setRotate, m_settings.rotate)
LM_GUARDED_PROPERTY(float, saturation, setSaturation, m_settings.saturation)
LM_GUARDED_PROPERTY(float, brightness, setBrightness, m_settings.brightness)
LM_GUARDED_PROPERTY(float, contrast, setContrast, m_settings.contrast)
LM_GUARDED_PROPERTY(float, hue, setHue, m_settings.hue)
LM_GUARDED_PROPERTY(float, sharpness, setSharpness, m_settings.sharpness)
LM_GUARDED_PROPERTY(float,
                    sharpness_scale_factor,
                    setSharpness_scale_factor,
                    m_settings.sharpness_scale_factor)
LM_GUARDED_PROPERTY(QString, effectName, setEffectName, m_settings.effectName)
LM_GUARDED_PROPERTY(Reelsmith::imaging::Image, watermark, setWatermark, m_settings.watermark)
LM_GUARDED_PROPERTY(std::optional<QFont>, subtitleFont, setSubtitleFont, m_settings.subtitleFont)
LM_GUARDED_PROPERTY(QColor, subtitleColor, setSubtitleColor, m_settings.subtitleColor)
LM_GUARDED_PROPERTY(QColor,
                    subtitleBackgroundColor,
                    setSubtitleBackgroundColor,
                    m_settings.subtitleBackgroundColor)
LM_GUARDED_PROPERTY(double,
                    subtitleBackgroundRadius,
                    setSubtitleBackgroundRadius,
                    m_settings.subtitleBackgroundRadius)
LM_GUARDED_PROPERTY(std::optional<LMTextShadow>,
                    subtitleShadow,
                    setSubtitleShadow,
                    m_settings.subtitleShadow)
LM_GUARDED_PROPERTY(float, subtitlePosition, setSubtitlePosition, m_settings.subtitlePosition)

#undef LM_GUARDED_PROPERTY

LMPictureSettings LMMovieImage::pictureSettings() const
{
    std::lock_guard guard(m_lock);
    return m_settings;
}

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
    m_settings = source.m_settings;
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

Reelsmith::imaging::Image LMMovieImage::frameImage() const
{
    std::shared_ptr<LMFFImage> image = originFFImage();
    if (!image)
        return {};
    std::shared_ptr<LMDataImage> rgba;
    {
        std::lock_guard guard(image->lock());
        rgba = image->get_rgba_image();
    }
    if (rgba && rgba->isImageValid()) {
        // The record keeps the frame's buffer alive; the image keeps the frame (and its lock).
        auto holder
            = std::make_shared<std::pair<std::shared_ptr<LMFFImage>, std::shared_ptr<LMDataImage>>>(
                image, rgba);
        return Reelsmith::imaging::Image::fromBuffer(rgba->bytes(),
                                                     rgba->width,
                                                     rgba->height,
                                                     rgba->bytes_per_row,
                                                     holder,
                                                     rgba->alpha == LMAlphaType::Straight,
                                                     &image->lock());
    }
    return Reelsmith::imaging::Image::fromQImage(currentCIImage());
}

Reelsmith::imaging::Image LMMovieImage::currentEffectImage() const
{
    return applyEffectOnImage(frameImage());
}

Reelsmith::imaging::Image
LMMovieImage::applyEffectOnImage(const Reelsmith::imaging::Image &picture) const
{
    using Reelsmith::imaging::Image;
    if (picture.isNull())
        return {};
    LMPictureSettings settings;
    Reelsmith::detail::CompositionSteps steps;
    QSizeF displaySize;
    LMPlacedImage mediaSubtitle;
    {
        std::lock_guard guard(m_lock);
        settings = m_settings;
        steps.cropRect = m_cropRect;
        steps.outputRect = QRectF(QPointF(0, 0), m_outputSize);
        displaySize = m_displaySize;
        mediaSubtitle = m_mediaSubtitleImage;
    }
    steps.frame = picture;
    if (!mediaSubtitle.isNull())
        steps.mediaSubtitle = Image::fromQImage(mediaSubtitle.image)
                                  .translated(mediaSubtitle.origin.x(), mediaSubtitle.origin.y());
    // The display size scales the frame itself, so its extent comes from the frame: a subtitle
    // picture reaching outside the frame must not shrink the picture.
    const Reelsmith::imaging::Extent e = picture.extent();
    if (!e.isEmpty() && !e.isInfinite() && displaySize.width() > 0)
        steps.scaleBeforeTurn
            = QSizeF(displaySize.width() / e.width(), displaySize.height() / e.height());
    steps.textSubtitle = currentSubtitleImage();
    return Reelsmith::detail::composePicture(
        steps, settings, Reelsmith::detail::effectFilters(settings));
}

bool LMMovieImage::drawToBitmapImage(LMBitmapImage &bitmap, int threads) const
{
    Reelsmith::imaging::Image picture = currentEffectImage();
    if (picture.isNull())
        return false;
    if (bitmap.is_context_empty())
        bitmap.create_cg_context_ref();
    QImage *surface = bitmap.get_cg_context_ref();
    if (!surface)
        surface = bitmap.get_bitmap_rep();
    if (!surface || surface->isNull() || surface->depth() != 32
        || LMBitmapImage::pixelFormatOfImage(*surface) != AV_PIX_FMT_RGBA)
        return false;
    const QSizeF output = outputSize();
    if (output.width() > 0 && output.height() > 0
        && (surface->width() != output.width() || surface->height() != output.height()))
        picture = picture.scaled(surface->width() / output.width(),
                                 surface->height() / output.height());
    return Reelsmith::imaging::render(picture,
                                      QRect(0, 0, surface->width(), surface->height()),
                                      surface->bits(),
                                      surface->bytesPerLine(),
                                      threads);
}

bool LMMovieImage::hasEffects() const
{
    {
        std::lock_guard guard(m_lock);
        if (!m_settings.watermark.isNull() || !m_mediaSubtitleImage.isNull()
            || !m_subtitleCurrentString.isEmpty() || m_settings.rotate != 0 || m_settings.hflip
            || m_settings.vflip)
            return true;
    }
    if (!subtitleImage().isNull())
        return true;
    return !effectFilter().isEmpty();
}

Reelsmith::detail::FilterList LMMovieImage::colorFilter() const
{
    return Reelsmith::detail::colorFilters(pictureSettings());
}

Reelsmith::detail::FilterList LMMovieImage::effectFilter() const
{
    return Reelsmith::detail::effectFilters(pictureSettings());
}

Reelsmith::imaging::Image LMMovieImage::currentSubtitleImage() const
{
    QString text;
    LMPictureSettings style;
    QSizeF output;
    std::shared_ptr<SubtitleCache> cache;
    {
        std::lock_guard guard(m_lock);
        text = m_subtitleCurrentString;
        style = m_settings;
        output = m_outputSize;
        cache = m_subtitleCache;
    }
    std::lock_guard cacheGuard(cache->lock);
    if (text.isEmpty()) {
        // A picture set from outside has no key; it lies in output coordinates as it is.
        if (text.isNull() && cache->key.isNull() && !cache->image.isNull())
            return Reelsmith::imaging::Image::fromQImage(cache->image);
        return {};
    }
    if (text != cache->key) {
        // Rendered under the cache's lock: frames of one movie drawn at once render it once.
        cache->key = text;
        cache->image = Reelsmith::detail::renderSubtitle(text, style, output, true);
    }
    return Reelsmith::detail::placeSubtitle(cache->image, output, style.subtitlePosition);
}
