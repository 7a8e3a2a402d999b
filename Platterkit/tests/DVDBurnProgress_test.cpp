// The burner's progress arithmetic and its state after each status, without a drive.

#include "Platterkit/burn/DVDBurnProgress.h"
#include "Platterkit/burn/DVDBurnStatus.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

QVariantMap status(const QString &phase)
{
    return {{DVDBurnStatus::StateKey, phase}};
}

QVariantMap status(const QString &phase, const QVariant &fraction)
{
    return {{DVDBurnStatus::StateKey, phase}, {DVDBurnStatus::PercentCompleteKey, fraction}};
}

struct Step
{
    QVariantMap status;
    double now;
};

struct ProgressCase
{
    const char *name;
    qint64 fileSize;
    bool allowVerify;
    std::vector<Step> steps;
    double expected;
};

constexpr double dvdImage = 4050000000.0;
const double dvdWeight = 300.0 / 3300.0;
const double floorWeight = 300.0 / 330.0;

} // namespace

TEST(DVDBurnProgress, WeightsWritingClosingAndVerifying)
{
    const QString write = DVDBurnStatus::StateTrackWrite;
    const QString close = DVDBurnStatus::StateSessionClose;
    const QString verify = DVDBurnStatus::StateVerifying;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ProgressCase> cases = {
        {"before any status only the token closing share shows",
         qint64(dvdImage),
         false,
         {{QVariantMap(), 5000.0}},
         dvdWeight / 300.0},
        {"4.05 GB image half written before closing",
         qint64(dvdImage),
         false,
         {{status(write, 0.5), 5000.0}},
         dvdWeight / 300.0 + (1.0 - dvdWeight) * 0.5},
        {"small image takes the 30 s writing floor",
         1000000,
         false,
         {{status(write, 0.5), 10.0}},
         floorWeight / 300.0 + (1.0 - floorWeight) * 0.5},
        {"image just under 40.5 MB still takes the floor",
         40499999,
         false,
         {{status(write, 1.0), 10.0}},
         floorWeight / 300.0 + (1.0 - floorWeight)},
        {"halfway through the 300 s closing estimate",
         qint64(dvdImage),
         false,
         {{status(close), 100.0}, {status(close), 250.0}},
         0.5 * dvdWeight + (1.0 - dvdWeight)},
        {"closing longer than its estimate counts in full, never more",
         qint64(dvdImage),
         false,
         {{status(close), 100.0}, {status(close), 1000.0}},
         1.0},
        {"later phases keep the closing start",
         qint64(dvdImage),
         false,
         {{status(close), 100.0}, {status(DVDBurnStatus::StatePreparing), 160.0}},
         0.2 * dvdWeight + (1.0 - dvdWeight)},
        {"verification past 1 % ends the closing share at once",
         qint64(dvdImage),
         true,
         {{status(write, 1.0), 90.0}, {status(close), 100.0}, {status(verify, 0.02), 101.0}},
         dvdWeight + (1.0 - dvdWeight) * (0.5 + 0.5 * 0.02)},
        {"verification at 1 % leaves closing timed",
         qint64(dvdImage),
         true,
         {{status(close), 100.0}, {status(verify, 0.01), 130.0}},
         0.1 * dvdWeight + (1.0 - dvdWeight) * (0.5 + 0.5 * 0.01)},
        {"with verification allowed writing is half the base",
         qint64(dvdImage),
         true,
         {{status(write, 0.5), 10.0}},
         dvdWeight / 300.0 + (1.0 - dvdWeight) * 0.25},
        {"negative fraction counts as nothing written",
         qint64(dvdImage),
         false,
         {{status(write, 0.5), 10.0}, {status(write, -0.25), 11.0}},
         dvdWeight / 300.0},
        {"NaN fraction counts as nothing written",
         qint64(dvdImage),
         false,
         {{status(write, nan), 10.0}},
         dvdWeight / 300.0},
        {"missing fraction counts as nothing written",
         qint64(dvdImage),
         false,
         {{status(write, 0.5), 10.0}, {status(write), 11.0}},
         dvdWeight / 300.0},
        {"fraction above one is held at one",
         qint64(dvdImage),
         false,
         {{status(write, 7.0), 10.0}},
         dvdWeight / 300.0 + (1.0 - dvdWeight)},
        // The start time used to double as the "not started" mark (0), which only works with a
        // clock counting from a distant epoch. These two cases use a clock that starts near 0.
        {"clock far below any epoch before closing: still the token share",
         qint64(dvdImage),
         false,
         {{status(write, 0.5), 50.0}},
         dvdWeight / 300.0 + (1.0 - dvdWeight) * 0.5},
        {"closing that began at clock 0 is timed from 0",
         qint64(dvdImage),
         false,
         {{status(close), 0.0}, {status(close), 150.0}},
         0.5 * dvdWeight + (1.0 - dvdWeight)},
        {"a clock that went back does not make closing negative",
         qint64(dvdImage),
         false,
         {{status(close), 100.0}, {status(close), 40.0}},
         1.0 - dvdWeight},
    };
    for (const ProgressCase &row : cases) {
        SCOPED_TRACE(row.name);
        DVDBurnProgress progress;
        progress.setBurnFileSize(row.fileSize);
        progress.setAllowVerify(row.allowVerify);
        double value = -1.0;
        for (const Step &step : row.steps)
            value = progress.progress(step.status, step.now);
        EXPECT_NEAR(value, row.expected, 1e-9);
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 1.0);
    }
}

TEST(DVDBurnProgress, ClosingIsTimedFromItsFirstSightingAndResetStartsOver)
{
    DVDBurnProgress progress;
    progress.setBurnFileSize(qint64(dvdImage));
    progress.progress(status(DVDBurnStatus::StateTrackWrite, 0.75), 10.0);
    EXPECT_DOUBLE_EQ(progress.writeProgress(), 0.75);
    EXPECT_FALSE(progress.hasSessionCloseStarted());

    progress.progress(status(DVDBurnStatus::StateSessionClose), 20.0);
    progress.progress(status(DVDBurnStatus::StateSessionClose), 80.0);
    EXPECT_TRUE(progress.hasSessionCloseStarted());
    EXPECT_DOUBLE_EQ(progress.writeDiscStartTime(), 20.0);
    EXPECT_DOUBLE_EQ(progress.writeProgress(), 1.0);

    progress.reset();
    EXPECT_FALSE(progress.hasSessionCloseStarted());
    EXPECT_EQ(progress.writeProgress(), 0.0);
    EXPECT_EQ(progress.burnFileSize(), 0);
}

TEST(DVDBurnStatus, FinishedOrFailedRunKeepsItsState)
{
    struct Row
    {
        const char *name;
        int state;
        QVariantMap status;
        int expected;
    };
    const std::vector<Row> rows = {
        {"done finishes", 0, status(DVDBurnStatus::StateDone), 1},
        {"failed fails", 0, status(DVDBurnStatus::StateFailed), 2},
        {"writing stays busy", 0, status(DVDBurnStatus::StateTrackWrite, 0.5), 0},
        {"closing stays busy", 0, status(DVDBurnStatus::StateSessionClose), 0},
        {"verifying stays busy", 0, status(DVDBurnStatus::StateVerifying, 0.5), 0},
        {"empty status stays busy", 0, QVariantMap(), 0},
        {"done after failed stays failed", 2, status(DVDBurnStatus::StateDone), 2},
        {"failed after done stays finished", 1, status(DVDBurnStatus::StateFailed), 1},
        {"writing after done stays finished", 1, status(DVDBurnStatus::StateTrackWrite, 0.1), 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(burnStateAfterStatus(row.state, row.status), row.expected);
    }
}
