#pragma once

#include "Reelsmith/encode/MuxedFile.h"

#include <QString>
#include <cstdint>
#include <memory>

struct AVFormatContext;
struct AVPacket;
struct AVStream;
class LMFFImage;

/**
 * One stream of an LMFFMovieStreamOutput with its own timestamp counter, so every stream of the
 * output is kept strictly increasing on its own. Owned by the caller; used with its output.
 */
class LMFFMovieStream
{
public:
    AVStream *stream = nullptr;
    /** Last written dts, in the stream's time base. */
    int64_t write_pts = 0;
    bool isVideo = false;
    /** A packet of this stream has been written. */
    bool started = false;
};

/**
 * Remuxes: any number of streams copied from source streams, their packets written unchanged but
 * for timestamp repair. The muxer comes from the path (".m4r" is muxed as ".m4a").
 *
 * Failures: copyOutputStream answers null when the stream cannot be added, startOutput false when
 * the file cannot be opened or its header written; a packet that cannot be written makes
 * hasWriteError() true and stopOutput() false. One thread drives an output.
 */
class LMFFMovieStreamOutput
{
public:
    static std::unique_ptr<LMFFMovieStreamOutput> outputWithPath(const QString &path);

    LMFFMovieStreamOutput() = default;
    LMFFMovieStreamOutput(const LMFFMovieStreamOutput &) = delete;
    LMFFMovieStreamOutput &operator=(const LMFFMovieStreamOutput &) = delete;

    QString path() const { return m_file.path(); }
    void setPath(const QString &path) { m_file.setPath(path); }
    bool isMovieOpen() const { return m_file.isCreated(); }
    AVFormatContext *formatContext() const { return m_file.context(); }
    bool hasWriteError() const { return m_file.hasWriteError(); }
    QString lastError() const { return m_file.lastError(); }

    bool createMovieOutput();
    /** A stream copying source's packets (of any type); null when it cannot be added. */
    std::shared_ptr<LMFFMovieStream> copyOutputStream(const AVStream *source);
    bool startOutput();
    /** Writes a copied packet with its timestamps repaired; nothing for a missing stream. */
    void writeRawPacket(const LMFFImage &packet, LMFFMovieStream &stream);
    void writePacket(AVPacket *packet, AVStream *stream);
    /** Drains, writes the trailer, closes the file; false when anything written failed. Harmless
     *  when never started or called twice. */
    bool stopOutput();

private:
    void fail(const QString &why, int code);

    Reelsmith::MuxedFile m_file;
    bool m_videoWriteStarted = false;
};
