// The shape check that runs before libplist parses a binary property list: what libplist writes
// passes, and every document that would make libplist recurse or expand without bound, or that
// points outside itself, is refused.

#include "platform/BinaryPropertyListWalk.h"
#include "testsupport/HostilePropertyLists.h"

#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <plist/plist.h>

namespace {

using platform::BinaryPropertyListShape;
using platform::BinaryPropertyListWalk;

QByteArray binaryOf(plist_t node)
{
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &bin, &length);
    QByteArray out(bin, length);
    plist_to_bin_free(bin);
    plist_free(node);
    return out;
}

// depth arrays, one inside the other, written by libplist.
QByteArray libplistNested(int depth)
{
    plist_t outer = plist_new_array();
    plist_t inner = outer;
    for (int level = 1; level < depth; ++level) {
        plist_t next = plist_new_array();
        plist_array_append_item(inner, next);
        inner = next;
    }
    plist_array_append_item(inner, plist_new_string("leaf"));
    return binaryOf(outer);
}

// A dictionary with a shared string and a few containers, written by libplist.
QByteArray libplistMixed()
{
    plist_t dict = plist_new_dict();
    for (int i = 0; i < 40; ++i) {
        plist_t array = plist_new_array();
        plist_array_append_item(array, plist_new_string("same"));
        plist_array_append_item(array, plist_new_uint(uint64_t(i)));
        plist_array_append_item(array, plist_new_dict());
        plist_dict_set_item(dict, QByteArray::number(i).constData(), array);
    }
    return binaryOf(dict);
}

// Overwrites the trailer field at byte offset field (from the trailer's start), width bytes.
QByteArray withTrailerField(QByteArray data, int field, int width, quint64 value)
{
    char *at = data.data() + data.size() - 32 + field;
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        at[i] = char(value & 0xFF);
    return data;
}

TEST(BinaryPropertyListWalk, ShapesAreJudged)
{
    struct Row
    {
        const char *name;
        std::function<QByteArray()> make;
        BinaryPropertyListShape shape;
        const char *errorPart;
    };
    const std::vector<Row> rows = {
        {"what libplist writes", libplistMixed, BinaryPropertyListShape::Readable, ""},
        {"one array", [] { return libplistNested(1); }, BinaryPropertyListShape::Readable, ""},
        {"nested exactly to the limit",
         [] { return libplistNested(512); },
         BinaryPropertyListShape::Readable,
         ""},
        {"nested one past the limit",
         [] { return libplistNested(513); },
         BinaryPropertyListShape::TooDeep,
         "more than 512 levels"},
        {"nested 100,000 deep",
         [] { return testsupport::nestedBinaryPropertyList(100000); },
         BinaryPropertyListShape::TooDeep,
         "nested too deeply"},
        // The shared arrays are walked once, yet their height still counts at every reference.
        {"a ladder of shared arrays, shallow",
         [] { return testsupport::ladderBinaryPropertyList(8); },
         BinaryPropertyListShape::Readable,
         ""},
        {"a ladder of shared arrays, exploding",
         [] { return testsupport::ladderBinaryPropertyList(40); },
         BinaryPropertyListShape::TooLarge,
         "too often"},
        {"a ladder taller than the limit",
         [] { return testsupport::ladderBinaryPropertyList(600); },
         BinaryPropertyListShape::TooDeep,
         "nested too deeply"},
        {"header only",
         [] { return QByteArray("bplist00"); },
         BinaryPropertyListShape::Damaged,
         "no header or trailer"},
        {"no offset size",
         [] { return withTrailerField(libplistMixed(), 6, 1, 0); },
         BinaryPropertyListShape::Damaged,
         "field sizes"},
        {"top object past the objects",
         [] { return withTrailerField(libplistMixed(), 16, 8, 1u << 20); },
         BinaryPropertyListShape::Damaged,
         "no top object"},
        {"more objects than the offset table holds",
         [] { return withTrailerField(libplistMixed(), 8, 8, quint64(1) << 40); },
         BinaryPropertyListShape::Damaged,
         "offset table"},
        {"offset table inside the trailer",
         [] {
             const QByteArray data = libplistMixed();
             return withTrailerField(data, 24, 8, quint64(data.size() - 8));
         },
         BinaryPropertyListShape::Damaged,
         "offset table"},
        {"an array that holds itself",
         [] {
             // One object: an array of one 1-byte reference to object 0.
             QByteArray data = QByteArray("bplist00") + char(0xA1) + char(0);
             data += char(8); // offset table: object 0 at byte 8
             QByteArray trailer(32, '\0');
             trailer[6] = 1;
             trailer[7] = 1;
             trailer[15] = 1;
             trailer[31] = 10;
             return data + trailer;
         },
         BinaryPropertyListShape::Damaged,
         "contains itself"},
        {"an array whose references run past its room",
         [] {
             QByteArray data = QByteArray("bplist00") + char(0xAF) + char(0x12);
             data += QByteArray("\x7f\xff\xff\xff", 4);
             data += char(8);
             QByteArray trailer(32, '\0');
             trailer[6] = 1;
             trailer[7] = 1;
             trailer[15] = 1;
             trailer[31] = 14;
             return data + trailer;
         },
         BinaryPropertyListShape::Damaged,
         "outside the document"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray data = row.make();
        QString error;
        EXPECT_EQ(BinaryPropertyListWalk{}.check(data, &error), row.shape) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(row.errorPart))) << error.toStdString();
        // Whatever the walk passes, libplist parses without trouble.
        if (row.shape == BinaryPropertyListShape::Readable) {
            plist_t root = nullptr;
            plist_from_bin(data.constData(), uint32_t(data.size()), &root);
            EXPECT_NE(root, nullptr);
            plist_free(root);
        }
    }
}

// Each truncation and each single-byte change of a real document is judged without a crash; the
// ones it passes, libplist can read without a crash (AddressSanitizer watches both).
TEST(BinaryPropertyListWalk, DamagedDocumentsNeverCrashTheWalk)
{
    const QByteArray data = libplistMixed();
    for (qsizetype length = 0; length < data.size(); ++length)
        BinaryPropertyListWalk{}.check(data.left(length));
    for (qsizetype at = 0; at < data.size(); at += 3) {
        for (int value : {0x00, 0x0F, 0xAF, 0xD5, 0xFF}) {
            QByteArray damaged = data;
            damaged[at] = char(value);
            if (BinaryPropertyListWalk{}.check(damaged) == BinaryPropertyListShape::Readable) {
                plist_t root = nullptr;
                plist_from_bin(damaged.constData(), uint32_t(damaged.size()), &root);
                plist_free(root);
            }
        }
    }
}

} // namespace
