#include "app/videoeditor/Controller/SubtitleEncodings.h"

#include "platform/StringTable.h"

#include <QLoggingCategory>
#include <QStringDecoder>

Q_LOGGING_CATEGORY(lcSubtitleEncoding, "discwright.app.videoeditor")

namespace SubtitleEncodings {

namespace {

QList<Entry> makeSubtitleeEncodings()
{
    // "Korean (Mac OS)" has no decoder of its own here; its text is read as CP949, the Windows
    // superset of the same Korean character set.
    return {
        {kAutomatic, platform::localizedString("Automatic"), ""},
        {kUTF8, "Unicode (UTF-8)", "UTF-8"},
        {kISOLatin1, "Western (ISO Latin 1)", "ISO-8859-1"},
        {kShiftJIS, "Japanese (Shift JIS)", "Shift_JIS"},
        {kEUCJP, "Japanese (EUC)", "EUC-JP"},
        {kMacKorean, "Korean (Mac OS)", "CP949"},
        {kGB18030, "Chinese (GB 18030)", "GB18030"},
        {kBig5, "Traditional Chinese (Big 5)", "Big5"},
    };
}

// A leading byte order mark is dropped, so text with and without one reads the same.
std::optional<QString> decodeWith(const QByteArray &bytes, const char *name)
{
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

const QList<Entry> &subtitleeEncodings()
{
    static const QList<Entry> list = makeSubtitleeEncodings();
    return list;
}

std::optional<QString> readText(const QByteArray &bytes, quint64 encoding)
{
    for (const Entry &entry : subtitleeEncodings()) {
        if (entry.encoding == encoding && encoding != kAutomatic)
            return decodeWith(bytes, entry.decoderName);
    }
    return std::nullopt;
}

std::optional<QString> readDetected(const QByteArray &bytes)
{
    if (auto bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*bom);
        QString text = decoder.decode(bytes);
        if (decoder.hasError() || text.isEmpty())
            return std::nullopt;
        return text;
    }
    return decodeWith(bytes, "UTF-8");
}

std::optional<QString> readSubtitleText(const QByteArray &bytes, quint64 chosen)
{
    if (chosen != kAutomatic) {
        if (auto text = readText(bytes, chosen))
            return text;
    }
    if (auto text = readDetected(bytes))
        return text;
    for (const Entry &entry : subtitleeEncodings()) {
        qCDebug(lcSubtitleEncoding, "test %s", qPrintable(entry.name));
        if (entry.encoding == kAutomatic)
            continue;
        if (auto text = readText(bytes, entry.encoding))
            return text;
    }
    return std::nullopt;
}

} // namespace SubtitleEncodings
