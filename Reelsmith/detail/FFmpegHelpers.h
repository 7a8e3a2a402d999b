#pragma once

// Small FFmpeg helpers that several engine classes need in the same form. Any thread; a scaler
// context belongs to its caller, who uses it from one thread at a time.

#include "Reelsmith/detail/FFmpegPointers.h"

#include <QString>
#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

namespace Reelsmith::detail {

// Engine time (microseconds) as an FFmpeg time base.
inline constexpr AVRational kEngineTimeBase{1, 1000000};

// av_strerror's text for an FFmpeg error code, for lastError() and the log.
QString ffmpegErrorText(int code);

// Scales and converts src into dst's size and pixel format through context, which is created or
// replaced as the formats require and stays the caller's. False, with dst untouched, when
// either frame has no pixels or a format the scaler cannot take.
bool scaleFrame(SwsContextPtr &context, const AVFrame *src, AVFrame *dst);

// Answers an AVIOContext's seek callback over size bytes read at position: size for AVSEEK_SIZE;
// else moves position as whence says (SEEK_SET, SEEK_CUR or SEEK_END, AVSEEK_FORCE ignored) and
// answers it; AVERROR(ENOSYS), position unchanged, for any other whence.
int64_t answerSeek(int64_t &position, int64_t offset, int whence, int64_t size);

} // namespace Reelsmith::detail
