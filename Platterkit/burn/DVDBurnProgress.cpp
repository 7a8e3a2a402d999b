#include "Platterkit/burn/DVDBurnProgress.h"

#include "Platterkit/burn/DVDBurnStatus.h"

#include <algorithm>
#include <cmath>

namespace {

// A fraction the drive reported; a missing, negative or unreadable one counts as nothing done.
double reportedFraction(const QVariantMap &status)
{
    bool ok = false;
    const double fraction = status.value(DVDBurnStatus::PercentCompleteKey).toDouble(&ok);
    if (!ok || std::isnan(fraction) || fraction < 0.0)
        return 0.0;
    return std::min(fraction, 1.0);
}

} // namespace

void DVDBurnProgress::reset()
{
    m_writeProgress = 0.0;
    m_verifyingProgress = 0.0;
    m_writeDiscStartTime = 0.0;
    m_sessionCloseStarted = false;
    m_burnFileSize = 0;
}

double DVDBurnProgress::sessionCloseWeight(qint64 burnFileSize)
{
    const double writeSeconds
        = std::max(MinimumWriteSeconds, double(burnFileSize) / WriteBytesPerSecond);
    return SessionCloseSeconds / (writeSeconds + SessionCloseSeconds);
}

double DVDBurnProgress::progress(const QVariantMap &status, double nowSeconds)
{
    const QString phase = status.value(DVDBurnStatus::StateKey).toString();
    if (phase == DVDBurnStatus::StateSessionClose) {
        m_writeProgress = 1.0;
        if (!m_sessionCloseStarted) {
            m_writeDiscStartTime = nowSeconds;
            m_sessionCloseStarted = true;
        }
    } else if (phase == DVDBurnStatus::StateVerifying) {
        m_verifyingProgress = reportedFraction(status);
    } else if (phase == DVDBurnStatus::StateTrackWrite) {
        m_writeProgress = reportedFraction(status);
    }

    const double weight = sessionCloseWeight(m_burnFileSize);
    // Before closing begins, a token 1/300 of it shows that the run is under way.
    double closing = 1.0 / SessionCloseSeconds;
    if (m_sessionCloseStarted)
        closing = std::clamp((nowSeconds - m_writeDiscStartTime) / SessionCloseSeconds, 0.0, 1.0);
    // Verification only starts once the disc is closed, however long closing took.
    if (m_verifyingProgress > 0.01)
        closing = 1.0;

    double base = m_writeProgress;
    if (m_allowVerify)
        base = 0.5 * m_writeProgress + 0.5 * m_verifyingProgress;
    return closing * weight + (1.0 - weight) * base;
}
