// The text forms of rectangles, sizes and points on arbitrary text: whatever a text reads as
// must print in a form that reads back exactly.

#include "platform/GeometryText.h"
#include "support/FuzzSupport.h"

namespace {

bool same(double a, double b)
{
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzing::bytesOf(data, size));

    const QRectF rect = platform::rectFromString(text);
    const QRectF rectAgain = platform::rectFromString(platform::stringFromRect(rect));
    if (!same(rect.x(), rectAgain.x()) || !same(rect.y(), rectAgain.y())
        || !same(rect.width(), rectAgain.width()) || !same(rect.height(), rectAgain.height()))
        qFatal("a rectangle does not read back: %s", qPrintable(platform::stringFromRect(rect)));

    const QSizeF size2 = platform::sizeFromString(text);
    const QSizeF sizeAgain = platform::sizeFromString(platform::stringFromSize(size2));
    if (!same(size2.width(), sizeAgain.width()) || !same(size2.height(), sizeAgain.height()))
        qFatal("a size does not read back: %s", qPrintable(platform::stringFromSize(size2)));

    const QPointF point = platform::pointFromString(text);
    const QPointF pointAgain = platform::pointFromString(platform::stringFromPoint(point));
    if (!same(point.x(), pointAgain.x()) || !same(point.y(), pointAgain.y()))
        qFatal("a point does not read back: %s", qPrintable(platform::stringFromPoint(point)));
    return 0;
}
