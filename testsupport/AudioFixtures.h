#pragma once

// Audio fixtures for the engine's tests: small files made with the ffmpeg program at test time,
// and a plain decode loop over a file's first audio stream that does not go through the engine's
// own demuxing classes.

#include "testsupport/FfmpegProgram.h"

#include <QString>
#include <QStringList>
#include <functional>

struct AVFrame;

namespace fixtures {

// Decodes every audio frame of the file's first audio stream, in order, draining the decoder at
// the end, and hands each to frame. False with *error set when the file cannot be read.
bool decodeAudioFile(const QString &path,
                     const std::function<void(const AVFrame *)> &frame,
                     QString *error = nullptr);

} // namespace fixtures
