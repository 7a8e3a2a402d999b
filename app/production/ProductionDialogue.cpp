#include "app/production/ProductionDialogue.h"

#include "app/production/ProductionLog.h"
#include "platform/MainThread.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

using Discwright::lcProduction;

namespace {

// How often a wait looks whether an answer came or the run was cancelled.
constexpr int waitSliceMs = 50;

// One piece of work handed to the main thread: taken there unless the waiter gave up first.
struct Handover
{
    std::mutex lock;
    std::condition_variable changed;
    bool taken = false;
    bool done = false;
    bool abandoned = false;
};

} // namespace

ProductionDialogue::ProductionDialogue(QObject *receiver,
                                       std::shared_ptr<ConvertProgressPresenter> presenter,
                                       std::function<bool()> cancelled)
    : m_receiver(receiver)
    , m_presenter(std::move(presenter))
    , m_cancelled(std::move(cancelled))
{}

void ProductionDialogue::post(std::function<void()> work)
{
    if (platform::isMainThread()) {
        work();
        return;
    }
    platform::postToMainThread(m_receiver, std::move(work));
}

bool ProductionDialogue::askVoid(std::function<void()> work)
{
    if (platform::isMainThread()) {
        work();
        return true;
    }
    auto handover = std::make_shared<Handover>();
    platform::postToMainThread(m_receiver, [handover, work = std::move(work)] {
        {
            std::lock_guard guard(handover->lock);
            if (handover->abandoned)
                return;
            handover->taken = true;
        }
        work();
        std::lock_guard guard(handover->lock);
        handover->done = true;
        handover->changed.notify_all();
    });
    std::unique_lock lock(handover->lock);
    for (;;) {
        if (handover->done)
            return true;
        // Work the main thread has taken up ends soon; work not yet taken up is given up.
        if (!handover->taken && m_cancelled()) {
            handover->abandoned = true;
            return false;
        }
        handover->changed.wait_for(lock, std::chrono::milliseconds(waitSliceMs));
    }
}

qint64 ProductionDialogue::showAlert(const ProductionAlert &alert)
{
    if (!m_presenter) {
        qCWarning(lcProduction).noquote() << "alert:" << alert.message << alert.informativeText;
        return BurnDVDWorkflowAlertHelper::DefaultReturn;
    }
    const auto helper = std::make_shared<BurnDVDWorkflowAlertHelper>();
    post([presenter = m_presenter, alert, helper] { presenter->openAlert(alert, helper); });
    return waitForAnswer(helper, {}, 0);
}

bool ProductionDialogue::runAlertWindow(const ProductionAlert &alert,
                                        const std::function<Refresh()> &refresh,
                                        int refreshMs)
{
    if (!m_presenter) {
        qCWarning(lcProduction).noquote() << "nobody to ask:" << alert.message;
        return false;
    }
    const auto helper = std::make_shared<BurnDVDWorkflowAlertHelper>();
    post([presenter = m_presenter, alert, helper, refresh] {
        ProductionAlert shown = alert;
        if (refresh && alert.informativeText.isEmpty()) {
            const Refresh now = refresh();
            shown.informativeText = now.text;
            shown.defaultButtonEnabled = now.ready;
        }
        presenter->beginAlert(shown, helper);
    });
    return waitForAnswer(helper, refresh, refreshMs) == BurnDVDWorkflowAlertHelper::DefaultReturn
           && !m_cancelled();
}

qint64 ProductionDialogue::waitForAnswer(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                         const std::function<Refresh()> &refresh,
                                         int refreshMs)
{
    QElapsedTimer sinceRefresh;
    bool refreshed = false;
    while (!helper->alertReturn()) {
        if (m_cancelled()) {
            post([presenter = m_presenter, helper] { presenter->dismissAlert(helper); });
            helper->alertDidEnd(BurnDVDWorkflowAlertHelper::AlternateReturn);
            break;
        }
        if (refresh && (!refreshed || sinceRefresh.elapsed() >= refreshMs)) {
            post([presenter = m_presenter, helper, refresh] {
                if (helper->alertReturn())
                    return;
                const Refresh now = refresh();
                presenter->updateAlert(helper, now.text, now.ready);
            });
            sinceRefresh.start();
            refreshed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(waitSliceMs));
    }
    return helper->returnCode();
}
