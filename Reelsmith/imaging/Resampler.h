#pragma once

#include "Reelsmith/imaging/Extent.h"
#include "Reelsmith/imaging/Tile.h"

#include <QTransform>
#include <cstdint>

namespace Reelsmith::imaging::detail {

/** The pixels of a source buffer (RGBA8, top row first) and where they may be read. */
struct SourcePixels
{
    const uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    bool straightAlpha = false;
    Extent valid; // y-up, source space: output pixels whose centres map inside are drawn
    int colMin = 0, colMax = 0; // columns the filter may read (its taps are clamped to them)
    int rowMin = 0, rowMax = 0; // rows from the top the filter may read
};

/**
 * Draws source into out through inv (output space to source space), which must be axis-aligned:
 * a scale, mirrored or not, and a move. A two-pass cubic filter whose support widens by the
 * shrink factor (so shrinking averages instead of aliasing); a unit scale on whole pixels copies.
 * Colours come out premultiplied, never above their alpha. Pixels whose centres fall outside
 * source.valid keep what out holds.
 *
 * Each output pixel is a function of the source and its own position alone, so a picture drawn
 * in bands is the same, byte for byte, as one drawn whole. Any thread; out is the caller's.
 */
void resampleAxisAligned(const SourcePixels &source, const QTransform &inv, const Tile &out);

/** True when inv maps output to source without turning (m12, m21 and projection all 0). */
bool isAxisAligned(const QTransform &inv);

/**
 * The same for inv a quarter turn (m11 and m22 0; mirrored or not) with any scale: the source's
 * columns filtered first, then its rows, so a turned phone picture is as sharp as an upright one.
 */
void resampleQuarterTurn(const SourcePixels &source, const QTransform &inv, const Tile &out);

/** True when inv is a quarter turn with a scale and a move (m11, m22 and projection all 0). */
bool isQuarterTurn(const QTransform &inv);

} // namespace Reelsmith::imaging::detail
