#pragma once

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/tools/DVDMakeTask.h"
#include "Reelsmith/LMTypes.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <QMutex>
#include <QString>
#include <atomic>
#include <memory>

class MakeDVDVideoRun;
class VCVideoConverter;

/**
 * The first step of a production folder: turns every title of the production disc model into
 * "title<i>.dvd" and every menu page into "menu<j>.dvd" (its menu video with its music, then its
 * button subpictures laid in by spumux) in the work folder, the MPEG program streams dvdauthor
 * reads. Indices count from 0 in the order of the disc's lists.
 *
 * Titles and pages are jobs that run at once, up to maxConcurrentJobs (from the core count): each
 * title reads its clips through decoders of its own, so a page that draws the same titles as
 * moving pictures never shares a decoder with a running title; pages run one after another beside
 * the titles, and spumux runs for one page at a time (its layer files have fixed names).
 *
 * Made by the folder step for one call of makeDVDVideoTo. makeDVDVideoTo blocks the production
 * thread; progress, cancel and the other queries may come from any thread meanwhile.
 */
class MakeDVDVideo : public DVDMakeTask
{
public:
    MakeDVDVideo();
    ~MakeDVDVideo() override;
    MakeDVDVideo(const MakeDVDVideo &) = delete;
    MakeDVDVideo &operator=(const MakeDVDVideo &) = delete;

    // Converts all titles and, unless the disc has noMenu, all menu pages into workFolder (made
    // when missing). Blocks until every job has ended. True when every file was written; false
    // when a job failed (lastError says which and why) or the run was cancelled. On false the
    // files this run wrote are removed again; nothing else in workFolder is touched. One call per
    // object.
    bool makeDVDVideoTo(const DVDLibraryRef &dvd, const QString &workFolder);

    // (finished weights + each running job's weight x its fraction) / max(total weight, 1): a
    // title weighs its playing time, a page twice its duration. Never falls and stays below 1,
    // also at the end: the folder step counts its own steps after this one.
    double progress() const override;
    // Stops every running job (its converter, spumux) and starts nothing new; makeDVDVideoTo
    // then returns false. A cancel before the run keeps it from starting.
    void cancel() override;
    bool isCancelled() const { return m_cancelled.load(); }
    // Why the last run failed; empty after a success, "cancelled" after a cancel.
    QString lastError() const;

    // How many jobs run at once; at least 1. Set before the run.
    int maxConcurrentJobs() const { return m_maxConcurrentJobs; }
    void setMaxConcurrentJobs(int jobs);
    // The default: half the cores, at least 1 and at most 4 (each job's encoder and decoders run
    // threads of their own).
    static int defaultConcurrentJobs();

    // Seconds of material of the whole run and of the jobs finished so far.
    double totalLength() const;
    double convertedLength() const;

    // The DVD output format of every conversion of a run on dvd: MPEG-2 720 x 576 at 1/25 (PAL)
    // or 720 x 480 at 1001/30000, 16/9 or 4/3, the disc's bit rate; AC-3 48 kHz stereo 448 kbit/s.
    static LMFFMovieFileOutputFormat movieOutputFormat(const DVDLibrary &dvd);
    // The clips of a title or menu video (anything answering vcmovies); an empty one gives one
    // silent, black one-second clip, so that an empty title still yields a stream.
    static VCMovieList getMoviesFromTitle(const ObjectRef &title);
    // Seconds: the sum of the clips' trimDuration.
    static double lengthFromMovies(const VCMovieList &movies);
    // A prepared, not started converter of movies to path in format; whatever was at path is
    // removed first (the converter never replaces a file).
    static std::shared_ptr<VCVideoConverter> convertMoviesToFormat(
        const VCMovieList &movies, const QString &path, const LMFFMovieFileOutputFormat &format);

    // The work files, by index.
    static QString titleFileName(qsizetype index);
    static QString menuFileName(qsizetype index);
    static QString menuMusicTempFileName(qsizetype index);
    static QString menuTempFileName(qsizetype index);

private:
    friend class MakeDVDVideoRun;

    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_started{false};
    int m_maxConcurrentJobs;
    mutable QMutex m_lock;
    // Guarded by m_lock.
    std::shared_ptr<MakeDVDVideoRun> m_run;
    QString m_lastError;
    bool m_succeeded = false;
    mutable double m_lastProgress = 0.0;
};
