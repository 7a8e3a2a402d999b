#include "app/AppExtention/Function/ApplicationImage.h"

#include "Platterkit/model/DVDLibraryHooks.h"

#include <QDir>
#include <QHash>
#include <mutex>

namespace ApplicationImage {

QImage imageNamed(const QString &name)
{
    static std::mutex lock;
    static QHash<QString, QImage> loaded;
    std::lock_guard guard(lock);
    const auto found = loaded.constFind(name);
    if (found != loaded.constEnd())
        return *found;
    const QImage image(
        QDir(DVDLibraryHooks::bundleResourcesPath()).filePath(name + QStringLiteral(".png")));
    if (!image.isNull())
        loaded.insert(name, image);
    return image;
}

} // namespace ApplicationImage
