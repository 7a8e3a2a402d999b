// The video editor sheet in the real main window, offscreen: it opens window-modal on an imported
// clip and plays it, keeps trims made by Add, a handle drag and a typed end, picks an audio track
// and a volume, turns and flips the picture, reads subtitles in their own encodings, and its close
// sequence runs once whatever closes it.

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/Convert/VideoEditPlayer.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/videoeditor/Controller/COMVideoEditorWindowController.h"
#include "app/videoeditor/Controller/SubtitleEncodings.h"
#include "app/videoeditor/View/COMVEPlayerDisplayView.h"
#include "app/videoeditor/View/COMVEProgressBarView.h"
#include "support/ShellTesting.h"
#include "testsupport/FfmpegProgram.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStringEncoder>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

constexpr int64_t kSecond = 1000000;

class VideoEditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
        editor = ControllerFunction::com_videoEditController();
        ASSERT_TRUE(editor);
    }
    void TearDown() override
    {
        if (editor && editor->isVisible())
            editor->doneVideoEdit();
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    // A 20 s test picture with two tones (440 Hz on the first track, 1 kHz on the second),
    // imported as a title; its one clip.
    MediaDataRef importClip()
    {
        const QString path = dir.filePath("Test Source.mkv");
        QString error;
        const bool made
            = fixtures::runFfmpeg({"-f",        "lavfi",
                                   "-i",        "testsrc=size=160x120:rate=25:duration=20",
                                   "-f",        "lavfi",
                                   "-i",        "sine=frequency=440:duration=20",
                                   "-f",        "lavfi",
                                   "-i",        "sine=frequency=1000:duration=20",
                                   "-map",      "0:v",
                                   "-map",      "1:a",
                                   "-map",      "2:a",
                                   "-c:v",      "mpeg4",
                                   "-q:v",      "5",
                                   "-c:a",      "aac",
                                   "-shortest", dir.filePath("Test Source.mkv")},
                                  path,
                                  &error);
        EXPECT_TRUE(made) << error.toStdString();
        if (!made)
            return nullptr;
        SourceViewController *list = controller->sourceController();
        EXPECT_TRUE(list->importFiles({path}));
        EXPECT_TRUE(runUntil([&] { return !list->isImporting(); }));
        const auto titles = controller->project()->titles();
        if (titles.isEmpty() || titles.first()->mediaArray().isEmpty())
            return nullptr;
        return titles.first()->mediaArray().first();
    }

    void grab(const QString &name)
    {
        QDir().mkpath("/tmp/shots/veditor");
        editor->grab().save("/tmp/shots/veditor/" + name + ".png");
    }

    ScopedPanels panels;
    QTemporaryDir dir;
    std::shared_ptr<MainWindowController> controller;
    COMVideoEditorWindowController *editor = nullptr;
};

TEST_F(VideoEditorWindow, TrimsByAddADragAndATypedEndAndTheCloseSequence)
{
    const MediaDataRef clip = importClip();
    ASSERT_TRUE(clip);
    QSignalSpy titleChanged(controller->project(), &EditingProject::titleChanged);
    editor->updateWindowWithMedia(clip);
    ASSERT_TRUE(runUntil([&] { return editor->isVisible(); }));
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    EXPECT_EQ(editor->parentWidget()->window(), static_cast<QWidget *>(controller->window()));
    ASSERT_TRUE(runUntil([&] { return editor->player()->isPlay(); }));
    EXPECT_EQ(editor->rightEditSegment()->currentIndex(), 0);
    EXPECT_EQ(editor->playerProgressBarView()->selectedTrimIndex(), 10000);
    EXPECT_EQ(editor->selectedStartTime(), 0);

    editor->pause();
    COMVEProgressBarView *bar = editor->playerProgressBarView();
    ASSERT_TRUE(runUntil([&] { return std::llabs(bar->duration() - 20 * kSecond) < kSecond / 5; }));
    const auto addAt = [&](int64_t t) {
        editor->seek(t);
        // The seek lands on a frame near t; the playhead is put exactly on t for the Add.
        runUntil([] { return false; }, 300);
        bar->setCurrentTime(t);
        QTest::mouseClick(editor->addTrimButton(), Qt::LeftButton);
    };
    addAt(2 * kSecond);
    addAt(8 * kSecond);
    ASSERT_EQ(editor->trimArray().size(), 2);
    EXPECT_EQ(bar->selectedTrimIndex(), 1) << "the added trim is selected";

    // The second trim's right handle from 9 s to 12 s.
    const QPoint handle = bar->rightHandlePoint(1);
    const int dx
        = bar->timeToWidgetPoint(12 * kSecond).x() - bar->timeToWidgetPoint(9 * kSecond).x();
    QTest::mousePress(bar, Qt::LeftButton, {}, handle);
    QMouseEvent move(QEvent::MouseMove,
                     QPointF(handle + QPoint(dx, 0)),
                     bar->mapToGlobal(QPointF(handle + QPoint(dx, 0))),
                     Qt::NoButton,
                     Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, handle + QPoint(dx, 0));
    EXPECT_NEAR(editor->trimArray()[1]->stop(), 12.0, 0.15);
    EXPECT_FALSE(editor->player()->isPlay()) << "a handle drag pauses";

    // The first trim's end typed as 5 s.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->timeToWidgetPoint(int64_t(2.5 * kSecond)));
    EXPECT_EQ(bar->selectedTrimIndex(), 0);
    editor->trimEndFiled()->setFocus();
    editor->trimEndFiled()->setText("00:00:05.000");
    QTest::keyClick(editor->trimEndFiled(), Qt::Key_Return);
    const MovieTrimItemList trims = editor->trimArray();
    ASSERT_EQ(trims.size(), 2);
    EXPECT_NEAR(trims[0]->start(), 2.0, 0.05);
    EXPECT_NEAR(trims[0]->stop(), 5.0, 0.001);
    EXPECT_NEAR(trims[1]->start(), 8.0, 0.05);
    EXPECT_NEAR(clip->movie()->trimArrayDuration() / double(kSecond), 7.0, 0.2);
    EXPECT_GT(titleChanged.count(), 0) << "the list and the gauge follow the project";
    runUntil([] { return false; }, 300);
    grab("trims");

    // Closing during trim playback: off, playhead at 0, no selection for the next opening.
    editor->playTrimAction();
    EXPECT_TRUE(editor->isPlayTrim());
    controller->project()->setEdited(false);
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    ASSERT_TRUE(runUntil([&] { return !editor->isVisible(); }));
    EXPECT_FALSE(editor->isPlayTrim());
    EXPECT_FALSE(editor->media());
    EXPECT_EQ(bar->selectedTrimIndex(), 10000);
    EXPECT_TRUE(controller->project()->isEdited());
    EXPECT_EQ(clip->movie()->trimArray().size(), 2) << "closing keeps the edits";
}

TEST_F(VideoEditorWindow, AudioTrackVolumeTurnsAndFlips)
{
    const MediaDataRef clip = importClip();
    ASSERT_TRUE(clip);
    editor->updateWindowWithMedia(clip);
    ASSERT_TRUE(runUntil([&] { return editor->isVisible(); }));
    QComboBox *tracks = editor->audioTrackPopBtn();
    ASSERT_EQ(tracks->count(), 3);
    EXPECT_EQ(tracks->itemText(1), "Audio Track 2");
    EXPECT_EQ(tracks->itemText(2), "All Tracks");
    tracks->setCurrentIndex(1);
    emit tracks->activated(1);
    EXPECT_EQ(clip->audioTreamTag(), 1);
    emit tracks->activated(2);
    EXPECT_EQ(clip->audioTreamTag(), 99);

    struct Row
    {
        const char *typed;
        double volume;
    };
    for (const Row &row : {Row{"50", 0.5}, Row{"450", 3.0}, Row{"-20", 0.0}, Row{"loud", 0.0}}) {
        SCOPED_TRACE(row.typed);
        editor->volumeField()->setFocus();
        editor->volumeField()->setText(row.typed);
        QTest::keyClick(editor->volumeField(), Qt::Key_Return);
        EXPECT_DOUBLE_EQ(clip->ffmovie()->volume(), row.volume);
    }

    // A picture turned left, then flipped as seen on screen: the picture's vertical mirror.
    QPushButton *left = editor->findChild<QPushButton *>("Rotate Left");
    QPushButton *flip = editor->findChild<QPushButton *>("Flip Horizontal");
    ASSERT_TRUE(left && flip);
    QTest::mouseClick(left, Qt::LeftButton);
    EXPECT_FLOAT_EQ(clip->ffmovie()->rotate(), 90.0f);
    QTest::mouseClick(flip, Qt::LeftButton);
    EXPECT_TRUE(clip->ffmovie()->vflip());
    EXPECT_FALSE(clip->ffmovie()->hflip());
    editor->setCropRect(QRectF(0, 0, 80, 120));
    EXPECT_EQ(clip->ffmovie()->cropRect(), QRectF(0, 0, 80, 120));
    editor->resetEffect();
    EXPECT_FLOAT_EQ(clip->ffmovie()->rotate(), 90.0f) << "the colour reset leaves the turn";
    editor->resetCrop();
    EXPECT_EQ(clip->ffmovie()->cropRect(), QRectF(0, 0, 160, 120));
    EXPECT_EQ(clip->ffmovie()->zoomType(), 2);
    runUntil([] { return false; }, 400);
    grab("picture");
}

TEST_F(VideoEditorWindow, SubtitlesInTheirOwnEncodingsAndAFileThatDoesNotOpen)
{
    const MediaDataRef clip = importClip();
    ASSERT_TRUE(clip);
    editor->updateWindowWithMedia(clip);
    ASSERT_TRUE(runUntil([&] { return editor->isVisible(); }));
    const QString text = QString::fromUtf8("1\n00:00:01,000 --> 00:00:03,000\n日本語の字幕\n");
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    QStringEncoder sjis("Shift_JIS");
    QStringEncoder gb("GB18030");
    struct Row
    {
        const char *name;
        QString path;
        quint64 chosen;
    };
    const Row rows[] = {
        {"UTF-8, Automatic", write("plain.srt", text.toUtf8()), SubtitleEncodings::kAutomatic},
        {"UTF-8 with BOM, Automatic",
         write("bom.srt", "\xEF\xBB\xBF" + text.toUtf8()),
         SubtitleEncodings::kAutomatic},
        {"Shift JIS chosen", write("sjis.srt", sjis.encode(text)), SubtitleEncodings::kShiftJIS},
        {"GB 18030 chosen", write("gb.srt", gb.encode(text)), SubtitleEncodings::kGB18030},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        editor->setSubtitleEncoding(row.chosen);
        editor->setSubtitleFileChooser([&](QWidget *) { return row.path; });
        QTest::mouseClick(editor->findChild<QPushButton *>("loadSubtitleButton"), Qt::LeftButton);
        EXPECT_EQ(clip->movie()->subtitlePath(), row.path);
        EXPECT_EQ(clip->movie()->subtitleContent(), text);
        EXPECT_TRUE(clip->ffmovie()->hasSubtitle());
    }

    // Shift JIS under Automatic reads as ISO Latin 1.
    editor->setSubtitleEncoding(SubtitleEncodings::kAutomatic);
    const QByteArray sjisBytes = QStringEncoder("Shift_JIS").encode(text);
    EXPECT_TRUE(editor->openSubtitlePath(write("auto.srt", sjisBytes)));
    EXPECT_EQ(clip->movie()->subtitleContent(), QString::fromLatin1(sjisBytes));

    // A file that is not subtitles keeps what was there, and says so.
    editor->setSubtitleEncoding(SubtitleEncodings::kShiftJIS);
    ASSERT_TRUE(editor->openSubtitlePath(rows[2].path));
    struct Failing
    {
        const char *name;
        QString path;
    };
    for (const Failing &row :
         {Failing{"not subtitles", write("garbage.srt", "not a subtitle at all")},
          Failing{"missing", dir.filePath("missing.srt")}}) {
        SCOPED_TRACE(row.name);
        QString seen;
        answerNextAlert("OK", &seen);
        EXPECT_FALSE(editor->openSubtitlePath(row.path));
        runUntil([&] { return !seen.isEmpty(); }, 15000);
        EXPECT_TRUE(seen.contains(QFileInfo(row.path).fileName())) << seen.toStdString();
        EXPECT_EQ(clip->movie()->subtitlePath(), rows[2].path);
        EXPECT_EQ(clip->movie()->subtitleContent(), text);
        EXPECT_TRUE(clip->ffmovie()->hasSubtitle());
    }
    for (QMessageBox *box : editor->findChildren<QMessageBox *>())
        box->close();

    editor->rightEditSegment()->setCurrentIndex(1);
    EXPECT_EQ(editor->rightTabView()->currentIndex(), 1);
    runUntil([] { return false; }, 300);
    grab("subtitle");
}

TEST_F(VideoEditorWindow, ClosingWithAnotherWindowInFrontStillEndsTheSheet)
{
    const MediaDataRef clip = importClip();
    ASSERT_TRUE(clip);
    editor->updateWindowWithMedia(clip);
    ASSERT_TRUE(runUntil([&] { return editor->isVisible(); }));
    // A colour or font panel in front of the sheet takes the focus; the close still runs.
    QDialog panel(editor);
    panel.show();
    panel.activateWindow();
    controller->project()->setEdited(false);
    editor->reject();
    ASSERT_TRUE(runUntil([&] { return !editor->isVisible(); }));
    EXPECT_FALSE(editor->media());
    EXPECT_TRUE(controller->project()->isEdited());
}

} // namespace
