#pragma once

// The edits that touch the title list and the menu pages at once, which the main window controller
// performs for the editors and for window set-up and project opening: a blank page copied from the
// template library, a sub-menu page for an item, new titles from the pieces of a cut clip placed
// beside the title they came from, and a title item's still picture kept inside its trimmed clip.
//
// Free functions over the objects they change, which the caller passes in: the disc model, the
// title list's titles and the project's style records. The thread that owns them calls them (the
// main thread while editing, the loader while a new project is built before anyone sees it).

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempEditData.h"

namespace TitlePageEdits {

// Index, in the template library's pages of one aspect, of the blank page that new projects and
// new sub-menu pages are copied from.
constexpr qsizetype kBlankTemplateIndex = 15;

// The template library's pages of aspectType (1 is 16:9, 0 is 4:3), in library order.
QList<DVDMenuRef> templatePagesForAspect(qint64 aspectType);
// The blank template page of the aspect (not a copy); null when the library has too few pages.
DVDMenuRef blankTemplatePage(qint64 aspectType);
// The first frame title of the blank page, the prototype of new title items; null when none.
DVDMenuItemRef aNewMenuTitleItem(qint64 aspectType);

// Prepares a page copied from the template: its title items go (the first one stays with
// holdOne), each button gets a style record and a frame fitted to its picture and moves 80 points
// left and 30 up. Static and text items stay where they are.
void removeAllTitlesInNewMenu(DVDMenu &page, bool holdOne, TempEditDataList &records);

// Appends to dvd a new page whose parent is item, copied from the blank template page of the
// disc's aspect: with a title it holds one frame title leading to it, without one no title items.
// Returns the page, which the caller shows; null when the library has no blank page.
DVDMenuRef createNewSubMenuPageForItem(DVDLibrary &dvd,
                                       const DVDMenuItemRef &item,
                                       const DVDTitleDataRef &title,
                                       TempEditDataList &records);

// One new title per clip, named like title and inserted two places after it in titleArray (at the
// end when it is the last or not listed). When title has an item on a page, each new title gets a
// copy of that item (and of its style record), placed 10 points further right and down per clip,
// held on the page. Returns the new titles; the caller hands titleArray to the disc model and the
// title list.
QList<DVDTitleDataRef> addNewMenuTitleWithMedias(DVDLibrary &dvd,
                                                 QList<DVDTitleDataRef> &titleArray,
                                                 const MediaDataList &clips,
                                                 const DVDTitleDataRef &title,
                                                 TempEditDataList &records);

// A title item's picture time is moved to the start of its clip's first kept piece when it lies
// outside every kept piece. Items that lead elsewhere, or without a style record, are left alone.
void updateMenuItemTitleImage(const DVDMenuItem &item, const TempEditDataList &records);
// For the first clip of a title: updateMenuItemTitleImage for every item of dvd's pages that
// leads to that title.
void updateMenuItemTitleImageWithMedia(const DVDLibrary &dvd,
                                       const MediaData &clip,
                                       const TempEditDataList &records);

// The last record whose item is this very item; null when none.
TempEditDataRef recordForItem(const DVDMenuItem &item, const TempEditDataList &records);
// The first title item over dvd's pages that leads to title, and its page; nulls when none.
std::pair<DVDMenuItemRef, DVDMenuRef> itemLeadingTo(const DVDLibrary &dvd, const ObjectRef &title);

} // namespace TitlePageEdits
