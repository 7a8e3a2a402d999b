#include "Reelsmith/convert/LMSubtitleConverter.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "support/MediaFixtures.h"
#include "support/ProbeFixtures.h"

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

} // namespace
