// Damaged, truncated, foreign and hostile archives: each is refused with a readable reason, and
// none crashes or hangs the reader.

#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedObject.h"
#include "platform/KeyedUnarchiver.h"
#include "testsupport/HostilePropertyLists.h"

#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>
#include <plist/plist.h>

class DamageNode;
using DamageNodeList = QList<std::shared_ptr<DamageNode>>;

class DamageNode : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(int count MEMBER m_count)
    Q_PROPERTY(ObjectRef partner MEMBER m_partner)
    Q_PROPERTY(DamageNodeList children MEMBER m_children)
    Q_PROPERTY(QVariantMap storage MEMBER m_storage)
    Q_PROPERTY(QVariantList values MEMBER m_values)
    // Held weakly, as a page holds its parent.
    Q_PROPERTY(ObjectRef link READ link WRITE setLink)
public:
    QStringList allCoderKeys() const override
    {
        return {"name", "count", "partner", "children", "link", "storage", "values"};
    }
    ObjectRef link() const { return m_link.lock(); }
    void setLink(const ObjectRef &link) { m_link = link; }
    QString m_name;
    int m_count = 0;
    ObjectRef m_partner;
    DamageNodeList m_children;
    QVariantMap m_storage;
    QVariantList m_values;
    std::weak_ptr<QObject> m_link;
};
DW_REGISTER_CLASS(DamageNode)

namespace {

// Builds archives by hand, so that each case can break exactly one thing.
class Builder
{
public:
    Builder()
    {
        m_root = plist_new_dict();
        plist_dict_set_item(m_root, "$archiver", plist_new_string("DWKeyedArchiver"));
        plist_dict_set_item(m_root, "$version", plist_new_uint(100000));
        m_top = plist_new_dict();
        plist_dict_set_item(m_root, "$top", m_top);
        m_objects = plist_new_array();
        plist_array_append_item(m_objects, plist_new_string("$null"));
        plist_dict_set_item(m_root, "$objects", m_objects);
    }
    ~Builder() { plist_free(m_root); }

    uint64_t add(plist_t node)
    {
        plist_array_append_item(m_objects, node);
        return plist_array_get_size(m_objects) - 1;
    }
    uint64_t addClass(const char *name)
    {
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict, "$classname", plist_new_string(name));
        plist_t chain = plist_new_array();
        plist_array_append_item(chain, plist_new_string(name));
        plist_dict_set_item(dict, "$classes", chain);
        return add(dict);
    }
    // An object dictionary of the named class; fields are set by the caller.
    plist_t object(const char *className)
    {
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict, "$class", plist_new_uid(addClass(className)));
        return dict;
    }
    static plist_t uidArray(std::initializer_list<uint64_t> uids)
    {
        plist_t array = plist_new_array();
        for (uint64_t uid : uids)
            plist_array_append_item(array, plist_new_uid(uid));
        return array;
    }
    void setRoot(uint64_t uid) { plist_dict_set_item(m_top, "root", plist_new_uid(uid)); }
    void setRootNode(plist_t node) { plist_dict_set_item(m_top, "root", node); }

    plist_t root() const { return m_root; }
    plist_t objects() const { return m_objects; }

    QByteArray bytes() const { return binaryOf(m_root); }

    static QByteArray binaryOf(plist_t node)
    {
        char *bin = nullptr;
        uint32_t length = 0;
        plist_to_bin(node, &bin, &length);
        QByteArray out(bin, length);
        plist_to_bin_free(bin);
        return out;
    }

private:
    plist_t m_root;
    plist_t m_top;
    plist_t m_objects;
};

QByteArray validArchive()
{
    auto root = std::make_shared<DamageNode>();
    root->m_name = "root";
    auto child = std::make_shared<DamageNode>();
    child->m_name = "child";
    child->m_count = 3;
    root->m_children = {child, child};
    root->m_partner = child;
    return platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(root)));
}

QByteArray xmlOf(plist_t node)
{
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    QByteArray out(xml, length);
    plist_to_xml_free(xml);
    return out;
}

struct DamageRow
{
    const char *name;
    std::function<QByteArray()> make;
    const char *errorPart;
};

TEST(KeyedUnarchiver, DamagedArchivesAreRefusedWithAReason)
{
    platform::ClassRegistry::instance().registerClass(QStringLiteral("DamagePlainObject"),
                                                      [] { return std::make_shared<QObject>(); });

    const std::vector<DamageRow> rows = {
        {"empty data", [] { return QByteArray(); }, "empty"},
        {"random bytes",
         [] {
             QByteArray bytes(4096, '\0');
             QRandomGenerator generator(7);
             for (char &c : bytes)
                 c = char(generator.bounded(256));
             return bytes;
         },
         "no binary property list"},
        {"binary magic followed by garbage",
         [] { return QByteArray("bplist00") + QByteArray(200, '\x5a'); },
         "damaged or truncated"},
        {"xml property list",
         [] {
             Builder b;
             return xmlOf(b.root());
         },
         "no binary property list"},
        {"foreign archiver",
         [] {
             Builder b;
             plist_dict_set_item(b.root(), "$archiver", plist_new_string("OtherKeyedArchiver"));
             b.setRoot(b.add(plist_new_string("x")));
             return b.bytes();
         },
         "OtherKeyedArchiver"},
        {"valid plist that is an array",
         [] {
             plist_t array = plist_new_array();
             plist_array_append_item(array, plist_new_string("$null"));
             const QByteArray out = Builder::binaryOf(array);
             plist_free(array);
             return out;
         },
         "not a dictionary"},
        {"valid plist with no archive keys",
         [] {
             plist_t dict = plist_new_dict();
             plist_dict_set_item(dict, "Name", plist_new_string("settings"));
             const QByteArray out = Builder::binaryOf(dict);
             plist_free(dict);
             return out;
         },
         "no $archiver"},
        {"wrong version",
         [] {
             Builder b;
             plist_dict_set_item(b.root(), "$version", plist_new_uint(3));
             return b.bytes();
         },
         "version"},
        {"no $top",
         [] {
             Builder b;
             plist_dict_remove_item(b.root(), "$top");
             return b.bytes();
         },
         "$top"},
        {"objects not beginning with $null",
         [] {
             Builder b;
             plist_array_set_item(b.objects(), plist_new_string("null"), 0);
             return b.bytes();
         },
         "$null"},
        {"no root object",
         [] {
             Builder b;
             return b.bytes();
         },
         "no root"},
        {"root reference past the end",
         [] {
             Builder b;
             b.setRoot(99);
             return b.bytes();
         },
         "reference 99"},
        {"root stored inline instead of as a reference",
         [] {
             Builder b;
             b.setRootNode(plist_new_string("inline"));
             return b.bytes();
         },
         "where a reference belongs"},
        {"unknown class",
         [] {
             Builder b;
             b.setRoot(b.add(b.object("NoSuchRecord")));
             return b.bytes();
         },
         "\"NoSuchRecord\""},
        {"class that is no keyed record",
         [] {
             Builder b;
             b.setRoot(b.add(b.object("DamagePlainObject")));
             return b.bytes();
         },
         "no keyed record"},
        {"object without $class",
         [] {
             Builder b;
             plist_t dict = plist_new_dict();
             plist_dict_set_item(dict, "name", plist_new_uid(0));
             b.setRoot(b.add(dict));
             return b.bytes();
         },
         "no $class"},
        {"$class pointing at a string",
         [] {
             Builder b;
             const uint64_t text = b.add(plist_new_string("DamageNode"));
             plist_t dict = plist_new_dict();
             plist_dict_set_item(dict, "$class", plist_new_uid(text));
             b.setRoot(b.add(dict));
             return b.bytes();
         },
         "$classname"},
        {"list without its objects array",
         [] {
             Builder b;
             plist_t list = b.object("DWArray");
             plist_dict_set_item(list, "NS.objects", plist_new_string("not an array"));
             b.setRoot(b.add(list));
             return b.bytes();
         },
         "NS.objects"},
        {"list holding an inline value",
         [] {
             Builder b;
             plist_t list = b.object("DWArray");
             plist_t items = plist_new_array();
             plist_array_append_item(items, plist_new_uint(5));
             plist_dict_set_item(list, "NS.objects", items);
             b.setRoot(b.add(list));
             return b.bytes();
         },
         "where a reference belongs"},
        {"list that contains itself",
         [] {
             Builder b;
             plist_t list = b.object("DWArray");
             const uint64_t self = plist_array_get_size(b.objects());
             plist_dict_set_item(list, "NS.objects", Builder::uidArray({self}));
             EXPECT_EQ(b.add(list), self);
             b.setRoot(self);
             return b.bytes();
         },
         "contains itself"},
        {"dictionary with mismatched keys and values",
         [] {
             Builder b;
             const uint64_t key = b.add(plist_new_string("k"));
             plist_t map = b.object("DWDictionary");
             plist_dict_set_item(map, "NS.keys", Builder::uidArray({key, key}));
             plist_dict_set_item(map, "NS.objects", Builder::uidArray({key}));
             b.setRoot(b.add(map));
             return b.bytes();
         },
         "matching key and value"},
        {"dictionary with a key that is no string",
         [] {
             Builder b;
             const uint64_t number = b.add(plist_new_uint(1));
             plist_t map = b.object("DWDictionary");
             plist_dict_set_item(map, "NS.keys", Builder::uidArray({number}));
             plist_dict_set_item(map, "NS.objects", Builder::uidArray({number}));
             b.setRoot(b.add(map));
             return b.bytes();
         },
         "no string"},
        {"colour with three components",
         [] {
             Builder b;
             plist_t color = b.object("DWColor");
             plist_t rgba = plist_new_array();
             for (int i = 0; i < 3; ++i)
                 plist_array_append_item(rgba, plist_new_real(0.5));
             plist_dict_set_item(color, "DW.rgba", rgba);
             b.setRoot(b.add(color));
             return b.bytes();
         },
         "four components"},
        {"rectangle without its text",
         [] {
             Builder b;
             b.setRoot(b.add(b.object("DWRect")));
             return b.bytes();
         },
         "DW.text"},
        {"image whose PNG is garbage",
         [] {
             Builder b;
             plist_t image = b.object("DWImage");
             plist_dict_set_item(image, "DW.png", plist_new_data("\x89PNG garbage", 12));
             b.setRoot(b.add(image));
             return b.bytes();
         },
         "image"},
        {"date that is not a number",
         [] {
             Builder b;
             plist_t date = b.object("DWDate");
             plist_dict_set_item(date, "DW.time", plist_new_string("yesterday"));
             b.setRoot(b.add(date));
             return b.bytes();
         },
         "date"},
        {"reference to an array node",
         [] {
             Builder b;
             b.setRoot(b.add(plist_new_array()));
             return b.bytes();
         },
         "is a array"},
        {"record key holding the wrong type",
         [] {
             Builder b;
             plist_t record = b.object("DamageNode");
             plist_dict_set_item(record, "count", plist_new_uid(b.add(plist_new_string("many"))));
             b.setRoot(b.add(record));
             return b.bytes();
         },
         "\"count\""},
        {"record list holding a string",
         [] {
             Builder b;
             const uint64_t text = b.add(plist_new_string("not a node"));
             plist_t list = b.object("DWArray");
             plist_dict_set_item(list, "NS.objects", Builder::uidArray({text}));
             const uint64_t listUid = b.add(list);
             plist_t record = b.object("DamageNode");
             plist_dict_set_item(record, "children", plist_new_uid(listUid));
             b.setRoot(b.add(record));
             return b.bytes();
         },
         "\"children\""},
        {"cycle of records, then a bad key (the discarded records must not leak)",
         [] {
             Builder b;
             const uint64_t aUid = plist_array_get_size(b.objects());
             plist_t a = b.object("DamageNode"); // takes aUid + 1 for its class
             const uint64_t realA = b.add(a);
             plist_t bee = b.object("DamageNode");
             plist_dict_set_item(bee, "partner", plist_new_uid(realA));
             const uint64_t beeUid = b.add(bee);
             const uint64_t text = b.add(plist_new_string("not a node"));
             plist_t list = b.object("DWArray");
             plist_dict_set_item(list, "NS.objects", Builder::uidArray({text}));
             const uint64_t listUid = b.add(list);
             plist_dict_set_item(a, "partner", plist_new_uid(beeUid));
             plist_dict_set_item(a, "children", plist_new_uid(listUid));
             EXPECT_GT(realA, aUid);
             b.setRoot(realA);
             return b.bytes();
         },
         "\"children\""},
        {"record that holds itself",
         [] {
             Builder b;
             plist_t record = b.object("DamageNode");
             const uint64_t self = plist_array_get_size(b.objects());
             plist_dict_set_item(record, "partner", plist_new_uid(self));
             EXPECT_EQ(b.add(record), self);
             b.setRoot(self);
             return b.bytes();
         },
         "reference cycle"},
        {"two records holding each other, one inside the other's list",
         [] {
             Builder b;
             plist_t outer = b.object("DamageNode");
             const uint64_t outerUid = b.add(outer);
             plist_t inner = b.object("DamageNode");
             plist_dict_set_item(inner, "partner", plist_new_uid(outerUid));
             plist_t list = b.object("DWArray");
             plist_dict_set_item(list, "NS.objects", Builder::uidArray({b.add(inner)}));
             plist_dict_set_item(outer, "children", plist_new_uid(b.add(list)));
             b.setRoot(outerUid);
             return b.bytes();
         },
         "reference cycle"},
        // Regression: a record holding itself through a plain dictionary or list value escaped
        // the cycle check and leaked with everything it held.
        {"record that holds itself in a dictionary",
         [] {
             Builder b;
             plist_t record = b.object("DamageNode");
             const uint64_t self = plist_array_get_size(b.objects());
             EXPECT_EQ(b.add(record), self);
             plist_t map = b.object("DWDictionary");
             plist_dict_set_item(
                 map, "NS.keys", Builder::uidArray({b.add(plist_new_string("originTitleData"))}));
             plist_dict_set_item(map, "NS.objects", Builder::uidArray({self}));
             plist_dict_set_item(record, "storage", plist_new_uid(b.add(map)));
             b.setRoot(self);
             return b.bytes();
         },
         "reference cycle"},
        {"record that holds itself in a list inside a dictionary",
         [] {
             Builder b;
             plist_t record = b.object("DamageNode");
             const uint64_t self = plist_array_get_size(b.objects());
             EXPECT_EQ(b.add(record), self);
             plist_t list = b.object("DWArray");
             plist_dict_set_item(list, "NS.objects", Builder::uidArray({self}));
             const uint64_t listUid = b.add(list);
             plist_t map = b.object("DWDictionary");
             plist_dict_set_item(
                 map, "NS.keys", Builder::uidArray({b.add(plist_new_string("held"))}));
             plist_dict_set_item(map, "NS.objects", Builder::uidArray({listUid}));
             plist_dict_set_item(record, "storage", plist_new_uid(b.add(map)));
             b.setRoot(self);
             return b.bytes();
         },
         "reference cycle"},
        {"two records holding each other through a list value",
         [] {
             Builder b;
             plist_t outer = b.object("DamageNode");
             const uint64_t outerUid = b.add(outer);
             plist_t inner = b.object("DamageNode");
             plist_t list = b.object("DWArray");
             plist_dict_set_item(list, "NS.objects", Builder::uidArray({outerUid}));
             plist_dict_set_item(inner, "values", plist_new_uid(b.add(list)));
             plist_dict_set_item(outer, "partner", plist_new_uid(b.add(inner)));
             b.setRoot(outerUid);
             return b.bytes();
         },
         "reference cycle"},
        {"bad reference deep inside a record",
         [] {
             Builder b;
             plist_t inner = b.object("DamageNode");
             plist_dict_set_item(inner, "partner", plist_new_uid(5000));
             const uint64_t innerUid = b.add(inner);
             plist_t outer = b.object("DamageNode");
             plist_dict_set_item(outer, "partner", plist_new_uid(innerUid));
             b.setRoot(b.add(outer));
             return b.bytes();
         },
         "reference 5000"},
        {"lists nested thousands deep",
         [] {
             Builder b;
             uint64_t previous = 0;
             for (int i = 0; i < 3000; ++i) {
                 plist_t list = b.object("DWArray");
                 plist_dict_set_item(list, "NS.objects", Builder::uidArray({previous}));
                 previous = b.add(list);
             }
             b.setRoot(previous);
             return b.bytes();
         },
         "too deeply"},
        {"records chained thousands deep",
         [] {
             Builder b;
             uint64_t previous = 0;
             for (int i = 0; i < 3000; ++i) {
                 plist_t record = b.object("DamageNode");
                 plist_dict_set_item(record, "partner", plist_new_uid(previous));
                 previous = b.add(record);
             }
             b.setRoot(previous);
             return b.bytes();
         },
         "too deeply"},
        // libplist would recurse once per level and overflow the stack before any check of ours.
        {"binary property list nested 100,000 deep",
         [] { return testsupport::nestedBinaryPropertyList(100000); },
         "nested too deeply"},
        {"binary property list nested just past the limit",
         [] { return testsupport::nestedBinaryPropertyList(512); },
         "nested too deeply"},
        // libplist would copy each shared array once per reference: 2^64 arrays.
        {"binary property list of arrays sharing arrays",
         [] { return testsupport::ladderBinaryPropertyList(64); },
         "too often"},
    };

    for (const DamageRow &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray data = row.make();
        QString error;
        const QVariant result = platform::KeyedUnarchiver::unarchive(data, &error);
        EXPECT_FALSE(result.isValid());
        EXPECT_TRUE(error.contains(QLatin1String(row.errorPart))) << error.toStdString();

        platform::KeyedUnarchiver coder;
        if (coder.openData(data)) {
            EXPECT_FALSE(coder.decodeObjectForKey("root").isValid());
            EXPECT_EQ(coder.failed(), coder.containsValueForKey("root"));
        } else {
            EXPECT_FALSE(coder.containsValueForKey("root"));
            EXPECT_FALSE(coder.decodeObjectForKey("root").isValid());
        }
    }
}

// A record held strongly from below a weak link is no cycle: the root holds a list of A and then
// B; A links weakly to B, which is decoded there and holds A. Everything decodes, and releasing
// the root frees it all (the leak checker watches).
TEST(KeyedUnarchiver, StrongHoldBelowAWeakLinkIsNoCycle)
{
    Builder b;
    plist_t root = b.object("DamageNode");
    const uint64_t rootUid = b.add(root);
    plist_t a = b.object("DamageNode");
    const uint64_t aUid = b.add(a);
    plist_t bee = b.object("DamageNode");
    plist_dict_set_item(bee, "name", plist_new_uid(b.add(plist_new_string("B"))));
    plist_dict_set_item(bee, "partner", plist_new_uid(aUid));
    const uint64_t beeUid = b.add(bee);
    plist_dict_set_item(a, "link", plist_new_uid(beeUid));
    plist_t list = b.object("DWArray");
    plist_dict_set_item(list, "NS.objects", Builder::uidArray({aUid}));
    plist_dict_set_item(root, "children", plist_new_uid(b.add(list)));
    plist_dict_set_item(root, "partner", plist_new_uid(beeUid));
    b.setRoot(rootUid);

    QString error;
    const auto decoded = std::dynamic_pointer_cast<DamageNode>(
        platform::KeyedUnarchiver::unarchive(b.bytes(), &error).value<ObjectRef>());
    ASSERT_TRUE(decoded) << error.toStdString();
    ASSERT_EQ(decoded->m_children.size(), 1);
    const auto decodedBee = std::dynamic_pointer_cast<DamageNode>(decoded->m_partner);
    ASSERT_TRUE(decodedBee);
    EXPECT_EQ(decodedBee->m_name, QStringLiteral("B"));
    EXPECT_EQ(decodedBee->m_partner, decoded->m_children[0]);
    EXPECT_EQ(decoded->m_children[0]->link(), decodedBee);
}

// A key holding $null reads as absent, but an archive whose root is $null has nothing to give:
// the caller hears why.
TEST(KeyedUnarchiver, NullRootIsRefusedWithAReason)
{
    Builder b;
    b.setRoot(0);
    QString error;
    EXPECT_FALSE(platform::KeyedUnarchiver::unarchive(b.bytes(), &error).isValid());
    EXPECT_TRUE(error.contains(QLatin1String("root object is $null"))) << error.toStdString();

    platform::KeyedUnarchiver coder;
    ASSERT_TRUE(coder.openData(b.bytes()));
    EXPECT_FALSE(coder.decodeObjectForKey("root").isValid());
    EXPECT_FALSE(coder.failed());
}

TEST(KeyedUnarchiver, EveryTruncationIsRefused)
{
    const QByteArray data = validArchive();
    ASSERT_TRUE(platform::KeyedUnarchiver::unarchive(data).isValid());
    for (qsizetype length = 0; length < data.size(); ++length) {
        SCOPED_TRACE(length);
        QString error;
        EXPECT_FALSE(platform::KeyedUnarchiver::unarchive(data.left(length), &error).isValid());
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(KeyedUnarchiver, RandomlyCorruptedArchivesNeverCrash)
{
    const QByteArray data = validArchive();
    QRandomGenerator generator(12345);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = data;
        const int flips = 1 + int(generator.bounded(4));
        for (int i = 0; i < flips; ++i)
            damaged[generator.bounded(int(damaged.size()))] = char(generator.bounded(256));
        QString error;
        const QVariant result = platform::KeyedUnarchiver::unarchive(damaged, &error);
        if (!result.isValid()) {
            ++refused;
            EXPECT_FALSE(error.isEmpty());
        }
        // Whatever decoded must be a graph of proper records: break its cycles so that the leak
        // checker sees only real leaks.
        if (auto root = std::dynamic_pointer_cast<DamageNode>(result.value<ObjectRef>())) {
            for (const auto &child : root->m_children)
                if (child)
                    child->m_partner.reset();
            root->m_partner.reset();
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(KeyedUnarchiver, OneDamagedTopLevelKeyDoesNotSpoilTheOthers)
{
    Builder b;
    plist_t top = plist_dict_get_item(b.root(), "$top");
    plist_dict_set_item(top, "good", plist_new_uid(b.add(plist_new_string("fine"))));
    plist_dict_set_item(top, "bad", plist_new_uid(777));
    plist_dict_set_item(top, "alsoGood", plist_new_uid(b.add(plist_new_real(2.5))));

    platform::KeyedUnarchiver coder;
    ASSERT_TRUE(coder.openData(b.bytes()));
    EXPECT_EQ(coder.decodeObjectForKey("good"), QVariant(QString("fine")));
    EXPECT_FALSE(coder.failed());
    EXPECT_FALSE(coder.decodeObjectForKey("bad").isValid());
    EXPECT_TRUE(coder.failed());
    EXPECT_TRUE(coder.lastError().contains("777"));
    EXPECT_EQ(coder.decodeDoubleForKey("alsoGood"), 2.5);
    EXPECT_FALSE(coder.failed());
}

} // namespace

#include "KeyedUnarchiver_test.moc"
