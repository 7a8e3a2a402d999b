#include "Reelsmith/media/LMAssFrame.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaOwner.h"
#include "Reelsmith/media/LMSubtitleSource.h"
#include "testsupport/MediaFixtures.h"

#include <gtest/gtest.h>

using fixtures::MediaFixtures;

TEST(Subtitles, DialogueTextFollowsTheEighthComma)
{
    struct Row
    {
        const char *name;
        QString line;
        QString text;
    };
    const Row rows[] = {
        {"override blocks removed, hard break kept",
         "1,0,Default,,0,0,0,,{\\i1}Hello{\\i0}, big\\Nworld",
         "Hello, big\nworld"},
        {"a comma inside the text stays", "2,0,Default,,0,0,0,,Hi, there", "Hi, there"},
        {"fewer fields: what follows the last comma", "Default,Hello", "Hello"},
        {"empty text", "3,0,Default,,0,0,0,,", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LMAssFrame frame;
        frame.ass = row.line;
        EXPECT_EQ(frame.dialogString(), row.text);
    }
    EXPECT_EQ(LMAssFrame::findAssTextStringIndex("a,b,c", 2), QStringLiteral("c"));
    EXPECT_EQ(LMAssFrame::findAssTextStringIndex("a,b,c", 5), QString());
    EXPECT_EQ(LMAssFrame::removeBraceFromTextString("{\\b1}x{}y"), QStringLiteral("xy"));
}

// Every text format reaches the same dialogue text through FFmpeg's decoders.
TEST(Subtitles, SubtitleFilesGiveTheirTextAtTheirTimes)
{
    MediaFixtures &fx = MediaFixtures::shared();
    for (const QString &path : {fx.srtFile(), fx.assFile(), fx.samiFile()}) {
        SCOPED_TRACE(path.toStdString());
        auto source = LMSubtitleSource::mediaWithPath(path);
        auto media = LMFFMedia::mediaWithSource(source);
        media->open();
        ASSERT_TRUE(media->hasSubtitle());
        EXPECT_TRUE(source->createMedias().isEmpty());
        media->seek(0);
        EXPECT_EQ(media->subtitleStringAtTime(700000), QStringLiteral("First"));
        EXPECT_EQ(media->subtitleStringAtTime(1500000), QStringLiteral("Hello, big\nworld"));
        EXPECT_TRUE(media->subtitleStringAtTime(2200000).isEmpty());
        EXPECT_EQ(media->subtitleStringAtTime(2700000), QStringLiteral("Last"));
        // Past the end nothing is shown and nothing spins.
        EXPECT_TRUE(media->subtitleStringAtTime(9000000).isEmpty());

        // The seek itself reads up to its target and so takes the first event.
        media->seek(0);
        QStringList events;
        while (std::shared_ptr<LMAssFrame> event = media->readNextSubtitle()) {
            const QString text = event->dialogString().trimmed();
            if (!text.isEmpty())
                events.append(text);
        }
        EXPECT_EQ(events, (QStringList{"Hello, big\nworld", "Last"}));
    }
}

// In playback, reading the subtitle track reads ahead past the video packets, which wait.
struct Playback : LMFFMediaOwner
{
    bool disableVideo() const override { return false; }
    bool exportMovie() const override { return false; }
    bool copy_video_stream() const override { return false; }
    bool copy_audio_stream() const override { return false; }
    bool forward_only_key() const override { return false; }
};

TEST(Subtitles, EmbeddedSubtitleTrackOfAMatroskaFile)
{
    Playback owner;
    auto media = LMFFMedia::mediaWithSource(
        LMMediaSource::mediaWithPath(MediaFixtures::shared().mkvWithChaptersAndSubtitle()));
    media->setMovie(&owner);
    media->open();
    ASSERT_TRUE(media->hasSubtitle());
    EXPECT_EQ(media->subtitleNames().size(), 1);
    media->seek(0);
    EXPECT_EQ(media->subtitleStringAtTime(1500000), QStringLiteral("Hello, big\nworld"));
}
