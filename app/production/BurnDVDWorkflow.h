#pragma once

#include "app/production/ConvertProgressPresenter.h"
#include "app/production/DVDVideoConversion.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class DVDBurn;
class DVDLibrary;

class ProductionDialogue;

/**
 * The production steps that the progress window strings together: the disc model to a DVD-Video
 * folder (the conversion, then dvdauthor), a DVD-Video folder to an ISO image (mkisofs), and an ISO
 * image to a blank disc (the burner), with the burn's dialogue: the space warning, the Retry sheet
 * after a failed burn and the final alert.
 *
 * Every step works in a fresh work folder of its own, moves its result to the destination the
 * caller names (replacing what is there only once the result exists) and removes the work folder
 * again; it never removes anything it did not make.
 *
 * Made on the main thread by the progress window's controller for one production run, which it
 * serves until released; the main thread must run its event loop while a step goes on and never
 * waits for it. The steps block the production thread, one at a time; what they show or ask the
 * main thread goes through a ProductionDialogue, which a cancel frees. progress() and cancel() come from the main thread
 * while a step runs; the outcome accessors may be read from any thread.
 */
class BurnDVDWorkflow : public QObject
{
    Q_OBJECT
public:
    // Makes the conversion sub-step of a folder step; null when there is none.
    using ConversionFactory = std::function<std::shared_ptr<DVDVideoConversion>()>;

    // The pauses of the burn dialogue.
    struct Timing
    {
        // Before each burn attempt, so that a disc just inserted has settled.
        int burnPauseMs = 2000;
        // Between two log lines of the burner's status while a burn runs.
        int statusLogIntervalMs = 5000;
        // Between two refreshes of the Retry sheet.
        int alertPollIntervalMs = 1000;
    };

    // The progress scale of every step.
    static constexpr double TotalLength = 100.0;
    // progress() never reaches 1: the window moves on when the step returns.
    static constexpr double MaximumProgress = 0.98;

    explicit BurnDVDWorkflow(QObject *parent = nullptr);
    ~BurnDVDWorkflow() override;

    // Replaces the conversion sub-step (the application's converts every title and menu page).
    void setConversionFactory(ConversionFactory factory);
    // Where the alerts go; without one they are logged and answered with the default button.
    void setPresenter(std::shared_ptr<ConvertProgressPresenter> presenter);
    void setTiming(const Timing &timing);

    // Where each step makes its work folder (a free name beside it when something is there
    // already); empty (the default) makes a fresh one under the temporary root's "tessary-temp".
    void setTempWorkPath(const QString &path);
    QString tempWorkPath() const;
    // Makes a fresh work folder for a step and answers its path; empty, with lastError() set, when
    // none can be made. Each call makes another one.
    QString workPath();

    // The folder step: a DVD-Video folder of dvd at destination. True when it is there; on failure
    // or cancel nothing at destination is touched and lastError() says why.
    bool makeMedia(const std::shared_ptr<DVDLibrary> &dvd, const QString &destination);
    // The image step: the DVD-Video folder input packed into an ISO image at destination with the
    // volume name of name (volumeNameForName). True when the image is there.
    bool makeIsoName(const QString &input, const QString &destination, const QString &name);
    // The burn step: the image burned to the disc in the burner's drive, with the dialogue above.
    // The burner lives on the main thread. True (and burnSuccess()) when the burn finished.
    bool burnDvd(const QString &isoPath, const std::shared_ptr<DVDBurn> &burner);

    // The fraction of the current step, at most MaximumProgress. Main thread (the burner's
    // progress belongs there).
    double progress() const;
    // Stops the current step and keeps later ones from starting; a workflow stays cancelled.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

    bool burnSuccess() const { return m_burnSuccess.load(); }
    // Why the last step did not succeed; empty after a success.
    QString lastError() const;
    // The running sub-step: the conversion, DVDFSMake, DVDImageMake or the burner; null between.
    std::shared_ptr<DVDMakeTask> task() const;
    double convertedLength() const { return m_convertedLength.load(); }
    double convertingLength() const { return m_convertingLength.load(); }

    // The volume name of an image for a disc name: "My DVD" for an empty name; control characters
    // become "_" and the name is cut to the 32 bytes an ISO volume name holds, at a character's end.
    static QString volumeNameForName(const QString &name);

private:
    void setTask(const std::shared_ptr<DVDMakeTask> &task);
    void setLastError(const QString &error);
    // Waits up to ms, less when the run is cancelled; false when it was.
    bool pause(int ms);
    // The end of a folder or image step: the result resultName in the work folder moves to
    // destination when the step went well and was not cancelled, the work folder goes, and the
    // outcome is logged. False, with lastError() set, for a failure or a cancel.
    bool finishStep(const QString &work,
                    const QString &resultName,
                    const QString &destination,
                    bool ok,
                    const char *what);
    qint64 showAlert(const ProductionAlert &alert);
    bool runBurnLoop(const QString &isoPath, const std::shared_ptr<DVDBurn> &burner);
    // Waits for the burn to end, logging the burner's status now and then.
    void waitForBurnEnd(const std::shared_ptr<DVDBurn> &burner);
    // Shows the Retry sheet and waits for its answer; true for "Retry".
    bool askRetry(const std::shared_ptr<DVDBurn> &burner, qint64 imageSize);
    // The burner's status and failure, asked on its thread.
    QString statusText(const std::shared_ptr<DVDBurn> &burner);
    QString burnerError(const std::shared_ptr<DVDBurn> &burner);

    // Everything shown to the user and every call into the burner goes through it.
    std::unique_ptr<ProductionDialogue> m_dialogue;
    ConversionFactory m_conversionFactory;
    std::shared_ptr<ConvertProgressPresenter> m_presenter;
    Timing m_timing;

    mutable std::mutex m_lock;
    QString m_tempWorkPath;
    QString m_lastError;
    std::shared_ptr<DVDMakeTask> m_task;

    std::atomic<double> m_convertedLength{0.0};
    std::atomic<double> m_convertingLength{0.0};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_burnSuccess{false};

    std::mutex m_wakeLock;
    std::condition_variable m_wake;
};
