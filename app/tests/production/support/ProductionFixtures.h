#pragma once

// What the production tests run on: a disc model of real titles whose streams ffmpeg made with
// -target pal-dvd (or ntsc-dvd), a conversion step that lays those prepared streams into the
// work folder as "title%ld.dvd", a presenter that records what the run shows and answers as the
// test scripts it, and tool folders that slow a real tool's start so that a cancel can land.

#include "Platterkit/model/DVDTitleVideo.h"
#include "app/production/ConvertProgressPresenter.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/DVDVideoConversion.h"
#include "platform/Object.h"
#include "testsupport/DiscFixtures.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <vector>

class DVDLibrary;

namespace production_fixtures {

// A title of the production disc model, with chapters of the given lengths.
class StreamTitle : public QObject, public DVDTitleVideo
{
public:
    explicit StreamTitle(const QList<double> &chapterSeconds, bool warning = false);
    bool isWarningVideo() const override { return m_warning; }
    ObjectList chapters() const override { return m_chapters; }
    double duration() const override;

private:
    bool m_warning = false;
    ObjectList m_chapters;
};

// One prepared title: its stream file and its chapter lengths.
struct PreparedTitle
{
    QString stream;
    QList<double> chapterSeconds;
};

// The prepared titles of a PAL 16:9 disc: a 3 s title of three 1 s chapters and a 2 s title.
// Made once per test program; empty, with the reason in *error, when ffmpeg fails.
QList<PreparedTitle> palTitles(QString *error = nullptr);
// The prepared titles of an NTSC 4:3 disc: a 2 s title and a 1 s warning video.
QList<PreparedTitle> ntscTitles(QString *error = nullptr);

// A disc model without menus of the prepared titles at 4000 kbps, PAL 16:9 or NTSC 4:3; the
// last title is the warning video when asked.
std::shared_ptr<DVDLibrary>
discOf(const QList<PreparedTitle> &titles, bool pal = true, bool warningLast = false);

// Lays the prepared streams into the work folder as the conversion would write them, one after
// the other, waiting delayMs after each (a cancel ends the wait).
class PreparedConversion : public DVDVideoConversion
{
public:
    explicit PreparedConversion(QList<PreparedTitle> titles, int delayMs = 0);

    void makeDVDVideo(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath) override;
    bool succeeded() const override { return m_succeeded.load(); }
    QString lastError() const override { return m_failure; }
    void cancel() override { m_cancelled = true; }
    double progress() const override;

    // The run ends failed with this reason after writing the first stream (as when the disk
    // fills up).
    void failAfterFirst(const QString &reason) { m_failure = reason; }
    // Leaves out the last title's stream while answering success (a converter that lost a file).
    void dropLastStream() { m_dropLast = true; }

    bool started() const { return m_started.load(); }

private:
    QList<PreparedTitle> m_titles;
    int m_delayMs = 0;
    QString m_failure;
    bool m_dropLast = false;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_succeeded{false};
    std::atomic<int> m_written{0};
};

// Records everything a run shows, on the main thread, and answers as scripted.
class RecordingPresenter : public ConvertProgressPresenter
{
public:
    struct Sample
    {
        qint64 elapsedMs = 0;
        double progress = 0.0;
    };
    struct Update
    {
        QString text;
        bool enabled = false;
    };

    void openProgressWindow() override;
    void closeProgressWindow() override;
    void showProgress(double progress) override;
    void showStatus(const QString &status) override { statuses << status; }
    void openAlert(const ProductionAlert &alert,
                   const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override;
    void beginAlert(const ProductionAlert &alert,
                    const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override;
    void updateAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                     const QString &informativeText,
                     bool defaultButtonEnabled) override;
    void dismissAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper) override;
    void revealFile(const QString &path) override { revealed << path; }
    void showRateApplicationWindow() override { ++ratings; }

    // Forgets what was recorded; the scripts stay.
    void clearRecords();
    // The messages of the modal alerts, in order.
    QStringList alertMessages() const;

    // Scripts. answerAlert answers a modal alert (default: its default button). onUpdate sees
    // every refresh of an alert begun without waiting and may answer it through the helper
    // (default: never answered). onProgress sees every tick.
    std::function<qint64(const ProductionAlert &)> answerAlert;
    std::function<void(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &, const Update &)>
        onUpdate;
    std::function<void(double)> onProgress;

    int opened = 0;
    int closed = 0;
    int ratings = 0;
    int dismissed = 0;
    QStringList statuses;
    QStringList revealed;
    std::vector<ProductionAlert> alerts;
    std::vector<ProductionAlert> begun;
    std::vector<Update> updates;
    std::vector<Sample> samples;

private:
    QElapsedTimer m_clock;
};

// A folder of tools found before the real ones (DISCWRIGHT_TOOLS_DIR) while it lives: each one
// marks that it started, waits, then runs the real tool with the same arguments.
class SlowToolFolder
{
public:
    SlowToolFolder();
    ~SlowToolFolder();
    void install(const QString &tool, double delaySeconds);
    // Whether the tool has been started since install().
    bool started(const QString &tool) const;

private:
    QTemporaryDir m_folder;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

// The application object and the library operations with the shipped templates, as at start-up;
// with strings, the shipped string table too. For ::testing::AddGlobalTestEnvironment.
class ShippedApplication : public ::testing::Environment
{
public:
    explicit ShippedApplication(bool withStrings = false)
        : m_withStrings(withStrings)
    {}
    void SetUp() override;

private:
    bool m_withStrings = false;
};

// Installs the string table the build ships (its resources/Localizable.plist).
void installShippedStrings();

// The first of tools that is not on the PATH; empty when all are.
QString missingTool(std::initializer_list<const char *> tools);

// Checks that disc holds the titles of a PAL 16:9 disc (pal) or an NTSC 4:3 one, full size, one a
// length, each within 0.04 s. A fatal failure when the count differs.
void expectDiscTitles(const testing_support::DiscInfo &disc,
                      bool pal,
                      const QList<double> &lengths);

// Runs work on a thread of its own and waits for it. Starting a program forks in a way that
// leaves ThreadSanitizer blind to the starting thread's later locking, so the fixtures start
// theirs on threads that end right after.
void apart(const std::function<void()> &work);

// Starts a run through start (one of the controller's requests) and runs the event loop until the
// run's finished() came, at most timeoutMs; a Failed result saying so when it did not.
ProductionResult runToEnd(ConvertProgressWindowController &controller,
                          const std::function<bool()> &start,
                          int timeoutMs = 540000);

// The volume name isoinfo reads from an image; empty when it cannot.
QString isoVolumeName(const QString &image);
// What lsdvd reads from a DVD-Video folder or image.
testing_support::DiscInfo readDiscApart(const QString &path);

} // namespace production_fixtures
