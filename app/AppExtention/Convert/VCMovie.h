#pragma once

#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/media/LMPlacedImage.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <mutex>

class LMFFMovie;
class LMMovieImage;
class QTimer;

/**
 * The application's edited clip: a segment of one engine movie (its window is trimStart to
 * trimStop) with the video editor's edits: the kept segments and their fades, a picture or text
 * watermark, a subtitle text and the subtitle shadow. The colour, crop, rotation, effect, zoom,
 * audio and subtitle-style edits live in the engine movie it wraps.
 *
 * Every MediaData owns one; validVCMovies cuts it into pieces (one per kept segment) that share
 * its engine movie and live in the players', chapters' and production jobs' lists. Its persisted
 * values are the 22 clip keys of MediaData's movieAttributes, read and written through the
 * Q_PROPERTYs below, so a scalar given no value becomes 0.
 *
 * Held by std::shared_ptr (made by movieWithSource or the constructors). The editors set the
 * edits on the main thread, which is also where the deferred watermark hand-over runs; player
 * and production threads read pieces afterwards while the engine movie serialises its decoding.
 */
class VCMovie : public QObject, public LMSegmentMovie
{
    Q_OBJECT
    Q_PROPERTY(qint64 trimStart READ trimStart WRITE setTrimStart)
    Q_PROPERTY(qint64 trimStop READ trimStop WRITE setTrimStop)
    Q_PROPERTY(qint64 fadeIn READ fadeInTime WRITE setFadeInTime)
    Q_PROPERTY(qint64 fadeOut READ fadeOutTime WRITE setFadeOutTime)
    Q_PROPERTY(QList<std::shared_ptr<MovieTrimItem>> trimArray READ trimArray WRITE setTrimArray)
    Q_PROPERTY(bool enableWatermark READ enableWatermark WRITE setEnableWatermark)
    Q_PROPERTY(int watermarkType READ watermarkType WRITE setWatermarkType)
    Q_PROPERTY(QString watermarkText READ watermarkText WRITE setWatermarkText)
    Q_PROPERTY(QFont watermarkTextFont READ watermarkTextFont WRITE setWatermarkTextFont)
    Q_PROPERTY(QColor watermarkTextColor READ watermarkTextColor WRITE setWatermarkTextColor)
    Q_PROPERTY(QImage watermarkImage READ watermarkImage WRITE setWatermarkImage)
    Q_PROPERTY(QString subtitleContent READ subtitleContent WRITE setSubtitleContent)
    Q_PROPERTY(QString subtitlePath READ subtitlePath WRITE setSubtitlePath)
    Q_PROPERTY(qulonglong subtitleEncoding READ subtitleEncoding WRITE setSubtitleEncoding)
    Q_PROPERTY(QString watermarkRectString READ watermarkRectString WRITE setWatermarkRectString)
    Q_PROPERTY(QString watermarkTextSizeString READ watermarkTextSizeString WRITE
                   setWatermarkTextSizeString)
    Q_PROPERTY(float watermarkOpacity READ watermarkOpacity WRITE setWatermarkOpacity)
    Q_PROPERTY(bool useSubtitleShadow READ useSubtitleShadow WRITE setUseSubtitleShadow)
    Q_PROPERTY(QColor subtitleShadowColor READ subtitleShadowColor WRITE setSubtitleShadowColor)
    Q_PROPERTY(float subtitleShadowWidth READ subtitleShadowWidth WRITE setSubtitleShadowWidth)
    Q_PROPERTY(
        float subtitleShadowOffsetX READ subtitleShadowOffsetX WRITE setSubtitleShadowOffsetX)
    Q_PROPERTY(
        float subtitleShadowOffsetY READ subtitleShadowOffsetY WRITE setSubtitleShadowOffsetY)
public:
    // 100 hours: the length of the silent timeline of movieWithEmptyFFMovie.
    static constexpr int64_t kEmptyMovieDurationUs = int64_t(1000000) * 3600 * 100;

    // A clip without an engine movie: every message to the movie is a no-op.
    VCMovie();
    // A clip over the whole movie (start 0, stop its duration).
    explicit VCMovie(std::shared_ptr<LMFFMovie> movie);
    ~VCMovie() override;

    // A clip over the source's medias (see LMSegmentMovie::movieWithSource); null for a file the
    // engine refuses.
    static std::shared_ptr<VCMovie> movieWithSource(const std::shared_ptr<LMMediaSource> &source);
    // A silent clip over a movie opened with no medias, 0 to 100 hours.
    static std::shared_ptr<VCMovie> movieWithEmptyFFMovie();
    // Every clip's validVCMovies, in order.
    static QList<std::shared_ptr<VCMovie>>
    moviesFromTrimMovies(const QList<std::shared_ptr<VCMovie>> &movies);

    // The engine movie (the base class's ffmovie); setting it replaces it through updateFFMovie.
    std::shared_ptr<LMFFMovie> movie() const { return ffmovie(); }
    void setMovie(std::shared_ptr<LMFFMovie> movie) { updateFFMovie(std::move(movie)); }

    qint64 trimStart() const { return start(); }
    void setTrimStart(qint64 t) { setStart(t); }
    qint64 trimStop() const { return stop(); }
    void setTrimStop(qint64 t) { setStop(t); }
    qint64 fadeInTime() const { return fadeIn(); }
    void setFadeInTime(qint64 length) { setFadeIn(length); }
    qint64 fadeOutTime() const { return fadeOut(); }
    void setFadeOutTime(qint64 length) { setFadeOut(length); }
    // trimStop - trimStart, not clamped.
    int64_t trimDuration() const { return trimStop() - trimStart(); }

    // --- Kept segments ----------------------------------------------------------------------
    MovieTrimItemList trimArray() const;
    void setTrimArray(const MovieTrimItemList &trims);
    // The kept segments with their timeline places (each element's base is set); an empty list
    // stands for one segment over the whole window with the clip's fades.
    MovieTrimItemList validTrimArray() const;
    // base + durationTime of the last kept segment: the edited clip's length.
    int64_t trimArrayDuration() const;
    // One new piece per kept segment, sharing this clip's engine movie. A clip that is not cut
    // from a file (a menu page video) answers itself.
    virtual QList<std::shared_ptr<VCMovie>> validVCMovies();

    virtual bool hasAudio() const;
    virtual bool hasVideo() const;

    // --- Frames ------------------------------------------------------------------------------
    using MovieImageAction = std::function<void(const std::shared_ptr<LMMovieImage> &)>;
    // The frame at t on the engine movie's timeline (LMFFMovie::kCurrentTime: at its clock) handed
    // to action, as LMFFMovie::decodeImageAtTimeActionWaitUntilDone does it (on the decode queue;
    // with wait, done when this returns); without a movie, action gets null at once. Players and
    // converters ask the clip rather than its movie, so that a clip drawing its own pictures (a
    // menu page video, which draws on the calling thread) plays and encodes like any other.
    virtual void
    decodeImageAtTimeActionWaitUntilDone(int64_t t, const MovieImageAction &action, bool wait);

    // --- Driven by a converter ------------------------------------------------------------------
    // The converter switches, seeks and waits for the clip rather than for its engine movie, so
    // that a clip drawing its own pictures (a menu page video) moves what it draws with it. These
    // forward to the engine movie; without one they do nothing. The converter's thread.
    // Export mode: the engine movie decodes for an encoder rather than for a player.
    virtual void setExportMovie(bool exportMovie);
    // Moves the engine movie's clock to t (engine time on its timeline).
    virtual void setCurrentTime(int64_t t);
    // Waits until the engine movie's queued work is done.
    virtual void flushOperation();

    // --- Watermark --------------------------------------------------------------------------
    bool enableWatermark() const { return m_enableWatermark; }
    void setEnableWatermark(bool enable) { m_enableWatermark = enable; }
    int watermarkType() const { return m_watermarkType; }
    void setWatermarkType(int type) { m_watermarkType = type; }
    QString watermarkText() const { return m_watermarkText; }
    void setWatermarkText(const QString &text) { m_watermarkText = text; }
    QFont watermarkTextFont() const { return m_watermarkTextFont; }
    void setWatermarkTextFont(const QFont &font) { m_watermarkTextFont = font; }
    QColor watermarkTextColor() const { return m_watermarkTextColor; }
    void setWatermarkTextColor(const QColor &color) { m_watermarkTextColor = color; }
    QString watermarkImagePath() const { return m_watermarkImagePath; }
    void setWatermarkImagePath(const QString &path) { m_watermarkImagePath = path; }
    QImage watermarkImage() const { return m_watermarkImage; }
    void setWatermarkImage(const QImage &image) { m_watermarkImage = image; }
    // The rendered watermark: the visible part of its box (y-down rows, straight RGBA).
    QImage watermarkCacheImage() const { return m_watermarkCacheImage; }
    void setWatermarkCacheImage(const QImage &image) { m_watermarkCacheImage = image; }
    // Fractions of the output video size; origin at the bottom-left, y up.
    QRectF watermarkRect() const;
    void setWatermarkRect(const QRectF &rect);
    QSizeF watermarkTextSize() const;
    void setWatermarkTextSize(const QSizeF &size);
    float watermarkOpacity() const { return m_watermarkOpacity; }
    void setWatermarkOpacity(float opacity) { m_watermarkOpacity = opacity; }
    // "{{x, y}, {w, h}}" and "{w, h}"; unreadable or null text gives zeros.
    QString watermarkRectString() const;
    void setWatermarkRectString(const QString &text);
    QString watermarkTextSizeString() const;
    void setWatermarkTextSizeString(const QString &text);

    // The movie's output size; zero without a movie. A menu page video answers its page's size.
    virtual QSizeF videoOutputSize() const;
    // Sets the movie's output size and drops the rendered watermark (also the movie's).
    void setVideoOutputSize(const QSizeF &size);
    QRectF maxWatermarkRect() const;
    // Where the cache's lower-left corner sits in the frame (output pixels, y up).
    QPointF watermarkCacheOrigin() const { return m_watermarkCacheOrigin; }
    // The watermark geometry in output pixels (y up). The setters divide by the output size
    // raised to at least 1.
    QPointF watermarkPoint() const;
    void setWatermarkPoint(QPointF point);
    QSizeF watermarkImageDisplaySize() const;
    void setWatermarkImageDisplaySize(QSizeF size);
    QSizeF watermarkTextDisplaySize() const;
    void setWatermarkTextDisplaySize(QSizeF size);
    QRectF realWatermarkRect() const;

    // The watermark properties back to their initial values, the caches dropped.
    void resetWatermark();
    // Renders the visible part of the watermark box into watermarkCacheImage (nothing while the
    // watermark is disabled; a box wholly outside the frame leaves no cache).
    void forceUpdateWatermarkImage();
    // forceUpdateWatermarkImage when there is no cache.
    void updateWatermarkImage();
    // The picture the engine draws over every frame: the cache with its alpha multiplied by the
    // opacity, placed at the lower-left corner of the visible part of the box. Null without one.
    LMPlacedImage watermark();
    // The hand-over of watermark() to the engine movie, at once.
    void updateMovieWatermarkImageHelper();
    // The same, 0.001 s later on the main thread; a burst of requests hands over once. Main
    // thread.
    void updateMovieWatermarkImage();
    // The hand-over at once when the watermark is enabled and the movie has none yet.
    void updateMovieWatermarkImageIfNeeded();
    // The watermark last handed to the engine movie (its own, in output coordinates); null
    // without one or without a movie.
    Reelsmith::imaging::Image movieWatermark() const;
    // How many hand-overs have run (the deferral's tests count them).
    int watermarkHandOverCount() const;

    // --- Subtitles --------------------------------------------------------------------------
    QString subtitleContent() const { return m_subtitleContent; }
    void setSubtitleContent(const QString &text) { m_subtitleContent = text; }
    QString subtitlePath() const { return m_subtitlePath; }
    void setSubtitlePath(const QString &path) { m_subtitlePath = path; }
    qulonglong subtitleEncoding() const { return m_subtitleEncoding; }
    void setSubtitleEncoding(qulonglong encoding) { m_subtitleEncoding = encoding; }
    bool useSubtitleShadow() const { return m_useSubtitleShadow; }
    void setUseSubtitleShadow(bool use) { m_useSubtitleShadow = use; }
    QColor subtitleShadowColor() const { return m_subtitleShadowColor; }
    void setSubtitleShadowColor(const QColor &color) { m_subtitleShadowColor = color; }
    float subtitleShadowWidth() const { return m_subtitleShadowWidth; }
    void setSubtitleShadowWidth(float width) { m_subtitleShadowWidth = width; }
    float subtitleShadowOffsetX() const { return m_subtitleShadowOffsetX; }
    void setSubtitleShadowOffsetX(float offset) { m_subtitleShadowOffsetX = offset; }
    float subtitleShadowOffsetY() const { return m_subtitleShadowOffsetY; }
    void setSubtitleShadowOffsetY(float offset) { m_subtitleShadowOffsetY = offset; }
    // Writes subtitleContent to a temporary file with subtitlePath's extension, opens it in the
    // movie and removes it again. Fails quietly.
    void openSubtitleContent();
    // openSubtitleContent when the movie has no subtitle yet and there is a text and a path.
    void openSubtitleContentIfNeeded();
    // The five shadow properties back to their initial values; the movie gets that shadow.
    void resetSubtitleShadow();

private:
    // The text watermark's attributed form: its font and colour, "" for a nil text.
    QString watermarkDrawnText() const;
    struct HandOverTimer;
    // The count of watermark hand-overs; shared with the pieces cut from the clip, as the movie
    // itself is.
    struct EngineSeam
    {
        mutable std::mutex lock;
        int handOvers = 0;
    };

    MovieTrimItemList m_trimArray;
    bool m_enableWatermark = false;
    int m_watermarkType = 0;
    QString m_watermarkText;
    QFont m_watermarkTextFont;
    QColor m_watermarkTextColor;
    QString m_watermarkImagePath;
    QImage m_watermarkImage;
    QImage m_watermarkCacheImage;
    mutable std::mutex m_geometryLock;
    QRectF m_watermarkRect;
    QSizeF m_watermarkTextSize;
    float m_watermarkOpacity = 1.0f;
    QString m_subtitleContent;
    QString m_subtitlePath;
    qulonglong m_subtitleEncoding = 0;
    bool m_useSubtitleShadow = true;
    QColor m_subtitleShadowColor;
    float m_subtitleShadowWidth = 2.0f;
    float m_subtitleShadowOffsetX = 0.5f;
    float m_subtitleShadowOffsetY = 0.5f;

    QPointF m_watermarkCacheOrigin;
    std::shared_ptr<EngineSeam> m_engineSeam = std::make_shared<EngineSeam>();
    std::shared_ptr<HandOverTimer> m_handOverTimer;
};

using VCMovieRef = std::shared_ptr<VCMovie>;
using VCMovieList = QList<VCMovieRef>;
