#include "Reelsmith/archiving/CodingBase.h"

#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/TryBlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcCoding, "discwright.reelsmith.coding", QtWarningMsg)
} // namespace Reelsmith

DW_REGISTER_CLASS(CodingBase)

bool CodingBase::writeToFileAtomically(const QString &path, bool atomically)
{
    // The file is always replaced whole: a half-written settings file would lose every key.
    Q_UNUSED(atomically);
    m_lastError.clear();
    bool written = false;
    platform::tryBlock(this, [&] {
        platform::KeyedArchiver coder;
        for (const QString &key : allCoderKeys())
            encoderKey(coder, key);
        QString error;
        const QByteArray data = coder.encodedData(&error);
        if (data.isEmpty()) {
            m_lastError = error;
            throw platform::Exception(QStringLiteral("NSInvalidArchiveOperationException"), error);
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!platform::KeyedArchiver::writeDataToFile(data, path, &error)) {
            m_lastError = error;
            qCWarning(Reelsmith::lcCoding).noquote() << error;
            return;
        }
        written = true;
    });
    if (!written && m_lastError.isEmpty())
        m_lastError = QStringLiteral("%1 was not written").arg(path);
    return written;
}

bool CodingBase::loadWithContentsOfFile(const QString &path)
{
    m_lastError.clear();
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_lastError = file.errorString();
            return false;
        }
    }

    bool loaded = false;
    platform::tryBlock(this, [&] {
        // Checks the size and the header before reading: a large stray file is refused unread.
        QByteArray data;
        QString error;
        if (!platform::KeyedUnarchiver::readArchiveFile(path, &data, &error)) {
            m_lastError = error;
            throw platform::Exception(QStringLiteral("NSInvalidArgumentException"), error);
        }
        platform::KeyedUnarchiver coder;
        if (!coder.openData(data, &error)) {
            m_lastError = error;
            throw platform::Exception(QStringLiteral("NSInvalidArgumentException"), error);
        }
        for (const QString &key : allCoderKeys()) {
            decoderKey(coder, key);
            if (coder.failed()) {
                m_lastError = coder.lastError();
                throw platform::Exception(QStringLiteral("NSInvalidUnarchiveOperationException"),
                                          m_lastError);
            }
        }
        loaded = true;
    });
    return loaded;
}
