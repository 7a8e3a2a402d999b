#include "support/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>

namespace fuzzing {
namespace {

void dropMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        fprintf(stderr, "fatal: %s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

void initialize(int *argc, char ***argv)
{
    // The application keeps a reference to its argument count, and tearing it down at exit races
    // the fuzzing engine's own exit handlers: it lives in static storage for the whole process.
    static int argumentCount = 0;
    static QGuiApplication *application = nullptr;
    if (application)
        return;
    argumentCount = *argc;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A "cannot happen" state reached from input is a finding, not something to recover from.
    qputenv("DISCWRIGHT_FATAL_ASSERTS", "1");
    qInstallMessageHandler(dropMessages);
    application = new QGuiApplication(argumentCount, *argv);
}

QString scratchFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/discwright-fuzz-XXXXXX"));
    return folder.path();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

} // namespace fuzzing
