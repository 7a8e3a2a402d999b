#pragma once

#include <functional>

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
