#pragma once

#include "Reelsmith/archiving/CodingBase.h"

#include <QImage>
#include <QString>
#include <memory>
#include <mutex>

/**
 * One picture of a menu slideshow: the file it came from and the two previews the background
 * picture dialog scaled from it, one for each page aspect. The previews are stored in the project,
 * so a slideshow draws without its picture files. Held by its slideshow (BackgroundRenderData).
 *
 * The dialog edits an item on the main thread while the production thread may be drawing the page
 * that shows it, so every accessor may be called from any thread at the same time.
 */
class BackPictureItem : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
    Q_PROPERTY(QImage previewImage16_9 READ previewImage16_9 WRITE setPreviewImage16_9)
    Q_PROPERTY(QImage previewImage4_3 READ previewImage4_3 WRITE setPreviewImage4_3)
public:
    Q_INVOKABLE BackPictureItem();

    QStringList allCoderKeys() const override;

    QString path() const;
    void setPath(const QString &path);
    QImage previewImage16_9() const;
    void setPreviewImage16_9(const QImage &image);
    QImage previewImage4_3() const;
    void setPreviewImage4_3(const QImage &image);
    // The picture the dialog's list drags while the pictures are reordered; not stored.
    QImage draggedImage() const;
    void setDraggedImage(const QImage &image);

    // The preview for a page of aspectType (as DVDMenu reckons it): the 16:9 one for a non-zero
    // type, else the 4:3 one. Null when the dialog made none for that aspect.
    QImage previewImage(qint64 aspectType) const;

private:
    mutable std::mutex m_lock;
    // Guarded by m_lock.
    QString m_path;
    QImage m_previewImage16_9;
    QImage m_previewImage4_3;
    QImage m_draggedImage;
};

using BackPictureItemRef = std::shared_ptr<BackPictureItem>;
using BackPictureItemList = QList<BackPictureItemRef>;
