#include "app/View/MainView/OpenProgressWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

OpenProgressWindow::OpenProgressWindow(QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Sheet | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("openProgressWindow"));
    setWindowModality(Qt::WindowModal);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("openProgressMessage"));
    m_indicator = new QProgressBar(this);
    m_indicator->setObjectName(QStringLiteral("openProgressIndicator"));
    m_indicator->setTextVisible(false);
    m_indicator->setRange(0, 1);
    m_indicator->setValue(0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 18);
    layout->setSpacing(10);
    layout->addWidget(m_message);
    layout->addWidget(m_indicator);
    setMinimumWidth(360);
}

bool OpenProgressWindow::isIndicatorRunning() const
{
    // A bar with an empty range is the busy bar.
    return m_indicator->maximum() == 0 && m_indicator->minimum() == 0;
}

void OpenProgressWindow::beginSheet(const QString &message)
{
    m_message->setText(message);
    m_indicator->setRange(0, 0);
    adjustSize();
    if (QWidget *main = parentWidget()) {
        // Hangs from the top of the window, as a sheet does.
        const QRect frame = main->geometry();
        move(frame.x() + (frame.width() - width()) / 2, frame.y());
    }
    show();
    raise();
}

void OpenProgressWindow::endSheet()
{
    m_indicator->setRange(0, 1);
    m_indicator->setValue(0);
    hide();
}

void OpenProgressWindow::closeEvent(QCloseEvent *event)
{
    // Only the end of the job takes the sheet down (endSheet hides it without a close).
    event->ignore();
}
