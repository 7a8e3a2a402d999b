#include "app/Transition/TransitionComposition.h"

#include "app/Transition/TransitionPainters.h"
#include "platform/PropertyList.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

std::optional<TransitionComposition::Renderer> rendererNamed(const QString &name)
{
    using Renderer = TransitionComposition::Renderer;
    if (name == QLatin1String("dissolve"))
        return Renderer::Dissolve;
    if (name == QLatin1String("slide"))
        return Renderer::Slide;
    if (name == QLatin1String("swipe"))
        return Renderer::Swipe;
    if (name == QLatin1String("zoomDissolve"))
        return Renderer::ZoomDissolve;
    if (name == QLatin1String("circle"))
        return Renderer::Circle;
    return std::nullopt;
}

// Reads parameters[key] into *value when present: a number within [low, high].
bool readNumber(const QVariantMap &parameters,
                const QString &key,
                double low,
                double high,
                double *value,
                QString *error)
{
    const auto found = parameters.constFind(key);
    if (found == parameters.constEnd())
        return true;
    const int type = found->typeId();
    if (type != QMetaType::Double && type != QMetaType::LongLong && type != QMetaType::Int)
        return fail(error, QStringLiteral("parameter \"%1\" is not a number").arg(key));
    const double number = found->toDouble();
    if (!std::isfinite(number) || number < low || number > high)
        return fail(error,
                    QStringLiteral("parameter \"%1\" is %2, outside [%3, %4]")
                        .arg(key)
                        .arg(number)
                        .arg(low)
                        .arg(high));
    *value = number;
    return true;
}

// Reads parameters[key] into *index when present: one of choices.
bool readChoice(const QVariantMap &parameters,
                const QString &key,
                const QStringList &choices,
                qsizetype *index,
                QString *error)
{
    const auto found = parameters.constFind(key);
    if (found == parameters.constEnd())
        return true;
    const qsizetype at
        = found->typeId() == QMetaType::QString ? choices.indexOf(found->toString()) : -1;
    if (at < 0)
        return fail(error,
                    QStringLiteral("parameter \"%1\" is none of %2")
                        .arg(key, choices.join(QStringLiteral(", "))));
    *index = at;
    return true;
}

bool readParameters(const QVariantMap &parameters,
                    TransitionComposition::Parameters *into,
                    QString *error)
{
    qsizetype easing = into->smooth ? 1 : 0;
    qsizetype direction = 0;
    qsizetype mode = into->circleOpens ? 0 : 1;
    if (!readChoice(parameters,
                    QStringLiteral("easing"),
                    {QStringLiteral("linear"), QStringLiteral("smooth")},
                    &easing,
                    error)
        || !readChoice(parameters,
                       QStringLiteral("direction"),
                       {QStringLiteral("left"),
                        QStringLiteral("right"),
                        QStringLiteral("up"),
                        QStringLiteral("down")},
                       &direction,
                       error)
        || !readChoice(parameters,
                       QStringLiteral("mode"),
                       {QStringLiteral("open"), QStringLiteral("close")},
                       &mode,
                       error)
        || !readNumber(
            parameters, QStringLiteral("angle"), -360.0, 360.0, &into->angleDegrees, error)
        || !readNumber(parameters, QStringLiteral("softness"), 0.0, 1.0, &into->softness, error)
        || !readNumber(
            parameters, QStringLiteral("outgoingZoom"), 1.0, 4.0, &into->outgoingZoom, error)
        || !readNumber(
            parameters, QStringLiteral("incomingZoom"), 0.1, 1.0, &into->incomingZoom, error))
        return false;
    into->smooth = easing == 1;
    constexpr int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    into->directionX = steps[direction][0];
    into->directionY = steps[direction][1];
    into->circleOpens = mode == 0;
    return true;
}

} // namespace

std::shared_ptr<const TransitionComposition> TransitionComposition::load(const QString &path,
                                                                         QString *error)
{
    QString readError;
    const QVariant description = platform::PropertyList::fromFile(path, &readError);
    if (!description.isValid()) {
        fail(error, QStringLiteral("%1: %2").arg(path, readError));
        return nullptr;
    }
    if (description.typeId() != QMetaType::QVariantMap) {
        fail(error, QStringLiteral("%1: the description is not a dictionary").arg(path));
        return nullptr;
    }
    QString descriptionError;
    auto composition = fromDescription(description.toMap(), &descriptionError);
    if (!composition)
        fail(error, QStringLiteral("%1: %2").arg(path, descriptionError));
    return composition;
}

std::shared_ptr<const TransitionComposition>
TransitionComposition::fromDescription(const QVariantMap &description, QString *error)
{
    const QVariant rendererValue = description.value(QStringLiteral("renderer"));
    const auto renderer = rendererValue.typeId() == QMetaType::QString
                              ? rendererNamed(rendererValue.toString())
                              : std::nullopt;
    if (!renderer) {
        fail(error, QStringLiteral("unknown renderer \"%1\"").arg(rendererValue.toString()));
        return nullptr;
    }
    const QVariant parameters = description.value(QStringLiteral("parameters"));
    if (parameters.isValid() && parameters.typeId() != QMetaType::QVariantMap) {
        fail(error, QStringLiteral("\"parameters\" is not a dictionary"));
        return nullptr;
    }
    std::shared_ptr<TransitionComposition> composition(new TransitionComposition);
    composition->m_renderer = *renderer;
    if (!readParameters(parameters.toMap(), &composition->m_parameters, error))
        return nullptr;
    return composition;
}

QImage TransitionComposition::render(const QImage &image1,
                                     const QImage &image2,
                                     const QImage &background,
                                     double inputTime,
                                     QSize size) const
{
    namespace painters = Discwright::TransitionPainters;
    double s = std::isnan(inputTime) ? 0.0 : std::clamp(inputTime, 0.0, 1.0);
    if (m_parameters.smooth)
        s = s * s * (3.0 - 2.0 * s);
    const Parameters &p = m_parameters;
    switch (m_renderer) {
    case Renderer::Dissolve:
        return painters::dissolve(image1, image2, background, s, size);
    case Renderer::Slide:
        return painters::slide(image1, image2, background, p.directionX, p.directionY, s, size);
    case Renderer::Swipe:
        return painters::swipe(image1, image2, background, p.angleDegrees, p.softness, s, size);
    case Renderer::ZoomDissolve:
        return painters::zoomDissolve(
            image1, image2, background, p.outgoingZoom, p.incomingZoom, s, size);
    case Renderer::Circle:
        return painters::circle(image1, image2, background, p.circleOpens, p.softness, s, size);
    }
    return {};
}
