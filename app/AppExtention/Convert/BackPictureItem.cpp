#include "app/AppExtention/Convert/BackPictureItem.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(BackPictureItem)

BackPictureItem::BackPictureItem() = default;

QStringList BackPictureItem::allCoderKeys() const
{
    return {QStringLiteral("path"),
            QStringLiteral("previewImage16_9"),
            QStringLiteral("previewImage4_3")};
}

QString BackPictureItem::path() const
{
    std::lock_guard locker(m_lock);
    return m_path;
}

void BackPictureItem::setPath(const QString &path)
{
    std::lock_guard locker(m_lock);
    m_path = path;
}

QImage BackPictureItem::previewImage16_9() const
{
    std::lock_guard locker(m_lock);
    return m_previewImage16_9;
}

void BackPictureItem::setPreviewImage16_9(const QImage &image)
{
    std::lock_guard locker(m_lock);
    m_previewImage16_9 = image;
}

QImage BackPictureItem::previewImage4_3() const
{
    std::lock_guard locker(m_lock);
    return m_previewImage4_3;
}

void BackPictureItem::setPreviewImage4_3(const QImage &image)
{
    std::lock_guard locker(m_lock);
    m_previewImage4_3 = image;
}

QImage BackPictureItem::draggedImage() const
{
    std::lock_guard locker(m_lock);
    return m_draggedImage;
}

void BackPictureItem::setDraggedImage(const QImage &image)
{
    std::lock_guard locker(m_lock);
    m_draggedImage = image;
}

QImage BackPictureItem::previewImage(qint64 aspectType) const
{
    std::lock_guard locker(m_lock);
    return aspectType != 0 ? m_previewImage16_9 : m_previewImage4_3;
}
