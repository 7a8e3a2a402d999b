#pragma once

#include "Platterkit/model/DVDLibraryResourceCoder.h"

#include <QImage>
#include <QMutex>

/**
 * A decorative title frame of the template library: the frame picture and its mask, both relative
 * to the template folder. The pictures are loaded on first use and kept for the life of the
 * resource (the caches are not archived).
 */
class DVDLibraryFrameResource : public DVDLibraryResourceCoder
{
    Q_OBJECT
    Q_PROPERTY(QString frame READ frame WRITE setFrame)
    Q_PROPERTY(QString mask READ mask WRITE setMask)
    Q_PROPERTY(QImage frameImageCache READ frameImageCache WRITE setFrameImageCache)
    Q_PROPERTY(QImage maskImageCache READ maskImageCache WRITE setMaskImageCache)
public:
    Q_INVOKABLE DVDLibraryFrameResource() = default;

    QStringList allCoderKeys() const override;

    QString frame() const { return m_frame; }
    void setFrame(const QString &frame) { m_frame = frame; }
    QString mask() const { return m_mask; }
    void setMask(const QString &mask) { m_mask = mask; }
    // The same as frame.
    QString path() const { return m_frame; }

    QImage frameImageCache() const;
    void setFrameImageCache(const QImage &image);
    QImage maskImageCache() const;
    void setMaskImageCache(const QImage &image);

    // The pictures, loaded through templateImageWithName on first use; null when missing (a missing
    // picture is looked for again on the next call).
    QImage frameImage() const;
    QImage maskImage() const;

    // Same class (or a subclass of the receiver's class) with equal frame and mask paths.
    bool isEqualToResource(const QObject *other) const;

private:
    QString m_frame;
    QString m_mask;
    mutable QMutex m_cacheLock;
    mutable QImage m_frameImageCache;
    mutable QImage m_maskImageCache;
};

using DVDLibraryFrameResourceRef = std::shared_ptr<DVDLibraryFrameResource>;
