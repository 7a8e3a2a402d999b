#include "PagePreview.h"

#include "ArtKit.h"
#include "ButtonArt.h"
#include "FrameArt.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <cmath>

namespace templategen {

namespace {

// A calm little landscape standing in for a title's video.
void paintStandIn(QPainter &p, const QRectF &r)
{
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(120, 150, 190));
    sky.setColorAt(1, QColor(200, 215, 230));
    p.fillRect(r, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 200));
    p.drawEllipse(QPointF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.3),
                  r.height() * 0.1,
                  r.height() * 0.1);
    QPainterPath hills;
    hills.moveTo(r.bottomLeft());
    hills.lineTo(r.left(), r.top() + r.height() * 0.7);
    hills.quadTo(r.left() + r.width() * 0.3,
                 r.top() + r.height() * 0.45,
                 r.left() + r.width() * 0.55,
                 r.top() + r.height() * 0.72);
    hills.quadTo(r.left() + r.width() * 0.8,
                 r.top() + r.height() * 0.55,
                 r.right(),
                 r.top() + r.height() * 0.68);
    hills.lineTo(r.bottomRight());
    hills.closeSubpath();
    p.fillPath(hills, QColor(90, 120, 110));
}

// Fits size inside box, centred, keeping its aspect.
QRectF fitInside(QSizeF size, const QRectF &box)
{
    const double s = std::max({size.width() / box.width(), size.height() / box.height(), 0.01});
    const QSizeF fitted = size / s;
    return QRectF(box.x() + (box.width() - fitted.width()) / 2,
                  box.y() + (box.height() - fitted.height()) / 2,
                  fitted.width(),
                  fitted.height());
}

const FrameArt &frameArt(const QString &name)
{
    static QHash<QString, FrameArt> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, drawFrame(name));
    return *it;
}

// A rectangle stored y-up in fractions of the page, in y-down page points.
QRectF toPage(const QRectF &fraction, QSizeF page)
{
    const double w = fraction.width() * page.width();
    const double h = fraction.height() * page.height();
    const double x = fraction.x() * page.width();
    const double y = page.height() - fraction.y() * page.height() - h;
    return QRectF(x, y, w, h);
}

} // namespace

QImage renderPage(const TemplateSpec &spec, const QImage &background, bool wide)
{
    const QSizeF size = pageSize(wide);
    QImage page(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::black);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    // The background fills the page, keeping its aspect; the 4:3 page loses the sides.
    const double cover
        = std::min(background.width() / size.width(), background.height() / size.height());
    const QSizeF drawn = QSizeF(background.size()) / cover;
    p.drawImage(QRectF((size.width() - drawn.width()) / 2,
                       (size.height() - drawn.height()) / 2,
                       drawn.width(),
                       drawn.height()),
                background);

    const PageLayout layout = layoutFor(spec, wide);
    const FrameArt &art = frameArt(spec.frame);
    for (const QRectF &fraction : layout.frames) {
        const QRectF slot = toPage(fraction, size);
        const QSize canvasSize(int(std::ceil(slot.width())), int(std::ceil(slot.height())));
        QImage element = newCanvas(canvasSize.width(), canvasSize.height());
        {
            QPainter e(&element);
            e.setRenderHint(QPainter::SmoothPixmapTransform);
            const QRectF r(QPointF(0, 0), QSizeF(canvasSize));
            e.save();
            e.setClipRect(r.adjusted(5, 5, -5, -5));
            paintStandIn(e, r.adjusted(5, 5, -5, -5));
            e.restore();
            e.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            e.drawImage(r, art.mask);
            e.setCompositionMode(QPainter::CompositionMode_SourceOver);
            e.drawImage(r, art.frame);
        }
        p.drawImage(fitInside(QSizeF(canvasSize), slot.adjusted(2, 2, -2, -2)), element);
    }

    const ButtonSet *set = findButtonSet(spec.buttonSet);
    if (set) {
        const std::pair<QPointF, ButtonGlyph> buttons[] = {{layout.previous, ButtonGlyph::Previous},
                                                           {layout.next, ButtonGlyph::Next},
                                                           {layout.play, ButtonGlyph::Play}};
        for (const auto &[origin, glyph] : buttons) {
            const QRectF box
                = toPage(QRectF(origin, QSizeF(80.0 / size.width(), 50.0 / size.height())), size);
            const QImage image = drawButton(*set, glyph);
            p.drawImage(fitInside(QSizeF(image.size()), box.adjusted(2, 2, -2, -2)), image);
        }
    }
    p.end();
    return page;
}

} // namespace templategen
