// The common kit: time strings, the path name, rectangle and angle arithmetic, picture helpers
// and change notices on the main thread.

#include "app/AppExtention/Function/CommonFunction.h"
#include "support/AppFakes.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <numbers>
#include <thread>

// The system font library keeps its configuration for the life of the process, which the leak
// checker reports once text has been drawn.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;

void expectRect(const QRectF &actual, const QRectF &expected, double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

TEST(CommonFunction, TimeStrings)
{
    struct Row
    {
        double seconds;
        const char *hms, *ms, *short_;
    };
    const Row rows[] = {
        // The milliseconds are taken in single precision, as stored times expect.
        {3725.9, "01:02:05", "01:02:05.899", "62:05"},
        {360000, "100:00:00", "100:00:00.000", "6000:00"},
        {0.999, "00:00:00", "00:00:00.999", "00:00"},
        {61.25, "00:01:01", "00:01:01.250", "01:01"},
        {-3, "00:00:00", "-00:00:03.000", "-00:03"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(CommonFunction::timeStrFromSecond(row.seconds), row.hms);
        EXPECT_EQ(CommonFunction::timeStrFromMsSecond(row.seconds), row.ms);
        EXPECT_EQ(CommonFunction::shortTimeStrFromSecond(row.seconds), row.short_);
    }
    EXPECT_EQ(CommonFunction::timeStrFromSecond(std::numeric_limits<double>::quiet_NaN()),
              "00:00:00");
}

TEST(CommonFunction, ShaStringOfAPath)
{
    EXPECT_EQ(CommonFunction::shaString(""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(CommonFunction::shaString("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(CommonFunction::shaString("/Movies/été.mov"),
              CommonFunction::shaString(QString::fromUtf8("/Movies/été.mov")));
    EXPECT_EQ(CommonFunction::shaString("/a/b.mov").size(), 64);
}

TEST(CommonFunction, Fitting)
{
    const QRectF hd(0, 0, 1920, 1080), page(0, 0, 640, 480);
    expectRect(CommonFunction::scaleRectIn(hd, page), QRectF(0, 60, 640, 360));
    expectRect(CommonFunction::scaleRectFull(hd, page), QRectF(-106.667, 0, 853.333, 480));
    expectRect(CommonFunction::scaleRectIn(QRectF(0, 0, 64, 48), page), page);
    expectRect(CommonFunction::scaleRectIn(QRectF(), page), QRectF(320, 240, 0, 0));
    expectRect(CommonFunction::scaleRectIn(QRectF(0, 0, 100, 50), QRectF()), QRectF(0, 0, 0, 0));
    // A box with no room on one side takes no picture, whichever way it is fitted: the fill must
    // not read the zero side as an unbounded ratio and spread the picture past the box.
    for (const QRectF &flat : {QRectF(10, 20, 0, 100), QRectF(10, 20, 100, 0)}) {
        SCOPED_TRACE(flat.width());
        const QRectF centre(flat.center(), QSizeF(0, 0));
        EXPECT_EQ(CommonFunction::scaleRectIn(QRectF(0, 0, 100, 50), flat), centre);
        EXPECT_EQ(CommonFunction::scaleRectFull(QRectF(0, 0, 100, 50), flat), centre);
    }
    // Contain grows a small rectangle until it covers the box, and leaves a large one alone.
    expectRect(CommonFunction::scaleRectContain(QRectF(0, 0, 10, 5), QRectF(0, 0, 40, 40)),
               QRectF(-20, 0, 80, 40));
    expectRect(CommonFunction::scaleRectContain(hd, page), hd);
    expectRect(CommonFunction::scaleRectContain(hd, QRectF()), hd);
    expectRect(CommonFunction::scaleRectMinLength(QRectF(0, 0, 10, 10), 20), QRectF(5, 5, 20, 20));
}

TEST(CommonFunction, RectanglesAndPoints)
{
    EXPECT_EQ(CommonFunction::rectForCenter(QPointF(10, 10), QSizeF(4, 6)), QRectF(8, 7, 4, 6));
    EXPECT_EQ(CommonFunction::rectForPoint(QPointF(5, 1), QPointF(2, 7)), QRectF(2, 1, 3, 6));
    EXPECT_EQ(CommonFunction::centerForRect(QRectF(0, 0, 10, 20)), QPointF(5, 10));
    EXPECT_EQ(CommonFunction::convertRect(QRectF(1, 2, 3, 4), 2), QRectF(2, 4, 6, 8));
    EXPECT_EQ(CommonFunction::minOfOne(3, -1, 2, 5), -1);
    EXPECT_EQ(CommonFunction::maxOfOne(3, -1, 2, 5), 5);
}

TEST(CommonFunction, Angles)
{
    const float pi = std::numbers::pi_v<float>;
    struct Row
    {
        QPointF vector;
        float angle;
    };
    for (const Row &row : {Row{{1, 0}, 0},
                           Row{{0, 1}, pi / 2},
                           Row{{-1, 0}, pi},
                           Row{{0, -1}, 3 * pi / 2},
                           Row{{1, -1}, 7 * pi / 4},
                           Row{{0, 0}, 0}}) {
        SCOPED_TRACE(row.angle);
        EXPECT_NEAR(CommonFunction::angleForPoint(row.vector), row.angle, 1e-5);
    }
    const QPointF p = CommonFunction::pointForLength(2, pi / 2);
    EXPECT_NEAR(p.x(), 0, 1e-6);
    EXPECT_NEAR(p.y(), 2, 1e-6);
    EXPECT_NEAR(CommonFunction::lengthForFixed({0, 0}, {1, 0}, {3, 4}), 3, 1e-5);
}

TEST(CommonFunction, PerspectiveRoundTrip)
{
    QMatrix4x4 transform; // identity, then a perspective term and a shift
    transform(0, 3) = 0.001f;
    transform(3, 0) = 10;
    transform(3, 1) = -4;
    const QPointF point(120, 80);
    const QPointF there = CommonFunction::convertPointFromTransform(point, transform);
    const QPointF back = CommonFunction::convertPointToTransform(there, transform);
    EXPECT_NEAR(back.x(), point.x(), 1e-2);
    EXPECT_NEAR(back.y(), point.y(), 1e-2);
    // Without perspective a length maps to itself.
    EXPECT_NEAR(CommonFunction::widthForLength(50, QMatrix4x4()), 50, 1e-4);
    EXPECT_NEAR(CommonFunction::heightForLength(30, QMatrix4x4()), 30, 1e-4);
    expectRect(CommonFunction::rectForPoint(QPointF(0, 0), QPointF(50, 30), QMatrix4x4()),
               QRectF(-25, -15, 50, 30));
}

TEST(CommonFunction, PictureHelpers)
{
    application();
    QImage tile(10, 10, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::red);
    const QImage tiled = CommonFunction::getNoScaledImage(tile, QSize(25, 15));
    ASSERT_EQ(tiled.size(), QSize(25, 15));
    EXPECT_EQ(tiled.pixelColor(24, 14), QColor(Qt::red));
    const QImage tooMany = CommonFunction::getNoScaledImage(tile, QSize(1000, 10));
    ASSERT_EQ(tooMany.size(), QSize(1000, 10));
    EXPECT_EQ(tooMany.pixelColor(0, 0).alpha(), 0);

    EXPECT_TRUE(CommonFunction::rotateImage(tile, QSize(), 90).isNull());
    QImage half(20, 10, QImage::Format_ARGB32_Premultiplied);
    half.fill(Qt::transparent);
    QPainter(&half).fillRect(0, 0, 10, 10, Qt::blue); // left half blue
    const QImage turned = CommonFunction::rotateImage(half, QSize(20, 20), 90);
    ASSERT_EQ(turned.size(), QSize(20, 20));
    // A quarter turn counter-clockwise brings the left half to the bottom.
    EXPECT_EQ(turned.pixelColor(10, 17), QColor(Qt::blue));
    EXPECT_EQ(turned.pixelColor(10, 2).alpha(), 0);

    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QImage wide(200, 100, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::green);
    {
        QPainter painter(&canvas);
        CommonFunction::drawImageInRect(painter, wide, QRectF(0, 0, 100, 100));
        CommonFunction::drawTitleAtRect(painter,
                                        QRectF(0, 0, 100, 20),
                                        "a very long title "
                                        "that will not fit",
                                        12,
                                        Qt::white);
    }
    EXPECT_EQ(canvas.pixelColor(50, 50), QColor(Qt::green));
    EXPECT_EQ(canvas.pixelColor(50, 90).alpha(), 0) << "the fitted picture keeps its aspect";
}

class Observed : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)
public:
    int value() const { return m_value; }
    void setValue(int value) { m_value = value; }
signals:
    void valueChanged(int value);

private:
    int m_value = 0;
};

TEST(CommonFunction, ChangeNoticeArrivesLaterOnTheMainThread)
{
    application();
    auto object = std::make_shared<Observed>();
    std::vector<int> seen;
    bool offMain = false;
    QObject::connect(object.get(), &Observed::valueChanged, [&](int value) {
        seen.push_back(value);
        offMain = offMain || QThread::currentThread() != application().thread();
    });
    object->setValue(1);
    CommonFunction::flushObject(object, "value");
    EXPECT_TRUE(seen.empty()) << "not before the main loop turns, even on the main thread";
    ASSERT_TRUE(runUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, std::vector<int>{1});

    std::thread worker([&] {
        object->setValue(2);
        CommonFunction::flushObject(object, "value");
    });
    worker.join();
    ASSERT_TRUE(runUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.back(), 2);
    EXPECT_FALSE(offMain);

    // Gone before the notice runs: nothing is sent, nothing crashes.
    CommonFunction::flushObject(object, "value");
    object.reset();
    drainEvents();
    EXPECT_EQ(seen.size(), 2u);
}

TEST(CommonFunction, BackgroundWorkRunsOffTheCallingThread)
{
    std::atomic<bool> ran{false};
    std::atomic<bool> sameThread{true};
    const auto caller = std::this_thread::get_id();
    CommonFunction::performInBackground([&] {
        sameThread = std::this_thread::get_id() == caller;
        ran = true;
    });
    ASSERT_TRUE(runUntil([&] { return ran.load(); }));
    EXPECT_FALSE(sameThread);
    int calls = 0;
    CommonFunction::timeProfileBlock([&] { ++calls; });
    CommonFunction::timeBlock([&] { ++calls; });
    EXPECT_EQ(calls, 2);
}

TEST(CommonFunction, SystemVersionWritesOnlyWhenKnown)
{
    std::uint32_t major = 99, minor = 99, fix = 99;
    if (CommonFunction::getSystemVersion(&major, &minor, &fix)) {
        EXPECT_NE(major, 99u);
    } else {
        EXPECT_EQ(major, 99u);
    }
    EXPECT_TRUE(CommonFunction::getSystemVersion(nullptr, nullptr, nullptr)
                == CommonFunction::getSystemVersion(&major, &minor, &fix));
    EXPECT_FALSE(CommonFunction::OSIsSnowLeopard());
}

} // namespace

#include "CommonFunction_test.moc"
