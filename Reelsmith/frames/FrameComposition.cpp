#include "Reelsmith/frames/FrameComposition.h"

#include "Reelsmith/effects/EffectManager.h"
#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/effects/FilterRegistry.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "platform/FitRect.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

namespace keys = Reelsmith::effects::keys;
using Reelsmith::imaging::Image;

namespace Reelsmith::detail {

namespace {

QRectF centredIn(const QSizeF &size, const QRectF &b)
{
    return QRectF(b.x() + (b.width() - size.width()) / 2,
                  b.y() + (b.height() - size.height()) / 2,
                  size.width(),
                  size.height());
}

bool changed(float value, float neutral)
{
    return std::fabs(value - neutral) > 0.001f;
}

std::shared_ptr<imaging::Filter> makeFilter(const char *name)
{
    return Reelsmith::effects::filterWithName(QLatin1String(name));
}

} // namespace

QRectF scaleRectIn(const QRectF &r, const QRectF &b)
{
    // A bare aspect (16 by 9) is fitted into a whole frame, hence the thousandfold limit.
    return platform::scaleRectIn(r, b, 0.001f);
}

QRectF scaleRectPanscan(const QRectF &r, const QRectF &b)
{
    const float k = std::max(float(r.width() / b.width()), 0.001f);
    return centredIn(QSizeF(r.width() / k, r.height() / k), b);
}

QRectF zoomTarget(const QRectF &e, int32_t z, const QRectF &r, bool *known)
{
    if (known)
        *known = true;
    switch (z) {
    case 1:
        return r;
    case 2:
    case 5:
        return scaleRectIn(e, r);
    case 3:
        return scaleRectIn(QRectF(0, 0, 16, 9), r);
    case 4:
        return scaleRectIn(QRectF(0, 0, 4, 3), r);
    case 6:
        return scaleRectPanscan(e, r);
    default:
        if (known)
            *known = false;
        return QRectF();
    }
}

QRectF imageRectZoomTypeInRect(const QRectF &rect, int32_t z, const QRectF &r)
{
    bool known = false;
    const QRectF target = zoomTarget(rect, z, r, &known);
    return known ? target : rect;
}

Image imageZoomTypeInRect(const Image &image, int32_t z, const QRectF &r)
{
    if (image.isNull())
        return {};
    const imaging::Extent extent = image.extent();
    if (extent.isEmpty() || extent.isInfinite())
        return image;
    const QRectF e0 = extent.rect();
    const Image centred = image.translated(-(e0.x() + e0.width() / 2), -(e0.y() + e0.height() / 2));
    const QRectF e = centred.extent().rect();
    const QRectF target = zoomTarget(e, z, r);
    const float sx = float(target.width()) / std::max(1.0f, float(e.width()));
    const float sy = float(target.height()) / std::max(1.0f, float(e.height()));
    const QTransform place = QTransform::fromScale(sx, sy)
                             * QTransform::fromTranslate(target.x() + target.width() / 2,
                                                         target.y() + target.height() / 2);
    return centred.transformed(place);
}

FilterList colorFilters(const LMPictureSettings &s, bool always)
{
    FilterList list;
    if (always || changed(s.saturation, 0.5f) || changed(s.brightness, 0.5f)
        || changed(s.contrast, 0.25f)) {
        if (auto filter = makeFilter("ColorControls")) {
            filter->setValue(keys::saturation, s.saturation * 2);
            filter->setValue(keys::brightness, (s.brightness - 0.5f) * 2);
            filter->setValue(keys::contrast, s.contrast * 4);
            list.append(filter);
        }
    }
    if (always || changed(s.hue, 0.5f)) {
        if (auto filter = makeFilter("HueAdjust")) {
            filter->setValue(keys::angle, (s.hue - 0.5f) * 6.28f);
            list.append(filter);
        }
    }
    if (changed(s.sharpness, 0.5f)) {
        if (auto filter = makeFilter("SharpenLuminance")) {
            filter->setValue(keys::sharpness,
                             always ? (s.sharpness - 0.5f) * 2
                                    : s.sharpness_scale_factor * (s.sharpness - 0.5f));
            list.append(filter);
        }
    }
    return list;
}

FilterList effectFilters(const LMPictureSettings &settings, bool alwaysColor)
{
    FilterList list = colorFilters(settings, alwaysColor);
    if (!settings.effectName.isEmpty())
        if (auto effect = EffectManager::sharedFilterWithName(settings.effectName))
            list.append(effect);
    return list;
}

Image applyFilters(const Image &image, const FilterList &filters)
{
    Image running = image;
    for (const auto &filter : filters)
        if (filter && !running.isNull())
            running = filter->applyTo(running);
    return running;
}

QString subtitleText(const QString &text)
{
    return text.trimmed();
}

QImage renderSubtitle(const QString &text,
                      const LMPictureSettings &style,
                      const QSizeF &outputSize,
                      bool withBackground)
{
    QString trimmed = subtitleText(text);
    // Line ends break lines here as they do in a subtitle file.
    trimmed.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    trimmed.replace(QLatin1Char('\n'), QChar::LineSeparator);
    trimmed.replace(QLatin1Char('\r'), QChar::LineSeparator);
    if (trimmed.isEmpty() || !(outputSize.width() > 0.99) || !(outputSize.height() > 0.99))
        return {};
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        static std::atomic<bool> warned{false};
        if (!warned.exchange(true))
            qWarning("subtitle text needs a QGuiApplication; no text is drawn");
        return {};
    }
    // Without a colour the text has no attributes at all: the default font, in black.
    const bool styled = style.subtitleColor.isValid();
    const QFont font = styled && style.subtitleFont ? *style.subtitleFont : QFont();
    const QColor colour = styled ? style.subtitleColor : QColor(Qt::black);

    QTextLayout layout(trimmed, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const qreal lineWidth = outputSize.width();
    qreal height = 0, widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();

    const double w = std::ceil(widest);
    const float h = std::min(float(std::ceil(height)),
                             float(outputSize.height() * (1 - style.subtitlePosition)));
    auto bitmap = LMBitmapImage::imageWithSize(QSizeF(w, h));
    if (!bitmap)
        return {};
    bitmap->setHasAlpha(true);
    const bool box = withBackground && style.subtitleBackgroundColor.isValid();
    bitmap->drawInImage([&](QPainter &painter) {
        painter.resetTransform(); // text is laid out top down
        const QRectF whole(QPointF(0, 0), bitmap->size());
        if (box) {
            const double radius
                = std::max(0.0, std::min(double(h) / 2, style.subtitleBackgroundRadius));
            painter.setPen(Qt::NoPen);
            painter.setBrush(style.subtitleBackgroundColor);
            painter.drawRoundedRect(whole, radius, radius);
        }
        painter.setClipRect(whole);
        // Each line is centred on the output's width; the bitmap holds the widest one.
        const QPointF origin(-(lineWidth - w) / 2, 0);
        if (styled && style.subtitleShadow) {
            painter.setPen(style.subtitleShadow->color);
            layout.draw(
                &painter,
                origin
                    + QPointF(style.subtitleShadow->offset.x(), -style.subtitleShadow->offset.y()));
        }
        painter.setPen(colour);
        layout.draw(&painter, origin);
    });
    return bitmap->getCIImage();
}

Image placeSubtitle(const QImage &rendered, const QSizeF &outputSize, float position)
{
    if (rendered.isNull())
        return {};
    // Whole pixels across, so the text is not smeared by a half-pixel resampling.
    const double dx = std::round(outputSize.width() / 2 - rendered.width() / 2.0);
    return Image::fromQImage(rendered).translated(dx, outputSize.height() * position);
}

Image composePicture(const CompositionSteps &steps,
                     const LMPictureSettings &settings,
                     const FilterList &filters)
{
    Image picture = steps.frame;
    if (picture.isNull())
        return {};
    if (!steps.mediaSubtitle.isNull())
        picture = steps.mediaSubtitle.sourceOver(picture);
    const QRectF &c = steps.cropRect;
    picture = picture.cropped(c).translated(-(c.x() + c.width() / 2), -(c.y() + c.height() / 2));
    if (steps.scaleBeforeTurn != QSizeF(1, 1))
        picture = picture.scaled(steps.scaleBeforeTurn.width(), steps.scaleBeforeTurn.height());
    QTransform turn;
    turn.rotate(settings.rotate); // degrees: quarter turns stay exact, so they resample as scales
    turn = QTransform::fromScale(settings.hflip ? -1 : 1, settings.vflip ? -1 : 1) * turn;
    picture = picture.transformed(turn);
    picture = imageZoomTypeInRect(picture, settings.zoomType, steps.outputRect);
    // Until the black goes under it, the picture's surroundings stay transparent, so no filter
    // colours the bars.
    picture = applyFilters(picture, filters);
    picture = picture.sourceOver(Image::constantColor(Qt::black));
    if (!settings.watermark.isNull())
        picture = settings.watermark.sourceOver(picture);
    if (!steps.textSubtitle.isNull())
        picture = steps.textSubtitle.sourceOver(picture);
    return picture.cropped(steps.outputRect);
}

} // namespace Reelsmith::detail
