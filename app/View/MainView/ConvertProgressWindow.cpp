#include "app/View/MainView/ConvertProgressWindow.h"

#include "app/Controller/Panels/Workspace.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The run closes the window; Escape or the close box would leave the run going without a window.
class ProgressDialog : public QDialog
{
public:
    using QDialog::QDialog;
    std::function<void()> onCancel;

protected:
    void reject() override
    {
        if (onCancel)
            onCancel();
    }
};

} // namespace

ConvertProgressWindow::ConvertProgressWindow(QWidget *parentWindow)
    : m_parentWindow(parentWindow)
{
    auto *dialog = new ProgressDialog(parentWindow);
    dialog->onCancel = [this] {
        if (m_cancel)
            m_cancel();
    };
    m_window = dialog;
    m_window->setObjectName(QStringLiteral("ConvertProgressWindowController"));
    m_window->setWindowTitle(platform::localizedString("Burn DVD"));
    m_window->setWindowModality(Qt::WindowModal);
    m_progressIndicator = new QProgressBar(m_window);
    m_progressIndicator->setRange(0, 1000);
    m_progressIndicator->setTextVisible(false);
    m_convertVideoStatus = new QLabel(m_window);
    m_cancelButton = new QPushButton(platform::localizedString("Cancel"), m_window);
    auto *layout = new QVBoxLayout(m_window);
    layout->addWidget(m_convertVideoStatus);
    layout->addWidget(m_progressIndicator);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);
    m_window->setMinimumWidth(420);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        if (m_cancel)
            m_cancel();
    });
}

ConvertProgressWindow::~ConvertProgressWindow() = default;

void ConvertProgressWindow::openProgressWindow()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_progressIndicator->setValue(0);
    m_window->open();
}

void ConvertProgressWindow::closeProgressWindow()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_window->hide();
}

void ConvertProgressWindow::showProgress(double progress)
{
    m_progressIndicator->setValue(int(std::clamp(progress, 0.0, 1.0) * 1000));
}

void ConvertProgressWindow::showStatus(const QString &status)
{
    m_convertVideoStatus->setText(status);
}

QWidget *ConvertProgressWindow::alertParent() const
{
    return m_window->isVisible() ? m_window : m_parentWindow;
}

QMessageBox *ConvertProgressWindow::makeAlert(const ProductionAlert &alert,
                                              QPushButton **defaultButton)
{
    auto *box = new QMessageBox(
        QMessageBox::NoIcon, alert.message, alert.message, QMessageBox::NoButton, alertParent());
    box->setObjectName(QStringLiteral("productionAlert"));
    box->setWindowModality(Qt::WindowModal);
    box->setInformativeText(alert.informativeText);
    QPushButton *accept = box->addButton(alert.defaultButton, QMessageBox::AcceptRole);
    box->setDefaultButton(accept);
    if (!alert.alternateButton.isEmpty())
        box->setEscapeButton(box->addButton(alert.alternateButton, QMessageBox::RejectRole));
    accept->setEnabled(alert.defaultButtonEnabled);
    *defaultButton = accept;
    return box;
}

void ConvertProgressWindow::openAlert(const ProductionAlert &alert,
                                      const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
{
    // The run waits for the answer on its own thread; the sheet itself never blocks.
    beginAlert(alert, helper);
}

void ConvertProgressWindow::beginAlert(const ProductionAlert &alert,
                                       const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
{
    DW_ASSERT_MAIN_THREAD(return );
    QPushButton *accept = nullptr;
    QMessageBox *box = makeAlert(alert, &accept);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_openAlerts.insert(helper.get(), {box, accept});
    m_alert = box;
    BurnDVDWorkflowAlertHelper *key = helper.get();
    connect(box, &QMessageBox::finished, this, [this, box, accept, helper, key] {
        m_openAlerts.remove(key);
        helper->alertDidEnd(box->clickedButton() == accept
                                ? BurnDVDWorkflowAlertHelper::DefaultReturn
                                : BurnDVDWorkflowAlertHelper::AlternateReturn);
    });
    box->open();
}

void ConvertProgressWindow::updateAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                        const QString &informativeText,
                                        bool defaultButtonEnabled)
{
    const OpenAlert open = m_openAlerts.value(helper.get());
    if (!open.box)
        return;
    if (open.box->informativeText() != informativeText)
        open.box->setInformativeText(informativeText);
    if (open.defaultButton)
        open.defaultButton->setEnabled(defaultButtonEnabled);
}

void ConvertProgressWindow::dismissAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
{
    const OpenAlert open = m_openAlerts.take(helper.get());
    if (open.box)
        open.box->reject();
}

void ConvertProgressWindow::revealFile(const QString &path)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (Workspace::shared().selectFile(path))
        return;
    // Without a file viewer to show it, the run would end with the progress window gone and
    // nothing else; the person is told it finished and where the result is.
    auto *box = new QMessageBox(QMessageBox::Information,
                                platform::localizedString(QStringLiteral("The run has finished.")),
                                platform::localizedString(QStringLiteral("The run has finished.")),
                                QMessageBox::Ok,
                                alertParent());
    box->setObjectName(QStringLiteral("revealFallbackAlert"));
    box->setInformativeText(
        platform::localizedString(QStringLiteral("The result is at \"%@\"."), {path}));
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_alert = box;
    box->open();
}
