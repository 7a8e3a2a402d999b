#pragma once

// A check of a binary property list's shape before libplist parses it. libplist 2.2 parses
// containers by recursion, one set of stack frames per level, and copies a container once for
// every reference to it: a document nested 100,000 deep overflows the stack, and a small one whose
// containers refer to each other in a ladder expands into billions of nodes. This walk follows the
// offset table and the object references with a stack of its own, so that no input can exhaust
// the thread's stack, and refuses such documents before libplist sees them.
//
// Plain functions on bytes: any thread may call them.

#include <QByteArray>
#include <QString>

namespace platform {

enum class BinaryPropertyListShape {
    Readable,
    // Header, trailer, offset table or a container's references point outside the document, or
    // the references form a cycle.
    Damaged,
    // Containers nest deeper than the limit.
    TooDeep,
    // Parsed as a tree, the document would hold far more nodes than its size can account for.
    TooLarge,
};

struct BinaryPropertyListWalk
{
    // Containers (arrays, sets, dictionaries) nested at most this deep are readable; a document
    // that is one array holds one level.
    int maxDepth = 512;

    // Walks data, which begins with "bplist00"; on anything but Readable, *error (when given) says
    // why in a sentence that can follow "the property list ".
    BinaryPropertyListShape check(const QByteArray &data, QString *error = nullptr) const;
};

} // namespace platform
