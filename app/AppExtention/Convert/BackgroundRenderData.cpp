#include "app/AppExtention/Convert/BackgroundRenderData.h"

#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/render/MenuTimes.h"
#include "Reelsmith/LMFunctions.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/RectGeometry.h"
#include "app/Transition/TransitionManager.h"
#include "app/Transition/TransitionQtzRenderer.h"
#include "platform/ClassRegistry.h"

#include <QColorSpace>
#include <QPainter>
#include <algorithm>
#include <cmath>

using Discwright::lcRecords;

DW_REGISTER_CLASS(BackgroundRenderData)

namespace {

// A duration as the show uses it: a negative or non-finite one (a damaged archive) counts as 0.
double usableDuration(double seconds)
{
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0;
}

// The pixel size a renderer made for pageSize has (whole pixels, truncated); empty when unusable.
QSize rendererPixelSize(QSizeF pageSize)
{
    const double width = std::isfinite(pageSize.width()) ? std::trunc(pageSize.width()) : 0.0;
    const double height = std::isfinite(pageSize.height()) ? std::trunc(pageSize.height()) : 0.0;
    if (!(width >= 1.0) || !(height >= 1.0) || width > 32767.0 || height > 32767.0)
        return QSize();
    return QSize(int(width), int(height));
}

// The picture behind both pictures of a transition, which the composition stretches over the
// whole frame.
const QImage &blackImage()
{
    static const QImage black = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        return image;
    }();
    return black;
}

} // namespace

BackgroundRenderData::BackgroundRenderData() = default;
BackgroundRenderData::~BackgroundRenderData() = default;

QStringList BackgroundRenderData::allCoderKeys() const
{
    return {QStringLiteral("renderName"),
            QStringLiteral("everyImageDuration"),
            QStringLiteral("everyRenderDuration"),
            QStringLiteral("useRenderDurAsMenuDur"),
            QStringLiteral("imageItemArray")};
}

QString BackgroundRenderData::renderName() const
{
    std::lock_guard locker(m_lock);
    return m_renderName;
}

void BackgroundRenderData::setRenderName(const QString &name)
{
    std::lock_guard locker(m_lock);
    if (name == m_renderName)
        return;
    m_renderName = name;
    m_currentRender.reset();
    m_renderFailed = false;
}

double BackgroundRenderData::everyImageDuration() const
{
    std::lock_guard locker(m_lock);
    return m_everyImageDuration;
}

void BackgroundRenderData::setEveryImageDuration(double seconds)
{
    std::lock_guard locker(m_lock);
    m_everyImageDuration = seconds;
}

double BackgroundRenderData::everyRenderDuration() const
{
    std::lock_guard locker(m_lock);
    return m_everyRenderDuration;
}

void BackgroundRenderData::setEveryRenderDuration(double seconds)
{
    std::lock_guard locker(m_lock);
    m_everyRenderDuration = seconds;
}

bool BackgroundRenderData::useRenderDurAsMenuDur() const
{
    std::lock_guard locker(m_lock);
    return m_useRenderDurAsMenuDur;
}

void BackgroundRenderData::setUseRenderDurAsMenuDur(bool use)
{
    std::lock_guard locker(m_lock);
    m_useRenderDurAsMenuDur = use;
}

BackPictureItemList BackgroundRenderData::imageItemArray() const
{
    std::lock_guard locker(m_lock);
    return m_imageItemArray;
}

void BackgroundRenderData::setImageItemArray(const BackPictureItemList &items)
{
    std::lock_guard locker(m_lock);
    m_imageItemArray = items;
}

void BackgroundRenderData::setTransitionCatalogue(const QuartzRenderManager *catalogue)
{
    std::lock_guard locker(m_lock);
    m_catalogue = catalogue;
    m_currentRender.reset();
    m_renderFailed = false;
}

std::shared_ptr<TransitionQtzRenderer> BackgroundRenderData::currentRender() const
{
    std::lock_guard locker(m_lock);
    return m_currentRender;
}

void BackgroundRenderData::b_updateCurrentRenderWithNameOrSizeChanged()
{
    std::lock_guard locker(m_lock);
    m_currentRender.reset();
    m_renderFailed = false;
}

std::shared_ptr<TransitionQtzRenderer>
BackgroundRenderData::b_updateCurrentRenderWithNameOrSizeChanged(QSizeF pageSize)
{
    std::lock_guard locker(m_lock);
    return makeRendererLocked(pageSize);
}

std::shared_ptr<TransitionQtzRenderer> BackgroundRenderData::rendererForPageSize(QSizeF pageSize)
{
    const QSize pixels = rendererPixelSize(pageSize);
    std::lock_guard locker(m_lock);
    if (m_currentRender && m_currentRender->size() == pixels)
        return m_currentRender;
    if (m_renderFailed && m_failedRenderSize == pixels)
        return nullptr;
    return makeRendererLocked(pageSize);
}

std::shared_ptr<TransitionQtzRenderer> BackgroundRenderData::makeRendererLocked(QSizeF pageSize)
{
    const QuartzRenderManager &catalogue
        = m_catalogue ? *m_catalogue
                      : static_cast<const QuartzRenderManager &>(TransitionManager::manager());
    std::shared_ptr<const TransitionComposition> composition
        = catalogue.compositionForName(m_renderName);
    m_currentRender.reset();
    if (!composition) {
        qCWarning(lcRecords,
                  "slideshow transition \"%s\" is not in the catalogue or did not load: its "
                  "transitions show nothing",
                  qPrintable(m_renderName));
    } else {
        m_currentRender = TransitionQtzRenderer::initOffScreenWithSize(
            pageSize, QColorSpace(QColorSpace::SRgb), std::move(composition));
    }
    m_renderFailed = !m_currentRender;
    m_failedRenderSize = rendererPixelSize(pageSize);
    if (m_currentRender)
        qCDebug(lcRecords,
                "slideshow renderer \"%s\" made at %dx%d",
                qPrintable(m_renderName),
                m_currentRender->size().width(),
                m_currentRender->size().height());
    return m_currentRender;
}

double BackgroundRenderData::imageDurationLocked() const
{
    return usableDuration(m_everyImageDuration);
}

double BackgroundRenderData::renderDurationLocked() const
{
    return usableDuration(m_everyRenderDuration);
}

double BackgroundRenderData::p_totalTime() const
{
    std::lock_guard locker(m_lock);
    const qsizetype count = m_imageItemArray.size();
    if (count == 0)
        return 0.0;
    return double(count) * imageDurationLocked() + double(count - 1) * renderDurationLocked();
}

BackgroundRenderData::Frame BackgroundRenderData::frameAtTime(double seconds,
                                                              qsizetype count,
                                                              double imageDuration,
                                                              double renderDuration)
{
    Frame frame;
    if (count <= 0)
        return frame;
    const double still = usableDuration(imageDuration);
    const double transition = usableDuration(renderDuration);
    const double period = still + transition;
    if (!(period > 0.0)) {
        // No time line to place the pictures on: the first one stands for the whole page.
        frame.phase = Frame::Phase::Still;
        return frame;
    }
    const double total = double(count) * still + double(count - 1) * transition;
    double s = seconds;
    if (total > 1.0 && s > total)
        s = std::fmod(s, total);
    const double u = std::fmod(s, period);
    if (!(u >= 0.0))
        return frame;
    const qsizetype last = count - 1;
    // The period number, kept as a double: past an unwrapped show it can exceed any index.
    const double k = std::trunc(s / period);
    const qsizetype outgoing = k >= double(last) ? last : qsizetype(k);
    frame.from = outgoing;
    frame.to = outgoing;
    if (u <= still) {
        frame.phase = Frame::Phase::Still;
        return frame;
    }
    const qsizetype incoming = std::min(outgoing + 1, last);
    if (incoming == outgoing) {
        // Past the end of a show too short to loop there is no next picture: the last one stays.
        frame.phase = Frame::Phase::Still;
        return frame;
    }
    // Progress in single precision, as the compositions have always been driven.
    const float progress = float(u - still) / std::max(float(transition), 0.001f);
    frame.phase = Frame::Phase::Transition;
    frame.to = incoming;
    frame.progress = std::clamp(progress, 0.0f, 1.0f);
    return frame;
}

BackgroundRenderData::Frame BackgroundRenderData::frameAtTime(double seconds) const
{
    std::lock_guard locker(m_lock);
    return frameAtTime(
        seconds, m_imageItemArray.size(), m_everyImageDuration, m_everyRenderDuration);
}

qint64 BackgroundRenderData::aspectTypeForPageSize(QSizeF pageSize)
{
    double height = pageSize.height();
    if (std::isnan(height))
        height = 1.0;
    const double ratio = pageSize.width() / std::max(height, 1.0);
    return std::fabs(ratio - 4.0 / 3.0) < 0.1 ? 0 : 1;
}

void BackgroundRenderData::drawInRect(QPainter *, const QRectF &) {}

void BackgroundRenderData::drawInRectAtTime(QPainter *painter, const QRectF &rect, qint64 timeUs)
{
    if (timeUs == Platterkit::render::kThumbnailTimeUs
        || timeUs == Platterkit::render::kLayoutTimeUs)
        timeUs = 0;
    drawImageAtTime(painter, lm_ff_time_to_double(timeUs), rect);
}

void BackgroundRenderData::drawImageAtTime(QPainter *painter, double seconds, const QRectF &rect)
{
    if (!painter)
        return;
    BackPictureItemList items;
    Frame frame;
    {
        std::lock_guard locker(m_lock);
        items = m_imageItemArray;
        frame = frameAtTime(seconds, items.size(), m_everyImageDuration, m_everyRenderDuration);
    }
    if (frame.phase == Frame::Phase::None)
        return;
    const qint64 aspectType = aspectTypeForPageSize(rect.size());
    const BackPictureItemRef &outgoing = items.at(frame.from);
    QImage picture;
    if (frame.phase == Frame::Phase::Still) {
        if (outgoing)
            picture = outgoing->previewImage(aspectType);
    } else {
        const std::shared_ptr<TransitionQtzRenderer> renderer = rendererForPageSize(rect.size());
        if (!renderer)
            return;
        const BackPictureItemRef &incoming = items.at(frame.to);
        picture = renderer->renderAtTime(frame.progress,
                                         outgoing ? outgoing->previewImage(aspectType) : QImage(),
                                         incoming ? incoming->previewImage(aspectType) : QImage(),
                                         blackImage());
    }
    if (picture.isNull())
        return;
    const QRectF dest = Discwright::RectGeometry::scaleRectIn(
        QRectF(0, 0, picture.width(), picture.height()), rect);
    painter->save();
    painter->setOpacity(1.0);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Platterkit::render::drawImageUpright(*painter, dest, picture);
    painter->restore();
}
