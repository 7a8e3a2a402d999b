#include "ProductionFixtures.h"

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "platform/StringTable.h"
#include "support/AppFakes.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/EventLoop.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <mutex>
#include <optional>
#include <thread>

namespace production_fixtures {

// isoinfo on the calling thread.
QString isoVolumeNameHere(const QString &image);

namespace {

class StreamChapter : public QObject, public DVDChapterVideo
{
public:
    explicit StreamChapter(double seconds)
        : m_seconds(seconds)
    {}
    ObjectList titles() const override { return {}; }
    double duration() const override { return m_seconds; }

private:
    double m_seconds = 0.0;
};

} // namespace

StreamTitle::StreamTitle(const QList<double> &chapterSeconds, bool warning)
    : m_warning(warning)
{
    for (double seconds : chapterSeconds)
        m_chapters.append(std::make_shared<StreamChapter>(seconds));
}

double StreamTitle::duration() const
{
    double total = 0.0;
    for (const ObjectRef &chapter : m_chapters)
        total += platform::conformsTo<DVDChapterVideo>(chapter)->duration();
    return total;
}

// Makes the streams once per program and standard.
QList<PreparedTitle> prepare(bool pal, const QList<QList<double>> &chapters, QString *error)
{
    static std::mutex lock;
    static QTemporaryDir *folder = nullptr;
    static QMap<bool, QList<PreparedTitle>> made;
    static QMap<bool, QString> failures;
    std::lock_guard guard(lock);
    if (!folder)
        folder = new QTemporaryDir;
    if (!made.contains(pal) && !failures.contains(pal)) {
        apart([&] {
            QList<PreparedTitle> titles;
            for (qsizetype i = 0; i < chapters.size(); ++i) {
                double seconds = 0.0;
                for (double chapter : chapters[i])
                    seconds += chapter;
                const QString path = folder->filePath(
                    QStringLiteral("%1-%2.mpg").arg(pal ? "pal" : "ntsc").arg(i));
                QString failure;
                if (!testing_support::makeDvdStream(path, pal, pal, seconds, &failure)) {
                    failures.insert(pal, failure);
                    break;
                }
                titles.append({path, chapters[i]});
            }
            if (!failures.contains(pal))
                made.insert(pal, titles);
        });
    }
    if (error)
        *error = failures.value(pal);
    return made.value(pal);
}

QList<PreparedTitle> palTitles(QString *error)
{
    return prepare(true, {{1.0, 1.0, 1.0}, {2.0}}, error);
}

QList<PreparedTitle> ntscTitles(QString *error)
{
    return prepare(false, {{2.0}, {1.0}}, error);
}

std::shared_ptr<DVDLibrary> discOf(const QList<PreparedTitle> &titles, bool pal, bool warningLast)
{
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setFormat(pal ? 1 : 0);
    dvd->setAspectType(pal ? 1 : 0);
    dvd->setNoMenu(true);
    dvd->setDvdBitrate(4000);
    ObjectList list;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const bool warning = warningLast && i == titles.size() - 1;
        list.append(std::make_shared<StreamTitle>(titles[i].chapterSeconds, warning));
    }
    dvd->setTitles(list);
    return dvd;
}

PreparedConversion::PreparedConversion(QList<PreparedTitle> titles, int delayMs)
    : m_titles(std::move(titles))
    , m_delayMs(delayMs)
{}

void PreparedConversion::makeDVDVideo(const std::shared_ptr<DVDLibrary> &, const QString &workPath)
{
    m_started = true;
    bool ok = true;
    for (qsizetype i = 0; i < m_titles.size() && !m_cancelled; ++i) {
        if (m_dropLast && i == m_titles.size() - 1)
            break;
        const QString target = QDir(workPath).filePath(QStringLiteral("title%1.dvd").arg(i));
        if (!QFile::copy(m_titles[i].stream, target)) {
            m_failure = QStringLiteral("cannot write %1").arg(target);
            ok = false;
            break;
        }
        ++m_written;
        for (int waited = 0; waited < m_delayMs && !m_cancelled; waited += 10)
            QThread::msleep(10);
        if (!m_failure.isEmpty()) {
            ok = false;
            break;
        }
    }
    m_succeeded = ok && !m_cancelled;
}

double PreparedConversion::progress() const
{
    return double(m_written.load()) / double(std::max<qsizetype>(1, m_titles.size()));
}

void RecordingPresenter::openProgressWindow()
{
    ++opened;
    m_clock.start();
}

void RecordingPresenter::closeProgressWindow()
{
    ++closed;
}

void RecordingPresenter::showProgress(double progress)
{
    samples.push_back({m_clock.isValid() ? m_clock.elapsed() : 0, progress});
    if (onProgress)
        onProgress(progress);
}

void RecordingPresenter::openAlert(const ProductionAlert &alert,
                                   const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
{
    alerts.push_back(alert);
    helper->alertDidEnd(answerAlert ? answerAlert(alert)
                                    : BurnDVDWorkflowAlertHelper::DefaultReturn);
}

void RecordingPresenter::beginAlert(const ProductionAlert &alert,
                                    const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper)
{
    begun.push_back(alert);
    updateAlert(helper, alert.informativeText, alert.defaultButtonEnabled);
}

void RecordingPresenter::updateAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &helper,
                                     const QString &informativeText,
                                     bool defaultButtonEnabled)
{
    const Update update{informativeText, defaultButtonEnabled};
    updates.push_back(update);
    if (onUpdate)
        onUpdate(helper, update);
}

void RecordingPresenter::dismissAlert(const std::shared_ptr<BurnDVDWorkflowAlertHelper> &)
{
    ++dismissed;
}

void RecordingPresenter::clearRecords()
{
    opened = closed = ratings = dismissed = 0;
    statuses.clear();
    revealed.clear();
    alerts.clear();
    begun.clear();
    updates.clear();
    samples.clear();
}

QStringList RecordingPresenter::alertMessages() const
{
    QStringList messages;
    for (const ProductionAlert &alert : alerts)
        messages << alert.message;
    return messages;
}

SlowToolFolder::SlowToolFolder()
{
    m_hadPrevious = qEnvironmentVariableIsSet("DISCWRIGHT_TOOLS_DIR");
    m_previous = qgetenv("DISCWRIGHT_TOOLS_DIR");
    qputenv("DISCWRIGHT_TOOLS_DIR", QFile::encodeName(m_folder.path()));
}

SlowToolFolder::~SlowToolFolder()
{
    if (m_hadPrevious)
        qputenv("DISCWRIGHT_TOOLS_DIR", m_previous);
    else
        qunsetenv("DISCWRIGHT_TOOLS_DIR");
}

void SlowToolFolder::install(const QString &tool, double delaySeconds)
{
    const QString real = QStringLiteral("/usr/bin/") + tool;
    const QString mark = m_folder.filePath(tool + QStringLiteral(".started"));
    QFile::remove(mark);
    // dvdauthor and spumux get an environment of VIDEO_FORMAT alone: absolute paths only.
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "/usr/bin/touch '%1'\n"
                                          "/bin/sleep %2\n"
                                          "exec '%3' \"$@\"\n")
                               .arg(mark)
                               .arg(delaySeconds)
                               .arg(real);
    QFile file(m_folder.filePath(tool));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(script.toUtf8());
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool SlowToolFolder::started(const QString &tool) const
{
    return QFile::exists(m_folder.filePath(tool + QStringLiteral(".started")));
}

QString isoVolumeName(const QString &image)
{
    QString name;
    apart([&] { name = isoVolumeNameHere(image); });
    return name;
}

testing_support::DiscInfo readDiscApart(const QString &path)
{
    testing_support::DiscInfo info;
    apart([&] { info = testing_support::readDisc(path); });
    return info;
}

ProductionResult runToEnd(ConvertProgressWindowController &controller,
                          const std::function<bool()> &start,
                          int timeoutMs)
{
    std::optional<ProductionResult> result;
    const QMetaObject::Connection connection
        = QObject::connect(&controller,
                           &ConvertProgressWindowController::finished,
                           &controller,
                           [&result](const ProductionResult &ended) { result = ended; });
    const bool started = start();
    if (started)
        fixtures::spinUntil([&result] { return result.has_value(); }, timeoutMs);
    QObject::disconnect(connection);
    if (!started)
        return {ProductionResult::State::Failed, QStringLiteral("the run did not start"), 0};
    if (!result)
        return {ProductionResult::State::Failed, QStringLiteral("the run did not end in time"), 0};
    return *result;
}

void apart(const std::function<void()> &work)
{
    std::thread thread(work);
    thread.join();
}

QString isoVolumeNameHere(const QString &image)
{
    QProcess isoinfo;
    isoinfo.start(QStringLiteral("isoinfo"), {QStringLiteral("-d"), QStringLiteral("-i"), image});
    if (!isoinfo.waitForFinished(30000) || isoinfo.exitCode() != 0)
        return {};
    const QString text = QString::fromUtf8(isoinfo.readAllStandardOutput());
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^Volume id: ?(.*)$"),
                                                             QRegularExpression::MultilineOption)
                                              .match(text);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

void ShippedApplication::SetUp()
{
    app_testing::application();
    DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    if (m_withStrings)
        installShippedStrings();
}

void installShippedStrings()
{
    platform::StringTable::install(platform::StringTable::fromFile(
        QStringLiteral(DW_BINARY_DIR "/resources/Localizable.plist")));
}

QString missingTool(std::initializer_list<const char *> tools)
{
    for (const char *tool : tools) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QString::fromLatin1(tool);
    }
    return QString();
}

void expectDiscTitles(const testing_support::DiscInfo &disc, bool pal, const QList<double> &lengths)
{
    ASSERT_EQ(disc.titles.size(), lengths.size());
    for (qsizetype i = 0; i < lengths.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(disc.titles[i].format, pal ? QStringLiteral("PAL") : QStringLiteral("NTSC"));
        EXPECT_EQ(disc.titles[i].aspect, pal ? QStringLiteral("16/9") : QStringLiteral("4/3"));
        EXPECT_EQ(disc.titles[i].width, 720);
        EXPECT_EQ(disc.titles[i].height, pal ? 576 : 480);
        EXPECT_NEAR(disc.titles[i].lengthSeconds, lengths[i], 0.04);
    }
}

} // namespace production_fixtures
