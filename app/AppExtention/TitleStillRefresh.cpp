#include "app/AppExtention/TitleStillRefresh.h"

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "platform/MainThread.h"

namespace TitleStillRefresh {

namespace {

MediaDataRef firstClipOfTarget(const ObjectRef &target)
{
    const auto title = std::dynamic_pointer_cast<DVDTitleData>(target);
    if (!title || title->mediaArray().isEmpty())
        return nullptr;
    return title->mediaArray().first();
}

// The first record whose element is this very element.
TempEditDataRef firstRecordForItem(const DVDMenuItem &item, const TempEditDataList &records)
{
    for (const TempEditDataRef &record : records) {
        if (record && record->currentMedia().get() == &item)
            return record;
    }
    return nullptr;
}

} // namespace

MediaDataRef pictureClipForItem(const DVDMenuItem &item)
{
    const ObjectRef target = item.jump();
    if (const auto page = std::dynamic_pointer_cast<DVDMenu>(target)) {
        for (const DVDMenuItemRef &other : page->items()) {
            if (!other || !DVDMenuItemExtention::isTitle(*other))
                continue;
            if (MediaDataRef clip = firstClipOfTarget(other->jump()))
                return clip;
        }
        return nullptr;
    }
    return firstClipOfTarget(target);
}

MediaDataRef currentMediaMediaData(const DVDMenuItemRef &currentItem)
{
    return currentItem ? pictureClipForItem(*currentItem) : nullptr;
}

void b_updateTitleUseImageWhenVideoEditChanged(const DVDLibrary &dvd,
                                               const TempEditDataList &records)
{
    for (const DVDMenuRef &page : dvd.menus()) {
        if (!page)
            continue;
        for (const DVDMenuItemRef &item : DVDMenuExtention::titleItems(*page)) {
            const TempEditDataRef record = firstRecordForItem(*item, records);
            const MediaDataRef clip = pictureClipForItem(*item);
            if (!record || !clip)
                continue;
            const std::shared_ptr<LMFFMovie> movie = clip->ffmovie();
            if (!movie)
                continue;
            record->setTitleVideoImage(movie->thumbnailAtTimeSize(
                record->titleVideoImageTime(), QSizeF(kStillWidth, kStillHeight)));
        }
    }
}

void b_updateTitleUseImageWhenVideoEditChanged()
{
    DW_ASSERT_MAIN_THREAD();
    const auto main = ControllerFunction::mainWndController();
    if (!main)
        return;
    if (const auto dvd = main->dvd())
        b_updateTitleUseImageWhenVideoEditChanged(*dvd, main->tempDataArray());
    ControllerFunction::displayCanvasViewLater();
}

} // namespace TitleStillRefresh
