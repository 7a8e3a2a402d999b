#include "platform/KeyedUnarchiver.h"

#include "platform/ArchiveFormat.h"
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

    KeyedUnarchiver *q = nullptr;
    PlistPtr document;
    plist_t objects = nullptr;
    uint32_t objectCount = 0;
    // Dictionaries whose keys decodeObjectForKey reads: $top first, then the objects being
    // decoded. Empty while no archive is open.
    std::vector<plist_t> open;
    std::vector<QString> openClassNames;
    // Each UID is decoded once; later references share the result. Objects enter the table before
    // their initWithCoder runs, so a reference back to an object under decoding resolves to it.
    std::vector<QVariant> decoded;
    std::vector<State> states;
    // The records made while decoding the current top-level key. When that decoding fails they
    // are thrown away; their keys are cleared first, so that reference cycles among them do not
    // keep them alive.
    std::vector<std::shared_ptr<KeyedObject>> madeForCurrentKey;
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
};

bool KeyedUnarchiver::Private::openDocument(const QByteArray &data)
{
    open.clear();
    openClassNames.clear();
    decoded.clear();
    states.clear();
    objects = nullptr;
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
    if (!data.startsWith("bplist00")) {
        fail(QStringLiteral("not a keyed archive: the data is no binary property list"));
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
    objects = plist_dict_get_item(root, kObjectsKey);
    if (!isType(objects, PLIST_ARRAY) || plist_array_get_size(objects) == 0) {
        fail(QStringLiteral("damaged keyed archive: $objects is missing or empty"));
        return false;
    }
    objectCount = plist_array_get_size(objects);
    plist_t null = plist_array_get_item(objects, 0);
    if (!isType(null, PLIST_STRING) || stringValue(null) != QLatin1String(kNull)) {
        fail(QStringLiteral("damaged keyed archive: $objects does not begin with $null"));
        return false;
    }
    decoded.assign(objectCount, QVariant());
    states.assign(objectCount, State::NotDecoded);
    open.push_back(top);
    openClassNames.push_back(QString());
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
        return decoded[uid];
    case State::InProgress:
        fail(QStringLiteral("damaged keyed archive: value %1 contains itself").arg(uid));
        return {};
    case State::NotDecoded:
        break;
    }
    plist_t node = plist_array_get_item(objects, static_cast<uint32_t>(uid));
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
    plist_t classDict = classUid > 0 && classUid < objectCount
                            ? plist_array_get_item(objects, static_cast<uint32_t>(classUid))
                            : nullptr;
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
    const uint32_t count = plist_array_get_size(items);
    QVariantList list;
    list.reserve(std::min<uint32_t>(count, objectCount));
    const QString what = QStringLiteral("list %1").arg(uid);
    for (uint32_t i = 0; i < count && !failed; ++i)
        list.append(decodeReference(plist_array_get_item(items, i), what));
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
    const uint32_t count = plist_array_get_size(keys);
    const QString what = QStringLiteral("dictionary %1").arg(uid);
    QVariantMap map;
    for (uint32_t i = 0; i < count && !failed; ++i) {
        const QVariant key = decodeReference(plist_array_get_item(keys, i), what);
        if (failed)
            break;
        if (key.metaType() != QMetaType::fromType<QString>()) {
            fail(QStringLiteral("damaged keyed archive: dictionary %1 has a key that is no string")
                     .arg(uid));
            break;
        }
        const QVariant value = decodeReference(plist_array_get_item(values, i), what);
        map.insert(key.toString(), value);
    }
    return failed ? QVariant() : QVariant(map);
}

QVariant KeyedUnarchiver::Private::decodeColor(quint64 uid, plist_t dict)
{
    plist_t components = plist_dict_get_item(dict, kRgbaField);
    if (!isType(components, PLIST_ARRAY) || plist_array_get_size(components) != 4) {
        fail(QStringLiteral("damaged keyed archive: colour %1 lacks its four components").arg(uid));
        return {};
    }
    double rgba[4];
    for (uint32_t i = 0; i < 4; ++i) {
        plist_t component = plist_array_get_item(components, i);
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
    open.push_back(dict);
    openClassNames.push_back(name);
    keyed->initWithCoder(*q);
    open.pop_back();
    openClassNames.pop_back();
    return value;
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
    d->madeForCurrentKey.clear();
    const QVariant value = d->decodeReference(node, QStringLiteral("key \"%1\"").arg(key));
    if (d->failed) {
        d->discardMadeObjects();
        return {};
    }
    d->madeForCurrentKey.clear();
    return value;
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

QVariant KeyedUnarchiver::unarchive(const QByteArray &data, QString *error)
{
    KeyedUnarchiver unarchiver;
    QString reason;
    QVariant root;
    if (unarchiver.openData(data, &reason)) {
        if (!unarchiver.containsValueForKey(QString::fromLatin1(kRootKey)))
            unarchiver.failWithError(QStringLiteral("the keyed archive has no root object"));
        else
            root = unarchiver.decodeObjectForKey(QString::fromLatin1(kRootKey));
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
    auto failed = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, reason);
        return QVariant();
    };
    QFile file(path);
    if (!QFileInfo::exists(path))
        return failed(QStringLiteral("no such file"));
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    if (file.size() > kMaxArchiveBytes)
        return failed(QStringLiteral("the file is too large to be an archive"));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    QString reason;
    const QVariant root = unarchive(data, &reason);
    if (!root.isValid() && !reason.isEmpty())
        return failed(reason);
    return root;
}

} // namespace platform
