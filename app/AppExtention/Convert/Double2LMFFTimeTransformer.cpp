#include "app/AppExtention/Convert/Double2LMFFTimeTransformer.h"

#include "Reelsmith/LMFunctions.h"

namespace Double2LMFFTimeTransformer {

double transformedValue(int64_t timeUs)
{
    return lm_ff_time_to_double(timeUs);
}

int64_t reverseTransformedValue(double seconds)
{
    return int64_t(seconds * double(lm_default_time_base()));
}

} // namespace Double2LMFFTimeTransformer
