// Whole production runs as the main window starts them: titles of real clips placed on a shipped
// 16:9 template page with music, converted by the application's conversion, authored, imaged and
// burned by the real tools, then read back like a player reads a disc (lsdvd, libdvdread).

#include "Platterkit/burn/DVDBurn.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/DVDTitleVideo.h"
#include "app/production/MakeDVDVideo.h"
#include "app/production/ProductionDiscModel.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/MenuFixtures.h"
#include "support/ProductionFixtures.h"
#include "testsupport/DiscFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace app_testing;
using State = ProductionResult::State;

namespace {

constexpr int64_t kSecond = 1000000;

const auto *const environment
    = ::testing::AddGlobalTestEnvironment(new production_fixtures::ShippedApplication(true));

DVDTitleDataRef titleOf(const QString &clip, double start, double stop)
{
    auto title = std::make_shared<DVDTitleData>();
    auto media = MediaData::mediaDataWithPath(clip);
    EXPECT_TRUE(media->movie()) << qPrintable(clip);
    if (media->movie()) {
        media->movie()->setTrimStart(int64_t(start * kSecond));
        media->movie()->setTrimStop(int64_t(stop * kSecond));
        title->setMediaArray({media});
    }
    return title;
}

// Two titles on the shipped 16:9 page with 20 s of music, PAL at 4000 kbit/s, as the production
// start builds its disc from the main window.
struct Project
{
    Project()
    {
        const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
        EXPECT_TRUE(shipped);
        const QString red = ClipFixtures::shared().colour(QStringLiteral("red"), 3);
        if (!shipped || red.isEmpty())
            return;
        const QList<DVDTitleDataRef> titles = {titleOf(red, 0.0, 3.0), titleOf(red, 0.5, 2.5)};
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
        const DVDMenuRef page = editing->menus().value(0);
        EXPECT_TRUE(page);
        if (!page)
            return;
        const auto titleSlots = DVDMenuExtention::titleItems(*page);
        for (qsizetype i = 0; i < titles.size() && i < titleSlots.size(); ++i)
            titleSlots[i]->setJump(titles[i]);
        music = MediaData::mediaDataWithPath(sineMusic(20.0));
        page->setMusic(music);
        editing->updateDVDMenu();
        window->setDvd(editing);
        disc = Discwright::ProductionDiscModel::getDVDObj(*window);
    }

    ScopedMainWindow window;
    MediaDataRef music;
    DVDLibraryRef disc;
};

class ProductionRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString missing = production_fixtures::missingTool(
            {"ffmpeg", "spumux", "dvdauthor", "mkisofs", "lsdvd", "isoinfo"});
        if (!missing.isEmpty())
            GTEST_SKIP() << qPrintable(missing) << " is missing";
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_project.disc);
        m_controller.setPresenter(m_presenter);
        m_controller.setTempWorkPath(m_dir.filePath(QStringLiteral("out/temp")));
        m_controller.setWorkflowTiming({100, 5000, 1000});
    }

    QTemporaryDir m_dir;
    Project m_project;
    std::shared_ptr<production_fixtures::RecordingPresenter> m_presenter
        = std::make_shared<production_fixtures::RecordingPresenter>();
    ConvertProgressWindowController m_controller;
};

} // namespace

TEST_F(ProductionRunTest, AnImageOfTwoTitlesAndTheirMenuPlaysLikeADisc)
{
    const QString image = m_dir.filePath(QStringLiteral("out/My DVD.iso"));
    const ProductionResult result = production_fixtures::runToEnd(
        m_controller, [&] { return m_controller.burnIsoName(m_project.disc, image, QString()); });
    ASSERT_EQ(result.state, State::Done) << qPrintable(result.reason);
    EXPECT_EQ(production_fixtures::isoVolumeName(image), QStringLiteral("My DVD"));

    const testing_support::DiscInfo disc = production_fixtures::readDiscApart(image);
    ASSERT_TRUE(disc.ok) << qPrintable(disc.error);
    ASSERT_NO_FATAL_FAILURE(production_fixtures::expectDiscTitles(disc, true, {3.0, 2.0}));
    const testing_support::MenuOnDisc menu = testing_support::readMenuOnDisc(image);
    ASSERT_TRUE(menu.opened);
    EXPECT_EQ(menu.menuVideoFormat, 1);
    ASSERT_FALSE(menu.buttonCounts.isEmpty());
    // The two title buttons and the play button.
    EXPECT_GE(menu.buttonCounts.first(), 3);

    EXPECT_EQ(m_presenter->revealed, QStringList{image});
    // Only the image is left in the output folder.
    EXPECT_EQ(QDir(m_dir.filePath(QStringLiteral("out")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("My DVD.iso")});
    for (const auto &sample : m_presenter->samples)
        EXPECT_LE(sample.progress, 0.99);
}

// The chaptered clip (chapters at 7 and 14 s) with two kept segments, 1.5 to 9.5 s and 10.5 to
// 17.5 s, as the only title of a disc without menus: three chapters of 5.5, 6 and 3.5 s.
TEST_F(ProductionRunTest, ChapterPointsOfAnEditedClipLandWithinAGroupOfPictures)
{
    const auto media = MediaData::mediaDataWithPath(ClipFixtures::shared().chaptered20s());
    ASSERT_TRUE(media && media->movie());
    media->movie()->setTrimArray({MovieTrimItem::item(1.5, 8.0), MovieTrimItem::item(10.5, 7.0)});
    auto title = std::make_shared<DVDTitleData>();
    title->setMediaArray({media});
    media->setSuperData(title);
    auto editing = std::make_shared<DVDLibrary>();
    editing->setFormat(1);
    editing->setAspectType(1);
    editing->setDvdBitrate(4000);
    editing->setNoMenu(true);
    DVDLibraryExtention::updateDVDTitles(*editing, {title});
    ScopedMainWindow window;
    window->setDvd(editing);
    const DVDLibraryRef disc = Discwright::ProductionDiscModel::getDVDObj(*window);
    ASSERT_TRUE(disc);
    ASSERT_EQ(disc->titles().size(), 1);
    const auto produced = platform::objectCast<Discwright::DVDTitleVideo>(disc->titles().first());
    ASSERT_TRUE(produced);
    // Where the project puts the chapters: each starts where the ones before it end.
    QList<double> starts;
    double end = 0.0;
    for (const auto &chapter : produced->chapterVideos()) {
        starts.append(end);
        end += chapter->duration();
    }
    ASSERT_EQ(starts, (QList<double>{0.0, 5.5, 11.5}));
    ASSERT_DOUBLE_EQ(end, 15.0);

    const QString folder = m_dir.filePath(QStringLiteral("out/Chapters"));
    const ProductionResult result = production_fixtures::runToEnd(
        m_controller, [&] { return m_controller.burnMedia(disc, folder); });
    ASSERT_EQ(result.state, State::Done) << qPrintable(result.reason);
    const testing_support::DiscInfo read = production_fixtures::readDiscApart(folder);
    ASSERT_TRUE(read.ok) << qPrintable(read.error);
    ASSERT_EQ(read.titles.size(), 1);
    const testing_support::DiscTitle &onDisc = read.titles.first();
    // A PAL frame is 0.04 s; a group of pictures is at most 15 frames.
    EXPECT_NEAR(onDisc.lengthSeconds, end, 0.04);
    ASSERT_EQ(onDisc.chapters.size(), starts.size());
    double start = 0.0;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(start, starts[i], 0.6);
        start += onDisc.chapters[i].lengthSeconds;
    }
}

TEST_F(ProductionRunTest, ACancelDuringTheConversionLeavesNothing)
{
    QTimer canceller;
    canceller.setInterval(10);
    QObject::connect(&canceller, &QTimer::timeout, &m_controller, [this, &canceller] {
        const auto workflow = m_controller.workflow();
        if (workflow && workflow->task() && workflow->progress() > 0.05) {
            m_controller.cancel();
            canceller.stop();
        }
    });
    canceller.start();
    const QString folder = m_dir.filePath(QStringLiteral("out/Holiday"));
    const ProductionResult result = production_fixtures::runToEnd(
        m_controller, [&] { return m_controller.burnMedia(m_project.disc, folder); });
    EXPECT_EQ(result.state, State::Cancelled) << qPrintable(result.reason);
    EXPECT_TRUE(m_presenter->revealed.isEmpty());
    EXPECT_TRUE(m_presenter->alerts.empty());
    EXPECT_TRUE(QDir(m_dir.filePath(QStringLiteral("out")))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
}
