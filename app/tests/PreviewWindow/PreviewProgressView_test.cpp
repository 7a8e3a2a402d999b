// The preview's seek bar: its geometry as plain functions, and presses and drags on a real bar
// under the offscreen platform.

#include "app/PreviewWindow/PreviewProgressView.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int64_t kSecond = 1000000;

QApplication &application()
{
    static int argc = 1;
    static char name[] = "preview_progress_test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

TEST(PreviewProgressView, Geometry)
{
    const QRectF content = PreviewProgressView::contentRectOf(QRectF(0, 0, 400, 21));
    EXPECT_EQ(content, QRectF(10, 5, 380, 11));
    EXPECT_EQ(PreviewProgressView::pointToTime(200, content, 10 * kSecond), 5 * kSecond);
    EXPECT_EQ(PreviewProgressView::pointToTime(0, content, 10 * kSecond), -10 * kSecond / 38)
        << "not clamped";
    EXPECT_EQ(PreviewProgressView::timeToPoint(5 * kSecond, content, 10 * kSecond), 200.0);
    EXPECT_EQ(PreviewProgressView::timeToPoint(20 * kSecond, content, 10 * kSecond), 390.0)
        << "past the end the knob stays at the end";
    EXPECT_EQ(PreviewProgressView::timeToPoint(0, content, 0), 10.0)
        << "with a duration of 0 the knob stays at the left end";
    EXPECT_EQ(PreviewProgressView::timeToPoint(5, content, 0), 10.0);

    struct Row
    {
        const char *name;
        QPointF point;
        int type;
    };
    const double centre = content.center().y();
    const Row rows[] = {
        {"on the line", {200, centre}, 0},
        {"7 points above", {200, centre - 7}, 0},
        {"8 points above", {200, centre - 8}, 1},
        {"8 points below", {200, centre + 8}, 1},
        {"5 points left of the bar", {5, centre}, 0},
        {"6 points left of the bar", {4, centre}, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PreviewProgressView::drayTypeAtPoint(row.point, content), row.type);
    }
}

// Without the preview controller as delegate the bar takes no presses; the window's own tests
// drive the seeking through it. Here: no delegate, no seek.
TEST(PreviewProgressView, WithoutADelegateAPressDoesNothing)
{
    application();
    PreviewProgressView bar;
    bar.resize(400, 21);
    bar.setDuration(10 * kSecond);
    bar.show();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(bar.currentTime(), 0);
    EXPECT_FALSE(bar.isInSeek());
}

} // namespace
