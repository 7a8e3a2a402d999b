#pragma once

// What the application tests stand in for: the shell's main window controller and menu editor
// (installed through ControllerFunction), a styled text object, a title with or without clips,
// and small menu elements.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/model/DVDMenuTextResource.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/Function/ControllerFunction.h"

#include <QGuiApplication>
#include <QList>
#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>

namespace app_testing {

// The process's one application object, made on first use on the calling (main) thread.
QGuiApplication &application();

// Runs the event loop until done() holds; false if it never does within limitMs.
bool runUntil(const std::function<bool()> &done, int limitMs = 10000);
// Lets queued calls already posted run.
void drainEvents();

class FakeMenuEditController : public MenuEditControllerInterface
{
public:
    void displayCanvasView() override;
    void updateHasSubMenuItemImage() override { ++subMenuRefreshes; }

    std::atomic<int> redraws{0};
    std::atomic<int> redrawsOffMainThread{0};
    int subMenuRefreshes = 0;
};

class FakeMainWindowController : public MainWindowControllerInterface
{
public:
    FakeMainWindowController();

    std::shared_ptr<DVDLibrary> dvd() const override { return m_dvd; }
    QList<std::shared_ptr<TempEditData>> tempDataArray() const override;
    std::shared_ptr<TempDvdData> tempDvdData() const override { return m_tempDvdData; }
    QString pathForResourcePath(const QString &relativePath) const override;
    MenuEditControllerInterface *menuEditController() const override;
    void changeCapacityValue() override { ++capacityRefreshes; }

    void setDvd(const std::shared_ptr<DVDLibrary> &dvd) { m_dvd = dvd; }
    // The open package's path; empty stands for a document that was never saved.
    QString packagePath = QStringLiteral("/projects/test.dwproj");
    void setTempDataArray(const TempEditDataList &records);
    void addTempEditData(const TempEditDataRef &record);

    FakeMenuEditController editor;
    int capacityRefreshes = 0;

private:
    std::shared_ptr<DVDLibrary> m_dvd = std::make_shared<DVDLibrary>();
    std::shared_ptr<TempDvdData> m_tempDvdData = std::make_shared<TempDvdData>();
    mutable std::mutex m_lock;
    TempEditDataList m_records;
};

// Installs a fresh fake main window controller for the scope of a test.
class ScopedMainWindow
{
public:
    ScopedMainWindow();
    ~ScopedMainWindow();
    FakeMainWindowController &operator*() { return *m_controller; }
    FakeMainWindowController *operator->() { return m_controller.get(); }

private:
    std::shared_ptr<FakeMainWindowController> m_controller;
};

// A text object whose rendered picture has a fixed size.
class FakeText : public QObject, public DVDMenuTextResource
{
    Q_OBJECT
public:
    Q_INVOKABLE FakeText() = default;
    explicit FakeText(QSize size)
        : m_size(size)
    {}
    ObjectRef menuItem() const override { return m_item.lock(); }
    void setMenuItem(const ObjectRef &item) override { m_item = item; }
    QImage textSourceImage() const override;
    ObjectRef copyTextResource() const override { return std::make_shared<FakeText>(m_size); }

private:
    QSize m_size{100, 20};
    std::weak_ptr<QObject> m_item;
};

// An editing title: it answers "vcmovies" with clipCount placeholder clips.
class FakeTitle : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList vcmovies READ vcmovies)
public:
    explicit FakeTitle(int clipCount)
        : m_clipCount(clipCount)
    {}
    QVariantList vcmovies() const;

private:
    int m_clipCount;
};

std::shared_ptr<FakeTitle> makeTitle(int clipCount);

// Elements: a title slot (frame resource), a named button ("<set>-<type>"), a static text, a
// static decoration without text.
DVDMenuItemRef makeTitleSlot(const QRectF &frame = QRectF(40, 300, 160, 120));
DVDMenuItemRef makeButton(const QString &type, const QRectF &frame = QRectF(280, 20, 80, 50));
DVDMenuItemRef makeStaticText(const QRectF &frame = QRectF(40, 260, 160, 30));
DVDMenuItemRef makeDecoration();

} // namespace app_testing
