#include "platform/GeometryText.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(GeometryText, PrintsTheShortestExactForm)
{
    struct Row
    {
        const char *name;
        QRectF rect;
        const char *text;
    };
    const Row rows[] = {
        {"whole numbers", QRectF(0, 0, 720, 576), "{{0, 0}, {720, 576}}"},
        {"halves", QRectF(2.5, -10, 0.5, 1), "{{2.5, -10}, {0.5, 1}}"},
        {"a third keeps every digit",
         QRectF(1.0 / 3, 0, 0, 0),
         "{{0.3333333333333333, 0}, {0, 0}}"},
        {"negative zero prints as zero", QRectF(-0.0, 0, 0, 0), "{{0, 0}, {0, 0}}"},
        {"large numbers", QRectF(1e20, 0, 0, 0), "{{1e+20, 0}, {0, 0}}"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::stringFromRect(row.rect), row.text);
        EXPECT_EQ(platform::rectFromString(row.text), row.rect);
    }
    EXPECT_EQ(platform::stringFromSize(QSizeF(10, 2.5)), "{10, 2.5}");
    EXPECT_EQ(platform::stringFromPoint(QPointF(-3, 0.125)), "{-3, 0.125}");
    EXPECT_EQ(platform::stringFromPoint(QPointF(std::numeric_limits<double>::quiet_NaN(), 1)),
              "{0, 1}");
}

TEST(GeometryText, ParsingIsLenient)
{
    struct Row
    {
        const char *name;
        const char *text;
        QRectF rect;
        QSizeF size;
    };
    const Row rows[] = {
        {"canonical", "{{1, 2}, {3, 4}}", QRectF(1, 2, 3, 4), QSizeF(1, 2)},
        {"no blanks", "{{1,2},{3,4}}", QRectF(1, 2, 3, 4), QSizeF(1, 2)},
        {"extra blanks and newlines",
         " {\n{ 1 ,2 } ,\t{3, 4} } ",
         QRectF(1, 2, 3, 4),
         QSizeF(1, 2)},
        {"a size read as a rectangle", "{1, 2}", QRectF(1, 2, 0, 0), QSizeF(1, 2)},
        {"one number", "{7}", QRectF(7, 0, 0, 0), QSizeF(7, 0)},
        {"empty", "", QRectF(), QSizeF(0, 0)},
        {"garbage", "hello world", QRectF(), QSizeF(0, 0)},
        {"braces only", "{{}, {}}", QRectF(), QSizeF(0, 0)},
        {"exponents and signs",
         "{{-1.5e2, +.5}, {2E1, -0}}",
         QRectF(-150, 0.5, 20, 0),
         QSizeF(-150, 0.5)},
        {"a lone minus or dot is no number", "{-, .}, {3, 4}", QRectF(3, 4, 0, 0), QSizeF(3, 4)},
        {"exponent without digits", "{2e, 3}", QRectF(2, 3, 0, 0), QSizeF(2, 3)},
        {"overflowing number", "{1e999, 5}", QRectF(0, 5, 0, 0), QSizeF(0, 5)},
        {"more numbers than needed", "{1, 2, 3, 4, 5, 6}", QRectF(1, 2, 3, 4), QSizeF(1, 2)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::rectFromString(row.text), row.rect);
        EXPECT_EQ(platform::sizeFromString(row.text), row.size);
        EXPECT_EQ(platform::pointFromString(row.text),
                  QPointF(row.size.width(), row.size.height()));
    }
}

} // namespace
