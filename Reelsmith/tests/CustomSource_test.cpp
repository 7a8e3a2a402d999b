#include "Reelsmith/custom/LMCustomSource.h"
#include "Reelsmith/custom/LMWavSource.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace {

// Samples that tell where they are: sample i (counted over both channels) holds the value i.
class RampWavSource : public LMWavSource
{
public:
    using LMWavSource::readData;
    int64_t readData(uint8_t *buffer, int64_t offset, int64_t size) override
    {
        offsets.push_back(offset);
        for (int64_t i = 0; i < size; ++i) {
            const int64_t byte = offset + i;
            const float value = float(byte / 4);
            buffer[i] = reinterpret_cast<const uint8_t *>(&value)[byte % 4];
        }
        return size;
    }
    std::vector<int64_t> offsets;
};

} // namespace

TEST(CustomSource, WavHeaderDescribesThreeHoursOfFloatStereo)
{
    const QByteArray h = LMWavSource::header();
    ASSERT_EQ(h.size(), 56);
    EXPECT_EQ(h.mid(0, 4), "RIFF");
    EXPECT_EQ(h.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(qFromLittleEndian<quint32>(h.constData() + 16), 16u);
    EXPECT_EQ(qFromLittleEndian<quint16>(h.constData() + 20), 3u);
    EXPECT_EQ(qFromLittleEndian<quint16>(h.constData() + 22), 2u);
    EXPECT_EQ(qFromLittleEndian<quint32>(h.constData() + 24), 44100u);
    EXPECT_EQ(qFromLittleEndian<quint32>(h.constData() + 28), 352800u);
    EXPECT_EQ(qFromLittleEndian<quint16>(h.constData() + 32), 8u);
    EXPECT_EQ(qFromLittleEndian<quint16>(h.constData() + 34), 32u);
    EXPECT_EQ(h.mid(36, 4), "fact");
    EXPECT_EQ(qFromLittleEndian<quint32>(h.constData() + 40), 4u);
    EXPECT_EQ(h.mid(48, 4), "data");
    EXPECT_EQ(qFromLittleEndian<quint32>(h.constData() + 52), 3810240000u);
}

TEST(CustomSource, ReadsHeaderThenSilence)
{
    struct Row
    {
        const char *name;
        int64_t at;
        int size;
        int headerBytes;
        int expect;
    };
    const Row rows[] = {
        {"100 at 0", 0, 100, 56, 100},
        {"10 at 50", 50, 10, 6, 10},
        {"inside the data", 1000, 64, 0, 64},
        {"across the end", 3810240056LL - 8, 64, 0, 8},
    };
    const QByteArray header = LMWavSource::header();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LMWavSource source;
        std::vector<uint8_t> buffer(row.size, 0xee);
        ASSERT_EQ(source.seekTo(row.at, SEEK_SET), row.at);
        ASSERT_EQ(source.readPacket(buffer.data(), row.size), row.expect);
        EXPECT_EQ(source.read_offset(), row.at + row.expect);
        for (int i = 0; i < row.expect; ++i) {
            const uint8_t want = i < row.headerBytes ? uint8_t(header[int(row.at) + i]) : 0;
            ASSERT_EQ(buffer[i], want) << "byte " << i;
        }
    }
}

TEST(CustomSource, SeekAndEnd)
{
    LMWavSource source;
    EXPECT_EQ(source.seekTo(0, AVSEEK_SIZE), 3810240056LL);
    EXPECT_EQ(source.read_offset(), 0);
    EXPECT_EQ(source.seekTo(0, SEEK_END), 3810240056LL);
    uint8_t byte = 0;
    EXPECT_EQ(source.readPacket(&byte, 1), AVERROR_EOF);
    EXPECT_EQ(source.seekTo(-10, SEEK_CUR), 3810240046LL);
    EXPECT_EQ(source.seekTo(-100, SEEK_SET), -100);
    EXPECT_EQ(source.readPacket(&byte, 1), AVERROR_EOF);
    EXPECT_EQ(source.seekTo(0, 7), AVERROR(ENOSYS));
}

// Subclasses get offsets within the data chunk: consecutive reads continue the samples.
TEST(CustomSource, SubclassSamplesFollowEachOtherAcrossReads)
{
    RampWavSource source;
    std::vector<uint8_t> buffer(4096);
    ASSERT_EQ(source.readPacket(buffer.data(), 100), 100);
    ASSERT_EQ(source.readPacket(buffer.data(), 4096), 4096);
    ASSERT_EQ(source.offsets.size(), 2u);
    EXPECT_EQ(source.offsets[0], 0);
    EXPECT_EQ(source.offsets[1], 44);
    float first = 0;
    memcpy(&first, buffer.data() + 4, 4); // bytes 48..51 of the data chunk
    EXPECT_EQ(first, 12.0f);
}

TEST(CustomSource, OpensAsThreeHoursOfFloatStereo)
{
    auto source = std::make_shared<LMWavSource>();
    source->open();
    ASSERT_TRUE(source->isOpen()) << source->lastError().toStdString();
    const AVCodecParameters *audio = source->formatContext()->streams[0]->codecpar;
    EXPECT_EQ(audio->codec_id, AV_CODEC_ID_PCM_F32LE);
    EXPECT_EQ(audio->sample_rate, 44100);
    EXPECT_EQ(audio->ch_layout.nb_channels, 2);
    EXPECT_NEAR(source->duration() / 1e6, 10800.0, 0.01);

    const QList<std::shared_ptr<LMFFMedia>> medias = source->createMedias();
    ASSERT_EQ(medias.size(), 1);
    std::vector<float> samples(1024 * 2, 1.0f);
    EXPECT_TRUE(medias[0]->readSampleFrame(samples.data(), 1024));
    for (float sample : samples)
        ASSERT_EQ(sample, 1.0f); // silence added to what was there
}

TEST(CustomSource, BaseSourceIsEmpty)
{
    auto source = std::make_shared<LMCustomSource>(QStringLiteral("empty.wav"));
    EXPECT_EQ(source->seekTo(0, AVSEEK_SIZE), 0);
    uint8_t byte = 0;
    EXPECT_EQ(source->readPacket(&byte, 1), AVERROR_EOF);
    source->open();
    EXPECT_FALSE(source->isOpen());
}
