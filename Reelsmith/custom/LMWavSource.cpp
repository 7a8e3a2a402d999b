#include "Reelsmith/custom/LMWavSource.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

void put32(char *at, uint32_t value)
{
    qToLittleEndian(value, at);
}

void put16(char *at, uint16_t value)
{
    qToLittleEndian(value, at);
}

} // namespace

LMWavSource::LMWavSource()
    : LMCustomSource(QStringLiteral("filename.wav"))
{}

std::shared_ptr<LMMediaSource> LMWavSource::makeEmptyCopy() const
{
    return std::make_shared<LMWavSource>();
}

QByteArray LMWavSource::header()
{
    QByteArray bytes(int(headerSize), '\0');
    char *h = bytes.data();
    memcpy(h, "RIFF", 4);
    put32(h + 4, 0);
    memcpy(h + 8, "WAVE", 4);
    memcpy(h + 12, "fmt ", 4);
    put32(h + 16, 16);
    put16(h + 20, 3); // IEEE float
    put16(h + 22, 2);
    put32(h + 24, 44100);
    put32(h + 28, 352800);
    put16(h + 32, 8);
    put16(h + 34, 32);
    memcpy(h + 36, "fact", 4);
    put32(h + 40, 4);
    put32(h + 44, 0);
    memcpy(h + 48, "data", 4);
    put32(h + 52, uint32_t(datasize));
    return bytes;
}

int64_t LMWavSource::read(uint8_t *buffer, int64_t size)
{
    const int64_t position = read_offset();
    if (position < 0)
        return 0;
    int64_t n = std::clamp<int64_t>(size, 0, std::max<int64_t>(filesize() - position, 0));
    int64_t h = 0;
    if (position < headerSize) {
        h = std::min(n, headerSize - position);
        static const QByteArray bytes = header();
        memcpy(buffer, bytes.constData() + position, size_t(h));
    }
    m_dataPosition = position + h;
    return h + readData(buffer + h, n - h);
}

int64_t LMWavSource::readData(uint8_t *buffer, int64_t size)
{
    size = std::clamp<int64_t>(size, 0, std::max<int64_t>(filesize() - m_dataPosition, 0));
    if (size == 0)
        return 0;
    // The subclass counts from the first sample, not from the start of the stream.
    return readData(buffer, m_dataPosition - headerSize, size);
}

int64_t LMWavSource::readData(uint8_t *buffer, int64_t /*offset*/, int64_t size)
{
    memset(buffer, 0, size_t(size));
    return size;
}
