// bench preview: the preview window playing, under the offscreen platform with SDL's silent
// output, (1) a 16:9 page whose two title items show their titles' moving pictures and (2) a
// 1920x1080 title. For each: the frames the window shows per second against the disc's 25, and
// the longest gap of the main thread's event loop (a 1 ms timer that comes late).

#include "BenchClip.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/PreviewWindow/PreviewDisplayView.h"
#include "app/PreviewWindow/PreviewWindowController.h"
#include "app/production/DVDPlayer.h"
#include "app/production/ProductionDiscModel.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

const QString kResourcesFolder = QStringLiteral(DW_BINARY_DIR "/resources");
constexpr double kDiscRate = 25.0;
constexpr int kRunMs = 8000;

class BenchMainWindow : public MainWindowControllerInterface
{
public:
    std::shared_ptr<DVDLibrary> dvd() const override { return m_dvd; }
    QList<std::shared_ptr<TempEditData>> tempDataArray() const override { return {}; }
    std::shared_ptr<TempDvdData> tempDvdData() const override { return m_tempDvdData; }
    QString pathForResourcePath(const QString &) const override { return {}; }
    MenuEditControllerInterface *menuEditController() const override { return nullptr; }
    void changeCapacityValue() override {}
    void setDvd(const std::shared_ptr<DVDLibrary> &dvd) { m_dvd = dvd; }

private:
    std::shared_ptr<DVDLibrary> m_dvd;
    std::shared_ptr<TempDvdData> m_tempDvdData = std::make_shared<TempDvdData>();
};

// The editing disc of the clips placed on the shipped 16:9 page, PAL.
std::shared_ptr<DVDLibrary> editingDisc(const QStringList &clips, QString *why)
{
    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
    if (!shipped) {
        *why = QStringLiteral("no shipped 16:9 page in %1").arg(kResourcesFolder);
        return nullptr;
    }
    ObjectList records;
    QList<DVDTitleDataRef> titles;
    for (const QString &clip : clips) {
        auto media = MediaData::mediaDataWithPath(clip);
        if (!media || !media->movie()) {
            *why = QStringLiteral("cannot open %1").arg(clip);
            return nullptr;
        }
        auto title = std::make_shared<DVDTitleData>();
        title->setMediaArray({media});
        media->setSuperData(title);
        titles.append(title);
        records.append(title);
    }
    auto editing = std::make_shared<DVDLibrary>();
    editing->setFormat(1);
    editing->setAspectType(1);
    editing->setDvdBitrate(4000);
    editing->setCurrentMenu(shipped->copyMenu());
    editing->setMenus({std::make_shared<DVDMenu>()});
    DVDLibraryExtention::updateDVDTitles(*editing, records);
    const DVDMenuRef page = editing->menus().value(0);
    if (!page) {
        *why = QStringLiteral("the disc has no page");
        return nullptr;
    }
    const auto titleSlots = DVDMenuExtention::titleItems(*page);
    for (qsizetype i = 0; i < titles.size() && i < titleSlots.size(); ++i)
        titleSlots[i]->setJump(titles[i]);
    editing->updateDVDMenu();
    return editing;
}

struct Figures
{
    double framesPerSecond = 0;
    double longestGapMs = 0;
};

// Opens the preview on disc, optionally starts item, and counts the new pictures shown.
Figures measure(const std::shared_ptr<DVDLibrary> &disc, bool playFirstTitle)
{
    QWidget mainWindow;
    mainWindow.show();
    PreviewWindowController preview(
        &mainWindow, [disc] { return disc; }, [] {});
    preview.showPreviewWindowWithAnimator();
    DVDPlayer &player = *preview.previewController()->player();
    if (playFirstTitle && !disc->titles().isEmpty())
        player.playDVDItem(disc->titles().first());

    // Warm up: the first picture.
    QElapsedTimer warm;
    warm.start();
    while (player.currentFrameImage().isNull() && warm.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    int pictures = 0;
    const void *last = player.currentFrameImage().node().get();
    double longestGap = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, double(now - lastTick) / 1e6);
        lastTick = now;
        const void *node = player.currentFrameImage().node().get();
        if (node && node != last) {
            ++pictures;
            last = node;
        }
    });
    ticker.start(1);
    while (clock.elapsed() < kRunMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.stop();
    preview.reject();
    return {pictures / (double(clock.elapsed()) / 1000.0), longestGap};
}

void print(const char *name, const Figures &f)
{
    std::printf("bench %s: ours %.1f fps, reference %.1f fps, ratio %.2f, longest main-thread gap "
                "%.1f ms\n",
                name,
                f.framesPerSecond,
                kDiscRate,
                f.framesPerSecond / kDiscRate,
                f.longestGapMs);
}

QString fullHdClip(QString *error)
{
    const QString path = QDir(bench::benchDir()).filePath(QStringLiteral("preview_1080p.mp4"));
    if (QFile::exists(path))
        return path;
    QString output;
    if (!bench::runProgram(QStringLiteral("ffmpeg"),
                           {"-y",
                            "-v",
                            "error",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc2=size=1920x1080:rate=25:duration=12",
                            "-f",
                            "lavfi",
                            "-i",
                            "sine=frequency=440:duration=12",
                            "-c:v",
                            "libx264",
                            "-preset",
                            "ultrafast",
                            "-pix_fmt",
                            "yuv420p",
                            "-c:a",
                            "aac",
                            "-shortest",
                            path},
                           &output)) {
        *error = output;
        return QString();
    }
    return path;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication application(argc, argv);
    platform::StringTable::install(platform::StringTable::fromFile(
        kResourcesFolder + u'/' + platform::StringTable::fileName()));
    DVDLibraryExtention::install(kResourcesFolder);

    QString why;
    const QString a = bench::benchClip(20, 0, &why);
    const QString b = a.isEmpty() ? QString() : bench::benchClip(20, 1, &why);
    const QString full = b.isEmpty() ? QString() : fullHdClip(&why);
    if (full.isEmpty()) {
        std::fprintf(stderr, "bench preview: %s\n", qPrintable(why));
        return 1;
    }
    BenchMainWindow window;
    window.setDvd(editingDisc({a, b}, &why));
    const auto menuDisc
        = window.dvd() ? Discwright::ProductionDiscModel::getDVDObj(window) : nullptr;
    window.setDvd(editingDisc({full}, &why));
    const auto titleDisc
        = window.dvd() ? Discwright::ProductionDiscModel::getDVDObj(window) : nullptr;
    if (!menuDisc || !titleDisc) {
        std::fprintf(stderr, "bench preview: %s\n", qPrintable(why));
        return 1;
    }
    print("preview", measure(menuDisc, false));
    print("preview-1080p", measure(titleDisc, true));
    return 0;
}
