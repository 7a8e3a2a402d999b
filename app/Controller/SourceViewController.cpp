#include "app/Controller/SourceViewController.h"

#include "app/AppExtention/Document/EditingProject.h"
#include "app/Controller/Panels/OpenPanel.h"
#include "app/Controller/SourceListMoves.h"
#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/MediaDataView.h"
#include "app/View/SourceView/SourceBgView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "platform/KeyedArchiver.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDrag>
#include <QDragMoveEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace SourceListGeometry;

namespace {

// The picture of a dragged item about to vanish: the cursor off the areas that take the row, and
// the puff left where such a drag ends.
QPixmap puffPixmap()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 235, 235, 220));
    for (const QPointF &c : {QPointF(11, 16), QPointF(21, 14), QPointF(16, 21), QPointF(16, 10)})
        painter.drawEllipse(c, 7, 7);
    return pixmap;
}

void showPuff(QWidget *window, QPoint globalPoint)
{
    auto *puff = new QLabel(window);
    puff->setPixmap(puffPixmap());
    puff->setAttribute(Qt::WA_TransparentForMouseEvents);
    puff->resize(32, 32);
    puff->move(window->mapFromGlobal(globalPoint) - QPoint(16, 16));
    auto *effect = new QGraphicsOpacityEffect(puff);
    puff->setGraphicsEffect(effect);
    puff->show();
    auto *fade = new QPropertyAnimation(effect, "opacity", puff);
    fade->setDuration(400);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    QObject::connect(fade, &QPropertyAnimation::finished, puff, &QObject::deleteLater);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

// While a row is dragged: every widget of the window outside the list takes the row as a removal
// (the menu page, for a title, as "stays"), so that a release there is told apart from Escape or
// a release outside the window, which QDrag::exec answers alike.
class RowDropAreas : public QObject
{
public:
    RowDropAreas(QWidget *window, QWidget *list, QWidget *menuTarget, bool draggingTitle)
        : m_window(window)
        , m_list(list)
        , m_menuTarget(menuTarget)
        , m_title(draggingTitle)
    {}
    std::optional<DragEnd> end;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *drop = static_cast<QDropEvent *>(event);
        if (!widget || widget->window() != m_window
            || !drop->mimeData()->hasFormat(SourceTableView::kDragType)) {
            return false;
        }
        const QPoint global = widget->mapToGlobal(drop->position().toPoint());
        // The list's scroll area, 2 points wider on the right.
        const QRect listArea(m_list->mapToGlobal(QPoint(0, 0)), m_list->size() + QSize(2, 0));
        if (listArea.contains(global)) {
            if (type == QEvent::Drop)
                end = DragEnd::InList;
            return false;
        }
        const bool overPage
            = m_menuTarget
              && QRect(m_menuTarget->mapToGlobal(QPoint(0, 0)), m_menuTarget->size())
                     .contains(global);
        const bool keeps = overPage && m_title;
        drop->setDropAction(keeps ? Qt::CopyAction : Qt::MoveAction);
        drop->accept();
        if (type == QEvent::Drop)
            end = keeps ? DragEnd::OverMenuPage : DragEnd::RemovalArea;
        return true;
    }

private:
    QWidget *m_window;
    QWidget *m_list;
    QPointer<QWidget> m_menuTarget;
    bool m_title;
};

} // namespace

SourceViewController::SourceViewController(EditingProject &project, QWidget *parent)
    : QObject(parent)
    , m_project(project)
    , m_background(new SourceBgView(parent))
    , m_scroll(new QScrollArea(m_background))
    , m_table(new SourceTableView)
    , m_import(new TitleImport(this))
{
    m_background->setObjectName(QStringLiteral("sourceBgView"));
    auto *layout = new QVBoxLayout(m_background);
    layout->setContentsMargins(0, 0, 2, 0);
    layout->addWidget(m_scroll);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setWidget(m_table);
    m_table->setAutoFillBackground(false);
    m_scroll->viewport()->installEventFilter(this);
    m_background->setFilesDropped([this](const QStringList &paths) { importFiles(paths); });

    connect(
        m_table, &SourceTableView::titlePressed, this, &SourceViewController::selectedSingleTitle);
    connect(
        m_table, &SourceTableView::mediaPressed, this, &SourceViewController::selectedSingleMedia);
    connect(m_table, &SourceTableView::marginPressed, this, &SourceViewController::clearSelection);
    connect(m_table, &SourceTableView::expandClicked, this, &SourceViewController::toggleExpand);
    connect(m_table, &SourceTableView::rowDragStarted, this, &SourceViewController::startRowDrag);
    connect(
        m_table, &SourceTableView::rowDoubleClicked, this, &SourceViewController::editRequested);
    connect(m_table,
            &SourceTableView::filesDropped,
            this,
            [this](const QStringList &paths, const Insertion &at) { importFilesAt(paths, at); });

    // The rows follow the project; a selected object that left the list is no longer selected.
    const auto changed = [this] { reload(); };
    connect(&m_project, &EditingProject::titlesInserted, this, changed);
    connect(&m_project, &EditingProject::titlesRemoved, this, changed);
    connect(&m_project, &EditingProject::titleMoved, this, changed);
    connect(&m_project, &EditingProject::titleChanged, this, changed);
    connect(&m_project,
            &EditingProject::projectReplaced,
            this,
            &SourceViewController::sourceMediaHasReload);
    sourceMediaHasReload();
}

SourceViewController::~SourceViewController() = default;

bool SourceViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        reload();
    return QObject::eventFilter(watched, event);
}

QWidget *SourceViewController::view() const
{
    return m_background;
}

QList<DVDTitleDataRef> SourceViewController::titleArray() const
{
    return m_project.titles();
}

void SourceViewController::reload()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_table->resize(m_scroll->viewport()->width(), m_table->height());
    const auto titles = titleArray();
    m_table->reloadView(titles);
    bool stillThere = false;
    for (const DVDTitleDataRef &title : titles) {
        stillThere = stillThere || title == m_selectedTitle
                     || (m_selectedMedia && title->mediaArray().contains(m_selectedMedia));
    }
    if (m_selectionMode != 0 && !stillThere)
        clearSelection();
    showSelection();
}

void SourceViewController::showSelection()
{
    m_table->showSelection(m_selectedTitle, m_selectedMedia);
}

void SourceViewController::clearSelection()
{
    DW_ASSERT_MAIN_THREAD(return );
    const bool had = m_selectionMode != 0;
    m_selectionMode = 0;
    m_selectedTitle.reset();
    m_selectedMedia.reset();
    showSelection();
    if (had)
        emit selectionChanged();
}

void SourceViewController::selectedSingleTitle(const DVDTitleDataRef &title)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_selectionMode = title ? 1 : 0;
    m_selectedTitle = title;
    m_selectedMedia.reset();
    showSelection();
    emit selectionChanged();
}

void SourceViewController::selectedSingleMedia(const MediaDataRef &media)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_selectionMode = media ? 2 : 0;
    m_selectedTitle.reset();
    m_selectedMedia = media;
    showSelection();
    emit selectionChanged();
}

void SourceViewController::toggleExpand(const DVDTitleDataRef &title)
{
    if (!title || title->mediaArray().size() < 2)
        return;
    title->setIsExpand(!title->isExpand());
    reload();
}

void SourceViewController::addFilesToSourceButtonAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    const QStringList paths = OpenPanel::shared().chooseFiles(
        m_background->window(), platform::localizedString("Add Video"));
    if (!paths.isEmpty())
        importFiles(paths);
}

bool SourceViewController::isImporting() const
{
    return m_import->isRunning();
}

bool SourceViewController::importFiles(const QStringList &paths, std::function<void()> done)
{
    return importFilesAt(paths, {1, int(m_project.titleCount()), 0, {}}, std::move(done));
}

bool SourceViewController::importFilesAt(const QStringList &paths,
                                         const Insertion &at,
                                         std::function<void()> done)
{
    DW_ASSERT_MAIN_THREAD(return false);
    if (at.lineMode < 1 || at.lineMode > 3)
        return false;
    const auto titles = titleArray();
    // The clips' title is fixed when the import starts.
    std::weak_ptr<DVDTitleData> target;
    if (at.lineMode != 1) {
        DW_ASSERT(at.titleIndex >= 0 && at.titleIndex < titles.size(), return false);
        target = titles[at.titleIndex];
    }
    const qsizetype row = at.titleIndex;
    const int mode = at.lineMode;
    const int mediaIndex = at.mediaIndex;
    const int total = int(paths.size());
    const bool started = m_import->start(
        paths,
        [this](int doneCount, int count) { showImportRate(doneCount, count); },
        [this, done, target, row, mode, mediaIndex](QList<DVDTitleDataRef> made, bool) {
            // The sheet goes before the rows are laid out and before anyone is told.
            if (m_importWindow)
                m_importWindow->hide();
            if (!made.isEmpty()) {
                const DVDTitleDataRef into = target.lock();
                if (mode == 1 || !into || m_project.indexOfTitle(into) < 0) {
                    const qsizetype at = std::clamp<qsizetype>(row, 0, m_project.titleCount());
                    if (m_imported)
                        m_imported(made, at);
                    else
                        m_project.insertTitles(at, made);
                } else {
                    MediaDataList clips = into->mediaArray();
                    qsizetype position = mode == 2
                                             ? std::clamp<qsizetype>(mediaIndex, 0, clips.size())
                                             : clips.size();
                    for (const DVDTitleDataRef &title : made) {
                        for (const MediaDataRef &clip : title->mediaArray()) {
                            clip->setSuperData(into);
                            clips.insert(position++, clip);
                        }
                    }
                    into->setMediaArray(clips);
                    if (mode == 3)
                        into->setIsExpand(true);
                    m_project.noteTitleChanged(into);
                }
            }
            if (done)
                done();
        });
    if (started)
        openImportWindow(total);
    return started;
}

void SourceViewController::openImportWindow(int total)
{
    if (!m_importWindow) {
        m_importWindow = new QDialog(m_background->window());
        m_importWindow->setObjectName(QStringLiteral("importWindow"));
        m_importWindow->setWindowModality(Qt::WindowModal);
        auto *layout = new QVBoxLayout(m_importWindow);
        m_importFilesProgress = new QProgressBar(m_importWindow);
        m_importFilesProgress->setRange(0, 1000);
        m_importFilesProgress->setTextVisible(false);
        m_importRateField = new QLabel(m_importWindow);
        m_importRateField->setAlignment(Qt::AlignCenter);
        auto *buttons = new QDialogButtonBox(m_importWindow);
        QPushButton *cancel
            = buttons->addButton(platform::localizedString("Cancel"), QDialogButtonBox::RejectRole);
        // Stops after the file being read; what was read so far still joins the list.
        connect(cancel, &QPushButton::clicked, m_import, &TitleImport::cancel);
        connect(m_importWindow, &QDialog::rejected, m_import, &TitleImport::cancel);
        layout->addWidget(m_importFilesProgress);
        layout->addWidget(m_importRateField);
        layout->addWidget(buttons);
        m_importWindow->resize(320, m_importWindow->sizeHint().height());
    }
    showImportRate(0, total);
    m_importWindow->open();
}

void SourceViewController::showImportRate(int done, int total)
{
    if (!m_importRateField)
        return;
    m_importFilesProgress->setValue(total > 0 ? done * 1000 / total : 0);
    m_importRateField->setText(QString::asprintf(
        platform::localizedString("%d / %ld").toUtf8().constData(), done, long(total)));
}

void SourceViewController::deleteAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto titles = titleArray();
    if (m_selectionMode == 1 && m_selectedTitle) {
        const qsizetype row = m_project.indexOfTitle(m_selectedTitle);
        if (row >= 0)
            SourceListMoves::removeTitleWithItems(m_project, row);
    } else if (m_selectionMode == 2 && m_selectedMedia) {
        for (qsizetype row = 0; row < titles.size(); ++row) {
            const qsizetype clip = titles[row]->mediaArray().indexOf(m_selectedMedia);
            if (clip >= 0) {
                SourceListMoves::removeClip(m_project, row, clip);
                break;
            }
        }
    }
    clearSelection();
}

void SourceViewController::sourceMediaHasReload()
{
    DW_ASSERT_MAIN_THREAD(return );
    reload();
}

QStringList SourceViewController::draggedPaths() const
{
    QStringList paths;
    if (m_selectionMode == 1 && m_selectedTitle) {
        for (const MediaDataRef &clip : m_selectedTitle->mediaArray())
            paths << clip->path();
    } else if (m_selectionMode == 2 && m_selectedMedia) {
        paths << m_selectedMedia->path();
    }
    return paths;
}

void SourceViewController::startRowDrag()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_selectionMode == 0)
        return;
    QWidget *row = m_selectionMode == 1
                       ? static_cast<QWidget *>(m_table->titleView(m_selectedTitle.get()))
                       : static_cast<QWidget *>(m_table->mediaDataView(m_selectedMedia.get()));
    if (!row)
        return;
    // The picture is taken before the drag starts, a little faded.
    QPixmap image(row->size() * row->devicePixelRatioF());
    image.setDevicePixelRatio(row->devicePixelRatioF());
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setOpacity(0.7);
        painter.drawPixmap(0, 0, row->grab());
    }
    auto *mime = new QMimeData;
    mime->setData(SourceTableView::kDragType,
                  platform::KeyedArchiver::archivedData(QVariant(draggedPaths())));
    auto *drag = new QDrag(m_table);
    drag->setMimeData(mime);
    drag->setPixmap(image);
    drag->setHotSpot(row->mapFromGlobal(QCursor::pos()));
    drag->setDragCursor(puffPixmap(), Qt::MoveAction);

    RowDropAreas areas(m_background->window(), m_scroll, m_menuTarget, m_selectionMode == 1);
    qApp->installEventFilter(&areas);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    qApp->removeEventFilter(&areas);
    const DragEnd end = areas.end.value_or(DragEnd::Abandoned);
    if (end == DragEnd::RemovalArea || (end == DragEnd::OverMenuPage && m_selectionMode == 2))
        showPuff(m_background->window(), QCursor::pos());
    endRowDrag(end);
}

void SourceViewController::rowDragMovedTo(QPointF listPoint)
{
    m_table->showLineViewByPoint(listPoint);
}

void SourceViewController::endRowDrag(DragEnd end)
{
    DW_ASSERT_MAIN_THREAD(return );
    const Insertion at = m_table->insertion();
    const auto titles = titleArray();
    DropAction action;
    if (m_selectionMode == 1 && m_selectedTitle) {
        const qsizetype row = m_project.indexOfTitle(m_selectedTitle);
        if (row >= 0)
            action = titleDrop(int(row), end, at);
    } else if (m_selectionMode == 2 && m_selectedMedia) {
        for (qsizetype row = 0; row < titles.size(); ++row) {
            const qsizetype clip = titles[row]->mediaArray().indexOf(m_selectedMedia);
            if (clip >= 0)
                action = clipDrop(int(row), int(clip), end, at);
        }
    }
    m_table->resetStatus();
    if (action.kind == DropAction::Kind::None)
        return;
    const bool removes = action.kind == DropAction::Kind::RemoveTitle
                         || action.kind == DropAction::Kind::RemoveClip
                         || action.kind == DropAction::Kind::MergeTitle;
    SourceListMoves::applyDrop(m_project, action);
    if (removes)
        clearSelection();
    reload();
}

QString SourceViewController::titleTimeString(const DVDTitleData &title)
{
    return DVDTitleView::titleTimeString(title);
}
