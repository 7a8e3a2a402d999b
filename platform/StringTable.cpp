#include "platform/StringTable.h"

#include "platform/Assert.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/ResourceFolder.h"

#include <QDir>
#include <QFileInfo>
#include <mutex>

namespace platform {

namespace {

std::mutex &tableLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<const StringTable> &installedTable()
{
    static std::shared_ptr<const StringTable> table;
    return table;
}

} // namespace

QString StringTable::fileName()
{
    return QStringLiteral("Localizable.plist");
}

std::shared_ptr<const StringTable> StringTable::fromFile(const QString &path, QString *error)
{
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("no string table at %1").arg(path);
        return nullptr;
    }
    QString readError;
    const QVariant value = PropertyList::fromFile(path, &readError);
    if (!value.isValid() || value.typeId() != QMetaType::QVariantMap) {
        if (error)
            *error = readError.isEmpty() ? QStringLiteral("%1 holds no dictionary").arg(path)
                                         : readError;
        return nullptr;
    }
    const QVariantMap entries = value.toMap();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString) {
            if (error)
                *error = QStringLiteral("%1: the text of \"%2\" is no string").arg(path, it.key());
            return nullptr;
        }
    }
    return std::make_shared<const StringTable>(entries);
}

QString StringTable::text(const QString &key) const
{
    const auto found = m_entries.constFind(key);
    if (found == m_entries.cend()) {
        qCWarning(lcPlatform, "no text for \"%s\" in the string table", qPrintable(key));
        DW_ASSERT(found != m_entries.cend(), return key);
    }
    return found.value().toString();
}

std::shared_ptr<const StringTable> StringTable::shared()
{
    std::lock_guard locker(tableLock());
    std::shared_ptr<const StringTable> &table = installedTable();
    if (!table) {
        QString error;
        table = fromFile(QDir(bundleResourcesPath()).filePath(fileName()), &error);
        if (!table) {
            qCWarning(lcPlatform, "%s", qPrintable(error));
            table = std::make_shared<const StringTable>();
        }
    }
    return table;
}

void StringTable::install(std::shared_ptr<const StringTable> table)
{
    std::lock_guard locker(tableLock());
    installedTable() = std::move(table);
}

QString localizedString(const QString &key)
{
    return StringTable::shared()->text(key);
}

QString localizedString(const QString &key, const QStringList &arguments)
{
    return fillPlaceholders(localizedString(key), arguments);
}

QString fillPlaceholders(const QString &format, const QStringList &arguments)
{
    const QLatin1String placeholder("%@");
    QString out;
    qsizetype from = 0;
    qsizetype next = 0;
    while (next < arguments.size()) {
        const qsizetype at = format.indexOf(placeholder, from);
        if (at < 0)
            break;
        out += QStringView(format).mid(from, at - from);
        out += arguments[next++];
        from = at + placeholder.size();
    }
    out += QStringView(format).mid(from);
    return out;
}

} // namespace platform
