#pragma once

#include <QtGlobal>
#include <atomic>

/**
 * The answer of an alert that the production thread does not wait for: the Retry sheet after a
 * failed burn and the insert-disc alert between copies. The presenter shows the alert and calls
 * alertDidEnd() once the user chose; the production thread meanwhile polls alertReturn() and keeps
 * the alert's text up to date. Shared by the two sides; any thread may call it.
 */
class BurnDVDWorkflowAlertHelper
{
public:
    // The answers of a two-button alert.
    static constexpr qint64 DefaultReturn = 1;
    static constexpr qint64 AlternateReturn = 0;

    // Records the chosen button; only the first answer counts.
    void alertDidEnd(qint64 returnCode)
    {
        if (m_ended.exchange(true))
            return;
        m_returnCode.store(returnCode);
        m_alertReturn.store(true);
    }
    bool alertReturn() const { return m_alertReturn.load(); }
    qint64 returnCode() const { return m_returnCode.load(); }

private:
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_alertReturn{false};
    std::atomic<qint64> m_returnCode{-1};
};
