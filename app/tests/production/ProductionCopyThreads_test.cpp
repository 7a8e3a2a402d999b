// Production converts its own copy of the project while the main thread goes on editing the
// project: the titles written are those of the copy, and (built for ThreadSanitizer too) nothing
// the run reads is written meanwhile. No child process is started here: the clips come from the
// engine's media maker, the menus are off and the streams are read back in this process.

#include "Platterkit/model/DVDLibrary.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/production/MakeDVDVideo.h"
#include "app/production/ProductionDiscModel.h"
#include "app/production/ProductionInput.h"
#include "support/AppFakes.h"
#include "support/TrimmedTitle.h"
#include "testsupport/MediaFixtures.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;

constexpr int64_t kSecond = 1000000;

// The length of a written stream in seconds, as the container says; -1 when it cannot be read.
double streamSeconds(const QString &path)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return -1.0;
    double seconds = -1.0;
    if (avformat_find_stream_info(format, nullptr) >= 0 && format->duration > 0)
        seconds = double(format->duration) / AV_TIME_BASE;
    avformat_close_input(&format);
    return seconds;
}

} // namespace

TEST(ProductionCopyThreads, TheMainThreadEditsTheProjectWhileTheCopyConverts)
{
    application();
    LMFFMovie::initialize();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString clip = fixtures::MediaFixtures::shared().h264AacMp4(3);
    ASSERT_FALSE(clip.isEmpty()) << qPrintable(fixtures::MediaFixtures::shared().lastError());
    const DVDTitleDataRef first = makeTitleOf({{clip, 0.0, 3.0}});
    const DVDTitleDataRef second = makeTitleOf({{clip, 0.5, 2.5}});
    ASSERT_TRUE(first && second);
    auto editing = std::make_shared<DVDLibrary>();
    editing->setFormat(1);
    editing->setAspectType(1);
    editing->setDvdBitrate(4000);
    editing->setNoMenu(true);
    editing->setTitles({first, second});
    auto settings = std::make_shared<TempDvdData>();

    QString error;
    const auto input = ProductionInput::copyOf(editing, {}, settings, QString(), &error);
    ASSERT_TRUE(input) << qPrintable(error);
    const DVDLibraryRef disc = Discwright::ProductionDiscModel::getDVDObj(*input);
    ASSERT_TRUE(disc);

    MakeDVDVideo make;
    std::atomic<bool> done{false};
    bool succeeded = false;
    std::thread production([&] {
        succeeded = make.makeDVDVideoTo(disc, work.path());
        done.store(true);
    });
    // The person edits the project the whole time the run goes on.
    int edits = 0;
    const VCMovieRef trimmed = first->mediaArray().first()->movie();
    while (!done.load()) {
        first->setName(QStringLiteral("Edit %1").arg(edits));
        trimmed->setTrimStop(int64_t((1.0 + (edits % 10) * 0.1) * kSecond));
        settings->setDvdBorderColor(QColor(edits % 256, 0, 0));
        editing->setTitles(edits % 2 ? ObjectList{first} : ObjectList{first, second});
        ++edits;
        QCoreApplication::processEvents();
    }
    production.join();
    ASSERT_TRUE(succeeded) << qPrintable(make.lastError());
    EXPECT_GT(edits, 0);

    // One title of both clips as they were at the copy: 3 s and 2 s.
    const QStringList written
        = QDir(work.path()).entryList({QStringLiteral("title*.dvd")}, QDir::Files);
    ASSERT_EQ(written, QStringList{QStringLiteral("title0.dvd")});
    EXPECT_NEAR(streamSeconds(work.filePath(written.first())), 5.0, 0.2);
}
