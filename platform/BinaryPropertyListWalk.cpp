#include "platform/BinaryPropertyListWalk.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace platform {

namespace {

constexpr qsizetype kHeaderBytes = 8;
constexpr qsizetype kTrailerBytes = 32;

// The object markers whose contents are references to other objects.
constexpr uint8_t kArrayMarker = 0xA0;
constexpr uint8_t kSetMarker = 0xC0;
constexpr uint8_t kDictMarker = 0xD0;
constexpr uint8_t kIntMarker = 0x10;

struct Document
{
    const uint8_t *bytes = nullptr;
    uint64_t size = 0;
    uint8_t offsetSize = 0;
    uint8_t refSize = 0;
    uint64_t objectCount = 0;
    uint64_t topObject = 0;
    uint64_t offsetTable = 0;

    uint64_t readBigEndian(uint64_t at, unsigned width) const
    {
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value = (value << 8) | bytes[at + i];
        return value;
    }
};

// Where a container's references lie: count references of refSize bytes from first.
struct Container
{
    uint64_t first = 0;
    uint64_t count = 0;
};

enum class Kind { Leaf, Container, Damaged };

// Reads the object of that index; for a container, where its references lie. The references of a
// dictionary are its keys followed by its values, and both are followed.
Kind readObject(const Document &doc, uint64_t index, Container *container)
{
    const uint64_t offset
        = doc.readBigEndian(doc.offsetTable + index * doc.offsetSize, doc.offsetSize);
    if (offset < uint64_t(kHeaderBytes) || offset >= doc.offsetTable)
        return Kind::Damaged;
    const uint8_t marker = doc.bytes[offset];
    const uint8_t type = marker & 0xF0;
    if (type != kArrayMarker && type != kSetMarker && type != kDictMarker)
        return Kind::Leaf;
    uint64_t at = offset + 1;
    uint64_t count = marker & 0x0F;
    if (count == 0x0F) {
        // The count follows as an integer object of 1, 2, 4 or 8 bytes.
        if (at >= doc.offsetTable || (doc.bytes[at] & 0xF0) != kIntMarker)
            return Kind::Damaged;
        const unsigned power = doc.bytes[at] & 0x0F;
        if (power > 3)
            return Kind::Damaged;
        const unsigned width = 1u << power;
        ++at;
        if (at + width > doc.offsetTable)
            return Kind::Damaged;
        count = doc.readBigEndian(at, width);
        at += width;
    }
    const uint64_t room = (doc.offsetTable - at) / doc.refSize;
    const uint64_t refs = type == kDictMarker ? (count > room / 2 ? room + 1 : count * 2) : count;
    if (refs > room)
        return Kind::Damaged;
    container->first = at;
    container->count = refs;
    return Kind::Container;
}

} // namespace

BinaryPropertyListShape BinaryPropertyListWalk::check(const QByteArray &data, QString *error) const
{
    auto verdict = [&](BinaryPropertyListShape shape, const QString &reason) {
        if (error)
            *error = reason;
        return shape;
    };
    auto damaged = [&](const char *reason) {
        return verdict(BinaryPropertyListShape::Damaged,
                       QStringLiteral("is damaged or truncated (%1)").arg(QLatin1String(reason)));
    };

    if (data.size() < kHeaderBytes + kTrailerBytes || !data.startsWith("bplist00"))
        return damaged("no header or trailer");
    Document doc;
    doc.bytes = reinterpret_cast<const uint8_t *>(data.constData());
    doc.size = uint64_t(data.size());
    const uint64_t trailer = doc.size - kTrailerBytes;
    doc.offsetSize = doc.bytes[trailer + 6];
    doc.refSize = doc.bytes[trailer + 7];
    doc.objectCount = doc.readBigEndian(trailer + 8, 8);
    doc.topObject = doc.readBigEndian(trailer + 16, 8);
    doc.offsetTable = doc.readBigEndian(trailer + 24, 8);
    if (doc.offsetSize < 1 || doc.offsetSize > 8 || doc.refSize < 1 || doc.refSize > 8)
        return damaged("field sizes out of range");
    if (doc.objectCount == 0 || doc.topObject >= doc.objectCount)
        return damaged("no top object");
    if (doc.offsetTable < uint64_t(kHeaderBytes) || doc.offsetTable >= trailer
        || doc.objectCount > (trailer - doc.offsetTable) / doc.offsetSize)
        return damaged("offset table out of bounds");

    // Per object: 0 while not reached, kOnPath while a container is being walked, otherwise its
    // height plus one (a leaf has height 0, a container one more than its highest reference).
    constexpr uint16_t kNotReached = 0;
    constexpr uint16_t kOnPath = std::numeric_limits<uint16_t>::max();
    const int depthLimit = std::clamp(maxDepth, 1, int(kOnPath) - 2);
    std::vector<uint16_t> heightPlusOne(doc.objectCount, kNotReached);
    // Per object, how many nodes it becomes parsed as a tree, saturating at the limit. A document
    // whose containers are never shared becomes one node per reference at most, and each reference
    // takes at least one byte, so twice the size is generous.
    const uint64_t nodeLimit = 2 * doc.size + 1024;
    std::vector<uint64_t> nodes(doc.objectCount, 0);

    struct Frame
    {
        uint64_t index;
        Container refs;
        uint64_t next = 0;
        int height = 1;
        uint64_t nodes = 1;
    };
    std::vector<Frame> path;

    // Takes a finished object into the container on top of the path (if any).
    auto account = [&](int height, uint64_t count) -> bool {
        if (path.empty())
            return true;
        Frame &parent = path.back();
        parent.height = std::max(parent.height, height + 1);
        parent.nodes = std::min(nodeLimit + 1, parent.nodes + count);
        return parent.nodes <= nodeLimit;
    };
    auto tooDeep = [&] {
        return verdict(
            BinaryPropertyListShape::TooDeep,
            QStringLiteral("is nested too deeply (more than %1 levels)").arg(depthLimit));
    };
    auto tooLarge = [&] {
        return verdict(BinaryPropertyListShape::TooLarge,
                       QStringLiteral("repeats its containers too often to be read"));
    };

    // Visits one object reached from the top of the path; false with a verdict set when the walk
    // must stop.
    BinaryPropertyListShape stop = BinaryPropertyListShape::Readable;
    auto visit = [&](uint64_t index) -> bool {
        if (index >= doc.objectCount) {
            stop = damaged("a reference points past the objects");
            return false;
        }
        const uint16_t state = heightPlusOne[index];
        if (state == kOnPath) {
            stop = damaged("a container contains itself");
            return false;
        }
        if (state != kNotReached) {
            const int height = state - 1;
            if (int(path.size()) + height > depthLimit) {
                stop = tooDeep();
                return false;
            }
            if (!account(height, nodes[index])) {
                stop = tooLarge();
                return false;
            }
            return true;
        }
        Container refs;
        switch (readObject(doc, index, &refs)) {
        case Kind::Damaged:
            stop = damaged("an object lies outside the document");
            return false;
        case Kind::Leaf:
            heightPlusOne[index] = 1;
            nodes[index] = 1;
            if (!account(0, 1)) {
                stop = tooLarge();
                return false;
            }
            return true;
        case Kind::Container:
            if (int(path.size()) >= depthLimit) {
                stop = tooDeep();
                return false;
            }
            heightPlusOne[index] = kOnPath;
            path.push_back({index, refs});
            return true;
        }
        return true;
    };

    if (!visit(doc.topObject))
        return stop;
    while (!path.empty()) {
        Frame &frame = path.back();
        if (frame.next < frame.refs.count) {
            const uint64_t at = frame.refs.first + frame.next * doc.refSize;
            ++frame.next;
            if (!visit(doc.readBigEndian(at, doc.refSize)))
                return stop;
            continue;
        }
        const Frame done = frame;
        path.pop_back();
        heightPlusOne[done.index] = uint16_t(done.height + 1);
        nodes[done.index] = done.nodes;
        if (!account(done.height, done.nodes))
            return tooLarge();
    }
    return BinaryPropertyListShape::Readable;
}

} // namespace platform
