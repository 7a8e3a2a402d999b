#pragma once

// What the canvas views ask of the menu editor that hosts them: the page, its item lists, the
// style records, and the edits a drag, a nudge or a press makes. MenuEditViewController answers
// it; widget tests install a small fake. Main thread only.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/TempEditData.h"

#include <QImage>
#include <QRectF>

class MenuCanvasHost
{
public:
    virtual ~MenuCanvasHost() = default;

    // The page shown; null shows the margin alone.
    virtual DVDMenuRef canvasPage() const = 0;
    // Hit-test order: static texts, then titles and pictures, then the shown buttons.
    virtual DVDMenuItemList sourceArray() const = 0;
    // Painting order, back to front: titles and pictures, static texts, shown buttons.
    virtual DVDMenuItemList sourceArrayForDraw() const = 0;
    virtual DVDMenuItemList textItemArray() const = 0;
    virtual TempEditDataList canvasStyleRecords() const = 0;

    // The canvas's selection or a selected frame changed.
    virtual void shapeViewSelectionUpdate() = 0;
    // A drag or nudge moves item to frame.
    virtual void setCanvasItemFrame(const DVDMenuItemRef &item, const QRectF &frame) = 0;
    // A drag ended or a nudge happened: the document counts as edited.
    virtual void canvasDidEdit() = 0;
    // The title list has the keyboard (the selection outlines turn grey).
    virtual bool firstResponderInSource() const = 0;
    // A press on the canvas: the title list no longer has the keyboard.
    virtual void canvasPressed() = 0;
    // The picture that follows the mouse in add-frame mode.
    virtual QImage aNewTitleFrameImage() const { return {}; }
};
