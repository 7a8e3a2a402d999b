#include "app/PreviewWindow/PreviewWindowController.h"

#include "app/AppTheme/TransparentControlStyle.h"
#include "app/AppTheme/WindowThemeExtention.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

// The platform's default animation length.
constexpr int kFadeMs = 250;

void fadeIn(QWidget *window, double from)
{
    window->setWindowOpacity(from);
    auto *animation = new QPropertyAnimation(window, "windowOpacity", window);
    animation->setDuration(kFadeMs);
    animation->setStartValue(from);
    animation->setEndValue(1.0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

PreviewWindowController::PreviewWindowController(QWidget *mainWindow,
                                                 PreviewViewController::DiscSource discSource,
                                                 std::function<void()> closed)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
    , m_closed(std::move(closed))
{
    DW_ASSERT_MAIN_THREAD();
    setObjectName(QStringLiteral("previewWindow"));
    setWindowTitle(platform::localizedString(QStringLiteral("Preview")));
    setWindowModality(Qt::WindowModal);
    setStyleSheet(QStringLiteral("QDialog#previewWindow { background: rgb(25, 25, 25); }"));
    resize(854, 540);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_previewController = new PreviewViewController(std::move(discSource), this);
    layout->addWidget(m_previewController->view());

    // The controls share the dark, image-drawn look; the title bar asks for its dark variant.
    m_style = std::make_unique<TransparentControlStyle>();
    const auto styled = findChildren<QWidget *>();
    for (QWidget *child : styled)
        child->setStyle(m_style.get());
    WindowThemeExtention::changeTitleBarTheme(this);

    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kHideMainWindowDelayMs);
    connect(&m_hideTimer, &QTimer::timeout, this, [this] { showPreviewWindowWithAnimatorDelay(); });
    connect(this, &QDialog::finished, this, [this] { windowWillClose(); });
}

PreviewWindowController::~PreviewWindowController()
{
    m_hideTimer.stop();
    // The children go with the base class, after the style: give them the application's back.
    const auto styled = findChildren<QWidget *>();
    for (QWidget *child : styled)
        child->setStyle(nullptr);
}

void PreviewWindowController::showPreviewWindowWithAnimator()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_previewController->readyToPlay();
    fadeIn(this, 0.3);
    open();
    raise();
    activateWindow();
    m_hideTimer.start();
}

void PreviewWindowController::showPreviewWindowWithAnimatorDelay()
{
    if (m_mainWindow)
        m_mainWindow->hide();
}

void PreviewWindowController::windowWillClose()
{
    // A close before the delayed hide has run must not let it take the main window away.
    m_hideTimer.stop();
    m_previewController->clearPlayer();
    if (m_closed)
        m_closed();
    closePreviewWindowWithAnimator();
}

void PreviewWindowController::closePreviewWindowWithAnimator()
{
    if (!m_mainWindow)
        return;
    fadeIn(m_mainWindow, 0.1);
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}
