#include "FrameArt.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace templategen {

namespace {

const QRectF kFull(0, 0, kFrameWidth, kFrameHeight);

// The mask: everything opaque except the window, grown by `reach` pixels so the video runs under the
// frame's inner edge.
QImage maskFor(const QPainterPath &window, double reach)
{
    QImage mask = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath grown = window;
    if (reach > 0) {
        QPainterPathStroker stroker;
        stroker.setWidth(2 * reach);
        stroker.setJoinStyle(Qt::RoundJoin);
        grown = window.united(stroker.createStroke(window)).simplified();
    }
    QPainterPath outside;
    outside.addRect(kFull);
    p.fillPath(outside.subtracted(grown), Qt::black);
    return mask;
}

QPainterPath roundedRect(const QRectF &r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath roundedRect(const QRectF &r, double rx, double ry)
{
    QPainterPath path;
    path.addRoundedRect(r, rx, ry);
    return path;
}

QLinearGradient goldGradient(const QPointF &from, const QPointF &to)
{
    QLinearGradient g(from, to);
    g.setColorAt(0.00, QColor(255, 240, 180));
    g.setColorAt(0.25, QColor(214, 164, 62));
    g.setColorAt(0.50, QColor(255, 226, 140));
    g.setColorAt(0.75, QColor(170, 118, 34));
    g.setColorAt(1.00, QColor(240, 204, 120));
    return g;
}

FrameArt whiteFrame()
{
    FrameArt art;
    const QRectF outer = kFull.adjusted(6, 5, -6, -8);
    const QRectF hole = outer.adjusted(16, 16, -16, -16);
    art.window.addRect(hole);
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath border;
    border.addRect(outer);
    border = border.subtracted(art.window);
    drawSoftShape(p, border, QColor(0, 0, 0, 120), 3, QPointF(0, 3));
    QLinearGradient paper(outer.topLeft(), outer.bottomRight());
    paper.setColorAt(0, QColor(255, 255, 255));
    paper.setColorAt(1, QColor(232, 232, 228));
    p.fillPath(border, paper);
    // A fine bevel line where the paper meets the picture.
    p.setPen(QPen(QColor(0, 0, 0, 60), 1.5));
    p.drawRect(hole.adjusted(-0.75, -0.75, 0.75, 0.75));
    art.mask = maskFor(art.window, 2);
    return art;
}

FrameArt goldFrame()
{
    FrameArt art;
    const QRectF outer = kFull.adjusted(5, 5, -5, -7);
    const QRectF hole = outer.adjusted(17, 17, -17, -17);
    art.window.addRect(hole);
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath border;
    border.addRect(outer);
    border = border.subtracted(art.window);
    drawSoftShape(p, border, QColor(0, 0, 0, 140), 3, QPointF(0, 3));
    p.fillPath(border, goldGradient(outer.topLeft(), outer.bottomRight()));
    // Raised moulding: a dark groove and a bright bead run around the middle of the border.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 70, 10, 170), 2.0));
    p.drawRect(outer.adjusted(6, 6, -6, -6));
    p.setPen(QPen(QColor(255, 248, 210, 200), 1.2));
    p.drawRect(outer.adjusted(8, 8, -8, -8));
    p.setPen(QPen(QColor(90, 55, 5, 200), 1.5));
    p.drawRect(hole.adjusted(-0.75, -0.75, 0.75, 0.75));
    p.drawRect(outer.adjusted(0.75, 0.75, -0.75, -0.75));
    // Corner rosettes.
    for (const QPointF &c : {outer.topLeft() + QPointF(8.5, 8.5),
                             outer.topRight() + QPointF(-8.5, 8.5),
                             outer.bottomLeft() + QPointF(8.5, -8.5),
                             outer.bottomRight() + QPointF(-8.5, -8.5)}) {
        QRadialGradient knob(c - QPointF(1.5, 1.5), 7);
        knob.setColorAt(0, QColor(255, 250, 220));
        knob.setColorAt(1, QColor(160, 108, 28));
        p.setPen(QPen(QColor(90, 55, 5, 200), 1));
        p.setBrush(knob);
        p.drawEllipse(c, 6, 6);
    }
    art.mask = maskFor(art.window, 2);
    return art;
}

FrameArt roundedFrame()
{
    FrameArt art;
    const QRectF outer = kFull.adjusted(6, 5, -6, -8);
    const QRectF hole = outer.adjusted(12, 12, -12, -12);
    art.window = roundedRect(hole, 16);
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath border = roundedRect(outer, 26).subtracted(art.window);
    drawSoftShape(p, border, QColor(0, 0, 0, 110), 3, QPointF(0, 3));
    QLinearGradient fill(outer.topLeft(), outer.bottomLeft());
    fill.setColorAt(0, QColor(255, 255, 255));
    fill.setColorAt(1, QColor(226, 236, 246));
    p.fillPath(border, fill);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 230), 2.5));
    p.drawPath(roundedRect(hole.adjusted(-4, -4, 4, 4), 19));
    p.setPen(QPen(QColor(40, 80, 140, 90), 1.5));
    p.drawPath(roundedRect(hole.adjusted(-0.75, -0.75, 0.75, 0.75), 16.5));
    art.mask = maskFor(art.window, 2);
    return art;
}

FrameArt filmFrame()
{
    FrameArt art;
    const QRectF outer = kFull.adjusted(4, 4, -4, -6);
    const double band = 26.0;
    const QRectF hole = outer.adjusted(10, band, -10, -band);
    art.window.addRect(hole);
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath strip;
    strip.addRoundedRect(outer, 4, 4);
    strip = strip.subtracted(art.window);
    // Sprocket holes are cut out of the strip, so the page shows through them.
    const double holeW = 12, holeH = 10;
    const int count = 13;
    const double step = outer.width() / count;
    for (int i = 0; i < count; ++i) {
        const double x = outer.left() + step * (i + 0.5) - holeW / 2;
        for (const double y :
             {outer.top() + (band - holeH) / 2, outer.bottom() - band + (band - holeH) / 2})
            strip = strip.subtracted(roundedRect(QRectF(x, y, holeW, holeH), 2.5, 2.5));
    }
    drawSoftShape(p, strip, QColor(0, 0, 0, 110), 2, QPointF(0, 2));
    QLinearGradient film(outer.topLeft(), outer.bottomLeft());
    film.setColorAt(0, QColor(44, 40, 38));
    film.setColorAt(0.5, QColor(22, 20, 20));
    film.setColorAt(1, QColor(44, 40, 38));
    p.fillPath(strip, film);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(hole.adjusted(-1.5, -1.5, 1.5, 1.5));
    art.mask = maskFor(art.window, 1.5);
    return art;
}

FrameArt ovalFrame()
{
    FrameArt art;
    const QRectF outer = kFull.adjusted(5, 5, -5, -7);
    const QRectF hole = outer.adjusted(22, 14, -22, -14);
    art.window.addEllipse(hole);
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath mat = roundedRect(outer, 10).subtracted(art.window);
    drawSoftShape(p, mat, QColor(0, 0, 0, 120), 3, QPointF(0, 3));
    QLinearGradient cream(outer.topLeft(), outer.bottomRight());
    cream.setColorAt(0, QColor(252, 246, 232));
    cream.setColorAt(1, QColor(232, 220, 196));
    p.fillPath(mat, cream);
    // A gilded ring around the opening, with a thin shadow inside it.
    QPainterPath ring;
    ring.addEllipse(hole.adjusted(-6, -6, 6, 6));
    ring = ring.subtracted(art.window);
    p.fillPath(ring, goldGradient(hole.topLeft(), hole.bottomRight()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 70, 10, 180), 1.2));
    p.drawEllipse(hole.adjusted(-6, -6, 6, 6));
    p.drawEllipse(hole.adjusted(-0.6, -0.6, 0.6, 0.6));
    p.setPen(QPen(QColor(190, 160, 110, 160), 1.2));
    p.drawRoundedRect(outer.adjusted(5, 5, -5, -5), 6, 6);
    art.mask = maskFor(art.window, 2);
    return art;
}

FrameArt scallopFrame()
{
    FrameArt art;
    const QRectF outer = kFull.adjusted(10, 9, -10, -12);
    const QRectF hole = outer.adjusted(10, 10, -10, -10);
    art.window = roundedRect(hole, 10);
    // A cloud-like edge: circles strung along the outline of the border.
    QPainterPath edge = roundedRect(outer, 12);
    const double r = 8.0;
    auto bead = [&](QPointF c) {
        QPainterPath circle;
        circle.addEllipse(c, r, r);
        edge = edge.united(circle);
    };
    const int across = 15, down = 9;
    for (int i = 0; i <= across; ++i) {
        const double x = outer.left() + outer.width() * i / across;
        bead({x, outer.top()});
        bead({x, outer.bottom()});
    }
    for (int i = 1; i < down; ++i) {
        const double y = outer.top() + outer.height() * i / down;
        bead({outer.left(), y});
        bead({outer.right(), y});
    }
    edge = edge.simplified();
    const QPainterPath border = edge.subtracted(art.window);
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    drawSoftShape(p, border, QColor(0, 0, 0, 100), 3, QPointF(0, 3));
    p.fillPath(border, QColor(255, 253, 245));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 183, 77), 3.0));
    p.drawPath(roundedRect(hole.adjusted(-3.5, -3.5, 3.5, 3.5), 13));
    p.setPen(QPen(QColor(120, 90, 60, 70), 1.2));
    p.drawPath(edge);
    art.mask = maskFor(art.window, 1.5);
    return art;
}

FrameArt glowFrame()
{
    // A soft vignette rather than a border: the mask fades in from the edge, so the picture melts
    // into the page; the frame adds a faint light rim.
    FrameArt art;
    const QRectF hole = kFull.adjusted(14, 14, -14, -14);
    art.window = roundedRect(hole, 14);
    art.mask = newCanvas(kFrameWidth, kFrameHeight);
    {
        QImage solid = newCanvas(kFrameWidth, kFrameHeight);
        QPainter p(&solid);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath outside;
        outside.addRect(kFull.adjusted(-30, -30, 30, 30));
        p.fillPath(outside.subtracted(roundedRect(hole.adjusted(4, 4, -4, -4), 12)), Qt::black);
        p.end();
        blur(solid, 6);
        // Keep the picture's outermost pixels fully erased whatever the blur left there.
        QPainter fix(&solid);
        QPainterPath rim;
        rim.addRect(kFull);
        rim = rim.subtracted(roundedRect(kFull.adjusted(6, 6, -6, -6), 10));
        fix.fillPath(rim, Qt::black);
        fix.end();
        art.mask = solid;
    }
    art.frame = newCanvas(kFrameWidth, kFrameHeight);
    QPainter p(&art.frame);
    p.setRenderHint(QPainter::Antialiasing);
    QImage rim = newCanvas(kFrameWidth, kFrameHeight);
    {
        QPainter r(&rim);
        r.setRenderHint(QPainter::Antialiasing);
        r.setPen(QPen(QColor(255, 255, 255, 200), 3));
        r.setBrush(Qt::NoBrush);
        r.drawPath(roundedRect(hole.adjusted(-2, -2, 2, 2), 16));
    }
    blur(rim, 3);
    p.drawImage(0, 0, rim);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedRect(hole.adjusted(-2, -2, 2, 2), 16));
    return art;
}

} // namespace

QStringList frameNames()
{
    return {"white", "gold", "rounded", "film", "oval", "scallop", "glow"};
}

FrameArt drawFrame(const QString &name)
{
    if (name == "white")
        return whiteFrame();
    if (name == "gold")
        return goldFrame();
    if (name == "rounded")
        return roundedFrame();
    if (name == "film")
        return filmFrame();
    if (name == "oval")
        return ovalFrame();
    if (name == "scallop")
        return scallopFrame();
    if (name == "glow")
        return glowFrame();
    return {};
}

} // namespace templategen
