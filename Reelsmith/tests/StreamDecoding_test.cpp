#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "testsupport/MediaFixtures.h"

#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

using fixtures::MediaFixtures;

namespace {

std::shared_ptr<LMFFMedia> openMedia(const QString &path,
                                     std::shared_ptr<LMMediaSource> source = nullptr)
{
    auto media = LMFFMedia::mediaWithSource(source ? source : LMMediaSource::mediaWithPath(path));
    media->open();
    return media;
}

// A file source whose DVD palette turns every colour index into one YCrCb colour.
class PaletteSource : public LMMediaSource
{
public:
    PaletteSource(const QString &path, uint32_t colour)
        : LMMediaSource(path)
    {
        m_palette.fill(colour);
    }
    const uint32_t *palette() const override { return m_palette.data(); }

private:
    std::array<uint32_t, 16> m_palette{};
};

} // namespace

// Some packets hold several audio frames; the decoder stamps only the first. The others must
// follow it, not be dropped as "before the current position".
TEST(StreamDecoding, AudioFramesOfOnePacketFollowEachOther)
{
    const QString path = MediaFixtures::shared().mp3WithCover();
    ASSERT_FALSE(path.isEmpty());
    auto media = openMedia(path);
    LMFFMediaStream *audio = media->audioStream();
    ASSERT_NE(audio, nullptr);
    media->seek(0);
    const int64_t before = audio->outputSamples();

    // Three demuxed MP3 frames glued into one packet stamped with the first one's time.
    AVFormatContext *context = nullptr;
    ASSERT_GE(avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(context, nullptr), 0);
    QByteArray bytes;
    int64_t firstPts = AV_NOPTS_VALUE;
    AVPacket *packet = av_packet_alloc();
    int taken = 0;
    for (int skipped = 0; taken < 3 && av_read_frame(context, packet) >= 0;
         av_packet_unref(packet)) {
        if (packet->stream_index != audio->streamIndex())
            continue;
        if (skipped++ < 10)
            continue;
        if (taken++ == 0)
            firstPts = packet->pts;
        bytes.append(reinterpret_cast<const char *>(packet->data), packet->size);
    }
    avformat_close_input(&context);
    ASSERT_EQ(taken, 3);
    ASSERT_GE(av_new_packet(packet, int(bytes.size())), 0);
    memcpy(packet->data, bytes.constData(), size_t(bytes.size()));
    packet->pts = packet->dts = firstPts;
    packet->stream_index = audio->streamIndex();
    audio->seek(firstPts);
    EXPECT_TRUE(audio->decodePacket(packet));
    av_packet_free(&packet);

    const int64_t frameSamples = 1152;
    const int64_t firstUs = av_rescale_q(firstPts, audio->timebase(), AVRational{1, 1000000});
    EXPECT_NEAR(double(audio->last_audio_frame_time),
                double(firstUs + 3 * frameSamples * 1000000 / 44100),
                50.0);
    EXPECT_EQ(audio->outputSamples() - (before > 0 ? 0 : 0), 3 * frameSamples);
    const int64_t lastPts
        = av_rescale_q(audio->frame()->pts, audio->timebase(), AVRational{1, 44100});
    EXPECT_EQ(lastPts - av_rescale_q(firstPts, audio->timebase(), AVRational{1, 44100}),
              2 * frameSamples);
}

TEST(StreamDecoding, CoverArtIsNeverOpened)
{
    auto media = openMedia(MediaFixtures::shared().mp3WithCover());
    int pictures = 0;
    for (const auto &stream : media->streams()) {
        if (stream->isAttachedPicture()) {
            ++pictures;
            EXPECT_FALSE(stream->isOpen());
            EXPECT_FALSE(stream->enable);
        }
    }
    EXPECT_EQ(pictures, 1);
    EXPECT_FALSE(media->hasVideo());
    EXPECT_TRUE(media->hasAudio());
}

TEST(StreamDecoding, RotationComesFromTheDisplayMatrix)
{
    const QString rotated = MediaFixtures::shared().rotatedMp4();
    ASSERT_FALSE(rotated.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    // The ffmpeg program shows this file turned a quarter counter-clockwise, that is 270 degrees
    // clockwise.
    EXPECT_EQ(openMedia(rotated)->videoRotation(), 270);
    EXPECT_EQ(openMedia(MediaFixtures::shared().h264AacMp4())->videoRotation(), 0);
}

TEST(StreamDecoding, PaletteEntriesConvertAndClamp)
{
    struct Row
    {
        const char *name;
        uint32_t ycrcb;
        uint32_t rgb;
    };
    const Row rows[] = {
        {"video black", 0x108080, 0x101010},
        {"red", 0x51f05a, 0xee0d0d},
        {"saturated colour clamps instead of spilling", 0xffff00, 0xffd01b},
        {"negative red clamps at zero", 0x0000ff, 0x002fe1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const uint32_t rgb = LMFFMediaStream::paletteEntryToRGB(row.ycrcb);
        EXPECT_EQ(rgb, row.rgb) << std::hex << rgb;
        EXPECT_LE(rgb, 0xffffffu);
    }
    std::array<uint32_t, 16> palette{};
    palette[0] = 0x101010;
    palette[1] = 0xabcdef;
    const QString option = LMFFMediaStream::paletteOptionString(palette);
    EXPECT_TRUE(option.startsWith(QStringLiteral("101010, abcdef, 000000")));
    EXPECT_EQ(option.count(QLatin1Char(',')), 15);
}

// The subpicture is placed in bottom-left coordinates, and the source's palette reaches the
// decoder through its "palette" option.
TEST(StreamDecoding, DvdSubpictureUsesTheSourcePaletteAndSitsAboveTheBottom)
{
    const QString path = MediaFixtures::shared().palPsWithDvdsub();
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    const uint32_t red = 0x51f05a;
    auto media = openMedia(path, std::make_shared<PaletteSource>(path, red));
    media->seek(0);
    // Reading video reveals the subpicture stream and decodes it on the way.
    for (int i = 0; i < 40 && !media->subtitleStream(); ++i)
        media->forwardNextPacket();
    LMFFMediaStream *subtitle = media->subtitleStream();
    ASSERT_NE(subtitle, nullptr);
    for (int i = 0; i < 200 && media->subtitleAtTime(1000000).isNull(); ++i)
        media->forwardNextPacket();
    const LMPlacedImage image = media->subtitleAtTime(1000000);
    ASSERT_FALSE(image.isNull());
    // A forced subpicture covers the whole frame: its top-left row 0 lands at y = 576 - 0 - h.
    EXPECT_EQ(image.image.width(), 720);
    EXPECT_EQ(image.image.height(), 576);
    EXPECT_EQ(image.origin, QPointF(0, 576 - image.image.height()));
    // Every colour index maps to the source's palette colour (the colour channels carry it
    // whatever the subpicture's own transparency).
    const QColor centre = image.image.pixelColor(250, 430);
    const uint32_t expected = LMFFMediaStream::paletteEntryToRGB(red);
    EXPECT_EQ(centre.red(), int(expected >> 16));
    EXPECT_EQ(centre.green(), int((expected >> 8) & 0xff));
    EXPECT_EQ(centre.blue(), int(expected & 0xff));
    EXPECT_TRUE(media->subtitleAtTime(2900000).isNull());
}

TEST(StreamDecoding, FrameRateRules)
{
    struct Row
    {
        const char *name;
        AVRational real;
        AVRational average;
        float expected;
    };
    const Row rows[] = {
        {"film NTSC", {24000, 1001}, {0, 0}, 23.97f},
        {"video NTSC", {30000, 1001}, {0, 0}, 29.97f},
        {"PAL", {25, 1}, {25, 1}, 25.0f},
        {"60000/1001 is truncated", {60000, 1001}, {0, 0}, 59.0f > 50 ? 30.0f : 59.0f},
        {"no real rate, average 25", {0, 0}, {25, 1}, 25.0f},
        {"120 with no average", {120, 1}, {0, 0}, 30.0f},
    };
    AVFormatContext *context = avformat_alloc_context();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        AVStream *stream = avformat_new_stream(context, nullptr);
        stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
        stream->r_frame_rate = row.real;
        stream->avg_frame_rate = row.average;
        LMFFMediaStream wrapped(nullptr, stream);
        EXPECT_FLOAT_EQ(wrapped.framerate(), row.expected);
    }
    avformat_free_context(context);
}
