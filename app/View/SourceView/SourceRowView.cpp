#include "app/View/SourceView/SourceRowView.h"

#include <QPainter>
#include <algorithm>

void SourceRowView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void SourceRowView::setListFocused(bool focused)
{
    if (m_listFocused == focused)
        return;
    m_listFocused = focused;
    update();
}

double SourceRowView::fillAlpha() const
{
    if (!m_selected)
        return 0;
    return m_listFocused ? 0.2 : 0.1;
}

void SourceRowView::setTexts(const QString &name, const QString &time)
{
    m_name = name;
    m_time = time;
    update();
}

void SourceRowView::paintRow(QPainter &painter,
                             const QRect &thumb,
                             double nameSize,
                             bool boldName) const
{
    if (m_selected) {
        QColor fill(Qt::white);
        fill.setAlphaF(float(fillAlpha()));
        painter.fillRect(rect(), fill);
    }
    painter.fillRect(thumb, QColor(30, 30, 30));
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(thumb.adjusted(0, 0, -1, -1));
    const int textX = thumb.right() + 10;
    const int textWidth = std::max(0, width() - textX - 5);
    QFont font = painter.font();
    font.setPointSizeF(nameSize);
    font.setBold(boldName);
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
