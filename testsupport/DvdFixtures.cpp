#include "DvdFixtures.h"

#include "AudioFixtures.h"
#include "MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace fixtures {

namespace {

bool runTool(const QString &program,
             const QStringList &args,
             const QProcessEnvironment &environment,
             QString *error)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = program + QStringLiteral(" failed: ")
                 + QString::fromLocal8Bit(process.readAllStandardError()) + process.errorString();
        return false;
    }
    return true;
}

bool makeDvdStream(const QString &path, bool pal, bool wide, double seconds, QString *error)
{
    const QString size = pal ? QStringLiteral("720x576") : QStringLiteral("720x480");
    const QString rate = pal ? QStringLiteral("25") : QStringLiteral("30000/1001");
    const QString duration = QString::number(seconds);
    return runFfmpeg(
        {"-f",
         "lavfi",
         "-i",
         QStringLiteral("testsrc=size=%1:rate=%2:duration=%3").arg(size, rate, duration),
         "-f",
         "lavfi",
         "-i",
         QStringLiteral("sine=frequency=440:duration=%1").arg(duration),
         "-target",
         pal ? "pal-dvd" : "ntsc-dvd",
         "-aspect",
         wide ? "16:9" : "4:3",
         "-g",
         "6",
         path},
        path,
        error);
}

} // namespace

DvdFixtures &DvdFixtures::shared()
{
    static DvdFixtures fixtures;
    return fixtures;
}

QString DvdFixtures::dir()
{
    // The discs are made per process, not in the shared media cache: test programs run at once, and
    // each authors its own discs under the same names.
    if (m_dir.isEmpty()) {
        static QTemporaryDir folder;
        m_dir = folder.path();
    }
    return m_dir;
}

QString DvdFixtures::author(const QString &name,
                            bool pal,
                            bool wide,
                            const QList<QList<double>> &titles,
                            const QString &chapters)
{
    const QString dest = dir() + QLatin1Char('/') + name;
    QString xml = QStringLiteral("<dvdauthor dest=\"%1\">\n<vmgm/>\n<titleset>\n<titles>\n"
                                 "<video format=\"%2\" aspect=\"%3\"%4/>\n<audio lang=\"en\"/>\n")
                      .arg(dest,
                           pal ? "pal" : "ntsc",
                           wide ? "16:9" : "4:3",
                           wide ? " widescreen=\"nopanscan\"" : "");
    for (int i = 0; i < titles.size(); ++i) {
        xml += QStringLiteral("<pgc>");
        for (int v = 0; v < titles[i].size(); ++v) {
            const QString stream = dir() + QStringLiteral("/%1_%2_%3.mpg").arg(name).arg(i).arg(v);
            if (!makeDvdStream(stream, pal, wide, titles[i][v], &m_lastError))
                return QString();
            xml += QStringLiteral("<vob file=\"%1\"%2/>")
                       .arg(stream,
                            i == 0 && v == 0 && !chapters.isEmpty()
                                ? QStringLiteral(" chapters=\"%1\"").arg(chapters)
                                : QString());
        }
        xml += QStringLiteral("</pgc>\n");
    }
    xml += QStringLiteral("</titles>\n</titleset>\n</dvdauthor>\n");
    const QString xmlPath = dir() + QLatin1Char('/') + name + QStringLiteral(".xml");
    QFile file(xmlPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml.toUtf8()) < 0) {
        m_lastError = QStringLiteral("cannot write ") + xmlPath;
        return QString();
    }
    file.close();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("VIDEO_FORMAT"), pal ? "PAL" : "NTSC");
    if (!runTool(QStringLiteral("dvdauthor"), {"-x", xmlPath}, environment, &m_lastError))
        return QString();
    return dest;
}

QString DvdFixtures::palFolder()
{
    if (m_palFolder.isEmpty())
        m_palFolder = author(QStringLiteral("PALDISC"), true, true, {{3.0}, {2.0}}, "0,1,2");
    return m_palFolder;
}

QString DvdFixtures::palDvdmedia()
{
    if (m_palDvdmedia.isEmpty() && !palFolder().isEmpty()) {
        const QString dest = dir() + QStringLiteral("/Holiday.dvdmedia");
        if (runTool(QStringLiteral("cp"),
                    {"-r", palFolder(), dest},
                    QProcessEnvironment::systemEnvironment(),
                    &m_lastError))
            m_palDvdmedia = dest;
    }
    return m_palDvdmedia;
}

QString DvdFixtures::palIso()
{
    if (m_palIso.isEmpty() && !palFolder().isEmpty()) {
        const QString dest = dir() + QStringLiteral("/pal.iso");
        if (runTool(QStringLiteral("mkisofs"),
                    {"-quiet", "-dvd-video", "-V", "MY_VOLUME", "-o", dest, palFolder()},
                    QProcessEnvironment::systemEnvironment(),
                    &m_lastError))
            m_palIso = dest;
    }
    return m_palIso;
}

QString DvdFixtures::ntscFolder()
{
    if (m_ntscFolder.isEmpty())
        m_ntscFolder = author(QStringLiteral("NTSCDISC"), false, false, {{2.0}}, QString());
    return m_ntscFolder;
}

QString DvdFixtures::shortRunFolder()
{
    if (m_shortRunFolder.isEmpty())
        m_shortRunFolder
            = author(QStringLiteral("RUNSDISC"), true, false, {{1.0, 0.04, 1.0}}, QString());
    return m_shortRunFolder;
}

QList<double> lsdvdTitleLengths(const QString &disc)
{
    QProcess lsdvd;
    lsdvd.start(QStringLiteral("lsdvd"), {QStringLiteral("-Ox"), disc});
    if (!lsdvd.waitForFinished(60000) || lsdvd.exitCode() != 0)
        return {};
    const QString text = QString::fromUtf8(lsdvd.readAllStandardOutput());
    QList<double> lengths;
    static const QRegularExpression track(
        QStringLiteral("<track>\\s*<ix>\\d+</ix>\\s*<length>([0-9.]+)</length>"));
    for (auto match = track.globalMatch(text); match.hasNext();)
        lengths.append(match.next().captured(1).toDouble());
    return lengths;
}

} // namespace fixtures
