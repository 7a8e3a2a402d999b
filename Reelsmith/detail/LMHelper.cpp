#include "Reelsmith/detail/LMHelper.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/archiving/CodingBase.h"

#include <algorithm>

namespace Reelsmith::detail {

void BlockTimeProfile::run(const std::function<void()> &block, const QLoggingCategory &category)
{
    // The monotonic clock: a wall-clock step would show as a negative or huge run time.
    const double start = lm_ff_time_to_double(lm_wall_absolute_fftime());
    if (block)
        block();
    const double now = lm_ff_time_to_double(lm_wall_absolute_fftime());
    ++count;
    totalSeconds += now - start;
    const double sinceReport = now - lastReportSeconds;
    if (!reported || sinceReport > 5.0) {
        qCInfo(category,
               "%f %f %f %d",
               totalSeconds / std::max(double(count), 1.0),
               count / sinceReport,
               sinceReport,
               count);
        reported = true;
        lastReportSeconds = now;
        count = 0;
        totalSeconds = 0;
    }
}

} // namespace Reelsmith::detail

void LMHelper::timeProfileBlock(const std::function<void()> &block)
{
    static Reelsmith::detail::BlockTimeProfile profile;
    profile.run(block, Reelsmith::lcCoding());
}
