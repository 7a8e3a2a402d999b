// The XML property-list reader on arbitrary text. What it reads must write back, and what it
// writes must read back as the same value: template descriptions are read, edited and saved.

#include "platform/PropertyList.h"
#include "support/FuzzSupport.h"

#include <QDateTime>
#include <cmath>

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId())
        return false;
    switch (a.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap ma = a.toMap(), mb = b.toMap();
        if (ma.size() != mb.size())
            return false;
        for (auto it = ma.cbegin(); it != ma.cend(); ++it)
            if (!mb.contains(it.key()) || !sameValue(it.value(), mb.value(it.key())))
                return false;
        return true;
    }
    case QMetaType::QVariantList: {
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i)
            if (!sameValue(la[i], lb[i]))
                return false;
        return true;
    }
    case QMetaType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    default:
        return a == b;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const QVariant value = platform::PropertyList::fromData(fuzzing::bytesOf(data, size), &error);
    if (!value.isValid()) {
        if (error.isEmpty())
            qFatal("a property list was refused without a reason");
        return 0;
    }
    const QByteArray written = platform::PropertyList::toData(value, &error);
    if (written.isEmpty())
        qFatal("a property list that was read cannot be written: %s", qPrintable(error));
    const QVariant again = platform::PropertyList::fromData(written, &error);
    if (!sameValue(value, again))
        qFatal("a written property list reads back differently: %s", qPrintable(error));
    return 0;
}
