#pragma once

// What the title benches share: their folder, running a program, the 1280x720 H.264/AAC source
// clip (made once with the ffmpeg program and reused), and the PAL 16:9 title they convert to.

#include "Reelsmith/LMTypes.h"

#include <QString>
#include <QStringList>

namespace bench {

constexpr int kClipSeconds = 60;
constexpr int kClipRate = 25;
constexpr int kClipFrames = kClipSeconds * kClipRate;

// <build>/bench, made when missing.
QString benchDir();
// Runs the program to its end; true on exit status 0. Its merged output goes to *output.
bool runProgram(const QString &program, const QStringList &args, QString *output);
// The 60 s source clip; empty with *error set when the ffmpeg program failed.
QString benchClip(QString *error);
// A source clip of the same kind lasting seconds; variant 1 and up turn the pattern's colours and
// raise the tone, so that two titles of a disc are two different files. Made once, kept in
// benchDir().
QString benchClip(int seconds, int variant, QString *error);
// A PAL 16:9 DVD title (MPEG-2 at videoBitrate, AC-3 at 448 kbit/s, 48 kHz).
LMFFMovieFileOutputFormat palWideTitle(int videoBitrate);

} // namespace bench
