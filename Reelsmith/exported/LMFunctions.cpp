#include "Reelsmith/LMFunctions.h"

#include "Reelsmith/LibMedia.h"
#include "Reelsmith/detail/FFmpegHelpers.h"

#include <cmath>
#include <ctime>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/common.h>
#include <libavutil/dict.h>
#include <libavutil/pixfmt.h>
#include <libavutil/samplefmt.h>
}

namespace {

// The QuickTime language index to its three-letter code, as libavformat reads the 'mdhd' field.
// Four entries are two letters and a blank; empty entries have no code.
constexpr int kLanguageCount = 139;
const char *const kLanguageCodes[kLanguageCount] = {
    "eng", "fra", "ger", "ita", "dut", "swe", "spa", "dan", "por", "nor", // 0
    "heb", "jpn", "ara", "fin", "gre", "ice", "mlt", "tur", "hr ", "chi", // 10
    "urd", "hin", "tha", "kor", "lit", "pol", "hun", "est", "lav", "",    // 20
    "fo ", "",    "rus", "chi", "",    "iri", "alb", "ron", "ces", "slk", // 30
    "slv", "yid", "sr ", "mac", "bul", "ukr", "bel", "uzb", "kaz", "aze", // 40
    "aze", "arm", "geo", "mol", "kir", "tgk", "tuk", "mon", "",    "pus", // 50
    "kur", "kas", "snd", "tib", "nep", "san", "mar", "ben", "asm", "guj", // 60
    "pa ", "ori", "mal", "kan", "tam", "tel", "",    "bur", "khm", "lao", // 70
    "vie", "ind", "tgl", "may", "may", "amh", "tir", "orm", "som", "swa", // 80
    "",    "run", "",    "mlg", "epo", "",    "",    "",    "",    "",    // 90
    "",    "",    "",    "",    "",    "",    "",    "",    "",    "",    // 100
    "",    "",    "",    "",    "",    "",    "",    "",    "",    "",    // 110
    "",    "",    "",    "",    "",    "",    "",    "",    "wel", "baq", // 120
    "cat", "lat", "que", "grn", "aym", "tat", "uig", "dzo", "jav",        // 130
};

struct LanguageName
{
    int index;
    const char *name;
};

// English display names by language index. Index 86 has a code but no name; 95..127 have
// neither.
const LanguageName kLanguageNames[] = {
    {0, "English"},       {1, "French"},
    {2, "German"},        {3, "Italian"},
    {4, "Dutch"},         {5, "Swedish"},
    {6, "Spanish"},       {7, "Danish"},
    {8, "Portuguese"},    {9, "Norwegian"},
    {10, "Hebrew"},       {11, "Japanese"},
    {12, "Arabic"},       {13, "Finnish"},
    {14, "Greek"},        {15, "Icelandic"},
    {16, "Maltese"},      {17, "Turkish"},
    {18, "Croatian"},     {19, "Traditional Chinese"},
    {20, "Urdu"},         {21, "Hindi"},
    {22, "Thai"},         {23, "Korean"},
    {24, "Lithuanian"},   {25, "Polish"},
    {26, "Hungarian"},    {27, "Estonian"},
    {28, "Lettish"},      {29, "Sami"},
    {30, "Faroese"},      {31, "Farsi"},
    {32, "Russian"},      {33, "Simplified Chinese"},
    {34, "Flemish"},      {35, "Irish"},
    {36, "Albanian"},     {37, "Romanian"},
    {38, "Czech"},        {39, "Slovak"},
    {40, "Slovenian"},    {41, "Yiddish"},
    {42, "Serbian"},      {43, "Macedonian"},
    {44, "Bulgarian"},    {45, "Ukrainian"},
    {46, "Belarusian"},   {47, "Uzbek"},
    {48, "Kazakh"},       {49, "Azerbaijani"},
    {50, "AzerbaijanAr"}, {51, "Armenian"},
    {52, "Georgian"},     {53, "Moldavian"},
    {54, "Kirghiz"},      {55, "Tajiki"},
    {56, "Turkmen"},      {57, "Mongolian"},
    {58, "MongolianCyr"}, {59, "Pashto"},
    {60, "Kurdish"},      {61, "Kashmiri"},
    {62, "Sindhi"},       {63, "Tibetan"},
    {64, "Nepali"},       {65, "Sanskrit"},
    {66, "Marathi"},      {67, "Bengali"},
    {68, "Assamese"},     {69, "Gujarati"},
    {70, "Punjabi"},      {71, "Oriya"},
    {72, "Malayalam"},    {73, "Kannada"},
    {74, "Tamil"},        {75, "Telugu"},
    {76, "Sinhala"},      {77, "Burmese"},
    {78, "Khmer"},        {79, "Lao"},
    {80, "Vietnamese"},   {81, "Indonesian"},
    {82, "Tagalog"},      {83, "MalayRoman"},
    {84, "MalayArabic"},  {85, "Amharic"},
    {87, "Oromo"},        {88, "Somali"},
    {89, "Swahili"},      {90, "Kinyarwanda"},
    {91, "Rundi"},        {92, "Nyanja"},
    {93, "Malagasy"},     {94, "Esperanto"},
    {128, "Welsh"},       {129, "Basque"},
    {130, "Catalan"},     {131, "Latin"},
    {132, "Quechua"},     {133, "Guarani"},
    {134, "Aymara"},      {135, "Tatar"},
    {136, "Uighur"},      {137, "Dzongkha"},
    {138, "JavaneseRom"},
};

int64_t maskOfLayout(const AVChannelLayout &layout)
{
    return layout.order == AV_CHANNEL_ORDER_NATIVE ? int64_t(layout.u.mask) : 0;
}

} // namespace

extern "C" {

bool isFFAudioFormatEqual(LMFFAudioFormat a, LMFFAudioFormat b)
{
    return a.sample_fmt == b.sample_fmt && a.channel_layout == b.channel_layout
           && a.sample_rate == b.sample_rate;
}

LMFFAudioFormat lm_get_default_audio_format(void)
{
    return LMFFAudioFormat{lm_get_default_sample_fmt(), lm_get_default_channel_layout(2), 44100};
}

int32_t lm_get_default_sample_fmt(void)
{
    return AV_SAMPLE_FMT_FLT;
}

int64_t lm_get_default_channel_layout(int32_t channels)
{
    if (channels < 1)
        return 0;
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    const int64_t mask = maskOfLayout(layout);
    av_channel_layout_uninit(&layout);
    return mask;
}

int32_t lm_get_channel_layout_nb_channels(int64_t layout)
{
    return av_popcount64(uint64_t(layout));
}

LMFFMovieFileOutputFormat lm_get_default_movie_file_ouput_format(void)
{
    LMFFMovieFileOutputFormat format;
    movieFileOutputFormatToDefaults(&format);
    return format;
}

int32_t movieFileOutputFormatToDefaults(LMFFMovieFileOutputFormat *format)
{
    if (!format)
        return 0;
    format->width = 0;
    format->height = 0;
    format->video_codec = AV_CODEC_ID_NONE;
    format->video_bitrate = 20000000;
    format->framerate = 0;
    format->frameTime = 1;
    format->aspect = 0.0f;
    format->channel_layout = lm_get_default_channel_layout(2);
    format->sample_rate = 44100;
    format->audio_codec = AV_CODEC_ID_NONE;
    format->audio_bitrate = 192000;
    return 0;
}

int64_t lm_default_time_base(void)
{
    return Reelsmith::detail::kEngineTimeBase.den;
}

double lm_ff_time_to_double(int64_t time)
{
    return double(time) / double(Reelsmith::detail::kEngineTimeBase.den);
}

uint64_t lm_wall_absolute_time(void)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000000ull + uint64_t(now.tv_nsec);
}

int64_t lm_wall_absolute_fftime(void)
{
    // Nanoseconds to engine ticks.
    constexpr double kNanosecondsPerSecond = 1e9;
    return int64_t(double(lm_wall_absolute_time()) / kNanosecondsPerSecond
                   * double(Reelsmith::detail::kEngineTimeBase.den));
}

int32_t lm_round_to_align(int32_t align, double value)
{
    const int32_t a = align >= 1 ? align : 1;
    return int32_t(std::trunc(std::round(value / a) + 0.1)) * a;
}

void lm_ff_dump_av_dict(const AVDictionary *dict)
{
    const AVDictionaryEntry *entry = nullptr;
    while ((entry = av_dict_get(dict, "", entry, AV_DICT_IGNORE_SUFFIX)))
        qCInfo(Reelsmith::lcLibMedia, ":%s:%s:", entry->key, entry->value);
}

int32_t lm_get_pix_fmt_by_pix_code(int32_t code)
{
    switch (code) {
    case 32:
        return AV_PIX_FMT_ARGB;
    case lm_pix_code("2vuy"):
        return AV_PIX_FMT_UYVY422;
    case lm_pix_code("420v"):
        return AV_PIX_FMT_NV12;
    case lm_pix_code("ABGR"):
        return AV_PIX_FMT_ABGR;
    case lm_pix_code("BGRA"):
        return AV_PIX_FMT_BGRA;
    case lm_pix_code("RGBA"):
        return AV_PIX_FMT_RGBA;
    case lm_pix_code("yuvs"):
        return AV_PIX_FMT_YUYV422;
    default:
        return AV_PIX_FMT_NONE;
    }
}

} // extern "C"

int64_t lm_get_channel_layout_by_name(const QString &name)
{
    AVChannelLayout layout{};
    if (name.isEmpty() || av_channel_layout_from_string(&layout, name.toUtf8().constData()) < 0)
        return 0;
    const int64_t mask = maskOfLayout(layout);
    av_channel_layout_uninit(&layout);
    return mask;
}

QVariantMap lm_movie_file_ouput_format_to_dict(const LMFFMovieFileOutputFormat &format)
{
    QVariantMap dict;
    dict.insert(QStringLiteral("width"), int(format.width));
    dict.insert(QStringLiteral("height"), int(format.height));
    dict.insert(QStringLiteral("video_codec"), int(format.video_codec));
    dict.insert(QStringLiteral("video_bitrate"), int(format.video_bitrate));
    dict.insert(QStringLiteral("framerate"), int(format.framerate));
    dict.insert(QStringLiteral("frameTime"), int(format.frameTime));
    dict.insert(QStringLiteral("aspect"), float(format.aspect));
    dict.insert(QStringLiteral("channel_layout"), qlonglong(format.channel_layout));
    dict.insert(QStringLiteral("sample_rate"), int(format.sample_rate));
    dict.insert(QStringLiteral("audio_codec"), int(format.audio_codec));
    dict.insert(QStringLiteral("audio_bitrate"), int(format.audio_bitrate));
    return dict;
}

LMFFMovieFileOutputFormat lm_movie_file_ouput_format_from_dict(const QVariantMap &dict)
{
    auto intValue
        = [&dict](const char *key) { return int32_t(dict.value(QLatin1String(key)).toInt()); };
    LMFFMovieFileOutputFormat format;
    format.width = intValue("width");
    format.height = intValue("height");
    format.video_codec = intValue("video_codec");
    format.video_bitrate = intValue("video_bitrate");
    format.framerate = intValue("framerate");
    format.frameTime = intValue("frameTime");
    format.aspect = dict.value(QStringLiteral("aspect")).toFloat();
    format.channel_layout = dict.value(QStringLiteral("channel_layout")).toLongLong();
    format.sample_rate = intValue("sample_rate");
    format.audio_codec = intValue("audio_codec");
    format.audio_bitrate = intValue("audio_bitrate");
    return format;
}

int32_t lm_get_codec_id_by_name(const QString &name)
{
    static const QMap<QString, QString> aliases = {
        {QStringLiteral("mpeg1"), QStringLiteral("mpeg1video")},
        {QStringLiteral("mpeg2"), QStringLiteral("mpeg2video")},
        {QStringLiteral("animation"), QStringLiteral("qtrle")},
        {QStringLiteral("ac-3"), QStringLiteral("ac3")},
        {QStringLiteral("wma1"), QStringLiteral("wmav1")},
        {QStringLiteral("wma2"), QStringLiteral("wmav2")},
        {QStringLiteral("ffv"), QStringLiteral("ffv1")},
    };
    const QString lower = name.toLower();
    const QString decoderName = aliases.value(lower, lower);
    if (decoderName.isEmpty())
        return AV_CODEC_ID_NONE;
    const AVCodec *codec = avcodec_find_decoder_by_name(decoderName.toUtf8().constData());
    return codec ? codec->id : AV_CODEC_ID_NONE;
}

QString lm_get_codec_name_by_id(int32_t codecId)
{
    const AVCodec *codec = avcodec_find_decoder(AVCodecID(codecId));
    return codec ? QString::fromUtf8(codec->name) : QString(QLatin1String(""));
}

QString lm_get_mov_iso639_2_lang_code_by_index(int32_t index)
{
    if (index < 0 || index >= kLanguageCount)
        return QString(QLatin1String(""));
    return QString::fromLatin1(kLanguageCodes[index]);
}

QString lm_get_mov_iso639_2_lang_code(const QString &displayName)
{
    const QMap<QString, QString> &names = lm_get_mov_iso639_2_lang_display_map();
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (it.value() == displayName)
            return lm_get_mov_iso639_2_lang_code_by_index(it.key().toInt());
    }
    return lm_get_mov_iso639_2_lang_code_by_index(0);
}

QStringList lm_get_mov_iso639_2_lang_displays()
{
    const QMap<QString, QString> &names = lm_get_mov_iso639_2_lang_display_map();
    QStringList displays;
    for (int index = 0; index < kLanguageCount; ++index) {
        if (kLanguageCodes[index][0] == '\0')
            continue;
        const QString name = names.value(QString::number(index));
        if (!name.isEmpty())
            displays.append(name);
    }
    return displays;
}

const QMap<QString, QString> &lm_get_mov_iso639_2_lang_display_map()
{
    // A function-local static: built once, safely, whichever thread asks first.
    static const QMap<QString, QString> map = [] {
        QMap<QString, QString> names;
        for (const LanguageName &entry : kLanguageNames)
            names.insert(QString::number(entry.index), QString::fromLatin1(entry.name));
        return names;
    }();
    return map;
}

QColorSpace lm_default_generic_rgb_color_space()
{
    return QColorSpace(QColorSpace::SRgb);
}
