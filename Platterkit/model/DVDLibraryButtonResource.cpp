#include "Platterkit/model/DVDLibraryButtonResource.h"

#include "Platterkit/model/TemplateImages.h"
#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(DVDLibraryButtonResource)

QStringList DVDLibraryButtonResource::allCoderKeys() const
{
    return {QStringLiteral("name"), QStringLiteral("path")};
}

QImage DVDLibraryButtonResource::image() const
{
    return Platterkit::templateImageWithName(m_path);
}

bool DVDLibraryButtonResource::isEqualToResource(const QObject *other) const
{
    if (!other || !other->metaObject()->inherits(metaObject()))
        return false;
    const auto *button = static_cast<const DVDLibraryButtonResource *>(other);
    return button->path() == m_path && button->name() == name();
}
