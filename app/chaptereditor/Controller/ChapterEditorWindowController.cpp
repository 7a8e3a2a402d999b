#include "app/chaptereditor/Controller/ChapterEditorWindowController.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/TitleStillRefresh.h"
#include "app/chaptereditor/Controller/ChapterMarkerRules.h"
#include "app/chaptereditor/Controller/ChapterSplit.h"
#include "app/chaptereditor/View/ChapterBackdropViews.h"
#include "app/chaptereditor/View/ChapterPlayerDisplayView.h"
#include "app/chaptereditor/View/ChapterPlayerProgressView.h"
#include "app/chaptereditor/View/ChapterSingleView.h"
#include "app/chaptereditor/View/ChapterTableView.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QComboBox>
#include <QDialog>
#include <QDoubleValidator>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace ChapterMarkerRules;

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

QList<qint64> showTimes(const MarkerItemList &markers)
{
    QList<qint64> times;
    for (const auto &marker : markers)
        times.append(marker->markShowTime());
    return times;
}

} // namespace

ChapterEditorViewHost *ChapterEditorViewHost::current()
{
    return ControllerFunction::chapterEditController();
}

ChapterEditorWindowController::ChapterEditorWindowController(QWidget *parent)
{
    DW_ASSERT_MAIN_THREAD();
    m_player = std::make_unique<MainMoviePlayer>();
    m_player->setDelegate(this);
    m_player->setIsPreview(true);
    buildWindow(parent);
    buildAutoAddWindow();
    m_playerDisplayView->setPlayer(m_player.get());
}

ChapterEditorWindowController::~ChapterEditorWindowController()
{
    m_player->setDelegate(nullptr);
    m_player->clearPlayer();
    removeAllTiles();
    if (m_window) {
        m_window->removeEventFilter(this);
        delete m_window;
    }
}

// --- The sheet's widgets --------------------------------------------------------------------------

void ChapterEditorWindowController::buildWindow(QWidget *parent)
{
    m_window = new QDialog(parent);
    m_window->setObjectName(QStringLiteral("ChapterEditorWindowController"));
    m_window->setWindowTitle(text("Chapters"));
    m_window->setWindowModality(Qt::WindowModal);
    m_window->resize(900, 560);
    m_window->installEventFilter(this);
    connect(m_window, &QDialog::finished, this, [this] { windowWillClose(); });

    auto *back = new ChapterEditBackView(m_window);
    auto *outer = new QVBoxLayout(m_window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(back);
    auto *main = new QHBoxLayout(back);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    auto *list = new ChapterListBackView(back);
    list->setFixedWidth(360);
    auto *listLayout = new QVBoxLayout(list);
    listLayout->setContentsMargins(0, 0, 2, 0);
    m_scrollArea = new QScrollArea(list);
    m_scrollArea->setObjectName(QStringLiteral("chapterScrollView"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_chapterTableView = new ChapterTableView(m_scrollArea);
    m_scrollArea->setWidget(m_chapterTableView);
    m_scrollArea->setWidgetResizable(false);
    listLayout->addWidget(m_scrollArea);
    main->addWidget(list);

    auto *right = new QWidget(back);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    auto *playArea = new ChapterPlayAreaBackView(right);
    auto *playLayout = new QVBoxLayout(playArea);
    m_playerDisplayView = new ChapterPlayerDisplayView(playArea);
    m_playerDisplayView->setMinimumSize(320, 240);
    playLayout->addWidget(m_playerDisplayView);
    rightLayout->addWidget(playArea, 1);

    auto *controls = new ChapterPlayCtrBackView(right);
    auto *controlsLayout = new QVBoxLayout(controls);
    m_playerProgressView = new ChapterPlayerProgressView(controls);
    connect(m_playerProgressView, &ChapterPlayerProgressView::seek, this, [this](qint64 t) {
        seek(t);
    });
    controlsLayout->addWidget(m_playerProgressView);
    auto *row = new QHBoxLayout();
    const auto addButton = [&](const char *name, const char *title, auto action) {
        auto *button = new QPushButton(text(title), controls);
        button->setObjectName(QString::fromUtf8(name));
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, action);
        m_buttons.insert(QString::fromUtf8(name), button);
        row->addWidget(button);
        return button;
    };
    addButton("playPauseButton", "Play", [this] { playOrPausePlayer(); });
    addButton("preMarkerButton", "Previous Chapter", [this] { preMarkerAction(); });
    addButton("nextMarkerButton", "Next Chapter", [this] { nextMarkerAction(); });
    m_timeLabel = new QLabel(controls);
    m_timeLabel->setObjectName(QStringLiteral("currentPlayTimeStr"));
    m_timeLabel->setStyleSheet(QStringLiteral("color: white;"));
    m_timeLabel->setMinimumWidth(
        m_timeLabel->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00/00:00:00")) + 8);
    row->addWidget(m_timeLabel);
    row->addStretch(1);
    addButton("addMarkButton", "Add Chapter", [this] { addMarkButtonAction(); });
    addButton("removeMarkerButton", "Remove Chapter", [this] { removeSelectedMarker(); });
    controlsLayout->addLayout(row);
    rightLayout->addWidget(controls);

    auto *bottom = new ChapterEditBottomBackView(right);
    auto *bottomRow = new QHBoxLayout(bottom);
    addButton("autoAddButton", "Automatic Chapters...", [this] { autoAddChaptersButtonAction(); });
    bottomRow->addWidget(m_buttons.value(QStringLiteral("autoAddButton")));
    addButton("addChapterOnMenuButton", "Split into Titles", [this] { addChapterOnMenu(); });
    bottomRow->addWidget(m_buttons.value(QStringLiteral("addChapterOnMenuButton")));
    bottomRow->addStretch(1);
    addButton("doneButton", "Done", [this] { doneVideoEdit(); });
    bottomRow->addWidget(m_buttons.value(QStringLiteral("doneButton")));
    rightLayout->addWidget(bottom);
    main->addWidget(right, 1);

    // The bound controls follow their keys.
    connect(this, &ChapterEditorWindowController::currentPlayTimeStrChanged, this, [this] {
        m_timeLabel->setText(currentPlayTimeStr());
    });
    connect(this, &ChapterEditorWindowController::playPauseImageChanged, this, [this] {
        const bool playing = playPauseImage() == QStringLiteral("EditPause");
        QPushButton *button = m_buttons.value(QStringLiteral("playPauseButton"));
        const QImage image = ApplicationImage::imageNamed(playPauseImage());
        button->setToolTip(playing ? text("Pause") : text("Play"));
        button->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
        button->setText(image.isNull() ? button->toolTip() : QString());
    });
    connect(this, &ChapterEditorWindowController::addMarkButtonEnableChanged, this, [this] {
        m_buttons.value(QStringLiteral("addMarkButton"))->setEnabled(addMarkButtonEnable());
    });
    connect(this, &ChapterEditorWindowController::hasSelectedMarkerChanged, this, [this] {
        m_buttons.value(QStringLiteral("removeMarkerButton"))->setEnabled(hasSelectedMarker());
    });
}

void ChapterEditorWindowController::buildAutoAddWindow()
{
    m_autoAddChapterWindow = new QDialog(m_window);
    m_autoAddChapterWindow->setObjectName(QStringLiteral("autoAddChapterWindow"));
    m_autoAddChapterWindow->setWindowTitle(text("Automatic Chapters"));
    m_autoAddChapterWindow->setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(m_autoAddChapterWindow);
    auto *row = new QHBoxLayout();
    row->addWidget(new QLabel(text("Add a chapter every"), m_autoAddChapterWindow));
    m_autoAddPopBtn = new QComboBox(m_autoAddChapterWindow);
    m_autoAddPopBtn->setObjectName(QStringLiteral("autoAddPopBtn"));
    m_autoAddPopBtn->addItem(text("1 minute"), 1);
    for (const int minutes : {2, 5, 10, 15, 30})
        m_autoAddPopBtn->addItem(
            text("%ld minutes").replace(QStringLiteral("%ld"), QString::number(minutes)), minutes);
    m_autoAddPopBtn->addItem(text("Custom"), 0);
    connect(m_autoAddPopBtn, &QComboBox::activated, this, [this] { autoAddPopBtnAction(); });
    row->addWidget(m_autoAddPopBtn);
    m_customAddTimeGap = new QLineEdit(m_autoAddChapterWindow);
    m_customAddTimeGap->setObjectName(QStringLiteral("customAddTimeGap"));
    m_customAddTimeGap->setPlaceholderText(text("Seconds"));
    connect(m_customAddTimeGap, &QLineEdit::editingFinished, this, [this] {
        customAddChapterTimeFieldAction();
    });
    row->addWidget(m_customAddTimeGap);
    layout->addLayout(row);
    m_autoAddMessage = new QLabel(m_autoAddChapterWindow);
    m_autoAddMessage->setObjectName(QStringLiteral("autoAddMessage"));
    m_autoAddMessage->setText(text("The interval must be at least 1 second."));
    m_autoAddMessage->setVisible(false);
    layout->addWidget(m_autoAddMessage);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    auto *cancel = new QPushButton(text("Cancel"), m_autoAddChapterWindow);
    cancel->setObjectName(QStringLiteral("cancelAutoAddButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { cancelAutoAddAction(); });
    auto *apply = new QPushButton(text("Apply"), m_autoAddChapterWindow);
    apply->setObjectName(QStringLiteral("applyAutoAddButton"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, [this] { applyAutoAddChapterAction(); });
    buttons->addWidget(cancel);
    buttons->addWidget(apply);
    layout->addLayout(buttons);
    m_buttons.insert(QStringLiteral("applyAutoAddButton"), apply);
    m_buttons.insert(QStringLiteral("cancelAutoAddButton"), cancel);
    connect(this, &ChapterEditorWindowController::customChapterGapChanged, this, [this] {
        m_customAddTimeGap->setText(QString::number(double(m_customChapterGap)));
    });
}

QPushButton *ChapterEditorWindowController::button(const QString &name) const
{
    return m_buttons.value(name);
}

bool ChapterEditorWindowController::eventFilter(QObject *watched, QEvent *event)
{
    // The arrow keys that no control of the sheet took nudge the playhead.
    // The type first: the sheet's own teardown sends events while it is no longer a dialog.
    if (event->type() == QEvent::KeyPress && watched == m_window.data()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            if (key->key() == Qt::Key_Left)
                moveLeft();
            else
                moveRight();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ChapterEditorWindowController::announce(void (ChapterEditorWindowController::*signal)())
{
    platform::postToMainThread(this, [this, signal] { (this->*signal)(); });
}

void ChapterEditorWindowController::refreshControls()
{
    announce(&ChapterEditorWindowController::currentPlayTimeStrChanged);
    announce(&ChapterEditorWindowController::playPauseImageChanged);
    announce(&ChapterEditorWindowController::addMarkButtonEnableChanged);
    announce(&ChapterEditorWindowController::hasSelectedMarkerChanged);
}

// --- Opening and closing --------------------------------------------------------------------------

bool ChapterEditorWindowController::isOpen() const
{
    return m_window->isVisible();
}

void ChapterEditorWindowController::updateChapterWindowWithMedia(const MediaDataRef &clip)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!clip || clip->isOffline() || isOpen())
        return;
    m_media = clip;
    setVcMovie(clip->movie());
    removeAllTiles();
    // Stills are kept per time from this opening on.
    m_stills.clear();
    flushMediaMarkerArray();
    announce(&ChapterEditorWindowController::hasSelectedMarkerChanged);
    reloadTiles();
    m_closing = false;
    m_window->open();
    m_window->setFocus();
    m_player->seek(0);
    m_player->play();
    // The timeline takes the clip's length now, not only at its first frame.
    flushApplyPlayerProgress();
    refreshControls();
}

void ChapterEditorWindowController::doneVideoEdit()
{
    m_window->done(QDialog::Accepted);
}

void ChapterEditorWindowController::windowWillClose()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_closing || !m_media)
        return;
    m_closing = true;
    // A time still being typed counts.
    endTileEditing();
    m_player->pause();
    m_player->seek(0);
    announce(&ChapterEditorWindowController::playPauseImageChanged);
    announce(&ChapterEditorWindowController::currentPlayTimeStrChanged);
    const DVDTitleDataRef title = m_media->superData();
    setVcMovie(nullptr);
    m_media = nullptr;
    m_selectedMarker = nullptr;
    m_startShowMarker = nullptr;
    m_endShowMarker = nullptr;
    if (auto main = ControllerFunction::mainWndController()) {
        if (EditingProject *project = main->project()) {
            if (title && project->indexOfTitle(title) >= 0)
                project->noteTitleChanged(title);
            project->setEdited(true);
        }
    }
    m_closing = false;
}

void ChapterEditorWindowController::endTileEditing()
{
    for (ChapterSingleView *tile : m_markerItemViewArray)
        tile->commitTypedTime();
}

void ChapterEditorWindowController::setVcMovie(const VCMovieRef &movie)
{
    m_vcMovie = movie;
    if (!movie) {
        m_player->clearPlayer();
        return;
    }
    m_player->playMovies({});
    m_player->playMovies({movie});
}

// --- Derived lists -------------------------------------------------------------------------------

MovieTrimItemList ChapterEditorWindowController::segments() const
{
    const VCMovieRef movie = m_media ? m_media->movie() : nullptr;
    return movie ? movie->validTrimArray() : MovieTrimItemList();
}

MarkerItemList ChapterEditorWindowController::showMarkerArray()
{
    if (!m_startShowMarker) {
        m_startShowMarker = std::make_shared<MarkerItem>();
        m_endShowMarker = std::make_shared<MarkerItem>();
    }
    m_startShowMarker->setMarkShowTime(0);
    m_endShowMarker->setMarkShowTime(totalDuration(segments()));
    MarkerItemList list{m_startShowMarker};
    if (m_media) {
        for (const auto &marker : m_media->markerArray()) {
            if (marker->canShow())
                list.append(marker);
        }
    }
    list.append(m_endShowMarker);
    return list;
}

MarkerItemList ChapterEditorWindowController::markerArrayForDraw() const
{
    MarkerItemList list;
    if (m_media) {
        for (const auto &marker : m_media->markerArray()) {
            if (marker->canShow())
                list.append(marker);
        }
    }
    return list;
}

MarkerItemList ChapterEditorWindowController::markerArrayWithoutStartEnd()
{
    return showMarkerArray();
}

ChapterSingleView *
ChapterEditorWindowController::singleViewWithMarker(const MarkerItemRef &marker) const
{
    for (ChapterSingleView *tile : m_markerItemViewArray) {
        if (tile->marker() == marker)
            return tile;
    }
    return nullptr;
}

QImage ChapterEditorWindowController::stillAtOriginTime(qint64 t)
{
    const auto movie = m_media ? m_media->ffmovie() : nullptr;
    if (!movie)
        return {};
    const qint64 time = std::min<qint64>(t, movie->duration());
    const auto found = m_stills.constFind(time);
    if (found != m_stills.constEnd())
        return found.value();
    const QImage still = movie->thumbnailAtTimeSize(time, QSizeF(200, 200));
    ++m_stillsMade;
    m_stills.insert(time, still);
    return still;
}

// --- Keys ------------------------------------------------------------------------------------------

qint64 ChapterEditorWindowController::timelineCurrentTime() const
{
    return m_playerProgressView->currentTime();
}

QString ChapterEditorWindowController::currentPlayTimeStr() const
{
    return QStringLiteral("%1/%2").arg(
        CommonFunction::timeStrFromSecond(float(double(timelineCurrentTime()) / 1e6)),
        CommonFunction::timeStrFromSecond(float(double(m_playerProgressView->duration()) / 1e6)));
}

QString ChapterEditorWindowController::playPauseImage() const
{
    return m_player->isPlay() ? QStringLiteral("EditPause") : QStringLiteral("EditPlay");
}

bool ChapterEditorWindowController::addMarkButtonEnable()
{
    if (!m_media)
        return false;
    return mayAddAt(timelineCurrentTime(), showTimes(showMarkerArray()));
}

qint64 ChapterEditorWindowController::selectedMarkerTime() const
{
    return m_selectedMarker ? m_selectedMarker->markShowTime() : 0;
}

void ChapterEditorWindowController::setCustomChapterGap(float seconds)
{
    // An interval under a second would never end; the field keeps the last usable one.
    m_autoAddMessage->setVisible(!isUsableInterval(intervalSeconds(0, double(seconds))));
    if (isUsableInterval(intervalSeconds(0, double(seconds))))
        m_customChapterGap = seconds;
    announce(&ChapterEditorWindowController::customChapterGapChanged);
}

// --- Player --------------------------------------------------------------------------------------

void ChapterEditorWindowController::seek(qint64 t)
{
    m_player->seek(t);
}

void ChapterEditorWindowController::pause()
{
    m_player->pause();
}

void ChapterEditorWindowController::playOrPausePlayer()
{
    if (m_player->isPlay())
        m_player->pause();
    else
        m_player->play();
    announce(&ChapterEditorWindowController::playPauseImageChanged);
}

void ChapterEditorWindowController::imageDidFlushInPlayer(LMMoviePlayer *)
{
    flushApplyPlayerProgress();
}

void ChapterEditorWindowController::flushApplyPlayerProgress()
{
    if (!m_media)
        return;
    const qint64 duration = m_player->duration();
    m_playerProgressView->setDuration(duration);
    m_playerProgressView->setCurrentTime(std::min<qint64>(m_player->currentTime(), duration));
    m_playerProgressView->update();
    announce(&ChapterEditorWindowController::currentPlayTimeStrChanged);
    announce(&ChapterEditorWindowController::playPauseImageChanged);
    m_playerDisplayView->update();
    announce(&ChapterEditorWindowController::addMarkButtonEnableChanged);
}

void ChapterEditorWindowController::moveLeft()
{
    seek(nudgedTime(timelineCurrentTime(), m_playerProgressView->duration(), -1));
}

void ChapterEditorWindowController::moveRight()
{
    seek(nudgedTime(timelineCurrentTime(), m_playerProgressView->duration(), +1));
}

// --- Markers -------------------------------------------------------------------------------------

void ChapterEditorWindowController::redrawTimeline()
{
    m_playerProgressView->update();
}

void ChapterEditorWindowController::reloadTiles()
{
    m_chapterTableView->reloadView();
}

void ChapterEditorWindowController::removeAllTiles()
{
    for (ChapterSingleView *tile : m_markerItemViewArray) {
        tile->hide();
        tile->setParent(nullptr);
        tile->deleteLater();
    }
    m_markerItemViewArray.clear();
}

void ChapterEditorWindowController::flushMediaMarkerArray()
{
    if (!m_media)
        return;
    m_totalMediaDuation
        = float(lm_ff_time_to_double(refreshMarkers(m_media->markerArray(), segments())));
    if (m_selectedMarker && !m_selectedMarker->canShow())
        m_selectedMarker = nullptr;
    redrawTimeline();
}

void ChapterEditorWindowController::updateMarkerOriginTime(const MarkerItemRef &marker)
{
    if (const auto origin = originTimeForShow(marker->markShowTime(), segments()))
        marker->setMarkOriginTime(*origin);
}

MarkerItemRef ChapterEditorWindowController::createNewMakerWithTime(qint64 t)
{
    auto marker = std::make_shared<MarkerItem>();
    marker->setMarkShowTime(t);
    marker->setMarkOriginTime(originTimeForShow(t, segments()).value_or(0));
    marker->setCanShow(true);
    MarkerItemList markers = m_media->markerArray();
    markers.insert(std::min(insertionIndex(markers, marker->markOriginTime()), markers.size()),
                   marker);
    m_media->setMarkerArray(markers);
    return marker;
}

void ChapterEditorWindowController::addMarkButtonAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_media)
        return;
    const MarkerItemRef marker = createNewMakerWithTime(timelineCurrentTime());
    updateSelectedMarker(marker);
    redrawTimeline();
    reloadTiles();
    announce(&ChapterEditorWindowController::addMarkButtonEnableChanged);
}

void ChapterEditorWindowController::updateMaker(const MarkerItemRef &marker, qint64 t)
{
    if (!marker || !m_media)
        return;
    const MarkerItemList shown = showMarkerArray();
    const qsizetype at = shown.indexOf(marker);
    if (at <= 0 || at >= shown.size() - 1)
        return;
    const auto moved
        = clampedMoveTime(t, shown[at - 1]->markShowTime(), shown[at + 1]->markShowTime());
    if (!moved)
        return;
    marker->setMarkShowTime(*moved);
    updateMarkerOriginTime(marker);
    seek(*moved);
    redrawTimeline();
}

void ChapterEditorWindowController::setSelectedMarkerTime(qint64 t)
{
    if (!m_selectedMarker)
        return;
    const MarkerItemRef marker = m_selectedMarker;
    updateMaker(marker, t);
    if (ChapterSingleView *tile = singleViewWithMarker(marker))
        tile->initAllControl();
}

void ChapterEditorWindowController::removeSelectedMarker()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_selectedMarker || !m_media)
        return;
    if (ChapterSingleView *tile = singleViewWithMarker(m_selectedMarker)) {
        m_markerItemViewArray.removeOne(tile);
        tile->hide();
        tile->setParent(nullptr);
        tile->deleteLater();
    }
    MarkerItemList markers = m_media->markerArray();
    markers.removeOne(m_selectedMarker);
    m_media->setMarkerArray(markers);
    redrawTimeline();
    updateSelectedMarker(nullptr);
    reloadTiles();
    announce(&ChapterEditorWindowController::addMarkButtonEnableChanged);
}

void ChapterEditorWindowController::updateSelectedMarker(const MarkerItemRef &marker)
{
    m_selectedMarker = marker;
    for (ChapterSingleView *tile : m_markerItemViewArray)
        tile->update();
    announce(&ChapterEditorWindowController::hasSelectedMarkerChanged);
    redrawTimeline();
}

void ChapterEditorWindowController::preMarkerAction()
{
    if (const auto t
        = previousPointTime(timelineCurrentTime(), showTimes(markerArrayWithoutStartEnd())))
        seek(*t);
}

void ChapterEditorWindowController::nextMarkerAction()
{
    if (const auto t
        = nextPointTime(timelineCurrentTime(), showTimes(markerArrayWithoutStartEnd())))
        seek(*t);
}

// --- Automatic chapters ----------------------------------------------------------------------------

void ChapterEditorWindowController::autoAddChaptersButtonAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_media)
        return;
    m_customChapterGap = 60.0f;
    m_customAddTimeGap->setText(QString::number(double(m_customChapterGap)));
    m_autoAddMessage->setVisible(false);
    p_flushHiddenCustomGapField();
    m_autoAddChapterWindow->show();
}

void ChapterEditorWindowController::autoAddPopBtnAction()
{
    p_flushHiddenCustomGapField();
}

void ChapterEditorWindowController::p_flushHiddenCustomGapField()
{
    m_customAddTimeGap->setVisible(m_autoAddPopBtn->currentData().toInt() == 0);
}

void ChapterEditorWindowController::customAddChapterTimeFieldAction()
{
    bool ok = false;
    const double typed = m_customAddTimeGap->text().trimmed().toDouble(&ok);
    setCustomChapterGap(ok ? float(typed) : 0.0f);
}

void ChapterEditorWindowController::applyAutoAddChapterAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_media)
        return;
    const int tag = m_autoAddPopBtn->currentData().toInt();
    if (tag == 0 && m_customAddTimeGap->isModified()) {
        // The custom field's edit ends first.
        m_customAddTimeGap->setModified(false);
        customAddChapterTimeFieldAction();
    }
    bool typedOk = true;
    const double typed = m_customAddTimeGap->text().trimmed().toDouble(&typedOk);
    const int interval
        = intervalSeconds(tag, tag == 0 && typedOk ? typed : double(m_customChapterGap));
    if (!isUsableInterval(interval)) {
        // Nothing changes; the dialog stays up with the reason.
        m_autoAddMessage->setVisible(true);
        return;
    }
    updateSelectedMarker(nullptr);
    removeAllTiles();
    m_media->setMarkerArray({});
    flushMediaMarkerArray();
    for (const qint64 t : automaticTimes(double(m_totalMediaDuation), interval))
        createNewMakerWithTime(t);
    flushMediaMarkerArray();
    announce(&ChapterEditorWindowController::hasSelectedMarkerChanged);
    redrawTimeline();
    reloadTiles();
    announce(&ChapterEditorWindowController::addMarkButtonEnableChanged);
    m_autoAddChapterWindow->hide();
}

void ChapterEditorWindowController::cancelAutoAddAction()
{
    m_autoAddChapterWindow->hide();
}

// --- Split -----------------------------------------------------------------------------------------

void ChapterEditorWindowController::addChapterOnMenu()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_media)
        return;
    endTileEditing();
    m_lastSplitMessage.clear();
    const MediaDataRef clip = m_media;
    const ChapterSplit::Result result = ChapterSplit::splitClip(clip);
    if (result.outcome == ChapterSplit::Result::Outcome::CopyFailed) {
        // Nothing was changed; the sheet stays so that the person reads why.
        m_lastSplitMessage = text("The clip could not be copied, so it was not split.");
        qCWarning(Discwright::lcShell) << "Add Chapter on menu:" << result.reason;
        auto *alert = new QMessageBox(
            QMessageBox::Warning, text("Chapters"), m_lastSplitMessage, QMessageBox::Ok, m_window);
        alert->setObjectName(QStringLiteral("chapterSplitAlert"));
        alert->setAttribute(Qt::WA_DeleteOnClose);
        alert->setInformativeText(text("The clip and its chapters are as they were."));
        alert->open();
        return;
    }
    if (result.outcome == ChapterSplit::Result::Outcome::Split) {
        if (auto main = ControllerFunction::mainWndController())
            main->addNewMenuTitleWithMedias(result.newClips, clip->superData());
        // The title stills follow the clip's new segments (the first clip of its title).
        if (auto main = ControllerFunction::mainWndController())
            main->updateMenuItemTitleImageWithMedia(*clip);
        TitleStillRefresh::b_updateTitleUseImageWhenVideoEditChanged();
    }
    qCInfo(Discwright::lcShell, "Add Chapter on menu");
    doneVideoEdit();
}
