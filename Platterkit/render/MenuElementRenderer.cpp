#include "Platterkit/render/MenuElementRenderer.h"

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/model/DVDMenuTextResource.h"
#include "Platterkit/model/Messages.h"
#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/render/MenuTimes.h"
#include "Platterkit/render/RenderLog.h"

#include <QPaintDevice>
#include <QPainter>

namespace Platterkit::render {
namespace {

// The frame picture is inset by this much when the title picture is cut to it, so the frame's own
// edge always covers the border of the picture.
constexpr double kFrameInset = 5.0;

bool showsWhenNotValid(const DVDMenuItem &item, qint64 timeUs)
{
    return timeUs == kLayoutTimeUs || (timeUs == kThumbnailTimeUs && item.forceShowItem());
}

QImage titleImageAtTime(DVDMenuItem &item, qint64 timeUs)
{
    const QRectF frame = item.frame();
    const QRectF canvas = integralRect(QRectF(QPointF(0, 0), frame.size()));
    // An empty title slot shows its frame in thumbnails, so the page list shows where titles go.
    const bool drawFrame = item.useVideoFrame()
                           || (timeUs == kThumbnailTimeUs && item.forceShowItem() && !item.jump());
    MenuBitmap bitmap(canvas.size());
    if (bitmap.isNull())
        return QImage();
    QPainter &painter = *bitmap.painter();
    painter.save();
    const QPainterPath rounded = roundedClipPath(frame.size(), item.roundValue());
    if (!rounded.isEmpty())
        painter.setClipPath(rounded);

    if (item.itemBehind()) {
        // Behind the background only the picture itself shows through, never a frame.
        fillElementImageAtTime(item, timeUs, &painter);
    } else {
        const auto resource = item.frameResource();
        const QImage frameImage = resource->frameImage();
        if (timeUs == kLayoutTimeUs) {
            drawImageUpright(painter, canvas, frameImage);
        } else {
            painter.save();
            painter.setBrush(Qt::black);
            if (drawFrame) {
                const QRectF inner = insetRect(canvas, kFrameInset, kFrameInset);
                painter.fillRect(inner, Qt::black);
                painter.setClipRect(inner, Qt::IntersectClip);
            }
            fillElementImageAtTime(item, timeUs, &painter);
            painter.restore();
            if (drawFrame) {
                painter.setOpacity(1.0);
                painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
                drawImageUpright(painter, canvas, resource->maskImage());
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
                drawImageUpright(painter, canvas, frameImage);
            }
        }
    }
    painter.restore();
    return bitmap.finish();
}

} // namespace

QImage elementImageAtTime(DVDMenuItem &item, qint64 timeUs)
{
    if (!item.isValid() && !showsWhenNotValid(item, timeUs))
        return QImage();
    if (item.isTextItem()) {
        // A text object that does not declare the text protocol has no picture to offer.
        const DVDMenuTextResource *text = item.textResource();
        return text ? text->textSourceImage() : QImage();
    }
    if (const auto button = item.buttonResource()) {
        if (item.useStaticImage() && !item.menuStaticImage().isNull())
            return item.menuStaticImage();
        return button->image();
    }
    if (!item.frameResource())
        return QImage();
    return titleImageAtTime(item, timeUs);
}

void fillElementImageAtTime(DVDMenuItem &item, qint64 timeUs, QPainter *context)
{
    if (!context)
        return;
    const QImage still = item.validStaticImage();
    if (!still.isNull()) {
        drawImageIntoContext(still, context);
        return;
    }
    const ObjectRef target = item.jump();
    if (!target)
        return;
    if (const auto *page = dynamic_cast<const DVDMenu *>(target.get())) {
        DVDLibraryHooks::current()->fillPageJumpImage(*page, item, timeUs, context);
        return;
    }
    Platterkit::sendItemFillImageAtTimeContext(target.get(), &item, timeUs, context);
}

void drawImageIntoContext(const QImage &picture, QPainter *context)
{
    if (!context || picture.isNull() || !context->device())
        return;
    const QRectF whole(0, 0, context->device()->width(), context->device()->height());
    const QRectF part = scaleRectIn(whole, QRectF(0, 0, picture.width(), picture.height()));
    context->save();
    context->setOpacity(1.0);
    context->setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawImageUpright(*context, whole, picture, part);
    context->restore();
}

} // namespace Platterkit::render
