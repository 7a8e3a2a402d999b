#include "Reelsmith/detail/LibrarySetup.h"

#include <QByteArray>
#include <algorithm>
#include <cstdarg>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcFfmpeg, "discwright.reelsmith.ffmpeg", QtWarningMsg)
} // namespace Reelsmith

namespace Reelsmith::detail {

namespace {

// The most detailed FFmpeg level the category lets through.
int ffmpegLevelForCategory()
{
    if (lcFfmpeg().isDebugEnabled())
        return AV_LOG_DEBUG;
    if (lcFfmpeg().isInfoEnabled())
        return AV_LOG_INFO;
    if (lcFfmpeg().isWarningEnabled())
        return AV_LOG_WARNING;
    return AV_LOG_ERROR;
}

void emitLine(int level, const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty())
        return;
    if (level <= AV_LOG_FATAL)
        qCCritical(lcFfmpeg, "%s", text.constData());
    else if (level <= AV_LOG_WARNING)
        qCWarning(lcFfmpeg, "%s", text.constData());
    else if (level <= AV_LOG_INFO)
        qCInfo(lcFfmpeg, "%s", text.constData());
    else
        qCDebug(lcFfmpeg, "%s", text.constData());
}

// FFmpeg writes one line in several calls (a prefix, then the text): each thread gathers its own
// pieces until the line ends.
void logCallback(void *object, int level, const char *format, va_list args)
{
    if (level > av_log_get_level())
        return;
    thread_local int printPrefix = 1;
    thread_local QByteArray pending;
    thread_local int pendingLevel = AV_LOG_TRACE;
    char piece[1024];
    va_list copy;
    va_copy(copy, args);
    av_log_format_line2(object, level, format, copy, piece, int(sizeof piece), &printPrefix);
    va_end(copy);
    pending.append(piece);
    pendingLevel = std::min(pendingLevel, level);
    if (!pending.endsWith('\n'))
        return;
    emitLine(pendingLevel, pending);
    pending.clear();
    pendingLevel = AV_LOG_TRACE;
}

} // namespace

void ensureLibrarySetUp()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(ffmpegLevelForCategory());
        av_log_set_callback(logCallback);
    });
}

} // namespace Reelsmith::detail
