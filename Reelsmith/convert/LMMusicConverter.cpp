#include "Reelsmith/convert/LMMusicConverter.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/encode/LMMusicFileOutput.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"

#include <QFile>
#include <algorithm>
#include <vector>

namespace {
constexpr int kBlock = 1024;
}

LMFFMovieFileOutputFormat LMMusicConverter::defaultFormat()
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.sample_rate = 44100;
    format.audio_bitrate = 192000;
    format.channel_layout = lm_get_channel_layout_by_name(QStringLiteral("stereo"));
    return format;
}

LMMusicConverter::LMMusicConverter()
    : m_format(defaultFormat())
{}

double LMMusicConverter::progress() const
{
    return std::min(0.999,
                    double(m_convertingTime.load()) / std::max(double(m_totalTime.load()), 1.0));
}

double LMMusicConverter::convertingTime() const
{
    return lm_ff_time_to_double(m_convertingTime.load());
}

bool LMMusicConverter::startConverterMusic(const std::shared_ptr<LMFFMovie> &movie,
                                           float leftTrimTime,
                                           float rightTrimTime,
                                           float fadeInTime,
                                           float fadeOutTime,
                                           const QString &exportPath)
{
    auto segment = LMSegmentMovie::movieWithFFmovie(movie);
    segment->setStart(int64_t(leftTrimTime * 1000000.0f));
    segment->setStop(int64_t(rightTrimTime * 1000000.0f));
    segment->setFadeIn(int64_t(fadeInTime * 1000000.0f));
    segment->setFadeOut(int64_t(fadeOutTime * 1000000.0f));
    return convertAudios({segment}, exportPath);
}

bool LMMusicConverter::convertAudios(const QList<std::shared_ptr<LMSegmentMovie>> &segments,
                                     const QString &path)
{
    int64_t total = 0;
    for (const auto &segment : segments)
        total += segment->duration();
    m_totalTime.store(total);
    m_convertingTime.store(0);
    m_blocks.store(0);
    m_cancelled.store(false);

    auto output = LMMusicFileOutput::output(path, m_format);
    if (!output)
        return false;
    const LMFFAudioFormat input = output->audioInputFormat();
    const int channels = std::max(1, lm_get_channel_layout_nb_channels(input.channel_layout));
    const int64_t rate = std::max(input.sample_rate, 1);
    const int64_t step = 1000000 * kBlock / rate;
    std::vector<float> buffer(size_t(kBlock) * size_t(channels));
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(buffer.data()),
                                                     qsizetype(buffer.size() * sizeof(float)));

    for (const auto &segment : segments) {
        const auto movie = segment->ffmovie();
        if (!movie || m_cancelled.load())
            continue;
        movie->configOutputFormat(input);
        const int64_t start = segment->start();
        const int64_t n = int64_t(lm_ff_time_to_double(segment->duration()) * double(rate));
        movie->setExportMovie(true);
        movie->setCurrentTime(start);
        movie->flushOperation();
        for (int64_t done = 0; n > 0 && done < n && !m_cancelled.load(); done += kBlock) {
            bool read = false;
            // The medias belong to the movie's decode queue.
            movie->decodeImageWaitUntilDone(
                [&] { read = movie->readSampleNbStreamFrame(buffer.data(), 0, kBlock); }, true);
            if (read)
                segment->processAudio(buffer.data(),
                                      int64_t(buffer.size() * sizeof(float)),
                                      start + 1000000 * done / rate);
            output->writeAudioData(bytes);
            m_blocks.fetch_add(1);
            m_convertingTime.fetch_add(step);
        }
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        movie->setExportMovie(false);
        movie->setCurrentTime(0);
        movie->flushOperation();
    }
    const bool written = output->close();
    if (m_cancelled.load() || !written) {
        QFile::remove(path);
        return false;
    }
    return true;
}
