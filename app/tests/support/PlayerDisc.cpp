#include "PlayerDisc.h"

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/production/DVDChapterVideo.h"
#include "app/production/DVDTitleVideo.h"

namespace player_testing {
namespace {

using Discwright::DVDChapterVideo;
using Discwright::DVDTitleVideo;

VCMovieList silentClips(double seconds)
{
    VCMovieRef clip = VCMovie::movieWithEmptyFFMovie();
    clip->setTrimStop(int64_t(seconds * 1000000.0));
    return {clip};
}

void leadTo(const DVDMenuItemRef &item, const ObjectRef &title, const ObjectRef &editingTitle)
{
    item->setJump(editingTitle);
    for (const ObjectRef &chapter : chaptersOf(title)) {
        if (auto video = platform::objectCast<DVDChapterVideo>(chapter)) {
            ObjectList items = video->titles();
            items.append(item);
            video->setTitles(items);
        }
    }
}

} // namespace

ObjectRef makeDiscTitle(const QList<double> &chapterSeconds, bool warning, const ClipMaker &clips)
{
    Discwright::DVDChapterVideoList chapters;
    for (double seconds : chapterSeconds)
        chapters.append(
            DVDChapterVideo::chapterWithMovies(clips ? clips(seconds) : silentClips(seconds)));
    return DVDTitleVideo::titleWithChapters(chapters, warning);
}

ObjectList chaptersOf(const ObjectRef &title)
{
    const ::DVDTitleVideo *video = platform::conformsTo<::DVDTitleVideo>(title);
    return video ? video->chapters() : ObjectList{};
}

ObjectRef chapterOf(const ObjectRef &title, qsizetype index)
{
    const ObjectList chapters = chaptersOf(title);
    return index < chapters.size() ? chapters.at(index) : nullptr;
}

PlayerDisc makePlayerDisc(const DiscOptions &options, const ClipMaker &clips)
{
    PlayerDisc disc;
    disc.dvd = std::make_shared<DVDLibrary>();
    disc.dvd->setAutoMenus(false);
    disc.dvd->setMenuLoop(true);
    disc.dvd->setNoMenu(options.noMenu);
    disc.dvd->setAspectType(options.aspectType);

    for (const QList<double> &seconds : options.titleSeconds) {
        disc.titles.append(makeDiscTitle(seconds, false, clips));
        disc.editingTitles.append(std::make_shared<DVDTitleData>());
    }
    if (disc.titles.size() < 3)
        return disc;
    ObjectList titles(disc.titles.begin(), disc.titles.end());
    if (options.warning) {
        disc.warning = makeDiscTitle({options.warningSeconds}, true, clips);
        titles.append(disc.warning);
    }
    disc.dvd->setTitles(titles);

    const DVDMenuRef shipped
        = DVDLibraryResourceExtention::defaultMenuForAspectType(options.aspectType);
    if (!shipped)
        return disc;
    disc.main = shipped->copyMenu();
    disc.sub = shipped->copyMenu();
    disc.mainSlots = DVDMenuExtention::titleItems(*disc.main);
    disc.subSlots = DVDMenuExtention::titleItems(*disc.sub);
    if (disc.mainSlots.size() < 4 || disc.subSlots.size() < 4)
        return disc;

    leadTo(disc.mainSlots[0], disc.titles[0], disc.editingTitles[0]);
    leadTo(disc.mainSlots[1], disc.titles[1], disc.editingTitles[1]);
    leadTo(disc.subSlots[0], disc.titles[2], disc.editingTitles[2]);
    disc.sub->setParent(disc.mainSlots[2]);
    if (!options.noMenu)
        disc.dvd->setMenus({disc.main, disc.sub});
    disc.dvd->updateDVDMenu();

    // As the production copy does: each page's "play" button leads to the page's first title.
    for (const DVDMenuRef &page : {disc.main, disc.sub}) {
        const DVDMenuItemRef play = page->buttonForButtonType(QStringLiteral("play"));
        const DVDMenuItemList titleSlots = DVDMenuExtention::titleItems(*page);
        if (play && !titleSlots.isEmpty() && titleSlots.first()->jump())
            leadTo(play,
                   page == disc.main ? disc.titles[0] : disc.titles[2],
                   titleSlots.first()->jump());
    }
    return disc;
}

} // namespace player_testing
