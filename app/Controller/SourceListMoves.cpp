#include "app/Controller/SourceListMoves.h"

#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "platform/Assert.h"
#include "platform/MainThread.h"

namespace SourceListMoves {

using Kind = SourceListGeometry::DropAction::Kind;

void removeTitleWithItems(EditingProject &project, qsizetype row)
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto titles = project.titles();
    DW_ASSERT(row >= 0 && row < titles.size(), return );
    const DVDTitleDataRef title = titles[row];
    // One item per round: a title may be played from several pages. Bounded, so that a page that
    // refuses the edit cannot hold the loop.
    for (int guard = 0; guard < 1000; ++guard) {
        const auto [item, page] = TitlePageEdits::itemLeadingTo(*project.dvd(), title);
        if (!item || !page)
            break;
        DVDMenuItemList items = page->items();
        items.removeAll(item);
        project.setPageItems(page, items);
    }
    project.removeTitles(row);
}

void removeClip(EditingProject &project, qsizetype row, qsizetype clip)
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto titles = project.titles();
    DW_ASSERT(row >= 0 && row < titles.size(), return );
    const DVDTitleDataRef title = titles[row];
    MediaDataList clips = title->mediaArray();
    DW_ASSERT(clip >= 0 && clip < clips.size(), return );
    clips.removeAt(clip);
    title->setMediaArray(clips);
    project.noteTitleChanged(title);
}

namespace {

void insertClips(MediaDataList &into, qsizetype at, const MediaDataList &clips)
{
    if (at < 0 || at > into.size())
        at = into.size();
    for (qsizetype i = 0; i < clips.size(); ++i)
        into.insert(at + i, clips[i]);
}

} // namespace

bool applyDrop(EditingProject &project, const SourceListGeometry::DropAction &action)
{
    DW_ASSERT_MAIN_THREAD(return false);
    const auto titles = project.titles();
    const auto validTitle = [&](int index) { return index >= 0 && index < titles.size(); };
    switch (action.kind) {
    case Kind::None:
        return false;
    case Kind::RemoveTitle:
        DW_ASSERT(validTitle(action.title), return false);
        removeTitleWithItems(project, action.title);
        return true;
    case Kind::RemoveClip:
        DW_ASSERT(validTitle(action.title), return false);
        removeClip(project, action.title, action.clip);
        return true;
    case Kind::MoveTitle:
        DW_ASSERT(validTitle(action.title) && validTitle(action.toTitle), return false);
        project.moveTitle(action.title, action.toTitle);
        return action.title != action.toTitle;
    case Kind::MergeTitle: {
        DW_ASSERT(validTitle(action.title) && validTitle(action.toTitle)
                      && action.title != action.toTitle,
                  return false);
        const DVDTitleDataRef dragged = titles[action.title];
        const DVDTitleDataRef target = titles[action.toTitle];
        const MediaDataList moving = dragged->mediaArray();
        MediaDataList clips = target->mediaArray();
        insertClips(clips, action.toClip, moving);
        for (const MediaDataRef &clip : moving)
            clip->setSuperData(target);
        target->setMediaArray(clips);
        target->setIsExpand(true);
        dragged->setMediaArray({});
        removeTitleWithItems(project, action.title);
        project.noteTitleChanged(target);
        return true;
    }
    case Kind::MoveClip: {
        DW_ASSERT(validTitle(action.title) && validTitle(action.toTitle), return false);
        const DVDTitleDataRef from = titles[action.title];
        const DVDTitleDataRef to = titles[action.toTitle];
        MediaDataList fromClips = from->mediaArray();
        DW_ASSERT(action.clip >= 0 && action.clip < fromClips.size(), return false);
        const MediaDataRef clip = fromClips.takeAt(action.clip);
        if (from == to) {
            insertClips(fromClips, action.toClip, {clip});
            from->setMediaArray(fromClips);
        } else {
            from->setMediaArray(fromClips);
            MediaDataList toClips = to->mediaArray();
            insertClips(toClips, action.toClip, {clip});
            to->setMediaArray(toClips);
            clip->setSuperData(to);
            project.noteTitleChanged(to);
        }
        project.noteTitleChanged(from);
        return true;
    }
    case Kind::ClipToNewTitle: {
        DW_ASSERT(validTitle(action.title), return false);
        const DVDTitleDataRef from = titles[action.title];
        MediaDataList fromClips = from->mediaArray();
        DW_ASSERT(action.clip >= 0 && action.clip < fromClips.size(), return false);
        const MediaDataRef clip = fromClips.takeAt(action.clip);
        from->setMediaArray(fromClips);
        project.noteTitleChanged(from);
        auto title = std::make_shared<DVDTitleData>();
        title->setIsExpand(false);
        title->setName(clip->name());
        title->setMediaArray({clip});
        clip->setSuperData(title);
        // A title made by a move gets no menu item.
        project.insertTitles(action.toTitle, {title});
        return true;
    }
    }
    return false;
}

} // namespace SourceListMoves
