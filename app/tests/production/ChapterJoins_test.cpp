// A title cut at chapter points plays its source straight through: the pieces the chapters cut
// are joined for the title conversion, so the sound carries no click at a chapter point. Checked
// on the joining itself and on a whole production to a folder, whose title VOB ffmpeg reads with
// the tone taken out (band-reject) around each chapter point.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/DVDTitleVideo.h"
#include "app/production/ProductionDiscModel.h"
#include "support/AppFakes.h"
#include "support/ProductionFixtures.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

using namespace app_testing;
using State = ProductionResult::State;

namespace {

constexpr int64_t kSecond = 1000000;

const auto *const environment
    = ::testing::AddGlobalTestEnvironment(new production_fixtures::ShippedApplication(true));

// The 9 s clip with chapters at 3 s and 6 s, an English tone and a German noise track.
MediaDataRef chapteredClip()
{
    const QString path = fixtures::MediaFixtures::shared().twoLanguageMkv();
    EXPECT_FALSE(path.isEmpty()) << qPrintable(fixtures::MediaFixtures::shared().lastError());
    auto media = MediaData::mediaDataWithPath(path);
    EXPECT_TRUE(media->movie());
    return media;
}

// Seconds to a tenth: the clip's sound runs a few milliseconds past 9 s.
QList<std::pair<double, double>> trimsOf(const VCMovieList &pieces)
{
    const auto tenths = [](int64_t us) { return std::round(double(us) / kSecond * 10.0) / 10.0; };
    QList<std::pair<double, double>> trims;
    for (const auto &piece : pieces)
        trims.append({tenths(piece->trimStart()), tenths(piece->trimStop())});
    return trims;
}

TEST(ChapterJoins, PiecesOfOneSourceThatMeetAreJoined)
{
    const MediaDataRef clip = chapteredClip();
    ASSERT_TRUE(clip->movie());
    ASSERT_EQ(clip->markerArray().size(), 2);
    const MediaDataRef other = chapteredClip();
    ASSERT_TRUE(other->movie());
    using Trims = QList<std::pair<double, double>>;

    // Kept segments of the video editor: [start, length, fade in, fade out] in seconds.
    struct Row
    {
        const char *name;
        QList<std::array<double, 4>> kept;
        Trims chapters; // the pieces chapterMovies cuts, all chapters in order
        Trims joined;
    };
    const Row rows[] = {
        {"the whole clip, cut at 3 s and 6 s", {}, {{0, 3}, {3, 6}, {6, 9}}, {{0, 9}}},
        {"a gap between kept segments stays a gap",
         {{0, 2, 0, 0}, {4, 5, 0, 0}},
         {{0, 2}, {4, 6}, {6, 9}},
         {{0, 2}, {4, 9}}},
        {"a fade someone asked for stays between its segments",
         {{0, 4, 0, 1}, {4, 5, 1, 0}},
         {{0, 3}, {3, 4}, {4, 6}, {6, 9}},
         {{0, 4}, {4, 9}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QList<std::shared_ptr<MovieTrimItem>> kept;
        for (const auto &[start, length, fadeIn, fadeOut] : row.kept)
            kept.append(MovieTrimItem::item(start, length, fadeIn, fadeOut));
        clip->movie()->setTrimArray(kept);
        VCMovieList pieces;
        for (const VCMovieList &chapter : clip->chapterMovies())
            pieces.append(chapter);
        ASSERT_EQ(trimsOf(pieces), row.chapters);
        const VCMovieList joined = MediaData::joinedPieces(pieces);
        EXPECT_EQ(trimsOf(joined), row.joined);
        // The chapters keep their own pieces; the joined ones are fresh.
        EXPECT_EQ(trimsOf(pieces), row.chapters);
        for (const auto &piece : joined)
            EXPECT_EQ(piece->movie(), clip->movie()->movie());
    }
    clip->movie()->setTrimArray({});

    // Two clips of the same file are two sources: their pieces are never joined.
    VCMovieList two = clip->movie()->validVCMovies() + other->movie()->validVCMovies();
    two[0]->setTrimStop(3 * kSecond);
    two[1]->setTrimStart(3 * kSecond);
    EXPECT_EQ(MediaData::joinedPieces(two).size(), 2);
    EXPECT_TRUE(MediaData::joinedPieces({}).isEmpty());
}

// The loudest sound (dB) of the VOB's audio from start for length seconds once the 1 kHz tone is
// taken out.
double loudestBesideTheTone(const QString &vob, double start, double length)
{
    QString error;
    const double loudest = fixtures::loudestBesideTone(vob, 1000.0, start, length, &error);
    EXPECT_FALSE(std::isnan(loudest)) << qPrintable(error);
    return loudest;
}

TEST(ChapterJoins, TheTitleOfAChapteredClipHasNoClickAtItsChapterPoints)
{
    const QString missing
        = production_fixtures::missingTool({"ffmpeg", "spumux", "dvdauthor", "lsdvd"});
    if (!missing.isEmpty())
        GTEST_SKIP() << qPrintable(missing) << " is missing";
    QTemporaryDir dir;
    ScopedMainWindow window;
    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
    ASSERT_TRUE(shipped);
    auto title = std::make_shared<DVDTitleData>();
    title->setMediaArray({chapteredClip()});
    auto editing = std::make_shared<DVDLibrary>();
    editing->setFormat(1);
    editing->setAspectType(1);
    editing->setDvdBitrate(4000);
    editing->setCurrentMenu(shipped->copyMenu());
    editing->setMenus({std::make_shared<DVDMenu>()});
    ObjectList records;
    records.append(title);
    DVDLibraryExtention::updateDVDTitles(*editing, records);
    const DVDMenuRef page = editing->menus().value(0);
    ASSERT_TRUE(page);
    const auto titleSlots = DVDMenuExtention::titleItems(*page);
    ASSERT_FALSE(titleSlots.isEmpty());
    titleSlots[0]->setJump(title);
    editing->updateDVDMenu();
    window->setDvd(editing);
    const DVDLibraryRef disc = Discwright::ProductionDiscModel::getDVDObj(*window);
    ASSERT_TRUE(disc);

    auto presenter = std::make_shared<production_fixtures::RecordingPresenter>();
    ConvertProgressWindowController controller;
    controller.setPresenter(presenter);
    controller.setTempWorkPath(dir.filePath(QStringLiteral("out/temp")));
    controller.setWorkflowTiming({100, 5000, 1000});
    const QString folder = dir.filePath(QStringLiteral("out/Chapters"));
    const ProductionResult result = production_fixtures::runToEnd(
        controller, [&] { return controller.burnMedia(disc, folder); });
    ASSERT_EQ(result.state, State::Done) << qPrintable(result.reason);

    const testing_support::DiscInfo info = testing_support::readDisc(folder);
    ASSERT_TRUE(info.ok) << qPrintable(info.error);
    ASSERT_EQ(info.titles.size(), 1);
    ASSERT_EQ(info.titles[0].chapters.size(), 3);
    EXPECT_NEAR(info.titles[0].chapters[0].lengthSeconds, 3.0, 0.5);
    EXPECT_NEAR(info.titles[0].chapters[1].lengthSeconds, 3.0, 0.5);

    const QString vob = QDir(folder).filePath(QStringLiteral("VIDEO_TS/VTS_01_1.VOB"));
    ASSERT_TRUE(QFileInfo::exists(vob));
    // Only the English tone is in the title's sound: without it, the German noise would show.
    EXPECT_LT(loudestBesideTheTone(vob, 1.0, 1.5), -60.0);
    for (const double join : {3.0, 6.0}) {
        SCOPED_TRACE(testing::Message() << "chapter point at " << join << " s");
        EXPECT_LT(loudestBesideTheTone(vob, join - 0.25, 0.5), -60.0);
    }
}

} // namespace
