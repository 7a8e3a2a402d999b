#include "Reelsmith/audio/LMFFAudioResample.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/detail/FFmpegHelpers.h"

#include <cstring>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

using Reelsmith::detail::ffmpegErrorText;

namespace {

// The mask of a frame's layout. A layout without a channel order (or with a custom one) stands
// for the default layout of its channel count.
int64_t layoutMaskOfFrame(const AVFrame *frame, int64_t fallback)
{
    const AVChannelLayout &layout = frame->ch_layout;
    if (layout.nb_channels <= 0)
        return fallback;
    if (layout.order == AV_CHANNEL_ORDER_NATIVE && layout.u.mask != 0)
        return int64_t(layout.u.mask);
    return lm_get_default_channel_layout(layout.nb_channels);
}

// The queue's first allocation; it grows as converted audio arrives.
constexpr int kFifoStartFrames = 4096;

bool isUsableFormat(const LMFFAudioFormat &format)
{
    return format.sample_fmt > AV_SAMPLE_FMT_NONE && format.sample_fmt < AV_SAMPLE_FMT_NB
           && format.channel_layout != 0 && format.sample_rate > 0
           && format.sample_rate <= LMFFAudioResample::kMaxSampleRate;
}

// Planes of converted samples, allocated per conversion (this runs on decode queues, never on
// the render thread).
struct SampleBuffer
{
    uint8_t **planes = nullptr;
    ~SampleBuffer()
    {
        if (planes)
            av_freep(&planes[0]);
        av_freep(&planes);
    }
};

} // namespace

LMFFAudioResample::LMFFAudioResample()
    : m_outFormat(lm_get_default_audio_format())
{}

LMFFAudioResample::~LMFFAudioResample()
{
    close();
}

LMFFAudioFormat LMFFAudioResample::outputFormat() const
{
    std::lock_guard guard(m_lock);
    return m_outFormat;
}

LMFFAudioFormat LMFFAudioResample::inputFormat() const
{
    std::lock_guard guard(m_lock);
    return m_inFormat;
}

QString LMFFAudioResample::lastError() const
{
    std::lock_guard guard(m_lock);
    return m_lastError;
}

bool LMFFAudioResample::open()
{
    std::lock_guard guard(m_lock);
    return openLocked();
}

bool LMFFAudioResample::openLocked()
{
    LMFFAudioFormat in = m_inFormat;
    const LMFFAudioFormat out = m_outFormat;
    // A mono stream tagged as one side only is meant for both speakers.
    if (in.channel_layout == AV_CH_FRONT_LEFT || in.channel_layout == AV_CH_FRONT_RIGHT)
        in.channel_layout = AV_CH_FRONT_CENTER;

    freeConverterLocked();
    if (!isUsableFormat(in) || !isUsableFormat(out)) {
        m_lastError = QStringLiteral("cannot convert audio from format %1/%2/%3 to %4/%5/%6")
                          .arg(in.sample_fmt)
                          .arg(in.channel_layout)
                          .arg(in.sample_rate)
                          .arg(out.sample_fmt)
                          .arg(out.channel_layout)
                          .arg(out.sample_rate);
        return false;
    }

    AVChannelLayout inLayout{};
    AVChannelLayout outLayout{};
    av_channel_layout_from_mask(&inLayout, uint64_t(in.channel_layout));
    av_channel_layout_from_mask(&outLayout, uint64_t(out.channel_layout));
    SwrContext *context = nullptr;
    int result = swr_alloc_set_opts2(&context,
                                     &outLayout,
                                     AVSampleFormat(out.sample_fmt),
                                     out.sample_rate,
                                     &inLayout,
                                     AVSampleFormat(in.sample_fmt),
                                     in.sample_rate,
                                     0,
                                     nullptr);
    if (result >= 0)
        result = swr_init(context);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    Reelsmith::detail::SwrContextPtr made(context);
    if (result < 0) {
        m_lastError
            = QStringLiteral("cannot open the audio converter: %1").arg(ffmpegErrorText(result));
        return false;
    }
    m_context = std::move(made);
    if (!ensureFifoLocked()) {
        freeConverterLocked();
        return false;
    }
    return true;
}

bool LMFFAudioResample::ensureFifoLocked()
{
    if (m_fifo && isFFAudioFormatEqual(m_fifoFormat, m_outFormat))
        return true;
    // Samples queued in another output format cannot be read out in this one.
    m_fifo.reset(av_audio_fifo_alloc(AVSampleFormat(m_outFormat.sample_fmt),
                                     lm_get_channel_layout_nb_channels(m_outFormat.channel_layout),
                                     kFifoStartFrames));
    m_fifoFormat = m_outFormat;
    if (!m_fifo) {
        m_lastError = QStringLiteral("cannot allocate the audio queue");
        return false;
    }
    return true;
}

void LMFFAudioResample::freeConverterLocked()
{
    m_context.reset();
}

void LMFFAudioResample::close()
{
    std::lock_guard guard(m_lock);
    freeConverterLocked();
    m_fifo.reset();
}

void LMFFAudioResample::convertFormatTo(const LMFFAudioFormat &in, const LMFFAudioFormat &out)
{
    std::lock_guard guard(m_lock);
    if (m_context && isFFAudioFormatEqual(in, m_inFormat) && isFFAudioFormatEqual(out, m_outFormat))
        return;
    // What the old converter still holds belongs before the new format's first sample.
    if (m_context && isFFAudioFormatEqual(out, m_outFormat))
        drainConverterLocked();
    m_inFormat = in;
    m_outFormat = out;
    openLocked();
}

int LMFFAudioResample::convertIntoFifoLocked(const uint8_t *const *input, int inputFrames)
{
    if (!m_context || !m_fifo)
        return 0;
    const int capacity = swr_get_out_samples(m_context.get(), inputFrames);
    if (capacity <= 0)
        return 0;
    SampleBuffer buffer;
    int linesize = 0;
    const int channels = lm_get_channel_layout_nb_channels(m_outFormat.channel_layout);
    int result = av_samples_alloc_array_and_samples(
        &buffer.planes, &linesize, channels, capacity, AVSampleFormat(m_outFormat.sample_fmt), 0);
    if (result < 0) {
        m_lastError
            = QStringLiteral("cannot allocate converted audio: %1").arg(ffmpegErrorText(result));
        return 0;
    }
    const int converted = swr_convert(
        m_context.get(), buffer.planes, capacity, const_cast<const uint8_t **>(input), inputFrames);
    if (converted < 0) {
        m_lastError = QStringLiteral("audio conversion failed: %1").arg(ffmpegErrorText(converted));
        return 0;
    }
    if (converted > 0
        && av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(buffer.planes), converted)
               < converted) {
        m_lastError = QStringLiteral("cannot queue converted audio");
        return 0;
    }
    return converted;
}

void LMFFAudioResample::drainConverterLocked()
{
    // Each flush call hands out what fits; the converter may hold more than one call gives.
    while (m_context && convertIntoFifoLocked(nullptr, 0) > 0) {
    }
}

void LMFFAudioResample::flushInput()
{
    std::lock_guard guard(m_lock);
    drainConverterLocked();
    // A drained converter starts afresh; the next write opens a new one for the same formats.
    freeConverterLocked();
}

int LMFFAudioResample::convertFrameTo(const AVFrame *in, AVFrame *out)
{
    std::lock_guard guard(m_lock);
    int inputFrames = 0;
    if (in && in->nb_samples > 0 && in->data[0]) {
        const LMFFAudioFormat format{
            in->format, layoutMaskOfFrame(in, m_inFormat.channel_layout), in->sample_rate};
        if (!isFFAudioFormatEqual(format, m_inFormat))
            convertFormatTo(format, m_outFormat);
        inputFrames = in->nb_samples;
    }
    const int outputFrames = (out && out->data[0]) ? out->nb_samples : 0;

    if (inputFrames > 0 && !m_context)
        openLocked();
    if (inputFrames > 0 && m_context) {
        const uint8_t *const *planes = in->extended_data ? in->extended_data : in->data;
        convertIntoFifoLocked(planes, inputFrames);
    }

    int read = 0;
    if (outputFrames > 0 && m_fifo) {
        uint8_t **planes = out->extended_data ? out->extended_data : out->data;
        read = av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(planes), outputFrames);
        if (read < 0) {
            m_lastError = QStringLiteral("cannot read queued audio: %1").arg(ffmpegErrorText(read));
            read = 0;
        }
    }
    if (out)
        out->nb_samples = read;
    return read;
}

void LMFFAudioResample::writeFrame(const AVFrame *frame)
{
    convertFrameTo(frame, nullptr);
}

void LMFFAudioResample::writeSampleFrame(const uint8_t *data, int frames)
{
    if (!data || frames <= 0)
        return;
    std::lock_guard guard(m_lock);
    const LMFFAudioFormat format = m_inFormat;
    if (!isUsableFormat(format))
        return;
    // The planes point into the caller's bytes; only the frame itself is ours.
    const Reelsmith::detail::BorrowedFramePtr frame = Reelsmith::detail::makeBorrowedFrame();
    if (!frame)
        return;
    frame->nb_samples = frames;
    frame->format = format.sample_fmt;
    frame->sample_rate = format.sample_rate;
    av_channel_layout_from_mask(&frame->ch_layout, uint64_t(format.channel_layout));
    const int channels = lm_get_channel_layout_nb_channels(format.channel_layout);
    if (av_samples_fill_arrays(frame->data,
                               frame->linesize,
                               data,
                               channels,
                               frames,
                               AVSampleFormat(format.sample_fmt),
                               1)
        >= 0) {
        frame->extended_data = frame->data;
        convertFrameTo(frame.get(), nullptr);
    }
}

int LMFFAudioResample::readIntoBufferLocked(uint8_t *buffer, int frames)
{
    // The plane is the caller's buffer; only the frame itself is ours.
    const Reelsmith::detail::BorrowedFramePtr frame = Reelsmith::detail::makeBorrowedFrame();
    if (!frame)
        return 0;
    frame->data[0] = buffer;
    frame->extended_data = frame->data;
    frame->nb_samples = frames;
    return convertFrameTo(nullptr, frame.get());
}

bool LMFFAudioResample::readSampleFrame(uint8_t *buffer, int frames)
{
    if (!buffer || frames <= 0)
        return false;
    std::lock_guard guard(m_lock);
    return readIntoBufferLocked(buffer, frames) == frames;
}

int LMFFAudioResample::readSampleFrameFillSilence(uint8_t *buffer, int frames)
{
    if (!buffer || frames <= 0)
        return 0;
    std::lock_guard guard(m_lock);
    const int read = readIntoBufferLocked(buffer, frames);

    const int channels = lm_get_channel_layout_nb_channels(m_outFormat.channel_layout);
    const int bytesPerFrame
        = av_get_bytes_per_sample(AVSampleFormat(m_outFormat.sample_fmt)) * channels;
    if (read < frames && bytesPerFrame > 0) {
        uint8_t *rest[1] = {buffer + size_t(read) * size_t(bytesPerFrame)};
        av_samples_set_silence(
            rest, 0, frames - read, channels, AVSampleFormat(m_outFormat.sample_fmt));
    }
    return read;
}

int LMFFAudioResample::outputSamples() const
{
    std::lock_guard guard(m_lock);
    return m_fifo ? av_audio_fifo_size(m_fifo.get()) : 0;
}
