#include "Reelsmith/encode/MuxedFile.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"

#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace Reelsmith {

using detail::ffmpegErrorText;

MuxedFile::~MuxedFile()
{
    if (m_context) {
        if (m_fileOpen)
            avio_closep(&m_context->pb);
        avformat_free_context(m_context);
    }
}

void MuxedFile::fail(const QString &why, int code)
{
    m_lastError = code ? QStringLiteral("%1: %2").arg(why, ffmpegErrorText(code)) : why;
    qCWarning(lcEncode).noquote() << m_path << m_lastError;
}

void MuxedFile::failWrite(const QString &why, int code)
{
    if (m_writeError)
        return;
    m_writeError = true;
    fail(why, code);
}

bool MuxedFile::create()
{
    if (m_context)
        return true;
    const QByteArray path = m_path.toUtf8();
    const char *name = nullptr;
    // Ringtones are MPEG-4 audio files under another extension, which FFmpeg does not know.
    if (QFileInfo(m_path).suffix().toLower() == u"m4r") {
        if (const AVOutputFormat *guessed = av_guess_format(nullptr, "x.m4a", nullptr))
            name = guessed->name;
    }
    const int result = avformat_alloc_output_context2(&m_context, nullptr, name, path.constData());
    if (result < 0 || !m_context) {
        m_context = nullptr;
        fail(QStringLiteral("no muxer for the path"), result);
        return false;
    }
    m_context->max_delay = 700000;
    return true;
}

AVStream *MuxedFile::addCopiedStream(const AVStream *source)
{
    AVStream *stream = m_context ? avformat_new_stream(m_context, nullptr) : nullptr;
    if (!stream) {
        fail(QStringLiteral("cannot add a copied stream"), 0);
        return nullptr;
    }
    avcodec_parameters_copy(stream->codecpar, source->codecpar);
    // The source's tag may mean nothing in this container; the muxer chooses its own.
    stream->codecpar->codec_tag = 0;
    stream->sample_aspect_ratio = source->sample_aspect_ratio;
    stream->r_frame_rate = source->r_frame_rate;
    stream->avg_frame_rate = source->avg_frame_rate;
    stream->time_base = source->time_base;
    return stream;
}

bool MuxedFile::start()
{
    if (!m_context) {
        fail(QStringLiteral("no output was opened"), 0);
        return false;
    }
    if (m_headerWritten)
        return true;
    if (m_context->oformat->flags & AVFMT_NOFILE) {
        fail(QStringLiteral("the muxer writes no file"), 0);
        return false;
    }
    const QByteArray path = m_path.toUtf8();
    int result = avio_open(&m_context->pb, path.constData(), AVIO_FLAG_WRITE);
    if (result < 0) {
        fail(QStringLiteral("cannot open the file"), result);
        return false;
    }
    m_fileOpen = true;
    result = avformat_write_header(m_context, nullptr);
    if (result < 0) {
        failWrite(QStringLiteral("cannot write the header"), result);
        return false;
    }
    m_headerWritten = true;
    return true;
}

void MuxedFile::write(AVPacket *packet, AVStream *stream)
{
    if (!m_headerWritten || !m_context || !packet || !stream)
        return;
    packet->stream_index = stream->index;
    const int result = av_interleaved_write_frame(m_context, packet);
    if (result < 0)
        failWrite(QStringLiteral("cannot write a packet"), result);
}

bool MuxedFile::finish()
{
    if (!m_context)
        return m_headerWritten && !m_writeError;
    if (m_headerWritten) {
        int result = av_interleaved_write_frame(m_context, nullptr);
        if (result < 0)
            failWrite(QStringLiteral("cannot write the last packets"), result);
        result = av_write_trailer(m_context);
        if (result < 0)
            failWrite(QStringLiteral("cannot write the trailer"), result);
    }
    if (m_fileOpen) {
        // Buffered bytes reach the disk only here, so a full disk may show up only now.
        avio_flush(m_context->pb);
        if (m_context->pb->error < 0)
            failWrite(QStringLiteral("cannot write the file"), m_context->pb->error);
        const int result = avio_closep(&m_context->pb);
        if (result < 0)
            failWrite(QStringLiteral("cannot close the file"), result);
        m_fileOpen = false;
    }
    avformat_free_context(m_context);
    m_context = nullptr;
    return m_headerWritten && !m_writeError;
}

} // namespace Reelsmith
