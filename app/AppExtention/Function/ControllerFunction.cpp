#include "app/AppExtention/Function/ControllerFunction.h"

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "platform/Assert.h"
#include "platform/MainThread.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QThread>
#include <atomic>
#include <mutex>

namespace {

std::mutex &registryLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<MainWindowControllerInterface> &installedController()
{
    static std::shared_ptr<MainWindowControllerInterface> controller;
    return controller;
}

AppDelegate *&registeredDelegate()
{
    static AppDelegate *delegate = nullptr;
    return delegate;
}

std::atomic<bool> &redrawPending()
{
    static std::atomic<bool> pending{false};
    return pending;
}

bool onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

QImage throughPng(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return QImage::fromData(png, "PNG");
}

} // namespace

void ControllerFunction::setAppDelegate(AppDelegate *delegate)
{
    std::lock_guard locker(registryLock());
    registeredDelegate() = delegate;
}

AppDelegate *ControllerFunction::appDelegate()
{
    std::lock_guard locker(registryLock());
    return registeredDelegate();
}

void ControllerFunction::setMainWndController(
    std::shared_ptr<MainWindowControllerInterface> controller)
{
    std::lock_guard locker(registryLock());
    installedController() = std::move(controller);
}

std::shared_ptr<MainWindowControllerInterface> ControllerFunction::mainWndController()
{
    std::lock_guard locker(registryLock());
    return installedController();
}

SourceViewController *ControllerFunction::sourceController()
{
    DW_ASSERT(onMainThread(), return nullptr);
    const auto main = mainWndController();
    return main ? main->sourceController() : nullptr;
}

MenuEditControllerInterface *ControllerFunction::menuEditController()
{
    DW_ASSERT(onMainThread(), return nullptr);
    const auto main = mainWndController();
    return main ? main->menuEditController() : nullptr;
}

COMVideoEditorWindowController *ControllerFunction::com_videoEditController()
{
    DW_ASSERT(onMainThread(), return nullptr);
    const auto main = mainWndController();
    return main ? main->com_videoEditController() : nullptr;
}

ChapterEditorWindowController *ControllerFunction::chapterEditController()
{
    DW_ASSERT(onMainThread(), return nullptr);
    const auto main = mainWndController();
    return main ? main->chapterEditController() : nullptr;
}

ButtonEditWindowController *ControllerFunction::buttonEditController()
{
    MenuEditControllerInterface *editor = menuEditController();
    return editor ? editor->buttonEditController() : nullptr;
}

BackgroundMusicWindowController *ControllerFunction::musiEditController()
{
    MenuEditControllerInterface *editor = menuEditController();
    return editor ? editor->musicEditController() : nullptr;
}

BackgroundPictureWindowController *ControllerFunction::pictureEditController()
{
    MenuEditControllerInterface *editor = menuEditController();
    return editor ? editor->pictureEditController() : nullptr;
}

TitleTextEditWindowController *ControllerFunction::titleTextEditController()
{
    MenuEditControllerInterface *editor = menuEditController();
    return editor ? editor->titleTextEditController() : nullptr;
}

SettingWindowController *ControllerFunction::settingController()
{
    MenuEditControllerInterface *editor = menuEditController();
    return editor ? editor->settingController() : nullptr;
}

void ControllerFunction::displayCanvasViewLater()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (redrawPending().exchange(true))
        return;
    platform::postToMainThread(app, [] {
        redrawPending().store(false);
        if (MenuEditControllerInterface *editor = menuEditController())
            editor->displayCanvasView();
    });
}

void ControllerFunction::updateDvdMenu()
{
    DW_ASSERT(onMainThread(), return );
    const auto main = mainWndController();
    if (!main)
        return;
    // The project rebuilds the pages and jumps and says so; its views follow.
    if (main->updateDvdMenuThroughProject()) {
        if (MenuEditControllerInterface *editor = main->menuEditController())
            editor->updateHasSubMenuItemImage();
        return;
    }
    if (const auto dvd = main->dvd())
        dvd->updateDVDMenu();
    if (MenuEditControllerInterface *editor = main->menuEditController())
        editor->updateHasSubMenuItemImage();
    main->changeCapacityValue();
}

void ControllerFunction::drawTitleAtRect(
    QPainter &painter, const QRectF &rect, const QString &string, int fontSize, const QColor &color)
{
    QFont font = QGuiApplication::font();
    font.setPointSize(fontSize > 0 ? fontSize : 1);
    const QFontMetricsF metrics(font);
    const QSizeF natural(metrics.horizontalAdvance(string), metrics.height());
    const QRectF place(rect.x() + (rect.width() - natural.width()) / 2,
                       rect.y() + (rect.height() - natural.height()) / 2,
                       natural.width(),
                       natural.height());
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(place, Qt::AlignCenter | Qt::TextDontClip, string);
    painter.restore();
}

QImage ControllerFunction::getNSImageFromPath(const QString &path)
{
    return path.isEmpty() ? QImage() : throughPng(QImage(path));
}

QImage ControllerFunction::getNSImageFromErrNSImage(const QImage &image)
{
    return throughPng(image);
}

QImage ControllerFunction::getThumbnailFromPath(const QString &)
{
    return ApplicationImage::imageNamed(QStringLiteral("DefaultImage"));
}
