#include "Reelsmith/detail/ProcessPaths.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/waveform/LMSamplePointTask.h"
#include "Reelsmith/waveform/MovieAudioTaskExtractWave.h"
#include "testsupport/AudioFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using fixtures::MediaFixtures;

namespace {

// Test processes running at once share these files; the fixtures never let a reader see half of
// one.
QString sineWav(double seconds)
{
    const QString path = MediaFixtures::shared().sine441FloatWav(seconds);
    EXPECT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    return path;
}

QString videoOnly()
{
    const QString path = MediaFixtures::shared().videoOnlyMkv();
    EXPECT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    return path;
}

std::vector<float> floatsOf(const QByteArray &data)
{
    std::vector<float> values(size_t(data.size()) / sizeof(float));
    memcpy(values.data(), data.constData(), values.size() * sizeof(float));
    return values;
}

std::unique_ptr<LMFFMovie> openMovie(const QString &path)
{
    auto source = LMMediaSource::mediaWithPath(path);
    source->open();
    auto movie = std::make_unique<LMFFMovie>();
    movie->openMedias(source->createMedias());
    return movie;
}

// Collects the engine's warnings while alive.
class LogCapture
{
public:
    LogCapture()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) {
                std::lock_guard guard(s_lock);
                s_messages.append(message);
            });
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QStringList messages() const
    {
        std::lock_guard guard(s_lock);
        return s_messages;
    }

private:
    QtMessageHandler m_previous;
    static inline std::mutex s_lock;
    static inline QStringList s_messages;
};

// A stand-in helper: a shell script that records what it was given, then runs body.
QString scriptHelper(const QTemporaryDir &dir, const QString &body)
{
    const QString path = dir.filePath(QStringLiteral("helper.sh"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\n"
                              "stat -c %a \"$2\" > \"%1/mode\"\n"
                              "echo \"$2\" > \"%1/result\"\n"
                              "echo $# > \"%1/count\"\n%2\n")
                   .arg(dir.path(), body)
                   .toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

} // namespace

TEST(Waveform, TenSecondsGiveOneThousandPeaks)
{
    const QString path = sineWav(10);
    ASSERT_FALSE(path.isEmpty());
    LMSamplePointTask task;
    EXPECT_EQ(task.sample_point_per_second, 100);
    const std::optional<QByteArray> points = task.samplePointsFromPath(path, std::nullopt);
    ASSERT_TRUE(points);
    const std::vector<float> peaks = floatsOf(*points);
    ASSERT_EQ(peaks.size(), 1000u);
    for (size_t i = 0; i < peaks.size(); ++i)
        ASSERT_NEAR(peaks[i], 0.5f, 0.001f) << "point " << i;
    EXPECT_NEAR(task.progress(), 1.0, 0.01);
}

TEST(Waveform, ShortClipProgressCountsAtLeastOneSecond)
{
    const QString path = sineWav(0.5);
    ASSERT_FALSE(path.isEmpty());
    LMSamplePointTask task;
    ASSERT_TRUE(task.samplePointsFromPath(path, std::nullopt));
    EXPECT_DOUBLE_EQ(task.progress(), 22528.0 / 44100.0);
}

TEST(Waveform, RefusesWhatItCannotMeasure)
{
    {
        SCOPED_TRACE("no audio");
        const QString path = videoOnly();
        ASSERT_FALSE(path.isEmpty());
        LMSamplePointTask task;
        EXPECT_FALSE(task.samplePointsFromPath(path, std::nullopt));
    }
    {
        SCOPED_TRACE("more than ten hours");
        std::unique_ptr<LMFFMovie> movie = openMovie(sineWav(0.5));
        LMSamplePointTask task;
        EXPECT_FALSE(task.samplePointsFromMovie(*movie, 0, 36000000001LL));
        EXPECT_TRUE(task.samplePointsFromMovie(*movie, 0, 100000));
    }
    {
        SCOPED_TRACE("cancelled");
        std::unique_ptr<LMFFMovie> movie = openMovie(sineWav(10));
        LMSamplePointTask task;
        task.cancel();
        EXPECT_FALSE(task.samplePointsFromMovie(*movie));
    }
    {
        SCOPED_TRACE("unreadable file");
        LMSamplePointTask task;
        EXPECT_FALSE(task.samplePointsFromPath(QStringLiteral("/nonexistent.wav"), std::nullopt));
    }
}

TEST(Waveform, HelperArgumentsJoinStreamIndexes)
{
    EXPECT_EQ(MovieAudioTaskExtractWave::helperArguments("in.mov", "out", QList<int>{1, 3}),
              (QStringList{"in.mov", "out", "1-3"}));
    EXPECT_EQ(MovieAudioTaskExtractWave::helperArguments("in.mov", "out", std::nullopt),
              (QStringList{"in.mov", "out"}));
    EXPECT_EQ(MovieAudioTaskExtractWave::helperArguments("in.mov", "out", QList<int>{}),
              (QStringList{"in.mov", "out"}));
    EXPECT_EQ(MovieAudioTaskExtractWave::parseProgressLine("0.250000"), 0.25);
    EXPECT_FALSE(MovieAudioTaskExtractWave::parseProgressLine("garbage"));
}

// The helper computes what the engine computes in process, for every stream choice.
TEST(Waveform, WavetallyGivesTheInProcessResult)
{
    struct Row
    {
        const char *name;
        QString path;
        std::optional<QList<int>> streams;
    };
    const Row rows[] = {
        {"all streams", sineWav(10), std::nullopt},
        {"second of two audio streams", MediaFixtures::shared().twoAudioMka(), QList<int>{1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.path.isEmpty());
        LMSamplePointTask task;
        const std::optional<QByteArray> expected = task.samplePointsFromPath(row.path, row.streams);
        ASSERT_TRUE(expected);
        MovieAudioTaskExtractWave helper;
        ASSERT_TRUE(QFileInfo::exists(helper.helperPath())) << helper.helperPath().toStdString();
        const std::optional<QByteArray> got = helper.samplePointsFromPath(row.path, row.streams);
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, *expected);
        EXPECT_GT(helper.progress(), 0.9);
        EXPECT_TRUE(helper.isFinished());
    }
}

TEST(Waveform, MissingWavetallyIsNilAndLogged)
{
    LogCapture log;
    MovieAudioTaskExtractWave helper;
    helper.setHelperPath(QStringLiteral("/nonexistent/Wavetally"));
    EXPECT_FALSE(helper.samplePointsFromPath(sineWav(0.5)));
    EXPECT_TRUE(helper.isFinished());
    bool logged = false;
    for (const QString &message : log.messages())
        logged = logged || message.startsWith(QStringLiteral("exception "));
    EXPECT_TRUE(logged) << log.messages().join('\n').toStdString();
}

// The result file used to have a guessable name in the shared temporary folder.
TEST(Waveform, ResultFileIsPrivateUniqueAndRemoved)
{
    QTemporaryDir dir;
    MovieAudioTaskExtractWave helper;
    helper.setHelperPath(scriptHelper(dir, QStringLiteral("exit 0")));
    EXPECT_FALSE(helper.samplePointsFromPath(QStringLiteral("in.wav")));
    EXPECT_EQ(readText(dir.filePath("mode")), QStringLiteral("600"));
    EXPECT_EQ(readText(dir.filePath("count")), QStringLiteral("2"));
    const QString first = readText(dir.filePath("result"));
    const QString root = Reelsmith::detail::privateTempRoot();
    EXPECT_EQ(QFileInfo(first).absolutePath(), root);
    EXPECT_EQ(QFile::permissions(root)
                  & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther
                     | QFile::ExeGroup | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_FALSE(QFileInfo::exists(first));

    EXPECT_FALSE(helper.samplePointsFromPath(QStringLiteral("in.wav"), QList<int>{1, 3}));
    EXPECT_EQ(readText(dir.filePath("count")), QStringLiteral("3"));
    EXPECT_NE(readText(dir.filePath("result")), first);
}

TEST(Waveform, CancelEndsTheHelper)
{
    QTemporaryDir dir;
    MovieAudioTaskExtractWave helper;
    helper.setHelperPath(scriptHelper(dir, QStringLiteral("echo 0.5\nexec sleep 30")));
    QElapsedTimer timer;
    timer.start();
    std::thread canceller([&] {
        // Cancelled once the helper runs and has said how far it is.
        fixtures::waitUntil([&] { return !helper.isFinished() && helper.progress() == 0.5; });
        helper.cancel();
    });
    EXPECT_FALSE(helper.samplePointsFromPath(QStringLiteral("in.wav")));
    canceller.join();
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(helper.progress(), 0.5);
    EXPECT_TRUE(helper.isFinished());
}
