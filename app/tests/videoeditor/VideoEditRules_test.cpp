// The editor's decisions without a window: Add's rule, the typed trim edges, the volume field, the
// audio track menu, the quarter turns and screen flips, and the time and size transformers.

#include "app/videoeditor/Controller/PictureEditRules.h"
#include "app/videoeditor/Controller/VideoEditTrimRules.h"
#include "app/videoeditor/Controller/VideoEditValueTransformers.h"
#include "app/videoeditor/View/COMVEPlayerDisplayView.h"
#include "app/videoeditor/View/COMVEProgressBarGeometry.h"
#include "support/ShellTesting.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// The texts come from the string table the shell reads.
const bool kStrings = (shell_testing::application(), true);

using namespace VideoEditTrimRules;

constexpr int64_t kSecond = 1000000;

MovieTrimItemList trims(std::initializer_list<std::pair<double, double>> ranges)
{
    MovieTrimItemList list;
    for (const auto &[start, stop] : ranges)
        list.append(MovieTrimItem::item(start, stop - start));
    return list;
}

TEST(VideoEditRules, AddRule)
{
    const MovieTrimItemList list = trims({{5, 8}});
    struct Row
    {
        const char *name;
        double playhead;
        bool enabled;
    };
    const Row rows[] = {
        {"free second before a trim", 3.0, true},
        {"half a second before a trim", 4.5, false},
        {"exactly one second before a trim", 4.0, false},
        {"inside a trim", 6.0, false},
        {"at a trim's end", 8.0, false},
        {"just after a trim", 8.01, true},
        {"less than a second before the end", 19.5, false},
        {"exactly one second before the end", 19.0, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(addTrimEnable(list, int64_t(row.playhead * kSecond), 20 * kSecond), row.enabled);
    }
}

TEST(VideoEditRules, TypedEdges)
{
    const MovieTrimItemList list = trims({{2, 5}, {8, 12}});
    struct Row
    {
        const char *name;
        bool end;
        int selected;
        double typed;
        double start;
        double stop;
        bool doSeek;
    };
    const Row rows[] = {
        {"start later than end - 1 s", false, 1, 11.8, 11, 12, true},
        {"start before the previous end", false, 1, 3, 5, 12, true},
        {"first trim's start below 0", false, 0, -4, 0, 5, true},
        {"same start again does not seek", false, 1, 8.0005, 8.0005, 12, false},
        {"a different start seeks", false, 1, 7, 7, 12, true},
        {"end past the next start", true, 0, 9, 2, 8, true},
        {"end less than a second after the start", true, 1, 8.5, 8, 9, true},
        {"last end past the timeline", true, 1, 25, 8, 20, true},
        {"same end again does not seek", true, 0, 5, 2, 5, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const int64_t v = int64_t(row.typed * kSecond);
        const auto edge = row.end ? setSelectedEndTime(list, row.selected, v, 20 * kSecond)
                                  : setSelectedStartTime(list, row.selected, v);
        ASSERT_TRUE(edge);
        EXPECT_NEAR(edge->trims[row.selected]->start(), row.start, 1e-5);
        EXPECT_NEAR(edge->trims[row.selected]->stop(), row.stop, 1e-5);
        EXPECT_EQ(edge->doSeek, row.doSeek);
    }
    EXPECT_FALSE(setSelectedStartTime(list, COMVEProgressBarGeometry::kNoSelection, 0));
    EXPECT_FALSE(setSelectedEndTime(list, 9999, 0, 20 * kSecond));
    EXPECT_DOUBLE_EQ(list[1]->start(), 8.0) << "the clip's list stays as it was";
}

TEST(VideoEditRules, VolumeFieldAndTimeLabel)
{
    EXPECT_FLOAT_EQ(volumeFromField(50), 0.5f);
    EXPECT_FLOAT_EQ(volumeFromField(450), 3.0f);
    EXPECT_FLOAT_EQ(volumeFromField(-20), 0.0f);
    EXPECT_FLOAT_EQ(volumeFromField(QString("loud").toDouble()), 0.0f) << "not a number";
    EXPECT_EQ(timeStrFromSecond(3723.9), "01:02:03");
    EXPECT_EQ(timeStrFromSecond(-5), "00:00:00");
}

TEST(VideoEditRules, AudioTrackMenu)
{
    const auto entries = audioTrackEntries(2);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].title, "Audio Track 1");
    EXPECT_EQ(entries[1].title, "Audio Track 2");
    EXPECT_EQ(entries[1].tag, 1);
    EXPECT_EQ(entries[2].title, "All Tracks");
    EXPECT_EQ(entries[2].tag, 99);
    EXPECT_FALSE(audioStreamsForTag(99)) << "every stream";
    EXPECT_EQ(audioStreamsForTag(1), QSet<int>{1});
}

TEST(VideoEditRules, QuarterTurnsAndScreenFlips)
{
    using namespace PictureEditRules;
    struct Turn
    {
        const char *name;
        float from;
        bool left;
        float to;
    };
    const Turn turns[] = {
        {"left from 0", 0, true, 90},
        {"left from 270", 270, true, 0},
        {"right from 0", 0, false, 270},
        {"a stored 89.95 counts as 90", 89.95f, true, 180},
        {"right from 180", 180, false, 90},
    };
    for (const Turn &row : turns) {
        SCOPED_TRACE(row.name);
        EXPECT_FLOAT_EQ(rotateQuarter(row.from, row.left), row.to);
    }
    struct Flip
    {
        float rotate;
        bool vertical;
        bool togglesVflip;
    };
    const Flip flips[] = {
        {0, false, false},
        {0, true, true},
        {90, false, true},
        {90, true, false},
        {180, false, false},
        {270, false, true},
        {270, true, false},
        {89.95f, false, true},
    };
    for (const Flip &row : flips) {
        SCOPED_TRACE(testing::Message()
                     << row.rotate << (row.vertical ? " vertical" : " horizontal"));
        EXPECT_EQ(flipTogglesVflip(row.rotate, row.vertical), row.togglesVflip);
    }
}

TEST(VideoEditRules, Transformers)
{
    EXPECT_EQ(FFMovieTime2PlayTimeStringTransformer::transformedValue(3723900000), "01:02:03");
    EXPECT_EQ(FFMovieTime2PlayTimeStringTransformer::reverseTransformedValue("01:02:03"),
              3723 * kSecond);
    EXPECT_EQ(FFMovieTime2PlayTimeStringTransformer::reverseTransformedValue("02:03"), 0)
        << "only three parts";
    EXPECT_EQ(FFMovieTime2PlayTimeMsStringTransformer::transformedValue(7500000), "00:00:07.500");
    struct Row
    {
        const char *text;
        int64_t ticks;
    };
    const Row rows[] = {{"00:00:07.5", 7500000},
                        {"01:30", 90 * kSecond},
                        {"12.25", 12250000},
                        {"1:2:3:4", 0},
                        {"soon", 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(FFMovieTime2PlayTimeMsStringTransformer::reverseTransformedValue(row.text),
                  row.ticks);
    }
    EXPECT_EQ(Float2_2StringTransformer::transformedValue(1.0 / 3), "0.33");
    EXPECT_FLOAT_EQ(Float2_2StringTransformer::reverseTransformedValue("2.5"), 2.5f);
    EXPECT_FLOAT_EQ(FontSizeScaleToPercentValueTransformer::transformedValue(150), 0.5f);
    EXPECT_FLOAT_EQ(FontSizeScaleToPercentValueTransformer::reverseTransformedValue(0.5f), 150);
}

} // namespace

namespace {

TEST(VideoEditRules, PreviewFitsTheFrameAndIsBlackBeforeOne)
{
    // A 16:9 output in a 4:3 view leaves bands above and below.
    const QRectF wide
        = COMVEPlayerDisplayView::fittedRect(QSizeF(1920, 1080), QRectF(0, 0, 640, 480));
    EXPECT_DOUBLE_EQ(wide.width(), 640.0);
    EXPECT_DOUBLE_EQ(wide.height(), 360.0);
    EXPECT_DOUBLE_EQ(wide.top(), 60.0);
    const QRectF tall
        = COMVEPlayerDisplayView::fittedRect(QSizeF(720, 576), QRectF(0, 0, 960, 540));
    EXPECT_DOUBLE_EQ(tall.height(), 540.0);
    EXPECT_DOUBLE_EQ(tall.left(), (960.0 - 675.0) / 2.0);

    COMVEPlayerDisplayView view;
    view.resize(320, 240);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixelColor(160, 120), QColor(Qt::black)) << "no frame yet";
}

} // namespace
