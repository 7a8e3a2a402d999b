#pragma once

#include <mutex>

/**
 * The one process-wide lock around every codec open and close of the engine (decoders, encoders)
 * and around stream probing. FFmpeg's codec set-up touches shared tables; decoding itself runs
 * unlocked. The lock is recursive, so code already holding it may open a nested codec.
 *
 * Hold it through LMCodecLocker, so an early return or an exception cannot skip the unlock:
 *
 *     LMCodecLocker locked;
 *     avcodec_open2(context, codec, &options);
 */
std::recursive_mutex &lm_codec_lock();

class LMCodecLocker
{
public:
    LMCodecLocker()
        : m_guard(lm_codec_lock())
    {}
    LMCodecLocker(const LMCodecLocker &) = delete;
    LMCodecLocker &operator=(const LMCodecLocker &) = delete;

private:
    std::lock_guard<std::recursive_mutex> m_guard;
};
