// Backgrounds built from repeated or scattered shapes rather than a scene.

#include "BackgroundPainters.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace templategen::detail {

void paintSunburst(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    const QPointF centre(W / 2, H * 0.58);
    const int rays = 28;
    const double reach = W;
    for (int i = 0; i < rays; i += 2) {
        const double a0 = 2 * M_PI * i / rays;
        const double a1 = 2 * M_PI * (i + 1) / rays;
        QPainterPath ray;
        ray.moveTo(centre);
        ray.lineTo(centre + QPointF(std::cos(a0), std::sin(a0)) * reach);
        ray.lineTo(centre + QPointF(std::cos(a1), std::sin(a1)) * reach);
        ray.closeSubpath();
        p.fillPath(ray, withAlpha(t.accent1, 0.35));
    }
    QRadialGradient glow(centre, H * 0.75);
    glow.setColorAt(0, withAlpha(t.accent2, 0.95));
    glow.setColorAt(0.35, withAlpha(t.accent2, 0.45));
    glow.setColorAt(1, withAlpha(t.accent2, 0.0));
    p.fillRect(QRectF(0, 0, W, H), glow);
    // A few soft sparkles drifting out of the centre.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 26; ++i) {
        const double a = rng.uniform(0, 2 * M_PI);
        const double d = rng.uniform(H * 0.35, W * 0.55);
        const double r = rng.uniform(3, 9);
        p.setBrush(withAlpha(t.accent3, rng.uniform(0.35, 0.7)));
        p.drawEllipse(centre + QPointF(std::cos(a) * d, std::sin(a) * d * 0.8), r, r);
    }
}

void paintBubbles(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    QRadialGradient light(QPointF(W * 0.5, -H * 0.2), H * 1.1);
    light.setColorAt(0, withAlpha(Qt::white, 0.35));
    light.setColorAt(1, withAlpha(Qt::white, 0));
    p.fillRect(QRectF(0, 0, W, H), light);
    for (int i = 0; i < 46; ++i) {
        const double r = std::pow(rng.uniform(0, 1), 2.0) * 46 + 6;
        const QPointF c(rng.uniform(-20, W + 20), rng.uniform(-20, H + 20));
        QRadialGradient body(c, r);
        body.setColorAt(0.0, withAlpha(t.accent1, 0.05));
        body.setColorAt(0.8, withAlpha(t.accent1, 0.18));
        body.setColorAt(0.97, withAlpha(Qt::white, 0.55));
        body.setColorAt(1.0, withAlpha(Qt::white, 0.0));
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawEllipse(c, r, r);
        // The window reflection at the upper left.
        p.setBrush(withAlpha(Qt::white, 0.55));
        p.save();
        p.translate(c + QPointF(-r * 0.38, -r * 0.42));
        p.rotate(-35);
        p.drawEllipse(QPointF(0, 0), r * 0.22, r * 0.12);
        p.restore();
    }
}

void paintCandyStripes(QPainter &p, const Theme &t, Rng &)
{
    fillVertical(p, t.top, t.bottom);
    p.save();
    p.translate(W / 2, H / 2);
    p.rotate(-30);
    const double stripe = 46;
    for (double x = -W; x < W; x += stripe * 2)
        p.fillRect(QRectF(x, -W, stripe, 2 * W), withAlpha(t.accent1, 0.45));
    // A thin bright edge on each stripe gives it a ribbon feel.
    for (double x = -W; x < W; x += stripe * 2)
        p.fillRect(QRectF(x + stripe - 3, -W, 3, 2 * W), withAlpha(Qt::white, 0.25));
    p.restore();
    QRadialGradient calm(QPointF(W / 2, H * 0.5), W * 0.55);
    calm.setColorAt(0, withAlpha(t.accent2, 0.85));
    calm.setColorAt(0.6, withAlpha(t.accent2, 0.35));
    calm.setColorAt(1, withAlpha(t.accent2, 0.0));
    p.fillRect(QRectF(0, 0, W, H), calm);
    // Scalloped bunting along the top edge.
    const int flags = 15;
    for (int i = 0; i < flags; ++i) {
        const double x0 = W * i / flags;
        const double x1 = W * (i + 1) / flags;
        QPainterPath flag;
        flag.moveTo(x0, -2);
        flag.lineTo(x1, -2);
        flag.lineTo((x0 + x1) / 2, 34);
        flag.closeSubpath();
        p.fillPath(flag, i % 3 == 0 ? t.accent3 : (i % 3 == 1 ? t.accent1 : Qt::white));
    }
    QPainterPath cord;
    cord.moveTo(0, 0);
    cord.lineTo(W, 0);
    p.setPen(QPen(withAlpha(Qt::black, 0.25), 3));
    p.drawPath(cord);
}

void paintConfetti(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    const QColor colours[] = {t.accent1, t.accent2, t.accent3, mix(t.accent1, t.accent2, 0.5)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 260; ++i) {
        const QPointF c(rng.uniform(0, W), rng.uniform(0, H));
        // Fewer pieces in the middle, where the title frames sit.
        const double dx = (c.x() - W / 2) / (W / 2);
        const double dy = (c.y() - H / 2) / (H / 2);
        if (dx * dx + dy * dy < 0.55 && rng.uniform(0, 1) < 0.8)
            continue;
        p.save();
        p.translate(c);
        p.rotate(rng.uniform(0, 180));
        const QColor colour = withAlpha(colours[rng.range(0, 4)], rng.uniform(0.7, 1.0));
        p.setBrush(colour);
        switch (rng.range(0, 3)) {
        case 0:
            p.drawRect(QRectF(-5, -2.5, 10, 5));
            break;
        case 1:
            p.drawEllipse(QPointF(0, 0), 4, 4);
            break;
        default: {
            QPainterPath curl;
            curl.moveTo(-9, 0);
            curl.cubicTo(-4, -7, 0, 7, 4, 0);
            curl.cubicTo(6, -3, 8, -3, 10, 0);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(colour, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(curl);
            p.setPen(Qt::NoPen);
        }
        }
        p.restore();
    }
}

void paintPolka(QPainter &p, const Theme &t, Rng &)
{
    fillVertical(p, t.top, t.bottom);
    const double step = 34;
    p.setPen(Qt::NoPen);
    int row = 0;
    for (double y = -step; y < H + step; y += step * 0.866, ++row) {
        for (double x = (row % 2) * step / 2 - step; x < W + step; x += step) {
            // Halftone: dots grow toward the lower corners and fade out behind the middle.
            const double dx = (x - W / 2) / (W / 2);
            const double dy = (y - H * 0.45) / (H / 2);
            const double d = std::min(1.0, std::sqrt(dx * dx * 0.8 + dy * dy));
            const double r = 2 + 9 * d * d;
            p.setBrush(withAlpha(t.accent1, 0.25 + 0.45 * d));
            p.drawEllipse(QPointF(x, y), r, r);
        }
    }
    QRadialGradient glow(QPointF(W / 2, H * 0.45), W * 0.45);
    glow.setColorAt(0, withAlpha(t.accent2, 0.6));
    glow.setColorAt(1, withAlpha(t.accent2, 0.0));
    p.fillRect(QRectF(0, 0, W, H), glow);
}

void paintBokeh(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    for (int layer = 0; layer < 2; ++layer) {
        QImage lights = newCanvas(int(W), int(H));
        {
            QPainter lp(&lights);
            lp.setRenderHint(QPainter::Antialiasing);
            lp.setPen(Qt::NoPen);
            const int count = layer == 0 ? 40 : 26;
            for (int i = 0; i < count; ++i) {
                // Lights gather in a loose diagonal band, as city lights out of focus would.
                const double u = rng.uniform(0, 1);
                const QPointF c(u * W, H * (0.85 - 0.6 * u) + rng.uniform(-H * 0.3, H * 0.3));
                const double r = layer == 0 ? rng.uniform(14, 40) : rng.uniform(6, 18);
                const QColor colour = rng.uniform(0, 1) < 0.6 ? t.accent1 : t.accent2;
                lp.setBrush(withAlpha(
                    colour, layer == 0 ? rng.uniform(0.15, 0.35) : rng.uniform(0.4, 0.75)));
                lp.drawEllipse(c, r, r);
                if (layer == 1) {
                    lp.setBrush(Qt::NoBrush);
                    lp.setPen(QPen(withAlpha(t.accent3, 0.5), 1.2));
                    lp.drawEllipse(c, r, r);
                    lp.setPen(Qt::NoPen);
                }
            }
        }
        blur(lights, layer == 0 ? 7 : 2);
        p.drawImage(0, 0, lights);
    }
    QLinearGradient sheen(0, H * 0.2, W, H * 0.8);
    sheen.setColorAt(0, withAlpha(t.accent3, 0.0));
    sheen.setColorAt(0.5, withAlpha(t.accent3, 0.12));
    sheen.setColorAt(1, withAlpha(t.accent3, 0.0));
    p.fillRect(QRectF(0, 0, W, H), sheen);
}

namespace {

// One damask motif: a four-petal flower with leaves and a diamond around it, centred at 0,0.
QPainterPath damaskMotif(double s)
{
    QPainterPath motif;
    for (int i = 0; i < 4; ++i) {
        QPainterPath petal;
        petal.moveTo(0, 0);
        petal.cubicTo(s * 0.25, -s * 0.15, s * 0.3, -s * 0.55, 0, -s * 0.7);
        petal.cubicTo(-s * 0.3, -s * 0.55, -s * 0.25, -s * 0.15, 0, 0);
        QTransform turn;
        turn.rotate(90 * i);
        motif = motif.united(turn.map(petal));
    }
    for (int i = 0; i < 4; ++i) {
        QPainterPath leaf;
        leaf.moveTo(s * 0.25, s * 0.25);
        leaf.quadTo(s * 0.75, s * 0.2, s * 0.8, s * 0.8);
        leaf.quadTo(s * 0.2, s * 0.75, s * 0.25, s * 0.25);
        QTransform turn;
        turn.rotate(90 * i);
        motif = motif.united(turn.map(leaf));
    }
    QPainterPath dot;
    dot.addEllipse(QPointF(0, 0), s * 0.12, s * 0.12);
    return motif.subtracted(dot);
}

} // namespace

void paintDamask(QPainter &p, const Theme &t, Rng &)
{
    QRadialGradient base(QPointF(W / 2, H * 0.45), W * 0.7);
    base.setColorAt(0, t.top);
    base.setColorAt(1, t.bottom);
    p.fillRect(QRectF(0, 0, W, H), base);
    const QPainterPath motif = damaskMotif(26);
    const double step = 76;
    int row = 0;
    for (double y = -step / 2; y < H + step; y += step / 2, ++row) {
        for (double x = (row % 2) * step / 2 - step / 2; x < W + step; x += step)
            p.fillPath(motif.translated(x, y), withAlpha(t.accent1, 0.22));
    }
    // Gilded double rule around the page.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(t.accent2, 0.85), 2));
    p.drawRect(QRectF(18, 16, W - 36, H - 32));
    p.setPen(QPen(withAlpha(t.accent2, 0.55), 1));
    p.drawRect(QRectF(25, 23, W - 50, H - 46));
    QRadialGradient calm(QPointF(W / 2, H / 2), W * 0.45);
    calm.setColorAt(0, withAlpha(t.top, 0.75));
    calm.setColorAt(1, withAlpha(t.top, 0.0));
    p.fillRect(QRectF(0, 0, W, H), calm);
}

void paintArtDeco(QPainter &p, const Theme &t, Rng &)
{
    fillVertical(p, t.top, t.bottom);
    p.setBrush(Qt::NoBrush);
    // Fans rising from the bottom corners and the middle of the top edge.
    auto fan = [&](QPointF origin, double startDeg, double spanDeg, double radius) {
        for (int i = 0; i < 7; ++i) {
            const double r = radius * (0.4 + 0.1 * i);
            p.setPen(QPen(withAlpha(t.accent1, 0.65 - 0.06 * i), i == 0 ? 2.5 : 1.2));
            p.drawArc(QRectF(origin.x() - r, origin.y() - r, 2 * r, 2 * r),
                      int(startDeg * 16),
                      int(spanDeg * 16));
        }
        for (int i = 0; i <= 8; ++i) {
            const double a = (startDeg + spanDeg * i / 8) * M_PI / 180;
            p.setPen(QPen(withAlpha(t.accent1, 0.35), 1));
            p.drawLine(origin + QPointF(std::cos(a), -std::sin(a)) * radius * 0.4,
                       origin + QPointF(std::cos(a), -std::sin(a)) * radius);
        }
    };
    fan(QPointF(0, H), 0, 90, 220);
    fan(QPointF(W, H), 90, 90, 220);
    fan(QPointF(W / 2, 0), 180, 180, 120);
    // Stepped gold rules along the top and bottom.
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(withAlpha(t.accent2, 0.7 - 0.18 * i), 1.5));
        const double inset = 120 + 30 * i;
        p.drawLine(QPointF(inset, 22 + 6 * i), QPointF(W - inset, 22 + 6 * i));
        p.drawLine(QPointF(inset + 60, H - 20 - 6 * i), QPointF(W - inset - 60, H - 20 - 6 * i));
    }
    p.setPen(QPen(withAlpha(t.accent2, 0.6), 1.5));
    p.drawRect(QRectF(12, 12, W - 24, H - 24));
    QRadialGradient calm(QPointF(W / 2, H / 2), W * 0.42);
    calm.setColorAt(0, withAlpha(t.accent3, 0.35));
    calm.setColorAt(1, withAlpha(t.accent3, 0.0));
    p.fillRect(QRectF(0, 0, W, H), calm);
}

void paintRibbons(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    // Each ribbon is a bundle of fine curves that twist together, like draped silk.
    const QColor colours[] = {t.accent1, t.accent2, t.accent3};
    for (int ribbon = 0; ribbon < 3; ++ribbon) {
        const double baseY = H * (0.22 + 0.3 * ribbon) + rng.uniform(-20, 20);
        const double amp = rng.uniform(40, 80);
        const double phase = rng.uniform(0, 2 * M_PI);
        const double twist = rng.uniform(0.8, 1.4);
        for (int strand = 0; strand < 34; ++strand) {
            const double s = strand / 33.0;
            QPainterPath path;
            for (int x = -20; x <= int(W) + 20; x += 6) {
                const double u = x / W * 2 * M_PI;
                const double y = baseY + amp * std::sin(u + phase)
                                 + 28 * (s - 0.5) * std::cos(twist * u * 1.5 + phase);
                if (x == -20)
                    path.moveTo(x, y);
                else
                    path.lineTo(x, y);
            }
            const double edge = 1.0 - std::abs(s - 0.5) * 2;
            p.setPen(QPen(withAlpha(colours[ribbon], 0.08 + 0.22 * edge), 1.1));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        }
    }
}

void paintLowPoly(QPainter &p, const Theme &t, Rng &rng)
{
    const int cols = 12, rows = 7;
    std::vector<QPointF> pts((cols + 1) * (rows + 1));
    for (int r = 0; r <= rows; ++r) {
        for (int c = 0; c <= cols; ++c) {
            const bool edgeX = c == 0 || c == cols;
            const bool edgeY = r == 0 || r == rows;
            pts[r * (cols + 1) + c] = QPointF(W * c / cols + (edgeX ? 0 : rng.uniform(-22, 22)),
                                              H * r / rows + (edgeY ? 0 : rng.uniform(-20, 20)));
        }
    }
    auto colourAt = [&](QPointF c) {
        // A diagonal blend of three colours, each facet lit a little differently.
        const double u = std::clamp((c.x() / W + c.y() / H) / 2, 0.0, 1.0);
        QColor base = u < 0.5 ? mix(t.top, t.accent1, u * 2) : mix(t.accent1, t.bottom, u * 2 - 1);
        return mix(base,
                   rng.uniform(0, 1) < 0.5 ? QColor(Qt::white) : QColor(Qt::black),
                   rng.uniform(0.0, 0.1));
    };
    p.setPen(Qt::NoPen);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const QPointF a = pts[r * (cols + 1) + c], b = pts[r * (cols + 1) + c + 1];
            const QPointF d = pts[(r + 1) * (cols + 1) + c], e = pts[(r + 1) * (cols + 1) + c + 1];
            const bool flip = (r + c) % 2;
            const QPolygonF t1 = flip ? QPolygonF{a, b, e} : QPolygonF{a, b, d};
            const QPolygonF t2 = flip ? QPolygonF{a, e, d} : QPolygonF{b, e, d};
            for (const QPolygonF &tri : {t1, t2}) {
                const QColor fill = colourAt((tri[0] + tri[1] + tri[2]) / 3);
                p.setBrush(fill);
                // A hairline of the same colour closes the seams between facets.
                p.setPen(QPen(fill, 0.8));
                p.drawPolygon(tri);
            }
        }
    }
    QRadialGradient calm(QPointF(W / 2, H / 2), W * 0.5);
    calm.setColorAt(0, withAlpha(t.accent2, 0.35));
    calm.setColorAt(1, withAlpha(t.accent2, 0.0));
    p.fillRect(QRectF(0, 0, W, H), calm);
}

void paintBands(QPainter &p, const Theme &t, Rng &)
{
    fillVertical(p, t.top, t.bottom);
    // Paper-like layers crossing the page, each casting a soft shadow on the one below.
    struct Band
    {
        QPointF a, b; // the band's lower edge runs from a to b
        QColor colour;
    };
    const Band bands[] = {
        {{-20, H * 0.92}, {W + 20, H * 0.38}, t.accent1},
        {{-20, H * 1.02}, {W + 20, H * 0.62}, t.accent2},
        {{-20, H * 1.1}, {W + 20, H * 0.84}, t.accent3},
        {{W * 0.55, -20}, {W + 20, H * 0.3}, t.accent2},
    };
    for (int i = 0; i < 4; ++i) {
        const Band &band = bands[i];
        QPainterPath shape;
        if (i < 3) {
            shape.moveTo(band.a);
            shape.lineTo(band.b);
            shape.lineTo(W + 20, H + 20);
            shape.lineTo(-20, H + 20);
        } else {
            shape.moveTo(band.a);
            shape.lineTo(band.b);
            shape.lineTo(W + 20, -20);
        }
        shape.closeSubpath();
        drawSoftShape(p, shape, QColor(0, 0, 0, 70), 6, QPointF(0, i < 3 ? -3 : 3));
        QLinearGradient fill(band.a, band.b);
        fill.setColorAt(0, band.colour);
        fill.setColorAt(1, band.colour.lighter(118));
        p.fillPath(shape, fill);
    }
}

void paintRipples(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    // Wide, soft contour bands spreading from a point below the lower left corner, like ripples on
    // a pond seen from above; a second, fainter set of rings enters from the upper right.
    QImage rings = newCanvas(int(W), int(H));
    {
        QPainter rp(&rings);
        rp.setRenderHint(QPainter::Antialiasing);
        rp.setPen(Qt::NoPen);
        const QPointF source(W * 0.08, H * 1.15);
        for (int i = 1; i <= 22; ++i) {
            const double r = i * 46 + rng.uniform(-4, 4);
            const double band = 20 + 4 * std::sin(i * 1.7);
            QPainterPath ring;
            ring.addEllipse(source, r, r);
            QPainterPath hole;
            hole.addEllipse(source, r - band, r - band);
            const double fade = 1.0 - i / 26.0;
            rp.fillPath(ring.subtracted(hole), withAlpha(t.accent1, 0.22 * fade));
            rp.setPen(QPen(withAlpha(t.accent2, 0.35 * fade), 1.2));
            rp.setBrush(Qt::NoBrush);
            rp.drawEllipse(source, r, r);
            rp.setPen(Qt::NoPen);
        }
        rp.setBrush(Qt::NoBrush);
        const QPointF second(W * 1.05, H * -0.15);
        for (int i = 1; i < 9; ++i) {
            rp.setPen(QPen(withAlpha(t.accent2, 0.2 - i * 0.018), 2.0));
            rp.drawEllipse(second, i * 38.0, i * 38.0);
        }
    }
    blur(rings, 2);
    p.drawImage(0, 0, rings);
    QRadialGradient calm(QPointF(W / 2, H / 2), W * 0.45);
    calm.setColorAt(0, withAlpha(t.accent3, 0.35));
    calm.setColorAt(1, withAlpha(t.accent3, 0.0));
    p.fillRect(QRectF(0, 0, W, H), calm);
}

void paintSoftGlow(QPainter &p, const Theme &t, Rng &rng)
{
    // Large pools of coloured light melting into each other: quiet enough to sit behind any
    // project, which is why the new-project page uses it.
    QLinearGradient base(0, 0, W, H);
    base.setColorAt(0, t.top);
    base.setColorAt(1, t.bottom);
    p.fillRect(QRectF(0, 0, W, H), base);
    QImage pools = newCanvas(int(W), int(H));
    {
        QPainter pp(&pools);
        pp.setRenderHint(QPainter::Antialiasing);
        pp.setPen(Qt::NoPen);
        const struct
        {
            double x, y, r;
            int colour;
        } spots[] = {{0.12, 0.2, 210, 0},
                     {0.85, 0.15, 240, 1},
                     {0.7, 0.9, 260, 2},
                     {0.2, 0.95, 200, 1},
                     {0.5, 0.45, 180, 2}};
        const QColor colours[] = {t.accent1, t.accent2, t.accent3};
        for (const auto &spot : spots) {
            pp.setBrush(withAlpha(colours[spot.colour], rng.uniform(0.35, 0.5)));
            pp.drawEllipse(QPointF(W * spot.x, H * spot.y), spot.r, spot.r * 0.8);
        }
    }
    blur(pools, 45);
    p.drawImage(0, 0, pools);
    // A few small, sharp motes of light keep the page from looking empty on a large screen.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        const double r = rng.uniform(1.0, 3.5);
        p.setBrush(withAlpha(Qt::white, rng.uniform(0.15, 0.45)));
        p.drawEllipse(QPointF(rng.uniform(0, W), rng.uniform(0, H)), r, r);
    }
}

} // namespace templategen::detail
