#pragma once

// The burner's one smooth progress fraction over the phases of a run: writing the track, closing the
// session (which the drive does not measure, so it is estimated from the clock) and verifying.
// Plain arithmetic on the last status and a clock reading, so that it can be tested on its own.
// Not thread-safe: the burner uses it on its own thread only.

#include <QVariantMap>
#include <QtGlobal>

class DVDBurnProgress
{
public:
    // Bytes per second of writing assumed to weigh the phases, and the estimates in seconds.
    static constexpr double WriteBytesPerSecond = 1350000.0;
    static constexpr double MinimumWriteSeconds = 30.0;
    static constexpr double SessionCloseSeconds = 300.0;

    // Back to the start of a run: nothing written, verified or closed, no image size.
    void reset();

    // The weighted progress for status (see DVDBurnStatus) at nowSeconds, a reading of a clock
    // that only moves forward. Also records the phase's fraction and when closing began, so it
    // must be called with the statuses of one run in order.
    double progress(const QVariantMap &status, double nowSeconds);

    // The share of the whole run that closing the session takes, for an image of that many bytes.
    static double sessionCloseWeight(qint64 burnFileSize);

    double writeProgress() const { return m_writeProgress; }
    double verifyingProgress() const { return m_verifyingProgress; }
    // When closing was first seen, in the clock's seconds; meaningful only once hasSessionCloseStarted.
    double writeDiscStartTime() const { return m_writeDiscStartTime; }
    // Kept apart from the time itself: any clock value, 0 included, is a valid start time.
    bool hasSessionCloseStarted() const { return m_sessionCloseStarted; }
    qint64 burnFileSize() const { return m_burnFileSize; }
    void setBurnFileSize(qint64 bytes) { m_burnFileSize = bytes; }
    bool allowVerify() const { return m_allowVerify; }
    void setAllowVerify(bool allow) { m_allowVerify = allow; }

private:
    double m_writeProgress = 0.0;
    double m_verifyingProgress = 0.0;
    double m_writeDiscStartTime = 0.0;
    bool m_sessionCloseStarted = false;
    qint64 m_burnFileSize = 0;
    bool m_allowVerify = false;
};
