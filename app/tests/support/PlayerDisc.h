#pragma once

// The disc the simulated player's tests play: a production copy whose pages are copies of the
// shipped default template page (four title slots, "pre", "next" and "play"): a main page whose
// first two slots lead to titles 1 and 2 and whose third leads to a sub-page, the sub-page's first
// slot leading to title 3; by default the titles last 3 x 10 s, 5 s and 8 s and a 3 s warning
// title comes last. The titles and chapters are the pipeline's own production objects; the
// elements lead to editing titles, as on a real production copy, and the chapters list the
// elements that lead to them.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <QList>
#include <functional>

namespace player_testing {

struct DiscOptions
{
    bool warning = true;
    bool noMenu = false;
    qint64 aspectType = 0;
    // The chapter lengths (seconds) of titles 1 to 3, and of the warning title's one chapter.
    QList<QList<double>> titleSeconds = {{10.0, 10.0, 10.0}, {5.0}, {8.0}};
    double warningSeconds = 3.0;
};

// Makes the clips of one chapter of the given length (seconds). Without one, a chapter is one
// silent clip over an empty movie, trimmed to the length.
using ClipMaker = std::function<VCMovieList(double seconds)>;

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
PlayerDisc makePlayerDisc(const DiscOptions &options = {}, const ClipMaker &clips = {});

// A production title of chapters of the given lengths (seconds).
ObjectRef makeDiscTitle(const QList<double> &chapterSeconds,
                        bool warning = false,
                        const ClipMaker &clips = {});
ObjectList chaptersOf(const ObjectRef &title);
ObjectRef chapterOf(const ObjectRef &title, qsizetype index);

} // namespace player_testing
