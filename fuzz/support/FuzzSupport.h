#pragma once

// What every fuzz target shares: the Qt application object the readers expect (fonts and images
// need a GUI application; the offscreen platform needs no display), quiet logging, and a scratch
// folder for the readers that take a path. One process, one thread.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fuzzing {

// Makes the application object once; warnings and debug output are dropped (every damaged input
// would log), fatal messages still abort.
void initialize(int *argc, char ***argv);

// A folder of this process that outlives every input; created on first call.
QString scratchFolder();

// Replaces the file at path with bytes; false when it could not be written.
bool writeFile(const QString &path, const QByteArray &bytes);

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

} // namespace fuzzing
