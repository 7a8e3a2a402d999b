#include "Reelsmith/dvd/LMDVD.h"
#include "Reelsmith/dvd/LMDVDFile.h"
#include "Reelsmith/dvd/LMDVDIO.h"
#include "Reelsmith/dvd/LMDVDSource.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "testsupport/DvdFixtures.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

using fixtures::DvdFixtures;

namespace {

constexpr int kSector = LMDVD::kSectorSize;

std::shared_ptr<LMDVD> openOrFail(const QString &path)
{
    EXPECT_FALSE(path.isEmpty()) << DvdFixtures::shared().lastError().toStdString();
    if (path.isEmpty())
        return nullptr;
    std::shared_ptr<LMDVD> dvd = LMDVD::open(path);
    EXPECT_TRUE(dvd) << path.toStdString();
    return dvd;
}

// A model of one title set with one title of the given number of separate runs, built by hand.
std::shared_ptr<LMDVD> dvdWithRuns(int runs)
{
    auto dvd = std::make_shared<LMDVD>(nullptr, QStringLiteral("/nowhere"));
    auto set = std::make_shared<LMDVDTitleSet>();
    set->title_set = 1;
    auto title = std::make_shared<LMDVDTitle>();
    title->title_id = 1;
    for (int i = 0; i < runs; ++i)
        title->medias.append(std::make_shared<LMDVDMedia>(i * 100, 50, i + 1));
    set->titles.append(title);
    dvd->title_sets.append(set);
    return dvd;
}

QByteArray readAllSectors(LMDVDSource &source)
{
    QByteArray all;
    QByteArray block(16 * kSector, '\0');
    for (int64_t index = 0; index < source.sector_count();) {
        const int64_t got = source.readBlock(index, 16, reinterpret_cast<uint8_t *>(block.data()));
        if (got < 1)
            break;
        all.append(block.constData(), got * kSector);
        index += got;
    }
    return all;
}

} // namespace

struct DiscCase
{
    const char *name;
    QString (*path)();
    QString volume;
    QString format;
    QString aspect;
    int titles;
};

// What the IFO files say, through each way a user hands over the same disc.
TEST(DVD, ReadsTheStructureOfEveryKindOfDisc)
{
    const std::vector<DiscCase> cases = {
        {"ISO image", [] { return DvdFixtures::shared().palIso(); }, "MY_VOLUME", "pal", "16:9", 2},
        {"folder holding VIDEO_TS",
         [] { return DvdFixtures::shared().palFolder(); },
         "PALDISC",
         "pal",
         "16:9",
         2},
        {"the VIDEO_TS folder itself",
         [] { return DvdFixtures::shared().palFolder() + QStringLiteral("/VIDEO_TS"); },
         "PALDISC",
         "pal",
         "16:9",
         2},
        {"a .dvdmedia folder",
         [] { return DvdFixtures::shared().palDvdmedia(); },
         "Holiday",
         "pal",
         "16:9",
         2},
        {"NTSC 4:3 folder",
         [] { return DvdFixtures::shared().ntscFolder(); },
         "NTSCDISC",
         "ntsc",
         "4:3",
         1},
    };
    for (const DiscCase &row : cases) {
        SCOPED_TRACE(row.name);
        std::shared_ptr<LMDVD> dvd = openOrFail(row.path());
        ASSERT_TRUE(dvd);
        EXPECT_EQ(dvd->volume(), row.volume);
        ASSERT_EQ(dvd->title_sets.size(), 1);
        const LMDVDTitleSet &set = *dvd->title_sets.first();
        EXPECT_EQ(set.title_set, 1);
        EXPECT_EQ(set.dvdFormat, row.format);
        EXPECT_EQ(set.display_aspect_ratio, row.aspect);
        EXPECT_EQ(set.audioLanguages, QStringList{QStringLiteral("English")});
        EXPECT_TRUE(set.subtitleLanguages.isEmpty());
        ASSERT_EQ(set.titles.size(), row.titles);
        ASSERT_EQ(set.medias.size(), row.titles); // one VOB per title here

        // The three chapter cells of title 1 follow each other in one VOB: one run from 0.
        const LMDVDTitle &first = *set.titles.first();
        EXPECT_EQ(first.title_id, 1);
        ASSERT_EQ(first.medias.size(), 1);
        EXPECT_EQ(first.medias[0]->start_sector, 0);
        EXPECT_EQ(first.medias[0]->vob_id, 1);
        EXPECT_EQ(first.medias[0]->sector_count, set.medias[0]->sector_count);
        EXPECT_GT(first.sector_count(), 0);
        if (row.titles == 2) {
            const LMDVDTitle &second = *set.titles[1];
            ASSERT_EQ(second.medias.size(), 1);
            EXPECT_EQ(second.medias[0]->vob_id, 2);
            EXPECT_EQ(second.medias[0]->start_sector, first.medias[0]->end_sector());
        }
    }
}

TEST(DVD, MissingDiscIsNull)
{
    EXPECT_FALSE(LMDVD::open(QStringLiteral("/nonexistent/disc")));
}

TEST(DVD, VolumeNameOfFoldersWithoutUdfName)
{
    const QString base = DvdFixtures::shared().palFolder();
    ASSERT_FALSE(base.isEmpty());
    QDir(base).mkpath(QStringLiteral("../other.name.dvdmedia/video_ts"));
    const QString other = QFileInfo(base).absolutePath() + QStringLiteral("/other.name.dvdmedia");
    EXPECT_EQ(LMDVD::volumeNameForPath(other), QStringLiteral("other.name"));
    EXPECT_EQ(LMDVD::volumeNameForPath(other + QStringLiteral("/video_ts")),
              QStringLiteral("other.name"));
    EXPECT_EQ(LMDVD::volumeNameForPath(base + QStringLiteral("/VIDEO_TS/")),
              QStringLiteral("PALDISC"));
}

TEST(DVD, SourcesAreNamedAndKeyedPerObject)
{
    std::shared_ptr<LMDVD> dvd = openOrFail(DvdFixtures::shared().palIso());
    ASSERT_TRUE(dvd);
    const QList<std::shared_ptr<LMDVDSource>> sources = dvd->titleSources();
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources[0]->name(), QStringLiteral("MY_VOLUME_1_1"));
    EXPECT_EQ(sources[1]->name(), QStringLiteral("MY_VOLUME_1_2"));
    EXPECT_TRUE(sources[0]->isDVD());
    EXPECT_EQ(sources[0]->path(), DvdFixtures::shared().palIso());
    EXPECT_EQ(sources[0]->filesize(), sources[0]->sector_count() * kSector);
    EXPECT_EQ(sources[0]->audioNames(), QStringList{QStringLiteral("English")});
    EXPECT_NE(sources[0]->sourceKey(), sources[0]->copy()->sourceKey());
    EXPECT_TRUE(sources[0]->sourceKey().startsWith(QStringLiteral("dvd-source:")));

    dvd->split_by_vob = true;
    const QList<std::shared_ptr<LMDVDSource>> vobs = dvd->titleSources();
    ASSERT_EQ(vobs.size(), 2);
    EXPECT_FALSE(vobs[0]->title());
    EXPECT_EQ(vobs[1]->source_id(), 2);
    EXPECT_EQ(vobs[1]->name(), QStringLiteral("MY_VOLUME_1_2"));
}

TEST(DVD, TitlesOfManyRunsAreOfferedAsTheirRuns)
{
    struct Row
    {
        int runs;
        int sources;
    };
    for (const Row row : {Row{199, 1}, Row{200, 200}}) {
        SCOPED_TRACE(row.runs);
        std::shared_ptr<LMDVD> dvd = dvdWithRuns(row.runs);
        const QList<std::shared_ptr<LMDVDSource>> sources = dvd->titleSources();
        ASSERT_EQ(sources.size(), row.sources);
        if (row.sources > 1) {
            EXPECT_EQ(sources.last()->media()->start_sector, (row.runs - 1) * 100);
            EXPECT_EQ(sources.last()->sector_count(), 50);
        } else {
            EXPECT_EQ(sources[0]->sector_count(), 50 * row.runs);
        }
    }
}

TEST(DVD, SubMediaIsTheOverlap)
{
    const LMDVDMedia run(100, 50, 3);
    struct Row
    {
        const char *name;
        int start, count;
        int expectStart, expectCount; // count 0: no overlap
    };
    const Row rows[] = {
        {"inside", 110, 10, 110, 10},
        {"over the start", 90, 20, 100, 10},
        {"over the end", 140, 100, 140, 10},
        {"around", 0, 1000, 100, 50},
        {"before", 0, 100, 0, 0},
        {"after", 150, 10, 0, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::shared_ptr<LMDVDMedia> part = run.subMediaAt(row.start, row.count);
        if (row.expectCount == 0) {
            EXPECT_FALSE(part);
            continue;
        }
        ASSERT_TRUE(part);
        EXPECT_EQ(part->start_sector, row.expectStart);
        EXPECT_EQ(part->sector_count, row.expectCount);
        EXPECT_EQ(part->vob_id, 0);
    }
    EXPECT_EQ(run.description(), QStringLiteral("start:100 count:50"));
}

TEST(DVD, FilesMatchTheFolder)
{
    const QString folder = DvdFixtures::shared().palFolder();
    std::shared_ptr<LMDVD> dvd = openOrFail(folder);
    ASSERT_TRUE(dvd);
    QMap<QString, qint64> onDisk;
    for (const QFileInfo &info :
         QDir(folder + QStringLiteral("/VIDEO_TS")).entryInfoList(QDir::Files))
        onDisk.insert(QStringLiteral("VIDEO_TS/") + info.fileName(), info.size());
    QMap<QString, qint64> listed;
    for (const auto &file : dvd->dvdFiles())
        listed.insert(file->filename(), file->filesize());
    EXPECT_EQ(listed, onDisk);

    // The same files in the image, readable through their objects.
    std::shared_ptr<LMDVD> iso = openOrFail(DvdFixtures::shared().palIso());
    ASSERT_TRUE(iso);
    QMap<QString, qint64> inImage;
    for (const auto &file : iso->dvdFiles()) {
        inImage.insert(file->filename(), file->filesize());
        QFile real(folder + QLatin1Char('/') + file->filename());
        ASSERT_TRUE(real.open(QIODevice::ReadOnly));
        QByteArray expected = real.read(2 * kSector);
        QByteArray got(2 * kSector, '\0');
        const int64_t n = file->read(reinterpret_cast<uint8_t *>(got.data()), 0, 2 * kSector);
        ASSERT_EQ(n, expected.size()) << file->description().toStdString();
        EXPECT_EQ(got.left(n), expected) << file->filename().toStdString();
    }
    EXPECT_EQ(inImage, onDisk);
}

// The demuxer's view of a title: callbacks that stop at sector ends, report the end and the size.
TEST(DVD, ReadCallbackAnswersSectorsEndAndErrors)
{
    std::shared_ptr<LMDVD> dvd = openOrFail(DvdFixtures::shared().palIso());
    ASSERT_TRUE(dvd);
    std::shared_ptr<LMDVDSource> source = dvd->titleSources().first();
    ASSERT_TRUE(source->avio_context());
    EXPECT_GE(int64_t(source->blocks()), source->sector_count());
    std::vector<uint8_t> buffer(20000);

    EXPECT_EQ(source->seekTo(100, SEEK_SET), 100);
    EXPECT_EQ(source->readPacket(buffer.data(), 10000), kSector - 100);
    EXPECT_EQ(source->read_offset(), kSector);
    EXPECT_EQ(source->readPacket(buffer.data(), 10000), 8192);
    EXPECT_EQ(source->readPacket(buffer.data(), 100), 100);
    EXPECT_EQ(source->read_offset(), kSector + 8192 + 100);

    EXPECT_EQ(source->seekTo(0, AVSEEK_SIZE), source->filesize());
    EXPECT_EQ(source->read_offset(), kSector + 8192 + 100);
    EXPECT_EQ(source->seekTo(-kSector, SEEK_END), source->filesize() - kSector);
    EXPECT_EQ(source->readPacket(buffer.data(), 10000), kSector);
    EXPECT_EQ(source->readPacket(buffer.data(), 10000), AVERROR_EOF);
    EXPECT_EQ(source->seekTo(-5000, SEEK_SET), -5000);
    EXPECT_EQ(source->readPacket(buffer.data(), 10000), AVERROR_EOF);
    EXPECT_EQ(source->seekTo(0, 3), AVERROR(ENOSYS));
    EXPECT_EQ(source->seekTo(kSector, SEEK_SET | AVSEEK_FORCE), kSector);
}

// Sectors past the end of the title VOBs cannot be read: an error for the demuxer, counted, and
// cleared by the next seek.
TEST(DVD, FailedSectorReadIsAnErrorNotTheEnd)
{
    std::shared_ptr<LMDVD> dvd = openOrFail(DvdFixtures::shared().palFolder());
    ASSERT_TRUE(dvd);
    const auto set = dvd->title_sets.first();
    auto beyond = std::make_shared<LMDVDMedia>(10000000, 64, 9);
    LMDVDSource source(dvd, set, nullptr, beyond);
    ASSERT_TRUE(source.avio_context());
    std::vector<uint8_t> buffer(4 * kSector);
    EXPECT_EQ(source.readPacket(buffer.data(), 4 * kSector), AVERROR(EIO));
    EXPECT_EQ(source.readPacket(buffer.data(), 100), AVERROR(EIO));
    EXPECT_EQ(source.has_error_time(), 2);
    EXPECT_TRUE(source.has_read_error());
    source.seekTo(0, SEEK_SET);
    EXPECT_FALSE(source.has_read_error());
}

// Two sources of one image read at once: each must get its own sectors.
TEST(DVD, SourcesOfOneImageReadConcurrently)
{
    std::shared_ptr<LMDVD> dvd = openOrFail(DvdFixtures::shared().palIso());
    ASSERT_TRUE(dvd);
    dvd->split_by_vob = true;
    QList<std::shared_ptr<LMDVDSource>> sources = dvd->titleSources();
    ASSERT_EQ(sources.size(), 2);
    QByteArray expected[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(sources[i]->avio_context());
        expected[i]
            = QCryptographicHash::hash(readAllSectors(*sources[i]), QCryptographicHash::Sha256);
    }
    QByteArray got[2][16];
    std::thread readers[2];
    for (int i = 0; i < 2; ++i) {
        readers[i] = std::thread([&, i] {
            for (int round = 0; round < 16; ++round)
                got[i][round] = QCryptographicHash::hash(readAllSectors(*sources[i]),
                                                         QCryptographicHash::Sha256);
        });
    }
    for (auto &reader : readers)
        reader.join();
    for (int i = 0; i < 2; ++i) {
        for (int round = 0; round < 16; ++round)
            EXPECT_EQ(got[i][round], expected[i]) << "source " << i << " round " << round;
    }
}

struct PlayCase
{
    const char *name;
    QString (*path)();
    int title;
    int width;
    int height;
};

// A title opens like a file: MPEG-2 video and AC-3 audio for the whole length lsdvd reports.
TEST(DVD, TitlesPlayForTheirLength)
{
    const std::vector<PlayCase> cases = {
        {"PAL image, 3 s title", [] { return DvdFixtures::shared().palIso(); }, 0, 720, 576},
        {"PAL folder, 2 s title", [] { return DvdFixtures::shared().palFolder(); }, 1, 720, 576},
        {"NTSC folder, 2 s title", [] { return DvdFixtures::shared().ntscFolder(); }, 0, 720, 480},
    };
    for (const PlayCase &row : cases) {
        SCOPED_TRACE(row.name);
        const QString path = row.path();
        std::shared_ptr<LMDVD> dvd = openOrFail(path);
        ASSERT_TRUE(dvd);
        const QList<double> lengths = fixtures::lsdvdTitleLengths(path);
        ASSERT_GT(lengths.size(), row.title);

        std::shared_ptr<LMDVDSource> source = dvd->titleSources()[row.title];
        const QList<std::shared_ptr<LMFFMedia>> medias = source->createMedias();
        ASSERT_FALSE(medias.isEmpty());
        LMFFMovie movie;
        movie.openMedias(medias);
        ASSERT_TRUE(movie.hasVideo());
        ASSERT_TRUE(movie.hasAudio());
        EXPECT_EQ(movie.videoCodec(), AV_CODEC_ID_MPEG2VIDEO);
        EXPECT_EQ(movie.audioCodec(), AV_CODEC_ID_AC3);
        EXPECT_EQ(movie.videoFormat().width, row.width);
        EXPECT_EQ(movie.videoFormat().height, row.height);
        EXPECT_NEAR(movie.duration() / 1e6, lengths[row.title], 0.1);
        EXPECT_EQ(movie.audioStreams(), QStringList{QStringLiteral("English")});

        std::shared_ptr<LMMovieImage> image;
        movie.decodeImageAtTimeActionWaitUntilDone(
            1000000, [&](const std::shared_ptr<LMMovieImage> &frame) { image = frame; }, true);
        EXPECT_TRUE(image);
        std::vector<float> samples(2048 * 2);
        bool read = false;
        movie.decodeImageWaitUntilDone([&] { read = movie.readSampleFrame(samples.data(), 2048); },
                                       true);
        EXPECT_TRUE(read);
    }
}

// A run of a frame or two (a still, a menu remnant) takes no room on the title's timeline.
TEST(DVD, ShortRunsAreLeftOutOfTheTimeline)
{
    std::shared_ptr<LMDVD> dvd = openOrFail(DvdFixtures::shared().shortRunFolder());
    ASSERT_TRUE(dvd);
    const LMDVDTitle &title = *dvd->title_sets.first()->titles.first();
    ASSERT_EQ(title.medias.size(), 3); // three VOB ids: three runs
    EXPECT_EQ(title.medias[1]->start_sector, title.medias[0]->end_sector());

    std::shared_ptr<LMDVDSource> source = dvd->titleSources().first();
    const QList<std::shared_ptr<LMFFMedia>> medias = source->createMedias();
    ASSERT_EQ(medias.size(), 4); // video and audio of the two long runs
    const int64_t firstLength = std::max(medias[0]->duration(), medias[1]->duration());
    EXPECT_EQ(medias[0]->movie_position, 0);
    EXPECT_EQ(medias[1]->movie_position, 0);
    EXPECT_EQ(medias[2]->movie_position, firstLength);
    EXPECT_EQ(medias[3]->movie_position, firstLength);
    EXPECT_NEAR(firstLength / 1e6, 1.0, 0.1);
    auto *run = dynamic_cast<LMDVDSource *>(medias[2]->source().get());
    ASSERT_TRUE(run);
    EXPECT_EQ(run->media()->vob_id, 3);
}

// A segment over a title is fitted to a DVD frame of its title set's aspect.
TEST(DVD, SegmentsAreSizedByTheirTitleSetAspect)
{
    struct Row
    {
        const char *name;
        QString (*path)();
        QString aspect;
        int32_t zoom;
        QSizeF size;
    };
    const std::vector<Row> rows = {
        {"PAL 16:9",
         [] { return DvdFixtures::shared().palFolder(); },
         QStringLiteral("16:9"),
         LMSegmentMovie::kZoom16x9,
         QSizeF(852, 480)},
        {"NTSC 4:3",
         [] { return DvdFixtures::shared().ntscFolder(); },
         QStringLiteral("4:3"),
         LMSegmentMovie::kZoom4x3,
         QSizeF(640, 480)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::shared_ptr<LMDVD> dvd = openOrFail(row.path());
        ASSERT_TRUE(dvd);
        std::shared_ptr<LMDVDSource> source = dvd->titleSources().first();
        EXPECT_EQ(source->dvdDisplayAspectRatio(), row.aspect);
        auto segment = LMSegmentMovie::movieWithSource(source);
        ASSERT_TRUE(segment);
        EXPECT_EQ(segment->zoomType(), row.zoom);
        EXPECT_EQ(segment->ffmovie()->outputVideoSize(), row.size);
    }
}

TEST(DVD, DiagnosticListsTitlesAndCells)
{
    const QStringList lines = LMDVDIO::test(DvdFixtures::shared().palFolder());
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("volume PALDISC title_sets 1")));
    EXPECT_EQ(lines.filter(QStringLiteral("    cell ")).size(), 4); // 3 chapters + 1
    EXPECT_EQ(lines.filter(QStringLiteral("title VOBs")).size(), 1);
    EXPECT_TRUE(LMDVDIO::test(QStringLiteral("/nonexistent")).isEmpty());
}
