// The split of a clip into titles at its chapter markers, without a window: the pieces of the kept
// segments between the markers, and the clip and its copies rewritten to one piece each, every
// copy made before anything changes.

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/chaptereditor/Controller/ChapterSplit.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;
constexpr qint64 s = 1000000;

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { application(); }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

using Bounds = QList<std::pair<double, double>>;

MovieTrimItemList trims(const Bounds &bounds)
{
    MovieTrimItemList list;
    for (const auto &[start, stop] : bounds)
        list.append(MovieTrimItem::item(start, stop - start, 0.5, 0.5));
    return list;
}

Bounds boundsOf(const MovieTrimItemList &items)
{
    Bounds bounds;
    for (const auto &item : items)
        bounds.append({item->start(), item->stop()});
    return bounds;
}

MarkerItemList markersAt(const QList<double> &origins)
{
    MarkerItemList list;
    for (const double origin : origins) {
        auto marker = std::make_shared<MarkerItem>();
        marker->setMarkOriginTime(qint64(origin * double(s)));
        list.append(marker);
    }
    return list;
}

// Pieces over segment movies without an engine movie: only their bounds count.
VCMovieList segmentMovies(const Bounds &bounds)
{
    VCMovieList list;
    for (const auto &[start, stop] : bounds) {
        auto piece = std::make_shared<VCMovie>();
        piece->setTrimStart(qint64(start * double(s)));
        piece->setTrimStop(qint64(stop * double(s)));
        list.append(piece);
    }
    return list;
}

void expectBounds(const Bounds &actual, const Bounds &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i].first, expected[i].first, 1e-6) << i;
        EXPECT_NEAR(actual[i].second, expected[i].second, 1e-6) << i;
    }
}

TEST(ChapterSplit, PiecesBetweenTheMarkers)
{
    struct Row
    {
        const char *name;
        Bounds segments;
        QList<double> markers;
        QList<Bounds> pieces;
    };
    const Row rows[] = {
        {"kept [0,100] and [200,300], a marker at 250",
         {{0, 100}, {200, 300}},
         {250},
         {{{0, 100}, {200, 250}}, {{250, 300}}}},
        {"markers 5 ms apart give one cut", {{0, 30}}, {10, 10.005}, {{{0, 10}}, {{10.005, 30}}}},
        {"a marker before the first kept segment gives no first piece",
         {{10, 30}},
         {5, 20},
         {{{10, 20}}, {{20, 30}}}},
        {"three markers in one segment give four pieces in source order",
         {{0, 30}},
         {5, 10, 15},
         {{{0, 5}}, {{5, 10}}, {{10, 15}}, {{15, 30}}}},
        {"a marker in a cut-away stretch cuts there",
         {{0, 10}, {20, 30}},
         {15},
         {{{0, 10}}, {{20, 30}}}},
        {"end points only: no markers, no pieces", {{0, 30}}, {}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // The source file ends where the last kept segment does.
        const qint64 source = qint64(row.segments.last().second * double(s));
        const QList<MovieTrimItemList> made
            = ChapterSplit::pieces(markersAt(row.markers), segmentMovies(row.segments), source);
        ASSERT_EQ(made.size(), row.pieces.size());
        for (qsizetype i = 0; i < made.size(); ++i) {
            expectBounds(boundsOf(made[i]), row.pieces[i]);
            for (const auto &item : made[i]) {
                EXPECT_EQ(item->fadeIn(), 0.0);
                EXPECT_EQ(item->fadeOut(), 0.0);
            }
        }
    }
    // Overlaps of 0.01 s or less are no piece.
    EXPECT_TRUE(
        ChapterSplit::getTrimedArray(segmentMovies({{0, 10}}), 5 * s, 5 * s + 10000).isEmpty());
    EXPECT_EQ(ChapterSplit::getTrimedArray(segmentMovies({{0, 10}}), 5 * s, 5 * s + 10001).size(),
              1);
}

class ChapterSplitClip : public ::testing::Test
{
protected:
    MediaDataRef clipOver(const QString &path, const Bounds &kept, const QList<double> &markers)
    {
        auto clip = MediaData::mediaDataWithPath(path);
        EXPECT_TRUE(clip && clip->movie()) << path.toStdString();
        if (!clip || !clip->movie())
            return nullptr;
        clip->movie()->setTrimArray(trims(kept));
        clip->setMarkerArray(markersAt(markers));
        return clip;
    }
    QString thirtySeconds() { return ClipFixtures::shared().silentColour("green", 30); }
};

TEST_F(ChapterSplitClip, TheClipKeepsTheFirstPieceAndCopiesTakeTheRest)
{
    // Kept as [0,10] + [20,30], a marker at origin 25 s.
    const auto clip = clipOver(thirtySeconds(), {{0, 10}, {20, 30}}, {25});
    ASSERT_TRUE(clip);
    const ChapterSplit::Result result = ChapterSplit::splitClip(clip);
    ASSERT_EQ(result.outcome, ChapterSplit::Result::Outcome::Split);
    expectBounds(boundsOf(clip->movie()->trimArray()), {{0, 10}, {20, 25}});
    EXPECT_TRUE(clip->markerArray().isEmpty());
    ASSERT_EQ(result.newClips.size(), 1);
    const auto copy = result.newClips.first();
    ASSERT_TRUE(copy->movie());
    expectBounds(boundsOf(copy->movie()->trimArray()), {{25, 30}});
    EXPECT_TRUE(copy->markerArray().isEmpty());
    EXPECT_EQ(copy->path(), clip->path());
    EXPECT_FALSE(copy->superData()) << "the main window gives it its title";
    for (const auto &item : clip->movie()->trimArray())
        EXPECT_EQ(item->fadeIn(), 0.0);
}

TEST_F(ChapterSplitClip, ThreeMarkersInOneSegmentGiveThreeCopiesInSourceOrder)
{
    const auto clip = clipOver(thirtySeconds(), {{0, 30}}, {5, 10, 15});
    ASSERT_TRUE(clip);
    const ChapterSplit::Result result = ChapterSplit::splitClip(clip);
    ASSERT_EQ(result.outcome, ChapterSplit::Result::Outcome::Split);
    ASSERT_EQ(result.newClips.size(), 3);
    expectBounds(boundsOf(clip->movie()->trimArray()), {{0, 5}});
    const Bounds expected[] = {{{5, 10}}, {{10, 15}}, {{15, 30}}};
    for (int i = 0; i < 3; ++i)
        expectBounds(boundsOf(result.newClips[i]->movie()->trimArray()), expected[i]);
}

TEST_F(ChapterSplitClip, FewerThanTwoPiecesChangeNothing)
{
    struct Row
    {
        const char *name;
        QList<double> markers;
    };
    // Before the kept segment, and at its end: only one piece has any length.
    const Row rows[] = {{"no markers", {}}, {"every marker outside the kept segment", {5, 30}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto clip = clipOver(thirtySeconds(), {{10, 30}}, row.markers);
        ASSERT_TRUE(clip);
        const ChapterSplit::Result result = ChapterSplit::splitClip(clip);
        EXPECT_EQ(result.outcome, ChapterSplit::Result::Outcome::NoChange);
        EXPECT_TRUE(result.newClips.isEmpty());
        EXPECT_EQ(clip->markerArray().size(), row.markers.size());
        const auto kept = clip->movie()->trimArray();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(kept.first()->fadeIn(), 0.5) << "the segment is not rewritten";
    }
}

TEST_F(ChapterSplitClip, ACopyThatCannotBeMadeLeavesTheClipAsItWas)
{
    // The source goes away after the clip opened it: the copy cannot open it again.
    QTemporaryDir folder;
    const QString path = folder.filePath("gone.mp4");
    ASSERT_TRUE(QFile::copy(thirtySeconds(), path));
    const auto clip = clipOver(path, {{0, 30}}, {10, 20});
    ASSERT_TRUE(clip);
    ASSERT_TRUE(QFile::remove(path));
    const ChapterSplit::Result result = ChapterSplit::splitClip(clip);
    EXPECT_EQ(result.outcome, ChapterSplit::Result::Outcome::CopyFailed);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_TRUE(result.newClips.isEmpty());
    EXPECT_EQ(clip->markerArray().size(), 2);
    expectBounds(boundsOf(clip->movie()->trimArray()), {{0, 30}});
}

} // namespace
