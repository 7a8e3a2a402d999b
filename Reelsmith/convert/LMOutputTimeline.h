#pragma once

#include <algorithm>
#include <cstdint>

// The output timeline of a conversion: pictures and sample frames are counted over the whole
// output, not per segment, so that a title of many short pieces keeps its sound with its pictures.
// Frame g starts at g * ft / fr seconds (fr frames in ft seconds) and sample frame a at a / rate
// seconds; a time falls in the frame or sample frame nearest to it, so every boundary is placed
// within half a unit. Times are engine time (microseconds). Pure: any thread.
namespace LMOutputTimeline {

inline constexpr int64_t kSecondUs = 1000000;

// The frame a time falls in (negative times count as 0).
inline int64_t frameIndexAt(int64_t timeUs, int32_t fr, int32_t ft)
{
    const int64_t unit = int64_t(ft) * kSecondUs;
    return (2 * std::max<int64_t>(timeUs, 0) * fr + unit) / (2 * unit);
}

// Where frame index starts.
inline int64_t frameTimeUs(int64_t index, int32_t fr, int32_t ft)
{
    return index * ft * kSecondUs / fr;
}

// The sample frame a time falls in (negative times count as 0).
inline int64_t sampleIndexAt(int64_t timeUs, int32_t rate)
{
    return (2 * std::max<int64_t>(timeUs, 0) * rate + kSecondUs) / (2 * kSecondUs);
}

// Where sample frame index starts.
inline int64_t sampleTimeUs(int64_t index, int32_t rate)
{
    return index * kSecondUs / rate;
}

} // namespace LMOutputTimeline
