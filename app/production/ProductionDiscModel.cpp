#include "app/production/ProductionDiscModel.h"

#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/production/DVDChapterVideo.h"
#include "app/production/DVDTitleVideo.h"
#include "app/production/ProductionInput.h"
#include "app/production/ProductionLog.h"
#include "platform/MainThread.h"

#include <cmath>

namespace Discwright::ProductionDiscModel {
namespace {

// A warning clip this short is taken for a mistake and left off the disc.
constexpr double kMinimumWarningSeconds = 0.5;
// A page shorter than this cannot be encoded as a menu.
constexpr double kMinimumMenuSeconds = 1.0;

// The first project title, in title order, that some title element of some page leads to.
ObjectRef firstPlacedTitle(const DVDLibrary &editing)
{
    const DVDMenuList pages = editing.menus();
    for (const ObjectRef &title : editing.titles()) {
        if (!platform::objectCast<DVDTitleData>(title))
            continue;
        for (const DVDMenuRef &page : pages) {
            if (!page)
                continue;
            for (const DVDMenuItemRef &item : page->items()) {
                if (item && DVDMenuItemExtention::isTitle(*item) && item->jump() == title)
                    return title;
            }
        }
    }
    return nullptr;
}

// Every piece of the clip in play order, whatever chapter it falls in.
VCMovieList allPieces(const MediaData &clip)
{
    VCMovieList pieces;
    for (const VCMovieList &chapter : clip.chapterMovies())
        pieces.append(chapter);
    return pieces;
}

// The picture time of the title's menu element, from the last style record of its first element
// that has one; 0 without.
qint64 menuImageTimeUs(const ObjectList &items, const TempEditDataList &records)
{
    for (const ObjectRef &object : items) {
        for (auto it = records.crbegin(); it != records.crend(); ++it) {
            if (*it && (*it)->currentMedia() == object)
                return std::max<qint64>(0, (*it)->titleVideoImageTime());
        }
    }
    return 0;
}

std::shared_ptr<DVDTitleVideo> warningTitle(const TempDvdData &settings, qint64 aspectType)
{
    if (!settings.dvdHasWarningMedia())
        return nullptr;
    const auto clip = platform::objectCast<MediaData>(settings.dvdWarningMedia());
    if (!clip || !clip->movie())
        return nullptr;
    clip->movie()->setVideoOutputSize(DVDMenu::menuSizeForAspectType(aspectType));
    // The whole clip plays before the menu, not only its last chapter.
    auto chapter = DVDChapterVideo::chapterWithMovies(allPieces(*clip));
    if (!(chapter->duration() > kMinimumWarningSeconds))
        return nullptr;
    return DVDTitleVideo::titleWithChapters({chapter}, true);
}

} // namespace

ObjectList findMenuItemsByTitle(const ObjectRef &title, const DVDMenuList &menus)
{
    ObjectList items;
    if (!title)
        return items;
    for (const DVDMenuRef &page : menus) {
        if (!page)
            continue;
        for (const DVDMenuItemRef &item : page->items()) {
            if (item && item->jump() == title)
                items.append(item);
        }
    }
    return items;
}

ObjectRef getFirstTitleVideo(const DVDMenu &page)
{
    for (const DVDMenuItemRef &item : page.items()) {
        if (!item)
            continue;
        const ObjectRef jump = item->jump();
        if (platform::objectCast<DVDTitleData>(jump))
            return jump;
    }
    return nullptr;
}

void updateDVDMenuPlayBtn(const DVDLibrary &disc)
{
    for (const DVDMenuRef &page : disc.menus()) {
        if (!page)
            continue;
        if (const auto play = page->buttonForButtonType(QStringLiteral("play")))
            play->setJump(getFirstTitleVideo(*page));
    }
}

void b_updateDvdMenuDuration(MainWindowControllerInterface &controller)
{
    const auto editing = controller.dvd();
    const auto settings = controller.tempDvdData();
    const bool musicLength = settings && settings->useBackMusicLengthDuration();
    if (editing) {
        for (const DVDMenuRef &page : editing->menus()) {
            if (!page)
                continue;
            const auto drawer = platform::objectCast<BackgroundRenderData>(page->menu_drawer());
            if (page->use_menu_drawer() && drawer && drawer->useRenderDurAsMenuDur()) {
                const double show = drawer->p_totalTime();
                if (show >= kMinimumMenuSeconds)
                    page->setDuration(show);
            } else if (musicLength) {
                const auto music = platform::objectCast<MediaData>(page->music());
                const VCMovieRef clip = music ? music->movie() : nullptr;
                page->setDuration(clip ? double(clip->trimDuration()) / 1000000.0
                                       : kDefaultMenuDurationSeconds);
            } else if (!(page->duration() >= kMinimumMenuSeconds)) {
                page->setDuration(kDefaultMenuDurationSeconds);
            }
        }
    }
    controller.changeCapacityValue();
}

std::shared_ptr<DVDLibrary> getDVDObj(MainWindowControllerInterface &controller)
{
    DW_ASSERT_MAIN_THREAD(return nullptr);
    const auto editing = controller.dvd();
    if (!editing)
        return nullptr;
    // The jumps and durations production needs stay on the project, as the windows show them.
    if (!editing->noMenu()) {
        updateDVDMenuPlayBtn(*editing);
        const DVDMenuList mainPages = editing->submenusForMenuItem(nullptr);
        if (!mainPages.isEmpty() && mainPages.last()) {
            if (const auto play = mainPages.last()->buttonForButtonType(QStringLiteral("play")))
                play->setJump(firstPlacedTitle(*editing));
        }
        b_updateDvdMenuDuration(controller);
    }
    QString error;
    const std::optional<ProductionInput> input
        = ProductionInput::fromController(controller, &error);
    if (!input) {
        qCWarning(lcProduction).noquote()
            << "the project cannot be copied for production:" << error;
        return nullptr;
    }
    return getDVDObj(*input);
}

std::shared_ptr<DVDLibrary> getDVDObj(const ProductionInput &input)
{
    const auto editing = input.dvd;
    if (!editing)
        return nullptr;
    auto disc = std::make_shared<DVDLibrary>();
    disc->setAutoMenus(false);
    disc->setNoMenu(editing->noMenu());
    disc->setAspectType(editing->aspectType());
    disc->setDvdBitrate(editing->dvdBitrate());
    disc->setPlayFirstTitle(editing->playFirstTitle());
    disc->setPlayTitleSequence(editing->playTitleSequence());
    disc->setMenuLoop(true);
    disc->setFormat(editing->format());
    disc->setLoopVideo(editing->loopVideo());
    input.carryIn(*disc);

    const bool noMenu = editing->noMenu();
    if (!noMenu)
        disc->setMenus(editing->menus());

    ObjectList titles;
    std::shared_ptr<DVDTitleVideo> allInOne;
    if (noMenu) {
        allInOne = std::make_shared<DVDTitleVideo>();
        titles.append(allInOne);
    }
    const DVDMenuList pages = disc->menus();
    for (const ObjectRef &object : editing->titles()) {
        const auto title = platform::objectCast<DVDTitleData>(object);
        if (!title)
            continue;
        const ObjectList items = noMenu ? ObjectList() : findMenuItemsByTitle(object, pages);
        title->setMenuImageTimeUs(menuImageTimeUs(items, input.records));
        DVDChapterVideoList chapters;
        for (const VCMovieList &pieces : title->chapterMovies()) {
            if (!noMenu && items.isEmpty())
                continue;
            chapters.append(DVDChapterVideo::chapterWithMovies(pieces, items));
        }
        if (noMenu) {
            for (const DVDChapterVideoRef &chapter : chapters)
                allInOne->appendChapter(chapter);
        } else if (!chapters.isEmpty()) {
            titles.append(DVDTitleVideo::titleWithChapters(chapters));
        }
    }
    if (input.settings) {
        if (auto warning = warningTitle(*input.settings, disc->aspectType()))
            titles.append(warning);
    }
    disc->setTitles(titles);
    return disc;
}

} // namespace Discwright::ProductionDiscModel
