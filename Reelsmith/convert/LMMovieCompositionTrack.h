#pragma once

#include "platform/KeyedObject.h"

#include <QList>
#include <QString>
#include <memory>

struct AVCodecParameters;
struct AVPacket;
struct AVStream;
class LMMediaSource;

/**
 * One stream of one file placed on a composition's timeline: which stream of which source, where
 * it starts on the output (seconds), and its output stream once an export maps it. It reads its
 * stream's packets straight from the source's demuxer, so each track holds a source of its own.
 *
 * Archived under "path", "position" and "rate"; unarchiving the path makes a new source.
 *
 * Used by one thread at a time (the exporting thread).
 */
class LMMovieCompositionTrack : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
    Q_PROPERTY(double position MEMBER position)
    Q_PROPERTY(double rate MEMBER rate)
public:
    Q_INVOKABLE LMMovieCompositionTrack() = default;
    QStringList allCoderKeys() const override;

    /** A track with position 0 and rate 1.0 and no source. */
    static std::shared_ptr<LMMovieCompositionTrack> makeTrack();
    /** One track per stream of the file (track 0, 1, ...), each over its own source; empty when the
     *  file cannot be opened or has no streams. */
    static QList<std::shared_ptr<LMMovieCompositionTrack>> tracksWithPath(const QString &path);

    std::shared_ptr<LMMediaSource> source() const { return m_source; }
    void setSource(std::shared_ptr<LMMediaSource> source) { m_source = std::move(source); }
    QString path() const;
    /** A new source for path. */
    void setPath(const QString &path);

    int track = 0;         // stream index in the source
    int map = -1;          // output stream index; -1 when the export left it out
    double position = 0;   // seconds on the output timeline
    double rate = 1.0;     // kept for the owner; the export copies at the source's rate
    bool finished = false; // no more packets of this stream
    double dts = 0;        // seconds: dts of the last packet read, in source time
    QString languageCode;  // the output stream's "language" when not empty

    void open();
    /** Seconds, of the source. */
    double duration() const;
    double startTime() const;
    /** The source's stream number track; null when out of range or not open. */
    AVStream *avstream();
    const AVCodecParameters *codecParameters();
    int codecID();
    int mediaType();
    bool isVideo() { return mediaType() == 0; }
    bool isAudio() { return mediaType() == 1; }
    bool isSubtitle() { return mediaType() == 3; }

    /** av_read_frame on the source; false at the end or on an error. */
    bool readSourceFrame(AVPacket *packet);
    /** The next packet of this track's stream (others are dropped); false, with finished set, at
     *  the end of the file. */
    bool readFrame(AVPacket *packet);

private:
    std::shared_ptr<LMMediaSource> m_source;
};
