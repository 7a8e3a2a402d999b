// The keyed-archive reader on arbitrary bytes, both ways the program reads archives: a whole
// archive with a root object (a project's disc model) and the top-level keys of a record file.
// The disc model's classes are registered, so that damaged archives reach real records' keys.
// Whatever decodes is released at once: a reference cycle that survives shows as a leak.

#include "Platterkit/model/DVDLibrary.h"
#include "platform/KeyedUnarchiver.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    // Loads the disc model's library, whose classes register themselves.
    DVDLibrary library;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    QString error;
    const QVariant root = platform::KeyedUnarchiver::unarchive(bytes, &error);
    if (!root.isValid() && error.isEmpty())
        qFatal("an archive was refused without a reason");

    platform::KeyedUnarchiver coder;
    if (coder.openData(bytes)) {
        for (const QString &key : coder.allKeys()) {
            coder.decodeObjectForKey(key);
            if (coder.failed() && coder.lastError().isEmpty())
                qFatal("a key failed without a reason");
        }
    }
    return 0;
}
