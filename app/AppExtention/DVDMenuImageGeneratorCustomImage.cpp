#include "app/AppExtention/DVDMenuImageGeneratorCustomImage.h"

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "platform/MainThread.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace DVDMenuImageGeneratorCustomImage {

namespace {

const QLatin1String kImage("menu_image");
const QLatin1String kHighlight("menu_highlight");
const QLatin1String kSelect("menu_select");

// The corner radius a text element asks for: its text object's "backgroundRadius", a fraction of
// the shorter side.
double textCornerRadius(const DVDMenuItem &item, const QRectF &area)
{
    const ObjectRef source = item.textSource();
    if (!source)
        return 0.0;
    bool ok = false;
    const float fraction = source->property("backgroundRadius").toFloat(&ok);
    if (!ok)
        return 0.0;
    const float side = std::min(float(area.width()), float(area.height()));
    return double(side * fraction * 0.5f);
}

} // namespace

BorderStyle BorderStyle::fromTempDvdData(const TempDvdData &data)
{
    BorderStyle style;
    style.borderColor = data.dvdBorderColor();
    style.borderWidth = data.dvdBorderWidth();
    style.useFill = data.dvdBorderUseFill();
    style.fillColor = data.dvdBorderFillColor();
    return style;
}

TempDvdDataRef getMenuItemImageDrawData(const DVDLibrary *disc)
{
    if (disc) {
        if (TempDvdDataRef carried = TempDvdData::carriedBy(*disc))
            return carried;
    }
    if (!platform::isMainThread())
        return nullptr;
    const auto controller = ControllerFunction::mainWndController();
    return controller ? controller->tempDvdData() : nullptr;
}

QColor colorForLayerName(const QString &name, const BorderStyle &style)
{
    if (name == kHighlight)
        return style.borderColor.isValid() ? style.borderColor.toRgb()
                                           : QColor::fromRgbF(0.2f, 0.2f, 0.7f, 0.7f);
    if (name == kSelect)
        return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.35f);
    if (name == kImage)
        return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.07f);
    return {};
}

LayerPaths layerPathsForMenu(const DVDMenu &page, QSizeF dvdSize, double borderWidth)
{
    LayerPaths paths;
    // Neighbouring buttons may touch once grown: winding keeps their union whole.
    paths.outer.setFillRule(Qt::WindingFill);
    paths.inner.setFillRule(Qt::WindingFill);
    for (const DVDMenuItemRef &item : page.items()) {
        if (!item || !item->isValid() || item->isStaticItem())
            continue;
        const QRectF r
            = DVDMenuMake::scaleRectMenuSizeFitSize(item->frame(), page.menuSize(), dvdSize)
                  .adjusted(-1.0, -1.0, 1.0, 1.0);
        // A negative or non-finite width from a damaged record draws no border at all.
        const double requested = std::isfinite(borderWidth) ? std::max(borderWidth, 0.0) : 0.0;
        qint64 b = qint64(std::min(requested, 1.0e6));
        b = qint64(std::min(double(b), r.width() * 0.3));
        b = qint64(std::min(double(b), r.height() * 0.3));
        const QRectF inside = r.adjusted(b, b, -b, -b);

        double q = item->isTextItem() ? textCornerRadius(*item, r) : item->roundValue();
        QPainterPath outerPath;
        QPainterPath innerPath;
        if (std::isfinite(q) && q > 0.9) {
            q = std::min(q, r.width() * 0.5);
            q = std::min(q, r.height() * 0.5);
            const double innerRadius = std::max(q - double(b), 0.0);
            outerPath.addRoundedRect(r, q, q);
            innerPath.addRoundedRect(inside, innerRadius, innerRadius);
        } else {
            outerPath.addRect(r);
            innerPath.addRect(inside);
        }
        paths.outer.addPath(outerPath);
        paths.inner.addPath(innerPath);
    }
    return paths;
}

void drawLayer(const DVDMenuImageGenerator &generator,
               const QString &name,
               const BorderStyle &style,
               QPainter &context)
{
    const QColor colour = colorForLayerName(name, style);
    if (!colour.isValid())
        return;
    if (name == kImage) {
        // The rest-state layer shows nothing; one almost clear pixel keeps the picture non-empty.
        context.save();
        context.setRenderHint(QPainter::Antialiasing, false);
        context.fillRect(QRectF(200, 200, 1, 1), colour);
        context.restore();
        return;
    }
    const DVDMenuRef page = generator.menu();
    if (!page)
        return;
    const LayerPaths paths
        = layerPathsForMenu(*page, QSizeF(generator.getDVDVideoFormatSize()), style.borderWidth);

    context.save();
    context.setRenderHint(QPainter::Antialiasing, false);
    context.setPen(Qt::NoPen);
    context.fillPath(paths.outer, colour);
    if (name == kHighlight) {
        context.setCompositionMode(QPainter::CompositionMode_Clear);
        context.fillPath(paths.inner, Qt::transparent);
        if (style.useFill && style.fillColor.isValid()) {
            context.setCompositionMode(QPainter::CompositionMode_Source);
            context.fillPath(paths.inner, style.fillColor.toRgb());
        }
    }
    context.restore();
}

void drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                              QSizeF,
                              const QString &name,
                              QPainter &context)
{
    // Without a project the record's own defaults apply.
    TempDvdDataRef data = getMenuItemImageDrawData(generator.dvd().get());
    if (!data)
        data = std::make_shared<TempDvdData>();
    const BorderStyle style = BorderStyle::fromTempDvdData(*data);
    drawLayer(generator, name, style, context);
}

} // namespace DVDMenuImageGeneratorCustomImage
