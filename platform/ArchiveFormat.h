#pragma once

// Names shared by the keyed archive's writer and reader. Internal to the platform library.

#include <QLatin1StringView>
#include <QString>

namespace platform::archive {

inline constexpr char kArchiverKey[] = "$archiver";
inline constexpr char kArchiverName[] = "DWKeyedArchiver";
inline constexpr char kVersionKey[] = "$version";
inline constexpr int kVersion = 100000;
inline constexpr char kTopKey[] = "$top";
inline constexpr char kObjectsKey[] = "$objects";
inline constexpr char kNull[] = "$null";
inline constexpr char kClassKey[] = "$class";
inline constexpr char kClassNameKey[] = "$classname";
inline constexpr char kClassesKey[] = "$classes";
inline constexpr char kRootKey[] = "root";

// The value classes of our own naming and their inline fields.
inline constexpr char kArrayClass[] = "DWArray";
inline constexpr char kDictionaryClass[] = "DWDictionary";
inline constexpr char kRectClass[] = "DWRect";
inline constexpr char kSizeClass[] = "DWSize";
inline constexpr char kPointClass[] = "DWPoint";
inline constexpr char kColorClass[] = "DWColor";
inline constexpr char kImageClass[] = "DWImage";
inline constexpr char kFontClass[] = "DWFont";
// Dates are a value object rather than plist dates: libplist 2.2 writes a stale value for a
// date node once an earlier document in the process held one.
inline constexpr char kDateClass[] = "DWDate";

inline constexpr char kObjectsField[] = "NS.objects";
inline constexpr char kKeysField[] = "NS.keys";
inline constexpr char kTextField[] = "DW.text";
inline constexpr char kRgbaField[] = "DW.rgba";
inline constexpr char kPngField[] = "DW.png";
inline constexpr char kFormatField[] = "DW.format";
inline constexpr char kFontField[] = "DW.description";
// Seconds since the reference date, as a real.
inline constexpr char kTimeField[] = "DW.time";

// Both directions recurse and stop at this depth, so that a deep or hostile graph cannot exhaust
// the stack: a level takes about 5 KiB under AddressSanitizer and far less in a release
// build, so 512 levels fit a default 8 MiB thread stack either way. Real graphs are far shallower
// (a chain of 99 pages linked button to page nests about 300 deep).
inline constexpr int kMaxDepth = 512;

// Archived dates count seconds from 2001-01-01 00:00:00 UTC.
inline constexpr qint64 kReferenceDateMSecs = 978307200000LL;

// A record key that begins with '$' would collide with the archive's own keys, so it is stored
// with one more '$' in front.
inline QByteArray escapedKey(const QString &key)
{
    QByteArray bytes = key.toUtf8();
    if (bytes.startsWith('$'))
        bytes.prepend('$');
    return bytes;
}

} // namespace platform::archive
