#pragma once

// The disc model that production and the preview window work on: a fresh DVDLibrary built from
// the project's editing disc, whose titles are production titles (Discwright::DVDTitleVideo of
// Discwright::DVDChapterVideo) and whose pages are the editing disc's own pages, with every play
// button pointed at a title and every page's duration fixed on the way.
//
// Functions over the main window controller's state. Main thread, except getDVDObj of an input:
// they change the editing pages (play-button jumps and durations stay on the project) and end in
// changeCapacityValue.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "platform/Object.h"

#include <memory>

class MainWindowControllerInterface;
struct ProductionInput;

namespace Discwright::ProductionDiscModel {

// The production disc of the controller's project, made from a copy of it (ProductionInput): the
// editing objects go on being edited while the run reads the copy. The play-button jumps and the
// page durations are set on the project first. Null when the controller has no disc or the copy
// cannot be made. Main thread.
std::shared_ptr<DVDLibrary> getDVDObj(MainWindowControllerInterface &controller);
// The production disc of a production input; it takes the input's pages and titles as they are
// and carries its settings (ProductionInput::settingsOfDisc). Any thread that owns the input.
std::shared_ptr<DVDLibrary> getDVDObj(const ProductionInput &input);

// Every element of every page, in page order and element order, whose jump is title.
ObjectList findMenuItemsByTitle(const ObjectRef &title, const DVDMenuList &menus);
// The jump of the page's first element whose jump is a project title (DVDTitleData); null when
// none is.
ObjectRef getFirstTitleVideo(const DVDMenu &page);
// For every page of disc: its play button (the last button whose resource name ends with "play")
// jumps to getFirstTitleVideo of that page.
void updateDVDMenuPlayBtn(const DVDLibrary &disc);

// Sets every page's duration of the editing disc: a page showing a slideshow that sets the page's
// length takes the show's length (when it is 1 s or more; otherwise the duration stays); else with
// the project's music-length flag, its music's trimmed length (15 s without music); else a
// duration below 1 s becomes 15 s. Then the capacity gauge is recomputed.
void b_updateDvdMenuDuration(MainWindowControllerInterface &controller);

// The length a page gets when nothing else sets it.
inline constexpr double kDefaultMenuDurationSeconds = 15.0;

} // namespace Discwright::ProductionDiscModel
