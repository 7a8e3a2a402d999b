// The menu job's picture speed: the bench disc's page (the shipped 16:9 page, two moving title
// pictures of 1280x720 H.264 clips, 20 s of music), encoded into its PAL menu stream as the
// production's menu job does it (music first, then the page's pictures over it), without the
// subpicture step. The reference is the ffmpeg program encoding the same number of frames from a
// still of the page (`-loop 1 -i page.png -t 20 -target pal-dvd`), which is what a page costs
// when nothing on it has to be drawn.
//
// Frames per second are over the clock; on a shared machine they are rough. Printed: the music
// step, the picture step, and the picture step against 25 fps (real time).
//
//     discwright-bench-menu-video

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/Convert/VCVideoConverter.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/production/DVDMenuVideo.h"
#include "app/production/MakeDVDVideo.h"
#include "app/production/ProductionDiscModel.h"
#include "bench/BenchClip.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

using bench::benchDir;
using bench::runProgram;

constexpr int kPageSeconds = 20;
constexpr int kRate = 25;
const QString kResourcesFolder = QStringLiteral(DW_BINARY_DIR "/resources");

// The main window as far as the production's disc model reads it. Main thread.
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

// The production's copy of a disc of the clips' titles on the shipped 16:9 page with music.
std::shared_ptr<DVDLibrary>
makeDisc(BenchMainWindow &window, const QStringList &clips, const QString &music, QString *why)
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
    page->setMusic(MediaData::mediaDataWithPath(music));
    page->setDuration(kPageSeconds);
    editing->updateDVDMenu();
    window.setDvd(editing);
    return Discwright::ProductionDiscModel::getDVDObj(window);
}

// One converter run off the main thread (as the production runs it), the main thread serving
// its queued calls meanwhile; seconds of the clock, or -1 when it failed.
double convert(const VCMovieList &movies,
               const QString &path,
               const LMFFMovieFileOutputFormat &format,
               bool ownDecoders)
{
    const VCVideoConverterRef converter = MakeDVDVideo::convertMoviesToFormat(movies, path, format);
    converter->setUsesOwnDecoders(ownDecoders);
    std::atomic<bool> done{false};
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        converter->startConvert();
        converter->waitUntilFinished();
        done.store(true);
    });
    QEventLoop loop;
    while (!done.load())
        loop.processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!converter->isFinished() || converter->isFailed() || QFileInfo(path).size() <= 0) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(converter->lastError()));
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    LMFFMovie::initialize();
    DVDLibraryExtention::install(kResourcesFolder);
    platform::StringTable::install(
        platform::StringTable::fromFile(kResourcesFolder + QStringLiteral("/Localizable.plist")));
    auto window = std::make_shared<BenchMainWindow>();
    ControllerFunction::setMainWndController(window);

    QString why;
    QStringList clips;
    for (int variant = 0; variant < 2; ++variant)
        clips << bench::benchClip(kPageSeconds + 10, variant, &why);
    const QString dir = benchDir() + QStringLiteral("/menu-video");
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString music = dir + QStringLiteral("/music.wav");
    if (clips.contains(QString())
        || !runProgram(
            QStringLiteral("ffmpeg"),
            {"-y",
             "-hide_banner",
             "-loglevel",
             "error",
             "-f",
             "lavfi",
             "-i",
             QStringLiteral("sine=frequency=330:sample_rate=44100:duration=%1").arg(kPageSeconds),
             "-ac",
             "2",
             "-c:a",
             "pcm_s16le",
             music},
            &why)) {
        std::fprintf(stderr, "cannot make the benchmark files: %s\n", qPrintable(why));
        return 1;
    }
    const auto disc = makeDisc(*window, clips, music, &why);
    const DVDMenuRef page = disc ? disc->menus().value(0) : nullptr;
    if (!page) {
        std::fprintf(stderr, "cannot build the disc: %s\n", qPrintable(why));
        return 1;
    }
    const LMFFMovieFileOutputFormat format = MakeDVDVideo::movieOutputFormat(*disc);
    const DVDMenuVideoList videos = DVDMenuExtention::vcmovies(page);
    const DVDMenuVideoRef menuVideo = videos.isEmpty() ? nullptr : videos.last();
    if (!menuVideo) {
        std::fprintf(stderr, "the page cannot be rendered as video\n");
        return 1;
    }
    const int frames = int(menuVideo->trimDuration() * kRate / 1000000);

    // The job as the production runs it: the music into a file, then the pictures over it.
    const QString musicStream = dir + QStringLiteral("/menu-music.dvd");
    const double musicSeconds = convert(menuVideo->musicVcMovies(), musicStream, format, true);
    const auto source = LMMediaSource::mediaWithPath(musicStream);
    const VCMovieRef audio = source ? VCMovie::movieWithSource(source) : nullptr;
    if (musicSeconds < 0 || !audio) {
        std::fprintf(stderr, "the music step failed\n");
        return 1;
    }
    menuVideo->setAudioMovie(audio);
    const double pictureSeconds = convert(MakeDVDVideo::getMoviesFromTitle(menuVideo),
                                          dir + QStringLiteral("/menu.dvd"),
                                          format,
                                          false);
    if (pictureSeconds < 0)
        return 1;

    // The reference: the page as one still, encoded for as many frames.
    const QString still = dir + QStringLiteral("/page.png");
    page->imageAtTime(0).save(still);
    QElapsedTimer clock;
    clock.start();
    if (!runProgram(QStringLiteral("ffmpeg"),
                    {"-y",
                     "-hide_banner",
                     "-loglevel",
                     "error",
                     "-loop",
                     "1",
                     "-i",
                     still,
                     "-i",
                     music,
                     "-t",
                     QString::number(kPageSeconds),
                     "-target",
                     "pal-dvd",
                     "-aspect",
                     "16:9",
                     dir + QStringLiteral("/reference.mpg")},
                    &why)) {
        std::fprintf(stderr, "the reference failed: %s\n", qPrintable(why));
        return 1;
    }
    const double referenceSeconds = double(clock.nsecsElapsed()) / 1e9;

    const double ours = frames / pictureSeconds;
    const double reference = frames / referenceSeconds;
    std::printf("menu video: %d frames at 720x576; music %.2f s, pictures %.2f s (shared machine: "
                "rough figures)\n",
                frames,
                musicSeconds,
                pictureSeconds);
    std::printf("bench menu-video: ours %.1f fps, reference %.1f fps, ratio %.2f\n",
                ours,
                reference,
                ours / reference);
    std::printf("bench menu-video real time: ours %.1f fps, reference %d fps, ratio %.2f\n",
                ours,
                kRate,
                ours / kRate);
    QDir(dir).removeRecursively();
    return 0;
}
