#pragma once

// Value records shared across the media engine and its callers. They travel by value.
//
// Codec ids, pixel formats and sample formats hold the values of this FFmpeg build's own
// enumerations (AV_CODEC_ID_*, AV_PIX_FMT_*, AV_SAMPLE_FMT_*). Assign them by name: the numbers
// differ between FFmpeg releases, so they are never written out as bare numbers. Channel layouts
// are FFmpeg channel bit masks (AV_CH_*); the engine turns them into AVChannelLayout inside.

#include <cstdint>

/**
 * What an output movie file holds: picture size and codec, time base, audio layout and codec.
 * Defaults come from lm_get_default_movie_file_ouput_format().
 */
struct LMFFMovieFileOutputFormat
{
    int32_t width;  // output picture width in pixels
    int32_t height; // output picture height in pixels
    int32_t
        video_codec; // AVCodecID of the video encoder; 0 (AV_CODEC_ID_NONE) lets the muxer choose
    int32_t video_bitrate;  // bits per second
    int32_t framerate;      // denominator of the video time base (ticks per second)
    int32_t frameTime;      // numerator of the video time base (ticks per frame)
    float aspect;           // display aspect ratio; 0 = square pixels
    int64_t channel_layout; // AV_CH_* bit mask of the encoded audio
    int32_t sample_rate;    // Hz
    int32_t audio_codec;    // AVCodecID of the audio encoder; 0 lets the muxer choose
    int32_t audio_bitrate;  // bits per second
};

/**
 * An audio stream's sample format (AVSampleFormat), channel layout (AV_CH_* mask) and rate (Hz).
 * The engine default is packed float, stereo, 44100 Hz (lm_get_default_audio_format()).
 */
struct LMFFAudioFormat
{
    int32_t sample_fmt;
    int64_t channel_layout;
    int32_t sample_rate;
};

/**
 * A picture format: AVPixelFormat and size in pixels. {-1, 0, 0} (AV_PIX_FMT_NONE) describes a
 * stream that is not video.
 */
struct LMFFVideoFormat
{
    int32_t pix_fmt;
    int32_t width;
    int32_t height;
};
