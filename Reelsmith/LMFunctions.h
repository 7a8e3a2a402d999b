#pragma once

/**
 * The engine's exported plain functions: engine time, the default output and audio records,
 * channel-layout and codec lookups, and the QuickTime language tables.
 *
 * Engine time is a signed 64-bit count of microseconds. Functions with plain C types have C
 * linkage; the ones that take or give Qt strings and containers are ordinary C++ functions under
 * the same names. All of them may be called from any thread.
 */

#include "Reelsmith/LMTypes.h"

#include <QColorSpace>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>

struct AVDictionary;

/** A CoreVideo-style four-character pixel code, such as lm_pix_code("BGRA"). */
constexpr int32_t lm_pix_code(const char (&code)[5])
{
    return int32_t((uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16)
                   | (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3])));
}

extern "C" {

/** True when sample format, channel layout and sample rate are all equal. */
bool isFFAudioFormatEqual(LMFFAudioFormat a, LMFFAudioFormat b);

/** Packed float, stereo (front left + front right), 44100 Hz. */
LMFFAudioFormat lm_get_default_audio_format(void);
/** AV_SAMPLE_FMT_FLT (packed 32-bit float). */
int32_t lm_get_default_sample_fmt(void);
/** FFmpeg's default layout mask for that many channels; 0 for a count it has no layout for. */
int64_t lm_get_default_channel_layout(int32_t channels);
/** The number of channels in a layout mask. */
int32_t lm_get_channel_layout_nb_channels(int64_t layout);

/**
 * width 0, height 0, video_codec 0, video_bitrate 20000000, framerate 0, frameTime 1, aspect 0,
 * channel_layout stereo, sample_rate 44100, audio_codec 0, audio_bitrate 192000. A caller that
 * encodes video must set width, height and framerate.
 */
LMFFMovieFileOutputFormat lm_get_default_movie_file_ouput_format(void);
/** Writes the same defaults into *format in place; always answers 0. A null pointer is ignored. */
int32_t movieFileOutputFormatToDefaults(LMFFMovieFileOutputFormat *format);

/** Engine ticks per second: 1000000. */
int64_t lm_default_time_base(void);
/** Engine time in seconds. */
double lm_ff_time_to_double(int64_t time);
/** The host's monotonic clock in nanoseconds. */
uint64_t lm_wall_absolute_time(void);
/** The monotonic clock as engine time (microseconds, truncated). */
int64_t lm_wall_absolute_fftime(void);

/**
 * value rounded to the nearest multiple of align (halves away from zero); an align below 1 counts
 * as 1. lm_round_to_align(16, 24.0) is 32.
 */
int32_t lm_round_to_align(int32_t align, double value);

/** Logs every entry of the dictionary in order as ":key:value:"; nothing for null or empty. */
void lm_ff_dump_av_dict(const AVDictionary *dict);

/**
 * The AVPixelFormat for a CoreVideo-style pixel code: 32 (ARGB), '2vuy', '420v', 'ABGR', 'BGRA',
 * 'RGBA', 'yuvs'; AV_PIX_FMT_NONE (-1) for any other code.
 */
int32_t lm_get_pix_fmt_by_pix_code(int32_t code);

} // extern "C"

/** FFmpeg's layout mask of a layout name such as "stereo" or "5.1"; 0 for an unknown name. */
int64_t lm_get_channel_layout_by_name(const QString &name);

/**
 * The record as a dictionary: one number per field under the field's name ("aspect" a float,
 * "channel_layout" a 64-bit integer, the rest 32-bit integers).
 */
QVariantMap lm_movie_file_ouput_format_to_dict(const LMFFMovieFileOutputFormat &format);
/** The record back from its dictionary form; a missing key reads as 0 (channel_layout too). */
LMFFMovieFileOutputFormat lm_movie_file_ouput_format_from_dict(const QVariantMap &dict);

/**
 * The codec id of the decoder of that name, case-insensitive, with the aliases "mpeg1", "mpeg2",
 * "animation", "ac-3", "wma1", "wma2" and "ffv"; 0 when no decoder has the name.
 */
int32_t lm_get_codec_id_by_name(const QString &name);
/** The name of FFmpeg's decoder for the id; "" when there is none. */
QString lm_get_codec_name_by_id(int32_t codecId);

/**
 * The QuickTime language table (index 0..138, as the 'mdhd' language field). Empty for an index
 * outside the table or an empty entry; four entries are two letters and a blank ("hr ").
 */
QString lm_get_mov_iso639_2_lang_code_by_index(int32_t index);
/** The code of the language with that English display name; "eng" for an unknown name. */
QString lm_get_mov_iso639_2_lang_code(const QString &displayName);
/** The display names of every index that has a code, in index order (98 names). */
QStringList lm_get_mov_iso639_2_lang_displays();
/** Decimal index ("0", "1", ...) to English display name: 105 entries, one shared instance. */
const QMap<QString, QString> &lm_get_mov_iso639_2_lang_display_map();

/** The engine's generic RGB colour space (sRGB), a new value on every call. */
QColorSpace lm_default_generic_rgb_color_space();
