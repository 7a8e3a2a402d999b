#include "BackgroundArt.h"

#include "BackgroundPainters.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace templategen {

namespace detail {

void fillVertical(QPainter &p, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, 0, 0, H);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, W, H), g);
}

QPainterPath cloudPath(QPointF c, double width, Rng &rng)
{
    QPainterPath path;
    const double h = width * 0.28;
    // A flat base with a row of puffs of different sizes on top of it.
    path.addRoundedRect(
        QRectF(c.x() - width / 2, c.y() - h * 0.1, width, h * 0.55), h * 0.27, h * 0.27);
    const int puffs = 4;
    for (int i = 0; i < puffs; ++i) {
        const double fx = (i + 0.5) / puffs;
        const double r = h * (0.38 + 0.3 * std::sin(M_PI * fx)) * rng.uniform(0.85, 1.1);
        const QPointF pc(c.x() - width / 2 + width * fx, c.y() + h * 0.1 - r * 0.55);
        QPainterPath puff;
        puff.addEllipse(pc, r, r);
        path = path.united(puff);
    }
    return path.simplified();
}

QPainterPath hillPath(double baseY, double amplitude, double wavelength, double phase)
{
    QPainterPath path;
    path.moveTo(-10, H + 10);
    for (int x = -10; x <= int(W) + 10; x += 4) {
        const double t = x / wavelength * 2 * M_PI + phase;
        const double y = baseY - amplitude * (0.65 * std::sin(t) + 0.35 * std::sin(2.3 * t + 1.7));
        path.lineTo(x, y);
    }
    path.lineTo(W + 10, H + 10);
    path.closeSubpath();
    return path;
}

void drawStars(QPainter &p, Rng &rng, int count, double maxY)
{
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF c(rng.uniform(0, W), rng.uniform(0, maxY));
        const double size = std::pow(rng.uniform(0, 1), 3.0) * 1.8 + 0.5;
        const double fade = 1.0 - c.y() / maxY * 0.6;
        p.setBrush(QColor(255, 255, 240, int(255 * rng.uniform(0.35, 0.95) * fade)));
        p.drawEllipse(c, size, size);
        if (size > 1.9) {
            // The brightest stars get a four-pointed glint.
            QPainterPath glint;
            const double s = size * 3.2;
            glint.moveTo(c.x(), c.y() - s);
            glint.quadTo(c, QPointF(c.x() + s, c.y()));
            glint.quadTo(c, QPointF(c.x(), c.y() + s));
            glint.quadTo(c, QPointF(c.x() - s, c.y()));
            glint.quadTo(c, QPointF(c.x(), c.y() - s));
            p.fillPath(glint, QColor(255, 255, 230, int(200 * fade)));
        }
    }
    p.restore();
}

} // namespace detail

namespace {

// A gentle darkening toward the corners draws the eye to the middle of the page, where the titles
// are, and softens the edges a television may cut off.
void vignette(QPainter &p, double strength)
{
    QRadialGradient g(QPointF(detail::W / 2, detail::H / 2), detail::W * 0.62);
    g.setColorAt(0.55, QColor(0, 0, 0, 0));
    g.setColorAt(1.0, QColor(0, 0, 0, int(255 * strength)));
    p.fillRect(QRectF(0, 0, detail::W, detail::H), g);
}

} // namespace

QImage drawBackground(BackgroundStyle style, const Theme &theme, uint64_t seed)
{
    using namespace detail;
    QImage page(kBackgroundWidth, kBackgroundHeight, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::black);
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    Rng rng(seed);
    double shade = 0.28;
    switch (style) {
    case BackgroundStyle::Sunburst:
        paintSunburst(p, theme, rng);
        break;
    case BackgroundStyle::Bubbles:
        paintBubbles(p, theme, rng);
        break;
    case BackgroundStyle::Hills:
        paintHills(p, theme, rng);
        shade = 0.18;
        break;
    case BackgroundStyle::Clouds:
        paintClouds(p, theme, rng);
        shade = 0.15;
        break;
    case BackgroundStyle::CandyStripes:
        paintCandyStripes(p, theme, rng);
        break;
    case BackgroundStyle::NightSky:
        paintNightSky(p, theme, rng);
        shade = 0.35;
        break;
    case BackgroundStyle::Confetti:
        paintConfetti(p, theme, rng);
        shade = 0.15;
        break;
    case BackgroundStyle::Waves:
        paintWaves(p, theme, rng);
        shade = 0.2;
        break;
    case BackgroundStyle::Polka:
        paintPolka(p, theme, rng);
        break;
    case BackgroundStyle::Rainbow:
        paintRainbow(p, theme, rng);
        shade = 0.15;
        break;
    case BackgroundStyle::Bokeh:
        paintBokeh(p, theme, rng);
        shade = 0.45;
        break;
    case BackgroundStyle::Damask:
        paintDamask(p, theme, rng);
        shade = 0.5;
        break;
    case BackgroundStyle::ArtDeco:
        paintArtDeco(p, theme, rng);
        shade = 0.4;
        break;
    case BackgroundStyle::Ribbons:
        paintRibbons(p, theme, rng);
        shade = 0.4;
        break;
    case BackgroundStyle::SunsetSea:
        paintSunsetSea(p, theme, rng);
        shade = 0.25;
        break;
    case BackgroundStyle::Aurora:
        paintAurora(p, theme, rng);
        shade = 0.35;
        break;
    case BackgroundStyle::Snow:
        paintSnow(p, theme, rng);
        shade = 0.2;
        break;
    case BackgroundStyle::Forest:
        paintForest(p, theme, rng);
        shade = 0.4;
        break;
    case BackgroundStyle::LowPoly:
        paintLowPoly(p, theme, rng);
        shade = 0.3;
        break;
    case BackgroundStyle::RetroGrid:
        paintRetroGrid(p, theme, rng);
        shade = 0.35;
        break;
    case BackgroundStyle::Bands:
        paintBands(p, theme, rng);
        shade = 0.25;
        break;
    case BackgroundStyle::Ripples:
        paintRipples(p, theme, rng);
        shade = 0.3;
        break;
    case BackgroundStyle::SoftGlow:
        paintSoftGlow(p, theme, rng);
        shade = 0.3;
        break;
    }
    vignette(p, shade);
    p.end();
    return page.convertToFormat(QImage::Format_RGB32);
}

} // namespace templategen
