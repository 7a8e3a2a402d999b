#pragma once

// Small pictures and pixel probes for tests of menu drawing. Probes take page coordinates (menu
// points, y up), so expectations read like the model they test.

#include <QColor>
#include <QImage>
#include <QString>

namespace testing_support {

// A w x h picture of one colour.
QImage solidImage(int width, int height, const QColor &colour);
// A picture split into horizontal bands of equal height, listed from the top row down.
QImage bandedImage(int width, int height, const QList<QColor> &topToBottom);
// A picture split into vertical stripes of equal width, listed from left to right.
QImage stripedImage(int width, int height, const QList<QColor> &leftToRight);

// The colour of the pixel that covers page point (x, y) (y up) of picture, unpremultiplied; an
// invalid colour outside the picture.
QColor colourAt(const QImage &picture, double x, double yUp);

// Whether two colours (alpha included) differ by at most tolerance in every channel.
bool sameColour(const QColor &a, const QColor &b, int tolerance = 10);
QString describe(const QColor &colour);

} // namespace testing_support

// EXPECT that the pixel of picture at (x, y up) is colour, within a small tolerance.
#define EXPECT_PIXEL(picture, x, y, colour)                                                        \
    EXPECT_TRUE(                                                                                   \
        testing_support::sameColour(testing_support::colourAt((picture), (x), (y)), (colour)))     \
        << "at (" << (x) << ", " << (y) << ") found "                                              \
        << testing_support::describe(testing_support::colourAt((picture), (x), (y))).toStdString() \
        << ", expected " << testing_support::describe(colour).toStdString()
