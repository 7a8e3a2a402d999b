#include "Reelsmith/frames/LMMovieImage.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage rendered(const QColor &colour)
{
    QImage image(40, 10, QImage::Format_RGBA8888);
    image.fill(colour);
    return image;
}

// What the text subtitle step does on a cache miss: the key first, then the picture.
void renderInto(LMMovieImage &image, const QString &text, const QImage &picture)
{
    image.setSubtitleImageString(text);
    image.setSubtitleImage(picture);
}

} // namespace

// Frames leave the movie as referenced images. The rendered subtitle must travel with the text it
// was rendered from, or every frame would miss the cache and render the same text again.
TEST(MovieImage, ReferencedImageCarriesTheSubtitlePictureWithItsKey)
{
    LMMovieImage movieImage;
    renderInto(movieImage, QStringLiteral("Hello"), rendered(Qt::white));

    std::shared_ptr<LMMovieImage> frame = movieImage.getReferencedMovieImage();
    EXPECT_EQ(frame->subtitleImageString(), QStringLiteral("Hello"));
    EXPECT_EQ(frame->subtitleImage(), rendered(Qt::white));

    LMMovieImage player;
    player.loadReferencedMovieImage(*frame);
    EXPECT_EQ(player.subtitleImageString(), QStringLiteral("Hello"));
    EXPECT_EQ(player.subtitleImage(), rendered(Qt::white));
}

// The picture is rendered where the frame is used (a referenced image), yet the next frame taken
// from the movie must find it.
TEST(MovieImage, SubtitleRenderedForOneFrameIsFoundByTheNext)
{
    LMMovieImage movieImage;
    movieImage.setSubtitleCurrentString(QStringLiteral("Hello"));

    std::shared_ptr<LMMovieImage> first = movieImage.getReferencedMovieImage();
    EXPECT_TRUE(first->subtitleImageString().isNull());
    renderInto(*first, first->subtitleCurrentString(), rendered(Qt::yellow));

    std::shared_ptr<LMMovieImage> second = movieImage.getReferencedMovieImage();
    EXPECT_EQ(second->subtitleImageString(), QStringLiteral("Hello"));
    EXPECT_EQ(second->subtitleImage(), rendered(Qt::yellow));

    // A player keeps one image and loads each new frame into it: same cache.
    LMMovieImage player;
    player.loadReferencedMovieImage(*second);
    renderInto(player, QStringLiteral("world"), rendered(Qt::cyan));
    std::shared_ptr<LMMovieImage> third = movieImage.getReferencedMovieImage();
    EXPECT_EQ(third->subtitleImageString(), QStringLiteral("world"));
    EXPECT_EQ(third->subtitleImage(), rendered(Qt::cyan));
}

// A style or size change clears the cache. Frames already handed out keep what they show; the
// frames after the change start empty and render anew.
TEST(MovieImage, ClearingTheCacheAffectsOnlyFramesTakenAfterwards)
{
    LMMovieImage movieImage;
    renderInto(movieImage, QStringLiteral("Hello"), rendered(Qt::white));
    std::shared_ptr<LMMovieImage> before = movieImage.getReferencedMovieImage();

    movieImage.clearSubtitleCache();
    EXPECT_TRUE(movieImage.subtitleImageString().isNull());
    EXPECT_TRUE(movieImage.subtitleImage().isNull());

    std::shared_ptr<LMMovieImage> after = movieImage.getReferencedMovieImage();
    EXPECT_TRUE(after->subtitleImageString().isNull());
    EXPECT_TRUE(after->subtitleImage().isNull());
    EXPECT_EQ(before->subtitleImageString(), QStringLiteral("Hello"));
    EXPECT_EQ(before->subtitleImage(), rendered(Qt::white));

    // A thumbnail clears its own copy; the movie's cache stays.
    renderInto(movieImage, QStringLiteral("again"), rendered(Qt::red));
    std::shared_ptr<LMMovieImage> thumbnail = movieImage.getReferencedMovieImage();
    thumbnail->clearSubtitleCache();
    EXPECT_EQ(movieImage.subtitleImageString(), QStringLiteral("again"));
    EXPECT_EQ(movieImage.getReferencedMovieImage()->subtitleImage(), rendered(Qt::red));
}
