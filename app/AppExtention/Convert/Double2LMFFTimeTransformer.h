#pragma once

// The two directions between engine time and the seconds that bound interface fields and the
// project's trims show. Pure functions; any thread.

#include <cstdint>

namespace Double2LMFFTimeTransformer {

// Engine time (microseconds) as seconds.
double transformedValue(int64_t timeUs);
// Seconds as engine time, truncated toward zero (1.0000005 s is 1000000 us).
int64_t reverseTransformedValue(double seconds);

} // namespace Double2LMFFTimeTransformer
