#pragma once

// The string table of user-facing texts: alerts, statuses, menu and button titles are looked up
// by their English text, which is also the key, so that a table for another language only adds a
// file. The table is a property list dictionary from key to text, "Localizable.plist" in the
// application's resources.
//
// A key missing from the table is a mistake of the code that asked: it is a soft assert (fatal in
// test runs) and the key itself is answered, so the user still reads the English text.
//
// The process table is installed once at start-up (or loaded on first use from the resources
// beside the executable) and never changed afterwards; any thread may look texts up.

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>

namespace platform {

class StringTable
{
public:
    StringTable() = default;
    explicit StringTable(QVariantMap entries)
        : m_entries(std::move(entries))
    {}

    // The table of a property list file; null with *error set when the file is missing or is no
    // dictionary of strings.
    static std::shared_ptr<const StringTable> fromFile(const QString &path,
                                                       QString *error = nullptr);

    // "Localizable.plist", the table's file name in the resources folder.
    static QString fileName();

    bool contains(const QString &key) const { return m_entries.contains(key); }
    qsizetype count() const { return m_entries.size(); }
    // The text of key; a missing key asserts softly and answers key.
    QString text(const QString &key) const;

    // The process table. Until one is installed, the first call loads the table from the
    // resources folder beside the executable; when that fails the table is empty (and every
    // lookup asserts).
    static std::shared_ptr<const StringTable> shared();
    static void install(std::shared_ptr<const StringTable> table);

private:
    QVariantMap m_entries;
};

// The text of key in the process table.
QString localizedString(const QString &key);
// The text of key with each "%@" filled, in order, by the next of arguments: the one way texts
// take their values. A placeholder without an argument stays as it is; arguments left over are
// dropped. An argument's own "%@" is never filled again.
QString localizedString(const QString &key, const QStringList &arguments);
QString fillPlaceholders(const QString &format, const QStringList &arguments);

} // namespace platform
