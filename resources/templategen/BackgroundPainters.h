#pragma once

// The painters behind drawBackground, one per style, and the shapes several of them share. Every
// painter draws the whole page (kBackgroundWidth x kBackgroundHeight, y down) and may use rng freely.

#include "ArtKit.h"
#include "BackgroundArt.h"

#include <QPainter>
#include <QPainterPath>

namespace templategen::detail {

constexpr double W = kBackgroundWidth;
constexpr double H = kBackgroundHeight;

void fillVertical(QPainter &p, const QColor &top, const QColor &bottom);
// A puffy cloud of overlapping circles, centred at c, about width wide.
QPainterPath cloudPath(QPointF c, double width, Rng &rng);
// A band of rolling hills: everything below a wavy line around baseY.
QPainterPath hillPath(double baseY, double amplitude, double wavelength, double phase);
// Stars of varied size and brightness over the upper part of the page.
void drawStars(QPainter &p, Rng &rng, int count, double maxY);

void paintSunburst(QPainter &p, const Theme &t, Rng &rng);
void paintBubbles(QPainter &p, const Theme &t, Rng &rng);
void paintCandyStripes(QPainter &p, const Theme &t, Rng &rng);
void paintConfetti(QPainter &p, const Theme &t, Rng &rng);
void paintPolka(QPainter &p, const Theme &t, Rng &rng);
void paintBokeh(QPainter &p, const Theme &t, Rng &rng);
void paintDamask(QPainter &p, const Theme &t, Rng &rng);
void paintArtDeco(QPainter &p, const Theme &t, Rng &rng);
void paintRibbons(QPainter &p, const Theme &t, Rng &rng);
void paintLowPoly(QPainter &p, const Theme &t, Rng &rng);
void paintBands(QPainter &p, const Theme &t, Rng &rng);
void paintRipples(QPainter &p, const Theme &t, Rng &rng);
void paintSoftGlow(QPainter &p, const Theme &t, Rng &rng);

void paintHills(QPainter &p, const Theme &t, Rng &rng);
void paintClouds(QPainter &p, const Theme &t, Rng &rng);
void paintNightSky(QPainter &p, const Theme &t, Rng &rng);
void paintWaves(QPainter &p, const Theme &t, Rng &rng);
void paintRainbow(QPainter &p, const Theme &t, Rng &rng);
void paintSunsetSea(QPainter &p, const Theme &t, Rng &rng);
void paintAurora(QPainter &p, const Theme &t, Rng &rng);
void paintSnow(QPainter &p, const Theme &t, Rng &rng);
void paintForest(QPainter &p, const Theme &t, Rng &rng);
void paintRetroGrid(QPainter &p, const Theme &t, Rng &rng);

} // namespace templategen::detail
