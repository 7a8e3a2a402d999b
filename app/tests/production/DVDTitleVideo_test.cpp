// Production titles and chapters: their lengths, the order of their clips, and how the authoring
// library sees them (the chapter marks it writes come from their durations).

#include "Platterkit/model/DVDLibrary.h"
#include "app/production/DVDChapterVideo.h"
#include "app/production/DVDTitleVideo.h"

#include <gtest/gtest.h>

namespace {

using Discwright::DVDChapterVideo;
using Discwright::DVDTitleVideo;

// A clip without a source, trimmed to [startSeconds, stopSeconds].
VCMovieRef piece(double startSeconds, double stopSeconds)
{
    auto clip = std::make_shared<VCMovie>();
    clip->setTrimStart(qint64(startSeconds * 1000000));
    clip->setTrimStop(qint64(stopSeconds * 1000000));
    return clip;
}

struct ChapterRow
{
    const char *name;
    QList<std::pair<double, double>> trims;
    qint64 durationUs;
};

TEST(DVDChapterVideo, DurationIsTheSumOfTheTrimmedClips)
{
    const ChapterRow rows[] = {
        {"no clips", {}, 0},
        {"one clip", {{2.0, 4.5}}, 2500000},
        {"two clips add their trims, not their places", {{2.0, 4.0}, {6.0, 8.0}}, 4000000},
        {"a clip trimmed to nothing adds nothing", {{3.0, 3.0}, {0.0, 1.25}}, 1250000},
    };
    for (const ChapterRow &row : rows) {
        SCOPED_TRACE(row.name);
        VCMovieList clips;
        for (const auto &[start, stop] : row.trims)
            clips.append(piece(start, stop));
        EXPECT_EQ(DVDChapterVideo::durationForVcMovies(clips), row.durationUs);
        const auto chapter = DVDChapterVideo::chapterWithMovies(clips);
        EXPECT_DOUBLE_EQ(chapter->duration(), double(row.durationUs) / 1e6);
    }
    // A hole in the list (a clip that went away) counts nothing instead of crashing.
    EXPECT_EQ(DVDChapterVideo::durationForVcMovies({piece(0, 1), nullptr}), 1000000);
}

TEST(DVDTitleVideo, TitleLengthAndClipOrderFollowTheChapters)
{
    const VCMovieRef a = piece(0, 10), b = piece(20, 25), c = piece(1, 4);
    auto first = DVDChapterVideo::chapterWithMovies({a, b});
    auto empty = DVDChapterVideo::chapterWithMovies({});
    auto last = DVDChapterVideo::chapterWithMovies({c});
    auto title = DVDTitleVideo::titleWithChapters({first, empty, last});

    EXPECT_DOUBLE_EQ(title->duration(), 18.0);
    EXPECT_EQ(title->vcmovies(), (VCMovieList{a, b, c}));
    EXPECT_EQ(DVDTitleVideo::vcmoviesForChapters({last, first}), (VCMovieList{c, a, b}));
    // The library gets the same chapter objects, in order, through its protocol.
    const ObjectList chapters = title->chapters();
    ASSERT_EQ(chapters.size(), 3);
    EXPECT_EQ(chapters[0], first);
    EXPECT_EQ(chapters[2], last);
    EXPECT_NE(platform::conformsTo<::DVDChapterVideo>(chapters[1]), nullptr);
    EXPECT_FALSE(title->isWarningVideo());

    auto none = std::make_shared<DVDTitleVideo>();
    EXPECT_DOUBLE_EQ(none->duration(), 0.0);
    EXPECT_TRUE(none->vcmovies().isEmpty());
    EXPECT_TRUE(none->chapters().isEmpty());
}

TEST(DVDTitleVideo, TheLibraryFindsTheWarningTitleAndTheChaptersOfAnElement)
{
    auto element = std::make_shared<DVDMenuItem>();
    auto chapter = DVDChapterVideo::chapterWithMovies({piece(0, 5)}, {element});
    auto normal = DVDTitleVideo::titleWithChapters({chapter});
    auto warning = DVDTitleVideo::titleWithChapters(
        {DVDChapterVideo::chapterWithMovies({piece(0, 3)})}, true);
    DVDLibrary disc;
    disc.setTitles({normal, warning});

    EXPECT_TRUE(::DVDTitleVideo::isWarningTitle(warning));
    EXPECT_EQ(disc.getWarningTitle(), warning);
    EXPECT_EQ(disc.getAllNormalTitles(), (ObjectList{normal}));
    EXPECT_EQ(disc.getChaptersForItem(element), (ObjectList{chapter}));
    EXPECT_EQ(disc.getTitleForChapter(chapter), normal);
}

TEST(DVDTitleVideo, ChapterMarksOfTheAuthoringFileAreTheRunningSumsOfTheChapters)
{
    auto element = std::make_shared<DVDMenuItem>();
    auto title = DVDTitleVideo::titleWithChapters({
        DVDChapterVideo::chapterWithMovies({piece(0, 7)}, {element}),
        DVDChapterVideo::chapterWithMovies({piece(2, 4), piece(10, 11.5)}, {element}),
        DVDChapterVideo::chapterWithMovies({piece(0, 6)}, {element}),
    });
    DVDLibrary disc;
    disc.setNoMenu(true);
    disc.setTitles({title});
    const QString xml = disc.authorContent();
    EXPECT_TRUE(xml.contains(QStringLiteral("chapters=\"00:00:07.00,00:00:10.50\"")))
        << qPrintable(xml);
}

} // namespace
