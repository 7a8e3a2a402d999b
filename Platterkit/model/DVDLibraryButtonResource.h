#pragma once

#include "Platterkit/model/DVDLibraryResourceCoder.h"

#include <QImage>

/**
 * A button picture of the template library. `path` is relative to the template folder; `name` is
 * the set's name with the button's suffix ("Blue-pre", "Blue-next", "Blue-play").
 */
class DVDLibraryButtonResource : public DVDLibraryResourceCoder
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
public:
    Q_INVOKABLE DVDLibraryButtonResource() = default;

    QStringList allCoderKeys() const override;

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // The picture at path, read from the template folder on every call; null when it is missing.
    QImage image() const;

    // Same class (or a subclass of the receiver's class) with equal path and name.
    bool isEqualToResource(const QObject *other) const;

private:
    QString m_path;
};

using DVDLibraryButtonResourceRef = std::shared_ptr<DVDLibraryButtonResource>;
