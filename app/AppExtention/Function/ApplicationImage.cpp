#include "app/AppExtention/Function/ApplicationImage.h"

#include "Platterkit/model/DVDLibraryHooks.h"

#include <QDir>
#include <QHash>
#include <mutex>

namespace ApplicationImage {

namespace {

std::mutex lock;
QString resourcesFolder;
QHash<QString, QImage> loaded;

} // namespace

void setResourcesFolder(const QString &folder)
{
    std::lock_guard guard(lock);
    resourcesFolder = folder;
    loaded.clear();
}

QImage imageNamed(const QString &name)
{
    std::lock_guard guard(lock);
    const auto found = loaded.constFind(name);
    if (found != loaded.constEnd())
        return *found;
    const QString folder
        = resourcesFolder.isEmpty() ? DVDLibraryHooks::bundleResourcesPath() : resourcesFolder;
    const QImage image(QDir(folder).filePath(name + QStringLiteral(".png")));
    if (!image.isNull())
        loaded.insert(name, image);
    return image;
}

} // namespace ApplicationImage
