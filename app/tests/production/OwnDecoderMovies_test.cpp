// Copies of edited clips for production jobs: they decode through engine movies of their own with
// the same edits, windows and pictures, and clips that shared a movie share one copy.

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"
#include "app/production/OwnDecoderMovies.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace app_testing;
namespace own = Discwright::OwnDecoderMovies;

constexpr int64_t kSecond = 1000000;

// Mean absolute difference per channel of two pictures of one size; 255 when they differ in size.
double pictureDifference(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull() || a.size() != b.size())
        return 255.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0.0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                   + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

TEST(OwnDecoderMovies, CopiesDecodeTheSamePicturesThroughMoviesOfTheirOwn)
{
    application();
    const QString path = ClipFixtures::shared().chaptered20s();
    ASSERT_FALSE(path.isEmpty());
    const auto clip = MediaData::mediaDataWithPath(path);
    ASSERT_TRUE(clip->movie());
    VCMovie &movie = *clip->movie();
    ASSERT_TRUE(MovieAttributeKeyTable::setEngineValue(movie, "brightness", 0.3));
    ASSERT_TRUE(MovieAttributeKeyTable::setEngineValue(movie, "hflip", true));
    ASSERT_TRUE(MovieAttributeKeyTable::setEngineValue(movie, "saturation", 0.2));
    movie.setTrimArray({MovieTrimItem::item(2.0, 3.0, 0.5, 0.0), MovieTrimItem::item(12.0, 4.0)});
    const VCMovieList pieces = movie.validVCMovies();
    ASSERT_EQ(pieces.size(), 2);
    const VCMovieList withEmpty = pieces + VCMovieList{std::make_shared<VCMovie>()};

    const VCMovieList copies = own::moviesWithOwnDecoders(withEmpty);
    ASSERT_EQ(copies.size(), 3);
    ASSERT_TRUE(copies[0]->movie());
    EXPECT_NE(copies[0]->movie(), movie.movie()) << "a decoder of its own";
    EXPECT_EQ(copies[0]->movie(), copies[1]->movie()) << "pieces of one clip share one copy";
    EXPECT_EQ(copies[2], withEmpty[2]) << "a clip without a movie is kept";

    for (qsizetype i = 0; i < pieces.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(copies[i], pieces[i]);
        EXPECT_EQ(copies[i]->trimStart(), pieces[i]->trimStart());
        EXPECT_EQ(copies[i]->trimStop(), pieces[i]->trimStop());
        EXPECT_EQ(copies[i]->fadeIn(), pieces[i]->fadeIn());
        EXPECT_EQ(copies[i]->fadeOut(), pieces[i]->fadeOut());
    }
    for (const QString &key : MovieAttributeKeyTable::engineKeys()) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(MovieAttributeKeyTable::engineValue(*copies[0], key),
                  MovieAttributeKeyTable::engineValue(movie, key));
    }
    const LMFFMovie &original = *movie.movie();
    const LMFFMovie &copy = *copies[0]->movie();
    EXPECT_EQ(copy.duration(), original.duration());
    EXPECT_EQ(copy.hasAudio(), original.hasAudio());
    EXPECT_EQ(copy.outputVideoSize(), original.outputVideoSize());

    // The copy shows what the original shows, and moves on without it.
    const QSizeF size(160, 120);
    const QImage atThree = copies[0]->movie()->thumbnailAtTimeSize(3 * kSecond, size);
    const QImage originalAtThree = movie.movie()->thumbnailAtTimeSize(3 * kSecond, size);
    EXPECT_LT(pictureDifference(atThree, originalAtThree), 2.0) << "same edits, same picture";
    const QImage atFourteen = copies[0]->movie()->thumbnailAtTimeSize(14 * kSecond, size);
    EXPECT_GT(pictureDifference(atFourteen, atThree), 2.0);
}

TEST(OwnDecoderMovies, EmptyEngineMovieIsNotCopied)
{
    application();
    const auto silent = VCMovie::movieWithEmptyFFMovie();
    EXPECT_EQ(own::copyEngineMovie(*silent), nullptr);
    const VCMovieList kept = own::moviesWithOwnDecoders({silent});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0], silent);
}
