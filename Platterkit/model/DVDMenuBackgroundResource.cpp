#include "Platterkit/model/DVDMenuBackgroundResource.h"

#include "Platterkit/model/ModelLog.h"
#include "Platterkit/model/TemplateImages.h"
#include "platform/ClassRegistry.h"

#include <QBuffer>
#include <QImageReader>

DW_REGISTER_CLASS(DVDMenuBackgroundResource)

QStringList DVDMenuBackgroundResource::allCoderKeys() const
{
    return {QStringLiteral("name"),
            QStringLiteral("path"),
            QStringLiteral("image"),
            QStringLiteral("isResource")};
}

QImage DVDMenuBackgroundResource::backgroundImage() const
{
    if (m_isResource)
        return Platterkit::templateImageWithName(m_path);
    return m_image;
}

std::shared_ptr<DVDMenuBackgroundResource>
DVDMenuBackgroundResource::resourceWithPath(const QString &path)
{
    QImageReader reader(path);
    QImage decoded = reader.read();
    if (decoded.isNull()) {
        qCWarning(Platterkit::lcModel)
            << "cannot read background picture" << path << reader.errorString();
        return nullptr;
    }
    // Keep what the PNG form holds, so the picture in memory is the one the archive will restore.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!decoded.save(&buffer, "PNG")) {
        qCWarning(Platterkit::lcModel) << "cannot re-encode background picture" << path;
        return nullptr;
    }
    QImage reencoded;
    if (!reencoded.loadFromData(png, "PNG"))
        return nullptr;

    auto resource = std::make_shared<DVDMenuBackgroundResource>();
    resource->setImage(reencoded);
    resource->setPath(path);
    return resource;
}
