#include "support/ChapterSheet.h"

#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/chaptereditor/View/ChapterPlayerProgressView.h"
#include "app/chaptereditor/View/ChapterSingleView.h"
#include "testsupport/FfmpegProgram.h"

#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

using namespace shell_testing;

namespace chapter_testing {

QString makeClip(const QString &folder, int seconds)
{
    const QString path = QDir(folder).filePath(QStringLiteral("clip%1s.mp4").arg(seconds));
    const QString length = QString::number(seconds);
    QString error;
    const bool made
        = fixtures::runFfmpeg({"-f",
                               "lavfi",
                               "-i",
                               "testsrc=size=160x120:rate=25:duration=" + length,
                               "-f",
                               "lavfi",
                               "-i",
                               "sine=frequency=1000:sample_rate=48000:duration=" + length,
                               "-c:v",
                               "libx264",
                               "-g",
                               "25",
                               "-preset",
                               "ultrafast",
                               "-c:a",
                               "aac",
                               "-shortest",
                               path},
                              path,
                              &error);
    EXPECT_TRUE(made) << error.toStdString();
    return made ? path : QString();
}

void ChapterSheetTest::SetUp()
{
    ApplicationImage::setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
    controller = std::make_shared<MainWindowController>();
    ControllerFunction::setMainWndController(controller);
    controller->newDocumentProject();
    controller->window()->show();
}

void ChapterSheetTest::TearDown()
{
    if (controller->chapterEditController()->isOpen())
        controller->chapterEditController()->doneVideoEdit();
    ControllerFunction::setMainWndController(nullptr);
    controller.reset();
    ApplicationImage::setResourcesFolder(QString());
}

MediaDataRef ChapterSheetTest::importClip(int seconds)
{
    const QString path = makeClip(clips.path(), seconds);
    if (path.isEmpty())
        return nullptr;
    panels.panel->files << QStringList{path};
    QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
    EXPECT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
    const auto titles = controller->project()->titles();
    if (titles.isEmpty() || titles.last()->mediaArray().isEmpty())
        return nullptr;
    return titles.last()->mediaArray().first();
}

void ChapterSheetTest::openOn(const MediaDataRef &clip)
{
    editor().updateChapterWindowWithMedia(clip);
    ASSERT_TRUE(editor().isOpen());
    ASSERT_TRUE(runUntil([&] { return editor().player()->isPlay(); }));
    QTest::mouseClick(editor().button("playPauseButton"), Qt::LeftButton);
    ASSERT_FALSE(editor().player()->isPlay());
    editor().seek(0);
    ASSERT_TRUE(playheadReaches(0));
    // The first frame has come.
    ASSERT_TRUE(runUntil([&] { return editor().player()->frameRequestCount() > 0; }));
    ASSERT_EQ(editor().playerProgressView()->duration(), editor().player()->duration());
}

void ChapterSheetTest::pressBarAt(qint64 t)
{
    ChapterPlayerProgressView *timeline = editor().playerProgressView();
    QTest::mouseClick(timeline, Qt::LeftButton, Qt::NoModifier, timeline->barPoint(t));
}

bool ChapterSheetTest::playheadReaches(qint64 t)
{
    return runUntil(
        [&] { return std::llabs(editor().playerProgressView()->currentTime() - t) <= 50000; },
        10000);
}

void ChapterSheetTest::typeInTile(int index, const QString &text, bool pressReturn)
{
    QLineEdit *field = editor().markerItemViewArray().at(index)->timeField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    if (pressReturn)
        QTest::keyClick(field, Qt::Key_Return);
}

void ChapterSheetTest::shot(QWidget &widget, const QString &name)
{
    QDir().mkpath(QStringLiteral("/tmp/shots/chapter"));
    widget.grab().save(QStringLiteral("/tmp/shots/chapter/%1.png").arg(name));
    saveGrab(widget, QStringLiteral("chapter-") + name);
}

testing_support::DiscInfo ChapterSheetTest::burnToFolder()
{
    QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
    BurnSettingWindow *sheet = controller->burnSettingWindow();
    EXPECT_TRUE(sheet->isVisible());
    sheet->burnType()->button(1)->click();
    sheet->tvStandardType()->button(1)->click();
    sheet->dvdNameField()->setText("Chapters");
    panels.panel->directories << output.path();
    QTest::mouseClick(sheet->chooseFolderButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet->startButton()->isEnabled());
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    EXPECT_TRUE(waitForProductionEnd(*controller));
    EXPECT_EQ(controller->lastProductionRequest().result.state, ProductionResult::State::Done)
        << controller->lastProductionRequest().result.reason.toStdString();
    return testing_support::readDisc(output.filePath("Chapters"));
}

} // namespace chapter_testing
