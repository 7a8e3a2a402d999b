#pragma once

// The subtitle tab's text encodings and the chain that reads a subtitle file into text: the chosen
// encoding first, then a detected one (a byte order mark, or valid UTF-8), then every entry of the
// list in order. The numbers are the ones the project stores in "subtitleEncoding"; 0 is
// Automatic. Plain values: any thread.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace SubtitleEncodings {

struct Entry
{
    quint64 encoding = 0;
    QString name;
    // The decoder's name; empty for Automatic.
    const char *decoderName = "";
};

constexpr quint64 kAutomatic = 0;
constexpr quint64 kUTF8 = 4;
constexpr quint64 kISOLatin1 = 5;
constexpr quint64 kShiftJIS = 0x80000A01;
constexpr quint64 kEUCJP = 3;
constexpr quint64 kMacKorean = 0x80000003;
constexpr quint64 kGB18030 = 0x80000632;
constexpr quint64 kBig5 = 0x80000A03;

// The choices in the popup's order; "Automatic" in the running language.
const QList<Entry> &subtitleeEncodings();

// bytes read in the encoding; nothing for an unknown number, a decoder error or empty text.
std::optional<QString> readText(const QByteArray &bytes, quint64 encoding);
// bytes read by what they show of themselves: a byte order mark (UTF-8, 16 or 32), else valid
// UTF-8; nothing otherwise.
std::optional<QString> readDetected(const QByteArray &bytes);
// The whole chain for the chosen encoding; nothing when no step reads the bytes. The choice itself
// is never changed by the fall-backs.
std::optional<QString> readSubtitleText(const QByteArray &bytes, quint64 chosen);

} // namespace SubtitleEncodings
