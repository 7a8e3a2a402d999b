#include "testsupport/FfmpegProgram.h"

#include <QFileInfo>
#include <QProcess>

namespace fixtures {

bool runFfmpeg(const QStringList &args, const QString &output, QString *error)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{QStringLiteral("-y"),
                              QStringLiteral("-hide_banner"),
                              QStringLiteral("-loglevel"),
                              QStringLiteral("error")}
                      + args);
    // DVD-compliant streams take the longest; two minutes leaves room on a loaded machine.
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0 || !QFileInfo::exists(output)) {
        if (error)
            *error = QStringLiteral("ffmpeg %1 failed: %2%3")
                         .arg(args.join(QLatin1Char(' ')),
                              QString::fromLocal8Bit(process.readAllStandardError()),
                              process.error() == QProcess::FailedToStart ? process.errorString()
                                                                         : QString());
        return false;
    }
    return true;
}

} // namespace fixtures
