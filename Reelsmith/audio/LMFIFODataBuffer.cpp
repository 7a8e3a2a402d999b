#include "Reelsmith/audio/LMFIFODataBuffer.h"

#include <algorithm>
#include <cstring>

bool LMFIFODataBuffer::appendBytesLength(const void *bytes, size_t length)
{
    if (!bytes || length == 0)
        return true;
    const auto *in = static_cast<const uint8_t *>(bytes);
    std::lock_guard guard(m_lock);
    m_writeData.insert(m_writeData.end(), in, in + length);
    return true;
}

size_t LMFIFODataBuffer::takeLocked(uint8_t *out, size_t wanted)
{
    const size_t available = m_readData.size() - m_readIndex;
    const size_t taken = std::min(available, wanted);
    if (taken > 0 && out)
        std::memcpy(out, m_readData.data() + m_readIndex, taken);
    m_readIndex += taken;
    if (m_readIndex >= m_readData.size()) {
        // The read side is used up: the written bytes become the read side, and the emptied
        // buffer (its capacity kept) takes the next writes.
        m_readIndex = 0;
        m_readData.clear();
        std::swap(m_readData, m_writeData);
    }
    return taken;
}

size_t LMFIFODataBuffer::readBytesLength(void *bytes, size_t length)
{
    auto *out = static_cast<uint8_t *>(bytes);
    std::lock_guard guard(m_lock);
    size_t read = takeLocked(out, length);
    if (read < length && m_readData.size() > m_readIndex)
        read += takeLocked(out ? out + read : nullptr, length - read);
    return read;
}

size_t LMFIFODataBuffer::length() const
{
    std::lock_guard guard(m_lock);
    return m_readData.size() + m_writeData.size() - m_readIndex;
}

void LMFIFODataBuffer::clear()
{
    std::lock_guard guard(m_lock);
    m_readData.clear();
    m_writeData.clear();
    m_readIndex = 0;
}
