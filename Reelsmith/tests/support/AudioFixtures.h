#pragma once

// Audio fixtures for the engine's tests: small files made with the ffmpeg program at test time,
// and a plain decode loop over a file's first audio stream that does not go through the engine's
// own demuxing classes.

#include <QString>
#include <QStringList>
#include <functional>

struct AVFrame;

namespace fixtures {

// Runs the ffmpeg program with args (after "-y -hide_banner -loglevel error") and answers true
// when it exits with 0 and the output file exists. *error gets its stderr otherwise.
bool runFfmpeg(const QStringList &args, const QString &output, QString *error = nullptr);

// Decodes every audio frame of the file's first audio stream, in order, draining the decoder at
// the end, and hands each to frame. False with *error set when the file cannot be read.
bool decodeAudioFile(const QString &path,
                     const std::function<void(const AVFrame *)> &frame,
                     QString *error = nullptr);

} // namespace fixtures
