// Runs a fuzz target's LLVMFuzzerTestOneInput once on every file of the folders (or files) named
// on the command line, in name order: the seed corpus and every reproducer kept beside it become
// a regression test of the ordinary build, no fuzzing engine needed. A crash, a sanitizer report
// or a leak fails the run as it would under the fuzzer.

#include "support/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        const QFileInfo info(path);
        if (info.isDir()) {
            const QDir dir(path);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                files.append(dir.filePath(name));
        } else if (info.isFile()) {
            files.append(path);
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "no inputs: name the corpus folders to run\n");
        return 2;
    }
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "running %s (%lld bytes)\n", qPrintable(path), qint64(bytes.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    }
    std::fprintf(stderr, "%lld inputs ran\n", qint64(files.size()));
    return 0;
}
