#include "app/videoeditor/View/COMVEPlayerDisplayView.h"

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/imaging/Renderer.h"
#include "app/AppExtention/Convert/VideoEditPlayer.h"

#include <QPainter>
#include <algorithm>

COMVEPlayerDisplayView::COMVEPlayerDisplayView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName("originPlayerView");
    setMinimumSize(320, 240);
}

QRectF COMVEPlayerDisplayView::fittedRect(QSizeF size, const QRectF &bounds)
{
    if (size.width() <= 0.0 || size.height() <= 0.0)
        return bounds;
    const double scale = std::min(bounds.width() / size.width(), bounds.height() / size.height());
    const QSizeF fitted(size.width() * scale, size.height() * scale);
    return QRectF(bounds.center().x() - fitted.width() / 2.0,
                  bounds.center().y() - fitted.height() / 2.0,
                  fitted.width(),
                  fitted.height());
}

QImage COMVEPlayerDisplayView::frameForSize(QSize shown, QSizeF *frameSize) const
{
    const std::shared_ptr<LMMovieImage> frame = m_player ? m_player->currentMovieImage() : nullptr;
    *frameSize = QSizeF(4, 3);
    if (!frame)
        return {};
    QSizeF size = frame->outputSize();
    if (m_showOrigin || size.isEmpty()) {
        size = frame->displaySize();
        if (size.width() < 1.0)
            size = frame->originSize();
        *frameSize = size;
        const QImage source = frame->currentCIImage();
        return source.isNull()
                   ? QImage()
                   : source.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    *frameSize = size;
    const Reelsmith::imaging::Image edited = m_player->currentFrameImage();
    if (edited.isNull() || shown.isEmpty())
        return {};
    // Composed at the size shown, not at the output size.
    const double sx = double(shown.width()) / size.width();
    const double sy = double(shown.height()) / size.height();
    return Reelsmith::imaging::renderToImage(edited.scaled(sx, sy),
                                             QRect(0, 0, shown.width(), shown.height()));
}

void COMVEPlayerDisplayView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QSizeF frameSize;
    // The size first, so that the picture is made once at the size it is shown.
    (void)frameForSize(QSize(), &frameSize);
    const QRectF fitted = fittedRect(frameSize, QRectF(rect()));
    const QImage picture = frameForSize(fitted.size().toSize(), &frameSize);
    if (picture.isNull())
        painter.fillRect(fitted, Qt::black);
    else
        painter.drawImage(fitted, picture);
}
