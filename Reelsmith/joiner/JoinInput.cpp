#include "Reelsmith/joiner/JoinInput.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LMCodecLock.h"
#include "Reelsmith/joiner/VideoJoiner.h"

#include <QFile>
#include <algorithm>

namespace Reelsmith::detail {

JoinInput openJoinInput(const QString &path, QString *error)
{
    AVFormatContext *context = nullptr;
    int result
        = avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (result < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, ffmpegErrorText(result));
        return nullptr;
    }
    JoinInput input(context);
    {
        LMCodecLocker locked;
        result = avformat_find_stream_info(context, nullptr);
    }
    if (result < 0) {
        *error = QStringLiteral("cannot probe %1: %2").arg(path, ffmpegErrorText(result));
        return nullptr;
    }
    return input;
}

VideoJoinerItemList tracksByPosition(const VideoJoiner &joiner)
{
    VideoJoinerItemList tracks = joiner.tracks;
    std::stable_sort(tracks.begin(), tracks.end(), [](const auto &a, const auto &b) {
        return a->position < b->position;
    });
    return tracks;
}

bool runJoin(const VideoJoiner &joiner,
             const std::function<bool(const VideoJoiner &, QString *)> &join,
             QString *error)
{
    QString reason;
    if (join(joiner, &reason))
        return true;
    QFile::remove(joiner.path);
    if (error)
        *error = reason;
    return false;
}

} // namespace Reelsmith::detail
