#include "app/Transition/TransitionQtzRenderer.h"

#include "app/Transition/TransitionComposition.h"
#include "app/Transition/TransitionLog.h"

#include <algorithm>
#include <cmath>

using Discwright::lcTransition;

std::unique_ptr<TransitionQtzRenderer> TransitionQtzRenderer::initOffScreenWithSize(
    QSizeF size, const QColorSpace &, std::shared_ptr<const TransitionComposition> composition)
{
    // Truncated as a pixel count; a negative or NaN side is as unusable as a zero one.
    const double width = std::isfinite(size.width()) ? std::trunc(size.width()) : 0.0;
    const double height = std::isfinite(size.height()) ? std::trunc(size.height()) : 0.0;
    constexpr double largestSide = 32767.0;
    if (!(width >= 1.0) || !(height >= 1.0) || width > largestSide || height > largestSide) {
        qCWarning(lcTransition, "Invilidate Size");
        return nullptr;
    }
    if (!composition) {
        qCWarning(lcTransition, "no transition composition to render");
        return nullptr;
    }
    return std::unique_ptr<TransitionQtzRenderer>(
        new TransitionQtzRenderer(QSize(int(width), int(height)), std::move(composition)));
}

TransitionQtzRenderer::TransitionQtzRenderer(
    QSize size, std::shared_ptr<const TransitionComposition> composition)
    : m_size(size)
    , m_composition(std::move(composition))
{}

void TransitionQtzRenderer::setSourceImage(const QImage &sourceImage,
                                           const QImage &destinationImage,
                                           const QImage &backgroundImage)
{
    std::lock_guard locker(m_lock);
    m_image1 = sourceImage;
    m_image2 = destinationImage;
    m_background = backgroundImage;
}

void TransitionQtzRenderer::renderAtTime(double t)
{
    QImage image1, image2, background;
    {
        std::lock_guard locker(m_lock);
        image1 = m_image1;
        image2 = m_image2;
        background = m_background;
        m_inputTime = t;
    }
    // Rendered outside the lock so that a slow frame never holds up another caller.
    QImage frame = m_composition->render(image1, image2, background, t, m_size);
    std::lock_guard locker(m_lock);
    m_snapshot = std::move(frame);
}

QImage TransitionQtzRenderer::renderAtTime(double t,
                                           const QImage &sourceImage,
                                           const QImage &destinationImage,
                                           const QImage &backgroundImage)
{
    const double clamped = std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0);
    // The pictures go straight to the composition instead of through the shared inputs, so a
    // caller on another thread can neither swap them mid-frame nor find them left behind.
    QImage frame
        = m_composition->render(sourceImage, destinationImage, backgroundImage, clamped, m_size);
    std::lock_guard locker(m_lock);
    m_inputTime = clamped;
    m_image1 = QImage();
    m_image2 = QImage();
    m_background = QImage();
    m_snapshot = frame;
    return frame;
}

QImage TransitionQtzRenderer::snapshotImage() const
{
    std::lock_guard locker(m_lock);
    return m_snapshot;
}

QImage TransitionQtzRenderer::imageForInputKey(const QString &key) const
{
    std::lock_guard locker(m_lock);
    if (key == QLatin1String("Image1"))
        return m_image1;
    if (key == QLatin1String("Image2"))
        return m_image2;
    if (key == QLatin1String("BackgroundImage"))
        return m_background;
    return {};
}

double TransitionQtzRenderer::inputTime() const
{
    std::lock_guard locker(m_lock);
    return m_inputTime;
}
