#pragma once

// Media for the menu page and production disc tests, made with the ffmpeg program in the clip
// fixtures' folder; each recipe runs once per process. A recipe that fails answers an empty path.

#include <QString>

namespace app_testing {

// seconds of a 440 Hz sine as 16-bit stereo WAVE at 44100 Hz (exact lengths, such as 10.3 s).
QString sineMusic(double seconds);
// A 640 x 480 PNG of one plain colour ("red", "green", "blue").
QString colourPicture(const QString &colour);

} // namespace app_testing
