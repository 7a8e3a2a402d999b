// Round trips through the keyed archive: object graphs, every value type, records' typed
// properties, and the top-level key form that record files use.

#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedObject.h"
#include "platform/KeyedUnarchiver.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <plist/plist.h>

class ArchiveNode;
using ArchiveNodeList = QList<std::shared_ptr<ArchiveNode>>;

class ArchiveNode : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(double weight MEMBER m_weight)
    Q_PROPERTY(int count MEMBER m_count)
    Q_PROPERTY(ObjectRef partner MEMBER m_partner)
    Q_PROPERTY(ArchiveNodeList children MEMBER m_children)
public:
    QStringList allCoderKeys() const override
    {
        return {"name", "weight", "count", "partner", "children"};
    }

    QString m_name;
    double m_weight = 1.5;
    int m_count = 7;
    ObjectRef m_partner;
    ArchiveNodeList m_children;
};
DW_REGISTER_CLASS(ArchiveNode)

// Stands for an older record layout: it holds only some of ArchiveNode's keys plus one that
// ArchiveNode no longer has, and archives decode it as ArchiveNode through an alias.
class ArchiveOldNode : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(QString retired MEMBER m_retired)
public:
    QStringList allCoderKeys() const override { return {"name", "retired"}; }
    QString m_name;
    QString m_retired;
};

class ArchiveTyped : public platform::KeyedObject
{
    Q_OBJECT
public:
    enum class Shape { Round, Square, Star };
    Q_ENUM(Shape)
private:
    Q_PROPERTY(float opacity MEMBER m_opacity)
    Q_PROPERTY(bool hidden MEMBER m_hidden)
    Q_PROPERTY(qint64 durationUs MEMBER m_durationUs)
    Q_PROPERTY(QRectF frame MEMBER m_frame)
    Q_PROPERTY(QSize videoSize MEMBER m_videoSize)
    Q_PROPERTY(QColor color MEMBER m_color)
    Q_PROPERTY(QColor outline MEMBER m_outline)
    Q_PROPERTY(QStringList tags MEMBER m_tags)
    Q_PROPERTY(Shape shape MEMBER m_shape)
    Q_PROPERTY(QVariantMap extra MEMBER m_extra)
public:
    QStringList allCoderKeys() const override
    {
        return {"opacity",
                "hidden",
                "durationUs",
                "frame",
                "videoSize",
                "color",
                "outline",
                "tags",
                "shape",
                "extra"};
    }
    float m_opacity = 1.0f;
    bool m_hidden = false;
    qint64 m_durationUs = 0;
    QRectF m_frame;
    QSize m_videoSize;
    QColor m_color;
    QColor m_outline = Qt::red;
    QStringList m_tags;
    Shape m_shape = Shape::Round;
    QVariantMap m_extra;
};
DW_REGISTER_CLASS(ArchiveTyped)

// A record whose key list names a key it has no property for.
class ArchiveBrokenKeys : public platform::KeyedObject
{
    Q_OBJECT
public:
    QStringList allCoderKeys() const override { return {"missing"}; }
};

namespace {

void ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    // Fonts need a GUI application, and a library test has no display to give it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "platform_test";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

std::shared_ptr<ArchiveNode> node(const QString &name)
{
    auto made = std::make_shared<ArchiveNode>();
    made->m_name = name;
    return made;
}

std::shared_ptr<ArchiveNode> roundTrip(const std::shared_ptr<ArchiveNode> &root)
{
    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(root)), &error);
    EXPECT_FALSE(data.isEmpty()) << error.toStdString();
    const QVariant decoded = platform::KeyedUnarchiver::unarchive(data, &error);
    EXPECT_TRUE(decoded.isValid()) << error.toStdString();
    return std::dynamic_pointer_cast<ArchiveNode>(decoded.value<ObjectRef>());
}

TEST(KeyedArchive, SharedObjectComesBackAsTheSameInstance)
{
    auto root = node("root");
    auto a = node("a");
    auto b = node("b");
    root->m_weight = 2.25;
    root->m_count = -3;
    root->m_children = {a, b};
    root->m_partner = a; // shared: a is also a child
    a->m_partner = b;

    auto decoded = roundTrip(root);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->m_name, "root");
    EXPECT_EQ(decoded->m_weight, 2.25);
    EXPECT_EQ(decoded->m_count, -3);
    ASSERT_EQ(decoded->m_children.size(), 2);
    auto a2 = decoded->m_children[0];
    auto b2 = decoded->m_children[1];
    EXPECT_EQ(a2->m_name, "a");
    EXPECT_EQ(b2->m_name, "b");
    EXPECT_EQ(decoded->m_partner, a2);
    EXPECT_EQ(a2->m_partner, b2);
    EXPECT_NE(a2, a);
}

// Records that hold each other strongly can be written, but reading them back would make a graph
// that is never freed: the reader refuses it and frees what it made (the leak checker watches).
TEST(KeyedArchive, StrongCyclesAreRefusedWhenRead)
{
    struct Row
    {
        const char *name;
        std::function<std::shared_ptr<ArchiveNode>()> make;
    };
    const Row rows[] = {
        {"a record holding itself",
         [] {
             auto loop = node("loop");
             loop->m_partner = loop;
             return loop;
         }},
        {"two records holding each other below a root",
         [] {
             auto root = node("root");
             auto a = node("a");
             auto b = node("b");
             root->m_children = {a, b};
             a->m_partner = b;
             b->m_partner = a;
             return root;
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto root = row.make();
        QString error;
        const QByteArray data
            = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(root)), &error);
        // Break the originals up so that only the reader's objects could leak.
        for (const auto &child : root->m_children)
            child->m_partner.reset();
        root->m_partner.reset();
        ASSERT_FALSE(data.isEmpty()) << error.toStdString();
        EXPECT_FALSE(platform::KeyedUnarchiver::unarchive(data, &error).isValid());
        EXPECT_TRUE(error.contains("reference cycle")) << error.toStdString();
    }
}

TEST(KeyedArchive, NullObjectAndEmptyListDecodeAsNullAndEmpty)
{
    auto root = node("");
    auto decoded = roundTrip(root);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->m_partner, nullptr);
    EXPECT_TRUE(decoded->m_children.isEmpty());
    EXPECT_EQ(decoded->m_name, "");
}

TEST(KeyedArchive, AliasDecodesOldClassAndAbsentKeysKeepTheirInitialValues)
{
    platform::ClassRegistry::instance().registerAlias("ArchiveOldNode", "ArchiveNode");
    auto old = std::make_shared<ArchiveOldNode>();
    old->m_name = "legacy";
    old->m_retired = "ignored";
    QString error;
    const QVariant decoded = platform::KeyedUnarchiver::unarchive(
        platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(old))), &error);
    auto record = std::dynamic_pointer_cast<ArchiveNode>(decoded.value<ObjectRef>());
    ASSERT_TRUE(record) << error.toStdString();
    EXPECT_EQ(record->m_name, "legacy");
    EXPECT_EQ(record->m_weight, 1.5);
    EXPECT_EQ(record->m_count, 7);
}

TEST(KeyedArchive, TypedPropertiesRoundTripThroughARecord)
{
    ensureGuiApplication();
    auto typed = std::make_shared<ArchiveTyped>();
    typed->m_opacity = 0.25f;
    typed->m_hidden = true;
    typed->m_durationUs = 9'000'000'000LL;
    typed->m_frame = QRectF(10, 20.5, 300, 40);
    typed->m_videoSize = QSize(720, 576);
    typed->m_color = QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.5f);
    typed->m_outline = QColor(); // archived as null: comes back as the property's null form
    typed->m_tags = {"one", "two"};
    typed->m_shape = ArchiveTyped::Shape::Star;
    typed->m_extra = {{"n", 3}, {"s", "text"}};

    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(typed)), &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    auto decoded = std::dynamic_pointer_cast<ArchiveTyped>(
        platform::KeyedUnarchiver::unarchive(data, &error).value<ObjectRef>());
    ASSERT_TRUE(decoded) << error.toStdString();
    EXPECT_EQ(decoded->m_opacity, 0.25f);
    EXPECT_TRUE(decoded->m_hidden);
    EXPECT_EQ(decoded->m_durationUs, 9'000'000'000LL);
    EXPECT_EQ(decoded->m_frame, QRectF(10, 20.5, 300, 40));
    EXPECT_EQ(decoded->m_videoSize, QSize(720, 576));
    EXPECT_EQ(decoded->m_color, typed->m_color);
    EXPECT_FALSE(decoded->m_outline.isValid());
    EXPECT_EQ(decoded->m_tags, QStringList({"one", "two"}));
    EXPECT_EQ(decoded->m_shape, ArchiveTyped::Shape::Star);
    EXPECT_EQ(decoded->m_extra.value("n"), QVariant(qint64(3)));
    EXPECT_EQ(decoded->m_extra.value("s"), QVariant(QString("text")));
}

struct ValueRow
{
    const char *name;
    QVariant input;
    QVariant expected; // what the unarchiver gives back
};

TEST(KeyedArchive, EveryValueTypeRoundTrips)
{
    ensureGuiApplication();
    QImage image(5, 3, QImage::Format_RGBA8888);
    image.fill(QColor(10, 20, 30, 128));
    image.setPixelColor(4, 2, QColor(255, 0, 0, 255));
    QFont font(QStringLiteral("DejaVu Sans"), 17);
    font.setBold(true);
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123LL, Qt::UTC);
    const QDateTime before2001 = QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 500), Qt::UTC);
    const QVariantList nested{qint64(1), QString("two"), QVariantList{true, 2.5}, QVariant()};
    const QVariantMap map{{"a", qint64(1)}, {"$dollar", QString("kept")}, {"list", nested}};

    const std::vector<ValueRow> rows = {
        {"true", true, true},
        {"false", false, false},
        {"int", 42, qint64(42)},
        {"negative int", -5, qint64(-5)},
        {"largest int64", std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()},
        {"smallest int64", std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min()},
        {"unsigned", 7u, qint64(7)},
        {"double", 2.5, 2.5},
        {"float", 0.5f, 0.5},
        {"string", QString("Ünïcode ✓ \"quoted\""), QString("Ünïcode ✓ \"quoted\"")},
        {"empty string", QString(""), QString("")},
        {"string spelled like the null marker", QString("$null"), QString("$null")},
        {"binary data", QByteArray("\x00\x01\xff", 3), QByteArray("\x00\x01\xff", 3)},
        {"empty data", QByteArray(""), QByteArray("")},
        {"date", when, when},
        {"date before the reference date", before2001, before2001},
        {"a second, different date", when.addDays(400), when.addDays(400)},
        {"nested list", nested, nested},
        {"string list", QStringList{"x", "y"}, QVariantList{QString("x"), QString("y")}},
        {"map", map, map},
        {"rect", QRectF(1.5, -2, 300, 0.25), QRectF(1.5, -2, 300, 0.25)},
        {"integer rect", QRect(1, 2, 3, 4), QRectF(1, 2, 3, 4)},
        {"size", QSizeF(720, 480), QSizeF(720, 480)},
        {"point", QPointF(-3, 4.75), QPointF(-3, 4.75)},
        {"colour", QColor(12, 34, 56, 78), QColor(12, 34, 56, 78)},
        {"font", font, font},
        {"image", image, image},
        {"null", QVariant(), QVariant()},
    };
    for (const ValueRow &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        const QByteArray data = platform::KeyedArchiver::archivedData(row.input, &error);
        ASSERT_FALSE(data.isEmpty()) << error.toStdString();
        const QVariant decoded = platform::KeyedUnarchiver::unarchive(data, &error);
        // A null root gives nothing, and says so.
        if (row.expected.isValid())
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        else
            EXPECT_TRUE(error.contains("root object is $null")) << error.toStdString();
        EXPECT_EQ(decoded.metaType(), row.expected.metaType())
            << decoded.metaType().name() << " vs " << row.expected.metaType().name();
        EXPECT_EQ(decoded, row.expected);
    }
}

TEST(KeyedArchive, LayoutIsTheKeyedArchiverLayout)
{
    auto root = node("root");
    root->m_children = {node("child")};
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(root)));
    plist_t plist = nullptr;
    plist_from_bin(data.constData(), uint32_t(data.size()), &plist);
    ASSERT_TRUE(plist);
    char *archiver = nullptr;
    plist_get_string_val(plist_dict_get_item(plist, "$archiver"), &archiver);
    ASSERT_TRUE(archiver);
    EXPECT_STREQ(archiver, "DWKeyedArchiver");
    free(archiver);
    uint64_t version = 0;
    plist_get_uint_val(plist_dict_get_item(plist, "$version"), &version);
    EXPECT_EQ(version, 100000u);
    plist_t rootRef = plist_access_path(plist, 2, "$top", "root");
    ASSERT_TRUE(rootRef);
    EXPECT_EQ(plist_get_node_type(rootRef), PLIST_UID);
    plist_t objects = plist_dict_get_item(plist, "$objects");
    char *null = nullptr;
    plist_get_string_val(plist_array_get_item(objects, 0), &null);
    EXPECT_STREQ(null, "$null");
    free(null);

    // The root's class dictionary names the class chain, and each class is written once.
    uint64_t rootUid = 0;
    plist_get_uid_val(rootRef, &rootUid);
    plist_t rootDict = plist_array_get_item(objects, uint32_t(rootUid));
    uint64_t classUid = 0;
    plist_get_uid_val(plist_dict_get_item(rootDict, "$class"), &classUid);
    plist_t classes = plist_access_path(objects, 2, uint32_t(classUid), "$classes");
    ASSERT_TRUE(classes);
    QStringList chain;
    for (uint32_t i = 0; i < plist_array_get_size(classes); ++i) {
        char *name = nullptr;
        plist_get_string_val(plist_array_get_item(classes, i), &name);
        chain.append(QString::fromUtf8(name));
        free(name);
    }
    EXPECT_EQ(chain, QStringList({"ArchiveNode", "platform::KeyedObject", "QObject"}));
    int classDicts = 0;
    for (uint32_t i = 0; i < plist_array_get_size(objects); ++i) {
        plist_t item = plist_array_get_item(objects, i);
        if (plist_get_node_type(item) == PLIST_DICT && plist_dict_get_item(item, "$classname")) {
            char *name = nullptr;
            plist_get_string_val(plist_dict_get_item(item, "$classname"), &name);
            classDicts += QString::fromUtf8(name) == "ArchiveNode";
            free(name);
        }
    }
    EXPECT_EQ(classDicts, 1);
    plist_free(plist);
}

TEST(KeyedArchive, ValuesThatCannotBeArchivedAreRefused)
{
    struct Row
    {
        const char *name;
        QVariant value;
        const char *errorPart;
    };
    auto plainObject = std::make_shared<QObject>();
    auto broken = std::make_shared<ArchiveBrokenKeys>();
    auto holder = node("holder");
    holder->m_partner = broken;
    const std::vector<Row> rows = {
        {"unsupported type", QUrl("file:///tmp"), "QUrl"},
        {"object that is no keyed record",
         QVariant::fromValue(ObjectRef(plainObject)),
         "no keyed record"},
        {"record with a key it has no property for",
         QVariant::fromValue(ObjectRef(broken)),
         "missing"},
        {"unsupported value nested in a list", QVariantList{1, QUrl("x:y")}, "QUrl"},
        {"bad record deep in the graph", QVariant::fromValue(ObjectRef(holder)), "missing"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_TRUE(platform::KeyedArchiver::archivedData(row.value, &error).isEmpty());
        EXPECT_TRUE(error.contains(QLatin1String(row.errorPart))) << error.toStdString();
    }
}

TEST(KeyedArchive, TopLevelKeysWithoutARoot)
{
    platform::KeyedArchiver coder;
    coder.encodeObject(QString("Disc"), "name");
    coder.encodeObject(QVariant(), "nothing");
    coder.encodeObject(QVariant::fromValue(ObjectRef(node("child"))), "child");
    coder.encodeObject(qint64(5), "$count");
    QString error;
    const QByteArray data = coder.encodedData(&error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();

    platform::KeyedUnarchiver decoder;
    ASSERT_TRUE(decoder.openData(data, &error)) << error.toStdString();
    EXPECT_TRUE(decoder.containsValueForKey("name"));
    EXPECT_TRUE(decoder.containsValueForKey("nothing"));
    EXPECT_FALSE(decoder.containsValueForKey("absent"));
    EXPECT_TRUE(decoder.containsValueForKey("$count"));
    QStringList keys = decoder.allKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"$count", "child", "name", "nothing"}));
    EXPECT_EQ(decoder.decodeObjectForKey("name"), QVariant(QString("Disc")));
    EXPECT_FALSE(decoder.decodeObjectForKey("nothing").isValid());
    EXPECT_FALSE(decoder.decodeObjectForKey("absent").isValid());
    EXPECT_EQ(decoder.decodeIntegerForKey("$count"), 5);
    auto child = std::dynamic_pointer_cast<ArchiveNode>(
        decoder.decodeObjectForKey("child").value<ObjectRef>());
    ASSERT_TRUE(child);
    EXPECT_EQ(child->m_name, "child");
    EXPECT_FALSE(decoder.failed());

    // Such an archive has no root, which the root reader says plainly.
    EXPECT_FALSE(platform::KeyedUnarchiver::unarchive(data, &error).isValid());
    EXPECT_TRUE(error.contains("no root")) << error.toStdString();
}

TEST(KeyedArchive, EmptyRecordWritesAValidArchive)
{
    auto empty = std::make_shared<platform::KeyedObject>();
    platform::KeyedArchiver coder;
    for (const QString &key : empty->allCoderKeys())
        empty->encoderKey(coder, key);
    QString error;
    const QByteArray data = coder.encodedData(&error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    platform::KeyedUnarchiver decoder;
    EXPECT_TRUE(decoder.openData(data, &error)) << error.toStdString();
    EXPECT_TRUE(decoder.allKeys().isEmpty());
}

// A chain of records linked one to the next (pages whose buttons jump to the next page) nests as
// deep as it is long. Long real chains must work; absurd ones are refused, not a stack overflow.
TEST(KeyedArchive, LongChainsRoundTripAndAbsurdOnesAreRefused)
{
    auto chain = [](int length) {
        auto head = node("0");
        auto current = head;
        for (int i = 1; i < length; ++i) {
            auto next = node(QString::number(i));
            current->m_children = {next};
            current = next;
        }
        return head;
    };
    auto decoded = roundTrip(chain(200));
    int length = 0;
    for (auto current = decoded; current;
         current = current->m_children.isEmpty() ? nullptr : current->m_children.first())
        ++length;
    EXPECT_EQ(length, 200);

    QString error;
    EXPECT_TRUE(
        platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(chain(5000))), &error)
            .isEmpty());
    EXPECT_TRUE(error.contains("too deeply")) << error.toStdString();
}

TEST(KeyedArchive, FinishedArchiverRefusesMoreKeys)
{
    platform::KeyedArchiver coder;
    coder.encodeObject(1, "a");
    EXPECT_FALSE(coder.encodedData().isEmpty());
    coder.encodeObject(2, "b");
    EXPECT_TRUE(coder.hasError());
    EXPECT_TRUE(coder.encodedData().isEmpty());
}

} // namespace

#include "KeyedArchiver_test.moc"
