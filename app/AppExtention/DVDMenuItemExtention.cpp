#include "app/AppExtention/DVDMenuItemExtention.h"

#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/subpicture/DLBitmapImage.h"
#include "app/AppExtention/Convert/DVDTitleData.h"

#include <QPainter>

namespace DVDMenuItemExtention {
namespace {
// The black well under a framed picture stops this far inside the frame on every side.
constexpr double kFrameInset = 5.0;
} // namespace

bool isTitle(const DVDMenuItem &item)
{
    return !item.isStaticItem() && !item.isButtonItem();
}

bool isFrameTitle(const DVDMenuItem &item)
{
    return isTitle(item) && !item.isTextItem();
}

bool isTextTitle(const DVDMenuItem &item)
{
    return isTitle(item) && item.isTextItem();
}

bool isStaticText(const DVDMenuItem &item)
{
    return item.isStaticItem() && item.isTextItem();
}

bool isButtonNamed(const DVDMenuItem &item, const QString &suffix)
{
    return item.isButtonItem() && item.buttonResource()
           && item.buttonResource()->name().endsWith(suffix);
}

bool isPreButtonItem(const DVDMenuItem &item)
{
    return isButtonNamed(item, QStringLiteral("-pre"));
}

bool isNextButtonItem(const DVDMenuItem &item)
{
    return isButtonNamed(item, QStringLiteral("-next"));
}

bool isPlayButtonItem(const DVDMenuItem &item)
{
    return isButtonNamed(item, QStringLiteral("-play"));
}

} // namespace DVDMenuItemExtention

// --- What a playing page asks of its elements ------------------------------------------------

namespace DVDMenuItemExtention {

std::shared_ptr<DVDTitleData> dvdTitleData(const DVDMenuItem &item)
{
    return platform::objectCast<DVDTitleData>(item.jump());
}

void setCurrentTime(const DVDMenuItem &item, qint64 timeUs)
{
    if (const auto title = dvdTitleData(item))
        title->setCurrentTime(timeUs);
}

QImage menuFrameItemDrawImage(const DVDMenuItem &item, const std::function<void(QPainter &)> &draw)
{
    const QRectF frame = item.frame().toAlignedRect();
    auto bitmap = DLBitmapImage::imageWithSize(frame.size());
    if (!bitmap)
        return QImage();
    {
        DLBitmapFocus focus(*bitmap);
        QPainter *painter = DLBitmapImage::currentContext();
        if (!painter)
            return QImage();
        const QRectF whole(QPointF(0, 0), frame.size());
        const auto frameResource = item.frameResource();
        if (!frameResource && !item.validStaticImage().isNull()) {
            if (draw)
                draw(*painter);
        } else {
            const QRectF inner
                = whole.adjusted(kFrameInset, kFrameInset, -kFrameInset, -kFrameInset);
            painter->save();
            painter->fillRect(inner, Qt::black);
            painter->setClipRect(inner);
            if (draw)
                draw(*painter);
            painter->restore();
            if (frameResource) {
                painter->save();
                painter->setOpacity(1.0);
                painter->setCompositionMode(QPainter::CompositionMode_DestinationOut);
                Platterkit::render::drawImageUpright(*painter, whole, frameResource->maskImage());
                painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
                Platterkit::render::drawImageUpright(*painter, whole, frameResource->frameImage());
                painter->restore();
            }
        }
    }
    return bitmap->nsimage();
}

} // namespace DVDMenuItemExtention
