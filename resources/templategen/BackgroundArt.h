#pragma once

// The template backgrounds: full pages painted from a style, a colour theme and a seed. The same
// picture serves the 16:9 page and, cut at left and right, the 4:3 page, so every style keeps its
// interest in the middle 640 x 480 as well as across the whole width.

#include <QColor>
#include <QImage>
#include <cstdint>

namespace templategen {

constexpr int kBackgroundWidth = 854;
constexpr int kBackgroundHeight = 480;

enum class BackgroundStyle {
    Sunburst,
    Bubbles,
    Hills,
    Clouds,
    CandyStripes,
    NightSky,
    Confetti,
    Waves,
    Polka,
    Rainbow,
    Bokeh,
    Damask,
    ArtDeco,
    Ribbons,
    SunsetSea,
    Aurora,
    Snow,
    Forest,
    LowPoly,
    RetroGrid,
    Bands,
    Ripples,
    SoftGlow,
};

struct Theme
{
    QColor top;    // upper sky / base gradient start
    QColor bottom; // base gradient end
    QColor accent1;
    QColor accent2;
    QColor accent3;
};

QImage drawBackground(BackgroundStyle style, const Theme &theme, uint64_t seed);

} // namespace templategen
