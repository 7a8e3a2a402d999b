#include "app/AppExtention/Convert/MediaData.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyValue.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MainThread.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

DW_REGISTER_CLASS(MediaData)

MediaData::MediaData() = default;

std::shared_ptr<MediaData> MediaData::mediaDataWithPath(const QString &path)
{
    auto media = std::make_shared<MediaData>();
    media->loadWithPath(path);
    if (media->m_source) {
        MarkerItemList markers = media->markerArray();
        markers.append(chaptersToMarks(media->m_source->find_chapters()));
        media->setMarkerArray(markers);
    }
    return media;
}

QStringList MediaData::allCoderKeys() const
{
    return {QStringLiteral("path"),
            QStringLiteral("resourceName"),
            QStringLiteral("movieAttributes"),
            QStringLiteral("markerArray"),
            QStringLiteral("audioTreamTag")};
}

QStringList MediaData::movieAttributesKeys()
{
    return MovieAttributeKeyTable::engineKeys();
}

QStringList MediaData::vcmovieAttributesKeys()
{
    return MovieAttributeKeyTable::clipKeys();
}

void MediaData::initWithCoder(platform::KeyedUnarchiver &coder)
{
    CodingBase::initWithCoder(coder);
    const QString package = coder.userInfo().value(packagePathInfoKey()).toString();
    QString openPath = package.isEmpty() ? fullResourcePath() : fullResourcePathIn(package);
    const QFileInfo packaged(openPath);
    // An empty copy is what a copy cut short leaves; the source beside it may be intact.
    if (openPath.isEmpty() || !packaged.isFile() || !packaged.isReadable() || packaged.size() == 0)
        openPath = m_path;
    // The archived path is the clip's source: a load from the package copy must not replace it,
    // or the next save would point the clip at a copy inside an old package.
    const QString source = m_path;
    loadWithPath(openPath);
    if (!source.isEmpty())
        m_path = source;
    updateMovieAttributesToMovie();
    if (m_movie)
        m_movie->openSubtitleContentIfNeeded();
}

void MediaData::encodeWithCoder(platform::KeyedArchiver &coder) const
{
    // Encoding a clip is what refreshes its stored edits; the record itself is otherwise left as
    // it was.
    const_cast<MediaData *>(this)->newMediaEditDic();
    CodingBase::encodeWithCoder(coder);
}

void MediaData::loadWithPath(const QString &path)
{
    LMFFMovie::initialize();
    m_source = isOpenableMediaPath(path) ? LMMediaSource::mediaWithPath(path) : nullptr;
    m_movie = m_source ? VCMovie::movieWithSource(m_source) : nullptr;
    if (m_resourceName.isEmpty())
        m_resourceName = CommonFunction::shaString(path);
    if (m_movie)
        MovieAttributeKeyTable::setEngineValue(
            *m_movie, QStringLiteral("zoomType"), LMSegmentMovie::kZoomDefault);
    if (m_source) {
        m_path = m_source->path();
        m_name = m_source->name();
    } else {
        m_path = path;
        m_name = QFileInfo(path).completeBaseName();
    }
    m_openedPath = m_movie ? path : QString();
    const auto engine = ffmovie();
    m_previewImage = engine ? thumbnailForMovie(*engine) : QImage();
    if (m_previewImage.isNull())
        m_previewImage = ApplicationImage::imageNamed(QStringLiteral("DefaultImage"));
}

bool MediaData::isOpenableMediaPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    // stat follows a link to what it names: a link to a FIFO is a FIFO.
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode))
        return false;
    return ::access(QFile::encodeName(path).constData(), R_OK) == 0;
}

std::shared_ptr<LMFFMovie> MediaData::ffmovie() const
{
    return m_movie ? m_movie->movie() : nullptr;
}

void MediaData::newMediaEditDic()
{
    if (!ffmovie())
        return;
    QVariantMap attributes;
    for (const QString &key : movieAttributesKeys()) {
        const QVariant value = MovieAttributeKeyTable::engineValue(*m_movie, key);
        if (value.isValid() && !value.isNull())
            attributes.insert(key, value);
    }
    for (const QString &key : vcmovieAttributesKeys()) {
        const QVariant value = platform::valueForKey(m_movie.get(), key);
        if (value.isValid() && !value.isNull())
            attributes.insert(key, value);
    }
    m_movieAttributes = attributes;
}

void MediaData::updateMovieAttributesToMovie()
{
    if (m_movieAttributes.isEmpty() || !ffmovie())
        return;
    for (const QString &key : movieAttributesKeys()) {
        const auto found = m_movieAttributes.constFind(key);
        if (found != m_movieAttributes.constEnd())
            MovieAttributeKeyTable::setEngineValue(*m_movie, key, *found);
    }
    // An absent clip key resets its property: objects to nil, scalars to 0.
    for (const QString &key : vcmovieAttributesKeys())
        platform::setValueForKey(m_movie.get(), m_movieAttributes.value(key), key);
    m_movie->updateMovieWatermarkImageHelper();
}

QString MediaData::resourcePath() const
{
    return QStringLiteral("/resource/%1/%2").arg(m_resourceName, QFileInfo(m_path).fileName());
}

QString MediaData::fullResourcePathIn(const QString &packagePath) const
{
    if (packagePath.isEmpty() || m_resourceName.isEmpty() || m_path.isEmpty())
        return QString();
    return packagePath + resourcePath();
}

QString MediaData::fullResourcePath() const
{
    // Off the main thread only a reader that names its package finds the package's copy.
    if (!platform::isMainThread())
        return QString();
    const auto controller = ControllerFunction::mainWndController();
    if (!controller || m_resourceName.isEmpty() || m_path.isEmpty())
        return QString();
    const QString full = controller->pathForResourcePath(resourcePath());
    return full.isEmpty() ? QString() : full;
}

QImage MediaData::thumbnailForMovie(LMFFMovie &movie)
{
    const int64_t t = std::min(int64_t(5.5 * double(lm_default_time_base())), movie.duration() / 2);
    QSizeF size = movie.videoSize();
    if (size.width() > 480 || size.height() > 320)
        size = CommonFunction::scaleRectIn(QRectF(QPointF(0, 0), size), QRectF(0, 0, 480, 320))
                   .size();
    return movie.thumbnailAtTimeSize(t, size);
}

MarkerItemList MediaData::chaptersToMarks(const QList<QVariantMap> &chapters)
{
    MarkerItemList markers;
    for (const QVariantMap &chapter : chapters) {
        const qint64 start = chapter.value(QStringLiteral("start")).toLongLong();
        if (start <= 0)
            continue;
        auto marker = std::make_shared<MarkerItem>();
        marker->setMarkOriginTime(start);
        marker->setMarkShowTime(start);
        marker->setCanShow(true);
        markers.append(marker);
    }
    std::stable_sort(markers.begin(), markers.end(), [](const auto &a, const auto &b) {
        return a->markOriginTime() < b->markOriginTime();
    });
    return markers;
}

QList<qint64> MediaData::chapterTimeTrimed() const
{
    QList<qint64> times{0};
    for (const auto &marker : m_markerArray) {
        if (marker)
            times.append(marker->markOriginTime());
    }
    const auto engine = ffmovie();
    times.append(engine ? engine->duration() : 0);
    std::sort(times.begin(), times.end());
    return times;
}

VCMovieList MediaData::getMovies(const VCMovieList &pieces, qint64 a, qint64 b)
{
    VCMovieList parts;
    for (const auto &piece : pieces) {
        const qint64 s = std::max(a, piece->trimStart());
        const qint64 e = std::min(b, piece->trimStop());
        // Only a part with a length: a marker on a cut, or in a gap between kept segments, must
        // not leave an empty or backwards part for the encoder.
        if (e <= s)
            continue;
        const VCMovieList copies = piece->validVCMovies();
        if (copies.isEmpty())
            continue;
        VCMovieRef part = copies.last();
        part->setTrimStart(s);
        part->setTrimStop(e);
        // A fade belongs to the segment's own ends, not to a chapter point inside it.
        if (s != piece->trimStart())
            part->setFadeIn(0);
        if (e != piece->trimStop())
            part->setFadeOut(0);
        parts.append(part);
    }
    return parts;
}

QList<VCMovieList> MediaData::separateMovies(const VCMovieList &pieces, const QList<qint64> &times)
{
    if (times.size() < 2)
        return {pieces};
    QList<VCMovieList> chapters;
    for (qsizetype i = 0; i + 1 < times.size(); ++i) {
        VCMovieList chapter = getMovies(pieces, times[i], times[i + 1]);
        if (!chapter.isEmpty())
            chapters.append(chapter);
    }
    return chapters;
}

VCMovieList MediaData::joinedPieces(const VCMovieList &pieces)
{
    VCMovieList joined;
    for (const auto &piece : pieces) {
        if (!piece)
            continue;
        const VCMovieRef previous = joined.isEmpty() ? nullptr : joined.last();
        const bool continues = previous && previous->movie() && previous->movie() == piece->movie()
                               && previous->trimStop() == piece->trimStart()
                               && previous->fadeOutTime() == 0 && piece->fadeInTime() == 0;
        if (!continues) {
            joined.append(piece);
            continue;
        }
        // A fresh piece, so that the chapter lists keep theirs unchanged.
        const VCMovieList copies = previous->validVCMovies();
        if (copies.isEmpty()) {
            joined.append(piece);
            continue;
        }
        VCMovieRef whole = copies.last();
        whole->setTrimStart(previous->trimStart());
        whole->setTrimStop(piece->trimStop());
        whole->setFadeIn(previous->fadeInTime());
        whole->setFadeOut(piece->fadeOutTime());
        joined.last() = whole;
    }
    return joined;
}

QList<VCMovieList> MediaData::chapterMovies() const
{
    if (!m_movie)
        return {};
    const VCMovieList pieces = m_movie->validVCMovies();
    QList<qint64> times = chapterTimeTrimed();
    // The cut must reach every kept segment, also one that was trimmed past the media's end.
    qint64 last = times.last();
    for (const auto &piece : pieces)
        last = std::max<qint64>(last, piece->trimStop());
    times.last() = last;
    return separateMovies(pieces, times);
}
