// A person's own clips through the window to a DVD folder, then played the way a set-top player
// does: an HEVC clip with chapters and an English and a German track, a turned phone clip, a 4:3
// camcorder AVI and a short clip. Four titles with the chapters where the clip has them, the
// English tone alone in the sound (no German noise, no click at a chapter point), and a menu whose
// every button the remote's arrows reach.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/subpicture/MenuButtonNavigation.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "support/ShellTesting.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/FfmpegProgram.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

// The loudest sound (dB) of the VOB's audio from start for length seconds once the 1 kHz tone is
// taken out.
double loudestBesideTheTone(const QString &vob, double start, double length)
{
    QString error;
    const double loudest = fixtures::loudestBesideTone(vob, 1000.0, start, length, &error);
    EXPECT_FALSE(std::isnan(loudest)) << qPrintable(error);
    return loudest;
}

class FourClipDisc : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
    }
    void TearDown() override
    {
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    QApplication &app = application();
    ScopedPanels panels;
    QTemporaryDir clips;
    QTemporaryDir output;
    std::shared_ptr<MainWindowController> controller;
};

TEST_F(FourClipDisc, APersonsClipsBecomeADiscThatPlaysLikeOne)
{
    auto &media = fixtures::MediaFixtures::shared();
    // A phone holds its clips upright by a rotation tag (stream copy turns the tag into the
    // display matrix).
    const QString phone = clips.filePath("Phone.mp4");
    QString error;
    ASSERT_TRUE(fixtures::runFfmpeg({"-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc2=size=320x180:rate=30:duration=6",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=frequency=440:sample_rate=48000:duration=6",
                                     "-c:v",
                                     "libx264",
                                     "-preset",
                                     "veryfast",
                                     "-c:a",
                                     "aac",
                                     clips.filePath("landscape.mp4")},
                                    clips.filePath("landscape.mp4"),
                                    &error))
        << qPrintable(error);
    ASSERT_TRUE(fixtures::runFfmpeg({"-i",
                                     clips.filePath("landscape.mp4"),
                                     "-c",
                                     "copy",
                                     "-metadata:s:v:0",
                                     "rotate=90",
                                     phone},
                                    phone,
                                    &error))
        << qPrintable(error);
    // The chaptered clip first, so that its title starts the title set's first VOB. Every clip
    // lasts the 5 s a clip needs to be taken.
    const std::pair<QString, const char *> sources[] = {
        {media.twoLanguageMkv(), "Holiday.mkv"},
        {media.camcorderAvi(), "Camcorder.avi"},
        {media.testsrc2SineMp4(5), "Short.mp4"},
    };
    QStringList paths;
    for (const auto &[made, name] : sources) {
        ASSERT_FALSE(made.isEmpty()) << qPrintable(media.lastError());
        paths << clips.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(QFile::copy(made, paths.last()));
    }
    paths.insert(1, phone);
    panels.panel->files << paths;
    QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
    ASSERT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
    ASSERT_EQ(DVDMenuExtention::titleItems(*controller->dvd()->menus().first()).size(), 4);

    QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
    BurnSettingWindow *sheet = controller->burnSettingWindow();
    ASSERT_TRUE(sheet->isVisible());
    sheet->burnType()->button(1)->click();
    sheet->tvStandardType()->button(1)->click();
    sheet->dvdNameField()->setText("Holiday");
    panels.panel->directories << output.path();
    QTest::mouseClick(sheet->chooseFolderButton(), Qt::LeftButton);
    ASSERT_TRUE(sheet->startButton()->isEnabled());
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    // The run goes on beside the window.
    ASSERT_TRUE(waitForProductionEnd(*controller));
    ASSERT_EQ(controller->lastProductionRequest().result.state, ProductionResult::State::Done)
        << controller->lastProductionRequest().result.reason.toStdString();

    const QString folder = output.filePath("Holiday");
    const testing_support::DiscInfo disc = testing_support::readDisc(folder);
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    ASSERT_EQ(disc.titles.size(), 4);
    // The chapters at the clip's marks, 3 s and 6 s (chapter points land on a GOP start).
    ASSERT_EQ(disc.titles[0].chapters.size(), 3);
    EXPECT_NEAR(disc.titles[0].chapters[0].lengthSeconds, 3.0, 0.5);
    EXPECT_NEAR(disc.titles[0].chapters[1].lengthSeconds, 3.0, 0.5);
    EXPECT_NEAR(disc.titles[0].lengthSeconds, 9.0, 0.5);

    // The English tone alone: no German noise under it, no click at either chapter point.
    const QString vob = QDir(folder).filePath("VIDEO_TS/VTS_01_1.VOB");
    EXPECT_LT(loudestBesideTheTone(vob, 1.0, 1.5), -60.0);
    for (const double join : {3.0, 6.0}) {
        SCOPED_TRACE(testing::Message() << "chapter point at " << join << " s");
        EXPECT_LT(loudestBesideTheTone(vob, join - 0.25, 0.5), -60.0);
    }

    // The remote reaches every button of the menu; Down from a title leads to a button below it
    // whenever there is one (the next row, or the play button).
    const testing_support::MenuOnDisc menu = testing_support::readMenuOnDisc(folder);
    ASSERT_FALSE(menu.buttonTables.isEmpty());
    for (const QList<testing_support::ButtonOnDisc> &table : menu.buttonTables) {
        ASSERT_GE(table.size(), 5) << "four titles and the play button";
        QList<MenuButtonNavigation::Arrows> arrows;
        for (const testing_support::ButtonOnDisc &button : table) {
            MenuButtonNavigation::Arrows each;
            each.target[MenuButtonNavigation::Up] = button.up - 1;
            each.target[MenuButtonNavigation::Down] = button.down - 1;
            each.target[MenuButtonNavigation::Left] = button.left - 1;
            each.target[MenuButtonNavigation::Right] = button.right - 1;
            arrows.append(each);
        }
        EXPECT_TRUE(MenuButtonNavigation::everyButtonReachable(arrows));
        for (int i = 0; i < table.size(); ++i) {
            const double centre = (table[i].y0 + table[i].y1) / 2.0;
            bool below = false;
            for (const auto &other : table)
                below = below || (other.y0 + other.y1) / 2.0 > centre;
            const int down = table[i].down - 1;
            ASSERT_GE(down, 0);
            ASSERT_LT(down, table.size());
            if (below)
                EXPECT_GT((table[down].y0 + table[down].y1) / 2.0, centre) << "button " << i + 1;
            else
                EXPECT_EQ(down, i) << "button " << i + 1;
        }
    }
}

} // namespace
