#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/frames/FrameComposition.h"
#include "Reelsmith/frames/LMPictureSettings.h"
#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/media/LMPlacedImage.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

struct AVFrame;
struct SwsContext;
class LMDataImage;

/**
 * A frame-by-frame twin of the frame image for a stream of decoded frames: a caller writes each
 * frame in (converted to RGBA, optionally at a display size, and mirrored into a buffer the caller
 * provides) and reads the edited picture of the last frame back: crop, aspect correction, flips
 * and turn, zoom placement, colour controls and the catalogue's effect, black bars, watermark and
 * the text subtitle (no box behind it).
 *
 * Owned by one caller, which writes and reads on one thread at a time. The scaler is kept
 * between frames and rebuilt when the geometry changes.
 */
class LMFFEffectVideoStream
{
public:
    /** Answers a writable buffer for a byte count (it may be shorter, or null). */
    using DataProvider = std::function<std::shared_ptr<QByteArray>(int32_t)>;

    LMFFEffectVideoStream();
    ~LMFFEffectVideoStream();
    LMFFEffectVideoStream(const LMFFEffectVideoStream &) = delete;
    LMFFEffectVideoStream &operator=(const LMFFEffectVideoStream &) = delete;

    /** writeFrame(frame, no provider). */
    void writeFrame(const AVFrame *frame);
    /**
     * Converts frame into data_image at frameDisplaySize (rounded; the frame's own size when
     * that is below 1), rows padded to a multiple of 8 pixels, and copies as much of it as fits
     * into provider's buffer. A missing frame, one without pixels or one the scaler cannot read
     * is ignored: the previous picture stays.
     */
    void writeFrame(const AVFrame *frame, const DataProvider &provider);

    /** {data_image's format, outputSize truncated}. */
    LMFFVideoFormat outputDataFormat() const;
    /** data_image, or with a provider's buffer, a record over that buffer. */
    std::shared_ptr<LMDataImage> originImage() const;
    /** The edited picture of the last frame, extent (0, 0, outputDataFormat size); null without one. */
    Reelsmith::imaging::Image currentEffectImage() const;
    /** The placed text subtitle (cached per text); null for no text, even with a picture set. */
    Reelsmith::imaging::Image currentSubtitleImage() const;
    /** Clears the subtitle cache. */
    void updateSubtitle();

    /** Colour controls and hue always, sharpen when changed. */
    Reelsmith::detail::FilterList colorFilter() const;
    /** The colour filters, then the catalogue's effect for effectName when it is known. */
    Reelsmith::detail::FilterList effectFilter() const;

    // Compositing by name: "SourceOverCompositing" and "SourceInCompositing"; null for another.
    static Reelsmith::imaging::Image composition(const QString &filterName,
                                                 const Reelsmith::imaging::Image &image,
                                                 const Reelsmith::imaging::Image &background);
    static Reelsmith::imaging::Image sourceOverImage(const Reelsmith::imaging::Image &image,
                                                     const Reelsmith::imaging::Image &background);
    static Reelsmith::imaging::Image sourceInImage(const Reelsmith::imaging::Image &image,
                                                   const Reelsmith::imaging::Image &background);
    /** rect with origin and size multiplied by the factors. */
    static QRectF scaleRectXScaleYScale(const QRectF &rect, float xScale, float yScale);

    // Geometry and the frame.
    std::shared_ptr<LMDataImage> data_image() const { return m_dataImage; }
    std::shared_ptr<QByteArray> dataBuffer() const { return m_dataBuffer; }
    QSizeF frameDisplaySize() const { return m_frameDisplaySize; }
    void setFrameDisplaySize(const QSizeF &size) { m_frameDisplaySize = size; }
    QSizeF outputSize() const { return m_outputSize; }
    void setOutputSize(const QSizeF &size) { m_outputSize = size; }
    /** 1: the source is 4:3, 2: 16:9, other: no correction. */
    int64_t aspectType() const { return m_aspectType; }
    void setAspectType(int64_t type) { m_aspectType = type; }
    QRectF cropRect() const { return m_cropRect; }
    void setCropRect(const QRectF &rect) { m_cropRect = rect; }

    /** The edits (zoom type 2 here; white text of 80 pixels unless set). */
    LMPictureSettings &settings() { return m_settings; }
    const LMPictureSettings &settings() const { return m_settings; }

    LMPlacedImage mediaSubtitleImage() const { return m_mediaSubtitleImage; }
    void setMediaSubtitleImage(const LMPlacedImage &image) { m_mediaSubtitleImage = image; }
    QString subtitleCurrentString() const { return m_subtitleCurrentString; }
    void setSubtitleCurrentString(const QString &text) { m_subtitleCurrentString = text; }
    QImage subtitleImage() const { return m_subtitleImage; }
    void setSubtitleImage(const QImage &image) { m_subtitleImage = image; }
    QString subtitleImageString() const { return m_subtitleImageString; }

private:
    std::shared_ptr<LMDataImage> m_dataImage;
    std::shared_ptr<QByteArray> m_dataBuffer;
    QSizeF m_frameDisplaySize;
    QSizeF m_outputSize;
    int64_t m_aspectType = 0;
    QRectF m_cropRect;
    LMPictureSettings m_settings;
    LMPlacedImage m_mediaSubtitleImage;
    QString m_subtitleCurrentString;
    mutable QImage m_subtitleImage;
    mutable QString m_subtitleImageString;
    SwsContext *m_swscontextCached = nullptr;
};
