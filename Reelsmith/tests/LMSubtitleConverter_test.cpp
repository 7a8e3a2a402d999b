#include "Reelsmith/convert/LMSubtitleConverter.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "testsupport/FfmpegProgram.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace fixtures;

namespace {

class SubtitleConverter : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    static std::shared_ptr<LMSegmentMovie> movie()
    {
        const QString path = MediaFixtures::shared().mkvWithChaptersAndSubtitle();
        EXPECT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
        return LMSegmentMovie::movieWithPath(path);
    }
};

TEST_F(SubtitleConverter, ExtensionChoosesTheFormat)
{
    struct Row
    {
        const char *name;
        const char *codec;
    };
    for (const Row &row : {Row{"out.srt", "subrip"},
                           Row{"OUT.SRT", "subrip"},
                           Row{"out.ass", "ass"},
                           Row{"out.ssa", "ass"},
                           Row{"out.mp4", "mov_text"}}) {
        SCOPED_TRACE(row.name);
        auto segment = movie();
        ASSERT_TRUE(segment);
        LMSubtitleConverter converter;
        const QString path = dir.filePath(row.name);
        ASSERT_TRUE(converter.convertSubtitles({segment}, path))
            << converter.lastError().toStdString();
        EXPECT_GT(converter.subtitlesWritten(), 0);
        EXPECT_GT(converter.progress(), 0.0);
        EXPECT_LE(converter.progress(), 0.999);
        const QJsonObject stream = firstStreamOfType(ffprobeStreamsAndFormat(path), "subtitle");
        EXPECT_EQ(stream.value("codec_name").toString(), row.codec);
    }
    QFile srt(dir.filePath("out.srt"));
    ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
    const QByteArray text = srt.readAll();
    EXPECT_TRUE(text.startsWith("1\r\n") || text.startsWith("1\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("-->")) << text.toStdString();
}

TEST_F(SubtitleConverter, TextFileIsAFailureWithoutAFile)
{
    auto segment = movie();
    ASSERT_TRUE(segment);
    LMSubtitleConverter converter;
    const QString path = dir.filePath("out.txt");
    EXPECT_FALSE(converter.convertSubtitles({segment}, path));
    EXPECT_FALSE(converter.lastError().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SubtitleConverter, MovieWithoutSubtitlesIsAFailure)
{
    auto segment = LMSegmentMovie::movieWithPath(MediaFixtures::shared().h264AacMp4());
    ASSERT_TRUE(segment);
    LMSubtitleConverter converter;
    EXPECT_FALSE(converter.convertSubtitles({segment}, dir.filePath("none.srt")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("none.srt")));
}

TEST_F(SubtitleConverter, CancelLeavesNoFile)
{
    auto segment = movie();
    ASSERT_TRUE(segment);
    LMSubtitleConverter converter;
    converter.cancel();
    const QString path = dir.filePath("cancelled.srt");
    EXPECT_FALSE(converter.convertSubtitles({segment}, path));
    EXPECT_EQ(converter.subtitlesWritten(), 0);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SubtitleConverter, OnlyTheSegmentsSubtitlesAreKept)
{
    auto whole = movie();
    ASSERT_TRUE(whole);
    LMSubtitleConverter all;
    ASSERT_TRUE(all.convertSubtitles({whole}, dir.filePath("all.srt")));
    auto cut = movie();
    cut->setStart(cut->stop() / 2);
    LMSubtitleConverter part;
    ASSERT_TRUE(part.convertSubtitles({cut}, dir.filePath("part.srt")));
    EXPECT_LT(part.subtitlesWritten(), all.subtitlesWritten());
}

TEST_F(SubtitleConverter, EveryEventOfTheCutIsKeptFromTheFilesStart)
{
    // "One" at 0.5-1.5 s and "Two" at 2-3 s in a 3.5 s Matroska file.
    QFile srt(dir.filePath("two.srt"));
    ASSERT_TRUE(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,500 --> 00:00:01,500\nOne\n\n2\n00:00:02,000 --> 00:00:03,000\nTwo\n");
    srt.close();
    const QString mkv = dir.filePath("two.mkv");
    QString error;
    ASSERT_TRUE(runFfmpeg({"-f",
                           "lavfi",
                           "-i",
                           "testsrc=size=160x120:rate=25:duration=3.5",
                           "-i",
                           srt.fileName(),
                           "-map",
                           "0",
                           "-map",
                           "1",
                           "-c:v",
                           "libx264",
                           "-c:s",
                           "srt",
                           mkv},
                          mkv,
                          &error))
        << error.toStdString();

    constexpr int64_t kSecond = 1000000;
    struct Row
    {
        const char *name;
        int64_t start; // -1: as opened
        int64_t stop;  // -1: as opened
        bool one;
        bool two;
    };
    const Row rows[] = {
        {"the whole clip", -1, -1, true, true},
        {"from 1 s", kSecond, -1, false, true},
        {"up to 1.8 s", -1, 1800000, true, false},
    };
    for (const char *extension : {"srt", "ass", "ssa"}) {
        for (const Row &row : rows) {
            SCOPED_TRACE(std::string(row.name) + " as ." + extension);
            auto segment = LMSegmentMovie::movieWithPath(mkv);
            ASSERT_TRUE(segment);
            if (row.start >= 0)
                segment->setStart(row.start);
            if (row.stop >= 0)
                segment->setStop(row.stop);
            const QString path = dir.filePath(
                QStringLiteral("%1-%2.%3").arg(row.start).arg(row.stop).arg(extension));
            LMSubtitleConverter converter;
            ASSERT_TRUE(converter.convertSubtitles({segment}, path))
                << converter.lastError().toStdString();
            QFile written(path);
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            const QByteArray text = written.readAll();
            EXPECT_EQ(text.contains("One"), row.one) << text.toStdString();
            EXPECT_EQ(text.contains("Two"), row.two) << text.toStdString();
            EXPECT_EQ(converter.subtitlesWritten(), int(row.one) + int(row.two));
        }
    }
}

} // namespace
