#include "app/View/SourceView/SourceTableView.h"

#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/InsertLineView.h"
#include "app/View/SourceView/MediaDataView.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QSet>
#include <utility>

using namespace SourceListGeometry;

SourceTableView::SourceTableView(QWidget *parent)
    : QWidget(parent)
    , m_lineView(new InsertLineView(this))
{
    setObjectName(QStringLiteral("sourceTableView"));
    setAcceptDrops(true);
    setFocusPolicy(Qt::ClickFocus);
    resetStatus();
}

double SourceTableView::viewportHeight() const
{
    for (QWidget *up = parentWidget(); up; up = up->parentWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(up))
            return scroll->viewport()->height();
    }
    return 0;
}

QList<DVDTitleView *> SourceTableView::titleRows() const
{
    QList<DVDTitleView *> rows;
    for (const DVDTitleDataRef &title : m_shown)
        rows << m_titleRows.value(title.get());
    return rows;
}

QRect SourceTableView::targetFrame(const QWidget *row) const
{
    return m_targets.value(row, row ? row->geometry() : QRect());
}

void SourceTableView::moveRow(QWidget *row, const QRect &frame)
{
    m_targets.insert(row, frame);
    if (row->geometry() == frame)
        return;
    auto *animation = new QPropertyAnimation(row, "geometry", row);
    animation->setDuration(200);
    animation->setEndValue(frame);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void SourceTableView::reloadView(const QList<DVDTitleDataRef> &titles)
{
    DW_ASSERT_MAIN_THREAD(return );
    const int w = width();
    // Rows whose object left the list go first.
    QSet<const DVDTitleData *> liveTitles;
    QSet<const MediaData *> liveMedia;
    for (const DVDTitleDataRef &title : titles) {
        liveTitles.insert(title.get());
        for (const MediaDataRef &media : title->mediaArray())
            liveMedia.insert(media.get());
    }
    for (auto it = m_titleRows.begin(); it != m_titleRows.end();) {
        if (liveTitles.contains(it.key()) && it.value()->data().get() == it.key()) {
            ++it;
            continue;
        }
        m_targets.remove(it.value());
        delete it.value();
        it = m_titleRows.erase(it);
    }
    for (auto it = m_mediaRows.begin(); it != m_mediaRows.end();) {
        if (liveMedia.contains(it.key()) && it.value()->media().get() == it.key()) {
            ++it;
            continue;
        }
        m_targets.remove(it.value());
        delete it.value();
        it = m_mediaRows.erase(it);
    }
    m_shown = titles;

    QList<TitleShape> shapes;
    for (const DVDTitleDataRef &title : titles) {
        if (title->mediaArray().size() < 2)
            title->setIsExpand(false);
        shapes.append({int(title->mediaArray().size()), title->isExpand()});
    }
    m_layout = layoutRows(shapes, w, viewportHeight());
    resize(w, int(m_layout.height));

    for (qsizetype i = 0; i < titles.size(); ++i) {
        const DVDTitleDataRef &title = titles[i];
        DVDTitleView *row = m_titleRows.value(title.get());
        if (!row) {
            row = new DVDTitleView(title, this);
            row->setGeometry(0, int(kNewRowY), w, int(kRowHeight));
            connect(row, &DVDTitleView::pressed, this, [this](DVDTitleView *pressed, QPoint) {
                m_rowJustPressed = true;
                emit titlePressed(pressed->data());
            });
            connect(row, &DVDTitleView::expandClicked, this, [this](DVDTitleView *pressed) {
                emit expandClicked(pressed->data());
            });
            connect(row, &DVDTitleView::doubleClicked, this, [this] {
                m_pressAt.reset();
                emit rowDoubleClicked();
            });
            m_titleRows.insert(title.get(), row);
            row->setListFocused(hasFocus());
            row->show();
        }
        moveRow(row, m_layout.titleRows[i].toRect());
        const MediaDataList clips = title->mediaArray();
        const bool expanded = m_layout.expanded[i];
        for (qsizetype j = 0; j < clips.size(); ++j) {
            MediaDataView *clipRow = m_mediaRows.value(clips[j].get());
            if (!clipRow) {
                clipRow = new MediaDataView(clips[j], this);
                clipRow->setGeometry(
                    int(kClipIndent), int(kNewRowY), w - int(kClipIndent), int(kRowHeight));
                connect(clipRow, &MediaDataView::pressed, this, [this](MediaDataView *pressed) {
                    m_rowJustPressed = true;
                    emit mediaPressed(pressed->media());
                });
                connect(clipRow, &MediaDataView::doubleClicked, this, [this] {
                    m_pressAt.reset();
                    emit rowDoubleClicked();
                });
                clipRow->setListFocused(hasFocus());
                m_mediaRows.insert(clips[j].get(), clipRow);
            }
            // A title of one clip shows no clip rows at all; a collapsed one slides them under.
            clipRow->setVisible(clips.size() >= 2);
            moveRow(clipRow, m_layout.clipRows[i][j].toRect());
            clipRow->updateMediaDataTimeAfterEdit();
        }
        if (!expanded)
            row->raise();
        row->initTitleControls();
    }
    m_lineView->raise();
    resetStatus();
    update();
}

void SourceTableView::showSelection(const DVDTitleDataRef &title, const MediaDataRef &media)
{
    for (auto it = m_titleRows.cbegin(); it != m_titleRows.cend(); ++it)
        it.value()->setSelected(title && it.key() == title.get());
    for (auto it = m_mediaRows.cbegin(); it != m_mediaRows.cend(); ++it)
        it.value()->setSelected(media && it.key() == media.get());
}

void SourceTableView::resetStatus()
{
    m_insertion = Insertion{};
    m_lineView->hide();
    m_lineView->setGeometry(QRect());
}

void SourceTableView::showLineViewByPoint(QPointF point)
{
    const auto at = insertionAt(m_layout, point, width());
    if (!at)
        return;
    m_insertion = *at;
    m_lineView->setGeometry(at->line.toRect());
    m_lineView->setVisible(at->lineVisible());
    m_lineView->raise();
    m_lineView->update();
}

bool SourceTableView::acceptsFileDrops() const
{
    if (QApplication::activeModalWidget())
        return false;
    for (const QWidget *child : window()->findChildren<QWidget *>()) {
        if (child->isWindow() && child->isVisible() && child->windowModality() == Qt::WindowModal)
            return false;
    }
    return true;
}

void SourceTableView::paintEvent(QPaintEvent *)
{
    if (!m_shown.isEmpty())
        return;
    QPainter painter(this);
    QFont font(QStringLiteral("Kokonor"));
    font.setPointSizeF(30);
    painter.setFont(font);
    // Each line is cut in its middle when the list is too narrow for it.
    QStringList lines;
    for (const QString &line : platform::localizedString("Please Drag Videos \nHere").split('\n'))
        lines << painter.fontMetrics().elidedText(line.trimmed(), Qt::ElideMiddle, width());
    const QString text = lines.join('\n');
    const int textHeight = painter.fontMetrics().lineSpacing() * int(lines.size());
    const int y = int((height() - textHeight) * 0.45);
    const QRect box(0, y, width(), textHeight);
    // The shadow first, offset and softened by a second, wider pass.
    painter.setPen(QColor(0, 0, 0, 140));
    painter.drawText(box.translated(1, 1), Qt::AlignHCenter, text);
    painter.setPen(QColor(0, 0, 0, 60));
    painter.drawText(box.translated(2, 2), Qt::AlignHCenter, text);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignHCenter, text);
}

void SourceTableView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    // A row passes its press on after selecting; rows may still be sliding, so the row tells.
    if (!std::exchange(m_rowJustPressed, false)) {
        m_pressAt.reset();
        emit marginPressed();
        return;
    }
    m_pressAt = event->position().toPoint();
}

void SourceTableView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressAt || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - *m_pressAt).manhattanLength()
        < QApplication::startDragDistance())
        return;
    m_pressAt.reset();
    emit rowDragStarted();
}

void SourceTableView::mouseReleaseEvent(QMouseEvent *)
{
    m_pressAt.reset();
}

void SourceTableView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime->hasFormat(kDragType) || (mime->hasUrls() && acceptsFileDrops()))
        event->acceptProposedAction();
}

void SourceTableView::dragMoveEvent(QDragMoveEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!mime->hasFormat(kDragType) && !acceptsFileDrops()) {
        resetStatus();
        event->ignore();
        return;
    }
    showLineViewByPoint(event->position());
    event->acceptProposedAction();
}

void SourceTableView::dragLeaveEvent(QDragLeaveEvent *)
{
    m_lineView->hide();
    update();
}

void SourceTableView::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime->hasFormat(kDragType)) {
        // A row's own drag: the controller reads the insertion when the drag ends.
        m_lineView->hide();
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    QStringList paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty() || !acceptsFileDrops())
        return;
    event->acceptProposedAction();
    const Insertion at = m_insertion;
    m_lineView->hide();
    emit filesDropped(paths, at);
}

void SourceTableView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    for (DVDTitleView *row : std::as_const(m_titleRows))
        row->setListFocused(true);
    for (MediaDataView *row : std::as_const(m_mediaRows))
        row->setListFocused(true);
    emit focusChanged(true);
}

void SourceTableView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    for (DVDTitleView *row : std::as_const(m_titleRows))
        row->setListFocused(false);
    for (MediaDataView *row : std::as_const(m_mediaRows))
        row->setListFocused(false);
    emit focusChanged(false);
}
