#include "app/production/MakeDVDVideo.h"

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDTitleResource.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "app/AppExtention/Convert/VCVideoConverter.h"
#include "app/production/DVDMenuVideo.h"
#include "app/production/DVDTitleVideo.h"
#include "app/production/ProductionLog.h"
#include "platform/KeyValue.h"
#include "platform/Object.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSet>
#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

const QString kCancelled = QStringLiteral("cancelled");

// The video that shows the page (the last of its video objects); null when it gives none.
DVDMenuVideoRef menuVideoForPage(const DVDMenuRef &page)
{
    const DVDMenuVideoList videos = DVDMenuExtention::vcmovies(page);
    return videos.isEmpty() ? nullptr : videos.last();
}

} // namespace

// One run of MakeDVDVideo: the jobs, the threads that run them, and what the run wrote. The
// production thread builds it and waits in run(); the worker threads take jobs; cancel and the
// progress queries come from any thread. Everything shared is guarded by m_lock.
class MakeDVDVideoRun
{
public:
    MakeDVDVideoRun(const DVDLibraryRef &dvd, QString workFolder, int maxJobs);

    // Blocks until every job has ended or the run was stopped. True when all succeeded.
    bool run();
    void cancel();
    // Unclamped (finished + running weight x fraction) / max(total, 1).
    double fraction() const;
    double totalLength() const { return m_totalLength; }
    double convertedLength() const;
    QString error() const;

private:
    enum class Kind { Title, Menu };

    struct Job
    {
        Kind kind = Kind::Title;
        qsizetype index = 0;
        double weight = 0.0;
        ObjectRef title;
        VCMovieList movies;
        DVDMenuRef page;
        bool started = false;
        // The conversion whose progress stands for this job's; null between conversions.
        VCVideoConverterRef converter;
        // Whether the converter's progress counts (menu music does not move the progress).
        bool converterCounts = false;
        // What the job has finished of its own weight so far, as a fraction.
        double doneFraction = 0.0;
    };

    void workerLoop();
    Job *takeJob();
    void endJob(Job &job, bool succeeded);
    bool stopping() const;

    bool runTitle(Job &job);
    bool runMenu(Job &job);
    // Converts movies to path with the run's format, counting for the job's progress when counts;
    // with ownDecoders the run decodes from copies of the movies' decoders, so that no other job
    // or player moves them under it. False with *why when the
    // conversion failed or was stopped.
    bool convert(Job &job,
                 const VCMovieList &movies,
                 const QString &path,
                 bool counts,
                 bool ownDecoders,
                 QString *why);
    bool runSpumux(Job &job, const QString &video, const QString &output, QString *why);

    QString workPath(const QString &name) const { return QDir(m_workFolder).filePath(name); }
    void noteWritten(const QString &path);
    void removeWritten();

    DVDLibraryRef m_dvd;
    QString m_workFolder;
    int m_maxJobs;
    LMFFMovieFileOutputFormat m_format;
    double m_totalLength = 0.0;
    std::vector<std::unique_ptr<Job>> m_jobs;

    // spumux writes its layers under fixed names in the work folder: one page at a time.
    std::mutex m_spumuxLock;

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    // Guarded by m_lock.
    bool m_stopped = false;
    bool m_menuRunning = false;
    double m_convertedLength = 0.0;
    QString m_error;
    QStringList m_written;
    QSet<DVDMenuMake *> m_spumuxSteps;
};

MakeDVDVideoRun::MakeDVDVideoRun(const DVDLibraryRef &dvd, QString workFolder, int maxJobs)
    : m_dvd(dvd)
    , m_workFolder(std::move(workFolder))
    , m_maxJobs(std::max(1, maxJobs))
    , m_format(MakeDVDVideo::movieOutputFormat(*dvd))
{
    qsizetype index = 0;
    for (const ObjectRef &title : dvd->titles()) {
        auto job = std::make_unique<Job>();
        job->kind = Kind::Title;
        job->index = index++;
        job->title = title;
        job->movies = MakeDVDVideo::getMoviesFromTitle(title);
        job->weight = MakeDVDVideo::lengthFromMovies(job->movies);
        m_jobs.push_back(std::move(job));
    }
    if (!dvd->noMenu()) {
        index = 0;
        for (const DVDMenuRef &page : dvd->menus()) {
            auto job = std::make_unique<Job>();
            job->kind = Kind::Menu;
            job->index = index++;
            job->page = page;
            job->weight = page ? 2.0 * std::max(page->duration(), 0.0) : 0.0;
            m_jobs.push_back(std::move(job));
        }
    }
    for (const auto &job : m_jobs)
        m_totalLength += job->weight;
}

bool MakeDVDVideoRun::run()
{
    if (!QDir().mkpath(m_workFolder)) {
        std::lock_guard guard(m_lock);
        m_error = QStringLiteral("Cannot make the work folder %1.").arg(m_workFolder);
        return false;
    }
    const int threads = int(std::min<size_t>(size_t(m_maxJobs), m_jobs.size()));
    std::vector<std::thread> workers;
    workers.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i)
        workers.emplace_back([this] { workerLoop(); });
    for (auto &worker : workers)
        worker.join();

    std::lock_guard guard(m_lock);
    if (m_stopped) {
        if (m_error.isEmpty())
            m_error = kCancelled;
        removeWritten();
        return false;
    }
    return true;
}

void MakeDVDVideoRun::cancel()
{
    QList<VCVideoConverterRef> converters;
    QList<DVDMenuMake *> steps;
    {
        std::lock_guard guard(m_lock);
        if (!m_stopped && m_error.isEmpty())
            m_error = kCancelled;
        m_stopped = true;
        for (const auto &job : m_jobs) {
            if (job->converter)
                converters.append(job->converter);
        }
        // The steps stay registered until their start() has returned, so they are alive here:
        // cancelling under the lock keeps them from going away meanwhile.
        for (DVDMenuMake *step : std::as_const(m_spumuxSteps))
            step->cancel();
    }
    m_changed.notify_all();
    for (const auto &converter : converters)
        converter->cancel();
}

bool MakeDVDVideoRun::stopping() const
{
    std::lock_guard guard(m_lock);
    return m_stopped;
}

double MakeDVDVideoRun::fraction() const
{
    std::lock_guard guard(m_lock);
    double done = m_convertedLength;
    for (const auto &job : m_jobs) {
        if (!job->started)
            continue;
        double part = job->doneFraction;
        if (job->converter && job->converterCounts)
            part = std::max(part, std::clamp(job->converter->progress(), 0.0, 1.0));
        done += job->weight * std::min(part, 1.0);
    }
    return done / std::max(m_totalLength, 1.0);
}

double MakeDVDVideoRun::convertedLength() const
{
    std::lock_guard guard(m_lock);
    return m_convertedLength;
}

QString MakeDVDVideoRun::error() const
{
    std::lock_guard guard(m_lock);
    return m_error;
}

void MakeDVDVideoRun::workerLoop()
{
    while (Job *job = takeJob()) {
        QElapsedTimer clock;
        clock.start();
        const bool succeeded = job->kind == Kind::Title ? runTitle(*job) : runMenu(*job);
        // One line per job, so that a slow run shows which title or page took the time.
        qCDebug(Discwright::lcProduction,
                "%s %lld %s in %.3f s",
                job->kind == Kind::Title ? "title" : "menu",
                static_cast<long long>(job->index),
                succeeded ? "succeeded" : "failed",
                double(clock.nsecsElapsed()) / 1e9);
        endJob(*job, succeeded);
    }
}

MakeDVDVideoRun::Job *MakeDVDVideoRun::takeJob()
{
    std::unique_lock guard(m_lock);
    for (;;) {
        if (m_stopped)
            return nullptr;
        // The longest waiting job first keeps the end of the run short; pages run one at a time
        // (they draw the same titles and may share their music).
        Job *best = nullptr;
        bool menuWaiting = false;
        for (const auto &job : m_jobs) {
            if (job->started)
                continue;
            if (job->kind == Kind::Menu && m_menuRunning) {
                menuWaiting = true;
                continue;
            }
            if (!best || job->weight > best->weight)
                best = job.get();
        }
        if (best) {
            best->started = true;
            if (best->kind == Kind::Menu)
                m_menuRunning = true;
            return best;
        }
        if (!menuWaiting)
            return nullptr;
        m_changed.wait(guard);
    }
}

void MakeDVDVideoRun::endJob(Job &job, bool succeeded)
{
    QList<VCVideoConverterRef> converters;
    {
        std::lock_guard guard(m_lock);
        job.converter.reset();
        if (job.kind == Kind::Menu)
            m_menuRunning = false;
        if (succeeded) {
            job.doneFraction = 0.0;
            m_convertedLength += job.weight;
            // The job no longer counts as running.
            job.weight = 0.0;
        } else if (!m_stopped) {
            // The first failure stops the whole run: a disc missing a title is no disc.
            m_stopped = true;
            for (const auto &other : m_jobs) {
                if (other->converter)
                    converters.append(other->converter);
            }
            for (DVDMenuMake *step : std::as_const(m_spumuxSteps))
                step->cancel();
        }
    }
    m_changed.notify_all();
    for (const auto &converter : converters)
        converter->cancel();
}

bool MakeDVDVideoRun::runTitle(Job &job)
{
    QString why;
    const QString path = workPath(MakeDVDVideo::titleFileName(job.index));
    if (convert(job, job.movies, path, true, true, &why))
        return true;
    std::lock_guard guard(m_lock);
    if (m_error.isEmpty())
        m_error = QStringLiteral("Title %1 could not be converted: %2").arg(job.index + 1).arg(why);
    return false;
}

bool MakeDVDVideoRun::runMenu(Job &job)
{
    const QString music = workPath(MakeDVDVideo::menuMusicTempFileName(job.index));
    const QString video = workPath(MakeDVDVideo::menuTempFileName(job.index));
    const QString output = workPath(MakeDVDVideo::menuFileName(job.index));
    QString why;
    bool succeeded = false;
    do {
        const DVDMenuVideoRef menuVideo = menuVideoForPage(job.page);
        if (!menuVideo) {
            why = QStringLiteral("the page cannot be rendered as video");
            break;
        }
        const VCMovieList musicMovies = menuVideo->musicVcMovies();
        VCMovieRef audio;
        if (!musicMovies.isEmpty()) {
            if (!convert(job, musicMovies, music, false, true, &why))
                break;
            const auto source = LMMediaSource::mediaWithPath(music);
            audio = source ? VCMovie::movieWithSource(source) : nullptr;
            if (!audio) {
                why = QStringLiteral("its converted music cannot be read back");
                break;
            }
        } else {
            // A page without music still needs a sound track of its length: silence, not a
            // clip of a file that was never written.
            audio = VCMovie::movieWithEmptyFFMovie();
        }
        menuVideo->setAudioMovie(audio);
        // The page draws its own pictures and decodes only the music file just written, which
        // nothing else uses: a copy of its decoders would be a clip without the page.
        if (!convert(job, MakeDVDVideo::getMoviesFromTitle(menuVideo), video, true, false, &why))
            break;
        if (!runSpumux(job, video, output, &why))
            break;
        succeeded = true;
    } while (false);
    QFile::remove(video);
    QFile::remove(music);
    if (succeeded)
        return true;
    std::lock_guard guard(m_lock);
    if (m_error.isEmpty())
        m_error = QStringLiteral("Menu %1 could not be made: %2").arg(job.index + 1).arg(why);
    return false;
}

bool MakeDVDVideoRun::convert(Job &job,
                              const VCMovieList &movies,
                              const QString &path,
                              bool counts,
                              bool ownDecoders,
                              QString *why)
{
    const VCVideoConverterRef converter
        = MakeDVDVideo::convertMoviesToFormat(movies, path, m_format);
    converter->setUsesOwnDecoders(ownDecoders);
    {
        std::lock_guard guard(m_lock);
        if (m_stopped) {
            *why = kCancelled;
            return false;
        }
        job.converter = converter;
        job.converterCounts = counts;
        noteWritten(path);
        converter->startConvert();
    }
    converter->waitUntilFinished();
    {
        std::lock_guard guard(m_lock);
        if (counts && converter->isFinished() && !converter->isFailed())
            job.doneFraction = std::max(job.doneFraction, 0.99);
        job.converter.reset();
    }
    // A converter that failed ends finished without its file (whatever else is at the path);
    // its reason says why.
    const QFileInfo written(path);
    if (converter->isFinished() && !converter->isFailed() && written.isFile() && written.size() > 0)
        return true;
    if (converter->isCanceled())
        *why = kCancelled;
    else if (!converter->lastError().isEmpty())
        *why = converter->lastError();
    else
        *why = QStringLiteral("the converter wrote no file at %1").arg(path);
    return false;
}

bool MakeDVDVideoRun::runSpumux(Job &job, const QString &video, const QString &output, QString *why)
{
    std::lock_guard spumux(m_spumuxLock);
    DVDMenuMake step;
    step.makeMenuDvdPathVideoWork(job.page, m_dvd, output, video, m_workFolder);
    {
        std::lock_guard guard(m_lock);
        if (m_stopped) {
            *why = kCancelled;
            return false;
        }
        noteWritten(output);
        m_spumuxSteps.insert(&step);
    }
    step.start();
    {
        std::lock_guard guard(m_lock);
        m_spumuxSteps.remove(&step);
    }
    if (step.succeeded())
        return true;
    *why = step.lastError();
    return false;
}

void MakeDVDVideoRun::noteWritten(const QString &path)
{
    if (!m_written.contains(path))
        m_written.append(path);
}

void MakeDVDVideoRun::removeWritten()
{
    for (const QString &path : std::as_const(m_written))
        QFile::remove(path);
}

// --- MakeDVDVideo ------------------------------------------------------------------------------

MakeDVDVideo::MakeDVDVideo()
    : m_maxConcurrentJobs(defaultConcurrentJobs())
{}

MakeDVDVideo::~MakeDVDVideo() = default;

int MakeDVDVideo::defaultConcurrentJobs()
{
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores / 2, 1, 4);
}

void MakeDVDVideo::setMaxConcurrentJobs(int jobs)
{
    m_maxConcurrentJobs = std::max(1, jobs);
}

bool MakeDVDVideo::makeDVDVideoTo(const DVDLibraryRef &dvd, const QString &workFolder)
{
    if (m_started.exchange(true)) {
        QMutexLocker locker(&m_lock);
        m_lastError = QStringLiteral("A conversion runs only once.");
        return false;
    }
    if (!dvd || workFolder.isEmpty()) {
        QMutexLocker locker(&m_lock);
        m_lastError = QStringLiteral("There is no disc or no work folder to convert into.");
        return false;
    }
    auto run = std::make_shared<MakeDVDVideoRun>(dvd, workFolder, m_maxConcurrentJobs);
    {
        QMutexLocker locker(&m_lock);
        m_run = run;
    }
    // A cancel that came before the run was made stops it before any job starts.
    if (m_cancelled.load())
        run->cancel();
    const bool succeeded = run->run();
    qCDebug(Discwright::lcProduction) << "title and menu conversion into" << workFolder
                                      << (succeeded ? "succeeded" : "failed:") << run->error();
    QMutexLocker locker(&m_lock);
    m_succeeded = succeeded;
    m_lastError = succeeded ? QString() : run->error();
    return succeeded;
}

double MakeDVDVideo::progress() const
{
    QMutexLocker locker(&m_lock);
    const double now = m_run ? std::min(m_run->fraction(), 0.999) : 0.0;
    m_lastProgress = std::max(m_lastProgress, now);
    return m_lastProgress;
}

void MakeDVDVideo::cancel()
{
    m_cancelled.store(true);
    std::shared_ptr<MakeDVDVideoRun> run;
    {
        QMutexLocker locker(&m_lock);
        run = m_run;
    }
    if (run)
        run->cancel();
}

QString MakeDVDVideo::lastError() const
{
    QMutexLocker locker(&m_lock);
    return m_lastError;
}

double MakeDVDVideo::totalLength() const
{
    QMutexLocker locker(&m_lock);
    return m_run ? m_run->totalLength() : 0.0;
}

double MakeDVDVideo::convertedLength() const
{
    QMutexLocker locker(&m_lock);
    return m_run ? m_run->convertedLength() : 0.0;
}

LMFFMovieFileOutputFormat MakeDVDVideo::movieOutputFormat(const DVDLibrary &dvd)
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    const QSize size = dvd.dvdVideoSize();
    const auto [frameTime, framerate] = dvd.dvdVideoTimebase();
    format.width = int32_t(size.width());
    format.height = dvd.format() == 1 ? 576 : 480;
    format.video_codec = lm_get_codec_id_by_name(QStringLiteral("mpeg2"));
    format.video_bitrate = int32_t(dvd.dvdBitrate() * 1000);
    format.framerate = int32_t(framerate);
    format.frameTime = int32_t(frameTime);
    format.aspect = dvd.aspectType() == 1 ? float(16.0 / 9.0) : float(4.0 / 3.0);
    format.sample_rate = 48000;
    format.audio_codec = lm_get_codec_id_by_name(QStringLiteral("ac3"));
    format.audio_bitrate = 448000;
    return format;
}

VCMovieList MakeDVDVideo::getMoviesFromTitle(const ObjectRef &object)
{
    VCMovieList movies;
    ObjectList objects;
    if (const auto title = platform::objectCast<Discwright::DVDTitleVideo>(object)) {
        movies = title->vcmovies();
    } else if (const auto page = platform::objectCast<DVDMenuVideo>(object)) {
        movies = page->vcmovies();
    } else if (const auto *resource = platform::conformsTo<DVDTitleResource>(object)) {
        objects = resource->vcmovies();
    } else if (object && object->metaObject()->indexOfProperty("vcmovies") >= 0) {
        for (const QVariant &value :
             platform::valueForKey(object.get(), QStringLiteral("vcmovies")).toList())
            objects.append(platform::objectFromVariant(value));
    }
    for (const ObjectRef &element : std::as_const(objects)) {
        if (auto movie = platform::objectCast<VCMovie>(element))
            movies.append(movie);
    }
    if (movies.isEmpty()) {
        auto placeholder = VCMovie::movieWithEmptyFFMovie();
        placeholder->setTrimStart(0);
        placeholder->setTrimStop(lm_default_time_base());
        movies.append(placeholder);
    }
    return movies;
}

double MakeDVDVideo::lengthFromMovies(const VCMovieList &movies)
{
    double seconds = 0.0;
    for (const VCMovieRef &movie : movies) {
        if (movie)
            seconds += lm_ff_time_to_double(movie->trimDuration());
    }
    return seconds;
}

VCVideoConverterRef MakeDVDVideo::convertMoviesToFormat(const VCMovieList &movies,
                                                        const QString &path,
                                                        const LMFFMovieFileOutputFormat &format)
{
    auto converter = std::make_shared<VCVideoConverter>();
    converter->setMovies(movies);
    converter->setPath(path);
    QFile::remove(path);
    converter->setMovieOutputFormat(format);
    converter->updateConverterContent();
    return converter;
}

QString MakeDVDVideo::titleFileName(qsizetype index)
{
    return QStringLiteral("title%1.dvd").arg(index);
}

QString MakeDVDVideo::menuFileName(qsizetype index)
{
    return QStringLiteral("menu%1.dvd").arg(index);
}

QString MakeDVDVideo::menuMusicTempFileName(qsizetype index)
{
    return QStringLiteral("menu-music-temp-%1.dvd").arg(index);
}

QString MakeDVDVideo::menuTempFileName(qsizetype index)
{
    return QStringLiteral("menu-temp-%1.dvd").arg(index);
}
