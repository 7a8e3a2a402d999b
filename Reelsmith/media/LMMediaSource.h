#pragma once

#include "Reelsmith/detail/FFmpegPointers.h"

#include <QList>
#include <QLoggingCategory>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

struct AVDictionary;
struct AVFormatContext;
struct AVIOContext;
struct AVStream;
class LMFFMedia;

namespace Reelsmith {
// discwright.reelsmith.source: opening and probing inputs.
Q_DECLARE_LOGGING_CATEGORY(lcSource)
} // namespace Reelsmith

/** Container stream indexes; std::nullopt stands for "all of them". */
using LMIndexSet = std::optional<QSet<int>>;

/**
 * One input of the media engine: a file path (or, in subclasses, another byte source) opened with
 * FFmpeg's demuxer, probed under the codec lock, then read and decoded by LMFFMedia objects. It
 * answers the container-level questions asked before decoding: name, start time, duration,
 * chapters, codec tags and the identity key of the source.
 *
 * Times are engine time (signed 64-bit microseconds). The start time is the earliest positive
 * start of a video stream when there is one (audio that starts earlier does not move it); every
 * later position of this source is relative to it.
 *
 * Held by std::shared_ptr. The demuxer context belongs to the source and is closed with it. A
 * source is used from one thread at a time (its movie's decode queue); copies are independent.
 */
class LMMediaSource : public std::enable_shared_from_this<LMMediaSource>
{
public:
    /** A new, unopened source with fullpath set. Nothing is read. */
    static std::shared_ptr<LMMediaSource> mediaWithPath(const QString &path);

    explicit LMMediaSource(const QString &path = QString());
    virtual ~LMMediaSource();
    LMMediaSource(const LMMediaSource &) = delete;
    LMMediaSource &operator=(const LMMediaSource &) = delete;

    /** A new, unopened source of the same class and path (a second, independent demuxer). */
    virtual std::shared_ptr<LMMediaSource> copy() const;

    QString fullpath() const;
    void setFullpath(const QString &path);

    /** The opened input, or null while not open. Owned by the source. */
    AVFormatContext *formatContext() const { return m_formatContext.get(); }

    // Hook queries a subclass may answer differently.
    virtual bool isOpen() const { return m_formatContext != nullptr; }
    /** Streams are numbered by DVD stream id (the low 4 bits of the id give the track). */
    virtual bool isDVD() const { return false; }
    /** The DVD title set's display aspect, "4:3" or "16:9"; a null string for other sources. */
    virtual QString dvdDisplayAspectRatio() const { return QString(); }
    /** An external subtitle file. */
    virtual bool isSubtitle() const { return false; }
    /** 16 YCrCb entries (Y bits 16-23, Cr 8-15, Cb 0-7) for bitmap subtitles, or null. */
    virtual const uint32_t *palette() const { return nullptr; }
    /** A custom byte-I/O context to read through instead of the path, or null. */
    virtual AVIOContext *avio_context() const { return nullptr; }
    /** Size of the input in bytes; 0 when unknown. */
    virtual int64_t filesize() const { return 0; }
    /** Display names of the tracks; std::nullopt lets LMFFMedia derive them from the streams. */
    virtual std::optional<QStringList> audioNames() const { return std::nullopt; }
    virtual std::optional<QStringList> subtitleNames() const { return std::nullopt; }
    /** The path that is opened (fullpath for files). */
    virtual QString path() const { return fullpath(); }
    /** The identity key of the source: "path-source:<path>". */
    virtual QString sourceKey() const;

    /**
     * Opens and probes. Does nothing when already open. A file that cannot be opened or probed
     * leaves the source closed (isOpen false, lastError says why); nothing is thrown.
     */
    void open();
    /** Why the last open failed; empty after a successful open. */
    QString lastError() const { return m_lastError; }

    /**
     * The medias that read this source: with both video and audio, two medias over two
     * independent demuxers (video first, then audio); with only one kind, one media holding every
     * selected stream of that kind; nothing when there is neither. std::nullopt selects all.
     */
    virtual QList<std::shared_ptr<LMFFMedia>> createMediasWithStreams(const LMIndexSet &streams);
    QList<std::shared_ptr<LMFFMedia>> createMedias()
    {
        return createMediasWithStreams(std::nullopt);
    }

    /** Engine time; 0 when not open or when FFmpeg has no start time. */
    int64_t start_time() const;
    /** Engine time; 0 when not open. */
    int64_t duration() const;
    /**
     * One record per chapter in container order: "index" (int, from 0), "id" (qint64, the
     * container's id), "start" and "stop" (qint64, engine time), "title" (QString, absent when
     * the chapter has none). Empty when not open.
     */
    QList<QVariantMap> find_chapters() const;
    /** The last path component of path() without its extension. */
    virtual QString name() const;
    /** The demuxer's short name; a null string when not open. */
    QString formatName() const;
    /** One four-character string per container stream: the codec tag, lowest byte first. */
    QStringList codecs() const;
    /** FFmpeg's best video stream, or AVERROR_DECODER_NOT_FOUND when not open. */
    int find_best_video_stream() const;

    /** The entry's value, or a null string when dict or the entry is missing. */
    static QString getMetadataValueForKeyInDict(const QString &key, const AVDictionary *dict);
    /** A codec tag as its four characters, lowest byte first (exactly four, never more). */
    static QString codecTagString(uint32_t tag);

    // Diagnostics: they only log (category discwright.reelsmith.source, debug level).
    static void logMedadata(const AVDictionary *dict);
    static void logFormatContext(const AVFormatContext *context);
    void print_source_stream_info();

    /**
     * The earliest positive start time of the context's video streams, in engine time;
     * std::nullopt when no video stream starts after 0. Audio and other streams do not count.
     */
    static std::optional<int64_t> get_movie_real_start_time(const AVFormatContext *context);
    /** A video stream's start time in engine time; std::nullopt for other streams or unknown. */
    static std::optional<int64_t> get_video_or_audio_stream_start_time(const AVStream *stream);

protected:
    /** Makes a new unopened instance of the same class for copy(). */
    virtual std::shared_ptr<LMMediaSource> makeEmptyCopy() const;
    /**
     * Closes the demuxer now. A subclass that reads through its own I/O context calls it in its
     * destructor before freeing that context, which the demuxer still points into.
     */
    void closeDemuxer();
    /**
     * A read-only I/O context over opaque's callbacks with a buffer of bufferSize bytes, which is
     * also the largest packet it hands the demuxer; null when out of memory. The caller frees it
     * (buffer first) after closeDemuxer().
     */
    static AVIOContext *makeReadContext(int bufferSize,
                                        void *opaque,
                                        int (*read)(void *, uint8_t *, int),
                                        int64_t (*seek)(void *, int64_t, int));

private:
    mutable std::mutex m_pathLock;
    QString m_fullpath;
    Reelsmith::detail::InputContextPtr m_formatContext;
    QString m_lastError;
};
