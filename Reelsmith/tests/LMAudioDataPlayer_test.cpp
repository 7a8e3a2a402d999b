#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "Reelsmith/player/LMAudioDataPlayer.h"
#include "Reelsmith/player/LMAudioDataPlayerSource.h"
#include "testsupport/WaitUntil.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kPeriod = LMAudioGraph::kPeriodFrames;

// A source that plays one value on both channels and counts its calls (from the render thread).
class ConstantSource : public LMAudioDataPlayerSource
{
public:
    explicit ConstantSource(float value)
        : m_value(value)
    {}
    void audioPlayerReadSampleFrame(LMAudioDataPlayer *player, float *buffer, int frames) override
    {
        lastPlayer.store(player);
        std::fill(buffer, buffer + size_t(frames) * 2, m_value);
        framesRead.fetch_add(frames);
        calls.fetch_add(1);
    }
    std::atomic<int> calls{0};
    std::atomic<int64_t> framesRead{0};
    std::atomic<LMAudioDataPlayer *> lastPlayer{nullptr};

private:
    const float m_value;
};

// One render period as the output's render thread runs it; garbage first, so that silence has to
// be written.
std::vector<float> renderPeriod(LMAudioDataPlayer &mixer)
{
    std::vector<float> out(size_t(kPeriod) * 2, 123.0f);
    mixer.audioOutputGraph()->renderCycle(reinterpret_cast<uint8_t *>(out.data()), kPeriod);
    return out;
}

struct MixCase
{
    const char *name;
    std::vector<float> sources;
    float expected;
};

TEST(AudioDataPlayer, PlaysTheSumOfItsSourcesAndSilenceWithoutAny)
{
    const MixCase cases[] = {
        {"no source gives silence", {}, 0.0f},
        {"one source as it is", {0.25f}, 0.25f},
        {"two sources are added", {0.25f, 0.5f}, 0.75f},
        {"three sources, no clipping", {0.25f, 0.5f, 0.5f}, 1.25f},
        {"a negative source cancels", {0.5f, -0.5f}, 0.0f},
    };
    for (const MixCase &row : cases) {
        SCOPED_TRACE(row.name);
        LMAudioDataPlayer mixer;
        std::vector<std::shared_ptr<ConstantSource>> sources;
        for (float value : row.sources) {
            sources.push_back(std::make_shared<ConstantSource>(value));
            mixer.attachAudioSource(sources.back());
        }
        // Several periods, so that a second refill is mixed as the first.
        for (int period = 0; period < 6; ++period) {
            const std::vector<float> out = renderPeriod(mixer);
            ASSERT_TRUE(
                std::all_of(out.begin(), out.end(), [&](float v) { return v == row.expected; }))
                << "period " << period << " first sample " << out[0];
        }
        for (const auto &source : sources) {
            EXPECT_EQ(source->lastPlayer.load(), &mixer);
            EXPECT_EQ(source->framesRead.load() % LMAudioDataPlayer::kRefillFrames, 0)
                << "sources are read in whole refills";
        }
    }
}

TEST(AudioDataPlayer, AddsARefillOnlyWhileTheOutputHoldsFewerThan2048Frames)
{
    LMAudioDataPlayer mixer;
    auto source = std::make_shared<ConstantSource>(0.5f);
    mixer.attachAudioSource(source);
    LMOutputAudioGraph *graph = mixer.audioOutputGraph();

    mixer.decodeMoreAudioDataToAudioOutput();
    EXPECT_EQ(graph->bufferFrames(), 2048);
    mixer.decodeMoreAudioDataToAudioOutput();
    EXPECT_EQ(graph->bufferFrames(), 2048) << "2048 frames held: nothing added";
    EXPECT_EQ(source->calls.load(), 1);

    float frame[2];
    ASSERT_EQ(graph->dataBuffer().readBytesLength(frame, sizeof frame), sizeof frame);
    EXPECT_EQ(graph->bufferFrames(), 2047);
    mixer.decodeMoreAudioDataToAudioOutput();
    EXPECT_EQ(graph->bufferFrames(), 2047 + 2048);
    EXPECT_EQ(source->calls.load(), 2);
}

TEST(AudioDataPlayer, AttachesASourceOnceAndNeverANullOne)
{
    LMAudioDataPlayer mixer;
    auto a = std::make_shared<ConstantSource>(0.25f);
    auto b = std::make_shared<ConstantSource>(0.5f);
    mixer.attachAudioSource(nullptr);
    mixer.attachAudioSource(a);
    mixer.attachAudioSource(b);
    mixer.attachAudioSource(a);
    const std::vector<LMAudioDataPlayer::Source> expected{a, b};
    EXPECT_EQ(mixer.audioSources(), expected);

    mixer.removeAudioSource(a);
    mixer.removeAudioSource(a); // not attached any more: nothing
    EXPECT_EQ(mixer.audioSources(), std::vector<LMAudioDataPlayer::Source>{b});
    const std::vector<float> out = renderPeriod(mixer);
    EXPECT_EQ(out.front(), 0.5f);
    EXPECT_EQ(a->calls.load(), 0);
}

TEST(AudioDataPlayer, PlaysOnTheRenderThreadWhileSourcesComeAndGo)
{
    LMAudioDataPlayer mixer;
    mixer.play();
    ASSERT_TRUE(mixer.isPlay()) << mixer.audioOutputGraph()->lastError().toStdString();

    // Attached while playing: the render thread starts reading it.
    auto first = std::make_shared<ConstantSource>(0.25f);
    auto second = std::make_shared<ConstantSource>(0.5f);
    mixer.attachAudioSource(first);
    mixer.attachAudioSource(second);
    fixtures::waitUntil([&] { return first->calls.load() >= 3 && second->calls.load() >= 3; });
    EXPECT_GE(first->calls.load(), 3);
    EXPECT_GE(second->calls.load(), 3);

    // Once removed, a source is not called again, though the output keeps running.
    mixer.removeAudioSource(first);
    const int callsAtRemoval = first->calls.load();
    const int64_t rendered = mixer.audioOutputGraph()->renderedFrames();
    fixtures::waitUntil(
        [&] { return mixer.audioOutputGraph()->renderedFrames() >= rendered + 3 * 2048; });
    EXPECT_EQ(first->calls.load(), callsAtRemoval);
    EXPECT_GT(second->calls.load(), 3);

    // Free only when no source is left.
    mixer.pauseIfFree();
    EXPECT_TRUE(mixer.isPlay());
    mixer.removeAudioSource(second);
    mixer.pauseIfFree();
    EXPECT_FALSE(mixer.isPlay());
}

TEST(AudioDataPlayer, AMixerGoingAwayWhilePlayingStopsCallingItsSources)
{
    auto source = std::make_shared<ConstantSource>(0.5f);
    {
        LMAudioDataPlayer mixer;
        mixer.attachAudioSource(source);
        mixer.play();
        ASSERT_TRUE(mixer.isPlay());
        ASSERT_TRUE(fixtures::waitUntil([&] { return source->calls.load() >= 2; }));
    }
    const int calls = source->calls.load();
    {
        // Another mixer plays a few periods in real time: the stretch in which the one that went
        // would have called its source again, had its output kept running.
        LMAudioDataPlayer witness;
        auto witnessSource = std::make_shared<ConstantSource>(0.25f);
        witness.attachAudioSource(witnessSource);
        witness.play();
        ASSERT_TRUE(witness.isPlay());
        ASSERT_TRUE(fixtures::waitUntil([&] { return witnessSource->calls.load() >= 4; }));
        witness.removeAudioSource(witnessSource);
    }
    EXPECT_EQ(source->calls.load(), calls);
    EXPECT_EQ(source.use_count(), 1) << "the mixer let go of its source";
}

TEST(AudioDataPlayer, TheSharedMixerIsOneForTheProcess)
{
    LMAudioDataPlayer &shared = LMAudioDataPlayer::share();
    EXPECT_EQ(&shared, &LMAudioDataPlayer::share());
    EXPECT_TRUE(shared.audioSources().empty());
    EXPECT_EQ(shared.frames_played(), 0);
}

} // namespace
