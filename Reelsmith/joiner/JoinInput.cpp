#include "Reelsmith/joiner/JoinInput.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LMCodecLock.h"

#include <QFile>

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

} // namespace Reelsmith::detail
