#include "Reelsmith/audio/LMFIFODataBuffer.h"
#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "testsupport/WaitUntil.h"

#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {

TEST(FIFODataBuffer, BytesComeOutInOrderAcrossTheBufferSwap)
{
    LMFIFODataBuffer fifo;
    std::vector<uint8_t> bytes(16);
    std::iota(bytes.begin(), bytes.end(), uint8_t(1));

    EXPECT_TRUE(fifo.appendBytesLength(bytes.data(), 10));
    uint8_t first[4] = {};
    EXPECT_EQ(fifo.readBytesLength(first, 4), 4u);
    EXPECT_TRUE(fifo.appendBytesLength(bytes.data() + 10, 6));
    EXPECT_EQ(fifo.length(), 12u);

    uint8_t rest[12] = {};
    EXPECT_EQ(fifo.readBytesLength(rest, 12), 12u);
    EXPECT_TRUE(std::equal(first, first + 4, bytes.begin()));
    EXPECT_TRUE(std::equal(rest, rest + 12, bytes.begin() + 4));
    EXPECT_EQ(fifo.length(), 0u);
}

TEST(FIFODataBuffer, ShortReadClearAndDiscard)
{
    LMFIFODataBuffer fifo;
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    fifo.appendBytesLength(bytes, 5);
    uint8_t out[8] = {};
    EXPECT_EQ(fifo.readBytesLength(out, 8), 5u);
    EXPECT_EQ(fifo.readBytesLength(out, 8), 0u);

    fifo.appendBytesLength(bytes, 5);
    EXPECT_EQ(fifo.readBytesLength(nullptr, 2), 2u);
    EXPECT_EQ(fifo.length(), 3u);
    fifo.clear();
    EXPECT_EQ(fifo.length(), 0u);
}

// Interleaved stereo frames whose left channel counts frames and right channel is its negative.
std::vector<float> countingFrames(int frames, int first = 0)
{
    std::vector<float> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        samples[size_t(i) * 2] = float(first + i);
        samples[size_t(i) * 2 + 1] = -float(first + i);
    }
    return samples;
}

struct RateCase
{
    const char *name;
    float rate;
    float speed;
    float speed2;
};

TEST(OutputAudioGraph, RateIsSplitOverTheTwoRateUnits)
{
    const RateCase cases[] = {
        {"plain rate", 2.0f, 2.0f, 1.0f},
        {"lowest single-unit rate", 0.25f, 0.25f, 1.0f},
        {"just below the split", 4.49f, 4.49f, 1.0f},
        {"4.5 is split", 4.5f, std::sqrt(4.5f), std::sqrt(4.5f)},
        {"fast", 8.0f, 2.8284271f, 2.8284271f},
        {"slow", 0.1f, 0.31622777f, 0.31622777f},
        {"zero is the floor", 0.0f, 0.1f, 0.1f},
        {"negative is the floor", -3.0f, 0.1f, 0.1f},
    };
    LMOutputAudioGraph graph;
    for (const RateCase &row : cases) {
        SCOPED_TRACE(row.name);
        graph.setRate(row.rate);
        EXPECT_NEAR(graph.rateForNode(graph.speedNode()), row.speed, 1e-5);
        EXPECT_NEAR(graph.rateForNode(graph.speedNode2()), row.speed2, 1e-5);
        EXPECT_NEAR(graph.rate(), row.speed * row.speed2, 1e-5);
    }
}

TEST(OutputAudioGraph, RenderCycleCopiesFromTheFifoWithTheVolumeApplied)
{
    LMOutputAudioGraph graph;
    const std::vector<float> frames = countingFrames(2048);
    ASSERT_TRUE(graph.streamWriteSampleNumberFrames(0, frames.data(), 2048));
    EXPECT_EQ(graph.bufferFrames(), 2048);

    std::vector<float> out(1024 * 2, 99.0f);
    graph.renderCycle(reinterpret_cast<uint8_t *>(out.data()), 1024);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), frames.begin()));
    EXPECT_EQ(graph.bufferFrames(), 1024);
    EXPECT_EQ(graph.renderedFrames(), 1024);

    graph.setVolume(0.5f);
    EXPECT_FLOAT_EQ(graph.volume(), 0.5f);
    graph.renderCycle(reinterpret_cast<uint8_t *>(out.data()), 1024);
    for (int i = 0; i < 1024 * 2; ++i)
        ASSERT_FLOAT_EQ(out[size_t(i)], frames[size_t(1024 * 2 + i)] * 0.5f) << "sample " << i;
}

TEST(OutputAudioGraph, ShortFifoGivesASilentCycleAndIsConsumed)
{
    LMOutputAudioGraph graph;
    const std::vector<float> frames = countingFrames(100, 1);
    graph.writeSampleFrame(frames.data(), 100);

    std::vector<float> out(1024 * 2, 99.0f);
    graph.renderCycle(reinterpret_cast<uint8_t *>(out.data()), 1024);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.0f; }));
    EXPECT_EQ(graph.bufferFrames(), 0);
}

TEST(OutputAudioGraph, RateStageReadsRateTimesTheCycleFromTheFifo)
{
    struct Case
    {
        const char *name;
        float rate;
        int consumed;
    };
    const Case cases[] = {
        {"double speed", 2.0f, 2048},
        {"half speed", 0.5f, 512},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        LMOutputAudioGraph graph;
        graph.setRate(row.rate);
        const std::vector<float> frames = countingFrames(4096, 1);
        graph.writeSampleFrame(frames.data(), 4096);
        std::vector<float> out(1024 * 2, 0.0f);
        ASSERT_TRUE(graph.readSampleFrame(out.data(), 1024));
        EXPECT_EQ(graph.bufferFrames(), 4096 - row.consumed);
        // The input is a straight line, so interpolation lands exactly on it: frame i of the output
        // is input position i x rate after the frame before the first.
        for (int i = 1; i < 1024; ++i) {
            ASSERT_NEAR(out[size_t(i) * 2], float(i) * row.rate, 1e-3) << "frame " << i;
            ASSERT_NEAR(out[size_t(i) * 2 + 1], -float(i) * row.rate, 1e-3) << "frame " << i;
        }
    }
}

TEST(OutputAudioGraph, ClearBufferEmptiesTheFifo)
{
    LMOutputAudioGraph graph;
    const std::vector<float> frames = countingFrames(300);
    graph.writeSampleFrame(frames.data(), 300);
    graph.clearBuffer();
    EXPECT_EQ(graph.bufferFrames(), 0);
}

// Stands in for the movie: tops the output up by 2048 frames while it holds 2047 or fewer, and
// keeps the clock the movie keeps (frames decoded less frames still buffered).
class RefillingSource : public LMOutputAudioGraphDelegate
{
public:
    explicit RefillingSource(LMOutputAudioGraph &graph)
        : m_graph(graph)
        , m_block(countingFrames(2048))
    {}

    void decodeMoreAudioDataToAudioOutput() override
    {
        ++requests;
        if (m_graph.bufferFrames() > 2047)
            return;
        m_graph.streamWriteSampleNumberFrames(0, m_block.data(), 2048);
        decoded.fetch_add(2048);
    }

    double clockSeconds() const
    {
        return double(decoded.load() - m_graph.bufferFrames()) / 44100.0;
    }

    std::atomic<int64_t> decoded{0};
    std::atomic<int> requests{0};

private:
    LMOutputAudioGraph &m_graph;
    std::vector<float> m_block;
};

// Lets a second output render a few periods in real time: the stretch in which a graph that was
// stopped or destroyed would have rendered too, had its device kept calling it. A fixed sleep
// would guess the stretch; this one ends on rendering that really happened. False when the
// witness never rendered.
bool witnessRendersAFewPeriods()
{
    LMOutputAudioGraph witness;
    RefillingSource source(witness);
    witness.setDelegate(&source);
    if (!witness.start())
        return false;
    const bool rendered
        = fixtures::waitUntil([&] { return witness.renderedFrames() >= 4 * 2048; }, 10000);
    witness.stop();
    witness.setDelegate(nullptr);
    return rendered;
}

TEST(OutputAudioGraph, DelegateIsAskedToTopUpBeforeEachCycle)
{
    LMOutputAudioGraph graph;
    RefillingSource source(graph);
    graph.setDelegate(&source);
    std::vector<float> out(1024 * 2);
    for (int cycle = 0; cycle < 10; ++cycle) {
        graph.renderCycle(reinterpret_cast<uint8_t *>(out.data()), 1024);
        ASSERT_NE(out[2], 0.0f) << "cycle " << cycle << " was silent";
    }
    EXPECT_EQ(source.requests.load(), 10);
    graph.setDelegate(nullptr);
    EXPECT_EQ(graph.delegate(), nullptr);
}

TEST(OutputAudioGraph, PlaybackClockFollowsWallTimeEvenWithoutASoundDevice)
{
    LMOutputAudioGraph graph;
    RefillingSource source(graph);
    graph.setDelegate(&source);
    ASSERT_TRUE(graph.start()) << graph.lastError().toStdString();
    EXPECT_TRUE(graph.isStart());
    EXPECT_FALSE(graph.driverName().isEmpty());

    ASSERT_TRUE(fixtures::waitUntil([&] { return graph.renderedFrames() > 0; }, 5000))
        << "the output never pulled on " << graph.driverName().toStdString();

    // Half a second of playback takes about half a second of wall time: not frozen (the wait
    // would end at its deadline) and not racing ahead (at most twice as fast).
    const double before = source.clockSeconds();
    QElapsedTimer wall;
    wall.start();
    EXPECT_TRUE(fixtures::waitUntil([&] { return source.clockSeconds() - before >= 0.5; }, 10000))
        << "driver " << graph.driverName().toStdString();
    EXPECT_GE(wall.elapsed(), 250) << "driver " << graph.driverName().toStdString();

    // Stopping waits for a running cycle, so what it rendered is final at once.
    graph.stop();
    EXPECT_FALSE(graph.isStart());
    const int64_t stopped = graph.renderedFrames();
    ASSERT_TRUE(witnessRendersAFewPeriods());
    EXPECT_EQ(graph.renderedFrames(), stopped);
    graph.setDelegate(nullptr);
}

// The silent driver offers one device at a time: an output that was paused used to keep it, and
// the next movie to play got "Audio device already open" and no clock.
TEST(OutputAudioGraph, APausedOutputLetsTheNextOneStart)
{
    LMOutputAudioGraph first;
    LMOutputAudioGraph second;
    RefillingSource firstSource(first);
    RefillingSource secondSource(second);
    first.setDelegate(&firstSource);
    second.setDelegate(&secondSource);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(first.start()) << first.lastError().toStdString();
        first.stop();
        ASSERT_TRUE(second.start()) << second.lastError().toStdString();
        const int64_t before = second.renderedFrames();
        EXPECT_TRUE(fixtures::waitUntil([&] { return second.renderedFrames() > before; }, 5000))
            << "the second output never pulled";
        second.stop();
        EXPECT_FALSE(second.isStart());
    }
    first.setDelegate(nullptr);
    second.setDelegate(nullptr);
}

TEST(OutputAudioGraph, GraphGoesAwayWhilePlaying)
{
    auto graph = std::make_unique<LMOutputAudioGraph>();
    RefillingSource source(*graph);
    graph->setDelegate(&source);
    ASSERT_TRUE(graph->start());
    ASSERT_TRUE(fixtures::waitUntil([&] { return source.requests.load() > 0; }, 5000));
    // Once the graph is gone its render thread must not ask the delegate for more (the delegate
    // would write into the destroyed graph).
    graph.reset();
    const int requests = source.requests.load();
    ASSERT_TRUE(witnessRendersAFewPeriods());
    EXPECT_EQ(source.requests.load(), requests);
}

} // namespace
