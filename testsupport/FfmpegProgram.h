#pragma once

// The one launcher of the ffmpeg program for every test program: the media fixtures, the disc
// fixtures and the tests that make a file of their own all go through it.

#include <QString>
#include <QStringList>

namespace fixtures {

// Runs the ffmpeg program with args (after "-y -hide_banner -loglevel error") and answers true
// when it exits with 0 and the output file exists. *error gets the command and its stderr (or why
// the program did not start) otherwise. Waits up to two minutes; safe on any thread.
bool runFfmpeg(const QStringList &args, const QString &output, QString *error = nullptr);

} // namespace fixtures
