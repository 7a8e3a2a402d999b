#pragma once

// The disc the simulated player's tests play: a production copy whose pages are copies of the
// shipped default template page (four title slots, "pre", "next" and "play"): a main page whose
// first two slots lead to titles 1 and 2 and whose third leads to a sub-page, the sub-page's first
// slot leading to title 3; the titles last 3 x 10 s, 5 s and 8 s; a 3 s warning title comes last.
// The elements lead to editing titles, as on a real production copy, and the chapters list the
// elements that lead to them.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"

#include <QList>
#include <functional>

namespace player_testing {

struct DiscOptions
{
    bool warning = true;
    bool noMenu = false;
    qint64 aspectType = 0;
};

// Makes one chapter of the given length (seconds); null makes a chapter without clips that only
// knows its length.
using ChapterMaker = std::function<ObjectRef(double seconds)>;

struct PlayerDisc
{
    DVDLibraryRef dvd;
    DVDMenuRef main;
    DVDMenuRef sub;
    QList<DVDMenuItemRef> mainSlots;
    QList<DVDMenuItemRef> subSlots;
    QList<ObjectRef> titles;
    ObjectRef warning;
    // The editing titles the elements lead to, one per title.
    QList<ObjectRef> editingTitles;
};

// Needs the application's library hooks installed over the shipped resources.
PlayerDisc makePlayerDisc(const DiscOptions &options = {}, const ChapterMaker &chapter = {});

// A production title of chapters of the given lengths (seconds).
ObjectRef makeDiscTitle(const QList<double> &chapterSeconds,
                        bool warning = false,
                        const ChapterMaker &chapter = {});
ObjectList chaptersOf(const ObjectRef &title);
ObjectRef chapterOf(const ObjectRef &title, qsizetype index);

} // namespace player_testing
