#pragma once

// The chapter editor's pictures, drawn from code: the play and pause buttons, the timeline's bar
// and playhead knob, and the marker button in its two states (26 x 26).

#include <QImage>

namespace resourcegen {

// "EditPlay" and "EditPause".
QImage drawEditPlay();
QImage drawEditPause();
// "chapter_playProgressBack": the bar, stretched across the timeline.
QImage drawChapterProgressBack();
// "chapter_playProgressBtn": the playhead knob.
QImage drawChapterProgressButton();
// "chapter_not_select" and "chapter_select": a marker flag pointing up at the bar.
QImage drawChapterMarker(bool selected);

} // namespace resourcegen
