#pragma once

// DVD-Video structures authored with dvdauthor (and imaged with mkisofs) at test time, once per
// test program, and what lsdvd (on libdvdread) reports about them.

#include <QList>
#include <QString>

namespace fixtures {

class DvdFixtures
{
public:
    static DvdFixtures &shared();

    // Each title is a program chain of one VOB per length given.

    // A PAL 16:9 disc folder "PALDISC" with one title set of two titles: a 3 s title with
    // chapters at 0, 1 and 2 s and a 2 s title, audio marked "en". Empty when authoring fails.
    QString palFolder();
    // The same structure as "Holiday.dvdmedia".
    QString palDvdmedia();
    // palFolder imaged by mkisofs -dvd-video with the volume name "MY_VOLUME".
    QString palIso();
    // An NTSC 4:3 disc folder "NTSCDISC" with one 2 s title.
    QString ntscFolder();
    // A PAL 4:3 disc folder "RUNSDISC" whose one title plays three VOBs: 1 s, one frame, 1 s.
    QString shortRunFolder();

    QString lastError() const { return m_lastError; }

private:
    DvdFixtures() = default;
    QString author(const QString &name,
                   bool pal,
                   bool wide,
                   const QList<QList<double>> &titles,
                   const QString &chapters);
    QString dir();

    QString m_dir;
    QString m_palFolder;
    QString m_palDvdmedia;
    QString m_palIso;
    QString m_ntscFolder;
    QString m_shortRunFolder;
    QString m_lastError;
};

// Title lengths in seconds as lsdvd reports them; empty when lsdvd fails.
QList<double> lsdvdTitleLengths(const QString &disc);

} // namespace fixtures
