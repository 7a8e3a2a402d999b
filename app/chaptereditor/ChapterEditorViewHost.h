#pragma once

// What the chapter editor's views ask of the one chapter editor: its clip, the markers they draw,
// the selection, the moves, the tiles it keeps and the stills it caches. The editor implements it;
// the views find it through current(), which answers ControllerFunction's chapter editor, so that
// no view keeps a reference back. Main thread.

#include "app/AppExtention/Convert/MarkerItem.h"
#include "app/AppExtention/Convert/MediaData.h"

#include <QImage>
#include <QList>

class ChapterSingleView;

class ChapterEditorViewHost
{
public:
    virtual ~ChapterEditorViewHost() = default;

    // The chapter editor of the main window; null while there is none.
    static ChapterEditorViewHost *current();

    // The clip being edited; null while the sheet is closed.
    virtual MediaDataRef media() const = 0;
    virtual MarkerItemRef selectedMarker() const = 0;
    // The tiles made so far, at most one per marker.
    virtual QList<ChapterSingleView *> &markerItemViewArray() = 0;
    // The shown markers without the two end points: those with a tile and a button.
    virtual MarkerItemList markerArrayForDraw() const = 0;
    virtual void updateSelectedMarker(const MarkerItemRef &marker) = 0;
    // Moves marker to show time t, limited by its neighbours.
    virtual void updateMaker(const MarkerItemRef &marker, qint64 t) = 0;
    // Moves the selected marker to show time t (a drag on the timeline).
    virtual void setSelectedMarkerTime(qint64 t) = 0;
    // The still of the clip's source at origin time t (limited to the source's duration), made
    // once per time while the sheet is open.
    virtual QImage stillAtOriginTime(qint64 t) = 0;
};
