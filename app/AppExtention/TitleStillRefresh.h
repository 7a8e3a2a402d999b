#pragma once

// Title stills that show a frame of a clip are re-made when the clip's frames change (its kept
// segments, crop, effects): the video editor on closing, the chapter editor after a split, the
// menu canvas after a new title element. Also the rule by which a title element finds the clip
// its still comes from, which the title dialog uses for its time slider.
//
// Main thread: each still is made synchronously by the clip's engine movie, one after another.

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempEditData.h"

namespace TitleStillRefresh {

// The size every still is made at.
constexpr double kStillWidth = 480.0;
constexpr double kStillHeight = 320.0;

// The clip a title element's still comes from: for an element leading to a page, the first clip
// of the first title element on that page whose title has clips; otherwise the first clip of its
// title. Null when there is none.
MediaDataRef pictureClipForItem(const DVDMenuItem &item);

// The picture clip of the menu canvas's current element; null without one.
MediaDataRef currentMediaMediaData(const DVDMenuItemRef &currentItem);

// For every title element of dvd's pages that has a style record (the first in records) and a
// picture clip: the record's still becomes the clip's frame at the record's stored time, fitted
// into 480 x 320, whatever the clip's length now is. Elements without either keep their stills.
void b_updateTitleUseImageWhenVideoEditChanged(const DVDLibrary &dvd,
                                               const TempEditDataList &records);
// The same over the main window's disc and records, then the canvas redraws. Nothing without a
// main window.
void b_updateTitleUseImageWhenVideoEditChanged();

} // namespace TitleStillRefresh
