#include "ButtonArt.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QPainter>

namespace templategen {

const QList<ButtonSet> &buttonSets()
{
    static const QList<ButtonSet> sets = {
        {"Candy",
         ButtonShape::Pill,
         QColor(255, 138, 101),
         QColor(236, 64, 122),
         Qt::white,
         QColor(255, 255, 255, 150)},
        {"Aqua",
         ButtonShape::Pill,
         QColor(79, 195, 247),
         QColor(21, 101, 192),
         Qt::white,
         QColor(255, 255, 255, 140)},
        {"Leaf",
         ButtonShape::RoundedSquare,
         QColor(156, 204, 101),
         QColor(46, 125, 50),
         Qt::white,
         QColor(255, 255, 255, 120)},
        {"Gold",
         ButtonShape::Pill,
         QColor(255, 236, 170),
         QColor(196, 142, 46),
         QColor(74, 46, 12),
         QColor(120, 80, 20, 200)},
        {"Glass",
         ButtonShape::Glass,
         QColor(255, 255, 255, 70),
         QColor(255, 255, 255, 25),
         Qt::white,
         QColor(255, 255, 255, 210)},
    };
    return sets;
}

const ButtonSet *findButtonSet(const QString &name)
{
    for (const ButtonSet &set : buttonSets()) {
        if (set.name == name)
            return &set;
    }
    return nullptr;
}

namespace {

QPainterPath bodyPath(ButtonShape shape, const QRectF &body)
{
    QPainterPath path;
    const double radius = shape == ButtonShape::RoundedSquare ? 11.0 : body.height() / 2.0;
    path.addRoundedRect(body, radius, radius);
    return path;
}

// The glyphs share one optical centre and size so the three buttons read as a row.
QPainterPath glyphPath(ButtonGlyph glyph, const QPointF &c)
{
    QPainterPath path;
    if (glyph == ButtonGlyph::Play) {
        path.moveTo(c.x() - 7.5, c.y() - 11.0);
        path.lineTo(c.x() + 12.0, c.y());
        path.lineTo(c.x() - 7.5, c.y() + 11.0);
        path.closeSubpath();
        return path;
    }
    // An arrow: a short shaft and a broad head, pointing right; mirrored for "previous".
    QPolygonF arrow;
    arrow << QPointF(-13, -4) << QPointF(1, -4) << QPointF(1, -11) << QPointF(14, 0)
          << QPointF(1, 11) << QPointF(1, 4) << QPointF(-13, 4);
    const double sx = glyph == ButtonGlyph::Previous ? -1.0 : 1.0;
    for (QPointF &p : arrow)
        p = QPointF(c.x() + sx * p.x(), c.y() + p.y());
    path.addPolygon(arrow);
    path.closeSubpath();
    return path;
}

QPainterPath roundedGlyph(const QPainterPath &path)
{
    // Stroking with round joins softens the arrow tips the way a drawn icon would.
    QPainterPathStroker stroker;
    stroker.setWidth(3.0);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::RoundCap);
    return path.united(stroker.createStroke(path)).simplified();
}

} // namespace

QImage drawButton(const ButtonSet &set, ButtonGlyph glyph)
{
    QImage image = newCanvas(kButtonWidth, kButtonHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF body(4.5, 3.5, kButtonWidth - 9.0, kButtonHeight - 10.0);
    const QPainterPath shape = bodyPath(set.shape, body);

    drawSoftShape(
        p, shape, QColor(0, 0, 0, set.shape == ButtonShape::Glass ? 90 : 120), 2, QPointF(0, 2));
    if (set.shape == ButtonShape::Glass) {
        // A dark tint under the frosted fill keeps the white glyph readable on light pages too.
        p.fillPath(shape, QColor(10, 20, 40, 110));
    }
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, set.top);
    fill.setColorAt(1.0, set.bottom);
    p.fillPath(shape, fill);

    // Gloss: a lighter band over the upper half.
    QPainterPath gloss;
    const QRectF glossRect = body.adjusted(3, 2, -3, -body.height() * 0.5);
    const double glossRadius
        = set.shape == ButtonShape::RoundedSquare ? 8.0 : glossRect.height() / 2;
    gloss.addRoundedRect(glossRect, glossRadius, glossRadius);
    QLinearGradient glossFill(glossRect.topLeft(), glossRect.bottomLeft());
    glossFill.setColorAt(0.0, QColor(255, 255, 255, 110));
    glossFill.setColorAt(1.0, QColor(255, 255, 255, 10));
    p.fillPath(gloss, glossFill);

    if (set.outline.alpha() > 0) {
        p.setPen(QPen(set.outline, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shape);
    }

    const QPainterPath mark = roundedGlyph(glyphPath(glyph, body.center() + QPointF(0, 0.5)));
    const bool darkGlyph = set.glyph.lightness() < 128;
    drawSoftShape(p,
                  mark,
                  darkGlyph ? QColor(255, 255, 255, 120) : QColor(0, 0, 0, 110),
                  1,
                  QPointF(0, darkGlyph ? 1.0 : 1.2));
    p.fillPath(mark, set.glyph);
    return image;
}

} // namespace templategen
