#pragma once

#include "Reelsmith/media/LMMediaSource.h"

#include <cstdint>

struct AVIOContext;

/**
 * A media source whose bytes come from the program instead of a file: the demuxer reads it
 * through a custom I/O context whose callbacks call read() at the current position and move
 * it. The base owns the context and the position; a subclass answers filesize() and read(). The
 * base itself is an empty stream (size 0, no data).
 *
 * Held by std::shared_ptr. Used from one thread at a time (its movie's decode queue), like every
 * source.
 */
class LMCustomSource : public LMMediaSource
{
public:
    /** One second of float stereo at 44100 Hz: the I/O buffer and the largest packet. */
    static constexpr int buffer_size = 352800;

    explicit LMCustomSource(const QString &path = QString());
    ~LMCustomSource() override;

    /** The stream's size in bytes; 0 in the base. */
    int64_t filesize() const override { return 0; }
    /** Fills buffer with up to size bytes at read_offset(); answers the count (0 in the base). */
    virtual int64_t read(uint8_t *buffer, int64_t size);

    /** Made on first use; null when FFmpeg cannot allocate it. Owned by the source. */
    AVIOContext *avio_context() const override;

    int64_t read_offset() const { return m_readOffset; }

    // What the I/O callbacks do, callable directly.
    /** read() at the position, which then moves by the count; AVERROR_EOF when nothing is left. */
    int readPacket(uint8_t *buffer, int size);
    /** SEEK_SET, SEEK_CUR, SEEK_END, AVSEEK_SIZE (the size, position kept); AVERROR(ENOSYS) else. */
    int64_t seekTo(int64_t offset, int whence);

protected:
    std::shared_ptr<LMMediaSource> makeEmptyCopy() const override;

private:
    mutable AVIOContext *m_ioContext = nullptr;
    int64_t m_readOffset = 0;
};
