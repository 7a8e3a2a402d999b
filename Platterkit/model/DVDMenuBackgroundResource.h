#pragma once

#include "Platterkit/model/DVDLibraryResourceCoder.h"

#include <QImage>

/**
 * A page background picture. With isResource set it is a template picture whose path is relative to
 * the template folder, loaded on every call to backgroundImage; otherwise it is the user's picture,
 * kept in `image` (archived as PNG) with its original full path.
 */
class DVDMenuBackgroundResource : public DVDLibraryResourceCoder
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
    Q_PROPERTY(QImage image READ image WRITE setImage)
    Q_PROPERTY(bool isResource READ isResource WRITE setIsResource)
public:
    Q_INVOKABLE DVDMenuBackgroundResource() = default;

    QStringList allCoderKeys() const override;

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    QImage image() const { return m_image; }
    void setImage(const QImage &image) { m_image = image; }
    bool isResource() const { return m_isResource; }
    void setIsResource(bool isResource) { m_isResource = isResource; }

    // The same as path.
    QString fullPath() const { return m_path; }

    // The template picture (isResource) or the user's picture; null when missing.
    QImage backgroundImage() const;

    // A user background made from the picture file at path: the picture is decoded, re-encoded as
    // PNG and kept as `image`, path is kept as given and isResource stays false. Null when the file
    // cannot be read as a picture.
    static std::shared_ptr<DVDMenuBackgroundResource> resourceWithPath(const QString &path);

private:
    QString m_path;
    QImage m_image;
    bool m_isResource = false;
};

using DVDMenuBackgroundResourceRef = std::shared_ptr<DVDMenuBackgroundResource>;
