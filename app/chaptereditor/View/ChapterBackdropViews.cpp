#include "app/chaptereditor/View/ChapterBackdropViews.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

QColor grey(double g)
{
    return QColor::fromRgbF(float(g), float(g), float(g), 1.0f);
}

} // namespace

ChapterBackdropView::ChapterBackdropView(Kind kind, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
{
    setFocusPolicy(Qt::ClickFocus);
}

void ChapterBackdropView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const double w = width();
    const double h = height();
    // The top pixel rows of the panel (its y-up top edge is the widget's row 0).
    const auto topLines = [&](double outer, double inner) {
        painter.setPen(grey(outer));
        painter.drawLine(QPointF(0, 0.5), QPointF(w, 0.5));
        if (inner >= 0) {
            painter.setPen(grey(inner));
            painter.drawLine(QPointF(0, 1.5), QPointF(w, 1.5));
        }
    };
    switch (m_kind) {
    case Kind::EditBack: {
        QLinearGradient fill(0, 0, 0, h);
        fill.setColorAt(0, grey(0.15));
        fill.setColorAt(1, grey(0.13));
        painter.fillRect(rect(), fill);
        topLines(0.03, 0.17);
        break;
    }
    case Kind::PlayCtrBack:
        painter.fillRect(rect(), grey(0.15));
        topLines(0.03, 0.17);
        break;
    case Kind::ListBack: {
        painter.fillRect(rect(), grey(0.15));
        const double x = std::floor(w);
        painter.setPen(grey(0.03));
        painter.drawLine(QPointF(x - 0.5, 0), QPointF(x - 0.5, h));
        painter.setPen(grey(0.17));
        painter.drawLine(QPointF(x - 1.5, 0), QPointF(x - 1.5, h));
        break;
    }
    case Kind::PlayAreaBack:
        painter.fillRect(rect(), grey(0.1));
        break;
    case Kind::EditBottomBack:
        topLines(0.05, -1);
        break;
    }
}

void ChapterBackdropView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    event->accept();
}
