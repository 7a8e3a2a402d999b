#include "Reelsmith/detail/FFmpegHelpers.h"

#include <cstdio>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace Reelsmith::detail {

QString ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

bool scaleFrame(SwsContextPtr &context, const AVFrame *src, AVFrame *dst)
{
    if (!src || !src->data[0] || src->width < 1 || src->height < 1
        || !sws_isSupportedInput(AVPixelFormat(src->format)))
        return false;
    if (!dst || !dst->data[0] || dst->width < 1 || dst->height < 1
        || !sws_isSupportedOutput(AVPixelFormat(dst->format)))
        return false;
    // The cached-context call frees the old context itself when it has to make a new one.
    SwsContext *scaler = sws_getCachedContext(context.release(),
                                              src->width,
                                              src->height,
                                              AVPixelFormat(src->format),
                                              dst->width,
                                              dst->height,
                                              AVPixelFormat(dst->format),
                                              SWS_BILINEAR,
                                              nullptr,
                                              nullptr,
                                              nullptr);
    context.reset(scaler);
    if (!context)
        return false;
    sws_scale(context.get(), src->data, src->linesize, 0, src->height, dst->data, dst->linesize);
    return true;
}

int64_t answerSeek(int64_t &position, int64_t offset, int whence, int64_t size)
{
    if (whence & AVSEEK_SIZE)
        return size;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        position = offset;
        break;
    case SEEK_CUR:
        position += offset;
        break;
    case SEEK_END:
        position = size + offset;
        break;
    default:
        return AVERROR(ENOSYS);
    }
    return position;
}

} // namespace Reelsmith::detail
