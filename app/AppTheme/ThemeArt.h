#pragma once

#include <QImage>
#include <QString>

namespace AppTheme::ThemeArt {

// The named picture of the dark controls and the preview ("TransparentButtonFillN",
// "TransparentSliderThumbP.tiff", "preview_action_play", "player_progress_point", ...): the
// bundle's picture of that name when it ships one, else the program's own drawing of it, made
// once and kept. The platform reads no TIFF, so a ".tiff" name is looked up by its base name.
// Null for a name nothing draws. Main thread (the drawings are cached unlocked).
QImage imageNamed(const QString &name);

} // namespace AppTheme::ThemeArt
