#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "testsupport/MediaFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

using fixtures::MediaFixtures;

namespace {

constexpr int64_t kSecond = 1000000;

// A file source that answers as a DVD title would: DVD numbering and a title-set aspect.
class DvdLikeSource : public LMMediaSource
{
public:
    DvdLikeSource(const QString &path, QString aspect)
        : LMMediaSource(path)
        , m_aspect(std::move(aspect))
    {}
    bool isDVD() const override { return true; }
    QString dvdDisplayAspectRatio() const override { return m_aspect; }

protected:
    std::shared_ptr<LMMediaSource> makeEmptyCopy() const override
    {
        return std::make_shared<DvdLikeSource>(QString(), m_aspect);
    }

private:
    QString m_aspect;
};

std::shared_ptr<LMSegmentMovie> segmentOf(int64_t start, int64_t stop, int64_t in, int64_t out)
{
    auto segment = LMSegmentMovie::movieWithFFmovie(nullptr);
    segment->setStart(start);
    segment->setStop(stop);
    segment->setFadeIn(in);
    segment->setFadeOut(out);
    return segment;
}

TEST(LMSegmentMovie, CoversTheWholeFile)
{
    const QString path = MediaFixtures::shared().h264AacMp4();
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto segment = LMSegmentMovie::movieWithPath(path);
    ASSERT_TRUE(segment);
    ASSERT_TRUE(segment->ffmovie());
    EXPECT_EQ(segment->start(), 0);
    EXPECT_EQ(segment->stop(), segment->ffmovie()->duration());
    EXPECT_NEAR(double(segment->duration()), 3.0 * kSecond, 0.1 * kSecond);
    EXPECT_EQ(segment->defaultZoomType(), LMSegmentMovie::kZoomDefault);
    EXPECT_EQ(segment->zoomType(), 0); // not a DVD source: nothing chosen
    EXPECT_EQ(segment->ffmovie()->outputVideoSize(), QSizeF(320, 240));
}

TEST(LMSegmentMovie, DurationIsNeverNegative)
{
    EXPECT_EQ(segmentOf(5 * kSecond, 2 * kSecond, 0, 0)->duration(), 0);
    EXPECT_EQ(segmentOf(2 * kSecond, 5 * kSecond, 0, 0)->duration(), 3 * kSecond);
}

TEST(LMSegmentMovie, RefusesVobFilesAndUnreadableOnes)
{
    QTemporaryDir dir;
    const QString vob = dir.filePath("VTS_01_1.VOB");
    ASSERT_TRUE(QFile::copy(MediaFixtures::shared().mpeg2Ps(), vob));
    EXPECT_EQ(LMSegmentMovie::movieWithPath(vob), nullptr);
    EXPECT_EQ(LMSegmentMovie::movieWithPath(MediaFixtures::shared().randomBytes()), nullptr);
    EXPECT_EQ(LMSegmentMovie::movieWithPath(dir.filePath("missing.mp4")), nullptr);
}

TEST(LMSegmentMovie, AudioOnlyFileMakesASegment)
{
    auto segment = LMSegmentMovie::movieWithPath(MediaFixtures::shared().audioOnlyWav());
    ASSERT_TRUE(segment);
    EXPECT_NEAR(double(segment->duration()), 2.0 * kSecond, 0.05 * kSecond);
    EXPECT_EQ(segment->defaultZoomType(), LMSegmentMovie::kZoomDefault);
}

TEST(LMSegmentMovie, PutsQuarterTurnedMoviesUpright)
{
    struct Row
    {
        int tag;
        QSizeF size;
    };
    for (const Row &row :
         {Row{90, QSizeF(120, 160)}, Row{270, QSizeF(120, 160)}, Row{180, QSizeF(160, 120)}}) {
        SCOPED_TRACE(row.tag);
        const QString path = MediaFixtures::shared().rotatedMp4(row.tag);
        ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
        auto segment = LMSegmentMovie::movieWithPath(path);
        ASSERT_TRUE(segment);
        EXPECT_EQ(segment->ffmovie()->outputVideoSize(), row.size);
        EXPECT_EQ(segment->rotation(), segment->ffmovie()->default_movie_rotate());
        EXPECT_EQ(segment->ffmovie()->rotate(), float(segment->rotation()));
    }
}

TEST(LMSegmentMovie, SizesDvdTitlesByTheirTitleSetAspect)
{
    struct Row
    {
        const char *aspect;
        int32_t zoom;
        QSizeF size;
    };
    const QString path = MediaFixtures::shared().mpeg2Ps();
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    for (const Row &row : {Row{"4:3", LMSegmentMovie::kZoom4x3, QSizeF(640, 480)},
                           Row{"16:9", LMSegmentMovie::kZoom16x9, QSizeF(852, 480)},
                           Row{"", LMSegmentMovie::kZoom16x9, QSizeF(852, 480)}}) {
        SCOPED_TRACE(row.aspect);
        auto segment
            = LMSegmentMovie::movieWithSource(std::make_shared<DvdLikeSource>(path, row.aspect));
        ASSERT_TRUE(segment);
        EXPECT_EQ(segment->defaultZoomType(), row.zoom);
        EXPECT_EQ(segment->zoomType(), row.zoom);
        EXPECT_EQ(segment->ffmovie()->zoomType(), row.zoom);
        EXPECT_EQ(segment->ffmovie()->outputVideoSize(), row.size);
    }
}

TEST(LMSegmentMovie, ShrinksFadesLongerThanTheSegmentUntilTheyMeet)
{
    struct Row
    {
        const char *name;
        int64_t length, in, out;
        std::vector<std::pair<int64_t, int64_t>> ramps; // relative to start
    };
    const Row rows[] = {
        {"3+3 s on 4 s become 2+2 s",
         4 * kSecond,
         3 * kSecond,
         3 * kSecond,
         {{0, 2 * kSecond}, {2 * kSecond, 4 * kSecond}}},
        {"3+3 s on 10 s stay",
         10 * kSecond,
         3 * kSecond,
         3 * kSecond,
         {{0, 3 * kSecond}, {7 * kSecond, 10 * kSecond}}},
        {"only a fade-in", 10 * kSecond, 2 * kSecond, 0, {{0, 2 * kSecond}}},
        {"only a fade-out", 10 * kSecond, 0, kSecond, {{9 * kSecond, 10 * kSecond}}},
        {"none", 10 * kSecond, 0, 0, {}},
    };
    const int64_t start = 20 * kSecond;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto segment = segmentOf(start, start + row.length, row.in, row.out);
        const auto fades = segment->getEffectedFades();
        ASSERT_EQ(fades.size(), qsizetype(row.ramps.size()));
        for (size_t i = 0; i < row.ramps.size(); ++i) {
            EXPECT_EQ(fades[i].fadeStart(), start + row.ramps[i].first);
            EXPECT_EQ(fades[i].fadeStop(), start + row.ramps[i].second);
        }
    }
}

TEST(LMSegmentMovie, GainFollowsTheRampsAndMultiplies)
{
    auto segment = segmentOf(0, 10 * kSecond, 2 * kSecond, 2 * kSecond);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(0), 0.0f);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(kSecond), 0.5f);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(2 * kSecond), 1.0f); // the stop is exclusive
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(9 * kSecond), 0.5f);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(10 * kSecond), 1.0f);

    // A ramp from 0.5 to 0.5 halves inside its window and does nothing outside it.
    segment->setAudioFades({LMSegmentMovieFade(kSecond, 5 * kSecond, 0.5, 0.5)});
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(kSecond), 0.25f);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(4 * kSecond), 0.5f);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(5 * kSecond), 1.0f);
    EXPECT_EQ(segment->getEffectedFades().size(), 3);

    EXPECT_FLOAT_EQ(segmentOf(0, kSecond, 0, 0)->audioVolumeAtTime(0), 1.0f);
}

TEST(LMSegmentMovie, AppliesOnlyGainsThatMatter)
{
    // A 100 s fade-in: the gain at t is t / 100 s.
    auto segment = segmentOf(0, 200 * kSecond, 100 * kSecond, 0);
    struct Row
    {
        const char *name;
        int64_t time;
        float expected;
    };
    for (const Row &row : {Row{"0.995 is left alone", 99500000, 1.0f},
                           Row{"0.98 is applied", 98 * kSecond, 0.98f},
                           Row{"silence at the start", 0, 0.0f}}) {
        SCOPED_TRACE(row.name);
        std::vector<float> samples(8, 1.0f);
        segment->processAudio(samples.data(), int64_t(samples.size() * sizeof(float)), row.time);
        for (float s : samples)
            EXPECT_NEAR(s, row.expected, 1e-6);
    }
}

TEST(LMSegmentMovie, TwoSecondFadeInIsFullAfter88200Samples)
{
    // Blocks of 1024 stereo frames at 44100 Hz, each scaled by the gain at its first frame.
    auto segment = segmentOf(0, 10 * kSecond, 2 * kSecond, 0);
    constexpr int kRate = 44100;
    constexpr int kBlock = 1024;
    int64_t firstFull = -1;
    for (int64_t frame = 0; frame < 3 * kRate; frame += kBlock) {
        std::vector<float> block(kBlock * 2, 1.0f);
        const int64_t time = frame * kSecond / kRate;
        segment->processAudio(block.data(), int64_t(block.size() * sizeof(float)), time);
        if (block[0] == 1.0f && firstFull < 0)
            firstFull = frame;
        if (firstFull >= 0) {
            EXPECT_EQ(block[0], 1.0f) << "a later block was faded again at " << frame;
        }
    }
    // The block holding sample 88200 (2 s) is the first one that is left alone; the ones before
    // it end at most one block short of full volume.
    EXPECT_LE(firstFull, 88200);
    EXPECT_GT(firstFull, 88200 - 2 * kBlock);
    EXPECT_FLOAT_EQ(segment->audioVolumeAtTime(88200 * kSecond / kRate), 1.0f);
}

} // namespace
