#pragma once

// Clips made with the ffmpeg program for the record tests, in one temporary folder per test
// program; each recipe runs once per process. A recipe that fails answers an empty path.

#include <QFile>
#include <QString>
#include <functional>

namespace app_testing {

class ClipFixtures
{
public:
    static ClipFixtures &shared();
    QString dir() const;

    // 20 s 160x120 10 fps H.264 with AAC, chapters at 0, 7 and 14 s.
    QString chaptered20s();
    // 10 s 1920x1080 5 fps H.264 (testsrc), no audio.
    QString fullHd10s();
    // seconds of a plain colour ("red", "blue") at 160x120 25 fps, H.264 with AAC.
    QString colour(const QString &colour, int seconds);
    // seconds (fractions too) of a plain colour at 160x120 25 fps, H.264 without audio.
    QString silentColour(const QString &colour, double seconds);
    // A SubRip file of three events.
    QString subtitleSrt();
    // "cut.mp4": 5 s of 320x240 25 fps H.264 (testsrc) with AAC, its index first, cut to the first
    // 60 % of its bytes: it opens and declares 5 s, but its data stops near 2.8 s.
    QString cutShort();
    // "damaged.mp4": the same 5 s whole, with three runs of 300 bytes of noise inside its media
    // data (at 35, 55 and 75 % of the file): a few packets that do not decode.
    QString damaged();

private:
    ClipFixtures();
    QString make(const QString &name, const QStringList &args);
    // A copy of the 5 s index-first clip named name, changed by edit (false: no file).
    QString alteredCopy(const QString &name, const std::function<bool(QFile &)> &edit);
    struct Private;
    Private *d;
};

} // namespace app_testing
