#include "app/chaptereditor/View/ChapterPlayerDisplayView.h"

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/imaging/Renderer.h"
#include "app/AppExtention/Convert/MoviePlayer.h"
#include "app/AppExtention/Function/CommonFunction.h"

#include <QPaintEvent>
#include <QPainter>

ChapterPlayerDisplayView::ChapterPlayerDisplayView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("playerDisplayView"));
}

void ChapterPlayerDisplayView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor::fromRgbF(0.2f, 0.2f, 0.2f));
    const auto frame = m_player ? m_player->currentMovieImage() : nullptr;
    QSizeF size;
    QImage picture;
    if (frame) {
        size = frame->outputSize();
        if (m_showOrigin || size.isEmpty()) {
            picture = frame->currentCIImage();
            size = frame->displaySize().width() < 1.0 ? frame->originSize() : frame->displaySize();
        } else {
            const QSize pixels = size.toSize();
            picture = Reelsmith::imaging::renderToImage(frame->currentEffectImage(),
                                                        QRect(QPoint(0, 0), pixels));
        }
    }
    if (size.isEmpty())
        size = QSizeF(4, 3);
    const QRectF target = CommonFunction::scaleRectIn(QRectF(QPointF(), size), QRectF(rect()));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (picture.isNull())
        painter.fillRect(target, Qt::black);
    else
        painter.drawImage(target, picture);
}
