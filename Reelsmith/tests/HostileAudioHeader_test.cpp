// Audio whose header claims an impossible sample rate: the stream is refused when it opens, with
// the rate in the reason, instead of the converter building a filter of gigabytes on first read.

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/audio/LMFFAudioResample.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "testsupport/MediaFixtures.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

using fixtures::MediaFixtures;

namespace {

// A copy of the fixture WAV whose format chunk names another rate (and the matching byte rate).
QString wavClaimingRate(quint32 rate)
{
    const QString source = MediaFixtures::shared().audioOnlyWav();
    QFile in(source);
    if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = in.readAll();
    // RIFF header (12 bytes), "fmt " and its size (8), then format, channels, rate, byte rate.
    constexpr int kRateOffset = 24;
    if (bytes.size() < 44 || bytes.mid(12, 4) != "fmt ")
        return QString();
    const quint16 channels = qFromLittleEndian<quint16>(bytes.constData() + 22);
    qToLittleEndian<quint32>(rate, bytes.data() + kRateOffset);
    qToLittleEndian<quint32>(rate * channels * 2, bytes.data() + kRateOffset + 4);
    const QString path = MediaFixtures::shared().dir() + QStringLiteral("/rate-%1.wav").arg(rate);
    // Written aside and renamed, so that another test process reading the same rate never sees a
    // half-written header.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QString();
    return path;
}

} // namespace

TEST(HostileAudioHeader, ImpossibleRateIsRefusedWhenTheStreamOpens)
{
    struct Row
    {
        quint32 rate;
        bool opens;
    };
    const Row rows[] = {{553656128, false}, {768001, false}, {768000, true}, {8000, true}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.rate);
        const QString path = wavClaimingRate(row.rate);
        ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
        auto media = LMFFMedia::mediaWithSource(LMMediaSource::mediaWithPath(path));
        ASSERT_TRUE(media);
        media->open();
        LMFFMediaStream *stream = nullptr;
        for (const auto &candidate : media->streams())
            if (candidate && candidate->isAudio())
                stream = candidate.get();
        ASSERT_TRUE(stream);
        stream->open();
        EXPECT_EQ(stream->isOpen(), row.opens) << stream->lastError().toStdString();
        if (!row.opens) {
            EXPECT_TRUE(
                stream->lastError().contains(QStringLiteral("sample rate of %1 Hz").arg(row.rate)))
                << stream->lastError().toStdString();
        }
    }
}

// A frame whose own rate is impossible (a stream that changes its rate) reaches the converter,
// which refuses the format rather than building the filter.
TEST(HostileAudioHeader, ConverterRefusesAnImpossibleInputRate)
{
    LMFFAudioResample resample;
    resample.convertFormatTo(LMFFAudioFormat{AV_SAMPLE_FMT_S16,
                                             AV_CH_LAYOUT_STEREO,
                                             LMFFAudioResample::kMaxSampleRate + 1},
                             lm_get_default_audio_format());
    EXPECT_TRUE(resample.lastError().contains(QStringLiteral("cannot convert audio")))
        << resample.lastError().toStdString();
}
