#include "Reelsmith/segment/DecodeCueFile.h"

#include <gtest/gtest.h>

namespace {

TEST(DecodeCueFile, SplitsLinesIntoWords)
{
    struct Row
    {
        const char *name;
        QString line;
        QStringList words;
    };
    const Row rows[] = {
        {"blanks and tabs", "  INDEX\t01   00:00:00 ", {"INDEX", "01", "00:00:00"}},
        {"quoted title with a space", "TITLE \"Side One\"", {"TITLE", "Side One"}},
        {"quoted file name then its type",
         "FILE \"my album.wav\" WAVE",
         {"FILE", "my album.wav", "WAVE"}},
        {"single quotes", "PERFORMER 'The Band'", {"PERFORMER", "The Band"}},
        {"text before a quote is dropped", "TITLE ab\"cd ef\"", {"TITLE", "cd ef"}},
        {"other quote mark inside quotes", "TITLE \"it's\"", {"TITLE", "it's"}},
        {"empty quotes give no word", "TITLE \"\" x", {"TITLE", "x"}},
        {"unclosed quote runs to the end", "TITLE \"a b", {"TITLE", "a b"}},
        {"empty line", "", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DecodeCueFile::componentsSeparatedByCueSpace(row.line), row.words);
    }
}

TEST(DecodeCueFile, ReadsCueTimesAtSeventyFiveFramesASecond)
{
    EXPECT_EQ(DecodeCueFile::fftimeFromCueTime("01:02:37"), 62493333);
    EXPECT_EQ(DecodeCueFile::fftimeFromCueTime("00:00:00"), 0);
    EXPECT_EQ(DecodeCueFile::fftimeFromCueTime("75:00:74"), 4500000000LL + 986666);
    EXPECT_EQ(DecodeCueFile::fftimeFromCueTime("01:02"), 0);
    EXPECT_EQ(DecodeCueFile::fftimeFromCueTime("1:2:3:4"), 0);
}

TEST(DecodeCueFile, GivesEveryTrackButTheLastAStopAtTheNextStart)
{
    const QString sheet = "REM GENRE Rock\r\n"
                          "PERFORMER \"Sheet Artist\"\r\n"
                          "TITLE \"Whole Album\"\r\n"
                          "FILE \"album one.flac\" WAVE\r\n"
                          "  TRACK 01 AUDIO\r\n"
                          "    TITLE \"First Song\"\r\n"
                          "    PERFORMER Someone\r\n"
                          "    INDEX 01 00:00:00\r\n"
                          "  TRACK 02 AUDIO\r\n"
                          "    TITLE Second\r\n"
                          "    INDEX 00 01:02:37\r\n"
                          "    INDEX 01 01:04:00\r\n"
                          "  TRACK 03 AUDIO\r\n"
                          "    INDEX 01 03:00:00\r\n"
                          "    INDEX 02 03:10:00\r\n";
    const QList<QVariantMap> tracks = DecodeCueFile::decodeCueString(sheet);
    ASSERT_EQ(tracks.size(), 3);

    EXPECT_EQ(tracks[0].value("title").toString(), "First Song");
    EXPECT_EQ(tracks[0].value("performer").toString(), "Someone");
    EXPECT_EQ(tracks[0].value("start").toLongLong(), 0);
    EXPECT_EQ(tracks[0].value("stop").toLongLong(), 64000000);

    EXPECT_EQ(tracks[1].value("title").toString(), "Second");
    EXPECT_FALSE(tracks[1].contains("performer"));
    EXPECT_EQ(tracks[1].value("gap_start").toLongLong(), 62493333);
    EXPECT_EQ(tracks[1].value("track_start").toLongLong(), 64000000);
    EXPECT_EQ(tracks[1].value("start").toLongLong(), 64000000);
    EXPECT_EQ(tracks[1].value("stop").toLongLong(), 180000000);

    EXPECT_EQ(tracks[2].value("start").toLongLong(), 180000000);
    EXPECT_FALSE(tracks[2].contains("stop"));
    EXPECT_FALSE(tracks[2].contains("title")); // the sheet's own title sets nothing
    for (const auto &track : tracks)
        EXPECT_EQ(track.value("file").toString(), "album one.flac");
}

TEST(DecodeCueFile, KeepsEachTrackOnTheFileItWasListedUnder)
{
    const QString sheet = "FILE \"one.wav\" WAVE\n"
                          "TRACK 01 AUDIO\n"
                          "INDEX 01 00:00:00\n"
                          "FILE \"two.wav\" WAVE\n"
                          "TRACK 02 AUDIO\n"
                          "INDEX 01 00:00:00\n"
                          "FILE broken\n" // two words: not a FILE line
                          "TRACK 03 AUDIO\n"
                          "INDEX 01 00:10:00\n";
    const QList<QVariantMap> tracks = DecodeCueFile::decodeCueString(sheet);
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(tracks[0].value("file").toString(), "one.wav");
    EXPECT_EQ(tracks[1].value("file").toString(), "two.wav");
    EXPECT_EQ(tracks[2].value("file").toString(), "two.wav");
    // Both later tracks start at 0 on their own file; a stop only where the next starts later.
    EXPECT_FALSE(tracks[0].contains("stop"));
    EXPECT_EQ(tracks[1].value("stop").toLongLong(), 10000000);
}

TEST(DecodeCueFile, SheetWithoutTracksGivesNothing)
{
    EXPECT_TRUE(
        DecodeCueFile::decodeCueString("FILE a.wav WAVE\nTITLE x\nINDEX 01 00:00:00\n").isEmpty());
    EXPECT_TRUE(DecodeCueFile::decodeCueString(QString()).isEmpty());
}

} // namespace
