#include "platform/PropertyList.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace platform {
namespace {

// Deeper nesting than this is no template or format list; it only guards the stack.
constexpr int kMaxDepth = 256;
// Template descriptions and format lists are small; anything this large is not one of them.
constexpr qint64 kMaxFileBytes = qint64(64) << 20;

class Reader
{
public:
    explicit Reader(const QByteArray &xml)
        : m_xml(xml)
        , m_empty(xml.trimmed().isEmpty())
    {}

    QVariant read(QString *error)
    {
        if (m_empty) {
            if (error)
                *error = QStringLiteral("the document is empty");
            return {};
        }
        QVariant result;
        bool sawRoot = false;
        while (!m_xml.atEnd() && m_error.isEmpty()) {
            const auto token = m_xml.readNext();
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (!sawRoot) {
                if (m_xml.name() != QLatin1String("plist")) {
                    fail(QStringLiteral("the document is no property list (it begins with <%1>)")
                             .arg(m_xml.name().toString()));
                    break;
                }
                sawRoot = true;
                result = readPlistBody();
                continue;
            }
            fail(QStringLiteral("unexpected <%1> after the property list")
                     .arg(m_xml.name().toString()));
        }
        if (m_error.isEmpty() && m_xml.hasError())
            fail(m_xml.errorString());
        if (m_error.isEmpty() && !sawRoot)
            fail(QStringLiteral("the document has no <plist> element"));
        if (!m_error.isEmpty()) {
            if (error)
                *error = m_error;
            return {};
        }
        return result;
    }

private:
    void fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(message);
    }

    // Inside <plist>: exactly one value.
    QVariant readPlistBody()
    {
        QVariant value;
        bool sawValue = false;
        while (nextElement()) {
            if (sawValue) {
                fail(QStringLiteral("a property list holds one top value, found another <%1>")
                         .arg(m_xml.name().toString()));
                return {};
            }
            value = readValue(0);
            sawValue = true;
        }
        if (m_error.isEmpty() && !sawValue)
            fail(QStringLiteral("the property list is empty"));
        return value;
    }

    // Advances to the next child start element; false at the parent's end element or on error.
    // Text between elements must be blank.
    bool nextElement()
    {
        while (m_error.isEmpty()) {
            const auto token = m_xml.readNext();
            switch (token) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
                return false;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace()) {
                    fail(QStringLiteral("unexpected text \"%1\"")
                             .arg(m_xml.text().left(40).toString()));
                    return false;
                }
                break;
            case QXmlStreamReader::Invalid:
                fail(m_xml.errorString());
                return false;
            case QXmlStreamReader::EndDocument:
                fail(QStringLiteral("the document ends early"));
                return false;
            default:
                break;
            }
        }
        return false;
    }

    // The text of a leaf element, its end element consumed.
    QString leafText()
    {
        const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError())
            fail(m_xml.errorString());
        return text;
    }

    QVariant readValue(int depth)
    {
        if (depth > kMaxDepth) {
            fail(QStringLiteral("values are nested too deeply"));
            return {};
        }
        const QString name = m_xml.name().toString();
        if (name == QLatin1String("dict"))
            return readDict(depth);
        if (name == QLatin1String("array"))
            return readArray(depth);
        if (name == QLatin1String("string"))
            return leafText();
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            leafText();
            return QVariant(name == QLatin1String("true"));
        }
        if (name == QLatin1String("integer")) {
            const QString text = leafText().trimmed();
            bool ok = false;
            qint64 value = text.toLongLong(&ok);
            if (!ok && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
                value = text.mid(2).toLongLong(&ok, 16);
            if (!ok && m_error.isEmpty())
                fail(QStringLiteral("\"%1\" is no integer").arg(text.left(40)));
            return QVariant(value);
        }
        if (name == QLatin1String("real")) {
            const QString text = leafText().trimmed();
            bool ok = false;
            double value = text.toDouble(&ok);
            if (!ok) {
                const QString lower = text.toLower();
                ok = true;
                if (lower == QLatin1String("nan"))
                    value = std::nan("");
                else if (lower == QLatin1String("inf") || lower == QLatin1String("+inf")
                         || lower == QLatin1String("infinity")
                         || lower == QLatin1String("+infinity"))
                    value = INFINITY;
                else if (lower == QLatin1String("-inf") || lower == QLatin1String("-infinity"))
                    value = -INFINITY;
                else
                    ok = false;
            }
            if (!ok && m_error.isEmpty())
                fail(QStringLiteral("\"%1\" is no real number").arg(text.left(40)));
            return QVariant(value);
        }
        if (name == QLatin1String("data")) {
            const QByteArray text = leafText().toLatin1();
            auto decoded = QByteArray::fromBase64Encoding(
                text, QByteArray::AbortOnBase64DecodingErrors | QByteArray::Base64Encoding);
            if (!decoded) {
                // Line breaks and indentation inside <data> are usual; strip them and try again.
                QByteArray compact = text;
                compact.replace(' ', "").replace('\n', "").replace('\t', "").replace('\r', "");
                decoded = QByteArray::fromBase64Encoding(compact,
                                                         QByteArray::AbortOnBase64DecodingErrors);
            }
            if (!decoded) {
                if (m_error.isEmpty())
                    fail(QStringLiteral("<data> holds no valid base64"));
                return {};
            }
            return QVariant(*decoded);
        }
        if (name == QLatin1String("date")) {
            const QString text = leafText().trimmed();
            QDateTime date = QDateTime::fromString(text, Qt::ISODate);
            if (!date.isValid()) {
                if (m_error.isEmpty())
                    fail(QStringLiteral("\"%1\" is no date").arg(text.left(40)));
                return {};
            }
            return QVariant(date.toUTC());
        }
        fail(QStringLiteral("unknown element <%1>").arg(name));
        return {};
    }

    QVariant readArray(int depth)
    {
        QVariantList list;
        while (nextElement())
            list.append(readValue(depth + 1));
        return m_error.isEmpty() ? QVariant(list) : QVariant();
    }

    QVariant readDict(int depth)
    {
        QVariantMap map;
        while (nextElement()) {
            if (m_xml.name() != QLatin1String("key")) {
                fail(QStringLiteral("expected <key> in <dict>, found <%1>")
                         .arg(m_xml.name().toString()));
                return {};
            }
            const QString key = leafText();
            if (!nextElement()) {
                if (m_error.isEmpty())
                    fail(QStringLiteral("the key \"%1\" has no value").arg(key.left(40)));
                return {};
            }
            map.insert(key, readValue(depth + 1));
        }
        return m_error.isEmpty() ? QVariant(map) : QVariant();
    }

    QXmlStreamReader m_xml;
    bool m_empty = false;
    QString m_error;
};

class Writer
{
public:
    explicit Writer(QByteArray *out)
        : m_xml(out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(-1); // one tab, as property lists are usually indented
    }

    bool write(const QVariant &value, QString *error)
    {
        m_xml.writeStartDocument();
        m_xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
        m_xml.writeStartElement(QStringLiteral("plist"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        writeValue(value, 0, QStringLiteral("the top value"));
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        if (!m_error.isEmpty() && error)
            *error = m_error;
        return m_error.isEmpty();
    }

private:
    void fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = message;
    }

    void writeValue(const QVariant &value, int depth, const QString &where)
    {
        if (!m_error.isEmpty())
            return;
        if (depth > kMaxDepth) {
            fail(QStringLiteral("values are nested too deeply"));
            return;
        }
        const QMetaType type = value.metaType();
        switch (type.id()) {
        case QMetaType::QVariantMap:
        case QMetaType::QVariantHash: {
            const QVariantMap map = value.toMap();
            m_xml.writeStartElement(QStringLiteral("dict"));
            for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
                m_xml.writeTextElement(QStringLiteral("key"), it.key());
                writeValue(it.value(), depth + 1, QStringLiteral("key \"%1\"").arg(it.key()));
            }
            m_xml.writeEndElement();
            return;
        }
        case QMetaType::QVariantList:
        case QMetaType::QStringList: {
            m_xml.writeStartElement(QStringLiteral("array"));
            for (const QVariant &item : value.toList())
                writeValue(item, depth + 1, where);
            m_xml.writeEndElement();
            return;
        }
        case QMetaType::QString:
            m_xml.writeTextElement(QStringLiteral("string"), value.toString());
            return;
        case QMetaType::Bool:
            m_xml.writeEmptyElement(value.toBool() ? QStringLiteral("true")
                                                   : QStringLiteral("false"));
            return;
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
            return;
        case QMetaType::ULongLong:
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toULongLong()));
            return;
        case QMetaType::Float:
        case QMetaType::Double: {
            const double number = value.toDouble();
            QString text;
            if (std::isnan(number))
                text = QStringLiteral("nan");
            else if (std::isinf(number))
                text = number > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
            else
                text = QString::number(number, 'g', QLocale::FloatingPointShortest);
            m_xml.writeTextElement(QStringLiteral("real"), text);
            return;
        }
        case QMetaType::QByteArray:
            m_xml.writeTextElement(QStringLiteral("data"),
                                   QString::fromLatin1(value.toByteArray().toBase64()));
            return;
        case QMetaType::QDateTime: {
            const QDateTime date = value.toDateTime();
            if (!date.isValid())
                break;
            m_xml.writeTextElement(QStringLiteral("date"), date.toUTC().toString(Qt::ISODate));
            return;
        }
        default:
            break;
        }
        fail(QStringLiteral("a property list cannot store %1 (%2)")
                 .arg(value.isValid() ? QString::fromLatin1(type.name())
                                      : QStringLiteral("a null value"),
                      where));
    }

    QXmlStreamWriter m_xml;
    QString m_error;
};

} // namespace

QVariant PropertyList::fromData(const QByteArray &xml, QString *error)
{
    Reader reader(xml);
    return reader.read(error);
}

QVariant PropertyList::fromFile(const QString &path, QString *error)
{
    auto failed = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, reason);
        return QVariant();
    };
    if (!QFileInfo::exists(path))
        return failed(QStringLiteral("no such file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    if (file.size() > kMaxFileBytes)
        return failed(QStringLiteral("the file is too large to be a property list"));
    QString reason;
    const QVariant value = fromData(file.readAll(), &reason);
    if (!value.isValid())
        return failed(reason);
    return value;
}

QByteArray PropertyList::toData(const QVariant &value, QString *error)
{
    QByteArray out;
    Writer writer(&out);
    if (!writer.write(value, error))
        return {};
    return out;
}

bool PropertyList::toFile(const QVariant &value, const QString &path, QString *error)
{
    QString message;
    QString reason;
    const QByteArray data = toData(value, &reason);
    if (data.isEmpty())
        message = QStringLiteral("cannot write %1: %2").arg(path, reason);
    else if (writeFileAtomically(data, path, &message))
        return true;
    qCWarning(lcPlatform).noquote() << message;
    if (error)
        *error = message;
    return false;
}

} // namespace platform
