#pragma once

#include "app/production/BurnDVDWorkflowAlertHelper.h"

#include <QString>
#include <memory>

// One alert of a production run, its texts already looked up in the string table. The first
// button is the default one (return code 1), the second, when there is one, the alternate (0).
struct ProductionAlert
{
    QString message;
    QString informativeText;
    QString defaultButton;
    QString alternateButton;
    // Whether the default button can be pressed when the alert appears.
    bool defaultButtonEnabled = true;
};

/**
 * What a production run shows the user and asks of them: the progress window, its bar and status
 * line, the alerts (the space warning, the Retry sheet, the final burn alerts, the insert-disc alert
 * between copies, the failures of the folder and image steps), the reveal of a result in the file
 * viewer and the rating reminder. The application's progress window implements it; tests script it.
 *
 * Every call comes on the main thread and returns at once: an alert's answer arrives through its
 * helper. The run waits for the answer of openAlert(); beginAlert()'s alert it may update or
 * dismiss while it is open, and a cancelled run dismisses either. The presenter asks to stop a run through ConvertProgressWindowController::cancel.
 */
class ConvertProgressPresenter
{
public:
    virtual ~ConvertProgressPresenter() = default;

    virtual void openProgressWindow() = 0;
    virtual void closeProgressWindow() = 0;
    // Every 0.2 s while a run goes on: the fraction for the bar, 0 to 0.99.
    virtual void showProgress(double progress) = 0;
    virtual void showStatus(const QString &status) = 0;

    // Shows the alert window-modal; the presenter calls helper->alertDidEnd() with the return code
    // of the button chosen.
    virtual void openAlert(const ProductionAlert &alert,
                           const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
        = 0;
    // Shows the alert without waiting; the presenter calls helper->alertDidEnd() with the return
    // code of the button chosen.
    virtual void beginAlert(const ProductionAlert &alert,
                            const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
        = 0;
    // New informative text and state of the default button of an alert begun and not yet ended.
    virtual void updateAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                             const QString &informativeText,
                             bool defaultButtonEnabled)
        = 0;
    // Closes an alert opened or begun and not yet ended, when the run goes no further (it was
    // cancelled); an alert already ended is left alone.
    virtual void dismissAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) = 0;

    // Selects the finished folder or image in the file viewer.
    virtual void revealFile(const QString &path) = 0;
    virtual void showRateApplicationWindow() = 0;
};
