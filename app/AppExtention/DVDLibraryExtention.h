#pragma once

// The application's rules on the editing disc model: which titles count, keeping the pages in step
// with the template page and the titles, switching menus and the page aspect, the default TV
// standard, and the start-up installation of the library operations the application replaces.
// Free functions over Platterkit's DVDLibrary; the thread that owns the library (the main thread
// while editing) calls them.

#include "Platterkit/model/DVDLibrary.h"

#include <QLocale>
#include <QString>

namespace DVDLibraryExtention {

// Installs DiscwrightLibraryHooks over the authoring library for the whole process; resourcesFolder
// as DiscwrightLibraryHooks takes it. Call once at start-up, before any model object is used.
void install(const QString &resourcesFolder = QString());

// Whether the locale's country ("US", "JP", "CA", "KR", "TW") uses NTSC; the choice of a new
// project's TV standard asks it of the user's locale.
bool isDefaultUseDVDNTSC(const QLocale &locale = QLocale());

// The titles that have clips (a non-empty vcmovies, asked through DVDTitleResource or the
// title's "vcmovies" property), in order.
ObjectList validateTitles(const ObjectList &titles);
// Keeps the list under "originTitleData", then makes the titles with clips the disc's titles and
// rebuilds the pages, unless the pages exist and already hold exactly those titles.
void updateDVDTitles(DVDLibrary &dvd, const ObjectList &titles);
ObjectList originTitleData(const DVDLibrary &dvd);
void setOriginTitleData(DVDLibrary &dvd, const ObjectList &titles);

// Every page takes a fresh copy of the template page's size and elements (nothing with menus off),
// then the jumps are rewired and the labels of empty title slots on the last page are hidden.
void updateDVDMenuItems(DVDLibrary &dvd);
void updateDVDMaxTitleCount(DVDLibrary &dvd);
// Disables the page's static texts from position v on, v being the number of valid title items:
// labels pair with title slots by position. Nothing is re-enabled.
void disableTextItemForMenu(const DVDMenuRef &page);

// Switches the aspect, keeping menus on or off as they are.
void updateDVDAspect(DVDLibrary &dvd, qint64 aspectType);
// With on, installs a copy of the shared library's default template page of the aspect (menus stay
// off when the library has none); without, records the aspect and turns menus off. Then the pages
// are rebuilt.
void updateDVDAspectMenu(DVDLibrary &dvd, qint64 aspectType, bool on);
bool isDVDMenuDisabled(const DVDLibrary &dvd);
void setIsDVDMenuDisabled(DVDLibrary &dvd, bool disabled);
// The new template page takes the current one's duration and music, becomes currentMenu and sets
// the disc's aspect; its cached background is dropped.
void replaceCurrentMenu(DVDLibrary &dvd, const DVDMenuRef &page);
// The number of title slots of the template page; 0 with menus off.
qsizetype maxTitleCount(const DVDLibrary &dvd);

} // namespace DVDLibraryExtention
