#include "Reelsmith/frames/LMImageCategories.h"

#include <gtest/gtest.h>

namespace {

QImage solid(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    image.fill(color);
    return image;
}

TEST(ImageCategories, ScaleToSizeStretchesOnlyForARealSize)
{
    const QImage picture = solid(100, 50, Qt::red);
    struct Case
    {
        const char *name;
        QImage image;
        QSizeF size;
        QSize expected;
    };
    const Case cases[] = {
        {"both sides above one", picture, QSizeF(200, 100), QSize(200, 100)},
        {"aspect is not kept", picture, QSizeF(30, 90), QSize(30, 90)},
        {"a width of one leaves the picture", picture, QSizeF(1, 100), QSize(100, 50)},
        {"no size leaves the picture", picture, QSizeF(0, 0), QSize(100, 50)},
        {"an empty picture stays empty", QImage(), QSizeF(200, 100), QSize(0, 0)},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QImage scaled = LMImageCategories::scaleCIImageToSize(row.image, row.size);
        EXPECT_EQ(scaled.size(), row.expected);
    }
    EXPECT_EQ(LMImageCategories::scaleCIImageToSize(picture, QSizeF(40, 20)).pixelColor(20, 10),
              QColor(Qt::red));
}

TEST(ImageCategories, ColourComesBackInRgbWithItsAlpha)
{
    QColor hsv = QColor::fromHsvF(0.0f, 1.0f, 1.0f, 0.5f);
    const QColor rgb = LMImageCategories::CIColor(hsv);
    EXPECT_EQ(rgb.spec(), QColor::Rgb);
    EXPECT_EQ(rgb.red(), 255);
    EXPECT_EQ(rgb.green(), 0);
    EXPECT_NEAR(rgb.alphaF(), 0.5, 0.01);
    EXPECT_EQ(LMImageCategories::CIColor(QColor()).alpha(), 0) << "no colour is transparent";
}

} // namespace
