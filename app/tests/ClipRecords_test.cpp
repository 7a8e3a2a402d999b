// The edited clip and its kept segments, chapter cutting and the watermark, on clips that need no
// media file (or only the silent empty movie).

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/Double2LMFFTimeTransformer.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "support/AppFakes.h"

#include <QFontDatabase>
#include <QPainter>
#include <QRandomGenerator>
#include <gtest/gtest.h>

// The system font library keeps its configuration for the life of the process, which the leak
// checker reports once text has been drawn.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

constexpr int64_t kSecond = 1000000;

VCMovieRef pieceOf(int64_t start, int64_t stop, int64_t fadeIn = 0, int64_t fadeOut = 0)
{
    auto piece = std::make_shared<VCMovie>();
    piece->setTrimStart(start);
    piece->setTrimStop(stop);
    piece->setFadeIn(fadeIn);
    piece->setFadeOut(fadeOut);
    return piece;
}

int64_t chapterLength(const VCMovieList &chapter)
{
    int64_t total = 0;
    for (const auto &piece : chapter)
        total += piece->trimStop() - piece->trimStart();
    return total;
}

// The chapters of a clip cut from kept segments at markers; the clip's media ends at mediaEnd.
QList<VCMovieList>
chaptersOf(const MovieTrimItemList &trims, const QList<int64_t> &markers, int64_t mediaEnd)
{
    auto clip = std::make_shared<VCMovie>();
    clip->setTrimArray(trims);
    QList<qint64> times{0};
    for (int64_t marker : markers)
        times.append(marker);
    times.append(mediaEnd);
    std::sort(times.begin(), times.end());
    return MediaData::separateMovies(clip->validVCMovies(), times);
}

} // namespace

TEST(KeptSegments, BasesFollowThePlayOrderAndAddUpToTheClipLength)
{
    VCMovie clip;
    clip.setTrimArray(
        {MovieTrimItem::item(10, 1.5), MovieTrimItem::item(0, 2.0), MovieTrimItem::item(4, 0.5)});
    const MovieTrimItemList trims = clip.validTrimArray();
    ASSERT_EQ(trims.size(), 3);
    EXPECT_EQ(trims[0]->base(), 0);
    EXPECT_EQ(trims[1]->base(), 1500000);
    EXPECT_EQ(trims[2]->base(), 3500000);
    EXPECT_EQ(clip.trimArrayDuration(), 4000000);
    // The stored elements themselves learn their places.
    EXPECT_EQ(clip.trimArray()[2]->base(), 3500000);
}

TEST(KeptSegments, AnEmptyListIsOneSegmentOverTheWindowWithTheClipFades)
{
    struct Row
    {
        const char *name;
        int64_t start, stop;
        double duration;
    } rows[] = {{"a window", 2 * kSecond, 7 * kSecond, 5.0},
                {"a window that ends before it starts", 7 * kSecond, 2 * kSecond, 0.0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        VCMovie clip;
        clip.setTrimStart(row.start);
        clip.setTrimStop(row.stop);
        clip.setFadeIn(kSecond / 2);
        clip.setFadeOut(kSecond);
        const MovieTrimItemList trims = clip.validTrimArray();
        ASSERT_EQ(trims.size(), 1);
        EXPECT_DOUBLE_EQ(trims[0]->start(), double(row.start) / kSecond);
        EXPECT_DOUBLE_EQ(trims[0]->duration(), row.duration);
        EXPECT_DOUBLE_EQ(trims[0]->fadeIn(), 0.5);
        EXPECT_DOUBLE_EQ(trims[0]->fadeOut(), 1.0);
        EXPECT_EQ(trims[0]->base(), 0);
    }
}

TEST(KeptSegments, SecondsBecomeEngineTimeByTruncation)
{
    EXPECT_EQ(MovieTrimItem::item(1.0000005, 1)->startTime(), 1000000);
    EXPECT_EQ(Double2LMFFTimeTransformer::reverseTransformedValue(-1.0000005), -1000000);
    EXPECT_DOUBLE_EQ(Double2LMFFTimeTransformer::transformedValue(2500000), 2.5);
    EXPECT_EQ(MovieTrimItem::item(1.5, 2)->description(), QStringLiteral("1.500000 2.000000"));
}

TEST(KeptSegments, PiecesShareTheMovieAndCarryTheSegmentWindowAndFades)
{
    auto clip = VCMovie::movieWithEmptyFFMovie();
    clip->setTrimArray({MovieTrimItem::item(1, 2, 0.25, 0.5), MovieTrimItem::item(5, 1)});
    const VCMovieList pieces = clip->validVCMovies();
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0]->movie(), clip->movie());
    EXPECT_EQ(pieces[0]->trimStart(), 1 * kSecond);
    EXPECT_EQ(pieces[0]->trimStop(), 3 * kSecond);
    EXPECT_EQ(pieces[0]->fadeIn(), 250000);
    EXPECT_EQ(pieces[0]->fadeOut(), 500000);
    EXPECT_EQ(pieces[1]->trimStart(), 5 * kSecond);
    EXPECT_EQ(VCMovie::moviesFromTrimMovies({clip, clip}).size(), 4);
}

TEST(EmptyMovie, LastsOneHundredHours)
{
    const auto clip = VCMovie::movieWithEmptyFFMovie();
    ASSERT_TRUE(clip->movie());
    EXPECT_EQ(clip->trimStart(), 0);
    EXPECT_EQ(clip->trimDuration(), 360000000000LL);
    EXPECT_FALSE(clip->hasVideo());
}

TEST(ChapterCutting, MarkersInsideKeptSegmentsGiveChaptersOfTheRightLengths)
{
    const auto chapters = chaptersOf({MovieTrimItem::item(0, 8), MovieTrimItem::item(10, 10)},
                                     {5 * kSecond, 12 * kSecond},
                                     21 * kSecond);
    ASSERT_EQ(chapters.size(), 3);
    EXPECT_EQ(chapterLength(chapters[0]), 5 * kSecond);
    EXPECT_EQ(chapterLength(chapters[1]), 5 * kSecond);
    EXPECT_EQ(chapterLength(chapters[2]), 8 * kSecond);
    EXPECT_EQ(chapters[1].size(), 2);
}

TEST(ChapterCutting, MarkersOnCutsInGapsOrTwiceLeaveNoEmptyOrBackwardsPiece)
{
    // Regression: a piece was added whenever e + 0.1 s > s, so a marker on a cut gave an empty
    // piece and a marker just inside the gap a backwards one.
    struct Row
    {
        const char *name;
        QList<int64_t> markers;
        int chapters;
    } rows[] = {
        {"a marker on a cut", {8 * kSecond}, 2},
        {"a marker just after a segment", {8050000}, 2},
        {"a marker just before the next segment", {9950000}, 2},
        {"the same marker twice", {5 * kSecond, 5 * kSecond}, 2},
        {"a marker at the start", {0}, 1},
        {"a marker past the end of the media", {30 * kSecond}, 1},
    };
    const MovieTrimItemList trims{MovieTrimItem::item(0, 8), MovieTrimItem::item(10, 10)};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto chapters = chaptersOf(trims, row.markers, 21 * kSecond);
        EXPECT_EQ(chapters.size(), row.chapters);
        int64_t total = 0;
        for (const auto &chapter : chapters) {
            EXPECT_FALSE(chapter.isEmpty());
            for (const auto &piece : chapter)
                EXPECT_GT(piece->trimStop(), piece->trimStart());
            total += chapterLength(chapter);
        }
        EXPECT_EQ(total, 18 * kSecond);
    }
}

TEST(ChapterCutting, ForAnyMarkersTheChaptersAddUpToTheClipLength)
{
    QRandomGenerator random(12);
    for (int round = 0; round < 200; ++round) {
        MovieTrimItemList trims;
        const int segments = 1 + random.bounded(4);
        for (int i = 0; i < segments; ++i)
            trims.append(MovieTrimItem::item(random.bounded(20000) / 1000.0,
                                             random.bounded(1, 8000) / 1000.0));
        QList<int64_t> markers;
        const int count = random.bounded(6);
        for (int i = 0; i < count; ++i)
            markers.append(int64_t(random.bounded(-1000, 30000)) * 1000);
        VCMovie clip;
        clip.setTrimArray(trims);
        const auto chapters = chaptersOf(trims, markers, 28 * kSecond);
        int64_t total = 0;
        for (const auto &chapter : chapters) {
            ASSERT_FALSE(chapter.isEmpty());
            for (const auto &piece : chapter)
                ASSERT_GT(piece->trimStop(), piece->trimStart());
            total += chapterLength(chapter);
        }
        EXPECT_EQ(total, clip.trimArrayDuration()) << "round " << round;
    }
}

TEST(ChapterCutting, FadesStayOnlyAtTheSegmentsOwnEnds)
{
    // Regression: every chapter part kept the segment's full fades, so a marker inside a faded
    // segment put a fade-out and a fade-in at the chapter point.
    const VCMovieList pieces{pieceOf(0, 10 * kSecond, kSecond, 2 * kSecond)};
    const auto chapters = MediaData::separateMovies(pieces, {0, 4 * kSecond, 10 * kSecond});
    ASSERT_EQ(chapters.size(), 2);
    EXPECT_EQ(chapters[0][0]->fadeIn(), kSecond);
    EXPECT_EQ(chapters[0][0]->fadeOut(), 0);
    EXPECT_EQ(chapters[1][0]->fadeIn(), 0);
    EXPECT_EQ(chapters[1][0]->fadeOut(), 2 * kSecond);
    // A chapter wholly inside the segment has neither.
    const auto middle = MediaData::getMovies(pieces, 3 * kSecond, 6 * kSecond);
    ASSERT_EQ(middle.size(), 1);
    EXPECT_EQ(middle[0]->fadeIn(), 0);
    EXPECT_EQ(middle[0]->fadeOut(), 0);
}

TEST(ChapterCutting, FewerThanTwoTimesIsOneChapterOfAllPieces)
{
    const VCMovieList pieces{pieceOf(0, kSecond), pieceOf(2 * kSecond, 3 * kSecond)};
    const auto chapters = MediaData::separateMovies(pieces, {0});
    ASSERT_EQ(chapters.size(), 1);
    EXPECT_EQ(chapters[0], pieces);
}

TEST(TitleSize, OnlyAPageWidthOf854GivesTheWideClipSize)
{
    struct Row
    {
        double width;
        QSizeF size;
    } rows[] = {{854, {1024, 576}},
                {854.7, {1024, 576}},
                {853.9, {768, 576}},
                {855, {768, 576}},
                {640, {768, 576}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.width);
        EXPECT_EQ(DVDTitleData::clipSizeForMenuSize(QSizeF(row.width, 480)), row.size);
    }
}

class WatermarkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app_testing::application();
        clip = VCMovie::movieWithEmptyFFMovie();
        clip->setVideoOutputSize(QSizeF(640, 480));
        ASSERT_EQ(clip->videoOutputSize(), QSizeF(640, 480));
    }

    // The engine's picture over a transparent frame, in the frame's rows (y down).
    QImage composed()
    {
        QImage frame(640, 480, QImage::Format_RGBA8888);
        frame.fill(Qt::transparent);
        const LMPlacedImage mark = clip->watermark();
        if (!mark.isNull()) {
            QPainter painter(&frame);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPointF(mark.origin.x(), 480 - mark.origin.y() - mark.image.height()),
                              mark.image);
        }
        return frame;
    }

    static QImage solid(QColor colour, QSize size = QSize(10, 10))
    {
        QImage image(size, QImage::Format_RGBA8888);
        image.fill(colour);
        return image;
    }

    VCMovieRef clip;
};

TEST_F(WatermarkTest, AWhiteBoxCoversTheBottomLeftThirtyPercent)
{
    clip->setEnableWatermark(true);
    clip->setWatermarkImage(solid(Qt::white));
    const QImage frame = composed();
    EXPECT_EQ(frame.pixelColor(5, 479), QColor(Qt::white));
    EXPECT_EQ(frame.pixelColor(190, 480 - 143), QColor(Qt::white));
    EXPECT_EQ(frame.pixelColor(194, 479).alpha(), 0);
    EXPECT_EQ(frame.pixelColor(5, 480 - 146).alpha(), 0);
}

TEST_F(WatermarkTest, OpacityScalesTheAlpha)
{
    clip->setEnableWatermark(true);
    clip->setWatermarkImage(solid(Qt::white));
    clip->setWatermarkOpacity(0.5f);
    const LMPlacedImage mark = clip->watermark();
    ASSERT_FALSE(mark.isNull());
    EXPECT_NEAR(mark.image.pixelColor(5, 5).alpha(), 128, 1);
    EXPECT_EQ(mark.image.pixelColor(5, 5).red(), 255);
}

TEST_F(WatermarkTest, ABoxStickingOutShowsThePartOfThePictureInsideTheFrame)
{
    // Regression: the cache held the visible part but was placed at the box's own origin, so a
    // box sticking out on the left showed the picture shifted (at x = -50 nothing showed).
    QImage picture(100, 100, QImage::Format_RGBA8888);
    picture.fill(Qt::red);
    {
        QPainter painter(&picture);
        painter.fillRect(50, 0, 50, 100, Qt::green);
    }
    clip->setEnableWatermark(true);
    clip->setWatermarkImage(picture);
    clip->setWatermarkImageDisplaySize(QSizeF(100, 100));
    clip->setWatermarkPoint(QPointF(-50, 0));
    const LMPlacedImage mark = clip->watermark();
    ASSERT_FALSE(mark.isNull());
    EXPECT_EQ(mark.origin, QPointF(0, 0));
    EXPECT_EQ(mark.image.size(), QSize(50, 100));
    const QImage frame = composed();
    EXPECT_EQ(frame.pixelColor(10, 450), QColor(Qt::green));
    EXPECT_EQ(frame.pixelColor(60, 450).alpha(), 0);
}

TEST_F(WatermarkTest, ABoxBelowTheFrameShowsItsUpperPart)
{
    QImage picture(100, 100, QImage::Format_RGBA8888);
    picture.fill(Qt::red); // top half red (rows 0-49), bottom half blue
    {
        QPainter painter(&picture);
        painter.fillRect(0, 50, 100, 50, Qt::blue);
    }
    clip->setEnableWatermark(true);
    clip->setWatermarkImage(picture);
    clip->setWatermarkImageDisplaySize(QSizeF(100, 100));
    clip->setWatermarkPoint(QPointF(200, -50));
    const QImage frame = composed();
    EXPECT_EQ(frame.pixelColor(250, 479), QColor(Qt::red));
    EXPECT_EQ(frame.pixelColor(250, 431), QColor(Qt::red));
    EXPECT_EQ(frame.pixelColor(250, 428).alpha(), 0);
}

TEST_F(WatermarkTest, ABoxWhollyOutsideOrADisabledWatermarkGivesNoPicture)
{
    clip->setWatermarkImage(solid(Qt::white));
    EXPECT_TRUE(clip->watermark().isNull());
    clip->setEnableWatermark(true);
    clip->setWatermarkPoint(QPointF(700, 0));
    EXPECT_TRUE(clip->watermark().isNull());
}

TEST_F(WatermarkTest, ATextFillsItsBox)
{
    if (QFontDatabase::families().isEmpty())
        GTEST_SKIP() << "no fonts installed";
    clip->setEnableWatermark(true);
    clip->setWatermarkType(1);
    clip->setWatermarkText(QStringLiteral("HH"));
    clip->setWatermarkTextDisplaySize(QSizeF(200, 100));
    clip->setWatermarkPoint(QPointF(100, 100));
    const LMPlacedImage mark = clip->watermark();
    ASSERT_FALSE(mark.isNull());
    ASSERT_EQ(mark.image.size(), QSize(200, 100));
    int left = 200, right = -1, top = 100, bottom = -1;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (mark.image.pixelColor(x, y).alpha() > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_GT(right - left, 140);
    EXPECT_GT(bottom - top, 45);
    // An empty text draws nothing.
    clip->setWatermarkText(QString());
    clip->setWatermarkCacheImage(QImage());
    const LMPlacedImage empty = clip->watermark();
    ASSERT_FALSE(empty.isNull());
    EXPECT_EQ(empty.image.pixelColor(100, 50).alpha(), 0);
}

TEST_F(WatermarkTest, GeometryDividesByTheOutputSizeAtLeastOne)
{
    clip->setWatermarkPoint(QPointF(320, 120));
    EXPECT_DOUBLE_EQ(clip->watermarkRect().x(), 0.5);
    EXPECT_DOUBLE_EQ(clip->watermarkRect().y(), 0.25);
    clip->setVideoOutputSize(QSizeF(0, 0));
    clip->setWatermarkPoint(QPointF(3, 4));
    EXPECT_EQ(clip->watermarkRect().topLeft(), QPointF(3, 4));
    EXPECT_EQ(clip->watermarkPoint(), QPointF(0, 0));
}

TEST_F(WatermarkTest, ANewOutputSizeDropsTheRenderedWatermark)
{
    clip->setEnableWatermark(true);
    clip->setWatermarkImage(solid(Qt::white));
    clip->updateMovieWatermarkImageIfNeeded();
    EXPECT_FALSE(clip->movieWatermark().isNull());
    clip->setVideoOutputSize(QSizeF(1024, 576));
    EXPECT_TRUE(clip->watermarkCacheImage().isNull());
    EXPECT_TRUE(clip->movieWatermark().isNull());
    clip->updateMovieWatermarkImageIfNeeded();
    const auto extent = clip->movieWatermark().extent();
    EXPECT_DOUBLE_EQ(extent.x1 - extent.x0, 308);
    EXPECT_DOUBLE_EQ(extent.y1 - extent.y0, 173);
}

TEST_F(WatermarkTest, ABurstOfEditsHandsOverOnce)
{
    clip->setEnableWatermark(true);
    clip->setWatermarkImage(solid(Qt::white));
    const int before = clip->watermarkHandOverCount();
    for (int i = 0; i < 5; ++i)
        clip->updateMovieWatermarkImage();
    EXPECT_EQ(clip->watermarkHandOverCount(), before);
    ASSERT_TRUE(app_testing::runUntil([&] { return clip->watermarkHandOverCount() > before; }));
    app_testing::drainEvents();
    EXPECT_EQ(clip->watermarkHandOverCount(), before + 1);
    EXPECT_FALSE(clip->movieWatermark().isNull());
}

TEST(ClipKeys, ScalarsGivenNoValueBecomeZeroAndTheKeyTableReachesTheEngineMovie)
{
    auto clip = VCMovie::movieWithEmptyFFMovie();
    EXPECT_EQ(MediaData::vcmovieAttributesKeys().size(), 22);
    EXPECT_EQ(MediaData::movieAttributesKeys().size(), 18);
    for (const QString &key : MediaData::movieAttributesKeys())
        EXPECT_TRUE(MovieAttributeKeyTable::isWired(key)) << key.toStdString();
    EXPECT_FLOAT_EQ(MovieAttributeKeyTable::engineValue(*clip, "contrast").toFloat(), 0.25f);
    EXPECT_TRUE(MovieAttributeKeyTable::setEngineValue(*clip, "hue", 0.75f));
    EXPECT_FLOAT_EQ(MovieAttributeKeyTable::engineValue(*clip, "hue").toFloat(), 0.75f);
    EXPECT_FLOAT_EQ(clip->movie()->hue(), 0.75f);
    // Pieces share the engine state with their clip, as they share its movie.
    EXPECT_FLOAT_EQ(
        MovieAttributeKeyTable::engineValue(*clip->validVCMovies().first(), "hue").toFloat(),
        0.75f);
    EXPECT_TRUE(MovieAttributeKeyTable::setEngineValue(*clip, "volume", 0.5));
    EXPECT_DOUBLE_EQ(clip->movie()->volume(), 0.5);
    EXPECT_FALSE(MovieAttributeKeyTable::setEngineValue(*clip, "noSuchKey", 1));
    EXPECT_EQ(MovieAttributeKeyTable::engineValue(*clip, "subtitleShadow")
                  .toMap()
                  .value("blurRadius")
                  .toDouble(),
              2.0);
}
