#pragma once

// What the chapter sheet's window tests share: a main window with one imported clip made by the
// ffmpeg program, the chapter editor opened on it, clicks at the timeline's times, the screenshots
// a person looks at, and the burn of the project to a DVD folder.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/Controller/MainWindowController.h"
#include "app/chaptereditor/Controller/ChapterEditorWindowController.h"
#include "support/ShellTesting.h"
#include "testsupport/DiscFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace chapter_testing {

// seconds of 160 x 120 testsrc at 25 frames a second with a key frame every second and a tone.
QString makeClip(const QString &folder, int seconds);

class ChapterSheetTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Imports a clip of seconds through the window's Add Video button; answers its clip.
    MediaDataRef importClip(int seconds);
    ChapterEditorWindowController &editor() { return *controller->chapterEditController(); }
    // Opens the sheet on clip and pauses its player at 0.
    void openOn(const MediaDataRef &clip);
    // A press (and release) on the timeline's bar at time t.
    void pressBarAt(qint64 t);
    // Runs the loop until the timeline's playhead is within 0.05 s of t.
    bool playheadReaches(qint64 t);
    // Types text into the time field of tile index and presses Return.
    void typeInTile(int index, const QString &text, bool pressReturn = true);
    // Saves the widget's picture as /tmp/shots/chapter/<name>.png.
    void shot(QWidget &widget, const QString &name);
    // Burns the project to a DVD folder named "Chapters"; answers what lsdvd reads there.
    testing_support::DiscInfo burnToFolder();

    QApplication &app = shell_testing::application();
    shell_testing::ScopedPanels panels;
    QTemporaryDir clips;
    QTemporaryDir output;
    std::shared_ptr<MainWindowController> controller;
};

} // namespace chapter_testing
