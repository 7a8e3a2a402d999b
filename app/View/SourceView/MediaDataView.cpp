#include "app/View/SourceView/MediaDataView.h"

#include "app/AppExtention/Function/CommonFunction.h"

#include <QMouseEvent>
#include <QPainter>

MediaDataView::MediaDataView(const MediaDataRef &media, QWidget *parent)
    : QWidget(parent)
    , m_media(media)
{
    setObjectName(QStringLiteral("MediaDataView"));
    initAllControls();
}

QString MediaDataView::mediaTimeString(const MediaData &media)
{
    const qint64 us = media.movie() ? media.movie()->trimDuration() : 0;
    return CommonFunction::timeStrFromSecond(double(us) / 1e6);
}

void MediaDataView::initAllControls()
{
    const auto clip = media();
    m_name = clip ? clip->name() : QString();
    m_time = clip ? mediaTimeString(*clip) : CommonFunction::timeStrFromSecond(0);
    update();
}

void MediaDataView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void MediaDataView::setListFocused(bool focused)
{
    if (m_listFocused == focused)
        return;
    m_listFocused = focused;
    update();
}

double MediaDataView::fillAlpha() const
{
    if (!m_selected)
        return 0;
    return m_listFocused ? 0.2 : 0.1;
}

void MediaDataView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Opaque, so that the rows sliding under a collapsing title stay hidden behind it.
    painter.fillRect(rect(), QColor(44, 44, 44));
    if (m_selected) {
        QColor fill(Qt::white);
        fill.setAlphaF(float(fillAlpha()));
        painter.fillRect(rect(), fill);
    }
    const QRect thumb(5, 5, 80, 60);
    painter.fillRect(thumb, QColor(30, 30, 30));
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(thumb.adjusted(0, 0, -1, -1));
    const int textX = thumb.right() + 10;
    const int textWidth = std::max(0, width() - textX - 5);
    QFont font = painter.font();
    font.setPointSizeF(12);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(textX, 5, textWidth, 24),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(m_name, Qt::ElideMiddle, textWidth));
    font.setPointSizeF(11);
    painter.setFont(font);
    painter.setPen(QColor(200, 200, 200));
    painter.drawText(QRect(textX, 33, textWidth, 20), Qt::AlignLeft | Qt::AlignVCenter, m_time);
}

void MediaDataView::mousePressEvent(QMouseEvent *event)
{
    emit pressed(this, event->position().toPoint());
    event->ignore();
}

void MediaDataView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    emit doubleClicked(this);
}
