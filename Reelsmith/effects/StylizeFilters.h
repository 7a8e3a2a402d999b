#pragma once

#include "Reelsmith/imaging/Filter.h"

// The filters that restyle a picture by position: hexagonal pixellation and line screen.
// Positions are y-up pixels of the space the filter works in; angles are radians. Look-alikes.
// Threads: see imaging::Filter.
namespace Reelsmith::effects {

/** "HexagonalPixellate": hexagons of inputScale pixels around inputCenter (a QPointF). */
class HexagonalPixellateFilter final : public imaging::FilterOf<HexagonalPixellateFilter>
{
public:
    HexagonalPixellateFilter();
    bool isNeutral() const override;
    int reach() const override;
    imaging::Extent outputExtent(const imaging::Extent &input) const override { return input; }
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

/**
 * "LineScreen": a black and white print of parallel lines, inputWidth pixels apart at inputAngle
 * through inputCenter; inputSharpness (0..1) hardens the line edges.
 */
class LineScreenFilter final : public imaging::FilterOf<LineScreenFilter>
{
public:
    LineScreenFilter();
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

} // namespace Reelsmith::effects
