#pragma once

// Real DVD material for the authoring tests: MPEG-2 program streams made by the ffmpeg program at
// test time, and what a real reader (lsdvd, on libdvdread) sees on a DVD-Video folder or image.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

namespace testing_support {

// Writes a small DVD-compliant stream (-target pal-dvd or ntsc-dvd) of a test picture with a tone.
// Short GOPs keep chapter points close to the times asked for. False (with the reason in
// *error) when ffmpeg fails.
bool makeDvdStream(
    const QString &path, bool pal, bool wide, double seconds, QString *error = nullptr);

// Encodes the picture (any size; scaled to the DVD frame) as an MPEG-2 program stream of the given
// length with -target pal-dvd or ntsc-dvd, the display aspect 16:9 or 4:3 and a silent track, the
// way a rendered menu page becomes the video that spumux and dvdauthor take.
bool makeDvdStreamFromPicture(const QString &picturePath,
                              const QString &path,
                              bool pal,
                              bool wide,
                              double seconds,
                              QString *error = nullptr);

// The first video picture of a stream, scaled to size; null when ffmpeg cannot decode one.
QImage firstPictureOfStream(const QString &path, QSize size);

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

// One button of a navigation pack's button table: its area in picture pixels (y down, ends
// included) and the 1-based numbers of the buttons its arrows lead to.
struct ButtonOnDisc
{
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    int up = 0;
    int down = 0;
    int left = 0;
    int right = 0;
};

// What libdvdread finds in the menu domain of the first title set of a disc.
struct MenuOnDisc
{
    bool opened = false;
    int titleCount = 0;       // titles in the disc's title table
    int menuVideoFormat = -1; // 0 NTSC, 1 PAL
    int menuProgramChains = 0;
    QList<int> buttonCounts; // of every navigation pack of the menu stream
    // The button tables of the navigation packs, each only where it differs from the one before:
    // one per menu page, in the order of the menu stream.
    QList<QList<ButtonOnDisc>> buttonTables;
};

// Reads a DVD-Video folder or image with libdvdread.
MenuOnDisc readMenuOnDisc(const QString &disc);

// The UDF volume label of an image as libdvdread reads it (DVDUDFVolumeInfo; its 8-bit
// characters taken as Latin-1); null when it cannot be read.
QString udfVolumeLabel(const QString &image);
// The ISO 9660 volume id of an image as "isoinfo -d" prints it; null when isoinfo fails.
QString isoinfoVolumeId(const QString &image);

} // namespace testing_support
