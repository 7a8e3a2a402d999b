#pragma once

// The pictures of the application shell, drawn from code: the Preview button in its two states,
// the menu editor's previous-page button in its two states, the stand-in picture of a title
// without one, and one badge per output format.

#include <QImage>
#include <QString>

namespace resourcegen {

// The Preview button: enabled draws a bright disc with a play mark, disabled the same greyed.
QImage drawPreviewButton(bool enabled);
// The menu editor's previous-page button: enabled draws a bright left arrow, disabled the same
// greyed.
QImage drawPreviousButton(bool enabled);
// The canvas's corner handle: a white square with an orange border, drawn at twice the pixels of
// its 16 x 16 point square.
QImage drawCropDragHandle();
// The picture shown where a title or background has none yet: a film frame on dark grey.
QImage drawDefaultImage();
// A format badge: a rounded document with the extension written across it.
QImage drawFormatBadge(const QString &extension, bool isVideo);

} // namespace resourcegen
