#pragma once

// XML property lists, the format of the template descriptions and format lists. Reads and writes
// dict, array, string, integer, real, true/false, data and date as QVariant: QVariantMap,
// QVariantList, QString, qint64, double, bool, QByteArray and QDateTime (UTC). A damaged or
// foreign file gives an error, never a crash. Any thread.

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace platform {

class PropertyList
{
public:
    // The value of the one top element; invalid with *error set ("line 3: ...") when the text is
    // no readable property list.
    static QVariant fromData(const QByteArray &xml, QString *error = nullptr);
    static QVariant fromFile(const QString &path, QString *error = nullptr);

    // The XML text of value; empty with *error set when value holds a type that a property list
    // cannot store (a null value, an object, a colour...). Also accepts QStringList, QVariantHash,
    // other integer widths and float.
    static QByteArray toData(const QVariant &value, QString *error = nullptr);
    // Writes atomically: the file is replaced whole or not at all.
    static bool toFile(const QVariant &value, const QString &path, QString *error = nullptr);
};

} // namespace platform
