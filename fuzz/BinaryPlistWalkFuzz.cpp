// The shape check that runs before libplist parses a binary property list, on inputs up to 2 MB
// (deep nesting needs room). Whatever the check passes is then parsed by libplist and freed: a
// document the check lets through that still overflows libplist's stack, or expands beyond
// memory, is a finding.

#include "platform/BinaryPropertyListWalk.h"
#include "support/FuzzSupport.h"

#include <plist/plist.h>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    QString error;
    const platform::BinaryPropertyListShape shape
        = platform::BinaryPropertyListWalk{}.check(bytes, &error);
    if (shape != platform::BinaryPropertyListShape::Readable) {
        if (error.isEmpty())
            qFatal("a property list was refused without a reason");
        return 0;
    }
    plist_t root = nullptr;
    plist_from_bin(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    if (root)
        plist_free(root);
    return 0;
}
