// Title and menu conversion with the real converter, spumux and ffprobe: which files the work
// folder holds afterwards, what the streams are, the same streams whether jobs run at once or
// one at a time, progress that never falls, and cancels and failures that leave nothing behind.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/subpicture/SubpictureStreamScan.h"
#include "Reelsmith/LMFunctions.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/production/MakeDVDVideo.h"
#include "app/production/ProductionDiscModel.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/MenuFixtures.h"
#include "support/ProductionFixtures.h"
#include "support/TrimmedTitle.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;

constexpr int64_t kSecond = 1000000;

// The application's library operations and the shipped templates, as at start-up.
const auto *const environment
    = ::testing::AddGlobalTestEnvironment(new production_fixtures::ShippedApplication);

DVDLibraryRef makeDisc(const ObjectList &titles, bool pal = true)
{
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setFormat(pal ? 1 : 0);
    dvd->setAspectType(1);
    dvd->setDvdBitrate(4000);
    dvd->setNoMenu(true);
    dvd->setTitles(titles);
    return dvd;
}

QStringList filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// What ffprobe counts in a converted stream.
struct StreamCounts
{
    QString videoCodec;
    int width = 0;
    int height = 0;
    QString frameRate;
    QString aspect;
    int videoFrames = 0;
    QString audioCodec;
    int sampleRate = 0;
    int channels = 0;
    int audioFrames = 0;
    double duration = 0.0;
};

StreamCounts countStreams(const QString &path)
{
    StreamCounts counts;
    const QJsonObject probe
        = fixtures::ffprobeJson(path, {"-count_frames", "-show_streams", "-show_format"});
    const QJsonObject video = fixtures::firstStreamOfType(probe, "video");
    const QJsonObject audio = fixtures::firstStreamOfType(probe, "audio");
    counts.videoCodec = video.value("codec_name").toString();
    counts.width = video.value("width").toInt();
    counts.height = video.value("height").toInt();
    counts.frameRate = video.value("r_frame_rate").toString();
    counts.aspect = video.value("display_aspect_ratio").toString();
    counts.videoFrames = video.value("nb_read_frames").toString().toInt();
    counts.audioCodec = audio.value("codec_name").toString();
    counts.sampleRate = audio.value("sample_rate").toString().toInt();
    counts.channels = audio.value("channels").toInt();
    counts.audioFrames = audio.value("nb_read_frames").toString().toInt();
    counts.duration = probe.value("format").toObject().value("duration").toString().toDouble();
    return counts;
}

// Runs the conversion on a thread of its own, as the production thread does, while this (main)
// thread keeps its event loop going; during() runs on the main thread every 20 ms until the run
// ends.
bool runConversion(MakeDVDVideo &make,
                   const DVDLibraryRef &dvd,
                   const QString &work,
                   const std::function<void()> &during = {})
{
    std::atomic<bool> done{false};
    bool succeeded = false;
    std::thread production([&] {
        succeeded = make.makeDVDVideoTo(dvd, work);
        done.store(true);
    });
    const bool ended = runUntil(
        [&] {
            if (during && !done.load())
                during();
            return done.load();
        },
        600000);
    if (!ended)
        make.cancel();
    production.join();
    return succeeded;
}

class MakeDVDVideoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        red = ClipFixtures::shared().colour("red", 3);
        blue = ClipFixtures::shared().colour("blue", 2);
        ASSERT_FALSE(red.isEmpty());
        ASSERT_FALSE(blue.isEmpty());
    }

    QString red;
    QString blue;
    QTemporaryDir work;
};

} // namespace

TEST(MakeDVDVideoFormat, DiscSettingsGiveTheDvdOutputFormat)
{
    struct Row
    {
        const char *name;
        qint64 format;
        qint64 aspect;
        int height;
        int framerate;
        int frameTime;
        float ratio;
    };
    const Row rows[] = {{"PAL 16:9", 1, 1, 576, 25, 1, float(16.0 / 9.0)},
                        {"NTSC 4:3", 0, 0, 480, 30000, 1001, float(4.0 / 3.0)}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DVDLibrary dvd;
        dvd.setFormat(row.format);
        dvd.setAspectType(row.aspect);
        dvd.setDvdBitrate(4000);
        const LMFFMovieFileOutputFormat format = MakeDVDVideo::movieOutputFormat(dvd);
        EXPECT_EQ(format.width, 720);
        EXPECT_EQ(format.height, row.height);
        EXPECT_EQ(format.framerate, row.framerate);
        EXPECT_EQ(format.frameTime, row.frameTime);
        EXPECT_EQ(format.aspect, row.ratio);
        EXPECT_EQ(format.video_bitrate, 4000000);
        EXPECT_EQ(format.video_codec, lm_get_codec_id_by_name("mpeg2"));
        EXPECT_EQ(format.audio_codec, lm_get_codec_id_by_name("ac3"));
        EXPECT_EQ(format.sample_rate, 48000);
        EXPECT_EQ(format.audio_bitrate, 448000);
    }
}

TEST(MakeDVDVideoFormat, EmptyTitleGivesOneSecondPlaceholderAndLengthsAddUp)
{
    application();
    const VCMovieList none = MakeDVDVideo::getMoviesFromTitle(std::make_shared<DVDTitleData>());
    ASSERT_EQ(none.size(), 1);
    EXPECT_EQ(none[0]->trimDuration(), lm_default_time_base());
    EXPECT_DOUBLE_EQ(MakeDVDVideo::lengthFromMovies(none), 1.0);
    EXPECT_EQ(MakeDVDVideo::getMoviesFromTitle(nullptr).size(), 1);

    auto a = std::make_shared<VCMovie>();
    a->setTrimStop(2500000);
    auto b = std::make_shared<VCMovie>();
    b->setTrimStart(1000000);
    b->setTrimStop(1500000);
    EXPECT_DOUBLE_EQ(MakeDVDVideo::lengthFromMovies({a, b}), 3.0);
    EXPECT_DOUBLE_EQ(MakeDVDVideo::lengthFromMovies({}), 0.0);
}

TEST(MakeDVDVideoFormat, FileNamesCountFromZero)
{
    EXPECT_EQ(MakeDVDVideo::titleFileName(0), "title0.dvd");
    EXPECT_EQ(MakeDVDVideo::titleFileName(11), "title11.dvd");
    EXPECT_EQ(MakeDVDVideo::menuFileName(1), "menu1.dvd");
    EXPECT_EQ(MakeDVDVideo::menuTempFileName(2), "menu-temp-2.dvd");
    EXPECT_EQ(MakeDVDVideo::menuMusicTempFileName(3), "menu-music-temp-3.dvd");
}

// Titles only (menus off): the work folder holds the title streams and nothing else, each a
// DVD stream of the title's length; an empty title still gives a one-second stream.
TEST_F(MakeDVDVideoTest, TitlesOnlyWriteOneDvdStreamPerTitle)
{
    const auto first = makeTitleOf({{red, 0.5, 2.5}});
    const auto second = makeTitleOf({{blue, 0.0, 1.0}, {red, 1.0, 2.0}});
    const auto empty = std::make_shared<DVDTitleData>();
    const auto dvd = makeDisc({first, second, empty});
    MakeDVDVideo make;
    ASSERT_TRUE(runConversion(make, dvd, work.path())) << qPrintable(make.lastError());
    EXPECT_EQ(filesIn(work.path()), QStringList({"title0.dvd", "title1.dvd", "title2.dvd"}));
    EXPECT_DOUBLE_EQ(make.totalLength(), 5.0);
    EXPECT_DOUBLE_EQ(make.convertedLength(), 5.0);
    EXPECT_GT(make.progress(), 0.99);
    EXPECT_LT(make.progress(), 1.0);

    const double lengths[] = {2.0, 2.0, 1.0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const StreamCounts counts = countStreams(work.filePath(MakeDVDVideo::titleFileName(i)));
        EXPECT_EQ(counts.videoCodec, "mpeg2video");
        EXPECT_EQ(counts.width, 720);
        EXPECT_EQ(counts.height, 576);
        EXPECT_EQ(counts.frameRate, "25/1");
        EXPECT_EQ(counts.aspect, "16:9");
        EXPECT_EQ(counts.videoFrames, int(lengths[i] * 25));
        EXPECT_EQ(counts.audioCodec, "ac3");
        EXPECT_EQ(counts.sampleRate, 48000);
        EXPECT_EQ(counts.channels, 2);
        // Within one AC-3 frame (1536 samples) of the title's length.
        EXPECT_NEAR(counts.audioFrames * 1536.0 / 48000.0, lengths[i], 1536.0 / 48000.0);
    }
}

// Jobs at once must not change what is written: the same pictures and samples as one at a time.
TEST_F(MakeDVDVideoTest, JobsAtOnceWriteWhatOneAtATimeWrites)
{
    auto makeTitles = [&] {
        return ObjectList{makeTitleOf({{red, 0.0, 3.0}}),
                          makeTitleOf({{blue, 0.2, 1.8}, {red, 0.4, 1.2}}),
                          makeTitleOf({{blue, 0.0, 2.0}})};
    };
    QList<StreamCounts> results[2];
    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        QTemporaryDir folder;
        MakeDVDVideo make;
        make.setMaxConcurrentJobs(jobs);
        EXPECT_EQ(make.maxConcurrentJobs(), jobs);
        ASSERT_TRUE(runConversion(make, makeDisc(makeTitles()), folder.path()))
            << qPrintable(make.lastError());
        for (int i = 0; i < 3; ++i)
            results[jobs == 1 ? 0 : 1].append(
                countStreams(folder.filePath(MakeDVDVideo::titleFileName(i))));
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_GT(results[0][i].videoFrames, 0);
        EXPECT_EQ(results[0][i].videoFrames, results[1][i].videoFrames);
        EXPECT_EQ(results[0][i].audioFrames, results[1][i].audioFrames);
    }
}

// One title used twice (the warning video may be a title's clip too): each job decodes on its
// own, so both streams come out whole.
TEST_F(MakeDVDVideoTest, TitlesSharingAClipEachGetTheirOwnDecoder)
{
    const auto title = makeTitleOf({{red, 0.0, 3.0}});
    const auto dvd = makeDisc({title, title});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(2);
    ASSERT_TRUE(runConversion(make, dvd, work.path())) << qPrintable(make.lastError());
    const StreamCounts a = countStreams(work.filePath("title0.dvd"));
    const StreamCounts b = countStreams(work.filePath("title1.dvd"));
    EXPECT_EQ(a.videoFrames, 75);
    EXPECT_EQ(b.videoFrames, 75);
    EXPECT_EQ(a.audioFrames, b.audioFrames);
}

TEST_F(MakeDVDVideoTest, ProgressNeverFallsAndStaysBelowOneUntilTheEnd)
{
    const auto dvd = makeDisc({makeTitleOf({{red, 0.0, 3.0}}), makeTitleOf({{blue, 0.0, 2.0}})});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(1);
    QList<double> samples;
    ASSERT_TRUE(runConversion(make, dvd, work.path(), [&] { samples.append(make.progress()); }))
        << qPrintable(make.lastError());
    ASSERT_GT(samples.size(), 3);
    for (qsizetype i = 1; i < samples.size(); ++i)
        ASSERT_GE(samples[i], samples[i - 1]) << "at sample " << i;
    EXPECT_LT(samples.last(), 1.0);
    EXPECT_GT(samples.last(), 0.3);
    EXPECT_GE(make.progress(), samples.last());
    EXPECT_LT(make.progress(), 1.0);
}

TEST_F(MakeDVDVideoTest, CancelInTitlesLeavesNoWorkFile)
{
    const auto dvd = makeDisc({makeTitleOf({{red, 0.0, 3.0}}),
                               makeTitleOf({{blue, 0.0, 2.0}}),
                               makeTitleOf({{red, 0.0, 3.0}})});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(2);
    bool cancelled = false;
    const bool succeeded = runConversion(make, dvd, work.path(), [&] {
        if (!cancelled && make.progress() > 0.05) {
            make.cancel();
            cancelled = true;
        }
    });
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(succeeded);
    EXPECT_TRUE(make.isCancelled());
    EXPECT_EQ(make.lastError(), "cancelled");
    EXPECT_TRUE(filesIn(work.path()).isEmpty()) << qPrintable(filesIn(work.path()).join(' '));
    EXPECT_LT(make.progress(), 1.0);
}

TEST_F(MakeDVDVideoTest, CancelBeforeTheRunStartsNothing)
{
    const auto dvd = makeDisc({makeTitleOf({{red, 0.0, 3.0}})});
    MakeDVDVideo make;
    make.cancel();
    EXPECT_FALSE(runConversion(make, dvd, work.path()));
    EXPECT_TRUE(filesIn(work.path()).isEmpty());
}

// A title that cannot be written stops the run with the reason, and the titles already written
// go again; what the run did not make stays.
TEST_F(MakeDVDVideoTest, FailedTitleStopsTheRunAndSaysWhy)
{
    ASSERT_TRUE(QDir(work.path()).mkdir("title1.dvd"));
    QFile own(work.filePath("notes.txt"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();
    const auto dvd = makeDisc({makeTitleOf({{red, 0.0, 1.0}}), makeTitleOf({{blue, 0.0, 1.0}})});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(1);
    EXPECT_FALSE(runConversion(make, dvd, work.path()));
    EXPECT_TRUE(make.lastError().startsWith("Title 2 could not be converted"))
        << qPrintable(make.lastError());
    EXPECT_EQ(filesIn(work.path()), QStringList({"notes.txt"}));
    EXPECT_TRUE(QFileInfo(work.filePath("title1.dvd")).isDir());
    EXPECT_LT(make.progress(), 1.0);
}

TEST_F(MakeDVDVideoTest, AClipThatCannotBeReadToItsEndFailsTheRunNamingItAndWhen)
{
    const QString cut = ClipFixtures::shared().cutShort();
    ASSERT_FALSE(cut.isEmpty());
    const auto dvd = makeDisc({makeTitleOf({{red, 0.0, 1.0}}), makeTitleOf({{cut, 0.0, 5.0}})});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(1);
    EXPECT_FALSE(runConversion(make, dvd, work.path()));
    const QString why = make.lastError();
    EXPECT_TRUE(why.startsWith("Title 2 could not be converted")) << qPrintable(why);
    EXPECT_TRUE(why.contains("cannot read \"cut.mp4\" after 00:00:0")) << qPrintable(why);
    EXPECT_FALSE(QFileInfo::exists(work.filePath("title1.dvd")));
}

TEST_F(MakeDVDVideoTest, AClipWithAFewDamagedPacketsStillMakesItsTitle)
{
    const QString damaged = ClipFixtures::shared().damaged();
    ASSERT_FALSE(damaged.isEmpty());
    const auto dvd = makeDisc({makeTitleOf({{damaged, 0.0, 5.0}})});
    MakeDVDVideo make;
    ASSERT_TRUE(runConversion(make, dvd, work.path())) << qPrintable(make.lastError());
    EXPECT_GT(QFileInfo(work.filePath("title0.dvd")).size(), 0);
}

namespace {

// The project of the menu cases: titles placed on a shipped 16:9 template page whose music lasts
// musicSeconds, PAL, 4000 kbit/s; the production disc is built from it as the shell builds it.
struct MenuProject
{
    MenuProject(const QList<DVDTitleDataRef> &titles, double musicSeconds)
    {
        const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
        EXPECT_TRUE(shipped);
        if (!shipped)
            return;
        auto editing = std::make_shared<DVDLibrary>();
        editing->setFormat(1);
        editing->setAspectType(1);
        editing->setDvdBitrate(4000);
        editing->setCurrentMenu(shipped->copyMenu());
        editing->setMenus({std::make_shared<DVDMenu>()});
        ObjectList records;
        for (const auto &title : titles)
            records.append(title);
        DVDLibraryExtention::updateDVDTitles(*editing, records);
        page = editing->menus().value(0);
        EXPECT_TRUE(page);
        if (!page)
            return;
        const auto titleSlots = DVDMenuExtention::titleItems(*page);
        EXPECT_GE(titleSlots.size(), titles.size());
        for (qsizetype i = 0; i < titles.size() && i < titleSlots.size(); ++i)
            titleSlots[i]->setJump(titles[i]);
        if (musicSeconds > 0) {
            music = MediaData::mediaDataWithPath(sineMusic(musicSeconds));
            EXPECT_TRUE(music->movie());
            page->setMusic(music);
        }
        editing->updateDVDMenu();
        window->setDvd(editing);
        disc = Discwright::ProductionDiscModel::getDVDObj(*window);
    }

    ScopedMainWindow window;
    DVDMenuRef page;
    MediaDataRef music;
    DVDLibraryRef disc;
};

} // namespace

// The case the folder step depends on: two titles (one trimmed across three chapters) on a 16:9
// page with 20 s of music leave exactly the two title streams and the menu stream, the menu
// with its buttons laid in and its music's length.
TEST_F(MakeDVDVideoTest, TwoTitlesOnAPageWithMusicLeaveExactlyTheirStreams)
{
    const QString chaptered = ClipFixtures::shared().chaptered20s();
    ASSERT_FALSE(chaptered.isEmpty());
    MenuProject project({makeTitleOf({{chaptered, 5.0, 16.0}}), makeTitleOf({{red, 0.0, 3.0}})},
                        20.0);
    ASSERT_TRUE(project.disc);
    ASSERT_EQ(project.disc->titles().size(), 2);
    ASSERT_EQ(project.disc->menus().size(), 1);
    EXPECT_DOUBLE_EQ(project.page->duration(), 20.0);

    MakeDVDVideo make;
    ASSERT_TRUE(runConversion(make, project.disc, work.path())) << qPrintable(make.lastError());
    EXPECT_EQ(filesIn(work.path()), QStringList({"menu0.dvd", "title0.dvd", "title1.dvd"}));
    EXPECT_DOUBLE_EQ(make.totalLength(), 11.0 + 3.0 + 40.0);

    const StreamCounts title0 = countStreams(work.filePath("title0.dvd"));
    EXPECT_EQ(title0.videoFrames, 11 * 25);
    EXPECT_NEAR(title0.audioFrames * 1536.0 / 48000.0, 11.0, 1536.0 / 48000.0);
    const StreamCounts title1 = countStreams(work.filePath("title1.dvd"));
    EXPECT_EQ(title1.videoFrames, 3 * 25);

    const QString menu = work.filePath("menu0.dvd");
    const StreamCounts counts = countStreams(menu);
    EXPECT_EQ(counts.videoCodec, "mpeg2video");
    EXPECT_EQ(counts.width, 720);
    EXPECT_EQ(counts.height, 576);
    EXPECT_EQ(counts.aspect, "16:9");
    EXPECT_EQ(counts.videoFrames, 20 * 25);
    EXPECT_EQ(counts.audioCodec, "ac3");
    // The music is encoded twice (on its own, then under the page), so its encoder's lead-in may
    // cost one more AC-3 frame than a title's sound.
    EXPECT_NEAR(counts.audioFrames * 1536.0 / 48000.0, 20.0, 2 * 1536.0 / 48000.0);
    EXPECT_TRUE(Platterkit::programStreamHasSubpicture(menu));
    // The page itself is in the stream, not the black picture of its music file.
    const QImage picture = testing_support::firstPictureOfStream(menu, QSize(90, 72));
    ASSERT_FALSE(picture.isNull());
    int brightest = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            brightest = std::max(brightest, qGray(picture.pixel(x, y)));
    EXPECT_GT(brightest, 60);
}

// A page without music gets silence of its length, not the sound of a file never written.
TEST_F(MakeDVDVideoTest, PageWithoutMusicGetsSilenceOfItsLength)
{
    MenuProject project({makeTitleOf({{blue, 0.0, 1.0}})}, 0.0);
    ASSERT_TRUE(project.disc);
    // Production reads the copy made at Burn, so the length is set on the copy's page.
    project.disc->menus().value(0)->setDuration(2.0);
    MakeDVDVideo make;
    ASSERT_TRUE(runConversion(make, project.disc, work.path())) << qPrintable(make.lastError());
    EXPECT_EQ(filesIn(work.path()), QStringList({"menu0.dvd", "title0.dvd"}));
    const StreamCounts counts = countStreams(work.filePath("menu0.dvd"));
    EXPECT_EQ(counts.videoFrames, 50);
    EXPECT_EQ(counts.audioCodec, "ac3");
    EXPECT_NEAR(counts.audioFrames * 1536.0 / 48000.0, 2.0, 1536.0 / 48000.0);
}

// Menus off: the pages are not converted and do not count.
TEST_F(MakeDVDVideoTest, NoMenuDiscConvertsItsTitlesOnly)
{
    MenuProject project({makeTitleOf({{blue, 0.0, 1.0}})}, 3.0);
    ASSERT_TRUE(project.disc);
    project.disc->setNoMenu(true);
    MakeDVDVideo make;
    ASSERT_TRUE(runConversion(make, project.disc, work.path())) << qPrintable(make.lastError());
    EXPECT_EQ(filesIn(work.path()), QStringList({"title0.dvd"}));
    EXPECT_DOUBLE_EQ(make.totalLength(), 1.0);
}

// Cancel while the page is being made (its music or its video): nothing is left.
TEST_F(MakeDVDVideoTest, CancelInAMenuLeavesNoWorkFile)
{
    MenuProject project({makeTitleOf({{blue, 0.0, 1.0}})}, 20.0);
    ASSERT_TRUE(project.disc);
    MakeDVDVideo make;
    bool cancelled = false;
    const bool succeeded = runConversion(make, project.disc, work.path(), [&] {
        const QStringList files = filesIn(work.path());
        const bool inMenu = std::any_of(
            files.begin(), files.end(), [](const QString &name) { return name.contains("menu"); });
        if (!cancelled && inMenu && make.convertedLength() >= 1.0) {
            make.cancel();
            cancelled = true;
        }
    });
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(make.lastError(), "cancelled");
    EXPECT_TRUE(filesIn(work.path()).isEmpty()) << qPrintable(filesIn(work.path()).join(' '));
}

// Cancel while spumux runs: the tool is stopped at once rather than waited for, and nothing of
// the run is left. A stand-in spumux marks that it started and then only waits.
TEST_F(MakeDVDVideoTest, CancelDuringSpumuxStopsItAndLeavesNoWorkFile)
{
    QTemporaryDir tools;
    const QString marker = tools.filePath("spumux-started");
    {
        QFile script(tools.filePath("spumux"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\ntouch '%1'\nexec sleep 120\n").arg(marker).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("DISCWRIGHT_TOOLS_DIR", tools.path().toUtf8());
    MenuProject project({makeTitleOf({{blue, 0.0, 1.0}})}, 0.0);
    ASSERT_TRUE(project.disc);
    // Production reads the copy made at Burn, so the length is set on the copy's page.
    project.disc->menus().value(0)->setDuration(2.0);
    MakeDVDVideo make;
    std::chrono::steady_clock::time_point cancelledAt;
    bool cancelled = false;
    const bool succeeded = runConversion(make, project.disc, work.path(), [&] {
        if (!cancelled && QFile::exists(marker)) {
            make.cancel();
            cancelled = true;
            cancelledAt = std::chrono::steady_clock::now();
        }
    });
    qunsetenv("DISCWRIGHT_TOOLS_DIR");
    ASSERT_TRUE(cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::seconds(30));
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(make.lastError(), "cancelled");
    EXPECT_TRUE(filesIn(work.path()).isEmpty()) << qPrintable(filesIn(work.path()).join(' '));
}
