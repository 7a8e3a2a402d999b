#pragma once

#include <QString>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace Reelsmith {

/**
 * The muxer and the file of one output: makes the format context from the path, opens the file
 * and writes the header, writes packets, and at the end drains the muxer, writes the trailer and
 * closes the file. The first write that fails is remembered, so a damaged file is never reported
 * as written; lastError() says why (the owner records its own failures here too, through fail()).
 *
 * Owned by one output (LMFFMovieFileOutput, LMFFMovieStreamOutput), which adds the streams to
 * context() between create() and start(). One thread drives it, the output's.
 */
class MuxedFile
{
public:
    MuxedFile() = default;
    /** Frees what is still held without finishing the file. */
    ~MuxedFile();
    MuxedFile(const MuxedFile &) = delete;
    MuxedFile &operator=(const MuxedFile &) = delete;

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    AVFormatContext *context() const { return m_context; }
    bool isCreated() const { return m_context != nullptr; }
    /** The header is written; packets may follow. Stays true after finish(). */
    bool isStarted() const { return m_headerWritten; }
    bool hasWriteError() const { return m_writeError; }
    QString lastError() const { return m_lastError; }

    /** Makes the format context from the path (once); the muxer comes from its extension. */
    bool create();
    /** A stream taking source's packets unchanged: its parameters, rates and time base; null
     *  (lastError says why) when it cannot be added. Between create() and start(). */
    AVStream *addCopiedStream(const AVStream *source);
    /** Opens the file and writes the header (once); false when either fails. */
    bool start();
    /** Writes packet into stream; nothing before start(). */
    void write(AVPacket *packet, AVStream *stream);
    /** Drains the muxer, writes the trailer, closes the file and frees the context; false when
     *  anything written failed or the file was never started. Harmless when called twice. */
    bool finish();

    /** Records why, with FFmpeg's text for code when it is not 0, and logs it with the path. */
    void fail(const QString &why, int code);
    /** As fail(), and the file is not to be trusted any more. Only the first one is kept. */
    void failWrite(const QString &why, int code);

private:
    QString m_path;
    AVFormatContext *m_context = nullptr;
    bool m_headerWritten = false;
    bool m_fileOpen = false;
    bool m_writeError = false;
    QString m_lastError;
};

} // namespace Reelsmith
