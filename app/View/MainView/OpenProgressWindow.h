#pragma once

// The sheet that hangs on the main window while a project package is written or read: one line
// naming the package and a busy bar, no buttons. Window-modal, so the window takes no input and
// its commands are off until the job is over; Escape and the close box do not take it down, only
// endSheet does. Widgets only; the document host decides when it shows (PackageProgressState).
//
// A child of the main window, made once by the document host. Main thread.

#include <QDialog>

class QLabel;
class QProgressBar;

class OpenProgressWindow : public QDialog
{
    Q_OBJECT
public:
    explicit OpenProgressWindow(QWidget *mainWindow);

    QLabel *messageLabel() const { return m_message; }
    QProgressBar *openProgressIndicator() const { return m_indicator; }
    // The indicator runs while the sheet is up.
    bool isIndicatorRunning() const;

    // Shows the sheet with message and starts the indicator; a sheet already up takes the new
    // message.
    void beginSheet(const QString &message);
    // Stops the indicator and takes the sheet down.
    void endSheet();

protected:
    void reject() override {}
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_message = nullptr;
    QProgressBar *m_indicator = nullptr;
};
