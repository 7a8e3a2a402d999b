#pragma once

// The menu element's way back to its style record, and the fitting of an element's frame to the
// proportion of what it shows. Free functions over Platterkit's element; the thread that owns the
// element calls them.

#include "app/AppExtention/Convert/TempEditData.h"

#include <QRectF>
#include <QSizeF>

class DVDMenuItem;

namespace FindTempEditData {

// The last record of the main window controller's tempDataArray whose currentMedia is this very
// element (identity, not equality); null when none is or no controller is installed. Main thread:
// production reads the records of its own copy instead.
TempEditDataRef getEditData(const DVDMenuItem &item);

// rect with its width and centre kept and its height set to width x h / max(w, 1).
QRectF adjustRectFitSize(const QRectF &rect, QSizeF size);

// Fits the element's frame to the proportion of what it shows: a text element to its rendered
// text, a button to its button picture (or to its static image while it shows one). Other elements,
// and an element whose picture is missing or empty, keep their frame.
void updateItemFrameAutoFit(DVDMenuItem &item);

} // namespace FindTempEditData
