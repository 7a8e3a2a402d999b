#pragma once

#include "Reelsmith/imaging/Filter.h"

#include <array>

// The filters that read a neighbourhood: Gaussian blur, luminance sharpening, gloom and bloom.
// The blur is three box passes on whole numbers (close to a Gaussian, the same bytes wherever a
// band starts). Look-alikes of the usual filters. Threads: see imaging::Filter.
namespace Reelsmith::effects {

namespace detail {
/** The radii of the three box passes that approximate a Gaussian of sigma (all 0 for none). */
std::array<int, 3> boxRadii(float sigma);
/** Blurs in (covering out.rect grown by the radii's sum) into out. */
void boxBlur(const imaging::Tile &in, const std::array<int, 3> &radii, const imaging::Tile &out);
/**
 * The same, the passes across cut into bands of rows and the passes down into bands of columns,
 * each run through parallel (so no part repeats another's reach). The bytes are boxBlur's.
 */
void boxBlur(const imaging::Tile &in,
             const std::array<int, 3> &radii,
             const imaging::Tile &out,
             int pieces,
             const imaging::Filter::Parallel &parallel);
} // namespace detail

/** "GaussianBlur": inputRadius is the standard deviation in pixels (0 neutral). */
class GaussianBlurFilter final : public imaging::FilterOf<GaussianBlurFilter>
{
public:
    GaussianBlurFilter();
    bool isNeutral() const override;
    int reach() const override;
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
    void applyParallel(const imaging::Tile &input,
                       const imaging::Tile &output,
                       int pieces,
                       const Parallel &parallel) const override;
};

/** "SharpenLuminance": adds inputSharpness times the luminance detail; below 0 it softens. */
class SharpenLuminanceFilter final : public imaging::FilterOf<SharpenLuminanceFilter>
{
public:
    SharpenLuminanceFilter();
    bool isNeutral() const override;
    int reach() const override { return 1; }
    imaging::Extent outputExtent(const imaging::Extent &input) const override { return input; }
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

/**
 * "Gloom" (dulls the highlights toward a blur of radius inputRadius) and "Bloom" (makes them
 * glow: the picture screened with its blur), mixed in by inputIntensity.
 */
class GlowFilter final : public imaging::FilterOf<GlowFilter>
{
public:
    enum class Kind { Gloom, Bloom };
    explicit GlowFilter(Kind kind);
    bool isNeutral() const override;
    int reach() const override;
    imaging::Extent outputExtent(const imaging::Extent &input) const override { return input; }
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
    void applyParallel(const imaging::Tile &input,
                       const imaging::Tile &output,
                       int pieces,
                       const Parallel &parallel) const override;

private:
    /** Mixes the blur in output (rows first..last of it) with the picture in input. */
    void mix(const imaging::Tile &input, const imaging::Tile &output) const;
    Kind m_kind;
};

} // namespace Reelsmith::effects
