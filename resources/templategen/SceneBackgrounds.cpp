// Backgrounds that are little landscapes: a sky, a horizon and something in the foreground.

#include "BackgroundPainters.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace templategen::detail {

namespace {

void drawSun(QPainter &p, QPointF c, double r, const QColor &colour)
{
    QRadialGradient halo(c, r * 4);
    halo.setColorAt(0, withAlpha(colour, 0.55));
    halo.setColorAt(1, withAlpha(colour, 0.0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(c, r * 4, r * 4);
    QRadialGradient disc(c - QPointF(r * 0.3, r * 0.3), r * 1.3);
    disc.setColorAt(0, colour.lighter(125));
    disc.setColorAt(1, colour);
    p.setBrush(disc);
    p.drawEllipse(c, r, r);
}

void drawCloud(QPainter &p, QPointF c, double width, Rng &rng, double opacity)
{
    const QPainterPath cloud = cloudPath(c, width, rng);
    drawSoftShape(p, cloud, QColor(40, 70, 120, int(60 * opacity)), 4, QPointF(0, 5));
    QLinearGradient fill(0, cloud.boundingRect().top(), 0, cloud.boundingRect().bottom());
    fill.setColorAt(0, withAlpha(Qt::white, opacity));
    fill.setColorAt(1, withAlpha(QColor(225, 235, 248), opacity));
    p.fillPath(cloud, fill);
}

void fillHill(QPainter &p, const QPainterPath &hill, const QColor &colour)
{
    const QRectF bounds = hill.boundingRect();
    QLinearGradient fill(0, bounds.top(), 0, H);
    fill.setColorAt(0, colour.lighter(112));
    fill.setColorAt(1, colour.darker(125));
    p.fillPath(hill, fill);
}

QPainterPath treePath(QPointF base, double height)
{
    // A pine: three stacked triangles on a short trunk.
    QPainterPath tree;
    const double w = height * 0.42;
    for (int i = 0; i < 3; ++i) {
        const double top = base.y() - height + i * height * 0.24;
        const double bottom = top + height * 0.45;
        const double half = w * (0.55 + 0.22 * i);
        QPolygonF tier;
        tier << QPointF(base.x(), top) << QPointF(base.x() + half, bottom)
             << QPointF(base.x() - half, bottom);
        QPainterPath part;
        part.addPolygon(tier);
        part.closeSubpath();
        tree = tree.united(part);
    }
    QPainterPath trunk;
    trunk.addRect(
        QRectF(base.x() - height * 0.04, base.y() - height * 0.1, height * 0.08, height * 0.1));
    return tree.united(trunk);
}

} // namespace

void paintHills(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    drawSun(p, QPointF(W * 0.82, H * 0.2), 30, t.accent3);
    drawCloud(p, QPointF(W * 0.2, H * 0.17), 150, rng, 0.95);
    drawCloud(p, QPointF(W * 0.55, H * 0.1), 110, rng, 0.85);
    fillHill(p, hillPath(H * 0.68, 26, 520, 0.4), mix(t.accent1, t.top, 0.45));
    fillHill(p, hillPath(H * 0.78, 22, 430, 2.1), t.accent1);
    fillHill(p, hillPath(H * 0.9, 16, 360, 4.0), t.accent2);
    // Little flowers dotted over the nearest hill.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        const QPointF c(rng.uniform(0, W), rng.uniform(H * 0.93, H));
        p.setBrush(i % 2 ? QColor(255, 255, 255, 220) : withAlpha(t.accent3, 0.9));
        p.drawEllipse(c, 2.2, 2.2);
    }
}

void paintClouds(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    // Far clouds small and faint, near clouds large; the middle stays open sky.
    const struct
    {
        double x, y, width, opacity;
    } clouds[] = {
        {0.1, 0.12, 150, 0.8},
        {0.42, 0.08, 120, 0.7},
        {0.78, 0.14, 170, 0.85},
        {0.95, 0.45, 130, 0.75},
        {0.03, 0.55, 140, 0.75},
        {0.25, 0.92, 230, 0.95},
        {0.68, 0.95, 260, 0.95},
        {1.0, 0.88, 180, 0.9},
        {-0.02, 0.95, 160, 0.9},
    };
    for (const auto &c : clouds)
        drawCloud(p, QPointF(W * c.x, H * c.y), c.width, rng, c.opacity);
    // Birds: two strokes each.
    p.setPen(QPen(withAlpha(t.accent1, 0.7), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i) {
        const QPointF c(W * rng.uniform(0.58, 0.72), H * rng.uniform(0.22, 0.32));
        const double s = rng.uniform(5, 8);
        QPainterPath bird;
        bird.moveTo(c + QPointF(-s, -s * 0.3));
        bird.quadTo(c + QPointF(-s * 0.5, -s * 0.7), c);
        bird.quadTo(c + QPointF(s * 0.5, -s * 0.7), c + QPointF(s, -s * 0.3));
        p.drawPath(bird);
    }
}

void paintNightSky(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    drawStars(p, rng, 220, H * 0.85);
    // A crescent moon: a disc with a second disc taken out of it.
    const QPointF moon(W * 0.16, H * 0.2);
    QRadialGradient halo(moon, 110);
    halo.setColorAt(0, withAlpha(t.accent3, 0.35));
    halo.setColorAt(1, withAlpha(t.accent3, 0.0));
    p.fillRect(QRectF(0, 0, W, H), halo);
    QPainterPath crescent;
    crescent.addEllipse(moon, 34, 34);
    QPainterPath bite;
    bite.addEllipse(moon + QPointF(15, -9), 29, 29);
    p.fillPath(crescent.subtracted(bite), t.accent3);
    fillHill(p, hillPath(H * 0.86, 20, 600, 1.2), t.accent1);
    fillHill(p, hillPath(H * 0.95, 12, 420, 3.3), t.accent2);
}

void paintWaves(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    drawSun(p, QPointF(W * 0.8, H * 0.16), 26, QColor(255, 244, 200));
    drawCloud(p, QPointF(W * 0.22, H * 0.14), 130, rng, 0.9);
    const int layers = 5;
    for (int i = 0; i < layers; ++i) {
        const double f = double(i) / (layers - 1);
        const double baseY = H * (0.62 + 0.09 * i);
        QPainterPath wave;
        wave.moveTo(-10, H + 10);
        const double wavelength = 150 - 15 * i;
        const double phase = rng.uniform(0, 2 * M_PI);
        for (int x = -10; x <= int(W) + 10; x += 3) {
            const double u = x / wavelength * 2 * M_PI + phase;
            wave.lineTo(x, baseY - 9 * std::sin(u) - 4 * std::sin(2.1 * u));
        }
        wave.lineTo(W + 10, H + 10);
        wave.closeSubpath();
        QColor colour = mix(t.accent1, t.accent2, f);
        p.fillPath(wave, colour);
        // A foam line on each crest.
        QPainterPath crest;
        for (int x = -10; x <= int(W) + 10; x += 3) {
            const double u = x / wavelength * 2 * M_PI + phase;
            const QPointF pt(x, baseY - 9 * std::sin(u) - 4 * std::sin(2.1 * u));
            if (x == -10)
                crest.moveTo(pt);
            else
                crest.lineTo(pt);
        }
        p.setPen(QPen(withAlpha(Qt::white, 0.45 - 0.05 * i), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(crest);
        p.setPen(Qt::NoPen);
    }
}

void paintRainbow(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    const QPointF centre(W / 2, H * 1.02);
    const QColor bands[] = {{239, 83, 80},
                            {255, 167, 38},
                            {255, 238, 88},
                            {102, 187, 106},
                            {66, 165, 245},
                            {92, 107, 192},
                            {171, 71, 188}};
    const double outer = H * 0.92;
    const double width = 15;
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 7; ++i) {
        const double r = outer - width * (i + 0.5);
        p.setPen(QPen(withAlpha(bands[i], 0.7), width + 0.6, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 0, 180 * 16);
    }
    // The sky inside the bow is a touch lighter, as a real rainbow has it.
    QPainterPath inside;
    const double ri = outer - width * 7;
    inside.addEllipse(centre, ri, ri);
    p.fillPath(inside, withAlpha(Qt::white, 0.12));
    drawCloud(p, QPointF(W * 0.5 - outer + 20, H * 0.9), 170, rng, 1.0);
    drawCloud(p, QPointF(W * 0.5 + outer - 20, H * 0.9), 170, rng, 1.0);
    drawCloud(p, QPointF(W * 0.12, H * 0.16), 120, rng, 0.9);
    drawCloud(p, QPointF(W * 0.86, H * 0.12), 140, rng, 0.9);
    drawSun(p, QPointF(W * 0.94, H * 0.04), 30, t.accent3);
    fillHill(p, hillPath(H * 0.94, 14, 380, 1.0), t.accent1);
    fillHill(p, hillPath(H * 0.99, 10, 300, 2.5), t.accent2);
}

void paintSunsetSea(QPainter &p, const Theme &t, Rng &rng)
{
    const double horizon = H * 0.64;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, t.top);
    sky.setColorAt(0.6, t.accent1);
    sky.setColorAt(1, t.accent2);
    p.fillRect(QRectF(0, 0, W, horizon), sky);
    drawSun(p, QPointF(W * 0.5, horizon - 8), 46, t.accent3);
    // Long, soft streaks of cloud lit from below, spread over the whole sky.
    QImage streaks = newCanvas(int(W), int(H));
    {
        QPainter sp(&streaks);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.setPen(Qt::NoPen);
        for (int i = 0; i < 11; ++i) {
            const double y = H * 0.06 + i * horizon * 0.072 + rng.uniform(-6, 6);
            const double w = rng.uniform(160, 420);
            const double x = rng.uniform(-120, W - w + 120);
            const double h = rng.uniform(6, 13);
            const double glow = 0.2 + 0.3 * (y / horizon);
            sp.setBrush(withAlpha(mix(t.accent1, t.accent3, y / horizon), glow));
            sp.drawRoundedRect(QRectF(x, y, w, h), h / 2, h / 2);
        }
    }
    blur(streaks, 3);
    p.drawImage(0, 0, streaks);
    QLinearGradient sea(0, horizon, 0, H);
    sea.setColorAt(0, mix(t.accent1, t.bottom, 0.55));
    sea.setColorAt(1, t.bottom);
    p.fillRect(QRectF(0, horizon, W, H - horizon), sea);
    // The sun's path on the water: short bright dashes, narrower toward the horizon.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const double f = rng.uniform(0, 1);
        const double y = horizon + 3 + f * (H - horizon);
        const double spread = 30 + 140 * f;
        const double x = W * 0.5 + rng.uniform(-spread, spread);
        const double len = 10 + 30 * f;
        p.setBrush(withAlpha(t.accent3, 0.65 * (1 - std::abs(x - W / 2) / (spread + 1))));
        p.drawRoundedRect(QRectF(x - len / 2, y, len, 2 + 2 * f), 1.5, 1.5);
    }
    // Distant islands on the horizon.
    for (const auto &[x, w, h] : {std::tuple{0.12, 180.0, 22.0}, std::tuple{0.86, 220.0, 28.0}}) {
        QPainterPath island;
        island.moveTo(W * x - w / 2, horizon + 1);
        island.cubicTo(W * x - w / 4,
                       horizon - h,
                       W * x + w / 4,
                       horizon - h * 1.2,
                       W * x + w / 2,
                       horizon + 1);
        island.closeSubpath();
        p.fillPath(island, withAlpha(t.bottom.darker(140), 0.9));
    }
}

void paintAurora(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    drawStars(p, rng, 180, H * 0.75);
    QImage light = newCanvas(int(W), int(H));
    {
        QPainter lp(&light);
        lp.setRenderHint(QPainter::Antialiasing);
        const QColor colours[] = {t.accent1, t.accent2};
        for (int curtain = 0; curtain < 2; ++curtain) {
            const double baseY = H * (0.42 + 0.1 * curtain);
            const double phase = rng.uniform(0, 2 * M_PI);
            // Vertical rays along a wavy line; each fades upward.
            for (int x = -20; x <= int(W) + 20; x += 3) {
                const double u = x / W * 2 * M_PI;
                const double y = baseY + 50 * std::sin(u * 1.3 + phase) + 18 * std::sin(u * 3.7);
                const double height = 90 + 60 * (0.5 + 0.5 * std::sin(u * 5 + phase * 2));
                QLinearGradient ray(0, y, 0, y - height);
                ray.setColorAt(0, withAlpha(colours[curtain], 0.55));
                ray.setColorAt(1, withAlpha(colours[curtain], 0.0));
                lp.fillRect(QRectF(x, y - height, 3.2, height + 4), ray);
            }
        }
    }
    blur(light, 5);
    p.drawImage(0, 0, light);
    // Mountains in silhouette, with snow light on the nearer ridge.
    QPainterPath far;
    far.moveTo(-10, H);
    const double ridge[] = {0.8, 0.7, 0.76, 0.62, 0.74, 0.68, 0.8, 0.66, 0.72, 0.78, 0.7};
    for (int i = 0; i < 11; ++i)
        far.lineTo(W * i / 10.0, H * ridge[i]);
    far.lineTo(W + 10, H);
    far.closeSubpath();
    p.fillPath(far, mix(t.bottom, t.accent3, 0.35));
    fillHill(p, hillPath(H * 0.9, 16, 500, 0.7), t.bottom.darker(130));
}

void paintSnow(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    drawSun(p, QPointF(W * 0.78, H * 0.18), 24, QColor(255, 250, 235));
    const QPainterPath farHill = hillPath(H * 0.74, 24, 560, 0.3);
    fillHill(p, farHill, mix(t.accent1, t.top, 0.35));
    // Pines on the far hill, smaller and paler than those in front.
    for (int i = 0; i < 14; ++i) {
        const double x = rng.uniform(0, W);
        const double u = x / 560 * 2 * M_PI + 0.3;
        const double y = H * 0.74 - 24 * (0.65 * std::sin(u) + 0.35 * std::sin(2.3 * u + 1.7)) + 6;
        p.fillPath(treePath(QPointF(x, y), rng.uniform(28, 44)), mix(t.accent2, t.top, 0.35));
    }
    const QPainterPath nearHill = hillPath(H * 0.88, 16, 420, 2.2);
    for (const double x : {W * 0.04, W * 0.1, W * 0.9, W * 0.97}) {
        const double u = x / 420 * 2 * M_PI + 2.2;
        const double y = H * 0.88 - 16 * (0.65 * std::sin(u) + 0.35 * std::sin(2.3 * u + 1.7)) + 8;
        p.fillPath(treePath(QPointF(x, y), rng.uniform(80, 110)), t.accent2);
    }
    fillHill(p, nearHill, t.accent1);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 170; ++i) {
        const double r = rng.uniform(1.0, 3.2);
        p.setBrush(withAlpha(Qt::white, rng.uniform(0.5, 0.95)));
        p.drawEllipse(QPointF(rng.uniform(0, W), rng.uniform(0, H)), r, r);
    }
}

void paintForest(QPainter &p, const Theme &t, Rng &rng)
{
    fillVertical(p, t.top, t.bottom);
    // Slanting shafts of light through the canopy, soft at their edges.
    QImage light = newCanvas(int(W), int(H));
    {
        QPainter lp(&light);
        lp.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 5; ++i) {
            const double x = W * (0.12 + 0.17 * i) + rng.uniform(-25, 25);
            const double width = rng.uniform(18, 46);
            QPainterPath shaft;
            shaft.moveTo(x - width / 2, -10);
            shaft.lineTo(x + width / 2, -10);
            shaft.lineTo(x + 150 + width, H + 10);
            shaft.lineTo(x + 150 - width * 0.2, H + 10);
            shaft.closeSubpath();
            QLinearGradient fade(0, 0, 0, H);
            fade.setColorAt(0, withAlpha(t.accent3, rng.uniform(0.12, 0.2)));
            fade.setColorAt(1, withAlpha(t.accent3, 0.0));
            lp.fillPath(shaft, fade);
        }
    }
    blur(light, 8);
    p.drawImage(0, 0, light);
    auto leaf
        = [](QPainter &p, QPointF c, double size, double angle, const QColor &colour, bool veins) {
              p.save();
              p.translate(c);
              p.rotate(angle);
              QPainterPath shape;
              shape.moveTo(0, -size);
              shape.cubicTo(size * 0.55, -size * 0.55, size * 0.55, size * 0.45, 0, size);
              shape.cubicTo(-size * 0.55, size * 0.45, -size * 0.55, -size * 0.55, 0, -size);
              QLinearGradient fill(-size * 0.5, 0, size * 0.5, 0);
              fill.setColorAt(0, colour.lighter(115));
              fill.setColorAt(1, colour.darker(115));
              p.fillPath(shape, fill);
              if (veins) {
                  p.setPen(QPen(withAlpha(colour.lighter(150), 0.7), size * 0.05));
                  p.drawLine(QPointF(0, -size * 0.9), QPointF(0, size * 0.95));
                  for (int v = -2; v <= 2; ++v) {
                      const double y = v * size * 0.3;
                      p.drawLine(QPointF(0, y), QPointF(size * 0.3, y - size * 0.2));
                      p.drawLine(QPointF(0, y), QPointF(-size * 0.3, y - size * 0.2));
                  }
                  p.setPen(Qt::NoPen);
              }
              p.restore();
          };
    // Leaves gather along the edges and corners, leaving the middle clear.
    for (int i = 0; i < 70; ++i) {
        // The canopy: dark leaves crowding the top edge.
        const QColor colour = mix(t.accent2, t.bottom, rng.uniform(0.3, 0.7));
        leaf(p,
             QPointF(rng.uniform(-20, W + 20), rng.uniform(-25, 30)),
             rng.uniform(18, 34),
             rng.uniform(120, 240),
             colour,
             false);
    }
    for (int i = 0; i < 220; ++i) {
        double x = rng.uniform(0, W), y = rng.uniform(0, H);
        const double dx = (x - W / 2) / (W / 2), dy = (y - H / 2) / (H / 2);
        if (dx * dx + dy * dy < 0.85)
            continue;
        const QColor colour = mix(t.accent1, t.accent2, rng.uniform(0, 1));
        leaf(p, QPointF(x, y), rng.uniform(14, 30), rng.uniform(0, 360), colour, true);
    }
    // Out-of-focus leaves close to the viewer in two corners.
    QImage near = newCanvas(int(W), int(H));
    {
        QPainter np(&near);
        np.setRenderHint(QPainter::Antialiasing);
        leaf(np, QPointF(30, 50), 90, 140, t.bottom.darker(120), false);
        leaf(np, QPointF(110, 10), 70, 200, t.accent2.darker(150), false);
        leaf(np, QPointF(W - 30, H - 40), 100, -30, t.bottom.darker(120), false);
        leaf(np, QPointF(W - 130, H + 10), 70, 20, t.accent2.darker(150), false);
    }
    blur(near, 4);
    p.drawImage(0, 0, near);
}

void paintRetroGrid(QPainter &p, const Theme &t, Rng &rng)
{
    const double horizon = H * 0.6;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, t.top);
    sky.setColorAt(1, t.accent2);
    p.fillRect(QRectF(0, 0, W, horizon), sky);
    drawStars(p, rng, 70, horizon * 0.6);
    // A striped sun sinking behind the horizon.
    const QPointF sunCentre(W / 2, horizon - 10);
    const double r = 92;
    QPainterPath sun;
    sun.addEllipse(sunCentre, r, r);
    QPainterPath above;
    above.addRect(QRectF(0, 0, W, horizon));
    sun = sun.intersected(above);
    for (int i = 0; i < 6; ++i) {
        QPainterPath cut;
        const double y = sunCentre.y() - r * 0.05 - i * 13;
        cut.addRect(QRectF(0, y, W, 2.5 + i * 0.9));
        sun = sun.subtracted(cut);
    }
    drawSoftShape(p, sun, withAlpha(t.accent3, 0.7), 12);
    QLinearGradient sunFill(0, sunCentre.y() - r, 0, sunCentre.y());
    sunFill.setColorAt(0, t.accent3);
    sunFill.setColorAt(1, t.accent1);
    p.fillPath(sun, sunFill);
    QLinearGradient ground(0, horizon, 0, H);
    ground.setColorAt(0, t.bottom.lighter(130));
    ground.setColorAt(1, t.bottom);
    p.fillRect(QRectF(0, horizon, W, H - horizon), ground);
    // Perspective grid: lines to a vanishing point and rows that close in toward the horizon.
    p.setPen(QPen(withAlpha(t.accent1, 0.8), 1.4));
    for (int i = -14; i <= 14; ++i)
        p.drawLine(QPointF(W / 2 + i * 12, horizon), QPointF(W / 2 + i * 110, H + 40));
    for (int i = 0; i < 12; ++i) {
        const double f = std::pow(i / 11.0, 2.2);
        const double y = horizon + (H - horizon) * f;
        p.drawLine(QPointF(0, y), QPointF(W, y));
    }
    QLinearGradient haze(0, horizon - 30, 0, horizon + 30);
    haze.setColorAt(0, withAlpha(t.accent1, 0.0));
    haze.setColorAt(0.5, withAlpha(t.accent1, 0.5));
    haze.setColorAt(1, withAlpha(t.accent1, 0.0));
    p.fillRect(QRectF(0, horizon - 30, W, 60), haze);
}

} // namespace templategen::detail
