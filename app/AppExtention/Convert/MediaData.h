#pragma once

#include "Reelsmith/archiving/CodingBase.h"
#include "app/AppExtention/Convert/MarkerItem.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <QImage>
#include <QVariantMap>
#include <memory>

class DVDTitleData;
class LMFFMovie;
class LMMediaSource;

/**
 * A clip: one imported media file with its edits and chapter markers. A title holds its clips in
 * play order; the background music and the warning video are clips too. While the clip is open
 * its edits live in its VCMovie and that clip's engine movie; on disk they live in
 * movieAttributes, rebuilt at every save and applied back at every load.
 *
 * path is the clip's source, the file it was imported from; a project reads its media from the
 * package copy at resourcePath when that is readable and from path otherwise, and keeps path
 * either way. A clip whose media opens from neither is offline: it has no movie, is left out of
 * playback and production, and keeps its stored edits for the next save.
 *
 * Held by std::shared_ptr. Made and loaded on the import or project-opening thread before the main
 * thread uses it; edited on the main thread; read by production on its own thread afterwards.
 */
class MediaData : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
    Q_PROPERTY(QString resourceName READ resourceName WRITE setResourceName)
    Q_PROPERTY(QVariantMap movieAttributes READ movieAttributes WRITE setMovieAttributes)
    Q_PROPERTY(QList<std::shared_ptr<MarkerItem>> markerArray READ markerArray WRITE setMarkerArray)
    Q_PROPERTY(qint64 audioTreamTag READ audioTreamTag WRITE setAudioTreamTag)
public:
    // audioTreamTag for "All Tracks".
    static constexpr qint64 kAllAudioTracks = 99;

    Q_INVOKABLE MediaData();

    // A new clip over path with the file's chapters as markers. Check movie (and its hasVideo or
    // hasAudio) before using it: a file the engine refuses gives a clip without a movie.
    static std::shared_ptr<MediaData> mediaDataWithPath(const QString &path);

    QStringList allCoderKeys() const override;
    // The engine keys and the clip keys of movieAttributes, each in its stored order.
    static QStringList movieAttributesKeys();
    static QStringList vcmovieAttributesKeys();

    // Reads the keys, then opens the media (package copy first, then path), applies the stored
    // edits and reopens the stored subtitle text. A copy that is missing, empty or unreadable
    // gives way to path; a path that cannot be opened as media leaves the clip offline.
    void initWithCoder(platform::KeyedUnarchiver &coder) override;
    // Rebuilds movieAttributes from the live clip (kept as it was without a movie), then writes.
    void encodeWithCoder(platform::KeyedArchiver &coder) const override;

    // Opens path as this clip's media: the source, the movie (zoom type 2), the name, the
    // thumbnail ("DefaultImage" without one); the resource name is that of the first load. path
    // itself becomes the source unless the clip already has one. Only a path isOpenableMediaPath
    // accepts is opened; any other leaves the clip without a movie.
    void loadWithPath(const QString &path);
    // A readable regular file, or a readable block device (a disc in a drive). A FIFO, socket or
    // character device would block the demuxer's open for ever; a folder is no media.
    static bool isOpenableMediaPath(const QString &path);
    void newMediaEditDic();
    void updateMovieAttributesToMovie();

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    QString resourceName() const { return m_resourceName; }
    void setResourceName(const QString &name) { m_resourceName = name; }
    QVariantMap movieAttributes() const { return m_movieAttributes; }
    void setMovieAttributes(const QVariantMap &attributes) { m_movieAttributes = attributes; }
    MarkerItemList markerArray() const { return m_markerArray; }
    void setMarkerArray(const MarkerItemList &markers) { m_markerArray = markers; }
    qint64 audioTreamTag() const { return m_audioTreamTag; }
    void setAudioTreamTag(qint64 tag) { m_audioTreamTag = tag; }

    std::shared_ptr<DVDTitleData> superData() const { return m_superData.lock(); }
    void setSuperData(const std::shared_ptr<DVDTitleData> &title) { m_superData = title; }
    bool isSubMedia() const { return !m_superData.expired(); }
    std::shared_ptr<LMMediaSource> source() const { return m_source; }
    VCMovieRef movie() const { return m_movie; }
    void setMovie(const VCMovieRef &movie) { m_movie = movie; }
    // The movie's engine movie.
    std::shared_ptr<LMFFMovie> ffmovie() const;
    QString name() const { return m_name; }
    QImage previewImage() const { return m_previewImage; }
    void setPreviewImage(const QImage &image) { m_previewImage = image; }
    bool isSelected() const { return m_isSelected; }
    void setIsSelected(bool selected) { m_isSelected = selected; }
    // The file the media was actually opened from (the package copy or path); empty while offline.
    QString openedPath() const { return m_openedPath; }
    // No media could be opened: the clip has no movie.
    bool isOffline() const { return !m_movie; }

    // "/resource/<resourceName>/<file name of path>", relative to the project package.
    QString resourcePath() const;
    // resourcePath inside the open document's package; null while the document was never saved
    // and off the main thread.
    QString fullResourcePath() const;
    // resourcePath inside packagePath; null without a resource name or a path. Any thread.
    QString fullResourcePathIn(const QString &packagePath) const;

    // The unarchiver's userInfo key naming the package being read (an absolute path): a project
    // read into new objects (opening one, production's copy) finds its media copies in its own
    // package and not in the one the window has open.
    static QString packagePathInfoKey() { return QStringLiteral("packagePath"); }

    // The picture at the smaller of 5.5 s and half the duration, at most 480 x 320 (aspect kept).
    static QImage thumbnailForMovie(LMFFMovie &movie);
    // Markers at the chapters' starts after 0, ascending, listed by the chapter editor.
    static MarkerItemList chaptersToMarks(const QList<QVariantMap> &chapters);

    // Chapter cutting for production.
    // 0, every marker's markOriginTime and the end of the media, ascending.
    QList<qint64> chapterTimeTrimed() const;
    // The parts of the pieces that lie in [a, b), each a fresh piece sharing the movie; the fade-in
    // stays only on a part that starts at its piece's start, the fade-out only on one that ends at
    // its piece's end. Parts of no length are left out.
    static VCMovieList getMovies(const VCMovieList &pieces, qint64 a, qint64 b);
    // One chapter per pair of neighbouring times that holds any part; with fewer than two times,
    // one chapter of all pieces.
    static QList<VCMovieList> separateMovies(const VCMovieList &pieces, const QList<qint64> &times);
    // The clip's chapters; none for an offline clip.
    QList<VCMovieList> chapterMovies() const;
    // pieces with every run of neighbours that continue one another joined into one piece: the
    // same engine movie, the next starting where the one before stops, and no fade between them
    // (as chapterMovies cuts a kept segment at its chapter points). Played one after another, such
    // pieces would each seek and restart the decoder and resampler, which leaves a click in the
    // sound at every chapter point; joined, the source plays straight through. Other pieces are
    // kept as they are, in order. Any thread.
    static VCMovieList joinedPieces(const VCMovieList &pieces);

private:
    QString m_path;
    QString m_resourceName;
    QVariantMap m_movieAttributes;
    MarkerItemList m_markerArray;
    qint64 m_audioTreamTag = kAllAudioTracks;
    std::weak_ptr<DVDTitleData> m_superData;
    std::shared_ptr<LMMediaSource> m_source;
    VCMovieRef m_movie;
    QString m_name;
    QImage m_previewImage;
    bool m_isSelected = false;
    QString m_openedPath;
};

using MediaDataRef = std::shared_ptr<MediaData>;
using MediaDataList = QList<MediaDataRef>;
