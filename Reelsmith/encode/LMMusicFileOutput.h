#pragma once

#include "Reelsmith/LMTypes.h"

#include <QByteArray>
#include <QString>
#include <memory>

class LMFFMovieFileOutput;

/**
 * An audio-only file: an LMFFMovieFileOutput with one audio encoder, opened and started when the
 * output is made. Callers feed interleaved samples in the engine's default format (packed float,
 * stereo, 44100 Hz), which the encoder converts from.
 *
 * Owned by one object (std::unique_ptr) and driven by one thread. Destroying it closes the file.
 */
class LMMusicFileOutput
{
public:
    /**
     * Creates the path's folders, replaces any file there and starts an audio file in format.
     * Null when the audio encoder does not open or the file cannot be started; no file is left.
     */
    static std::unique_ptr<LMMusicFileOutput> output(const QString &path,
                                                     const LMFFMovieFileOutputFormat &format);
    /** The engine's default format at that rate with the default layout for channels. */
    static std::unique_ptr<LMMusicFileOutput>
    output(const QString &path, int channels, int sampleRate);

    ~LMMusicFileOutput();
    LMMusicFileOutput(const LMMusicFileOutput &) = delete;
    LMMusicFileOutput &operator=(const LMMusicFileOutput &) = delete;

    QString outputPath() const { return m_path; }
    /** The encoder behind this file; null once closed. */
    LMFFMovieFileOutput *movieOutput() const { return m_movieOutput.get(); }
    /** How writeAudioData counts frames; all zero once closed. */
    LMFFAudioFormat audioInputFormat() const;
    void setAudioInputFormat(const LMFFAudioFormat &format);
    void writeAudioData(const QByteArray &data);
    /** Finishes the file; false when anything written to it failed. A second close does nothing. */
    bool close();

private:
    LMMusicFileOutput() = default;

    QString m_path;
    std::unique_ptr<LMFFMovieFileOutput> m_movieOutput;
    bool m_closedOk = true;
};
