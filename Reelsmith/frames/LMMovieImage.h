#pragma once

#include "Reelsmith/frames/FrameComposition.h"
#include "Reelsmith/frames/LMPictureSettings.h"
#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/media/LMPlacedImage.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>

class LMBitmapImage;
class LMFFImage;

/**
 * One video frame together with the geometry of the clip it belongs to. A movie owns one for its
 * whole life: it caches the latest decoded frame in an RGBA buffer it owns and holds the clip's
 * picture settings. Every frame handed out of the movie is a new, short-lived image that refers
 * to that buffer and carries a copy of the settings (getReferencedMovieImage).
 *
 * It also composes the edited picture (currentEffectImage): crop, display size, flips, turn, zoom
 * placement, colour controls, the named effect, black bars, watermark and subtitles, resampled
 * once; drawToBitmapImage renders it into an encoder's bitmap.
 *
 * Held by std::shared_ptr. The movie caches frames on its decode queue while other threads read
 * referenced images: the conversion into the owned buffer holds that buffer's lock, and the
 * settings are guarded by the image's own lock.
 */
class LMMovieImage
{
public:
    LMMovieImage();
    LMMovieImage(const LMMovieImage &) = delete;
    LMMovieImage &operator=(const LMMovieImage &) = delete;

    // Settings (the movie sets them to the video size when it opens).
    QSizeF originSize() const;
    void setOriginSize(const QSizeF &size);
    QSizeF displaySize() const;
    void setDisplaySize(const QSizeF &size);
    QRectF cropRect() const;
    void setCropRect(const QRectF &rect);
    QSizeF outputSize() const;
    void setOutputSize(const QSizeF &size);

    /**
     * Engine time of the cached frame on the movie's timeline (its presentation time less the
     * file's start, plus the media's position); INT64_MIN without a frame.
     */
    int64_t frameTime() const;
    void setFrameTime(const int64_t &time);

    // The picture edits (LMPictureSettings says what each means).
    LMPictureSettings pictureSettings() const;
    int32_t zoomType() const;
    void setZoomType(const int32_t &type);
    bool hflip() const;
    void setHflip(const bool &on);
    bool vflip() const;
    void setVflip(const bool &on);
    float rotate() const;
    void setRotate(const float &degrees);
    float saturation() const;
    void setSaturation(const float &value);
    float brightness() const;
    void setBrightness(const float &value);
    float contrast() const;
    void setContrast(const float &value);
    float hue() const;
    void setHue(const float &value);
    float sharpness() const;
    void setSharpness(const float &value);
    float sharpness_scale_factor() const;
    void setSharpness_scale_factor(const float &value);
    QString effectName() const;
    void setEffectName(const QString &name);
    Reelsmith::imaging::Image watermark() const;
    void setWatermark(const Reelsmith::imaging::Image &image);
    // The text subtitle's style; the movie clears the subtitle cache when one changes.
    std::optional<QFont> subtitleFont() const;
    void setSubtitleFont(const std::optional<QFont> &font);
    QColor subtitleColor() const;
    void setSubtitleColor(const QColor &color);
    QColor subtitleBackgroundColor() const;
    void setSubtitleBackgroundColor(const QColor &color);
    double subtitleBackgroundRadius() const;
    void setSubtitleBackgroundRadius(const double &radius);
    std::optional<LMTextShadow> subtitleShadow() const;
    void setSubtitleShadow(const std::optional<LMTextShadow> &shadow);
    float subtitlePosition() const;
    void setSubtitlePosition(const float &position);

    // The subtitles of the frame's time.
    QString subtitleCurrentString() const;
    void setSubtitleCurrentString(const QString &text);
    LMPlacedImage mediaSubtitleImage() const;
    void setMediaSubtitleImage(const LMPlacedImage &image);
    /** Drops the rendered text subtitle (its cache key with it). */
    void clearSubtitleCache();

    /**
     * The rendered text subtitle and the text it was rendered from (its cache key). A null image
     * and a null key when nothing is cached. The pair is one cache shared by this image and every
     * image referring to it (getReferencedMovieImage, loadReferencedMovieImage), so a subtitle
     * rendered for one frame is found again for the next frame with the same text instead of
     * being rendered anew; clearSubtitleCache starts a new, empty cache for this image only.
     */
    QImage subtitleImage() const;
    void setSubtitleImage(const QImage &image);
    QString subtitleImageString() const;
    void setSubtitleImageString(const QString &text);

    // Frames.
    /** A new image referring to this one's frame, with a copy of every setting. */
    std::shared_ptr<LMMovieImage> getReferencedMovieImage() const;
    void loadReferencedMovieImage(const LMMovieImage &source);
    /** The owned buffer when there is one, else the referenced frame; null without either. */
    std::shared_ptr<LMFFImage> originFFImage() const;
    /** Makes sure the owned buffer holds a frame of w x h in pixel format f (32-byte aligned). */
    void alloc_cached_frame_image_buffer(int32_t w, int32_t h, int32_t format);
    /** Converts image's frame into the owned RGBA buffer (reused while the size stays). */
    void cache_frame_image_from_ffimage(const LMFFImage &image);
    /** The same into a newly allocated RGBA buffer (thumbnails: earlier referrers keep theirs). */
    void cache_frame_image_to_new_rgb_data(const LMFFImage &image);
    /** Replaces the reference by an owned copy of the referenced frame, in its own format. */
    void cache_data_image_from_referenced();

    /**
     * The frame without edits, as a straight-alpha RGBA image (a copy); a YUV frame goes through
     * the full-range formula. Null without a frame.
     */
    QImage currentCIImage() const;
    /**
     * The frame without edits as an image of the image layer, over the frame buffer itself (no
     * copy; its lock is held while a render reads it). Null without a frame.
     */
    Reelsmith::imaging::Image frameImage() const;

    // The edited picture.
    /** applyEffectOnImage(frameImage()); null without a frame. */
    Reelsmith::imaging::Image currentEffectImage() const;
    /**
     * The frame image's edits applied to picture (the frame): its extent is (0, 0, outputSize),
     * black where the picture does not reach. Null for a null picture.
     */
    Reelsmith::imaging::Image applyEffectOnImage(const Reelsmith::imaging::Image &picture) const;
    /**
     * The edited picture drawn straight into bitmap (its backing made when missing), scaled to the
     * bitmap's size in the same single resampling. threads as imaging::render. False without a
     * frame or a drawable bitmap. For the converter: the thread that owns bitmap.
     */
    bool drawToBitmapImage(LMBitmapImage &bitmap, int threads = 0) const;
    /** Any watermark, subtitle, turn, flip or filter; crop and zoom do not count. */
    bool hasEffects() const;
    Reelsmith::detail::FilterList colorFilter() const;
    Reelsmith::detail::FilterList effectFilter() const;
    /**
     * The placed text subtitle for the current text, rendered once per text and found again in
     * the shared cache; with no text, a picture set from outside (setSubtitleImage without a key).
     * Null when there is nothing to show.
     */
    Reelsmith::imaging::Image currentSubtitleImage() const;

private:
    mutable std::mutex m_lock;
    QSizeF m_originSize;
    QSizeF m_displaySize;
    QRectF m_cropRect;
    QSizeF m_outputSize;
    int64_t m_frameTime = INT64_MIN;
    QString m_subtitleCurrentString;
    LMPlacedImage m_mediaSubtitleImage;
    LMPictureSettings m_settings;
    // The picture and its key travel together: a referring image shares the object, so a picture
    // can never arrive without the text it shows (which would make the next frame render again,
    // or show a stale rendering as if it were a picture subtitle).
    struct SubtitleCache
    {
        mutable std::mutex lock;
        QImage image;
        QString key;
    };
    std::shared_ptr<SubtitleCache> subtitleCache() const;
    std::shared_ptr<SubtitleCache> m_subtitleCache;
    std::shared_ptr<LMFFImage> m_referencedImage;
    std::shared_ptr<LMFFImage> m_avframeImage;
    std::shared_ptr<LMFFImage> m_cachedColorspaceImage;
};
