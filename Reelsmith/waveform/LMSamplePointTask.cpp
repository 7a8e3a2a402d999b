#include "Reelsmith/waveform/LMSamplePointTask.h"

#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"

#include <algorithm>
#include <cmath>
#include <vector>

std::optional<QByteArray>
LMSamplePointTask::samplePointsFromPath(const QString &path,
                                        const std::optional<QList<int>> &streams)
{
    std::shared_ptr<LMMediaSource> source = LMMediaSource::mediaWithPath(path);
    source->open();
    if (!source->isOpen())
        return std::nullopt;
    LMIndexSet selection;
    if (streams && !streams->isEmpty())
        selection = QSet<int>(streams->begin(), streams->end());
    LMFFMovie movie;
    movie.openMedias(source->createMediasWithStreams(selection));
    return samplePointsFromMovie(movie);
}

std::optional<QByteArray> LMSamplePointTask::samplePointsFromMovie(LMFFMovie &movie)
{
    return samplePointsFromMovie(movie, 0, movie.duration());
}

std::optional<QByteArray>
LMSamplePointTask::samplePointsFromMovie(LMFFMovie &movie, int64_t start, int64_t duration)
{
    if (!movie.hasAudio() || duration > kLongestDuration)
        return std::nullopt;
    const LMFFAudioFormat format = movie.defaultOutputFormat();
    const double rate = format.sample_rate;
    const int64_t totalFrames = int64_t(rate * (double(duration) / 1e6));

    movie.setDisableVideo(true);
    movie.setExportMovie(true);
    movie.seek(start);
    movie.flushOperation();

    QByteArray result;
    if (totalFrames < 1)
        return isCancelled() ? std::nullopt : std::optional<QByteArray>(result);

    const double framesPerPoint = rate / std::max(sample_point_per_second, 1);
    std::vector<float> buffer(size_t(kReadFrames) * 2);
    int64_t framesDone = 0;
    int64_t points = 0;
    float peak = 0;
    int64_t nextPoint = int64_t(framesPerPoint);
    while (!isCancelled()) {
        // A block without sound (past the end of a shorter sound, or a clip without any) is
        // silence: the waveform still covers the whole clip.
        movie.decodeImageWaitUntilDone([&] { movie.readSampleFrame(buffer.data(), kReadFrames); },
                                       true);
        for (int i = 0; i < kReadFrames; ++i) {
            peak = std::max({peak, std::fabs(buffer[2 * i]), std::fabs(buffer[2 * i + 1])});
            if (framesDone + i == nextPoint) {
                result.append(reinterpret_cast<const char *>(&peak), sizeof peak);
                peak = 0;
                ++points;
                nextPoint = int64_t(double(points + 1) * framesPerPoint);
            }
        }
        framesDone += kReadFrames;
        m_progress.store(double(framesDone) / double(std::max<int64_t>(totalFrames, 44100)));
        if (framesDone >= totalFrames)
            break;
    }
    if (isCancelled())
        return std::nullopt;
    return result;
}
