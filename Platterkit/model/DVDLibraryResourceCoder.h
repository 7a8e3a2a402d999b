#pragma once

#include "platform/KeyedObject.h"

#include <QString>

/**
 * Base of the template resource records (buttons, frames, backgrounds). They archive by key list
 * like the disc model and travel inside project archives with the pages and elements that use them.
 * Held by std::shared_ptr; used from one thread at a time.
 */
class DVDLibraryResourceCoder : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName)
public:
    Q_INVOKABLE DVDLibraryResourceCoder() = default;

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

private:
    QString m_name;
};

using DVDLibraryResourceCoderRef = std::shared_ptr<DVDLibraryResourceCoder>;
