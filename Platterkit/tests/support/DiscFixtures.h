#pragma once

// Real DVD material for the authoring tests: MPEG-2 program streams made by the ffmpeg program at
// test time, and what a real reader (lsdvd, on libdvdread) sees on a DVD-Video folder or image.

#include <QList>
#include <QString>

namespace testing_support {

// Writes a small DVD-compliant stream (-target pal-dvd or ntsc-dvd) of a test picture with a tone.
// Short GOPs keep chapter points close to the times asked for. False (with the reason in
// *error) when ffmpeg fails.
bool makeDvdStream(
    const QString &path, bool pal, bool wide, double seconds, QString *error = nullptr);

struct DiscChapter
{
    double lengthSeconds = 0.0;
};

struct DiscTitle
{
    double lengthSeconds = 0.0;
    QString format; // "PAL" or "NTSC"
    QString aspect; // "4/3" or "16/9"
    int width = 0;
    int height = 0;
    QList<DiscChapter> chapters;
};

struct DiscInfo
{
    bool ok = false;
    QString error;
    QString volumeName;
    QList<DiscTitle> titles;
};

// Reads a DVD-Video folder or ISO image with lsdvd.
DiscInfo readDisc(const QString &path);

} // namespace testing_support
