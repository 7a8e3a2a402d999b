#pragma once

// The modal progress window of a production run. The main window hands it the production disc and
// one request: a DVD-Video folder, an ISO image or one or more burned discs. It runs the request's
// steps one after the other on one production thread, shows one bar across all of them (fixed
// weights per request, never above 0.99 before the end), asks for a new blank disc between copies,
// reveals the finished folder or image and removes its work folder. Each request returns once the
// run is over and the window has closed.
//
// Created once by the main window controller and reused for every run. The requests, the timer,
// the status line, the reveal and every alert run on the main thread; the steps run on the
// production thread, which waits in them and polls its open alerts once a second.

#include "Platterkit/model/DVDLibrary.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

class DVDBurn;
class QDialog;
class QLabel;

class QProgressBar;
class QPushButton;
class QWidget;

// The production steps one run goes through. Each step blocks until it is over and answers
// whether it left its result; progress is the running step's fraction. cancel and progress may
// be called from any thread, the steps from the production thread.
class ConvertProgressWorkflow
{
public:
    virtual ~ConvertProgressWorkflow() = default;

    // The folder where the steps keep their intermediate files; made by the steps as needed.
    virtual void setTempWorkPath(const QString &path) = 0;
    // The disc's titles and menus converted and authored into a DVD-Video folder.
    virtual bool makeMedia(const std::shared_ptr<DVDLibrary> &disc, const QString &folder) = 0;
    // An ISO image of a DVD-Video folder with the volume name.
    virtual bool makeIso(const QString &folder, const QString &isoPath, const QString &name) = 0;
    // One disc burned from the image with the burner (its own checks, retries and final alert).
    virtual bool burnDvd(const QString &isoPath, DVDBurn *burner) = 0;
    virtual double progress() const = 0;
    virtual void cancel() = 0;
};

class ConvertProgressWindowController : public QObject
{
    Q_OBJECT
public:
    using WorkflowFactory = std::function<std::unique_ptr<ConvertProgressWorkflow>()>;

    explicit ConvertProgressWindowController(QWidget *parentWindow);
    ~ConvertProgressWindowController() override;

    QDialog *window() const { return m_window; }
    QProgressBar *progressIndicator() const { return m_progressIndicator; }
    QLabel *convertVideoStatus() const { return m_convertVideoStatus; }

    // Makes the workflow of each run; without one every run ends at once with nothing made.
    void setWorkflowFactory(WorkflowFactory factory) { m_factory = std::move(factory); }

    void setBurnDVDTimes(int times);
    int burnDVDTimes() const { return m_burnDVDTimes; }
    // The run's own folder, made fresh by the caller, who removes it after the request returns.
    void setTempWorkPath(const QString &path) { m_tempWorkPath = path; }
    QString tempWorkPath() const { return m_tempWorkPath; }

    // The three requests (main thread); each returns when the window has closed.
    void burnMedia(const std::shared_ptr<DVDLibrary> &disc, const QString &folder);
    void burnIso(const std::shared_ptr<DVDLibrary> &disc,
                 const QString &isoPath,
                 const QString &name);
    void burnDvd(const std::shared_ptr<DVDLibrary> &disc, DVDBurn *burner, const QString &name);

    // The window's Cancel: the run and its running step stop; nothing is asked.
    void cancel();
    bool isCancelled() const { return m_isCancelled.load(); }
    bool isRunning() const { return m_workflow != nullptr; }

    double progress() const { return m_progress; }
    // "Convert Video ..." while converting, "Burn DVD ..." once burning has begun.
    QString statusText() const;

    // What the disc in the burner allows between copies: "Ready to Burn" when a blank disc with
    // room for imageBytes is in, else why not. Main thread (the burner is asked).
    struct DiscState
    {
        bool ready = false;
        QString text;
    };
    static DiscState discStateFor(DVDBurn &burner, qint64 imageBytes);

    // An alert run from the production thread: shown window-modally on the main thread while the
    // production thread calls update (which may change the informative text and whether the
    // default button is enabled) once a second; true when the default button was chosen.
    struct AlertUpdate
    {
        QString informativeText;
        bool defaultEnabled = true;
    };
    bool runAlertWindow(const QString &message,
                        const QString &informativeText,
                        const QString &defaultButton,
                        const QString &alternateButton,
                        bool defaultEnabled,
                        const std::function<AlertUpdate()> &update);

    // The alert open at the moment, for tests; null when none.
    QMessageBox *currentAlert() const { return m_alert; }

    static QString tempDVDPathName(const QString &folder,
                                   const QString &name,
                                   const QString &extension);

signals:
    // A run has begun or ended (main thread).
    void runStarted();
    void runFinished();

private:
    void burnDVDWithBlock(const std::function<void(ConvertProgressWorkflow &)> &block);
    void updateBurnProgress();
    void updateConvertVideoStatus();
    void selectOutputDVDFile(const QString &path);
    void removeDVDTempFile();
    // Runs function on the main thread and waits for it (production thread).
    void onMainThreadAndWait(const std::function<void()> &function);

    QDialog *m_window = nullptr;
    QProgressBar *m_progressIndicator = nullptr;
    QLabel *m_convertVideoStatus = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QTimer m_timer;
    QPointer<QMessageBox> m_alert;

    WorkflowFactory m_factory;
    std::unique_ptr<ConvertProgressWorkflow> m_workflow;
    int m_burnDVDTimes = 1;
    QString m_tempWorkPath;
    double m_progress = 0;
    std::atomic<double> m_progressFinished = 0;
    std::atomic<double> m_currentWeight = 0;
    std::atomic<bool> m_isCancelled = false;
    std::atomic<bool> m_isBurnningDVD = false;
};
