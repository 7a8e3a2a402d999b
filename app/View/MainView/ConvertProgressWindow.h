#pragma once

// The progress window of a production run, as the user sees it: a window-modal sheet on the main
// window with the status line, one bar and Cancel, the alerts the run asks (each a window-modal
// sheet that answers through its helper),
// and the reveal of the finished folder or image. It shows what the production controller tells
// it and passes Cancel back; the run itself is ConvertProgressWindowController's.
//
// Owned by the main window controller (shared with the production controller), created once and
// reused for every run; its window belongs to the main window. Main thread (the production
// controller calls every method there).

#include "app/production/ConvertProgressPresenter.h"

#include <QHash>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <memory>

class QDialog;
class QLabel;

class QProgressBar;

class QWidget;

class ConvertProgressWindow : public QObject, public ConvertProgressPresenter
{
    Q_OBJECT
public:
    explicit ConvertProgressWindow(QWidget *parentWindow);
    ~ConvertProgressWindow() override;

    QDialog *window() const { return m_window; }
    QProgressBar *progressIndicator() const { return m_progressIndicator; }
    QLabel *convertVideoStatus() const { return m_convertVideoStatus; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    // The alert up at the moment (opened or begun), null when none.
    QMessageBox *currentAlert() const { return m_alert; }

    // What Cancel does: stop the run.
    void setCancelHandler(std::function<void()> handler) { m_cancel = std::move(handler); }

    // ConvertProgressPresenter.
    void openProgressWindow() override;
    void closeProgressWindow() override;
    void showProgress(double progress) override;
    void showStatus(const QString &status) override;
    void openAlert(const ProductionAlert &alert,
                   const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override;
    void beginAlert(const ProductionAlert &alert,
                    const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override;
    void updateAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                     const QString &informativeText,
                     bool defaultButtonEnabled) override;
    void dismissAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override;
    // Shows the result in the file viewer; where none can be started, an alert (not waited for)
    // says the run finished and names the result's path.
    void revealFile(const QString &path) override;
    // The rating reminder never shows a window.
    void showRateApplicationWindow() override {}

private:
    struct OpenAlert
    {
        QPointer<QMessageBox> box;
        QPointer<QPushButton> defaultButton;
    };
    QMessageBox *makeAlert(const ProductionAlert &alert, QPushButton **defaultButton);
    // Alerts hang on the progress window while it is up, else on the main window.
    QWidget *alertParent() const;

    QWidget *m_parentWindow = nullptr;
    QDialog *m_window = nullptr;
    QProgressBar *m_progressIndicator = nullptr;
    QLabel *m_convertVideoStatus = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPointer<QMessageBox> m_alert;
    std::function<void()> m_cancel;
    QHash<BurnDVDWorkflowAlertHelper *, OpenAlert> m_openAlerts;
};
