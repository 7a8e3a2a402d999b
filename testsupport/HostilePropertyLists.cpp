#include "testsupport/HostilePropertyLists.h"

#include <QList>
#include <QtEndian>

namespace testsupport {

namespace {

// Objects are written in order with 4-byte references and offsets.
class BinaryWriter
{
public:
    BinaryWriter() { m_data = "bplist00"; }

    // Each add returns the new object's index.
    int addArray(const QList<quint32> &refs)
    {
        const int index = begin();
        marker(0xA0, refs.size());
        for (quint32 ref : refs)
            appendBig(ref);
        return index;
    }
    int addDict(const QList<quint32> &keys, const QList<quint32> &values)
    {
        const int index = begin();
        marker(0xD0, keys.size());
        for (quint32 ref : keys)
            appendBig(ref);
        for (quint32 ref : values)
            appendBig(ref);
        return index;
    }
    int addString(const QByteArray &ascii)
    {
        const int index = begin();
        marker(0x50, ascii.size());
        m_data += ascii;
        return index;
    }
    int addInteger(quint32 value)
    {
        const int index = begin();
        m_data += char(0x12);
        appendBig(value);
        return index;
    }
    // Reserves an index whose object is written later by one of the add functions.
    int reserve()
    {
        m_offsets.append(0);
        return int(m_offsets.size()) - 1;
    }
    // Writes the dictionary of a reserved index.
    void fillDict(int index, const QList<quint32> &keys, const QList<quint32> &values)
    {
        m_offsets[index] = quint32(m_data.size());
        marker(0xD0, keys.size());
        for (quint32 ref : keys)
            appendBig(ref);
        for (quint32 ref : values)
            appendBig(ref);
    }

    QByteArray finish(quint32 top)
    {
        const quint64 tableOffset = quint64(m_data.size());
        for (quint32 offset : m_offsets)
            appendBig(offset);
        QByteArray trailer(32, '\0');
        trailer[6] = 4;
        trailer[7] = 4;
        qToBigEndian<quint64>(quint64(m_offsets.size()), trailer.data() + 8);
        qToBigEndian<quint64>(top, trailer.data() + 16);
        qToBigEndian<quint64>(tableOffset, trailer.data() + 24);
        return m_data + trailer;
    }

private:
    int begin()
    {
        m_offsets.append(quint32(m_data.size()));
        return int(m_offsets.size()) - 1;
    }
    void marker(quint8 type, qsizetype count)
    {
        if (count < 15) {
            m_data += char(type | quint8(count));
            return;
        }
        m_data += char(type | 0x0F);
        m_data += char(0x12);
        appendBig(quint32(count));
    }
    void appendBig(quint32 value)
    {
        char bytes[4];
        qToBigEndian(value, bytes);
        m_data.append(bytes, 4);
    }

    QByteArray m_data;
    QList<quint32> m_offsets;
};

} // namespace

QByteArray nestedBinaryPropertyList(int depth)
{
    BinaryWriter writer;
    const int root = writer.reserve();
    QList<quint32> keys{quint32(writer.addString("$archiver")),
                        quint32(writer.addString("$version")),
                        quint32(writer.addString("$top")),
                        quint32(writer.addString("$objects"))};
    QList<quint32> values{quint32(writer.addString("DWKeyedArchiver")),
                          quint32(writer.addInteger(100000)),
                          quint32(writer.addDict({}, {}))};
    const int firstArray = int(keys.size() + values.size()) + 1;
    values.append(quint32(firstArray));
    for (int level = 0; level < depth; ++level) {
        if (level + 1 < depth)
            writer.addArray({quint32(firstArray + level + 1)});
        else
            writer.addArray({});
    }
    // The outer dictionary goes last in the file, but keeps index 0.
    writer.fillDict(root, keys, values);
    return writer.finish(quint32(root));
}

QByteArray ladderBinaryPropertyList(int rungs)
{
    BinaryWriter writer;
    for (int rung = 0; rung < rungs; ++rung)
        writer.addArray({quint32(rung + 1), quint32(rung + 1)});
    writer.addArray({});
    return writer.finish(0);
}

} // namespace testsupport
