#include "Reelsmith/encode/LMFFMovieStreamOutput.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "support/MediaFixtures.h"
#include "support/ProbeFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using namespace fixtures;

namespace {

int packetCount(const QString &path, const QString &stream)
{
    return ffprobeJson(path, {"-select_streams", stream, "-show_packets"})
        .value("packets")
        .toArray()
        .size();
}

// Copies every stream of source into path; dropDts(index, packet number) unsets a packet's dts.
bool remux(const QString &source,
           const QString &path,
           const std::function<bool(int, int)> &dropDts = {})
{
    auto input = LMMediaSource::mediaWithPath(source);
    input->open();
    if (!input->isOpen())
        return false;
    AVFormatContext *context = input->formatContext();
    auto output = LMFFMovieStreamOutput::outputWithPath(path);
    std::vector<std::shared_ptr<LMFFMovieStream>> streams;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        streams.push_back(output->copyOutputStream(context->streams[i]));
    if (!output->startOutput())
        return false;
    std::vector<int> counts(context->nb_streams, 0);
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(context, packet) >= 0) {
        const int index = packet->stream_index;
        if (dropDts && dropDts(index, counts[index]))
            packet->dts = AV_NOPTS_VALUE;
        ++counts[index];
        auto image = LMFFImage::imageWithPacket(packet);
        image->time_base = context->streams[index]->time_base;
        output->writeRawPacket(*image, *streams[index]);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return output->stopOutput();
}

TEST(MovieStreamOutput, EachStreamKeepsItsOwnCounter)
{
    QTemporaryDir dir;
    const QString source = MediaFixtures::shared().twoAudioMka();
    ASSERT_FALSE(source.isEmpty());
    const QString path = dir.filePath("two.mka");
    ASSERT_TRUE(remux(source, path));
    EXPECT_EQ(packetCount(path, "a:0"), packetCount(source, "a:0"));
    EXPECT_EQ(packetCount(path, "a:1"), packetCount(source, "a:1"));
}

TEST(MovieStreamOutput, AudioPacketWithoutDtsIsNotWritten)
{
    QTemporaryDir dir;
    const QString source = MediaFixtures::shared().twoAudioMka();
    const QString path = dir.filePath("dropped.mka");
    ASSERT_TRUE(
        remux(source, path, [](int index, int number) { return index == 1 && number == 5; }));
    EXPECT_EQ(packetCount(path, "a:0"), packetCount(source, "a:0"));
    EXPECT_EQ(packetCount(path, "a:1"), packetCount(source, "a:1") - 1);
}

TEST(MovieStreamOutput, FirstVideoPacketStartsAtZeroAndDtsRises)
{
    QTemporaryDir dir;
    const QString source = MediaFixtures::shared().h264AacMp4(2);
    const QString path = dir.filePath("copy.mp4");
    ASSERT_TRUE(remux(source, path));
    const QJsonArray packets
        = ffprobeJson(path, {"-select_streams", "v:0", "-show_packets"}).value("packets").toArray();
    ASSERT_EQ(packets.size(), packetCount(source, "v:0"));
    EXPECT_EQ(packets.first().toObject().value("pts").toInt(), 0);
    EXPECT_EQ(packets.first().toObject().value("dts").toInt(), 0);
    for (int i = 1; i < packets.size(); ++i)
        EXPECT_GT(packets[i].toObject().value("dts").toInt(),
                  packets[i - 1].toObject().value("dts").toInt());
    EXPECT_EQ(packetCount(path, "a:0"), packetCount(source, "a:0"));
}

TEST(MovieStreamOutput, UnusablePathsFail)
{
    QTemporaryDir dir;
    auto noMuxer = LMFFMovieStreamOutput::outputWithPath(dir.filePath("x.nosuchformat"));
    EXPECT_FALSE(noMuxer->createMovieOutput());
    EXPECT_FALSE(noMuxer->startOutput());
    EXPECT_FALSE(noMuxer->stopOutput());
    EXPECT_FALSE(remux(MediaFixtures::shared().twoAudioMka(), dir.filePath("missing/two.mka")));
}

} // namespace
