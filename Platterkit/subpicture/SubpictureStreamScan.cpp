#include "Platterkit/subpicture/SubpictureStreamScan.h"

#include <QByteArray>
#include <QFile>

namespace Platterkit {

namespace {

constexpr quint8 packStartCode = 0xba;
constexpr quint8 programEndCode = 0xb9;
constexpr quint8 privateStream1 = 0xbd;

bool isStartCodeAt(const uchar *data, qint64 size, qint64 at)
{
    return at + 4 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1;
}

// The next pack header at or after from, or size when there is none.
qint64 nextPack(const uchar *data, qint64 size, qint64 from)
{
    for (qint64 at = from; at + 4 <= size; ++at) {
        if (isStartCodeAt(data, size, at) && data[at + 3] == packStartCode)
            return at;
    }
    return size;
}

} // namespace

bool programStreamHasSubpicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 4)
        return false;
    const qint64 size = file.size();
    const uchar *data = file.map(0, size);
    QByteArray copy;
    if (!data) {
        copy = file.readAll();
        data = reinterpret_cast<const uchar *>(copy.constData());
    }

    // Walk pack by pack and packet by packet, so that payload bytes that happen to look like a
    // start code are never read as one; anything unexpected resynchronises at the next pack.
    qint64 at = nextPack(data, size, 0);
    while (at + 4 <= size) {
        if (!isStartCodeAt(data, size, at)) {
            at = nextPack(data, size, at + 1);
            continue;
        }
        const quint8 code = data[at + 3];
        if (code == programEndCode)
            break;
        if (code == packStartCode) {
            if (at + 14 > size)
                break;
            if ((data[at + 4] & 0xc0) == 0x40) {
                at += 14 + (data[at + 13] & 0x07); // MPEG-2 pack header and its stuffing
            } else if ((data[at + 4] & 0xf0) == 0x20) {
                at += 12; // MPEG-1 pack header
            } else {
                at = nextPack(data, size, at + 4);
            }
            continue;
        }
        if (code < 0xb9 || at + 6 > size) {
            at = nextPack(data, size, at + 4);
            continue;
        }
        const qint64 length = (qint64(data[at + 4]) << 8) | data[at + 5];
        if (code == privateStream1 && at + 9 <= size) {
            const qint64 payload = at + 9 + data[at + 8];
            if (payload < at + 6 + length && payload < size) {
                const quint8 subStream = data[payload];
                if (subStream >= 0x20 && subStream <= 0x3f)
                    return true;
            }
        }
        at += 6 + length;
    }
    return false;
}

} // namespace Platterkit
