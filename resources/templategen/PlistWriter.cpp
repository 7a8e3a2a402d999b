#include "PlistWriter.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

namespace templategen {

namespace {

bool writeValue(QXmlStreamWriter &xml, const QVariant &value, QString *error)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        xml.writeStartElement("dict");
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            xml.writeTextElement("key", it.key());
            if (!writeValue(xml, it.value(), error))
                return false;
        }
        xml.writeEndElement();
        return true;
    }
    case QMetaType::QVariantList:
        xml.writeStartElement("array");
        for (const QVariant &item : value.toList()) {
            if (!writeValue(xml, item, error))
                return false;
        }
        xml.writeEndElement();
        return true;
    case QMetaType::QString:
        xml.writeTextElement("string", value.toString());
        return true;
    case QMetaType::Bool:
        xml.writeEmptyElement(value.toBool() ? "true" : "false");
        return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
        xml.writeTextElement("integer", QString::number(value.toLongLong()));
        return true;
    case QMetaType::Double:
        xml.writeTextElement("real", QString::number(value.toDouble(), 'g', 17));
        return true;
    default:
        *error = QStringLiteral("cannot write a value of type %1 to a property list")
                     .arg(value.typeName());
        return false;
    }
}

} // namespace

bool writePlist(const QVariant &root, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement("plist");
    xml.writeAttribute("version", "1.0");
    if (!writeValue(xml, root, error))
        return false;
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace templategen
