#pragma once

#include "app/production/BurnDVDWorkflow.h"
#include "app/production/ConvertProgressPresenter.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class DVDBurn;
class DVDLibrary;
class ProductionDialogue;

// How a production run ended. A failed run says why; the user has been told already.
struct ProductionResult
{
    enum class State { Done, Cancelled, Failed };
    State state = State::Failed;
    QString reason;
    // Discs burned in the disc mode.
    int discsBurned = 0;
};

/**
 * The production run behind the progress window: one of three requests (a DVD-Video folder, an
 * ISO image, or one or more burned discs) run as the matching steps of a BurnDVDWorkflow on a
 * production thread of its own, one progress bar across all steps with fixed weights per mode,
 * the change of discs between copies, the reveal of a finished folder or image and the cleaning up
 * of the run's temporary folder. What the user sees and answers goes through the presenter.
 *
 * Owned by the main window and reused for every run. Everything here belongs to the main thread,
 * which never waits for a run: a request starts it and returns, and the run ends in finished(),
 * once its jobs are over, its window closed and its temporary folder removed. The production
 * thread reaches the main thread only through a ProductionDialogue, which a cancel frees.
 */
class ConvertProgressWindowController : public QObject
{
    Q_OBJECT
public:
    static constexpr int ProgressIntervalMs = 200;
    // The bar never shows the run as complete before it is.
    static constexpr double MaximumProgress = 0.99;

    // What the drive holds between copies, as the insert-disc alert tells it.
    struct DiscReadiness
    {
        QString text;
        bool ready = false;
    };

    explicit ConvertProgressWindowController(QObject *parent = nullptr);
    // A run still going is cancelled and its jobs waited for: only where the owner goes first.
    ~ConvertProgressWindowController() override;

    void setPresenter(std::shared_ptr<ConvertProgressPresenter> presenter);
    // Replaces the workflow's conversion sub-step; empty keeps the application's.
    void setConversionFactory(BurnDVDWorkflow::ConversionFactory factory);
    void setWorkflowTiming(const BurnDVDWorkflow::Timing &timing);

    // Discs to burn in the disc mode, 1 to 999.
    void setBurnDVDTimes(int times);
    int burnDVDTimes() const { return m_burnDVDTimes; }
    // Where the next run makes its temporary folder: a fresh folder there, or at a free name
    // beside it when something is there already (a user's own folder is never taken over or
    // removed). Empty makes one under the temporary root. The run removes the folder it made.
    void setTempWorkPath(const QString &path);
    // The folder the running (or the last) run made; empty before a run.
    QString tempWorkPath() const { return m_madeTempPath; }

    // Each request starts a run and returns at once; the run ends in finished(), also when it could
    // not begin. False, with nothing started, while another run goes on. dvd is production's own
    // copy: nothing else touches it while the run goes.
    // The folder mode: a DVD-Video folder of dvd at destination.
    bool burnMedia(const std::shared_ptr<DVDLibrary> &dvd, const QString &destination);
    // The ISO mode: an image of dvd at destination, with the volume name of name.
    bool burnIsoName(const std::shared_ptr<DVDLibrary> &dvd,
                     const QString &destination,
                     const QString &name);
    // The disc mode: burnDVDTimes() discs of dvd in the burner's drive.
    bool burnDvdName(const std::shared_ptr<DVDLibrary> &dvd,
                     const std::shared_ptr<DVDBurn> &burner,
                     const QString &name);
    // The window's cancel: stops the running step and skips the rest; asks nothing.
    void cancel();
    // The quit path: cancels a running run and calls then once its jobs have ended and its
    // temporary folder is gone (right after finished()); at once when no run goes.
    void cancelThen(std::function<void()> then);
    bool isRunning() const { return m_running; }
    // How the last run ended; Failed with an empty reason before any.
    ProductionResult lastResult() const { return m_lastResult; }

    // The value on the bar, 0 to MaximumProgress; within one bar it never falls.
    double progress() const { return m_progress; }
    QString convertVideoStatus() const { return m_status; }
    bool isCancelled() const { return m_cancelled.load(); }
    bool isBurnningDVD() const { return m_burnning.load(); }
    // The workflow of the running request; null otherwise.
    std::shared_ptr<BurnDVDWorkflow> workflow() const { return m_workflow; }

    // "%@/%@.%@" of folder, name and extension.
    static QString
    tempDVDPathName(const QString &folder, const QString &name, const QString &extension);
    // "Ready to Burn" when a blank disc with more room than the image is present; otherwise why
    // not: no disc, a disc that is not blank, or one that is too small.
    static DiscReadiness
    discReadiness(bool present, bool blank, qint64 writableBytes, qint64 imageBytes);

signals:
    // The run is over: its window closed, its temporary folder removed.
    void finished(const ProductionResult &result);

private:
    using Block = std::function<ProductionResult(BurnDVDWorkflow &)>;

    bool makeDVDTempDir(QString *error);
    void removeDVDTempFile();
    bool burnDVDWithBlock(const Block &block);
    // On the main thread, once the production thread's block has returned.
    void endRun(const ProductionResult &result);
    void updateBurnProgress();
    // From any thread: the status line follows isBurnningDVD.
    void updateConvertVideoStatus();
    // From any thread: the finished result in the file viewer.
    void selectOutputDVDFile(const QString &path);

    ProductionResult failed(const QString &message, const QString &reason);
    // The result of a step that did not succeed: cancelled, or failed with the user told why.
    ProductionResult stepFailed(BurnDVDWorkflow &workflow, const QString &message);
    ProductionResult burnCopies(BurnDVDWorkflow &workflow,
                                const std::shared_ptr<DVDBurn> &burner,
                                const QString &image);
    void startNewBar(double finished, double weight);

    // Everything the production thread shows or asks goes through it; made for each run.
    std::unique_ptr<ProductionDialogue> m_dialogue;
    std::thread m_production;
    bool m_running = false;
    ProductionResult m_lastResult;
    std::vector<std::function<void()>> m_afterRun;
    std::shared_ptr<ConvertProgressPresenter> m_presenter;
    BurnDVDWorkflow::ConversionFactory m_conversionFactory;
    BurnDVDWorkflow::Timing m_timing;
    int m_burnDVDTimes = 1;
    QString m_requestedTempPath;
    QString m_madeTempPath;
    std::shared_ptr<BurnDVDWorkflow> m_workflow;
    QTimer m_progressTimer;

    // Written by the production thread, read by the timer.
    std::atomic<double> m_progressFinished{0.0};
    std::atomic<double> m_currentWeight{0.0};
    std::atomic<int> m_barNumber{0};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_burnning{false};

    // Main thread only.
    double m_progress = 0.0;
    int m_shownBar = 0;
    QString m_status;
};
