#pragma once

// Real readers for what the engine writes: ffprobe's JSON view of a file, and the DVD tools
// (dvdauthor to author a title into a DVD-Video folder, lsdvd to read that folder back).

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace fixtures {

// ffprobe -of json with extra (e.g. "-show_streams", "-show_format"); an empty object when
// ffprobe fails.
QJsonObject ffprobeJson(const QString &path, const QStringList &extra);
// The streams and format of the file.
QJsonObject ffprobeStreamsAndFormat(const QString &path);
// The first stream of that type ("video", "audio", "subtitle") in a -show_streams answer.
QJsonObject firstStreamOfType(const QJsonObject &probe, const QString &type);
// Picture types ("I", "P", "B") of every frame of the first video stream, in output order.
QStringList ffprobePictureTypes(const QString &path);

// The loudest sound (dB, as the ffmpeg program's volumedetect reports it) of the file's audio from
// start for length seconds (counted in samples from the first decoded one, at 48 kHz) once a tone
// of toneHz is taken out with a band-reject filter. A start at least a few milliseconds in leaves
// the filter's own start behind. NaN when ffmpeg fails, with its output in *error.
double loudestBesideTone(
    const QString &path, double toneHz, double start, double length, QString *error = nullptr);

// True when every program is on the PATH.
bool haveTools(const QStringList &programs);
// Runs program; answers its exit code (-1 when it cannot start or times out). *output gets stdout
// and stderr together. env adds variables to a clean environment when not empty.
int runTool(const QString &program,
            const QStringList &args,
            QString *output,
            const QStringList &env = QStringList());
// Authors title (an MPEG program stream in DVD form) into folder/dvd as a one-title DVD-Video
// folder with dvdauthor; true on success, *log gets the tool's output.
bool authorOneTitle(const QString &title, const QString &folder, bool pal, QString *log);

} // namespace fixtures
