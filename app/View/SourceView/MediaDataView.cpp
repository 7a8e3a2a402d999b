#include "app/View/SourceView/MediaDataView.h"

#include "app/AppExtention/Function/CommonFunction.h"

#include <QMouseEvent>
#include <QPainter>

MediaDataView::MediaDataView(const MediaDataRef &media, QWidget *parent)
    : SourceRowView(parent)
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
    setTexts(clip ? clip->name() : QString(),
             clip ? mediaTimeString(*clip) : CommonFunction::timeStrFromSecond(0));
}

void MediaDataView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Opaque, so that the rows sliding under a collapsing title stay hidden behind it.
    painter.fillRect(rect(), QColor(44, 44, 44));
    const QRect thumb(5, 5, 80, 60);
    paintRow(painter, thumb, 12, false);
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
