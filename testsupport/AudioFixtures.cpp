#include "testsupport/AudioFixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace fixtures {

bool decodeAudioFile(const QString &path,
                     const std::function<void(const AVFrame *)> &frame,
                     QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return fail(QStringLiteral("cannot open %1").arg(path));
    bool ok = false;
    AVCodecContext *codec = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *decoded = av_frame_alloc();
    do {
        if (avformat_find_stream_info(format, nullptr) < 0) {
            fail(QStringLiteral("no stream info in %1").arg(path));
            break;
        }
        const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (index < 0) {
            fail(QStringLiteral("no audio in %1").arg(path));
            break;
        }
        AVStream *stream = format->streams[index];
        const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
        codec = avcodec_alloc_context3(decoder);
        if (!decoder || !codec || avcodec_parameters_to_context(codec, stream->codecpar) < 0) {
            fail(QStringLiteral("no decoder for %1").arg(path));
            break;
        }
        codec->pkt_timebase = stream->time_base;
        if (avcodec_open2(codec, decoder, nullptr) < 0) {
            fail(QStringLiteral("cannot open the decoder for %1").arg(path));
            break;
        }
        auto receiveAll = [&] {
            while (avcodec_receive_frame(codec, decoded) >= 0) {
                frame(decoded);
                av_frame_unref(decoded);
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0)
                receiveAll();
            av_packet_unref(packet);
        }
        avcodec_send_packet(codec, nullptr);
        receiveAll();
        ok = true;
    } while (false);
    av_frame_free(&decoded);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return ok;
}

} // namespace fixtures
