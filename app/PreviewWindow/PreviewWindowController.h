#pragma once

#include "app/PreviewWindow/PreviewViewController.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

class QPropertyAnimation;
class QStyle;

// The preview window: a window-modal dialog over the main window that fades in from opacity 0.3,
// takes the main window off the screen 0.4 s later, and on closing empties the player and fades
// the main window back in from 0.1. A close within those 0.4 s cancels the pending hide, so the
// main window is never left off the screen behind a closed preview.
//
// Owned by the main window controller for the life of the process. Main thread only.
class PreviewWindowController : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHideMainWindowDelayMs = 400;

    // mainWindow is not owned; closed runs once each time the window closes (the main window
    // controller's isOpenPreviewWnd goes back to NO there).
    PreviewWindowController(QWidget *mainWindow,
                            PreviewViewController::DiscSource discSource,
                            std::function<void()> closed);
    ~PreviewWindowController() override;

    PreviewViewController *previewController() const { return m_previewController; }
    QWidget *mainWnd() const { return m_mainWindow; }
    // Whether the main window is still to be taken off the screen.
    bool isMainWindowHidePending() const { return m_hideTimer.isActive(); }

    // Prepares the player, fades the window in and opens it window-modal (open(), no nested loop).
    void showPreviewWindowWithAnimator();
    void showPreviewWindowWithAnimatorDelay();
    void closePreviewWindowWithAnimator();

private:
    void windowWillClose();

    QPointer<QWidget> m_mainWindow;
    std::function<void()> m_closed;
    PreviewViewController *m_previewController = nullptr;
    std::unique_ptr<QStyle> m_style;
    QTimer m_hideTimer;
    QPointer<QPropertyAnimation> m_fade;
};
