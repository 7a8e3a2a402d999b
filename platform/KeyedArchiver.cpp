#include "platform/KeyedArchiver.h"

#include "platform/ArchiveFormat.h"
#include "platform/AtomicFile.h"
#include "platform/GeometryText.h"
#include "platform/KeyedObject.h"
#include "platform/Log.h"
#include "platform/Object.h"

#include <QAssociativeIterable>
#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QPoint>
#include <QRect>
#include <QSequentialIterable>
#include <QSize>
#include <plist/plist.h>
#include <vector>

namespace platform {

using namespace archive;

struct KeyedArchiver::Private
{
    // $objects in the making; a slot stays null while its object is being encoded.
    std::vector<plist_t> objects;
    // Dictionaries that encodeObject writes into: $top first, then the objects being encoded.
    std::vector<plist_t> open;
    QHash<const QObject *, quint64> objectUids;
    QHash<QString, quint64> classUids;
    // Holds every encoded object until the end, so that no address is reused mid-archive.
    std::vector<ObjectRef> keepAlive;
    QString error;
    QString currentKey;
    KeyedArchiver *q = nullptr;
    int depth = 0;
    bool finished = false;

    Private()
    {
        objects.push_back(plist_new_string(kNull));
        open.push_back(plist_new_dict());
    }

    ~Private()
    {
        for (plist_t node : objects)
            if (node)
                plist_free(node);
        for (plist_t node : open)
            plist_free(node);
    }

    void fail(const QString &message)
    {
        if (error.isEmpty())
            error = message;
    }

    QString where() const
    {
        return currentKey.isEmpty() ? QString() : QStringLiteral(" (key \"%1\")").arg(currentKey);
    }

    quint64 add(plist_t node)
    {
        objects.push_back(node);
        return objects.size() - 1;
    }

    quint64 classUid(const QString &className, const QStringList &classes)
    {
        const auto found = classUids.constFind(className);
        if (found != classUids.constEnd())
            return *found;
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict, kClassNameKey, plist_new_string(className.toUtf8().constData()));
        plist_t chain = plist_new_array();
        for (const QString &name : classes)
            plist_array_append_item(chain, plist_new_string(name.toUtf8().constData()));
        plist_dict_set_item(dict, kClassesKey, chain);
        const quint64 uid = add(dict);
        classUids.insert(className, uid);
        return uid;
    }

    // A value object of our own class: a dictionary with $class and its inline fields.
    plist_t valueObject(const char *className)
    {
        plist_t dict = plist_new_dict();
        plist_dict_set_item(dict,
                            kClassKey,
                            plist_new_uid(classUid(QString::fromLatin1(className),
                                                   {QString::fromLatin1(className)})));
        return dict;
    }

    quint64 encodeValue(const QVariant &value);
    quint64 encodeObject(const ObjectRef &object);
    quint64 encodeList(const QVariantList &list);
    quint64 encodeMap(const QVariantMap &map);
    quint64 encodeImage(const QImage &image);
    quint64 encodeDate(const QDateTime &date);
    quint64 encodeText(const char *className, const QString &text)
    {
        plist_t dict = valueObject(className);
        plist_dict_set_item(dict, kTextField, plist_new_string(text.toUtf8().constData()));
        return add(dict);
    }
};

quint64 KeyedArchiver::Private::encodeValue(const QVariant &value)
{
    if (!error.isEmpty())
        return 0;
    if (!value.isValid() || value.metaType() == QMetaType::fromType<std::nullptr_t>())
        return 0;
    if (isObjectVariant(value))
        return encodeObject(objectFromVariant(value));
    if (isObjectListVariant(value))
        return encodeList(value.toList());

    const QMetaType type = value.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return add(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return add(plist_new_uint(static_cast<uint64_t>(value.toLongLong())));
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        // Integers are signed 64-bit in the archive; the largest unsigned values come back as
        // their two's-complement bits, which convert back to the same unsigned property value.
        return add(plist_new_uint(value.toULongLong()));
    case QMetaType::Float:
    case QMetaType::Double:
        return add(plist_new_real(value.toDouble()));
    case QMetaType::QString:
    case QMetaType::QChar:
        return add(plist_new_string(value.toString().toUtf8().constData()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return add(plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size())));
    }
    case QMetaType::QDateTime:
        return encodeDate(value.toDateTime());
    case QMetaType::QDate:
        return encodeDate(value.toDate().startOfDay(Qt::UTC));
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QByteArrayList:
        return encodeList(value.toList());
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return encodeMap(value.toMap());
    case QMetaType::QRectF:
    case QMetaType::QRect:
        return encodeText(kRectClass, stringFromRect(value.toRectF()));
    case QMetaType::QSizeF:
    case QMetaType::QSize:
        return encodeText(kSizeClass, stringFromSize(value.toSizeF()));
    case QMetaType::QPointF:
    case QMetaType::QPoint:
        return encodeText(kPointClass, stringFromPoint(value.toPointF()));
    case QMetaType::QColor: {
        const QColor color = value.value<QColor>();
        if (!color.isValid())
            return 0;
        float rgba[4];
        color.getRgbF(&rgba[0], &rgba[1], &rgba[2], &rgba[3]);
        plist_t dict = valueObject(kColorClass);
        plist_t components = plist_new_array();
        for (float component : rgba)
            plist_array_append_item(components, plist_new_real(component));
        plist_dict_set_item(dict, kRgbaField, components);
        return add(dict);
    }
    case QMetaType::QImage:
        return encodeImage(value.value<QImage>());
    case QMetaType::QFont: {
        plist_t dict = valueObject(kFontClass);
        plist_dict_set_item(dict,
                            kFontField,
                            plist_new_string(value.value<QFont>().toString().toUtf8().constData()));
        return add(dict);
    }
    default:
        break;
    }
    if (type.flags().testFlag(QMetaType::IsEnumeration))
        return add(plist_new_uint(static_cast<uint64_t>(value.toLongLong())));
    if (value.canConvert<QVariantList>()
        && QMetaType::canView(type, QMetaType::fromType<QSequentialIterable>()))
        return encodeList(value.toList());
    if (value.canConvert<QVariantMap>()
        && QMetaType::canView(type, QMetaType::fromType<QAssociativeIterable>()))
        return encodeMap(value.toMap());
    fail(QStringLiteral("cannot archive a value of type %1%2")
             .arg(QString::fromLatin1(type.name() ? type.name() : "unknown"), where()));
    return 0;
}

quint64 KeyedArchiver::Private::encodeObject(const ObjectRef &object)
{
    if (!object)
        return 0;
    const auto found = objectUids.constFind(object.get());
    if (found != objectUids.constEnd())
        return *found;
    const auto *keyed = dynamic_cast<const KeyedObject *>(object.get());
    const QMetaObject *meta = object->metaObject();
    if (!keyed) {
        fail(QStringLiteral("cannot archive an object of class %1, which is no keyed record%2")
                 .arg(QString::fromLatin1(meta->className()), where()));
        return 0;
    }
    if (depth >= kMaxDepth) {
        fail(QStringLiteral("the object graph is nested too deeply to archive%1").arg(where()));
        return 0;
    }

    // The slot is taken before the contents are encoded, so that a reference back to this object
    // from inside its own graph finds its UID.
    objects.push_back(nullptr);
    const quint64 uid = objects.size() - 1;
    objectUids.insert(object.get(), uid);
    keepAlive.push_back(object);

    QStringList classes;
    for (const QMetaObject *m = meta; m; m = m->superClass())
        classes.append(QString::fromLatin1(m->className()));
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, kClassKey, plist_new_uid(classUid(classes.first(), classes)));

    const QString outerKey = currentKey;
    ++depth;
    open.push_back(dict);
    keyed->encodeWithCoder(*q);
    open.pop_back();
    --depth;
    currentKey = outerKey;
    objects[uid] = dict;
    return uid;
}

quint64 KeyedArchiver::Private::encodeList(const QVariantList &list)
{
    if (depth >= kMaxDepth) {
        fail(QStringLiteral("a list is nested too deeply to archive%1").arg(where()));
        return 0;
    }
    ++depth;
    plist_t uids = plist_new_array();
    for (const QVariant &item : list)
        plist_array_append_item(uids, plist_new_uid(encodeValue(item)));
    --depth;
    plist_t dict = valueObject(kArrayClass);
    plist_dict_set_item(dict, kObjectsField, uids);
    return add(dict);
}

quint64 KeyedArchiver::Private::encodeMap(const QVariantMap &map)
{
    if (depth >= kMaxDepth) {
        fail(QStringLiteral("a dictionary is nested too deeply to archive%1").arg(where()));
        return 0;
    }
    ++depth;
    plist_t keys = plist_new_array();
    plist_t values = plist_new_array();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        plist_array_append_item(
            keys, plist_new_uid(add(plist_new_string(it.key().toUtf8().constData()))));
        plist_array_append_item(values, plist_new_uid(encodeValue(it.value())));
    }
    --depth;
    plist_t dict = valueObject(kDictionaryClass);
    plist_dict_set_item(dict, kKeysField, keys);
    plist_dict_set_item(dict, kObjectsField, values);
    return add(dict);
}

quint64 KeyedArchiver::Private::encodeImage(const QImage &image)
{
    if (image.isNull())
        return 0;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        fail(QStringLiteral("cannot store an image as PNG: %1%2")
                 .arg(writer.errorString(), where()));
        return 0;
    }
    plist_t dict = valueObject(kImageClass);
    plist_dict_set_item(
        dict, kPngField, plist_new_data(png.constData(), static_cast<uint64_t>(png.size())));
    plist_dict_set_item(dict, kFormatField, plist_new_uint(static_cast<uint64_t>(image.format())));
    return add(dict);
}

quint64 KeyedArchiver::Private::encodeDate(const QDateTime &date)
{
    if (!date.isValid())
        return 0;
    const double seconds = double(date.toMSecsSinceEpoch() - kReferenceDateMSecs) / 1000.0;
    plist_t dict = valueObject(kDateClass);
    plist_dict_set_item(dict, kTimeField, plist_new_real(seconds));
    return add(dict);
}

KeyedArchiver::KeyedArchiver()
    : d(std::make_unique<Private>())
{
    d->q = this;
}

KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::encodeObject(const QVariant &value, const QString &key)
{
    if (d->finished) {
        d->fail(QStringLiteral("encoding key \"%1\" after the archive was finished").arg(key));
        return;
    }
    if (!d->error.isEmpty())
        return;
    const QString outerKey = d->currentKey;
    d->currentKey = key;
    const quint64 uid = d->encodeValue(value);
    d->currentKey = outerKey;
    plist_dict_set_item(d->open.back(), archive::escapedKey(key).constData(), plist_new_uid(uid));
}

void KeyedArchiver::failWithError(const QString &error)
{
    d->fail(error);
}

bool KeyedArchiver::hasError() const
{
    return !d->error.isEmpty();
}

QString KeyedArchiver::lastError() const
{
    return d->error;
}

QByteArray KeyedArchiver::encodedData(QString *error)
{
    if (d->finished && d->error.isEmpty())
        d->fail(QStringLiteral("the archive was already finished"));
    d->finished = true;
    if (!d->error.isEmpty()) {
        qCDebug(lcArchive) << "archive failed:" << d->error;
        if (error)
            *error = d->error;
        return {};
    }
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, kArchiverKey, plist_new_string(kArchiverName));
    plist_dict_set_item(top, kVersionKey, plist_new_uint(kVersion));
    plist_dict_set_item(top, kTopKey, d->open.front());
    d->open.clear();
    plist_t objects = plist_new_array();
    for (plist_t &node : d->objects) {
        // Every reserved slot is filled once its object is done; a null here would mean an object
        // still open, which the call structure rules out.
        plist_array_append_item(objects, node ? node : plist_new_string(kNull));
        node = nullptr;
    }
    d->objects.clear();
    plist_dict_set_item(top, kObjectsKey, objects);

    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(top, &bytes, &length);
    plist_free(top);
    if (!bytes || length == 0) {
        if (bytes)
            plist_to_bin_free(bytes);
        if (error)
            *error = QStringLiteral("the property list writer produced no data");
        return {};
    }
    QByteArray data(bytes, static_cast<qsizetype>(length));
    plist_to_bin_free(bytes);
    return data;
}

QByteArray KeyedArchiver::archivedData(const QVariant &root, QString *error)
{
    KeyedArchiver archiver;
    archiver.encodeObject(root, QString::fromLatin1(kRootKey));
    return archiver.encodedData(error);
}

bool KeyedArchiver::writeDataToFile(const QByteArray &data, const QString &path, QString *error)
{
    QString message;
    if (writeFileAtomically(data, path, &message))
        return true;
    qCWarning(lcArchive).noquote() << message;
    if (error)
        *error = message;
    return false;
}

bool KeyedArchiver::archiveToFile(const QVariant &root, const QString &path, QString *error)
{
    QString reason;
    const QByteArray data = archivedData(root, &reason);
    if (data.isEmpty()) {
        const QString message = QStringLiteral("cannot archive to %1: %2").arg(path, reason);
        qCWarning(lcArchive).noquote() << message;
        if (error)
            *error = message;
        return false;
    }
    return writeDataToFile(data, path, error);
}

} // namespace platform
