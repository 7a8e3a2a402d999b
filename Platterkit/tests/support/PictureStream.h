#pragma once

// A still picture turned into a DVD menu stream by the ffmpeg program, the way a rendered menu
// page becomes the video that spumux and dvdauthor take; and the first picture of a stream read
// back, to see what the stream shows.

#include <QImage>
#include <QSize>
#include <QString>

namespace testing_support {

// Encodes the picture (any size; scaled to the DVD frame) as an MPEG-2 program stream of the given
// length with -target pal-dvd or ntsc-dvd, the display aspect 16:9 or 4:3 and a silent track.
// False (with the reason in *error) when ffmpeg fails.
bool makeDvdStreamFromPicture(const QString &picturePath,
                              const QString &path,
                              bool pal,
                              bool wide,
                              double seconds,
                              QString *error = nullptr);

// The first video picture of a stream, scaled to size; null when ffmpeg cannot decode one.
QImage firstPictureOfStream(const QString &path, QSize size);

} // namespace testing_support
