#include "FakeTools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace testing_support {

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

} // namespace

FakeToolFolder::FakeToolFolder()
{
    m_hadPrevious = qEnvironmentVariableIsSet("DISCWRIGHT_TOOLS_DIR");
    m_previous = qgetenv("DISCWRIGHT_TOOLS_DIR");
    qputenv("DISCWRIGHT_TOOLS_DIR", QFile::encodeName(m_folder.path()));
}

FakeToolFolder::~FakeToolFolder()
{
    if (m_hadPrevious)
        qputenv("DISCWRIGHT_TOOLS_DIR", m_previous);
    else
        qunsetenv("DISCWRIGHT_TOOLS_DIR");
}

void FakeToolFolder::install(const QString &name, const QString &body)
{
    const QString records = m_records.path();
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "RECORDS='%1'\n"
                                          "/bin/cat /proc/$$/environ > \"$RECORDS/%2.env\"\n"
                                          "/bin/pwd -P > \"$RECORDS/%2.cwd\"\n"
                                          "for a in \"$@\"; do printf '%s\\n' \"$a\"; done "
                                          "> \"$RECORDS/%2.args\"\n"
                                          "%3\n")
                               .arg(records, name, body);
    const QString path = QDir(m_folder.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the fake tool %s", qPrintable(path));
    file.write(script.toLocal8Bit());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                        | QFile::ExeGroup);
}

bool FakeToolFolder::ran(const QString &name) const
{
    return QFile::exists(QDir(m_records.path()).filePath(name + QStringLiteral(".args")));
}

QStringList FakeToolFolder::recordedArguments(const QString &name) const
{
    QString text = recordedFile(name, QStringLiteral("args"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QMap<QString, QString> FakeToolFolder::recordedEnvironment(const QString &name) const
{
    QMap<QString, QString> environment;
    const QString text = recordedFile(name, QStringLiteral("env"));
    for (const QString &entry : text.split(QChar(u'\0'), Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        environment.insert(entry.left(equals), entry.mid(equals + 1));
    }
    return environment;
}

QString FakeToolFolder::recordedDirectory(const QString &name) const
{
    return recordedFile(name, QStringLiteral("cwd")).trimmed();
}

QString FakeToolFolder::recordedFile(const QString &name, const QString &suffix) const
{
    return readText(QDir(m_records.path()).filePath(name + QLatin1Char('.') + suffix));
}

bool FakeToolFolder::waitForRecord(const QString &name, const QString &suffix, int timeoutMs) const
{
    const QString path = QDir(m_records.path()).filePath(name + QLatin1Char('.') + suffix);
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(path)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace testing_support
