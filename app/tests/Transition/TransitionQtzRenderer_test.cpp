// The transition renderer: its sizes, its progress range, the pictures it lets go of, and every
// shipped transition from its first picture to its second, the same on several threads at once.
// Strips of every transition are saved in the build tree for a person to look at.

#include "app/Transition/TransitionComposition.h"
#include "app/Transition/TransitionManager.h"
#include "app/Transition/TransitionQtzRenderer.h"

#include <QDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

class ShippedTransitions : public TransitionManager
{
public:
    ShippedTransitions() { init(); }
    QString quartzRenderBundleForResource() const override
    {
        return QStringLiteral(DW_BINARY_DIR "/resources");
    }
};

const ShippedTransitions &shipped()
{
    static const ShippedTransitions catalogue;
    return catalogue;
}

const QColorSpace kGenericRgb(QColorSpace::SRgb);
constexpr QSize kSize(320, 180);

// The test pictures are drawn pixel by pixel: Qt's painter would spread large fills over its
// own thread pool, out of sight of the thread checker that these tests also run under.
template <typename ColourAt> QImage drawPicture(QSize size, ColourAt colourAt)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const QColor colour = colourAt(double(x) / size.width(), double(y) / size.height());
            row[4 * x] = uchar(colour.red());
            row[4 * x + 1] = uchar(colour.green());
            row[4 * x + 2] = uchar(colour.blue());
            row[4 * x + 3] = 255;
        }
    }
    return image;
}

int ramp(int from, int to, double at)
{
    return int(from + (to - from) * at);
}

// A warm picture: a red-to-orange ramp with a yellow sun and a pale bar.
QImage warmPicture(QSize size)
{
    const double aspect = double(size.width()) / size.height();
    return drawPicture(size, [aspect](double u, double v) {
        if (std::hypot((u - 0.25) * aspect, v - 0.4) < 0.18)
            return QColor(255, 230, 60);
        if (v >= 0.75 && v < 0.83)
            return QColor(255, 240, 220);
        return QColor(ramp(120, 250, u), ramp(10, 140, u), ramp(20, 30, u));
    });
}

// A cool picture: a navy-to-teal ramp from top to bottom with pale stripes and a green square.
QImage coolPicture(QSize size)
{
    const double aspect = double(size.width()) / size.height();
    return drawPicture(size, [aspect](double u, double v) {
        if (u >= 0.6 && u < 0.6 + 0.33 / aspect && v >= 0.33 && v < 0.66)
            return QColor(60, 200, 80);
        if (std::fmod(u - 0.1 + 1.0, 0.2) < 0.025)
            return QColor(200, 220, 255);
        return QColor(ramp(10, 20, v), ramp(20, 160, v), ramp(90, 170, v));
    });
}

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

// The largest difference of one channel of one pixel; 256 for frames that differ in size.
int maxChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i)
            largest = std::max(largest, std::abs(int(p[i]) - int(q[i])));
    }
    return largest;
}

// Collects the messages logged while it lives.
class LogCapture
{
public:
    LogCapture() { m_previous = qInstallMessageHandler(&LogCapture::record); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    static QStringList messages()
    {
        std::lock_guard locker(lock());
        return captured();
    }

private:
    static void record(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        std::lock_guard locker(lock());
        captured().append(message);
    }
    static std::mutex &lock()
    {
        static std::mutex mutex;
        return mutex;
    }
    static QStringList &captured()
    {
        static QStringList list;
        return list;
    }
    QtMessageHandler m_previous = nullptr;
};

std::unique_ptr<TransitionQtzRenderer> rendererFor(const QString &name, QSize size = kSize)
{
    return TransitionQtzRenderer::initOffScreenWithSize(
        QSizeF(size), kGenericRgb, shipped().compositionForName(name));
}

TEST(TransitionQtzRenderer, ASizeBelowOnePixelGivesNoRendererAndIsLogged)
{
    const auto composition = shipped().compositionForName("Dissolve");
    ASSERT_NE(composition, nullptr);
    const QSizeF sizes[] = {{0, 480}, {640, 0}, {0, 0}, {0.5, 480}, {-640, 480}};
    for (const QSizeF size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        LogCapture log;
        EXPECT_EQ(TransitionQtzRenderer::initOffScreenWithSize(size, kGenericRgb, composition),
                  nullptr);
        EXPECT_TRUE(LogCapture::messages().contains("Invilidate Size"));
    }
    // A fraction of a pixel more is cut off, not refused.
    const auto renderer
        = TransitionQtzRenderer::initOffScreenWithSize(QSizeF(1.9, 2.5), kGenericRgb, composition);
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->size(), QSize(1, 2));
}

TEST(TransitionQtzRenderer, NoCompositionGivesNoRenderer)
{
    EXPECT_EQ(TransitionQtzRenderer::initOffScreenWithSize(QSizeF(kSize), kGenericRgb, nullptr),
              nullptr);
}

TEST(TransitionQtzRenderer, ProgressOutsideTheTransitionRendersAtItsEnds)
{
    const auto renderer = rendererFor("Dissolve");
    ASSERT_NE(renderer, nullptr);
    const QImage a = warmPicture(kSize), b = coolPicture(kSize), black = solid(kSize, Qt::black);

    const QImage atOne = renderer->renderAtTime(1.0, a, b, black);
    const QImage past = renderer->renderAtTime(1.4, a, b, black);
    EXPECT_DOUBLE_EQ(renderer->inputTime(), 1.0);
    EXPECT_EQ(past, atOne);

    const QImage atZero = renderer->renderAtTime(0.0, a, b, black);
    const QImage before = renderer->renderAtTime(-0.2, a, b, black);
    EXPECT_DOUBLE_EQ(renderer->inputTime(), 0.0);
    EXPECT_EQ(before, atZero);
    EXPECT_NE(atZero, atOne);

    // A progress that is not a number (a slideshow of zero-length transitions) starts it.
    EXPECT_EQ(renderer->renderAtTime(std::nan(""), a, b, black), atZero);
    EXPECT_DOUBLE_EQ(renderer->inputTime(), 0.0);
}

TEST(TransitionQtzRenderer, TheSetInputsRenderAsTheOneCall)
{
    const auto renderer = rendererFor("Swipe");
    ASSERT_NE(renderer, nullptr);
    const QImage a = warmPicture(kSize), b = coolPicture(kSize), black = solid(kSize, Qt::black);
    const QImage expected = renderer->renderAtTime(0.3, a, b, black);

    renderer->setSourceImage(a, b, black);
    renderer->renderAtTime(0.3);
    EXPECT_EQ(renderer->snapshotImage(), expected);
    EXPECT_DOUBLE_EQ(renderer->inputTime(), 0.3);
    EXPECT_EQ(renderer->imageForInputKey("Image2"), b);
    EXPECT_TRUE(renderer->imageForInputKey("InputTime").isNull());
}

TEST(TransitionQtzRenderer, APictureOfAnotherShapeIsFittedOverTheBackground)
{
    // A 4:3 picture in a 16:9 frame: 640x480 centred, 107 pixels from the left, whether it is
    // enlarged, taken as it is or reduced (through halving first).
    const QSize frameSize(854, 480);
    const auto renderer = rendererFor("Dissolve", frameSize);
    ASSERT_NE(renderer, nullptr);
    const QImage green = solid(QSize(16, 9), Qt::green);
    for (const QSize pictureSize : {QSize(320, 240), QSize(640, 480), QSize(2000, 1500)}) {
        SCOPED_TRACE(testing::Message() << pictureSize.width() << "x" << pictureSize.height());
        const QImage red = solid(pictureSize, Qt::red);
        const QImage frame = renderer->renderAtTime(0.0, red, red, green);
        ASSERT_EQ(frame.size(), frameSize);
        EXPECT_EQ(frame.pixelColor(106, 240), QColor(Qt::green));
        EXPECT_EQ(frame.pixelColor(107, 240), QColor(Qt::red));
        EXPECT_EQ(frame.pixelColor(427, 240), QColor(Qt::red));
        EXPECT_EQ(frame.pixelColor(746, 0), QColor(Qt::red));
        EXPECT_EQ(frame.pixelColor(747, 479), QColor(Qt::green));
    }
}

TEST(TransitionQtzRenderer, PicturesInOtherFormatsRenderAlike)
{
    const auto renderer = rendererFor("Dissolve");
    ASSERT_NE(renderer, nullptr);
    // Half transparent, so that premultiplying on the way in matters.
    QImage picture = warmPicture(kSize);
    for (int y = 0; y < kSize.height(); ++y) {
        uchar *row = picture.scanLine(y);
        for (int i = 0; i < kSize.width() * 4; ++i)
            row[i] = uchar(row[i] / 2);
    }
    const QImage expected = renderer->renderAtTime(0.0, picture, QImage(), QImage());
    const QImage::Format formats[] = {QImage::Format_ARGB32_Premultiplied,
                                      QImage::Format_ARGB32,
                                      QImage::Format_RGBA8888,
                                      QImage::Format_RGBA64};
    for (QImage::Format format : formats) {
        SCOPED_TRACE(format);
        const QImage converted = picture.convertToFormat(format);
        EXPECT_LE(maxChannelDifference(renderer->renderAtTime(0.0, converted, QImage(), QImage()),
                                       expected),
                  1);
    }
    // Without an alpha channel the picture is opaque.
    const QImage opaque = warmPicture(kSize);
    EXPECT_LE(maxChannelDifference(
                  renderer->renderAtTime(0.0, opaque.convertToFormat(QImage::Format_RGB32), {}, {}),
                  opaque),
              1);
}

class EachTransition : public testing::TestWithParam<const char *>
{
};

TEST_P(EachTransition, RunsFromTheFirstPictureToTheSecond)
{
    const auto renderer = rendererFor(GetParam());
    ASSERT_NE(renderer, nullptr);
    const QImage a = warmPicture(kSize), b = coolPicture(kSize), black = solid(kSize, Qt::black);

    EXPECT_LE(maxChannelDifference(renderer->renderAtTime(0.0, a, b, black), a), 1);
    EXPECT_LE(maxChannelDifference(renderer->renderAtTime(1.0, a, b, black), b), 1);
    // Half way it shows neither picture alone.
    const QImage half = renderer->renderAtTime(0.5, a, b, black);
    EXPECT_GT(maxChannelDifference(half, a), 60);
    EXPECT_GT(maxChannelDifference(half, b), 60);
}

TEST_P(EachTransition, HoldsNoPictureAfterARender)
{
    const auto renderer = rendererFor(GetParam());
    ASSERT_NE(renderer, nullptr);
    QImage a = warmPicture(kSize), b = coolPicture(kSize), black = solid(kSize, Qt::black);
    renderer->setSourceImage(a, b, black);
    EXPECT_FALSE(a.isDetached());

    const QImage frame = renderer->renderAtTime(0.5, a, b, black);
    EXPECT_FALSE(frame.isNull());
    EXPECT_EQ(renderer->snapshotImage(), frame);
    for (const char *key : {"Image1", "Image2", "BackgroundImage"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(renderer->imageForInputKey(key).isNull());
    }
    // Nothing else shares the caller's pictures any more.
    EXPECT_TRUE(a.isDetached());
    EXPECT_TRUE(b.isDetached());
    EXPECT_TRUE(black.isDetached());

    // Nor when the background is all there is to show.
    const QImage backgroundOnly = renderer->renderAtTime(0.5, QImage(), QImage(), black);
    EXPECT_LE(maxChannelDifference(backgroundOnly, black), 0);
    EXPECT_TRUE(black.isDetached());
}

TEST_P(EachTransition, GivesTheSamePixelsOnFourThreadsAtOnce)
{
    const auto renderer = rendererFor(GetParam());
    ASSERT_NE(renderer, nullptr);
    const QImage a = warmPicture(kSize), b = coolPicture(kSize), black = solid(kSize, Qt::black);
    const double times[] = {0.1, 0.25, 0.5, 0.75, 0.9};
    QList<QImage> expected;
    for (double t : times)
        expected.append(renderer->renderAtTime(t, a, b, black));

    constexpr int kThreads = 4;
    QList<QImage> results[kThreads];
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 3; ++round) {
                for (double t : times)
                    results[i].append(renderer->renderAtTime(t, a, b, black));
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int i = 0; i < kThreads; ++i) {
        ASSERT_EQ(results[i].size(), 3 * expected.size());
        for (qsizetype k = 0; k < results[i].size(); ++k) {
            SCOPED_TRACE(testing::Message() << "thread " << i << " frame " << k);
            EXPECT_EQ(results[i][k], expected[k % expected.size()]);
        }
    }
}

// Not a check: a strip of the transition at a quarter, half and three quarters, in
// <build>/transition_strips, for a person to look at.
TEST_P(EachTransition, SavesAStripToLookAt)
{
    const QSize size(320, 240);
    const auto renderer = rendererFor(GetParam(), size);
    ASSERT_NE(renderer, nullptr);
    const QImage a = warmPicture(size), b = coolPicture(size), black = solid(size, Qt::black);
    constexpr int kGap = 8;
    QImage strip(size.width() * 3 + kGap * 2, size.height(), QImage::Format_RGBA8888_Premultiplied);
    strip.fill(Qt::white);
    int x = 0;
    for (double t : {0.25, 0.5, 0.75}) {
        const QImage frame = renderer->renderAtTime(t, a, b, black);
        ASSERT_EQ(frame.size(), size);
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(strip.scanLine(y) + 4 * x, frame.constScanLine(y), 4 * size.width());
        x += size.width() + kGap;
    }
    const QString folder = QStringLiteral(DW_BINARY_DIR "/transition_strips");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/" + QString::fromUtf8(GetParam()) + ".png";
    EXPECT_TRUE(strip.save(path)) << path.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Shipped,
    EachTransition,
    testing::Values(
        "Dissolve", "Slide", "Swipe", "Swipe2", "Zoom Dissolve", "Circle Close", "Circle Open"),
    [](const testing::TestParamInfo<const char *> &info) {
        QString name = QString::fromUtf8(info.param);
        return name.remove(' ').toStdString();
    });

} // namespace
