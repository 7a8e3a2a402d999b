#pragma once

// Stand-ins for dvdauthor, spumux and mkisofs: small shell scripts in a temporary folder that the
// tool lookup finds first (through DISCWRIGHT_TOOLS_DIR). Each one records its arguments, its
// environment exactly as it received it (from /proc, before the shell adds anything) and its
// working folder, then runs the body it was given.

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

class FakeToolFolder
{
public:
    // Makes the folder and points the tool lookup at it until destruction.
    FakeToolFolder();
    ~FakeToolFolder();

    QString path() const { return m_folder.path(); }

    // Installs a fake tool. body is shell code run after the recording, in the working folder the
    // tool was started in; the environment may be empty, so commands need absolute paths. The
    // default body exits 0. "$RECORDS" names the folder of the recordings.
    void install(const QString &name, const QString &body = QStringLiteral("exit 0"));

    bool ran(const QString &name) const;
    QStringList recordedArguments(const QString &name) const;
    QMap<QString, QString> recordedEnvironment(const QString &name) const;
    QString recordedDirectory(const QString &name) const;
    // What the body wrote to "$RECORDS/<name>.<suffix>".
    QString recordedFile(const QString &name, const QString &suffix) const;
    QString recordsPath() const { return m_records.path(); }

    // Waits (up to timeoutMs) until "$RECORDS/<name>.<suffix>" exists.
    bool waitForRecord(const QString &name, const QString &suffix, int timeoutMs = 20000) const;

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_records;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

} // namespace testing_support
