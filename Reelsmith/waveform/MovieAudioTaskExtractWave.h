#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>
#include <sys/types.h>

/**
 * Computes a waveform in the helper program Wavetally (found beside the executable) instead of in
 * this process, so that a decoder crash on a damaged file cannot take the application down. The
 * helper writes its result, a property list whose "sample" value is the waveform of
 * LMSamplePointTask, into a private file, and its progress as "%f" lines on its output.
 *
 * samplePointsFromPath blocks until the helper ends (a background thread); progress(), cancel()
 * and isFinished() may be called from any thread meanwhile. One run at a time per object.
 */
class MovieAudioTaskExtractWave
{
public:
    MovieAudioTaskExtractWave();

    std::optional<QByteArray> samplePointsFromPath(const QString &path)
    {
        return samplePointsFromPath(path, std::nullopt);
    }
    /**
     * Runs Wavetally on path (limited to the container stream indexes given) and answers its
     * "sample" value; nullopt when the helper is missing ("exception ..." logged), fails, is
     * cancelled before writing a result, or writes none.
     */
    std::optional<QByteArray> samplePointsFromPath(const QString &path,
                                                   const std::optional<QList<int>> &streams);

    /** The fraction the helper last reported; 0 before the first report. */
    double progress() const { return m_progress.load(); }
    /** Stores a fraction as the helper would report it. */
    void setProgress(double fraction) { m_progress.store(fraction); }
    /** Terminates the running helper; the waiting call then returns. */
    void cancel();
    /** No helper runs. */
    bool isFinished() const { return m_pid.load() == 0; }

    /** The helper to start; by default "Wavetally" beside the executable. */
    QString helperPath() const { return m_helperPath; }
    void setHelperPath(const QString &path) { m_helperPath = path; }

    /**
     * The helper's arguments: the source, the result file and, when streams are given, their
     * indexes joined by "-" ("1-3").
     */
    static QStringList helperArguments(const QString &source,
                                       const QString &result,
                                       const std::optional<QList<int>> &streams);
    /** One progress line of the helper ("%f"); nullopt for anything else. */
    static std::optional<double> parseProgressLine(const QByteArray &line);

private:
    QString m_helperPath;
    std::atomic<double> m_progress{0};
    std::atomic<pid_t> m_pid{0};
    std::atomic<bool> m_cancelled{false};
};
