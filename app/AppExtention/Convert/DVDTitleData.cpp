#include "app/AppExtention/Convert/DVDTitleData.h"

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDMenuItemFindTempEditData.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "platform/ClassRegistry.h"
#include "platform/MainThread.h"

#include <QPaintDevice>
#include <QPainter>
#include <limits>

DW_REGISTER_CLASS(DVDTitleData)

DVDTitleData::DVDTitleData() = default;

DVDTitleData::~DVDTitleData() = default;

QStringList DVDTitleData::allCoderKeys() const
{
    return {QStringLiteral("name"), QStringLiteral("mediaArray")};
}

void DVDTitleData::initWithCoder(platform::KeyedUnarchiver &coder)
{
    CodingBase::initWithCoder(coder);
    const auto self = weak_from_this().lock();
    MediaDataList medias;
    for (const auto &media : m_mediaArray) {
        if (!media)
            continue;
        media->setSuperData(self);
        // A clip whose media is missing stays, offline, so that its edits survive the next save
        // and the shell can say which files are gone.
        medias.append(media);
    }
    m_mediaArray = medias;
}

MediaDataList DVDTitleData::offlineMedias() const
{
    MediaDataList offline;
    for (const auto &media : m_mediaArray) {
        if (media && media->isOffline())
            offline.append(media);
    }
    return offline;
}

VCMovieList DVDTitleData::vcMovieList() const
{
    VCMovieList movies;
    for (const auto &media : m_mediaArray) {
        if (media && media->movie())
            movies.append(media->movie());
    }
    return movies;
}

ObjectList DVDTitleData::vcmovies() const
{
    ObjectList movies;
    for (const auto &movie : vcMovieList())
        movies.append(std::static_pointer_cast<QObject>(movie));
    return movies;
}

QList<VCMovieList> DVDTitleData::chapterMovies() const
{
    QList<VCMovieList> chapters;
    for (const auto &media : m_mediaArray) {
        if (media)
            chapters.append(media->chapterMovies());
    }
    return chapters;
}

QImage DVDTitleData::previewImage() const
{
    return m_mediaArray.isEmpty() || !m_mediaArray.first() ? QImage()
                                                           : m_mediaArray.first()->previewImage();
}

std::shared_ptr<DVDMenuItem> DVDTitleData::usedMenuItem() const
{
    DW_ASSERT_MAIN_THREAD(return nullptr);
    const auto controller = ControllerFunction::mainWndController();
    const auto dvd = controller ? controller->dvd() : nullptr;
    if (!dvd)
        return nullptr;
    for (const auto &menu : dvd->menus()) {
        if (!menu)
            continue;
        for (const auto &item : menu->items()) {
            if (item && item->isTitleSlot() && item->jump().get() == this)
                return item;
        }
    }
    return nullptr;
}

std::shared_ptr<ClipStrip> DVDTitleData::item_segment_movie() const
{
    std::lock_guard guard(m_itemMovieLock);
    return m_itemSegmentMovie;
}

void DVDTitleData::setCurrentTime(qint64)
{
    std::lock_guard guard(m_itemMovieLock);
    m_itemSegmentMovie.reset();
}

QSizeF DVDTitleData::clipSizeForMenuSize(QSizeF menuSize)
{
    return int(menuSize.width()) == 854 ? QSizeF(1024, 576) : QSizeF(768, 576);
}

void DVDTitleData::setVideoSize(QSizeF size)
{
    const QSizeF clipSize = clipSizeForMenuSize(size);
    for (const auto &movie : vcMovieList())
        movie->setVideoOutputSize(clipSize);
    for (const auto &movie : vcMovieList())
        movie->updateMovieWatermarkImageIfNeeded();
}

void DVDTitleData::itemFillImageAtTimeContext(QObject *itemObject, qint64 timeUs, QPainter *context)
{
    auto *item = dynamic_cast<DVDMenuItem *>(itemObject);
    if (!item || !context)
        return;
    const qint64 t0 = std::max<qint64>(0, timeUs);
    const QImage still = item->validStaticImage();
    if (timeUs != std::numeric_limits<qint64>::max() && still.isNull()) {
        // Production's copy renders its pages as jobs at once, and two pages may show the same
        // title; the strip decodes on one clip movie, so one of them waits.
        std::lock_guard guard(m_itemMovieLock);
        if (!m_itemSegmentMovie) {
            VCMovieList pieces = VCMovie::moviesFromTrimMovies(vcMovieList());
            qint64 imageTime = 0;
            if (m_menuImageTimeUs) {
                imageTime = std::max<qint64>(0, *m_menuImageTimeUs);
            } else if (platform::isMainThread()) {
                const auto editData = FindTempEditData::getEditData(*item);
                imageTime = std::max<qint64>(0, editData ? editData->titleVideoImageTime() : 0);
            }
            if (!pieces.isEmpty()) {
                const VCMovieRef first = pieces.first();
                first->setTrimStart(std::min<qint64>(imageTime, first->trimStop()));
                const auto engine = first->movie();
                first->setTrimStop(engine ? engine->duration() : first->trimStop());
                pieces = {first};
            }
            m_itemSegmentMovie = ClipStrip::make(pieces);
        }
        if (!m_itemSegmentMovie)
            return;
        const qint64 u = t0 % std::max<qint64>(1, m_itemSegmentMovie->duration());
        // Made at twice the element's size at most: enough for the page's own scaling to stay
        // sharp, and a fraction of a whole frame's work.
        const QPaintDevice *device = context->device();
        const QSize within = device ? QSize(device->width(), device->height()) * 2 : QSize();
        item->drawImageContext(m_itemSegmentMovie->ciImageAtTime(u, within), context);
        return;
    }
    QImage picture = still;
    if (picture.isNull())
        picture = item->menuStaticImage();
    if (picture.isNull())
        picture = previewImage();
    item->drawImageContext(picture, context);
}
