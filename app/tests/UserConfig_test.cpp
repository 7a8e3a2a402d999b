// The settings object: its file in the application support folder and the queries on the shipped
// output format lists.

#include "app/AppExtention/UserConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kResources = QStringLiteral(DW_BINARY_DIR "/resources");

// Points the user's data folder into a scratch folder, so "user.config" lands there.
class UserConfigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_scratch.isValid());
        m_oldData = qgetenv("XDG_DATA_HOME");
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_scratch.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_scratch.filePath("data")));
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_oldData);
        qputenv("HOME", m_oldHome);
    }

    QTemporaryDir m_scratch;
    QByteArray m_oldData, m_oldHome;
};

TEST_F(UserConfigTest, WithoutASettingsFileTheDefaultsApply)
{
    const UserConfig config(kResources);
    EXPECT_EQ(UserConfig::savePath(),
              m_scratch.filePath("data/org.discwright.Discwright/user.config"));
    EXPECT_EQ(config.version(), "1");
    EXPECT_TRUE(config.defaultFormat().isEmpty());
    const QVariantMap format = config.defaultFormatDic();
    EXPECT_EQ(format.value("FormatName"), "MPEG-4 Movie(*.mp4)");
    EXPECT_EQ(format.value("OutputPathExtention"), "mp4");
    for (const char *key : {"VideoCodec",
                            "FrameRate",
                            "Resolution",
                            "VideoBitRate",
                            "Codec",
                            "SampleRate",
                            "Channel",
                            "BitRate"})
        EXPECT_TRUE(format.contains(key)) << key;
    EXPECT_TRUE(config.autoFilter);
    EXPECT_EQ(config.defaultFilterSeconds, 10);
    EXPECT_EQ(config.maxConvertCount, 1);
}

TEST_F(UserConfigTest, OnlyVersionAndDefaultFormatSurviveASave)
{
    {
        UserConfig config(kResources);
        config.setVersion("7");
        config.setDefaultFormatDic(config.getFormatDicWithdefaultFormat("MP3 Audio(*.mp3)"));
        config.maxConvertCount = 4;
        config.showScreenshot = false;
        ASSERT_TRUE(config.save()) << qPrintable(config.lastError());
    }
    ASSERT_TRUE(QFile::exists(UserConfig::savePath()));
    const UserConfig loaded(kResources);
    EXPECT_EQ(loaded.version(), "7");
    EXPECT_EQ(loaded.defaultFormatDic().value("FormatName"), "MP3 Audio(*.mp3)");
    EXPECT_EQ(loaded.maxConvertCount, 1);
    EXPECT_TRUE(loaded.showScreenshot);
}

TEST_F(UserConfigTest, ADamagedSettingsFileKeepsTheDefaults)
{
    QDir().mkpath(QFileInfo(UserConfig::savePath()).absolutePath());
    QFile file(UserConfig::savePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an archive");
    file.close();
    const UserConfig config(kResources);
    EXPECT_EQ(config.version(), "1");
    EXPECT_EQ(config.defaultFormatDic().value("FormatName"), "MPEG-4 Movie(*.mp4)");
}

TEST_F(UserConfigTest, ValuesOfTheShownTexts)
{
    UserConfig config(kResources);
    const QVariantMap values = config.getFormatValueDicWithdefaultFormatDic();
    EXPECT_EQ(values.value("OutputFormat"), "MPEG-4 Movie(*.mp4)");
    EXPECT_EQ(values.value("VideoCodec"), "libx264");
    EXPECT_FLOAT_EQ(values.value("FrameRate").toFloat(), 29.97f);
    EXPECT_EQ(values.value("VideoBitRate").toInt(), 2000);
    EXPECT_EQ(values.value("Resolution"), "1280x720");
    EXPECT_EQ(values.value("SampleRate").toInt(), 48000);
    EXPECT_EQ(values.value("Channel").toInt(), 2);

    EXPECT_FALSE(config.getValueWithString(QString(), "Codec", "MPEG-4 Movie(*.mp4)").isValid());
    EXPECT_FALSE(config.getValueWithString("no such", "Codec", "MPEG-4 Movie(*.mp4)").isValid());
}

TEST_F(UserConfigTest, AnAudioOnlyFormatHasNoVideoKeysOrValues)
{
    UserConfig config(kResources);
    const QVariantMap format = config.getFormatDicWithdefaultFormat("MP3 Audio(*.mp3)");
    ASSERT_FALSE(format.isEmpty());
    for (const char *key : {"VideoCodec", "FrameRate", "Resolution", "VideoBitRate"})
        EXPECT_FALSE(format.contains(key)) << key;
    EXPECT_TRUE(format.contains("Codec"));
    config.setDefaultFormatDic(format);
    const QVariantMap values = config.getFormatValueDicWithdefaultFormatDic();
    for (const char *key : {"VideoCodec", "FrameRate", "Resolution", "VideoBitRate"})
        EXPECT_FALSE(values.contains(key)) << key;
    EXPECT_EQ(values.value("Codec"), "libmp3lame");
}

TEST_F(UserConfigTest, CategoriesAndPictures)
{
    const UserConfig config(kResources);
    struct Row
    {
        const char *name;
        bool common;
        bool music;
    };
    const Row rows[] = {{"MPEG-4 Movie(*.mp4)", false, false},
                        {"MP3 Audio(*.mp3)", true, true},
                        {"AVI Movie(*.avi)", true, false},
                        {"M4V Movie(*.m4v)", true, false},
                        {"nothing", false, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(config.isACommonItem(row.name), row.common);
        EXPECT_EQ(config.isACommonMusicItem(row.name), row.music);
    }
    EXPECT_FALSE(config.getDefualtFormatImage("MPEG-4 Movie(*.mp4)").isNull());
    EXPECT_TRUE(config.getDefualtFormatImage("nothing").isNull());
    EXPECT_TRUE(config.getFormatDicWithdefaultFormat("nothing").isEmpty());
}

} // namespace
