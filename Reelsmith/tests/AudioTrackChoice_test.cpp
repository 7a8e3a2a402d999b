// Which audio tracks a clip starts on: tracks in different languages are alternatives and only one
// of them plays (mixing them played two languages at once); tracks without languages keep being
// mixed; a choice made by the person always wins.

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "testsupport/FfmpegProgram.h"
#include "testsupport/MediaFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using fixtures::MediaFixtures;

namespace {

std::shared_ptr<LMFFMedia> openMedia(const QString &path)
{
    auto media = LMFFMedia::mediaWithSource(LMMediaSource::mediaWithPath(path));
    media->open();
    return media;
}

QList<int> enabledAudioIndexes(const LMFFMedia &media)
{
    QList<int> indexes;
    for (LMFFMediaStream *stream : media.audios())
        indexes.append(stream->streamIndex());
    return indexes;
}

// The two-language clip with its audio marks rewritten (streams copied).
QString remarked(const QDir &dir, const QString &name, const QStringList &marks)
{
    const QString path = dir.filePath(name + ".mkv");
    QString error;
    EXPECT_TRUE(fixtures::runFfmpeg(
        QStringList{"-i", MediaFixtures::shared().twoLanguageMkv(), "-map", "0", "-c", "copy"}
            + marks + QStringList{path},
        path,
        &error))
        << qPrintable(error);
    return path;
}

// What is left of the first channel of interleaved stereo samples at rate once the 1 kHz tone is
// taken out (a least-squares fit of one sine and cosine), as a root mean square.
double soundBesideTheTone(const std::vector<float> &stereo, int rate)
{
    const size_t frames = stereo.size() / 2;
    const double w = 2.0 * M_PI * 1000.0 / rate;
    double a = 0, b = 0;
    for (size_t n = 0; n < frames; ++n) {
        a += stereo[2 * n] * std::sin(w * double(n));
        b += stereo[2 * n] * std::cos(w * double(n));
    }
    a *= 2.0 / double(frames);
    b *= 2.0 / double(frames);
    double sum = 0;
    for (size_t n = 0; n < frames; ++n) {
        const double rest
            = stereo[2 * n] - a * std::sin(w * double(n)) - b * std::cos(w * double(n));
        sum += rest * rest;
    }
    return std::sqrt(sum / double(frames));
}

} // namespace

TEST(AudioTrackChoice, AlternativesStartOnOneTrackAndPartsOfOneSoundMix)
{
    ASSERT_FALSE(MediaFixtures::shared().twoLanguageMkv().isEmpty())
        << qPrintable(MediaFixtures::shared().lastError());
    QTemporaryDir work;
    const QDir dir(work.path());
    struct Row
    {
        const char *name;
        QString path;
        LMIndexSet selectAudios;
        QList<int> enabled; // container indexes
    };
    const Row rows[] = {
        {"English marked default, German", MediaFixtures::shared().twoLanguageMkv(), {}, {1}},
        {"German marked default",
         remarked(dir, "german_default", {"-disposition:a:0", "0", "-disposition:a:1", "default"}),
         {},
         {2}},
        {"two languages, neither marked: the first",
         remarked(dir, "no_default", {"-disposition:a:0", "0", "-disposition:a:1", "0"}),
         {},
         {1}},
        {"one language, one marked default",
         remarked(dir, "both_english", {"-metadata:s:a:1", "language=eng"}),
         {},
         {1}},
        {"two languages, both marked default: the first marked",
         remarked(
             dir, "both_default", {"-disposition:a:0", "default", "-disposition:a:1", "default"}),
         {},
         {1}},
        {"no languages: every track mixed", MediaFixtures::shared().twoAudioMka(), {}, {0, 1}},
        {"the person chose every track",
         MediaFixtures::shared().twoLanguageMkv(),
         QSet<int>{0, 1},
         {1, 2}},
        {"the person chose the German track",
         MediaFixtures::shared().twoLanguageMkv(),
         QSet<int>{1},
         {2}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto media = openMedia(row.path);
        ASSERT_TRUE(media->isOpen());
        if (row.selectAudios) {
            media->selectAudios = row.selectAudios;
            media->updateSelectStreams();
        }
        EXPECT_EQ(enabledAudioIndexes(*media), row.enabled);
        // Handing the choice back returns the clip to where it starts.
        if (row.selectAudios) {
            media->selectAudios = std::nullopt;
            media->updateSelectStreams();
            EXPECT_EQ(enabledAudioIndexes(*media), QList<int>{1});
        }
    }
}

namespace {

// One second of sound beside the tone, read the way a movie reads its audio media (the audio
// streams apart from the video).
double noiseOfOneSecond(const LMIndexSet &selectAudios)
{
    auto media = LMFFMedia::mediaWithSource(
        LMMediaSource::mediaWithPath(MediaFixtures::shared().twoLanguageMkv()), QSet<int>{1, 2});
    media->selectAudios = selectAudios;
    media->open();
    media->seek(1000000);
    const int rate = lm_get_default_audio_format().sample_rate;
    std::vector<float> samples(size_t(rate) * 2, 0.0f);
    EXPECT_TRUE(media->readSampleNbStreamFrame(samples.data(), 0, rate));
    return soundBesideTheTone(samples, rate);
}

} // namespace

TEST(AudioTrackChoice, TheSoundOfATwoLanguageClipIsTheToneAlone)
{
    // The English track is a pure tone; the German pink noise under it is what a mix adds.
    EXPECT_LT(noiseOfOneSecond(QSet<int>{0}), 0.005);
    EXPECT_GT(noiseOfOneSecond(QSet<int>{0, 1}), 0.02);
    EXPECT_LT(noiseOfOneSecond(std::nullopt), 0.005);
}
