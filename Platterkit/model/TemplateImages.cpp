#include "Platterkit/model/TemplateImages.h"

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/ModelLog.h"

#include <QDir>
#include <QImageReader>

namespace Platterkit {

QImage templateImageWithName(const QString &relativePath)
{
    const QString root = DVDLibraryHooks::current()->resourcePath();
    if (root.isEmpty() || relativePath.isEmpty())
        return QImage();
    QImageReader reader(QDir(root).filePath(relativePath));
    QImage image = reader.read();
    if (image.isNull()) {
        qCDebug(lcModel) << "no template picture" << relativePath << reader.errorString();
        return QImage();
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace Platterkit
