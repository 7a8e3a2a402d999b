#include "app/chaptereditor/View/ChapterSingleView.h"

#include "app/AppExtention/Function/CommonFunction.h"
#include "app/chaptereditor/ChapterEditorViewHost.h"
#include "app/chaptereditor/View/ChapterTileLayout.h"
#include "platform/StringTable.h"

#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A rectangle of the tile's y-up layout in the widget's y-down coordinates.
QRectF flipped(const QRectF &r, double height)
{
    return QRectF(r.x(), height - r.y() - r.height(), r.width(), r.height());
}

QColor grey(double g)
{
    return QColor::fromRgbF(float(g), float(g), float(g), 1.0f);
}

} // namespace

ChapterSingleView::ChapterSingleView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("chapterTile"));
    setFocusPolicy(Qt::ClickFocus);
    resize(340, int(ChapterTileLayout::kTileHeight));
    m_timeField = new QLineEdit(this);
    m_timeField->setObjectName(QStringLiteral("timeField"));
    m_timeField->setGeometry(
        flipped(ChapterTileLayout::timeRect(), ChapterTileLayout::kTileHeight).toRect());
    m_timeField->setFrame(true);
    m_timeField->setStyleSheet(QStringLiteral(
        "QLineEdit { background: transparent; color: white; border: 1px solid #666; }"));
    connect(m_timeField, &QLineEdit::editingFinished, this, [this] { commitTypedTime(); });
}

QString ChapterSingleView::chapterName() const
{
    return platform::localizedString(QStringLiteral("Chapter %ld"))
        .replace(QStringLiteral("%ld"), QString::number(m_chapterIndex + 1));
}

void ChapterSingleView::initAllControl()
{
    p_updateTimeField();
}

void ChapterSingleView::p_updateTimeField()
{
    const MarkerItemRef shown = marker();
    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    if (!shown)
        return;
    m_timeField->setText(
        CommonFunction::timeStrFromMsSecond(float(double(shown->markShowTime()) / 1e6)));
    m_timeField->setModified(false);
    const MediaDataRef clip = editor ? editor->media() : nullptr;
    if (clip)
        m_chapterIndex = clip->markerArray().indexOf(shown);
    // The still of the chapter's first picture: the source's clock is origin time.
    if (editor)
        m_previewImage = editor->stillAtOriginTime(shown->markOriginTime());
    update();
}

void ChapterSingleView::commitTypedTime()
{
    if (!m_timeField->isModified())
        return;
    m_timeField->setModified(false);
    controlTextDidEndEditing();
}

void ChapterSingleView::controlTextDidEndEditing()
{
    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    const MarkerItemRef shown = marker();
    if (!editor || !shown)
        return;
    const double seconds = ChapterTileLayout::stringToSecond(m_timeField->text());
    editor->updateMaker(shown, qint64(seconds * 1e6));
    initAllControl();
}

void ChapterSingleView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double h = height();
    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    const MarkerItemRef shown = marker();
    if (editor && shown && editor->selectedMarker() == shown) {
        QLinearGradient fill(0, 0, 0, h);
        fill.setColorAt(0, QColor(18, 91, 159));
        fill.setColorAt(1, QColor(14, 71, 123));
        painter.fillRect(rect(), fill);
    }
    painter.setPen(grey(0.03));
    painter.drawLine(QPointF(0, h - 0.5), QPointF(width(), h - 0.5));
    painter.setPen(grey(0.17));
    painter.drawLine(QPointF(0, h - 1.5), QPointF(width(), h - 1.5));

    if (!m_previewImage.isNull()) {
        const QRectF box = flipped(ChapterTileLayout::imageRect(), h);
        const QRectF target
            = CommonFunction::scaleRectIn(QRectF(QPointF(), m_previewImage.size()), box);
        painter.fillRect(target.adjusted(-1, -1, 1, 1), QColor(0, 0, 0, 120));
        painter.drawImage(target, m_previewImage);
    }

    const QRectF name = flipped(ChapterTileLayout::nameRect(), h);
    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(QColor(200, 200, 200, 160));
    painter.drawText(name.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, chapterName());
    painter.setPen(Qt::white);
    painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter, chapterName());
}

void ChapterSingleView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (ChapterEditorViewHost *editor = ChapterEditorViewHost::current())
        editor->updateSelectedMarker(marker());
    event->accept();
}
