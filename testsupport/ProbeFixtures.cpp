#include "ProbeFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace fixtures {

QJsonObject ffprobeJson(const QString &path, const QStringList &extra)
{
    QString output;
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                QStringList{QStringLiteral("-v"),
                            QStringLiteral("error"),
                            QStringLiteral("-of"),
                            QStringLiteral("json")}
                    + extra + QStringList{path});
    if (!probe.waitForFinished(120000) || probe.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
}

QJsonObject ffprobeStreamsAndFormat(const QString &path)
{
    return ffprobeJson(path, {QStringLiteral("-show_streams"), QStringLiteral("-show_format")});
}

QJsonObject firstStreamOfType(const QJsonObject &probe, const QString &type)
{
    for (const auto &value : probe.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value(QStringLiteral("codec_type")).toString() == type)
            return stream;
    }
    return {};
}

QStringList ffprobePictureTypes(const QString &path)
{
    const QJsonObject probe = ffprobeJson(path,
                                          {QStringLiteral("-select_streams"),
                                           QStringLiteral("v:0"),
                                           QStringLiteral("-show_entries"),
                                           QStringLiteral("frame=pict_type")});
    QStringList types;
    for (const auto &frame : probe.value(QStringLiteral("frames")).toArray())
        types.append(frame.toObject().value(QStringLiteral("pict_type")).toString());
    return types;
}

bool haveTools(const QStringList &programs)
{
    for (const QString &program : programs) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return false;
    }
    return true;
}

int runTool(const QString &program,
            const QStringList &args,
            QString *output,
            const QStringList &env)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!env.isEmpty()) {
        QProcessEnvironment environment;
        for (const QString &entry : env)
            environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        process.setProcessEnvironment(environment);
    }
    process.start(program, args);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    if (!finished || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

double
loudestBesideTone(const QString &path, double toneHz, double start, double length, QString *error)
{
    // Decoded from the file's start and cut by counting samples: a DVD title set's VOB holds its
    // titles one after another, each with timestamps of its own, so neither a seek nor a cut by
    // time would find one place in it.
    constexpr int kRate = 48000;
    QString output;
    const int status = runTool(QStringLiteral("ffmpeg"),
                               {QStringLiteral("-hide_banner"),
                                QStringLiteral("-nostats"),
                                QStringLiteral("-i"),
                                path,
                                QStringLiteral("-vn"),
                                QStringLiteral("-af"),
                                QStringLiteral("aresample=%1,bandreject=f=%2:width_type=h:w=200,"
                                               "atrim=start_sample=%3:end_sample=%4,volumedetect")
                                    .arg(kRate)
                                    .arg(toneHz)
                                    .arg(qint64(start * kRate))
                                    .arg(qint64((start + length) * kRate)),
                                QStringLiteral("-f"),
                                QStringLiteral("null"),
                                QStringLiteral("-")},
                               &output);
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("max_volume: (-?[0-9.]+|-inf) dB")).match(output);
    if (status != 0 || !match.hasMatch()) {
        if (error)
            *error = output.right(2000);
        return std::nan("");
    }
    return match.captured(1) == QLatin1String("-inf") ? -1000.0 : match.captured(1).toDouble();
}

bool authorOneTitle(const QString &title, const QString &folder, bool pal, QString *log)
{
    const QString xmlPath = QDir(folder).filePath(QStringLiteral("author.xml"));
    const QString dvd = QDir(folder).filePath(QStringLiteral("dvd"));
    QFile xml(xmlPath);
    if (!xml.open(QIODevice::WriteOnly))
        return false;
    xml.write(
        QStringLiteral("<dvdauthor dest=\"%1\">\n"
                       "  <vmgm/>\n"
                       "  <titleset><titles><pgc><vob file=\"%2\"/></pgc></titles></titleset>\n"
                       "</dvdauthor>\n")
            .arg(dvd, title)
            .toUtf8());
    xml.close();
    const QString standard = pal ? QStringLiteral("PAL") : QStringLiteral("NTSC");
    return runTool(QStringLiteral("dvdauthor"),
                   {QStringLiteral("-x"), xmlPath},
                   log,
                   {QStringLiteral("VIDEO_FORMAT=%1").arg(standard)})
           == 0;
}

} // namespace fixtures
