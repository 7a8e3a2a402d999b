#pragma once

#include <QLoggingCategory>
#include <functional>

namespace Reelsmith::detail {

// The totals of one block profiler: runs, seconds spent in them and the time of the last report.
// Each profiling entry point keeps its own instance. Unguarded: one thread at a time.
struct BlockTimeProfile
{
    int count = 0;
    double totalSeconds = 0;
    double lastReportSeconds = 0;
    bool reported = false;

    // Runs block and adds its time; on the first call and more than 5 s after the last report
    // logs "average runs-per-second seconds count" to category at info level and starts again.
    void run(const std::function<void()> &block, const QLoggingCategory &category);
};

} // namespace Reelsmith::detail

/**
 * A time profiler for blocks, for diagnostics. No instances.
 */
class LMHelper
{
public:
    LMHelper() = delete;

    /**
     * Runs block and adds its run time to process-wide totals; more than 5 s after the last
     * report (and on the first call) logs the average run time, runs per second, the seconds
     * since the last report and the count, then starts again. One thread: the totals are
     * unguarded.
     */
    static void timeProfileBlock(const std::function<void()> &block);
};
