#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

/**
 * A byte FIFO between the producer that tops up the audio output (the movie's decode queue) and
 * the render thread. Bytes are appended to one buffer and read from the other; when the read
 * buffer is used up the two swap roles, so no bytes are ever moved and both buffers are reused.
 *
 * Every call takes the buffer's own lock and nothing else while holding it. Any thread.
 */
class LMFIFODataBuffer
{
public:
    LMFIFODataBuffer() = default;
    LMFIFODataBuffer(const LMFIFODataBuffer &) = delete;
    LMFIFODataBuffer &operator=(const LMFIFODataBuffer &) = delete;

    /** Appends length bytes; always true. */
    bool appendBytesLength(const void *bytes, size_t length);
    /** Reads up to length bytes in order into bytes (may be null to discard); the count read. */
    size_t readBytesLength(void *bytes, size_t length);
    /** Bytes buffered. */
    size_t length() const;
    void clear();

private:
    size_t takeLocked(uint8_t *out, size_t wanted);

    mutable std::mutex m_lock;
    std::vector<uint8_t> m_readData;
    std::vector<uint8_t> m_writeData;
    size_t m_readIndex = 0;
};
