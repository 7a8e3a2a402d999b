#include "Platterkit/model/DVDLibraryFrameResource.h"

#include "Platterkit/model/TemplateImages.h"
#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(DVDLibraryFrameResource)

QStringList DVDLibraryFrameResource::allCoderKeys() const
{
    return {QStringLiteral("name"), QStringLiteral("frame"), QStringLiteral("mask")};
}

QImage DVDLibraryFrameResource::frameImageCache() const
{
    QMutexLocker locker(&m_cacheLock);
    return m_frameImageCache;
}

void DVDLibraryFrameResource::setFrameImageCache(const QImage &image)
{
    QMutexLocker locker(&m_cacheLock);
    m_frameImageCache = image;
}

QImage DVDLibraryFrameResource::maskImageCache() const
{
    QMutexLocker locker(&m_cacheLock);
    return m_maskImageCache;
}

void DVDLibraryFrameResource::setMaskImageCache(const QImage &image)
{
    QMutexLocker locker(&m_cacheLock);
    m_maskImageCache = image;
}

QImage DVDLibraryFrameResource::frameImage() const
{
    QMutexLocker locker(&m_cacheLock);
    if (m_frameImageCache.isNull())
        m_frameImageCache = Platterkit::templateImageWithName(m_frame);
    return m_frameImageCache;
}

QImage DVDLibraryFrameResource::maskImage() const
{
    QMutexLocker locker(&m_cacheLock);
    if (m_maskImageCache.isNull())
        m_maskImageCache = Platterkit::templateImageWithName(m_mask);
    return m_maskImageCache;
}

bool DVDLibraryFrameResource::isEqualToResource(const QObject *other) const
{
    if (!other || !other->metaObject()->inherits(metaObject()))
        return false;
    const auto *frameResource = static_cast<const DVDLibraryFrameResource *>(other);
    return frameResource->frame() == m_frame && frameResource->mask() == m_mask;
}
