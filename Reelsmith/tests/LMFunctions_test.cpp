#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/LibMedia.h"
#include "Reelsmith/detail/LMHelper.h"

#include <QLoggingCategory>
#include <gtest/gtest.h>
#include <mutex>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/pixfmt.h>
#include <libavutil/samplefmt.h>
}

namespace {

TEST(ExportedFunctions, DefaultOutputFormat)
{
    const LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    EXPECT_EQ(format.width, 0);
    EXPECT_EQ(format.height, 0);
    EXPECT_EQ(format.video_codec, AV_CODEC_ID_NONE);
    EXPECT_EQ(format.video_bitrate, 20000000);
    EXPECT_EQ(format.framerate, 0);
    EXPECT_EQ(format.frameTime, 1);
    EXPECT_EQ(format.aspect, 0.0f);
    EXPECT_EQ(format.channel_layout, int64_t(AV_CH_LAYOUT_STEREO));
    EXPECT_EQ(format.sample_rate, 44100);
    EXPECT_EQ(format.audio_codec, AV_CODEC_ID_NONE);
    EXPECT_EQ(format.audio_bitrate, 192000);

    LMFFMovieFileOutputFormat filled{1, 2, 3, 4, 5, 6, 7.0f, 8, 9, 10, 11};
    EXPECT_EQ(movieFileOutputFormatToDefaults(&filled), 0);
    EXPECT_EQ(lm_movie_file_ouput_format_to_dict(filled),
              lm_movie_file_ouput_format_to_dict(format));
    EXPECT_EQ(movieFileOutputFormatToDefaults(nullptr), 0);
}

TEST(ExportedFunctions, OutputFormatDictionaryForm)
{
    const LMFFMovieFileOutputFormat dvd{720,
                                        576,
                                        AV_CODEC_ID_MPEG2VIDEO,
                                        6000000,
                                        25,
                                        1,
                                        16.0f / 9.0f,
                                        AV_CH_LAYOUT_5POINT1,
                                        48000,
                                        AV_CODEC_ID_AC3,
                                        448000};
    const QVariantMap dict = lm_movie_file_ouput_format_to_dict(dvd);
    EXPECT_EQ(dict.size(), 11);
    EXPECT_EQ(dict.value(QStringLiteral("aspect")).metaType(), QMetaType::fromType<float>());
    EXPECT_EQ(dict.value(QStringLiteral("channel_layout")).metaType(),
              QMetaType::fromType<qlonglong>());
    EXPECT_EQ(dict.value(QStringLiteral("video_codec")).toInt(), int(AV_CODEC_ID_MPEG2VIDEO));

    const LMFFMovieFileOutputFormat back = lm_movie_file_ouput_format_from_dict(dict);
    EXPECT_EQ(lm_movie_file_ouput_format_to_dict(back), dict);
    EXPECT_EQ(back.channel_layout, int64_t(AV_CH_LAYOUT_5POINT1));
    EXPECT_FLOAT_EQ(back.aspect, 16.0f / 9.0f);

    const LMFFMovieFileOutputFormat empty = lm_movie_file_ouput_format_from_dict({});
    const LMFFMovieFileOutputFormat zero{0, 0, 0, 0, 0, 0, 0.0f, 0, 0, 0, 0};
    EXPECT_EQ(lm_movie_file_ouput_format_to_dict(empty), lm_movie_file_ouput_format_to_dict(zero));
}

TEST(ExportedFunctions, AudioFormats)
{
    const LMFFAudioFormat format = lm_get_default_audio_format();
    EXPECT_EQ(format.sample_fmt, AV_SAMPLE_FMT_FLT);
    EXPECT_EQ(lm_get_default_sample_fmt(), AV_SAMPLE_FMT_FLT);
    EXPECT_EQ(format.channel_layout, int64_t(AV_CH_LAYOUT_STEREO));
    EXPECT_EQ(format.sample_rate, 44100);

    struct Case
    {
        const char *name;
        LMFFAudioFormat other;
        bool equal;
    };
    const Case cases[] = {
        {"same", {AV_SAMPLE_FMT_FLT, AV_CH_LAYOUT_STEREO, 44100}, true},
        {"other sample format", {AV_SAMPLE_FMT_FLTP, AV_CH_LAYOUT_STEREO, 44100}, false},
        {"other layout", {AV_SAMPLE_FMT_FLT, AV_CH_LAYOUT_MONO, 44100}, false},
        {"other rate", {AV_SAMPLE_FMT_FLT, AV_CH_LAYOUT_STEREO, 48000}, false},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isFFAudioFormatEqual(format, row.other), row.equal);
    }
}

TEST(ExportedFunctions, ChannelLayouts)
{
    EXPECT_EQ(lm_get_default_channel_layout(1), int64_t(AV_CH_LAYOUT_MONO));
    EXPECT_EQ(lm_get_default_channel_layout(2), int64_t(AV_CH_LAYOUT_STEREO));
    EXPECT_EQ(lm_get_default_channel_layout(6), int64_t(AV_CH_LAYOUT_5POINT1_BACK));
    EXPECT_EQ(lm_get_default_channel_layout(0), 0);

    EXPECT_EQ(lm_get_channel_layout_by_name(QStringLiteral("stereo")),
              int64_t(AV_CH_LAYOUT_STEREO));
    EXPECT_EQ(lm_get_channel_layout_by_name(QStringLiteral("5.1")),
              int64_t(AV_CH_LAYOUT_5POINT1_BACK));
    EXPECT_EQ(lm_get_channel_layout_by_name(QStringLiteral("no such layout")), 0);
    EXPECT_EQ(lm_get_channel_layout_by_name(QString()), 0);

    EXPECT_EQ(lm_get_channel_layout_nb_channels(AV_CH_LAYOUT_5POINT1), 6);
    EXPECT_EQ(lm_get_channel_layout_nb_channels(AV_CH_FRONT_LEFT), 1);
    EXPECT_EQ(lm_get_channel_layout_nb_channels(0), 0);
}

TEST(ExportedFunctions, EngineTime)
{
    EXPECT_EQ(lm_default_time_base(), 1000000);
    EXPECT_DOUBLE_EQ(lm_ff_time_to_double(1500000), 1.5);
    EXPECT_DOUBLE_EQ(lm_ff_time_to_double(-250000), -0.25);

    const uint64_t first = lm_wall_absolute_time();
    const int64_t firstUs = lm_wall_absolute_fftime();
    const uint64_t second = lm_wall_absolute_time();
    EXPECT_LE(first, second);
    EXPECT_GE(firstUs, int64_t(first / 1000) - 1);
    EXPECT_LE(firstUs, int64_t(second / 1000) + 1);
}

TEST(ExportedFunctions, RoundToAlign)
{
    struct Case
    {
        int align;
        double value;
        int expected;
    };
    const Case cases[] = {
        {0, 7.4, 7},    // an alignment below 1 is 1
        {16, 23.0, 16}, // 23/16 rounds down to 1
        {16, 24.0, 32}, // 1.5 rounds away from zero
        {2, 719.0, 720},
        {4, 0.0, 0},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(testing::Message() << row.align << ", " << row.value);
        EXPECT_EQ(lm_round_to_align(row.align, row.value), row.expected);
    }
}

TEST(ExportedFunctions, CodecIdsByName)
{
    struct Case
    {
        const char *name;
        int expected;
    };
    const Case cases[] = {
        {"MPEG2", AV_CODEC_ID_MPEG2VIDEO},
        {"mpeg1", AV_CODEC_ID_MPEG1VIDEO},
        {"AC-3", AV_CODEC_ID_AC3},
        {"animation", AV_CODEC_ID_QTRLE},
        {"wma2", AV_CODEC_ID_WMAV2},
        {"ffv", AV_CODEC_ID_FFV1},
        {"h264", AV_CODEC_ID_H264},
        {"no such codec", AV_CODEC_ID_NONE},
        {"", AV_CODEC_ID_NONE},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(lm_get_codec_id_by_name(QString::fromLatin1(row.name)), row.expected);
    }
    EXPECT_EQ(lm_get_codec_name_by_id(AV_CODEC_ID_NONE), QString(QLatin1String("")));
    EXPECT_EQ(lm_get_codec_name_by_id(AV_CODEC_ID_AC3), QStringLiteral("ac3"));
    EXPECT_EQ(lm_get_codec_name_by_id(AV_CODEC_ID_MPEG2VIDEO), QStringLiteral("mpeg2video"));
}

TEST(ExportedFunctions, PixelCodes)
{
    struct Case
    {
        const char *name;
        int32_t code;
        int expected;
    };
    const Case cases[] = {
        {"32-bit ARGB", 32, AV_PIX_FMT_ARGB},
        {"BGRA", lm_pix_code("BGRA"), AV_PIX_FMT_BGRA},
        {"RGBA", lm_pix_code("RGBA"), AV_PIX_FMT_RGBA},
        {"ABGR", lm_pix_code("ABGR"), AV_PIX_FMT_ABGR},
        {"2vuy", lm_pix_code("2vuy"), AV_PIX_FMT_UYVY422},
        {"420v", lm_pix_code("420v"), AV_PIX_FMT_NV12},
        {"yuvs", lm_pix_code("yuvs"), AV_PIX_FMT_YUYV422},
        {"zero", 0, AV_PIX_FMT_NONE},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(lm_get_pix_fmt_by_pix_code(row.code), row.expected);
    }
}

TEST(ExportedFunctions, LanguageCodeTable)
{
    struct Case
    {
        int index;
        const char *code;
    };
    const Case cases[] = {{0, "eng"},
                          {18, "hr "},
                          {29, ""},
                          {86, "tir"},
                          {94, "epo"},
                          {95, ""},
                          {128, "wel"},
                          {138, "jav"},
                          {139, ""},
                          {-1, ""}};
    for (const Case &row : cases) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(lm_get_mov_iso639_2_lang_code_by_index(row.index), QString::fromLatin1(row.code));
    }
}

TEST(ExportedFunctions, LanguageDisplayNames)
{
    const QMap<QString, QString> &map = lm_get_mov_iso639_2_lang_display_map();
    EXPECT_EQ(map.size(), 105);
    EXPECT_EQ(&map, &lm_get_mov_iso639_2_lang_display_map());
    EXPECT_FALSE(map.contains(QStringLiteral("86")));
    EXPECT_FALSE(map.contains(QStringLiteral("95")));
    EXPECT_EQ(map.value(QStringLiteral("28")), QStringLiteral("Lettish"));
    EXPECT_EQ(map.value(QStringLiteral("29")), QStringLiteral("Sami"));
    EXPECT_EQ(map.value(QStringLiteral("87")), QStringLiteral("Oromo"));

    const QStringList displays = lm_get_mov_iso639_2_lang_displays();
    EXPECT_EQ(displays.size(), 98);
    EXPECT_EQ(displays.first(), QStringLiteral("English"));
    EXPECT_EQ(displays.last(), QStringLiteral("JavaneseRom"));
    for (const char *absent :
         {"Sami", "Farsi", "Flemish", "MongolianCyr", "Sinhala", "Kinyarwanda", "Nyanja"})
        EXPECT_FALSE(displays.contains(QString::fromLatin1(absent))) << absent;

    struct Case
    {
        const char *display;
        const char *code;
    };
    const Case cases[] = {
        {"Lettish", "lav"},
        {"Latvian", "eng"}, // overwritten by Lettish, so unknown
        {"Sami", ""},       // a name whose index has no code
        {"Welsh", "wel"},
        {"Klingon", "eng"},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.display);
        EXPECT_EQ(lm_get_mov_iso639_2_lang_code(QString::fromLatin1(row.display)),
                  QString::fromLatin1(row.code));
    }
}

TEST(ExportedFunctions, LanguageDisplayForStreams)
{
    EXPECT_EQ(LibMedia::displayStringForLanguage(QStringLiteral("fra")), QStringLiteral("French"));
    EXPECT_EQ(LibMedia::displayStringForLanguage(QStringLiteral("ger")), QStringLiteral("German"));
    EXPECT_EQ(LibMedia::displayStringForLanguage(QStringLiteral("de")), QStringLiteral("German"));
    EXPECT_EQ(LibMedia::displayStringForLanguage(QStringLiteral("qqx")), QStringLiteral("English"));
}

QStringList g_logged;
std::mutex g_logLock;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    std::lock_guard guard(g_logLock);
    g_logged.append(message);
}

TEST(ExportedFunctions, DictionaryDumpLogsEachEntryInOrder)
{
    QLoggingCategory::setFilterRules(QStringLiteral("discwright.reelsmith.media.info=true"));
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    AVDictionary *dict = nullptr;
    av_dict_set(&dict, "title", "Holiday", 0);
    av_dict_set(&dict, "language", "fra", 0);
    lm_ff_dump_av_dict(dict);
    lm_ff_dump_av_dict(nullptr);
    av_dict_free(&dict);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    EXPECT_EQ(g_logged,
              (QStringList{QStringLiteral(":title:Holiday:"), QStringLiteral(":language:fra:")}));
}

TEST(ExportedFunctions, BothTimeProfileEntriesShareOneProfilerThatReportsAtOnce)
{
    QLoggingCategory::setFilterRules(QStringLiteral("discwright.reelsmith.coding.info=true"));
    {
        std::lock_guard guard(g_logLock);
        g_logged.clear();
    }
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    int runs = 0;
    LibMedia::timeProfileBlock([&] { ++runs; });
    // The same totals: neither later call is the first, and 5 s have not passed.
    LibMedia::timeProfileBlock([&] { ++runs; });
    LMHelper::timeProfileBlock([&] { ++runs; });
    LMHelper::timeProfileBlock(nullptr);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    EXPECT_EQ(runs, 3);
    std::lock_guard guard(g_logLock);
    ASSERT_EQ(g_logged.size(), 1) << g_logged.join(QLatin1Char('|')).toStdString();
    const QStringList fields = g_logged.first().split(QLatin1Char(' '));
    ASSERT_EQ(fields.size(), 4) << g_logged.first().toStdString();
    EXPECT_EQ(fields.last(), QStringLiteral("1")) << "one run in the first report";
}

TEST(ExportedFunctions, GenericColourSpace)
{
    EXPECT_EQ(lm_default_generic_rgb_color_space(), QColorSpace(QColorSpace::SRgb));
}

} // namespace
