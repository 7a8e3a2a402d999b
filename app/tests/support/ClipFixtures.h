#pragma once

// Clips made with the ffmpeg program for the record tests, in one temporary folder per test
// program; each recipe runs once per process. A recipe that fails answers an empty path.

#include <QString>

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

private:
    ClipFixtures();
    QString make(const QString &name, const QStringList &args);
    struct Private;
    Private *d;
};

} // namespace app_testing
