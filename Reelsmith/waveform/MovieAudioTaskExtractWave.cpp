#include "Reelsmith/waveform/MovieAudioTaskExtractWave.h"

#include "Reelsmith/detail/ProcessPaths.h"
#include "platform/PropertyList.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <csignal>

using Reelsmith::lcHelpers;

namespace {

constexpr int kPollMs = 100;

} // namespace

MovieAudioTaskExtractWave::MovieAudioTaskExtractWave()
    : m_helperPath(Reelsmith::detail::executableDir() + QStringLiteral("/Wavetally"))
{}

QStringList MovieAudioTaskExtractWave::helperArguments(const QString &source,
                                                       const QString &result,
                                                       const std::optional<QList<int>> &streams)
{
    QStringList arguments{source, result};
    if (streams && !streams->isEmpty()) {
        QStringList indexes;
        for (int index : *streams)
            indexes.append(QString::number(index));
        arguments.append(indexes.join(QLatin1Char('-')));
    }
    return arguments;
}

std::optional<double> MovieAudioTaskExtractWave::parseProgressLine(const QByteArray &line)
{
    bool ok = false;
    const double value = line.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

void MovieAudioTaskExtractWave::cancel()
{
    m_cancelled.store(true);
    // The process object belongs to the waiting thread; the signal reaches the helper directly.
    if (const pid_t pid = m_pid.load())
        ::kill(pid, SIGTERM);
}

std::optional<QByteArray>
MovieAudioTaskExtractWave::samplePointsFromPath(const QString &path,
                                                const std::optional<QList<int>> &streams)
{
    m_progress.store(0);
    m_cancelled.store(false);

    // The result goes to a private, unique file that no other user can guess or read.
    const QString root = Reelsmith::detail::privateTempRoot();
    if (root.isEmpty()) {
        qCWarning(lcHelpers) << "no private temporary folder for Wavetally";
        return std::nullopt;
    }
    QString resultPath;
    {
        QTemporaryFile file(root + QStringLiteral("/MovieAudioExtract-Wavetally-XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open()) {
            qCWarning(lcHelpers) << "cannot create the Wavetally result file" << file.errorString();
            return std::nullopt;
        }
        resultPath = file.fileName();
    }

    QProcess helper;
    helper.setProcessChannelMode(QProcess::SeparateChannels);
    helper.setProgram(m_helperPath);
    helper.setArguments(helperArguments(path, resultPath, streams));
    helper.start();
    if (!helper.waitForStarted()) {
        qCWarning(lcHelpers).noquote()
            << QStringLiteral("exception %1")
                   .arg(helper.errorString() + QLatin1Char(' ') + m_helperPath);
    } else {
        m_pid.store(pid_t(helper.processId()));
        if (m_cancelled.load())
            ::kill(pid_t(helper.processId()), SIGTERM);
        QByteArray pending;
        auto readProgress = [&] {
            pending += helper.readAllStandardOutput();
            qsizetype end;
            while ((end = pending.indexOf('\n')) >= 0) {
                if (std::optional<double> value = parseProgressLine(pending.left(end)))
                    m_progress.store(*value);
                pending.remove(0, end + 1);
            }
        };
        while (!helper.waitForFinished(kPollMs))
            readProgress();
        readProgress();
        m_pid.store(0);
        const bool failed = helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0;
        if (failed && !m_cancelled.load()) {
            const QByteArray errors = helper.readAllStandardError();
            qCWarning(lcHelpers).noquote()
                << QStringLiteral("Wavetally %1 exited with %2: %3")
                       .arg(helper.arguments().join(QLatin1Char(' ')))
                       .arg(helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1)
                       .arg(QString::fromLocal8Bit(errors.right(2000)));
        }
    }

    std::optional<QByteArray> result;
    if (QFile(resultPath).size() > 0) {
        const QVariant plist = platform::PropertyList::fromFile(resultPath);
        const QVariant sample = plist.toMap().value(QStringLiteral("sample"));
        if (sample.typeId() == QMetaType::QByteArray)
            result = sample.toByteArray();
    }
    QFile::remove(resultPath);
    return result;
}
