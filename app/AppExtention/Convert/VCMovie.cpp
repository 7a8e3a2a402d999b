#include "app/AppExtention/Convert/VCMovie.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/Double2LMFFTimeTransformer.h"
#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "platform/Assert.h"
#include "platform/GeometryText.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <cmath>

namespace {

bool onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// W' and H': the output size in single precision, raised to at least 1.
QSizeF divisorSize(QSizeF size)
{
    return QSizeF(std::max(1.0f, float(size.width())), std::max(1.0f, float(size.height())));
}

} // namespace

// The coalescing single-shot timer of the deferred hand-over. It lives on the main thread; the
// owner pointer is cleared under the lock when the clip goes, so a late timeout does nothing.
struct VCMovie::HandOverTimer
{
    std::mutex lock;
    VCMovie *owner = nullptr;
    QTimer *timer = nullptr;
};

VCMovie::VCMovie()
    : VCMovie(nullptr)
{}

VCMovie::VCMovie(std::shared_ptr<LMFFMovie> movie)
    : LMSegmentMovie(std::move(movie))
{
    resetWatermark();
    resetSubtitleShadow();
}

VCMovie::~VCMovie()
{
    if (!m_handOverTimer)
        return;
    QTimer *timer = nullptr;
    {
        std::lock_guard guard(m_handOverTimer->lock);
        m_handOverTimer->owner = nullptr;
        timer = std::exchange(m_handOverTimer->timer, nullptr);
    }
    if (!timer)
        return;
    if (onMainThread())
        delete timer;
    else
        timer->deleteLater();
}

std::shared_ptr<VCMovie> VCMovie::movieWithSource(const std::shared_ptr<LMMediaSource> &source)
{
    LMFFMovie::initialize();
    const auto segment
        = LMSegmentMovie::movieWithSource(source, [](std::shared_ptr<LMFFMovie> movie) {
              return std::static_pointer_cast<LMSegmentMovie>(
                  std::make_shared<VCMovie>(std::move(movie)));
          });
    return std::dynamic_pointer_cast<VCMovie>(segment);
}

std::shared_ptr<VCMovie> VCMovie::movieWithEmptyFFMovie()
{
    LMFFMovie::initialize();
    auto movie = std::make_shared<LMFFMovie>();
    movie->openMedias({});
    auto clip = std::make_shared<VCMovie>(std::move(movie));
    clip->setTrimStart(0);
    clip->setTrimStop(kEmptyMovieDurationUs);
    return clip;
}

QList<std::shared_ptr<VCMovie>>
VCMovie::moviesFromTrimMovies(const QList<std::shared_ptr<VCMovie>> &movies)
{
    QList<std::shared_ptr<VCMovie>> pieces;
    for (const auto &movie : movies) {
        if (movie)
            pieces.append(movie->validVCMovies());
    }
    return pieces;
}

// --- Kept segments ------------------------------------------------------------------------

MovieTrimItemList VCMovie::trimArray() const
{
    return m_trimArray;
}

void VCMovie::setTrimArray(const MovieTrimItemList &trims)
{
    m_trimArray = trims;
}

MovieTrimItemList VCMovie::validTrimArray() const
{
    MovieTrimItemList trims;
    for (const auto &trim : m_trimArray) {
        if (trim)
            trims.append(trim);
    }
    int64_t base = 0;
    for (const auto &trim : trims) {
        trim->setBase(base);
        base += trim->durationTime();
    }
    if (trims.isEmpty()) {
        const double start = Double2LMFFTimeTransformer::transformedValue(trimStart());
        trims.append(MovieTrimItem::item(
            start,
            std::max(0.0, Double2LMFFTimeTransformer::transformedValue(trimStop()) - start),
            Double2LMFFTimeTransformer::transformedValue(fadeIn()),
            Double2LMFFTimeTransformer::transformedValue(fadeOut())));
    }
    return trims;
}

int64_t VCMovie::trimArrayDuration() const
{
    const MovieTrimItemList trims = validTrimArray();
    return trims.last()->base() + trims.last()->durationTime();
}

QList<std::shared_ptr<VCMovie>> VCMovie::validVCMovies()
{
    updateMovieWatermarkImageIfNeeded();
    QList<std::shared_ptr<VCMovie>> pieces;
    for (const auto &trim : validTrimArray()) {
        auto piece = std::make_shared<VCMovie>(movie());
        piece->m_engineSeam = m_engineSeam;
        piece->setTrimStart(trim->startTime());
        // start + length rather than the truncated stop, so that the pieces add up exactly to
        // the timeline places (base) and to trimArrayDuration.
        piece->setTrimStop(trim->startTime() + trim->durationTime());
        piece->setFadeIn(Double2LMFFTimeTransformer::reverseTransformedValue(trim->fadeIn()));
        piece->setFadeOut(Double2LMFFTimeTransformer::reverseTransformedValue(trim->fadeOut()));
        pieces.append(std::move(piece));
    }
    return pieces;
}

bool VCMovie::hasAudio() const
{
    const auto engine = movie();
    return engine && engine->hasAudio();
}

bool VCMovie::hasVideo() const
{
    const auto engine = movie();
    return engine && engine->hasVideo();
}

void VCMovie::decodeImageAtTimeActionWaitUntilDone(int64_t t,
                                                   const MovieImageAction &action,
                                                   bool wait)
{
    const auto engine = movie();
    if (!engine) {
        if (action)
            action(nullptr);
        return;
    }
    engine->decodeImageAtTimeActionWaitUntilDone(t, action, wait);
}

void VCMovie::setExportMovie(bool exportMovie)
{
    if (const auto engine = movie())
        engine->setExportMovie(exportMovie);
}

void VCMovie::setCurrentTime(int64_t t)
{
    if (const auto engine = movie())
        engine->setCurrentTime(t);
}

void VCMovie::flushOperation()
{
    if (const auto engine = movie())
        engine->flushOperation();
}

// --- Watermark geometry ------------------------------------------------------------------------

QRectF VCMovie::watermarkRect() const
{
    std::lock_guard guard(m_geometryLock);
    return m_watermarkRect;
}

void VCMovie::setWatermarkRect(const QRectF &rect)
{
    std::lock_guard guard(m_geometryLock);
    m_watermarkRect = rect;
}

QSizeF VCMovie::watermarkTextSize() const
{
    std::lock_guard guard(m_geometryLock);
    return m_watermarkTextSize;
}

void VCMovie::setWatermarkTextSize(const QSizeF &size)
{
    std::lock_guard guard(m_geometryLock);
    m_watermarkTextSize = size;
}

QString VCMovie::watermarkRectString() const
{
    return platform::stringFromRect(watermarkRect());
}

void VCMovie::setWatermarkRectString(const QString &text)
{
    setWatermarkRect(platform::rectFromString(text));
}

QString VCMovie::watermarkTextSizeString() const
{
    return platform::stringFromSize(watermarkTextSize());
}

void VCMovie::setWatermarkTextSizeString(const QString &text)
{
    setWatermarkTextSize(platform::sizeFromString(text));
}

QSizeF VCMovie::videoOutputSize() const
{
    const auto engine = movie();
    return engine ? engine->outputVideoSize() : QSizeF();
}

void VCMovie::setVideoOutputSize(const QSizeF &size)
{
    if (const auto engine = movie())
        engine->setOutputVideoSize(size);
    m_watermarkCacheImage = QImage();
    // The watermark was placed for the old size.
    if (const auto engine = movie())
        engine->setWatermark(Reelsmith::imaging::Image());
}

QRectF VCMovie::maxWatermarkRect() const
{
    return QRectF(QPointF(0, 0), videoOutputSize());
}

QPointF VCMovie::watermarkPoint() const
{
    const QSizeF size = videoOutputSize();
    const QRectF rect = watermarkRect();
    return QPointF(rect.x() * size.width(), rect.y() * size.height());
}

void VCMovie::setWatermarkPoint(QPointF point)
{
    const QSizeF divisor = divisorSize(videoOutputSize());
    QRectF rect = watermarkRect();
    rect.moveTo(point.x() / divisor.width(), point.y() / divisor.height());
    setWatermarkRect(rect);
}

QSizeF VCMovie::watermarkImageDisplaySize() const
{
    const QSizeF size = videoOutputSize();
    const QRectF rect = watermarkRect();
    return QSizeF(rect.width() * size.width(), rect.height() * size.height());
}

void VCMovie::setWatermarkImageDisplaySize(QSizeF size)
{
    const QSizeF divisor = divisorSize(videoOutputSize());
    QRectF rect = watermarkRect();
    rect.setSize(QSizeF(size.width() / divisor.width(), size.height() / divisor.height()));
    setWatermarkRect(rect);
}

QSizeF VCMovie::watermarkTextDisplaySize() const
{
    const QSizeF size = videoOutputSize();
    const QSizeF text = watermarkTextSize();
    return QSizeF(text.width() * size.width(), text.height() * size.height());
}

void VCMovie::setWatermarkTextDisplaySize(QSizeF size)
{
    const QSizeF divisor = divisorSize(videoOutputSize());
    setWatermarkTextSize(QSizeF(size.width() / divisor.width(), size.height() / divisor.height()));
}

QRectF VCMovie::realWatermarkRect() const
{
    return QRectF(watermarkPoint(),
                  m_watermarkType == 1 ? watermarkTextDisplaySize() : watermarkImageDisplaySize());
}

// --- Watermark image ---------------------------------------------------------------------------

void VCMovie::resetWatermark()
{
    m_enableWatermark = false;
    m_watermarkType = 0;
    m_watermarkText = QString();
    m_watermarkTextFont = QFont();
    m_watermarkTextFont.setPointSizeF(80.0);
    m_watermarkTextColor = QColor(Qt::white);
    m_watermarkImagePath = QString();
    m_watermarkImage = QImage();
    m_watermarkCacheImage = QImage();
    m_watermarkCacheOrigin = QPointF();
    setWatermarkRect(QRectF(0, 0, 0.3, 0.3));
    setWatermarkTextSize(QSizeF(0, 0));
    m_watermarkOpacity = 1.0f;
}

QString VCMovie::watermarkDrawnText() const
{
    return m_watermarkText.isNull() ? QStringLiteral("") : m_watermarkText;
}

void VCMovie::forceUpdateWatermarkImage()
{
    if (!m_enableWatermark)
        return;
    const bool isText = m_watermarkType != 0;
    const QRectF box = realWatermarkRect();
    const QRectF visible = box.intersected(maxWatermarkRect());
    if (visible.width() <= 0 || visible.height() <= 0) {
        m_watermarkCacheImage = QImage();
        return;
    }
    QImage cache(int(std::ceil(visible.width())),
                 int(std::ceil(visible.height())),
                 QImage::Format_RGBA8888_Premultiplied);
    cache.fill(Qt::transparent);
    // The box in the cache's own rows (y down), relative to the visible part, so a box that
    // sticks out of the frame shows the part of its content that lies inside.
    const QRectF target(box.x() - visible.x(),
                        (visible.y() + visible.height()) - (box.y() + box.height()),
                        box.width(),
                        box.height());
    QPainter painter(&cache);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!isText && !m_watermarkImage.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(target, m_watermarkImage);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (isText) {
        const QString text = watermarkDrawnText();
        const QSizeF natural = QFontMetricsF(m_watermarkTextFont).size(0, text);
        if (natural.width() > 1 && natural.height() > 1) {
            painter.translate(target.topLeft());
            painter.scale(target.width() / natural.width(), target.height() / natural.height());
            painter.setFont(m_watermarkTextFont);
            painter.setPen(m_watermarkTextColor);
            painter.drawText(QRectF(QPointF(0, 0), natural), Qt::AlignLeft | Qt::AlignTop, text);
        }
    }
    painter.end();
    m_watermarkCacheImage = cache.convertToFormat(QImage::Format_RGBA8888);
    m_watermarkCacheOrigin = visible.topLeft();
}

void VCMovie::updateWatermarkImage()
{
    if (m_watermarkCacheImage.isNull())
        forceUpdateWatermarkImage();
}

LMPlacedImage VCMovie::watermark()
{
    updateWatermarkImage();
    if (m_watermarkCacheImage.isNull())
        return LMPlacedImage();
    // The cache with its alpha multiplied by the opacity ("source in" a constant white of that
    // alpha); straight alpha, so the colours stay.
    QImage image = m_watermarkCacheImage.convertToFormat(QImage::Format_RGBA8888);
    const float opacity = std::clamp(m_watermarkOpacity, 0.0f, 1.0f);
    if (opacity < 1.0f) {
        for (int y = 0; y < image.height(); ++y) {
            uchar *row = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x)
                row[4 * x + 3] = uchar(std::lround(row[4 * x + 3] * opacity));
        }
    }
    return LMPlacedImage{image, m_watermarkCacheOrigin};
}

void VCMovie::updateMovieWatermarkImageHelper()
{
    const auto engine = movie();
    if (!engine)
        return;
    const LMPlacedImage placed = watermark();
    engine->setWatermark(placed.isNull() ? Reelsmith::imaging::Image()
                                         : Reelsmith::imaging::Image::fromQImage(placed.image)
                                               .translated(placed.origin.x(), placed.origin.y()));
    std::lock_guard guard(m_engineSeam->lock);
    ++m_engineSeam->handOvers;
}

void VCMovie::updateMovieWatermarkImage()
{
    DW_ASSERT(onMainThread(), return );
    if (!m_handOverTimer) {
        m_handOverTimer = std::make_shared<HandOverTimer>();
        m_handOverTimer->owner = this;
        auto *timer = new QTimer;
        timer->setSingleShot(true);
        timer->setInterval(1);
        std::weak_ptr<HandOverTimer> state = m_handOverTimer;
        QObject::connect(timer, &QTimer::timeout, timer, [state] {
            const auto shared = state.lock();
            if (!shared)
                return;
            std::lock_guard guard(shared->lock);
            if (shared->owner)
                shared->owner->updateMovieWatermarkImageHelper();
        });
        m_handOverTimer->timer = timer;
    }
    // Restarting a pending timer cancels its earlier request.
    m_handOverTimer->timer->start();
}

void VCMovie::updateMovieWatermarkImageIfNeeded()
{
    const auto engine = movie();
    if (!engine || !m_enableWatermark)
        return;
    if (engine->watermark().isNull())
        updateMovieWatermarkImageHelper();
}

Reelsmith::imaging::Image VCMovie::movieWatermark() const
{
    const auto engine = movie();
    return engine ? engine->watermark() : Reelsmith::imaging::Image();
}

int VCMovie::watermarkHandOverCount() const
{
    std::lock_guard guard(m_engineSeam->lock);
    return m_engineSeam->handOvers;
}

// --- Subtitles ---------------------------------------------------------------------------------

void VCMovie::openSubtitleContent()
{
    const auto engine = movie();
    if (!engine)
        return;
    const QString path = FileManagerExtention::tempFilePath(QStringLiteral("open-Subtitle-Path"),
                                                            QFileInfo(m_subtitlePath).suffix());
    if (path.isEmpty())
        return;
    QFile::remove(path);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(m_subtitleContent.toUtf8());
        if (file.commit())
            engine->openSubtitle(path);
    }
    QFile::remove(path);
}

void VCMovie::openSubtitleContentIfNeeded()
{
    const auto engine = movie();
    if (engine && !engine->subtitle() && !m_subtitleContent.isEmpty() && !m_subtitlePath.isEmpty())
        openSubtitleContent();
}

void VCMovie::resetSubtitleShadow()
{
    m_useSubtitleShadow = true;
    m_subtitleShadowColor = QColor(Qt::black);
    m_subtitleShadowWidth = 2.0f;
    m_subtitleShadowOffsetX = 0.5f;
    m_subtitleShadowOffsetY = 0.5f;
    if (movie()) {
        MovieAttributeKeyTable::setEngineValue(
            *this,
            QStringLiteral("subtitleShadow"),
            MovieAttributeKeyTable::shadowValue(
                m_subtitleShadowColor,
                m_subtitleShadowWidth,
                QPointF(m_subtitleShadowOffsetX, m_subtitleShadowOffsetY)));
    }
}
