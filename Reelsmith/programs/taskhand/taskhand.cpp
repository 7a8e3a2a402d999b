// taskhand: the general helper process that TaskHelperCtrl starts. Its first argument is the
// service name template; ":pid" stands for the starting (parent) process and ":name" for
// "_OpenStep". It connects to that service in the private temporary root, says connectClient and
// answers each request line from a small registry of tasks. It quits when the connection closes.

#include "Reelsmith/detail/ProcessPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocalSocket>
#include <QMap>
#include <QTimer>
#include <cstdio>
#include <dlfcn.h>
#include <functional>
#include <unistd.h>

namespace {

using Task = std::function<QJsonValue(const QJsonArray &)>;

// Tasks by name ("helperTaskName") and selectors by class ("className:selectorName:").
QMap<QString, Task> namedTasks()
{
    return {
        {QStringLiteral("pid"), [](const QJsonArray &) { return QJsonValue(qint64(getpid())); }},
        {QStringLiteral("ppid"), [](const QJsonArray &) { return QJsonValue(qint64(getppid())); }},
        {QStringLiteral("arguments"),
         [](const QJsonArray &) {
             return QJsonValue(QJsonArray::fromStringList(QCoreApplication::arguments()));
         }},
    };
}

QMap<QString, QMap<QString, Task>> classTasks()
{
    return {{QStringLiteral("TaskhandInfo"), namedTasks()}};
}

QJsonValue loadLibrary(const QString &path)
{
    if (!dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_GLOBAL)) {
        fprintf(stderr, "taskhand: %s\n", dlerror());
        return QJsonValue::Null;
    }
    return QJsonValue(true);
}

QJsonValue answer(const QString &message, const QJsonArray &args)
{
    if (message == QLatin1String("helperTaskName")) {
        const Task task = namedTasks().value(args.at(0).toString());
        return task ? task(args) : QJsonValue::Null;
    }
    if (message == QLatin1String("className:selectorName:")) {
        const Task task = classTasks().value(args.at(0).toString()).value(args.at(1).toString());
        return task ? task(args) : QJsonValue::Null;
    }
    if (message == QLatin1String("loadFrameworkPath:"))
        return loadLibrary(args.at(0).toString());
    return QJsonValue::Null;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        fprintf(stderr,
                "usage: taskhand service-template [helper.app.run] [helper.app.background]\n");
        return 2;
    }
    QString name = arguments[1];
    name.replace(QLatin1String(":pid"), QString::number(getppid()));
    name.replace(QLatin1String(":name"), QLatin1String("_OpenStep"));
    const QString path = Reelsmith::detail::privateTempRoot() + QLatin1Char('/') + name;

    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(5000)) {
        fprintf(stderr,
                "taskhand: cannot connect to %s: %s\n",
                qPrintable(path),
                qPrintable(socket.errorString()));
        return 1;
    }
    QObject::connect(&socket, &QLocalSocket::disconnected, &app, &QCoreApplication::quit);
    QObject::connect(&socket, &QLocalSocket::readyRead, &app, [&socket] {
        while (socket.canReadLine()) {
            const QJsonObject request = QJsonDocument::fromJson(socket.readLine()).object();
            const QJsonObject reply{{QStringLiteral("id"), request.value(QLatin1String("id"))},
                                    {QStringLiteral("result"),
                                     answer(request.value(QLatin1String("msg")).toString(),
                                            request.value(QLatin1String("args")).toArray())}};
            socket.write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
        }
    });
    socket.write(
        QJsonDocument(QJsonObject{{QStringLiteral("msg"), QStringLiteral("connectClient")}})
            .toJson(QJsonDocument::Compact)
        + '\n');
    socket.flush();
    return app.exec();
}
