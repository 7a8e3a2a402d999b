#include "app/View/SourceView/DVDTitleView.h"

#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "platform/StringTable.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

DVDTitleView::DVDTitleView(const DVDTitleDataRef &data, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
    , m_expand(new QToolButton(this))
{
    setObjectName(QStringLiteral("DVDTitleView"));
    m_expand->setObjectName(QStringLiteral("expandButton"));
    m_expand->setAutoRaise(true);
    // The clip button sits centred in the row's height.
    m_expand->setGeometry(5, 21, 28, 28);
    connect(m_expand, &QToolButton::clicked, this, [this] { emit expandClicked(this); });
    initTitleControls();
}

QString DVDTitleView::titleTimeString(const DVDTitleData &title)
{
    qint64 us = 0;
    for (const VCMovieRef &movie : title.vcMovieList())
        us += movie->trimDuration();
    return CommonFunction::timeStrFromSecond(double(us) / 1e6);
}

QString DVDTitleView::expandImageName() const
{
    const auto title = data();
    const qsizetype clips = title ? title->mediaArray().size() : 0;
    if (clips == 1)
        return QStringLiteral("edit");
    return clips >= 2 && title->isExpand() ? QStringLiteral("expand_on")
                                           : QStringLiteral("expand_off");
}

void DVDTitleView::initTitleControls()
{
    const auto title = data();
    m_name = title ? title->name() : QString();
    m_time = title ? titleTimeString(*title) : CommonFunction::timeStrFromSecond(0);
    const bool oneClip = title && title->mediaArray().size() == 1;
    m_expand->setToolTip(platform::localizedString(oneClip ? "Edit" : "Expand"));
    m_expand->setProperty("imageName", expandImageName());
    m_expand->setText(oneClip ? QStringLiteral("✎") : (title && title->isExpand() ? "▾" : "▸"));
    update();
}

void DVDTitleView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void DVDTitleView::setListFocused(bool focused)
{
    if (m_listFocused == focused)
        return;
    m_listFocused = focused;
    update();
}

double DVDTitleView::fillAlpha() const
{
    if (!m_selected)
        return 0;
    return m_listFocused ? 0.2 : 0.1;
}

void DVDTitleView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_selected) {
        QColor fill(Qt::white);
        fill.setAlphaF(float(fillAlpha()));
        painter.fillRect(rect(), fill);
    }
    // The thumbnail's frame, right of the clip button.
    const QRect thumb(40, 5, 80, 60);
    painter.fillRect(thumb, QColor(30, 30, 30));
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(thumb.adjusted(0, 0, -1, -1));
    const int textX = thumb.right() + 10;
    const int textWidth = std::max(0, width() - textX - 5);
    QFont font = painter.font();
    font.setPointSizeF(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(textX, 5, textWidth, 24),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(m_name, Qt::ElideMiddle, textWidth));
    font.setBold(false);
    font.setPointSizeF(11);
    painter.setFont(font);
    painter.setPen(QColor(200, 200, 200));
    painter.drawText(QRect(textX, 33, textWidth, 20), Qt::AlignLeft | Qt::AlignVCenter, m_time);
}

void DVDTitleView::mousePressEvent(QMouseEvent *event)
{
    emit pressed(this, event->position().toPoint());
    // The list starts a drag from the press; let it see the press too.
    event->ignore();
}

void DVDTitleView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    emit doubleClicked(this);
}
