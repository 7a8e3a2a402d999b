#include "AppFakes.h"

#include "Platterkit/model/DVDLibraryButtonResource.h"
#include "Platterkit/model/DVDLibraryFrameResource.h"

#include <QDeadlineTimer>

namespace app_testing {

QGuiApplication &application()
{
    static int argc = 1;
    static char name[] = "app_test";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = new QGuiApplication(argc, argv);
    return *app;
}

bool runUntil(const std::function<bool()> &done, int limitMs)
{
    application();
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void drainEvents()
{
    application();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void FakeMenuEditController::displayCanvasView()
{
    ++redraws;
    if (QThread::currentThread() != application().thread())
        ++redrawsOffMainThread;
}

FakeMainWindowController::FakeMainWindowController() = default;

QList<std::shared_ptr<TempEditData>> FakeMainWindowController::tempDataArray() const
{
    std::lock_guard locker(m_lock);
    return m_records;
}

QString FakeMainWindowController::pathForResourcePath(const QString &relativePath) const
{
    return packagePath.isEmpty() ? QString() : packagePath + relativePath;
}

MenuEditControllerInterface *FakeMainWindowController::menuEditController() const
{
    return const_cast<FakeMenuEditController *>(&editor);
}

void FakeMainWindowController::setTempDataArray(const TempEditDataList &records)
{
    std::lock_guard locker(m_lock);
    m_records = records;
}

void FakeMainWindowController::addTempEditData(const TempEditDataRef &record)
{
    std::lock_guard locker(m_lock);
    m_records.append(record);
}

ScopedMainWindow::ScopedMainWindow()
    : m_controller(std::make_shared<FakeMainWindowController>())
{
    application();
    // A redraw queued by an earlier test must not reach this test's editor.
    drainEvents();
    ControllerFunction::setMainWndController(m_controller);
}

ScopedMainWindow::~ScopedMainWindow()
{
    drainEvents();
    ControllerFunction::setMainWndController(nullptr);
}

QImage FakeText::textSourceImage() const
{
    QImage image(m_size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QVariantList FakeTitle::vcmovies() const
{
    QVariantList out;
    for (int i = 0; i < m_clipCount; ++i)
        out.append(QVariant::fromValue(ObjectRef(std::make_shared<QObject>())));
    return out;
}

std::shared_ptr<FakeTitle> makeTitle(int clipCount)
{
    return std::make_shared<FakeTitle>(clipCount);
}

DVDMenuItemRef makeTitleSlot(const QRectF &frame)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(frame);
    auto resource = std::make_shared<DVDLibraryFrameResource>();
    resource->setName(QStringLiteral("gold"));
    item->setFrameResource(resource);
    return item;
}

DVDMenuItemRef makeButton(const QString &type, const QRectF &frame)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(frame);
    auto resource = std::make_shared<DVDLibraryButtonResource>();
    resource->setName(QStringLiteral("Blue-%1").arg(type));
    resource->setPath(QStringLiteral("Button/Blue/%1Btn.png").arg(type));
    item->setButtonResource(resource);
    return item;
}

DVDMenuItemRef makeStaticText(const QRectF &frame)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(frame);
    auto text = std::make_shared<FakeText>(QSize(160, 30));
    item->setTextSource(text);
    text->setMenuItem(item);
    item->setIs_text_item(true);
    return item;
}

DVDMenuItemRef makeDecoration()
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(QRectF(0, 440, 640, 40));
    return item;
}

} // namespace app_testing
