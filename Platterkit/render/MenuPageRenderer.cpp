#include "Platterkit/render/MenuPageRenderer.h"

#include "Platterkit/model/DLCustomDrawer.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/render/RenderLog.h"
#include "Platterkit/render/ShadowBlur.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace Platterkit::render {
namespace {

// Blur beyond this many points looks the same as no shadow at all and only costs time.
constexpr double kMaxShadowBlur = 256.0;

// The shadow of picture drawn into dest under the painter's current transform, composited at the
// shadow's offset (y up, in device pixels, unaffected by the element's rotation).
void drawShadow(QPainter &painter,
                const QRectF &dest,
                const QImage &picture,
                const DLShadow &shadow)
{
    const QTransform toDevice = painter.deviceTransform();
    if (!std::isfinite(shadow.offset.x()) || !std::isfinite(shadow.offset.y()))
        return;
    const double blur = std::isfinite(shadow.blurRadius)
                            ? std::clamp(shadow.blurRadius, 0.0, kMaxShadowBlur)
                            : 0.0;
    const int margin = static_cast<int>(std::ceil(blur * 1.5)) + 2;
    // A shadow cast from beyond the page by more than a bitmap side can never reach it.
    const double reach = std::min<double>(
        margin + std::max(std::fabs(shadow.offset.x()), std::fabs(shadow.offset.y())),
        kMaxBitmapSide);
    const QRectF device(0, 0, painter.device()->width(), painter.device()->height());
    // Only the part that can land on the page is worth blurring.
    const QRectF reachable = toDevice.mapRect(dest)
                                 .adjusted(-margin, -margin, margin, margin)
                                 .intersected(device.adjusted(-reach, -reach, reach, reach));
    // A turn by a non-finite angle leaves nothing to cast a shadow from.
    if (!std::isfinite(reachable.x()) || !std::isfinite(reachable.y())
        || !std::isfinite(reachable.width()) || !std::isfinite(reachable.height()))
        return;
    const QRect area = reachable.toAlignedRect();
    if (area.isEmpty() || area.width() > kMaxBitmapSide || area.height() > kMaxBitmapSide)
        return;
    QImage coverage(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (coverage.isNull())
        return;
    coverage.fill(Qt::transparent);
    {
        QPainter layer(&coverage);
        layer.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        layer.setWorldTransform(toDevice * QTransform::fromTranslate(-area.x(), -area.y()));
        drawImageUpright(layer, dest, picture);
    }
    const QImage cast = shadowImage(coverage, shadow.color, blur);
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(area.x() + shadow.offset.x(), area.y() - shadow.offset.y()), cast);
    painter.restore();
}

} // namespace

void drawElementImage(QPainter &painter, const DVDMenuElement &element, const QImage &picture)
{
    if (picture.isNull())
        return;
    const QRectF frame = element.frame();
    const QRectF box = insetRect(frame, kElementInset, kElementInset);
    const QRectF dest = scaleRectIn(QRectF(0, 0, picture.width(), picture.height()), box);
    if (!(dest.width() > 1.0) || !(dest.height() > 1.0))
        return;
    painter.save();
    painter.setWorldTransform(rotationAboutCentre(frame, element.rotation()), true);
    painter.setOpacity(1.0);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const DLShadow shadow = element.shadow();
    if (shadow.isVisible())
        drawShadow(painter, dest, picture, shadow);
    drawImageUpright(painter, dest, picture);
    painter.restore();
}

void drawBackgroundImage(
    QPainter &painter, const QImage &picture, const QRectF &rect, qint64 mode, const QRectF &part)
{
    if (picture.isNull())
        return;
    const QRectF whole(0, 0, picture.width(), picture.height());
    QRectF dest = rect;
    if (mode == 1)
        dest = scaleRectFull(whole, rect);
    else if (mode == 0)
        dest = scaleRectIn(whole, rect);
    painter.save();
    painter.setOpacity(1.0);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawImageUpright(painter, dest, picture, part);
    painter.restore();
}

QImage pageImageAtTime(DVDMenu &menu, qint64 timeUs)
{
    MenuBitmap bitmap(menu.menuSize());
    if (bitmap.isNull())
        return QImage();
    QPainter &painter = *bitmap.painter();
    painter.fillRect(bitmap.bounds(), Qt::black);

    const QList<std::shared_ptr<DVDMenuItem>> items = menu.items();
    const auto drawLayer = [&](bool behind) {
        for (const auto &item : items) {
            if (item && item->itemBehind() == behind)
                drawElementImage(painter, *item, item->imageAtTime(timeUs));
        }
    };

    drawLayer(true);
    const QRectF pageRect(QPointF(0, 0), menu.menuSize());
    DLCustomDrawer *drawer = menu.use_menu_drawer() ? menu.customDrawer() : nullptr;
    if (drawer) {
        painter.save();
        drawer->drawInRectAtTime(&painter, pageRect, timeUs);
        painter.restore();
    } else {
        if (menu.use_menu_drawer() && menu.menu_drawer())
            qCDebug(lcRender) << "page" << menu.identifier()
                              << "has a background drawer that cannot draw; using its picture";
        drawBackgroundImage(painter,
                            menu.backgroundImage(),
                            pageRect,
                            menu.backgroundImageDrawMode(),
                            menu.backgroundImageRect());
    }
    drawLayer(false);
    return bitmap.finish();
}

} // namespace Platterkit::render
