#pragma once

#include "app/production/ConvertProgressPresenter.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QObject;

/**
 * The one way a production thread shows something to the user, asks something of them, or reads
 * something that belongs to the main thread (the burner's disc): the work is posted to the main
 * thread and the production thread waits for the answer only while the run is not cancelled. The
 * main thread never waits for the production thread, so a cancel (the window's, or a quit's) always
 * frees the production thread: an alert still up is dismissed and a question not yet asked is
 * never asked.
 *
 * Made on the main thread for one run; receiver is the main-thread object that carries the posted
 * work and outlives the run. post(), ask(), showAlert() and runAlertWindow() come from the production thread.
 */
class ProductionDialogue
{
public:
    // The text and the state of the default button of an alert refreshed while it is up.
    struct Refresh
    {
        QString text;
        bool ready = false;
    };

    ProductionDialogue(QObject *receiver,
                       std::shared_ptr<ConvertProgressPresenter> presenter,
                       std::function<bool()> cancelled);

    // Runs work on the main thread later, without waiting.
    void post(std::function<void()> work);

    // Runs function on the main thread and answers its result; nullopt when the run was cancelled
    // before the main thread took the work up (it is then never run).
    template <class Function> auto ask(Function function) -> std::optional<decltype(function())>
    {
        using Result = decltype(function());
        auto result = std::make_shared<std::optional<Result>>();
        if (!askVoid([result, function]() mutable { *result = function(); }))
            return std::nullopt;
        return *result;
    }

    // The alert shown window-modal; the answer (DefaultReturn or AlternateReturn) once chosen.
    // A cancel dismisses it and answers AlternateReturn; without a presenter it is logged and
    // answered with the default button.
    qint64 showAlert(const ProductionAlert &alert);
    // The alert shown without a modal wait, its informative text and default button set by
    // refresh() (on the main thread) right after it appears and every refreshMs while it is up; an
    // alert without informative text takes its first text and state from refresh() too. True when
    // the default button was chosen and the run was not cancelled.
    bool runAlertWindow(const ProductionAlert &alert,
                        const std::function<Refresh()> &refresh,
                        int refreshMs);

private:
    bool askVoid(std::function<void()> work);
    // Waits for the helper's answer; a cancel dismisses the alert. Refreshes when refresh is set.
    qint64 waitForAnswer(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                         const std::function<Refresh()> &refresh,
                         int refreshMs);

    // Outlives the run: its owner ends the run before it goes.
    QObject *m_receiver;
    std::shared_ptr<ConvertProgressPresenter> m_presenter;
    std::function<bool()> m_cancelled;
};
