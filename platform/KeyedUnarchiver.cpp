#include "platform/KeyedUnarchiver.h"

#include "platform/ArchiveFormat.h"
#include "platform/BinaryPropertyListWalk.h"
#include "platform/ClassRegistry.h"
#include "platform/GeometryText.h"
#include "platform/KeyedObject.h"
#include "platform/Log.h"
#include "platform/Object.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <algorithm>
#include <cmath>
#include <limits>
#include <plist/plist.h>
#include <vector>

namespace platform {

using namespace archive;

namespace {

// Larger files are not archives this program wrote; refusing them early keeps a stray multi-gigabyte
// file from being read whole into memory.
constexpr qint64 kMaxArchiveBytes = qint64(1) << 30;
// Every binary property list begins so; the reader takes no other form.
constexpr char kBinaryHeader[] = "bplist00";

const char *typeName(plist_t node)
{
    switch (node ? plist_get_node_type(node) : PLIST_NONE) {
    case PLIST_BOOLEAN:
        return "boolean";
    case PLIST_UINT:
        return "integer";
    case PLIST_REAL:
        return "real";
    case PLIST_STRING:
        return "string";
    case PLIST_ARRAY:
        return "array";
    case PLIST_DICT:
        return "dictionary";
    case PLIST_DATE:
        return "date";
    case PLIST_DATA:
        return "data";
    case PLIST_KEY:
        return "key";
    case PLIST_UID:
        return "reference";
    default:
        return "nothing";
    }
}

bool isType(plist_t node, plist_type type)
{
    return node && plist_get_node_type(node) == type;
}

QString stringValue(plist_t node)
{
    uint64_t length = 0;
    const char *text = plist_get_string_ptr(node, &length);
    if (!text)
        return {};
    return QString::fromUtf8(
        text,
        static_cast<qsizetype>(std::min<uint64_t>(length, std::numeric_limits<qsizetype>::max())));
}

QByteArray dataValue(plist_t node)
{
    uint64_t length = 0;
    const char *bytes = plist_get_data_ptr(node, &length);
    if (!bytes || length == 0)
        return QByteArray("");
    return QByteArray(bytes, static_cast<qsizetype>(length));
}

// Calls visit(item) for each item of a PLIST_ARRAY in order, until visit returns false. libplist's
// plist_array_get_item walks its list from the start on every call, so indexed access over a whole
// array is quadratic; the iterator is one step per item.
template <class Visit> void forEachItem(plist_t array, Visit visit)
{
    plist_array_iter iter = nullptr;
    plist_array_new_iter(array, &iter);
    if (!iter)
        return;
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(array, iter, &item);
        if (!item || !visit(item))
            break;
    }
    free(iter);
}

std::vector<plist_t> itemsOf(plist_t array)
{
    std::vector<plist_t> items;
    items.reserve(plist_array_get_size(array));
    forEachItem(array, [&](plist_t item) {
        items.push_back(item);
        return true;
    });
    return items;
}

struct PlistDeleter
{
    void operator()(plist_t node) const
    {
        if (node)
            plist_free(node);
    }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

} // namespace

struct KeyedUnarchiver::Private
{
    enum class State : quint8 { NotDecoded, InProgress, Decoded };

    // A back reference: a record whose initWithCoder is still running was referred to from
    // inside it, with its reference count at that moment.
    struct BackReference
    {
        quint64 uid;
        long useCount;
    };

    KeyedUnarchiver *q = nullptr;
    QVariantMap userInfo;
    PlistPtr document;
    // $objects, indexed once: a UID is a position in this vector.
    std::vector<plist_t> objects;
    uint32_t objectCount = 0;
    // Dictionaries whose keys decodeObjectForKey reads: $top first, then the objects being
    // decoded. Empty while no archive is open. backReferences runs beside them.
    std::vector<plist_t> open;
    std::vector<QString> openClassNames;
    struct Level
    {
        quint32 serial = 0;
        std::vector<BackReference> references;
    };
    std::vector<Level> backReferences;
    // Per UID, the serial of the level that last noted it as a back reference, so that a level
    // notes each record once however often it refers to it.
    std::vector<quint32> notedAtLevel;
    quint32 levelSerial = 0;
    // Each UID is decoded once; later references share the result. Objects enter the table before
    // their initWithCoder runs, so a reference back to an object under decoding resolves to it.
    std::vector<QVariant> decoded;
    std::vector<State> states;
    // True while the record of that UID runs its initWithCoder.
    std::vector<bool> initializing;
    // The records made while decoding the current top-level key. When that decoding fails they
    // are thrown away; their keys are cleared first, so that reference cycles among them do not
    // keep them alive.
    std::vector<std::shared_ptr<KeyedObject>> madeForCurrentKey;
    // The UIDs whose decoded values the current top-level key entered into the table.
    std::vector<quint64> decodedForCurrentKey;
    // Set when a record decoded under the current top-level key took a strong hold of a record
    // still being decoded: the references may form a cycle.
    bool suspectCycle = false;
    QString error;
    bool failed = false;
    int depth = 0;

    void discardMadeObjects()
    {
        for (const auto &object : madeForCurrentKey)
            for (const QString &key : object->allCoderKeys())
                object->setProperty(key.toUtf8().constData(), QVariant());
        madeForCurrentKey.clear();
    }

    void fail(const QString &message)
    {
        if (!failed)
            error = message;
        failed = true;
    }

    bool openDocument(const QByteArray &data);
    QVariant decodeReference(plist_t node, const QString &what);
    QVariant decodeUid(quint64 uid);
    QVariant decodeDictionary(quint64 uid, plist_t dict);
    QString className(quint64 uid, plist_t dict);
    QVariant decodeArray(quint64 uid, plist_t dict);
    QVariant decodeMap(quint64 uid, plist_t dict);
    QVariant decodeObject(quint64 uid, plist_t dict, const QString &name);
    QVariant decodeColor(quint64 uid, plist_t dict);
    QVariant decodeImage(quint64 uid, plist_t dict);
    QVariant decodeDate(quint64 uid, plist_t dict);
    bool textField(quint64 uid, plist_t dict, const char *field, QString *text);
    void noteBackReference(quint64 uid);
    void checkBackReferences();
    long useCountOf(quint64 uid) const;
    bool releaseAndFindCycles(QVariant &value);
    QVariant decodeTopLevel(plist_t node, const QString &key);
};

bool KeyedUnarchiver::Private::openDocument(const QByteArray &data)
{
    open.clear();
    openClassNames.clear();
    backReferences.clear();
    decoded.clear();
    states.clear();
    initializing.clear();
    notedAtLevel.clear();
    objects.clear();
    objectCount = 0;
    document.reset();
    failed = false;
    error.clear();

    if (data.isEmpty()) {
        fail(QStringLiteral("the archive is empty"));
        return false;
    }
    if (data.size() > kMaxArchiveBytes) {
        fail(QStringLiteral("the archive is too large (%1 bytes)").arg(data.size()));
        return false;
    }
    // Only our own binary form; XML or foreign formats are not archives this program wrote.
    if (!data.startsWith(kBinaryHeader)) {
        fail(QStringLiteral("not a keyed archive: the data is no binary property list"));
        return false;
    }
    // libplist parses by recursion: a hostile nesting depth would overflow the stack inside it.
    QString shapeError;
    if (BinaryPropertyListWalk{kMaxDepth}.check(data, &shapeError)
        != BinaryPropertyListShape::Readable) {
        fail(QStringLiteral("not a keyed archive: the property list %1").arg(shapeError));
        return false;
    }
    plist_t root = nullptr;
    plist_from_bin(data.constData(), static_cast<uint32_t>(data.size()), &root);
    document.reset(root);
    if (!root) {
        fail(QStringLiteral("not a keyed archive: the property list is damaged or truncated"));
        return false;
    }
    if (!isType(root, PLIST_DICT)) {
        fail(QStringLiteral("not a keyed archive: the property list holds a %1, not a dictionary")
                 .arg(QString::fromLatin1(typeName(root))));
        return false;
    }
    plist_t archiver = plist_dict_get_item(root, kArchiverKey);
    if (!isType(archiver, PLIST_STRING) || stringValue(archiver) != QLatin1String(kArchiverName)) {
        fail(archiver && isType(archiver, PLIST_STRING)
                 ? QStringLiteral("not a keyed archive of this program: it was written by \"%1\"")
                       .arg(stringValue(archiver))
                 : QStringLiteral("not a keyed archive: no $archiver entry"));
        return false;
    }
    plist_t version = plist_dict_get_item(root, kVersionKey);
    uint64_t versionValue = 0;
    if (isType(version, PLIST_UINT))
        plist_get_uint_val(version, &versionValue);
    if (versionValue != kVersion) {
        fail(QStringLiteral("unsupported keyed archive version"));
        return false;
    }
    plist_t top = plist_dict_get_item(root, kTopKey);
    if (!isType(top, PLIST_DICT)) {
        fail(QStringLiteral("damaged keyed archive: $top is missing or no dictionary"));
        return false;
    }
    plist_t objectArray = plist_dict_get_item(root, kObjectsKey);
    if (isType(objectArray, PLIST_ARRAY))
        objects = itemsOf(objectArray);
    if (objects.empty()) {
        fail(QStringLiteral("damaged keyed archive: $objects is missing or empty"));
        return false;
    }
    objectCount = static_cast<uint32_t>(objects.size());
    plist_t null = objects.front();
    if (!isType(null, PLIST_STRING) || stringValue(null) != QLatin1String(kNull)) {
        fail(QStringLiteral("damaged keyed archive: $objects does not begin with $null"));
        return false;
    }
    decoded.assign(objectCount, QVariant());
    states.assign(objectCount, State::NotDecoded);
    initializing.assign(objectCount, false);
    notedAtLevel.assign(objectCount, 0);
    open.push_back(top);
    openClassNames.push_back(QString());
    backReferences.push_back({++levelSerial, {}});
    return true;
}

QVariant KeyedUnarchiver::Private::decodeReference(plist_t node, const QString &what)
{
    if (!isType(node, PLIST_UID)) {
        fail(QStringLiteral("damaged keyed archive: %1 holds a %2 where a reference belongs")
                 .arg(what, QString::fromLatin1(typeName(node))));
        return {};
    }
    uint64_t uid = 0;
    plist_get_uid_val(node, &uid);
    return decodeUid(uid);
}

QVariant KeyedUnarchiver::Private::decodeUid(quint64 uid)
{
    if (failed)
        return {};
    if (uid == 0)
        return {};
    if (uid >= objectCount) {
        fail(QStringLiteral(
                 "damaged keyed archive: reference %1 points past the %2 archived objects")
                 .arg(uid)
                 .arg(objectCount));
        return {};
    }
    switch (states[uid]) {
    case State::Decoded:
        if (initializing[uid]) {
            noteBackReference(uid);
            // A copy of a QVariant shares the one shared_ptr inside it, so a hold through a plain
            // list or dictionary value would not show in the reference count: whoever keeps this
            // reference gets a pointer of its own.
            if (decoded[uid].metaType() == QMetaType::fromType<ObjectRef>())
                return QVariant::fromValue(
                    *static_cast<const ObjectRef *>(decoded[uid].constData()));
        }
        return decoded[uid];
    case State::InProgress:
        fail(QStringLiteral("damaged keyed archive: value %1 contains itself").arg(uid));
        return {};
    case State::NotDecoded:
        break;
    }
    plist_t node = objects[uid];
    QVariant value;
    switch (node ? plist_get_node_type(node) : PLIST_NONE) {
    case PLIST_BOOLEAN: {
        uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        value = QVariant(flag != 0);
        break;
    }
    case PLIST_UINT: {
        uint64_t number = 0;
        plist_get_uint_val(node, &number);
        value = QVariant(static_cast<qint64>(number));
        break;
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(node, &number);
        value = QVariant(number);
        break;
    }
    case PLIST_STRING:
        value = QVariant(stringValue(node));
        break;
    case PLIST_DATA:
        value = QVariant(dataValue(node));
        break;
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t micros = 0;
        plist_get_date_val(node, &seconds, &micros);
        const qint64 msecs = kReferenceDateMSecs + qint64(seconds) * 1000 + micros / 1000;
        value = QVariant(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
        break;
    }
    case PLIST_DICT:
        if (depth >= kMaxDepth) {
            fail(QStringLiteral("damaged keyed archive: values are nested too deeply"));
            return {};
        }
        states[uid] = State::InProgress;
        ++depth;
        value = decodeDictionary(uid, node);
        --depth;
        if (failed) {
            states[uid] = State::NotDecoded;
            decoded[uid] = QVariant();
            return {};
        }
        break;
    default:
        fail(QStringLiteral("damaged keyed archive: object %1 is a %2, which no value is stored as")
                 .arg(uid)
                 .arg(QString::fromLatin1(typeName(node))));
        return {};
    }
    decoded[uid] = value;
    states[uid] = State::Decoded;
    decodedForCurrentKey.push_back(uid);
    return value;
}

QString KeyedUnarchiver::Private::className(quint64 uid, plist_t dict)
{
    plist_t classRef = plist_dict_get_item(dict, kClassKey);
    if (!isType(classRef, PLIST_UID)) {
        fail(QStringLiteral("damaged keyed archive: object %1 has no $class reference").arg(uid));
        return {};
    }
    uint64_t classUid = 0;
    plist_get_uid_val(classRef, &classUid);
    plist_t classDict = classUid > 0 && classUid < objectCount ? objects[classUid] : nullptr;
    plist_t name
        = isType(classDict, PLIST_DICT) ? plist_dict_get_item(classDict, kClassNameKey) : nullptr;
    if (!isType(name, PLIST_STRING)) {
        fail(QStringLiteral(
                 "damaged keyed archive: the class of object %1 is missing or has no $classname")
                 .arg(uid));
        return {};
    }
    return stringValue(name);
}

QVariant KeyedUnarchiver::Private::decodeDictionary(quint64 uid, plist_t dict)
{
    const QString name = className(uid, dict);
    if (failed)
        return {};
    if (name == QLatin1String(kArrayClass))
        return decodeArray(uid, dict);
    if (name == QLatin1String(kDictionaryClass))
        return decodeMap(uid, dict);
    if (name == QLatin1String(kColorClass))
        return decodeColor(uid, dict);
    if (name == QLatin1String(kImageClass))
        return decodeImage(uid, dict);
    if (name == QLatin1String(kDateClass))
        return decodeDate(uid, dict);
    QString text;
    if (name == QLatin1String(kRectClass))
        return textField(uid, dict, kTextField, &text) ? QVariant(rectFromString(text))
                                                       : QVariant();
    if (name == QLatin1String(kSizeClass))
        return textField(uid, dict, kTextField, &text) ? QVariant(sizeFromString(text))
                                                       : QVariant();
    if (name == QLatin1String(kPointClass))
        return textField(uid, dict, kTextField, &text) ? QVariant(pointFromString(text))
                                                       : QVariant();
    if (name == QLatin1String(kFontClass)) {
        if (!textField(uid, dict, kFontField, &text))
            return {};
        QFont font;
        if (!font.fromString(text)) {
            fail(QStringLiteral("damaged keyed archive: object %1 holds an unreadable font \"%2\"")
                     .arg(uid)
                     .arg(text.left(80)));
            return {};
        }
        return QVariant(font);
    }
    return decodeObject(uid, dict, name);
}

bool KeyedUnarchiver::Private::textField(quint64 uid,
                                         plist_t dict,
                                         const char *field,
                                         QString *text)
{
    plist_t node = plist_dict_get_item(dict, field);
    if (!isType(node, PLIST_STRING)) {
        fail(QStringLiteral("damaged keyed archive: object %1 lacks its text %2")
                 .arg(uid)
                 .arg(QLatin1String(field)));
        return false;
    }
    *text = stringValue(node);
    return true;
}

QVariant KeyedUnarchiver::Private::decodeArray(quint64 uid, plist_t dict)
{
    plist_t items = plist_dict_get_item(dict, kObjectsField);
    if (!isType(items, PLIST_ARRAY)) {
        fail(QStringLiteral("damaged keyed archive: list %1 has no %2 array")
                 .arg(uid)
                 .arg(QLatin1String(kObjectsField)));
        return {};
    }
    QVariantList list;
    list.reserve(std::min<uint32_t>(plist_array_get_size(items), objectCount));
    const QString what = QStringLiteral("list %1").arg(uid);
    forEachItem(items, [&](plist_t item) {
        list.append(decodeReference(item, what));
        return !failed;
    });
    return failed ? QVariant() : QVariant(list);
}

QVariant KeyedUnarchiver::Private::decodeMap(quint64 uid, plist_t dict)
{
    plist_t keys = plist_dict_get_item(dict, kKeysField);
    plist_t values = plist_dict_get_item(dict, kObjectsField);
    if (!isType(keys, PLIST_ARRAY) || !isType(values, PLIST_ARRAY)
        || plist_array_get_size(keys) != plist_array_get_size(values)) {
        fail(QStringLiteral(
                 "damaged keyed archive: dictionary %1 lacks matching key and value arrays")
                 .arg(uid));
        return {};
    }
    const std::vector<plist_t> keyNodes = itemsOf(keys);
    const QString what = QStringLiteral("dictionary %1").arg(uid);
    QVariantMap map;
    size_t i = 0;
    forEachItem(values, [&](plist_t valueNode) {
        if (i >= keyNodes.size())
            return false;
        const QVariant key = decodeReference(keyNodes[i++], what);
        if (failed)
            return false;
        if (key.metaType() != QMetaType::fromType<QString>()) {
            fail(QStringLiteral("damaged keyed archive: dictionary %1 has a key that is no string")
                     .arg(uid));
            return false;
        }
        map.insert(key.toString(), decodeReference(valueNode, what));
        return !failed;
    });
    return failed ? QVariant() : QVariant(map);
}

QVariant KeyedUnarchiver::Private::decodeColor(quint64 uid, plist_t dict)
{
    plist_t components = plist_dict_get_item(dict, kRgbaField);
    if (!isType(components, PLIST_ARRAY) || plist_array_get_size(components) != 4) {
        fail(QStringLiteral("damaged keyed archive: colour %1 lacks its four components").arg(uid));
        return {};
    }
    const std::vector<plist_t> items = itemsOf(components);
    double rgba[4];
    for (size_t i = 0; i < 4; ++i) {
        plist_t component = i < items.size() ? items[i] : nullptr;
        if (!isType(component, PLIST_REAL)) {
            fail(
                QStringLiteral("damaged keyed archive: colour %1 has a component that is no number")
                    .arg(uid));
            return {};
        }
        plist_get_real_val(component, &rgba[i]);
        // Out-of-range components would make QColor warn and give an invalid colour; clamp instead.
        rgba[i] = std::isfinite(rgba[i]) ? std::clamp(rgba[i], 0.0, 1.0) : 0.0;
    }
    return QVariant(
        QColor::fromRgbF(float(rgba[0]), float(rgba[1]), float(rgba[2]), float(rgba[3])));
}

QVariant KeyedUnarchiver::Private::decodeImage(quint64 uid, plist_t dict)
{
    plist_t png = plist_dict_get_item(dict, kPngField);
    if (!isType(png, PLIST_DATA)) {
        fail(QStringLiteral("damaged keyed archive: image %1 has no PNG data").arg(uid));
        return {};
    }
    QByteArray bytes = dataValue(png);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    QImage image = reader.read();
    if (image.isNull()) {
        fail(QStringLiteral("damaged keyed archive: image %1 cannot be read: %2")
                 .arg(uid)
                 .arg(reader.errorString()));
        return {};
    }
    // PNG does not keep the in-memory layout; give the caller back the format it archived.
    plist_t format = plist_dict_get_item(dict, kFormatField);
    uint64_t formatValue = 0;
    if (isType(format, PLIST_UINT))
        plist_get_uint_val(format, &formatValue);
    if (formatValue > QImage::Format_Invalid && formatValue < QImage::NImageFormats
        && formatValue != static_cast<uint64_t>(image.format())) {
        const QImage converted = image.convertToFormat(static_cast<QImage::Format>(formatValue));
        if (!converted.isNull())
            image = converted;
    }
    return QVariant(image);
}

QVariant KeyedUnarchiver::Private::decodeDate(quint64 uid, plist_t dict)
{
    plist_t time = plist_dict_get_item(dict, kTimeField);
    double seconds = 0;
    if (isType(time, PLIST_REAL))
        plist_get_real_val(time, &seconds);
    // About ±290,000 years either side, well inside what QDateTime holds.
    constexpr double kLimitSeconds = 9.0e12;
    if (!isType(time, PLIST_REAL) || !std::isfinite(seconds)
        || std::fabs(seconds) > kLimitSeconds) {
        fail(QStringLiteral("damaged keyed archive: date %1 has no readable time").arg(uid));
        return {};
    }
    const qint64 msecs = kReferenceDateMSecs + std::llround(seconds * 1000.0);
    return QVariant(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
}

QVariant KeyedUnarchiver::Private::decodeObject(quint64 uid, plist_t dict, const QString &name)
{
    ObjectRef object = ClassRegistry::instance().create(name);
    if (!object) {
        fail(QStringLiteral("the archive names the class \"%1\", which this program does not know")
                 .arg(name));
        return {};
    }
    auto *keyed = dynamic_cast<KeyedObject *>(object.get());
    if (!keyed) {
        fail(QStringLiteral("the archive names the class \"%1\", which is no keyed record")
                 .arg(name));
        return {};
    }
    const QVariant value = QVariant::fromValue(object);
    madeForCurrentKey.push_back(std::shared_ptr<KeyedObject>(object, keyed));
    decoded[uid] = value;
    states[uid] = State::Decoded;
    decodedForCurrentKey.push_back(uid);
    initializing[uid] = true;
    open.push_back(dict);
    openClassNames.push_back(name);
    backReferences.push_back({++levelSerial, {}});
    keyed->initWithCoder(*q);
    initializing[uid] = false;
    if (!failed)
        checkBackReferences();
    open.pop_back();
    openClassNames.pop_back();
    backReferences.pop_back();
    return value;
}

long KeyedUnarchiver::Private::useCountOf(quint64 uid) const
{
    // Read in place: a copy would count itself.
    const QVariant &value = decoded[uid];
    if (value.metaType() != QMetaType::fromType<ObjectRef>())
        return 0;
    return static_cast<const ObjectRef *>(value.constData())->use_count();
}

void KeyedUnarchiver::Private::noteBackReference(quint64 uid)
{
    Level &level = backReferences.back();
    if (notedAtLevel[uid] == level.serial)
        return;
    notedAtLevel[uid] = level.serial;
    level.references.push_back({uid, useCountOf(uid)});
}

// A reference back to a record still being decoded is fine when it is held weakly (a page's
// parent, a button's jump), but a strong one may close a cycle that keeps every record in it alive
// for ever. Whether the record just decoded (or one it made) took a strong hold shows in the
// reference count: once its initWithCoder has returned, every temporary copy is gone, so a count
// above the one seen at the reference is a new owner. That owner may itself hang below a weak
// link (a chapter that lists the button jumping to its title), so this only raises the suspicion
// that the check at the end of the top-level key settles.
void KeyedUnarchiver::Private::checkBackReferences()
{
    for (const BackReference &reference : backReferences.back().references)
        if (useCountOf(reference.uid) > reference.useCount)
            suspectCycle = true;
}

// Drops every reference the unarchiver and value hold to what the current top-level key made:
// a record that survives is kept alive by a cycle. The survivors are broken up (their keys
// cleared) so that they are freed; true when there were any.
bool KeyedUnarchiver::Private::releaseAndFindCycles(QVariant &value)
{
    std::vector<std::weak_ptr<KeyedObject>> watched(madeForCurrentKey.begin(),
                                                    madeForCurrentKey.end());
    value = QVariant();
    madeForCurrentKey.clear();
    for (const quint64 uid : decodedForCurrentKey) {
        decoded[uid] = QVariant();
        states[uid] = State::NotDecoded;
    }
    decodedForCurrentKey.clear();
    for (const auto &record : watched)
        if (auto survivor = record.lock())
            madeForCurrentKey.push_back(std::move(survivor));
    if (madeForCurrentKey.empty())
        return false;
    fail(QStringLiteral("damaged keyed archive: its records hold each other in a reference cycle "
                        "(%1 records, a %2 among them)")
             .arg(madeForCurrentKey.size())
             .arg(QString::fromLatin1(madeForCurrentKey.front()->metaObject()->className())));
    discardMadeObjects();
    return true;
}

QVariant KeyedUnarchiver::Private::decodeTopLevel(plist_t node, const QString &key)
{
    const QString what = QStringLiteral("key \"%1\"").arg(key);
    for (const bool checking : {true, false}) {
        madeForCurrentKey.clear();
        decodedForCurrentKey.clear();
        suspectCycle = false;
        QVariant value = decodeReference(node, what);
        if (failed) {
            discardMadeObjects();
            return {};
        }
        if (!checking || !suspectCycle) {
            madeForCurrentKey.clear();
            decodedForCurrentKey.clear();
            return value;
        }
        if (releaseAndFindCycles(value))
            return {};
        // Every strong hold hung below a weak link: no cycle. The trial release threw the graph
        // away, so it is decoded once more, now without the check.
    }
    return {};
}

KeyedUnarchiver::KeyedUnarchiver()
    : d(std::make_unique<Private>())
{
    d->q = this;
}

KeyedUnarchiver::~KeyedUnarchiver() = default;

bool KeyedUnarchiver::openData(const QByteArray &data, QString *error)
{
    if (d->openDocument(data))
        return true;
    qCDebug(lcArchive) << "cannot open archive:" << d->error;
    if (error)
        *error = d->error;
    return false;
}

bool KeyedUnarchiver::containsValueForKey(const QString &key) const
{
    if (d->open.empty())
        return false;
    return plist_dict_get_item(d->open.back(), archive::escapedKey(key).constData()) != nullptr;
}

QStringList KeyedUnarchiver::allKeys() const
{
    QStringList keys;
    if (d->open.empty())
        return keys;
    plist_t dict = d->open.back();
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(dict, &iter);
    if (!iter)
        return keys;
    for (;;) {
        char *key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, iter, &key, &value);
        if (!key)
            break;
        QString text = QString::fromUtf8(key);
        free(key);
        if (text.startsWith(QLatin1String("$$")))
            text.remove(0, 1);
        else if (text.startsWith(u'$'))
            continue;
        keys.append(text);
    }
    free(iter);
    return keys;
}

QString KeyedUnarchiver::currentClassName() const
{
    return d->openClassNames.empty() ? QString() : d->openClassNames.back();
}

QVariant KeyedUnarchiver::decodeObjectForKey(const QString &key)
{
    if (d->open.empty())
        return {};
    // Each top-level key is a fresh start, so that one damaged value does not take the others
    // with it.
    if (d->open.size() == 1)
        d->failed = false;
    if (d->failed)
        return {};
    plist_t node = plist_dict_get_item(d->open.back(), archive::escapedKey(key).constData());
    if (!node)
        return {};
    if (d->open.size() > 1)
        return d->decodeReference(node, QStringLiteral("key \"%1\"").arg(key));
    return d->decodeTopLevel(node, key);
}

bool KeyedUnarchiver::decodeBoolForKey(const QString &key)
{
    return decodeObjectForKey(key).toBool();
}

qint64 KeyedUnarchiver::decodeIntegerForKey(const QString &key)
{
    const QVariant value = decodeObjectForKey(key);
    if (value.metaType() == QMetaType::fromType<double>())
        return std::isfinite(value.toDouble()) ? qint64(value.toDouble()) : 0;
    return value.toLongLong();
}

double KeyedUnarchiver::decodeDoubleForKey(const QString &key)
{
    return decodeObjectForKey(key).toDouble();
}

void KeyedUnarchiver::failWithError(const QString &error)
{
    d->fail(error);
}

bool KeyedUnarchiver::failed() const
{
    return d->failed;
}

QString KeyedUnarchiver::lastError() const
{
    return d->error;
}

QVariantMap KeyedUnarchiver::userInfo() const
{
    return d->userInfo;
}

void KeyedUnarchiver::setUserInfo(const QVariantMap &info)
{
    d->userInfo = info;
}

QVariant KeyedUnarchiver::unarchive(const QByteArray &data, QString *error)
{
    return unarchive(data, QVariantMap(), error);
}

QVariant
KeyedUnarchiver::unarchive(const QByteArray &data, const QVariantMap &userInfo, QString *error)
{
    KeyedUnarchiver unarchiver;
    unarchiver.setUserInfo(userInfo);
    QString reason;
    QVariant root;
    if (unarchiver.openData(data, &reason)) {
        if (!unarchiver.containsValueForKey(QString::fromLatin1(kRootKey)))
            unarchiver.failWithError(QStringLiteral("the keyed archive has no root object"));
        else
            root = unarchiver.decodeObjectForKey(QString::fromLatin1(kRootKey));
        if (!unarchiver.failed() && !root.isValid())
            unarchiver.failWithError(QStringLiteral("the keyed archive's root object is $null"));
        reason = unarchiver.lastError();
        if (!unarchiver.failed())
            return root;
    }
    qCDebug(lcArchive) << "unarchive failed:" << reason;
    if (error)
        *error = reason;
    return {};
}

QVariant KeyedUnarchiver::unarchiveFile(const QString &path, QString *error)
{
    QByteArray data;
    if (!readArchiveFile(path, &data, error))
        return {};
    QString reason;
    const QVariant root = unarchive(data, &reason);
    if (!root.isValid() && error)
        *error = QStringLiteral("cannot read %1: %2").arg(path, reason);
    return root;
}

bool KeyedUnarchiver::readArchiveFile(const QString &path, QByteArray *data, QString *error)
{
    auto failed = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, reason);
        return false;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return failed(QStringLiteral("no such file"));
    // A folder, a pipe or a device has no size to check and may never end.
    if (!info.isFile())
        return failed(QStringLiteral("it is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    if (file.size() > kMaxArchiveBytes)
        return failed(
            QStringLiteral("the file is too large to be an archive (%1 bytes)").arg(file.size()));
    constexpr qint64 kHeaderBytes = 8;
    if (file.peek(kHeaderBytes) != QByteArrayView(kBinaryHeader))
        return failed(file.size() == 0
                          ? QStringLiteral("the file is empty")
                          : QStringLiteral("not a keyed archive: the file is no binary property "
                                           "list"));
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    return true;
}

} // namespace platform
