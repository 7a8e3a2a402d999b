// Wavetally: computes the waveform of a media file for MovieAudioTaskExtractWave in a process of
// its own. Arguments: the source, the result file and optionally the container stream indexes
// joined by "-". Writes "%f" progress lines on its output and, on success, a property list with
// the waveform under "sample" into the result file. Exit status 0 only when the result is written.

#include "Reelsmith/waveform/LMSamplePointTask.h"
#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVariantMap>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        fprintf(stderr, "usage: Wavetally source result [index-index...]\n");
        return 2;
    }
    std::optional<QList<int>> streams;
    if (arguments.size() > 3) {
        QList<int> indexes;
        for (const QString &part : arguments[3].split(QLatin1Char('-'), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int index = part.toInt(&ok);
            if (!ok || index < 0) {
                fprintf(stderr, "Wavetally: bad stream index \"%s\"\n", qPrintable(part));
                return 2;
            }
            indexes.append(index);
        }
        streams = indexes;
    }

    LMSamplePointTask task;
    std::optional<QByteArray> result;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = task.samplePointsFromPath(arguments[1], streams);
        done.store(true);
    });
    while (!done.load()) {
        printf("%f\n", task.progress());
        fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    worker.join();
    printf("%f\n", task.progress());
    fflush(stdout);
    if (!result) {
        fprintf(stderr, "Wavetally: no waveform for %s\n", qPrintable(arguments[1]));
        return 1;
    }
    QString error;
    if (!platform::PropertyList::toFile(
            QVariantMap{{QStringLiteral("sample"), *result}}, arguments[2], &error)) {
        fprintf(stderr, "Wavetally: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
