#pragma once

// Carries out a finished drag of a title or clip row on the project: the dragged objects
// themselves move (a clip keeps its trims, effects and chapter markers; a title its clips and its
// menu items), so a move never depends on the files still being there. Every change goes through
// the project's methods, so the rows and pages follow its signals. Main thread.

#include "app/View/SourceView/SourceListGeometry.h"

#include <QtGlobal>

class EditingProject;

namespace SourceListMoves {

// Applies action; false when it changed nothing (the document stays unedited then).
bool applyDrop(EditingProject &project, const SourceListGeometry::DropAction &action);

// Removes the title at row together with every menu item that jumps to it, on every page.
void removeTitleWithItems(EditingProject &project, qsizetype row);

// Removes the clip at clip of the title at row; the title stays, even with one clip left.
void removeClip(EditingProject &project, qsizetype row, qsizetype clip);

} // namespace SourceListMoves
