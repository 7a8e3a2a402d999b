// Whole-disc production speed, memory and quality beside the ffmpeg program and the authoring
// tools run by hand.
//
// Two 120 s 1280x720 25 fps H.264/AAC clips become the two titles of a PAL 16:9 disc at
// 4000 kbit/s on one page of the shipped 16:9 template (with 20 s of music), produced headless
// through the progress window's controller as the application starts it: once to a DVD-Video
// folder and once to an ISO image. The reference converts each clip with the ffmpeg program's DVD
// target (both at once), authors the two titles with dvdauthor (titles only) and packs them with
// mkisofs. A third run of ours produces the folder from 60 s clips, to show that the memory of a
// run does not grow with the length of its titles.
//
// Each run of ours is a process of its own (this program started with --run), so that its peak
// memory is its own. Printed per run: wall time per stage, CPU use (user + system over wall, in
// cores), peak RSS of the process and of its tool children, and the SSIM of title 0 against its
// source scaled with lanczos to the DVD frame.
//
// Then a person's disc: four ordinary clips of four kinds (a turned phone clip, a 4:3 AVI, a
// two-language HEVC MKV, a short clip) to a folder with the moving menu, against the four DVD
// target runs of the ffmpeg program at once plus dvdauthor.
//
//     discwright-bench-production [four-clips]

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/TerminationSignals.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/DVDVideoConversion.h"
#include "app/production/ProductionDiscModel.h"
#include "bench/BenchClip.h"
#include "platform/StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace {

using bench::benchDir;
using bench::runProgram;

constexpr int kLongSeconds = 120;
constexpr int kShortSeconds = 60;
const QString kResourcesFolder = QStringLiteral(DW_BINARY_DIR "/resources");

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double megabytes(long kilobytes)
{
    return double(kilobytes) / 1024.0;
}

// --- Running programs with their resource use ----------------------------------------------------

// What one finished program used: its wall time from the start of its batch, its CPU seconds and
// its peak resident memory.
struct Usage
{
    bool ok = false;
    double wall = 0.0;
    double cpu = 0.0;
    long maxRssKb = 0;
};

// Starts every command at once, output to log, and waits for all of them.
std::vector<Usage> runAll(const std::vector<QStringList> &commands, const QString &log)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<pid_t> pids;
    std::vector<Usage> usages(commands.size());
    for (const QStringList &command : commands) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const QByteArray logPath = QFile::encodeName(log);
        posix_spawn_file_actions_addopen(
            &actions, STDOUT_FILENO, logPath.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::vector<QByteArray> words;
        for (const QString &word : command)
            words.push_back(word.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        pids.push_back(pid);
    }
    for (size_t i = 0; i < pids.size(); ++i) {
        if (pids[i] < 0)
            continue;
        int status = 0;
        rusage usage{};
        if (wait4(pids[i], &status, 0, &usage) != pids[i])
            continue;
        usages[i].ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        usages[i].wall = double(clock.nsecsElapsed()) / 1e9;
        usages[i].cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        usages[i].maxRssKb = usage.ru_maxrss;
    }
    return usages;
}

// --- A run of ours, in a process of its own -------------------------------------------------------

// The shell's main window as far as the production start reads it: the editing disc and nothing
// else. Main thread.
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

// The progress window without a window: alerts are answered with their default button and
// remembered, so that a failed run can say why.
class BenchPresenter : public ConvertProgressPresenter
{
public:
    void openProgressWindow() override {}
    void closeProgressWindow() override {}
    void showProgress(double) override {}
    void showStatus(const QString &) override {}
    void openAlert(const ProductionAlert &alert,
                   const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override
    {
        alerts << alert.message + u' ' + alert.informativeText;
        helper->alertDidEnd(1);
    }
    void beginAlert(const ProductionAlert &alert,
                    const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override
    {
        alerts << alert.message;
        helper->alertDidEnd(0);
    }
    void
    updateAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &, const QString &, bool) override
    {}
    void dismissAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &) override {}
    void revealFile(const QString &) override {}
    void showRateApplicationWindow() override {}

    QStringList alerts;
};

DVDTitleDataRef titleOf(const QString &clip)
{
    auto media = MediaData::mediaDataWithPath(clip);
    if (!media || !media->movie())
        return nullptr;
    auto title = std::make_shared<DVDTitleData>();
    title->setMediaArray({media});
    return title;
}

// The production disc of two titles placed on the shipped 16:9 page with music, PAL at
// 4000 kbit/s, as the production start builds it from the main window; null with *why.
std::shared_ptr<DVDLibrary>
makeDisc(BenchMainWindow &window, const QStringList &clips, const QString &music, QString *why)
{
    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
    if (!shipped) {
        *why = QStringLiteral("no shipped 16:9 page in %1").arg(kResourcesFolder);
        return nullptr;
    }
    QList<DVDTitleDataRef> titles;
    for (const QString &clip : clips) {
        const auto title = titleOf(clip);
        if (!title) {
            *why = QStringLiteral("cannot open %1").arg(clip);
            return nullptr;
        }
        titles.append(title);
    }
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
    if (!page) {
        *why = QStringLiteral("the disc has no page");
        return nullptr;
    }
    const auto titleSlots = DVDMenuExtention::titleItems(*page);
    for (qsizetype i = 0; i < titles.size() && i < titleSlots.size(); ++i)
        titleSlots[i]->setJump(titles[i]);
    page->setMusic(MediaData::mediaDataWithPath(music));
    editing->updateDVDMenu();
    window.setDvd(editing);
    return Discwright::ProductionDiscModel::getDVDObj(window);
}

// Start and end, in seconds from the start of the run, of the jobs of one kind the conversion
// logged.
struct Span
{
    double begin = -1.0;
    double end = -1.0;
    void add(double from, double to)
    {
        begin = begin < 0 ? from : std::min(begin, from);
        end = std::max(end, to);
    }
    double length() const { return begin < 0 ? 0.0 : end - begin; }
};

// The conversion logs each finished job with its kind, its index and its time; the handler turns
// those lines into spans. Any thread.
struct JobLog
{
    std::mutex lock;
    QElapsedTimer clock;
    Span titles;
    Span menus;
    QStringList lines;
};
JobLog *jobLog = nullptr;

void collectJobTimes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const QRegularExpression job(
        QStringLiteral("^(title|menu) (\\d+) (succeeded|failed) in ([0-9.]+) s"));
    if (jobLog && context.category
        && std::strcmp(context.category, "discwright.app.production") == 0) {
        const auto match = job.match(message);
        if (match.hasMatch()) {
            std::lock_guard guard(jobLog->lock);
            const double end = double(jobLog->clock.nsecsElapsed()) / 1e9;
            const double begin = end - match.captured(4).toDouble();
            (match.captured(1) == u"title" ? jobLog->titles : jobLog->menus).add(begin, end);
            jobLog->lines << message;
        }
        return;
    }
    if (type >= QtWarningMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The authoring tools of a run of ours are started through links to this program in a tools
// folder (DISCWRIGHT_TOOLS_DIR): it runs the real tool and notes the tool's peak memory in
// "peaks.log" beside the link (the tools get an environment of their own, so the folder is the
// one thing they share with the run). Measured in the tool's own parent, the figure is the
// tool's: the getrusage figure of a child of the run would count the run it was spawned from.
const char *const kToolNames[] = {"dvdauthor", "spumux", "mkisofs"};

int runTool(const char *name, int argc, char **argv)
{
    const QString real = QStandardPaths::findExecutable(
        QString::fromLatin1(name),
        {QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (real.isEmpty())
        return 127;
    QStringList command{real};
    for (int i = 1; i < argc; ++i)
        command << QString::fromLocal8Bit(argv[i]);
    std::vector<QByteArray> words;
    for (const QString &word : command)
        words.push_back(word.toLocal8Bit());
    std::vector<char *> args;
    for (QByteArray &word : words)
        args.push_back(word.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return 127;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 127;
    {
        QFile file(QFileInfo(QFile::decodeName(argv[0])).absolutePath()
                   + QStringLiteral("/peaks.log"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(QByteArray(name) + ' ' + QByteArray::number(qint64(usage.ru_maxrss)) + '\n');
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The largest peak memory of the tools the run started, in kB (they run one after another).
long toolsPeakKb(const QString &log)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    long peak = 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        peak = std::max(peak, line.split(' ').value(1).toLong());
    return peak;
}

// --run <folder|iso> <destination> <clip>...: one production of ours; prints one "result" line.
int runOurs(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    LMFFMovie::initialize();
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const QString destination = QString::fromLocal8Bit(argv[3]);
    QStringList clips;
    for (int i = 4; i < argc; ++i)
        clips << QString::fromLocal8Bit(argv[i]);

    DVDLibraryExtention::install(kResourcesFolder);
    platform::StringTable::install(
        platform::StringTable::fromFile(kResourcesFolder + QStringLiteral("/Localizable.plist")));
    auto window = std::make_shared<BenchMainWindow>();
    ControllerFunction::setMainWndController(window);
    QString why;
    const QString music
        = QFileInfo(clips.value(0)).absolutePath() + QStringLiteral("/production_music_20s.wav");
    if (!QFileInfo::exists(music)
        && !runProgram(QStringLiteral("ffmpeg"),
                       {"-y",
                        "-hide_banner",
                        "-loglevel",
                        "error",
                        "-f",
                        "lavfi",
                        "-i",
                        "sine=frequency=330:sample_rate=44100:duration=20",
                        "-ac",
                        "2",
                        "-c:a",
                        "pcm_s16le",
                        music},
                       &why)) {
        std::fprintf(stderr, "cannot make the music: %s\n", qPrintable(why));
        return 1;
    }
    const auto disc = makeDisc(*window, clips, music, &why);
    if (!disc) {
        std::fprintf(stderr, "cannot build the disc: %s\n", qPrintable(why));
        return 1;
    }

    const QString tools = QFileInfo(destination).absolutePath() + QStringLiteral("/tools");
    QDir().mkpath(tools);
    for (const char *name : kToolNames) {
        const QString link = tools + u'/' + QString::fromLatin1(name);
        QFile::remove(link);
        QFile::link(QCoreApplication::applicationFilePath(), link);
    }
    const QString toolLog = tools + QStringLiteral("/peaks.log");
    QFile::remove(toolLog);
    qputenv("DISCWRIGHT_TOOLS_DIR", QFile::encodeName(tools));

    JobLog log;
    jobLog = &log;
    QLoggingCategory::setFilterRules(QStringLiteral("discwright.app.production.debug=true"));
    qInstallMessageHandler(collectJobTimes);

    ConvertProgressWindowController controller;
    auto presenter = std::make_shared<BenchPresenter>();
    controller.setPresenter(presenter);
    // The production start's temporary folder: "temp" inside the chosen output folder.
    controller.setTempWorkPath(QFileInfo(destination).absolutePath() + QStringLiteral("/temp"));

    // The workflow's sub-steps, seen from the main thread as the progress timer sees them.
    QElapsedTimer clock;
    Span conversion;
    Span authoring;
    Span imaging;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const auto workflow = controller.workflow();
        const auto task = workflow ? workflow->task() : nullptr;
        const double now = double(clock.nsecsElapsed()) / 1e9;
        if (dynamic_cast<DVDVideoConversion *>(task.get()))
            conversion.add(now, now);
        else if (dynamic_cast<DVDFSMake *>(task.get()))
            authoring.add(now, now);
        else if (dynamic_cast<DVDImageMake *>(task.get()))
            imaging.add(now, now);
    });

    rusage selfBefore{};
    rusage childrenBefore{};
    getrusage(RUSAGE_SELF, &selfBefore);
    getrusage(RUSAGE_CHILDREN, &childrenBefore);
    clock.start();
    {
        std::lock_guard guard(log.lock);
        log.clock.start();
    }
    watch.start();
    // SIGTERM, SIGINT or SIGHUP cancel the run as the progress window's Cancel does: the run
    // removes its work folder and the process ends with 128 + the signal's number.
    int stoppedBy = 0;
    TerminationSignals signalsIn([&](int signalNumber) {
        stoppedBy = signalNumber;
        controller.cancel();
    });
    ProductionResult result;
    bool ended = false;
    QObject::connect(&controller,
                     &ConvertProgressWindowController::finished,
                     &controller,
                     [&](const ProductionResult &finished) {
                         result = finished;
                         ended = true;
                     });
    const bool started = mode == u"iso" ? controller.burnIsoName(disc, destination, QString())
                                        : controller.burnMedia(disc, destination);
    QEventLoop loop;
    while (started && !ended)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    watch.stop();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    qInstallMessageHandler(nullptr);
    jobLog = nullptr;

    if (stoppedBy != 0) {
        std::fprintf(stderr, "cancelled by signal %d\n", stoppedBy);
        return 128 + stoppedBy;
    }
    if (result.state != ProductionResult::State::Done || !QFileInfo::exists(destination)) {
        std::fprintf(stderr,
                     "the run failed: %s %s\n",
                     qPrintable(result.reason),
                     qPrintable(presenter->alerts.join(u"; ")));
        return 1;
    }
    const double cpu = seconds(self.ru_utime) - seconds(selfBefore.ru_utime)
                       + seconds(self.ru_stime) - seconds(selfBefore.ru_stime)
                       + seconds(children.ru_utime) - seconds(childrenBefore.ru_utime)
                       + seconds(children.ru_stime) - seconds(childrenBefore.ru_stime);
    for (const QString &line : std::as_const(log.lines))
        std::printf("  job %s\n", qPrintable(line));
    std::printf("result wall=%.3f conversion=%.3f titles=%.3f menus=%.3f dvdauthor=%.3f "
                "mkisofs=%.3f cpu=%.3f rss=%ld childrss=%ld\n",
                wall,
                conversion.length(),
                log.titles.length(),
                log.menus.length(),
                authoring.length(),
                imaging.length(),
                cpu,
                self.ru_maxrss,
                toolsPeakKb(toolLog));
    return 0;
}

// What one run of ours reported, read back from its output.
struct OursRun
{
    bool ok = false;
    QHash<QString, double> figures;
    double figure(const char *key) const { return figures.value(QString::fromLatin1(key)); }
};

OursRun startOurs(const QString &mode, const QString &destination, const QStringList &clips)
{
    OursRun run;
    const QString log
        = QFileInfo(destination).absolutePath() + QStringLiteral("/ours-%1.log").arg(mode);
    QFile::remove(log);
    QStringList command{
        QCoreApplication::applicationFilePath(), QStringLiteral("--run"), mode, destination};
    command += clips;
    const std::vector<Usage> usage = runAll({command}, log);
    QFile file(log);
    file.open(QIODevice::ReadOnly);
    const QString output = QString::fromLocal8Bit(file.readAll());
    for (const QString &line : output.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("result "))) {
            if (!line.trimmed().isEmpty())
                std::printf("  %s\n", qPrintable(line.trimmed()));
            continue;
        }
        for (const QString &pair : line.mid(7).split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype equals = pair.indexOf(u'=');
            if (equals > 0)
                run.figures.insert(pair.left(equals), pair.mid(equals + 1).toDouble());
        }
    }
    run.ok = usage.front().ok && run.figures.contains(QStringLiteral("wall"));
    return run;
}

void printOurs(const char *name, const OursRun &run)
{
    const double wall = run.figure("wall");
    std::printf("ours %s: total %.2f s (conversion %.2f s: titles %.2f s, menus %.2f s, at once; "
                "dvdauthor %.2f s; mkisofs %.2f s); CPU %.2f cores; peak RSS %.0f MB, tools %.0f "
                "MB\n",
                name,
                wall,
                run.figure("conversion"),
                run.figure("titles"),
                run.figure("menus"),
                run.figure("dvdauthor"),
                run.figure("mkisofs"),
                run.figure("cpu") / std::max(wall, 0.001),
                megabytes(long(run.figure("rss"))),
                megabytes(long(run.figure("childrss"))));
}

// --- The reference --------------------------------------------------------------------------------

struct ReferenceRun
{
    bool ok = false;
    double titles = 0.0;
    double authoring = 0.0;
    double imaging = 0.0;
    double cpu = 0.0;
    long peakRssKb = 0;
    QString folder;
    QString image;
};

ReferenceRun runReference(const QString &dir, const QStringList &clips)
{
    ReferenceRun run;
    const QString log = dir + QStringLiteral("/reference.log");
    QFile::remove(log);
    QStringList streams;
    std::vector<QStringList> encodes;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const QString stream = dir + QStringLiteral("/reference_title%1.mpg").arg(i);
        QFile::remove(stream);
        streams << stream;
        encodes.push_back({"ffmpeg",
                           "-y",
                           "-hide_banner",
                           "-loglevel",
                           "error",
                           "-i",
                           clips[i],
                           "-target",
                           "pal-dvd",
                           "-aspect",
                           "16:9",
                           "-b:v",
                           "4000k",
                           "-ac",
                           "2",
                           stream});
    }
    const std::vector<Usage> encoded = runAll(encodes, log);
    long concurrentRss = 0;
    for (const Usage &usage : encoded) {
        run.titles = std::max(run.titles, usage.wall);
        run.cpu += usage.cpu;
        concurrentRss += usage.maxRssKb;
        if (!usage.ok)
            return run;
    }
    run.peakRssKb = concurrentRss;

    run.folder = dir + QStringLiteral("/reference.dvdmedia");
    QDir(run.folder).removeRecursively();
    QString pgcs;
    for (const QString &stream : std::as_const(streams))
        pgcs += QStringLiteral("<pgc><vob file=\"%1\"/></pgc>").arg(stream);
    const QString xml = dir + QStringLiteral("/reference_author.xml");
    QFile author(xml);
    author.open(QIODevice::WriteOnly | QIODevice::Truncate);
    author.write(QStringLiteral("<dvdauthor dest=\"%1\"><vmgm/><titleset><titles>"
                                "<video format=\"pal\" aspect=\"16:9\"/>%2</titles></titleset>"
                                "</dvdauthor>\n")
                     .arg(run.folder, pgcs)
                     .toUtf8());
    author.close();
    const Usage authored = runAll({{"dvdauthor", "-x", xml}}, log).front();
    run.authoring = authored.wall;
    run.cpu += authored.cpu;
    run.peakRssKb = std::max(run.peakRssKb, authored.maxRssKb);
    if (!authored.ok)
        return run;

    run.image = dir + QStringLiteral("/reference.iso");
    QFile::remove(run.image);
    const Usage imaged
        = runAll({{"mkisofs", "-dvd-video", "-V", "My DVD", "-o", run.image, run.folder}}, log)
              .front();
    run.imaging = imaged.wall;
    run.cpu += imaged.cpu;
    run.peakRssKb = std::max(run.peakRssKb, imaged.maxRssKb);
    run.ok = imaged.ok;
    return run;
}

// --- Quality --------------------------------------------------------------------------------------

// The title VOBs of the first title set of a DVD-Video folder, in order.
QStringList titleVobs(const QString &folder)
{
    QStringList vobs;
    for (int part = 1; part <= 9; ++part) {
        const QString vob = folder + QStringLiteral("/VIDEO_TS/VTS_01_%1.VOB").arg(part);
        if (QFileInfo::exists(vob))
            vobs << vob;
    }
    return vobs;
}

// Copies the first title set's title VOBs out of an image into folder/VIDEO_TS.
bool extractVobs(const QString &image, const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/VIDEO_TS"));
    bool any = false;
    for (int part = 1; part <= 9; ++part) {
        const QString name = QStringLiteral("VTS_01_%1.VOB").arg(part);
        const QString target = folder + QStringLiteral("/VIDEO_TS/") + name;
        const QString command
            = QStringLiteral("isoinfo -i '%1' -x '/VIDEO_TS/%2;1' > '%3'").arg(image, name, target);
        runProgram(QStringLiteral("sh"), {"-c", command}, nullptr);
        if (QFileInfo(target).size() > 0)
            any = true;
        else
            QFile::remove(target);
    }
    return any;
}

// The ffmpeg program's SSIM of the first seconds of the title VOBs (the first title) against the
// source scaled with lanczos to the DVD frame.
QStringList ssimCommand(const QStringList &vobs, const QString &source, int seconds)
{
    return {"ffmpeg",
            "-hide_banner",
            "-nostats",
            "-t",
            QString::number(seconds),
            "-i",
            QStringLiteral("concat:") + vobs.join(u'|'),
            "-i",
            source,
            "-lavfi",
            QStringLiteral("[0:v]setpts=PTS-STARTPTS,setsar=64/45[dist];"
                           "[1:v]setpts=PTS-STARTPTS,scale=720:576:flags=lanczos,setsar=64/45[ref];"
                           "[dist][ref]ssim=shortest=1"),
            "-f",
            "null",
            "-"};
}

double readSsim(const QString &log)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString output = QString::fromLocal8Bit(file.readAll());
    static const QRegularExpression average(QStringLiteral("SSIM .*All:([0-9.]+)"));
    const auto match = average.match(output);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

// SSIM of each set of VOBs against source, computed at once, each with a log of its own.
std::vector<double> ssimOf(const std::vector<QStringList> &vobSets,
                           const QString &source,
                           int seconds,
                           const QString &dir)
{
    std::vector<QString> logs;
    for (size_t i = 0; i < vobSets.size(); ++i) {
        logs.push_back(dir + QStringLiteral("/ssim-%1.log").arg(i));
        QFile::remove(logs.back());
    }
    std::vector<std::thread> threads;
    for (size_t i = 0; i < vobSets.size(); ++i) {
        if (!vobSets[i].isEmpty())
            threads.emplace_back(
                [&, i] { runAll({ssimCommand(vobSets[i], source, seconds)}, logs[i]); });
    }
    for (auto &thread : threads)
        thread.join();
    std::vector<double> values;
    for (const QString &log : logs)
        values.push_back(readSsim(log));
    return values;
}

// --- A person's four clips -------------------------------------------------------------------------

// The four ordinary clips of a person's disc, made once with the ffmpeg program and kept: a 40 s
// 1920x1080 H.264 phone clip turned by its display matrix (90), a 30 s 640x480 MPEG-4 AVI, a 25 s
// 1280x720 HEVC MKV with two audio tracks and a 5.5 s clip. Empty with *why when one fails.
QStringList fourClips(QString *why)
{
    const QString dir = benchDir() + QStringLiteral("/four-clips");
    QDir().mkpath(dir);
    struct Recipe
    {
        const char *name;
        QStringList args;
    };
    const QStringList tone{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"};
    const QStringList lowTone{"-f", "lavfi", "-i", "sine=frequency=220:sample_rate=48000"};
    const Recipe recipes[] = {
        {"phone.mp4",
         QStringList{"-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=30"} + tone
             + QStringList{"-t",
                           "40",
                           "-c:v",
                           "libx264",
                           "-preset",
                           "veryfast",
                           "-pix_fmt",
                           "yuv420p",
                           "-c:a",
                           "aac",
                           "-metadata:s:v:0",
                           "rotate=90"}},
        {"camcorder.avi",
         QStringList{"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25"} + tone
             + QStringList{"-t", "30", "-c:v", "mpeg4", "-q:v", "3", "-c:a", "pcm_s16le"}},
        {"two-languages.mkv",
         QStringList{"-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25"} + tone + lowTone
             + QStringList{"-t",
                           "25",
                           "-map",
                           "0:v",
                           "-map",
                           "1:a",
                           "-map",
                           "2:a",
                           "-c:v",
                           "libx265",
                           "-preset",
                           "ultrafast",
                           "-pix_fmt",
                           "yuv420p",
                           "-c:a",
                           "aac"}},
        {"short.mp4",
         QStringList{"-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25"} + tone
             + QStringList{"-t",
                           "5.5",
                           "-c:v",
                           "libx264",
                           "-preset",
                           "veryfast",
                           "-pix_fmt",
                           "yuv420p",
                           "-c:a",
                           "aac"}},
    };
    QStringList clips;
    for (const Recipe &recipe : recipes) {
        const QString path = dir + u'/' + QString::fromLatin1(recipe.name);
        if (QFileInfo(path).size() <= 0) {
            std::printf("making %s with the ffmpeg program...\n", qPrintable(path));
            std::fflush(stdout);
            if (!runProgram(QStringLiteral("ffmpeg"),
                            QStringList{"-y", "-hide_banner", "-loglevel", "error"} + recipe.args
                                + QStringList{path},
                            why)) {
                QFile::remove(path);
                return {};
            }
        }
        clips << path;
    }
    return clips;
}

// The four-clip disc: ours (the moving menu included) against the four DVD-target runs of the
// ffmpeg program at once plus dvdauthor (no menu). False when a run failed.
bool benchFourClips(const QString &dir)
{
    QString why;
    const QStringList clips = fourClips(&why);
    if (clips.isEmpty()) {
        std::fprintf(stderr, "cannot make the four clips: %s\n", qPrintable(why));
        return false;
    }
    const QString folder = dir + QStringLiteral("/ours-four.dvdmedia");
    const OursRun ours = startOurs(QStringLiteral("folder"), folder, clips);
    if (ours.ok)
        printOurs("four-clip folder", ours);
    QDir(folder).removeRecursively();
    const ReferenceRun reference = runReference(dir, clips);
    if (!ours.ok || !reference.ok) {
        std::fprintf(stderr, "a four-clip run failed (see the logs in %s)\n", qPrintable(dir));
        return false;
    }
    const double referenceFolder = reference.titles + reference.authoring;
    std::printf("reference four clips: titles %.2f s (four at once), dvdauthor %.2f s; peak RSS of "
                "the four encoders together %.0f MB\n",
                reference.titles,
                reference.authoring,
                megabytes(reference.peakRssKb));
    std::printf("bench production-four-clips: ours %.2f s, reference %.2f s, ratio %.2f, peak RSS "
                "%.0f MB (at most 400)\n",
                ours.figure("wall"),
                referenceFolder,
                ours.figure("wall") / referenceFolder,
                megabytes(long(ours.figure("rss"))));
    QDir(reference.folder).removeRecursively();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray called = QFileInfo(QFile::decodeName(argv[0])).fileName().toLocal8Bit();
    for (const char *name : kToolNames) {
        if (called == name)
            return runTool(name, argc, argv);
    }
    if (argc >= 5 && std::strcmp(argv[1], "--run") == 0)
        return runOurs(argc, argv);

    QCoreApplication app(argc, argv);
    // dvdauthor takes the video standard of the title-less manager table from here.
    qputenv("VIDEO_FORMAT", "PAL");
    // `four-clips` runs the person's disc alone.
    if (argc >= 2 && std::strcmp(argv[1], "four-clips") == 0) {
        const QString fourDir = benchDir() + QStringLiteral("/production-four");
        QDir(fourDir).removeRecursively();
        QDir().mkpath(fourDir);
        const bool ok = benchFourClips(fourDir);
        QDir(fourDir).removeRecursively();
        return ok ? 0 : 1;
    }
    QString error;
    QStringList longClips;
    QStringList shortClips;
    for (int variant = 0; variant < 2; ++variant) {
        longClips << bench::benchClip(kLongSeconds, variant, &error);
        shortClips << bench::benchClip(kShortSeconds, variant, &error);
    }
    if (longClips.contains(QString()) || shortClips.contains(QString())) {
        std::fprintf(stderr, "cannot make the benchmark files: %s\n", qPrintable(error));
        return 1;
    }
    const QString dir = benchDir() + QStringLiteral("/production");
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    std::printf("titles: %s, %s; load average before: ",
                qPrintable(longClips[0]),
                qPrintable(longClips[1]));
    {
        QFile loadavg(QStringLiteral("/proc/loadavg"));
        loadavg.open(QIODevice::ReadOnly);
        std::printf("%s\n", loadavg.readAll().trimmed().constData());
    }
    std::fflush(stdout);

    const QString oursFolder = dir + QStringLiteral("/ours.dvdmedia");
    const QString oursImage = dir + QStringLiteral("/ours.iso");
    const QString shortFolder = dir + QStringLiteral("/ours-60s.dvdmedia");
    const OursRun folder = startOurs(QStringLiteral("folder"), oursFolder, longClips);
    if (folder.ok)
        printOurs("folder", folder);
    const OursRun image = startOurs(QStringLiteral("iso"), oursImage, longClips);
    if (image.ok)
        printOurs("iso", image);
    const OursRun shorter = startOurs(QStringLiteral("folder"), shortFolder, shortClips);
    if (shorter.ok)
        printOurs("folder of 60 s titles", shorter);
    QDir(shortFolder).removeRecursively();
    const ReferenceRun reference = runReference(dir, longClips);
    if (!folder.ok || !image.ok || !shorter.ok || !reference.ok) {
        std::fprintf(stderr, "a run failed (see the logs in %s)\n", qPrintable(dir));
        return 1;
    }
    const double referenceFolder = reference.titles + reference.authoring;
    const double referenceImage = referenceFolder + reference.imaging;
    std::printf("reference: total %.2f s (titles %.2f s, both at once; dvdauthor %.2f s; mkisofs "
                "%.2f s); CPU %.2f cores; peak RSS of the tools %.0f MB\n",
                referenceImage,
                reference.titles,
                reference.authoring,
                reference.imaging,
                reference.cpu / std::max(referenceImage, 0.001),
                megabytes(reference.peakRssKb));
    const double longRss = folder.figure("rss");
    const double shortRss = shorter.figure("rss");
    std::printf("peak RSS of the folder run: %.0f MB with 120 s titles, %.0f MB with 60 s titles, "
                "ratio %.2f\n",
                megabytes(long(longRss)),
                megabytes(long(shortRss)),
                longRss / std::max(shortRss, 1.0));

    const QString imageVobs = dir + QStringLiteral("/ours-iso-vobs");
    extractVobs(oursImage, imageVobs);
    const std::vector<double> ssim
        = ssimOf({titleVobs(oursFolder), titleVobs(imageVobs), titleVobs(reference.folder)},
                 longClips[0],
                 kLongSeconds,
                 dir);

    std::printf("bench production-folder: ours %.2f s, reference %.2f s, ratio %.2f, quality %.4f "
                "vs %.4f SSIM\n",
                folder.figure("wall"),
                referenceFolder,
                folder.figure("wall") / referenceFolder,
                ssim[0],
                ssim[2]);
    std::printf("bench production-iso: ours %.2f s, reference %.2f s, ratio %.2f, quality %.4f vs "
                "%.4f SSIM\n",
                image.figure("wall"),
                referenceImage,
                image.figure("wall") / referenceImage,
                ssim[1],
                ssim[2]);
    const bool four = benchFourClips(dir);
    QDir(dir).removeRecursively();
    return four ? 0 : 1;
}
