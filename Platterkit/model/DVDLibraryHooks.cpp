#include "Platterkit/model/DVDLibraryHooks.h"

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "platform/Executable.h"

#include <QDir>
#include <QFileInfo>
#include <mutex>

namespace {

std::mutex &hooksLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<DVDLibraryHooks> &installedHooks()
{
    static std::shared_ptr<DVDLibraryHooks> hooks;
    return hooks;
}

const std::shared_ptr<DVDLibraryHooks> &libraryHooks()
{
    static const auto hooks = std::make_shared<DVDLibraryHooks>();
    return hooks;
}

} // namespace

DVDLibraryHooks::~DVDLibraryHooks() = default;

bool DVDLibraryHooks::forceShowItem(const DVDMenuItem &) const
{
    return false;
}

qint64 DVDLibraryHooks::backgroundImageDrawMode(const DVDMenu &menu) const
{
    return menu.storedBackgroundImageDrawMode();
}

ObjectRef DVDLibraryHooks::menuPlayJump(const DVDMenu &menu) const
{
    return menu.libraryMenuPlayJump();
}

QString DVDLibraryHooks::resourcePath() const
{
    const QString path
        = QDir(bundleResourcesPath()).filePath(QStringLiteral("menu_template.plugin"));
    return QFileInfo(path).isDir() ? path : QString();
}

bool DVDLibraryHooks::loadNewTemplate() const
{
    return true;
}

bool DVDLibraryHooks::drawDVDMenuImageSizeName(const DVDMenuImageGenerator &,
                                               QSizeF,
                                               const QString &,
                                               QPainter &) const
{
    return false;
}

void DVDLibraryHooks::fillPageJumpImage(const DVDMenu &, DVDMenuItem &, qint64, QPainter *) const {}

void DVDLibraryHooks::install(std::shared_ptr<DVDLibraryHooks> hooks)
{
    std::lock_guard locker(hooksLock());
    installedHooks() = std::move(hooks);
}

std::shared_ptr<DVDLibraryHooks> DVDLibraryHooks::current()
{
    std::lock_guard locker(hooksLock());
    return installedHooks() ? installedHooks() : libraryHooks();
}

QString DVDLibraryHooks::bundleResourcesPath()
{
    return QDir(platform::executableFolder()).filePath(QStringLiteral("resources"));
}
