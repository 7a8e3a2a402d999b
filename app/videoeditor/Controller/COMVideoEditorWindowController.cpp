#include "app/videoeditor/Controller/COMVideoEditorWindowController.h"

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/Convert/VideoEditPlayer.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "app/AppExtention/TitleStillRefresh.h"
#include "app/videoeditor/Controller/VideoEditTrimRules.h"
#include "app/videoeditor/Controller/VideoEditValueTransformers.h"
#include "app/videoeditor/View/COMVEPlayerDisplayView.h"
#include "app/videoeditor/View/COMVEProgressBarView.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

using namespace COMVEProgressBarGeometry;

COMVideoEditorWindowController::COMVideoEditorWindowController(MainWindowControllerInterface &main,
                                                               QWidget *parent)
    : QDialog(parent)
    , m_main(main)
    , m_player(std::make_unique<VideoEditPlayer>())
{
    DW_ASSERT_MAIN_THREAD();
    setObjectName("COMVideoEditorWindowController");
    setWindowModality(Qt::WindowModal);
    m_player->setDelegate(this);
    buildWindow();
    m_display->setPlayer(m_player.get());
    m_progressBar->setDelegate(this);
}

COMVideoEditorWindowController::~COMVideoEditorWindowController()
{
    m_player->setDelegate(nullptr);
    m_player->clearPlayer();
}

void COMVideoEditorWindowController::buildWindow()
{
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left, 3);

    m_display = new COMVEPlayerDisplayView(this);
    left->addWidget(m_display, 1);
    m_progressBar = new COMVEProgressBarView(this);
    left->addWidget(m_progressBar);

    auto *controls = new QHBoxLayout;
    m_playButton = new QPushButton(this);
    m_playButton->setObjectName("playPauseButton");
    m_previewButton = new QPushButton(this);
    m_previewButton->setObjectName("playTrimButton");
    m_timeLabel = new QLabel(this);
    m_timeLabel->setObjectName("currentPlayTimeLabel");
    controls->addWidget(m_playButton);
    controls->addWidget(m_previewButton);
    controls->addWidget(m_timeLabel);
    controls->addStretch(1);
    left->addLayout(controls);

    auto *trimRow = new QHBoxLayout;
    m_addButton = new QPushButton(platform::localizedString("Add"), this);
    m_addButton->setObjectName("addTrimButton");
    m_deleteButton = new QPushButton(platform::localizedString("Delete"), this);
    m_deleteButton->setObjectName("deleteTrimButton");
    m_resetButton = new QPushButton(platform::localizedString("Reset"), this);
    m_resetButton->setObjectName("resetTrimButton");
    m_trimStartField = new QLineEdit(this);
    m_trimStartField->setObjectName("trimStartField");
    m_trimEndFiled = new QLineEdit(this);
    m_trimEndFiled->setObjectName("trimEndFiled");
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_addButton, m_deleteButton, m_resetButton, m_trimStartField, m_trimEndFiled})
        trimRow->addWidget(w);
    left->addLayout(trimRow);

    auto *audioRow = new QHBoxLayout;
    m_audioTrackPopBtn = new QComboBox(this);
    m_audioTrackPopBtn->setObjectName("audioTrackPopBtn");
    m_volumeSlider = new QSlider(Qt::Horizontal, this);
    m_volumeSlider->setObjectName("volumeSlider");
    m_volumeSlider->setRange(0, 300);
    m_volumeField = new QLineEdit(this);
    m_volumeField->setObjectName("volumeField");
    m_doneButton = new QPushButton(platform::localizedString("Done"), this);
    m_doneButton->setObjectName("doneButton");
    audioRow->addWidget(m_audioTrackPopBtn);
    audioRow->addWidget(m_volumeSlider, 1);
    audioRow->addWidget(m_volumeField);
    audioRow->addWidget(m_doneButton);
    left->addLayout(audioRow);

    auto *right = new QVBoxLayout;
    root->addLayout(right, 2);
    m_rightEditSegment = new QTabBar(this);
    m_rightEditSegment->setObjectName("rightEditSegment");
    m_rightEditSegment->addTab(platform::localizedString("Picture"));
    m_rightEditSegment->addTab(platform::localizedString("Subtitle"));
    m_rightTabView = new QStackedWidget(this);
    m_rightTabView->setObjectName("rightTabView");
    m_rightTabView->addWidget(buildPicturePage());
    m_rightTabView->addWidget(buildSubtitlePage());
    right->addWidget(m_rightEditSegment);
    right->addWidget(m_rightTabView, 1);

    connect(m_playButton, &QPushButton::clicked, this, [this] { playOrPausePlayer(); });
    connect(m_previewButton, &QPushButton::clicked, this, [this] { playTrimAction(); });
    connect(m_addButton, &QPushButton::clicked, this, [this] { addTrimAction(); });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { deleteTrimAction(); });
    connect(m_resetButton, &QPushButton::clicked, this, [this] { resetTrimAction(); });
    connect(m_doneButton, &QPushButton::clicked, this, [this] { doneVideoEdit(); });
    connect(m_trimStartField, &QLineEdit::editingFinished, this, [this] {
        setSelectedStartTime(FFMovieTime2PlayTimeMsStringTransformer::reverseTransformedValue(
            m_trimStartField->text()));
        flushSelectedTrimStartStop(true);
    });
    connect(m_trimEndFiled, &QLineEdit::editingFinished, this, [this] {
        setSelectedEndTime(FFMovieTime2PlayTimeMsStringTransformer::reverseTransformedValue(
            m_trimEndFiled->text()));
        flushSelectedTrimStartStop(false);
    });
    connect(m_audioTrackPopBtn, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        submenuStreamsItemAction(m_audioTrackPopBtn->itemData(index).toInt());
    });
    connect(m_volumeSlider, &QSlider::valueChanged, this, [this](int value) {
        if (m_refreshing)
            return;
        setVolume(float(value) / 100.0f);
        changeVolumeUseSlider();
    });
    connect(m_volumeField, &QLineEdit::editingFinished, this, [this] {
        changeVolumeUseField(m_volumeField->text().toDouble());
    });
    connect(m_rightEditSegment, &QTabBar::currentChanged, this, [this](int segment) {
        rightEditSegmentChanged(segment);
    });
    // The sheet blocks the main menu, so its Delete is its own.
    auto *deleteKey = new QShortcut(QKeySequence::Delete, this);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (deleteTrimButtonEnable())
            deleteTrimAction();
    });
    for (auto signal : {&COMVideoEditorWindowController::progressChanged,
                        &COMVideoEditorWindowController::playerStatusChanged,
                        &COMVideoEditorWindowController::selectedTimesChanged,
                        &COMVideoEditorWindowController::volumeChanged,
                        &COMVideoEditorWindowController::cropRectChanged,
                        &COMVideoEditorWindowController::zoomTypeChanged,
                        &COMVideoEditorWindowController::effectChanged,
                        &COMVideoEditorWindowController::subtitleChanged})
        connect(this,
                signal,
                this,
                &COMVideoEditorWindowController::refreshControls,
                Qt::QueuedConnection);
    resize(1000, 640);
}

std::shared_ptr<VCMovie> COMVideoEditorWindowController::vcMovie() const
{
    return m_player->vcMovie();
}

void COMVideoEditorWindowController::showAlert(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning,
                                QString(),
                                text,
                                QMessageBox::Ok,
                                isVisible() ? static_cast<QWidget *>(this) : m_main.sheetParent());
    box->setObjectName("videoEditorAlert");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void COMVideoEditorWindowController::updateWindowWithMedia(const MediaDataRef &clip)
{
    DW_ASSERT_MAIN_THREAD();
    if (!clip)
        return;
    if (clip->isOffline()) {
        showAlert(
            platform::localizedString("The clip \"%@\" cannot be opened: its file is missing.",
                                      {QFileInfo(clip->path()).fileName()}));
        return;
    }
    m_media = clip;
    const std::shared_ptr<VCMovie> movie = clip->movie();
    m_player->setOldMovieTrimStart(movie->trimStart());
    m_player->setOldMovieTrimStop(movie->trimStop());
    m_player->setVcMovie(movie);
    m_isPlayTrim = false;
    m_player->setIsPreview(false);
    m_progressBar->setSelectedTrimIndex(kNoSelection);
    m_rightEditSegment->setCurrentIndex(0);
    flushMovieAttribute();
    updateAudioTrackVolumePopBtn();
    m_volume = float(movie->movie()->volume());
    emit volumeChanged();
    m_closing = false;
    open();
    setFocus();
    m_player->seek(0);
    m_player->play();
    flushProgressTimeLabel();
    flushPlayerProgress();
}

MovieTrimItemList COMVideoEditorWindowController::trimArray() const
{
    const auto movie = vcMovie();
    return movie ? movie->trimArray() : MovieTrimItemList{};
}

void COMVideoEditorWindowController::noteClipChanged()
{
    if (!m_media)
        return;
    EditingProject *project = m_main.project();
    const DVDTitleDataRef title = m_media->superData();
    if (project && title)
        project->noteTitleChanged(title);
}

void COMVideoEditorWindowController::setTrimArray(const MovieTrimItemList &trims)
{
    DW_ASSERT_MAIN_THREAD();
    const auto movie = vcMovie();
    if (!movie)
        return;
    movie->setTrimArray(trims);
    noteClipChanged();
    m_progressBar->update();
}

// --- Player ---------------------------------------------------------------------------------------

void COMVideoEditorWindowController::seek(int64_t t)
{
    m_player->seek(t);
}

void COMVideoEditorWindowController::pause()
{
    m_player->pause();
}

void COMVideoEditorWindowController::playOrPausePlayer()
{
    if (m_player->isPlay())
        m_player->pause();
    else
        m_player->play();
    emit playerStatusChanged();
}

void COMVideoEditorWindowController::playTrimAction()
{
    m_player->setIsPreview(!m_player->isPreview());
    m_isPlayTrim = !m_isPlayTrim;
    if (m_isPlayTrim) {
        const MovieTrimItemList trims = trimArray();
        if (!trims.isEmpty())
            m_player->seek(trims.first()->startTime());
        m_player->play();
    }
    emit playerStatusChanged();
}

void COMVideoEditorWindowController::flushPlayerImage()
{
    m_player->flushPlayImage();
}

void COMVideoEditorWindowController::imageDidFlushInPlayer(LMMoviePlayer *)
{
    flushPlayerProgress();
}

void COMVideoEditorWindowController::flushPlayerProgress()
{
    const int64_t duration = m_player->duration();
    m_progressBar->setDuration(duration);
    m_progressBar->setCurrentTime(std::min(m_player->currentTime(), duration));
    m_progressBar->update();
    emit progressChanged();
    emit playerStatusChanged();
    m_display->update();
}

void COMVideoEditorWindowController::flushProgressTimeLabel()
{
    emit selectedTimesChanged();
    if (m_progressBar->selectedTrimIndex() >= trimArray().size())
        m_progressBar->setSelectedTrimIndex(kNoSelection);
    m_progressBar->update();
}

// --- Trims ----------------------------------------------------------------------------------------

void COMVideoEditorWindowController::addTrimAction()
{
    m_progressBar->addTrimAction();
    flushProgressTimeLabel();
    emit progressChanged();
}

void COMVideoEditorWindowController::deleteTrimAction()
{
    m_progressBar->deleteSelectedTrimAction();
    if (m_isPlayTrim) {
        m_isPlayTrim = false;
        m_player->setIsPreview(false);
        emit playerStatusChanged();
    }
    flushProgressTimeLabel();
    emit progressChanged();
}

void COMVideoEditorWindowController::resetTrimAction()
{
    setTrimArray({});
    m_progressBar->setSelectedTrimIndex(kNoSelection);
    m_progressBar->update();
    m_isPlayTrim = false;
    m_player->setIsPreview(false);
    flushPlayerProgress();
    flushProgressTimeLabel();
}

QString COMVideoEditorWindowController::currentPlayTimeStr() const
{
    return QStringLiteral("%1/%2").arg(
        VideoEditTrimRules::timeStrFromSecond(double(m_progressBar->currentTime()) / 1000000.0),
        VideoEditTrimRules::timeStrFromSecond(double(m_progressBar->duration()) / 1000000.0));
}

bool COMVideoEditorWindowController::previewTrimEnable() const
{
    return !trimArray().isEmpty();
}

bool COMVideoEditorWindowController::deleteTrimButtonEnable() const
{
    return m_progressBar->selectedTrimIndex() < kMaxTrimCount;
}

bool COMVideoEditorWindowController::trimCountLessThanFive() const
{
    return trimArray().size() < kMaxTrimCount;
}

bool COMVideoEditorWindowController::addTrimEnable() const
{
    return VideoEditTrimRules::addTrimEnable(
        trimArray(), m_progressBar->currentTime(), m_progressBar->duration());
}

qint64 COMVideoEditorWindowController::selectedStartTime() const
{
    const int index = m_progressBar->selectedTrimIndex();
    const MovieTrimItemList trims = trimArray();
    return isNoSelection(index) || index >= trims.size() ? 0 : trims[index]->startTime();
}

qint64 COMVideoEditorWindowController::selectedEndTime() const
{
    const int index = m_progressBar->selectedTrimIndex();
    const MovieTrimItemList trims = trimArray();
    return isNoSelection(index) || index >= trims.size() ? 0 : trims[index]->stopTime();
}

void COMVideoEditorWindowController::setSelectedStartTime(qint64 ticks)
{
    if (const auto edge = VideoEditTrimRules::setSelectedStartTime(
            trimArray(), m_progressBar->selectedTrimIndex(), ticks)) {
        m_doSeek = edge->doSeek;
        setTrimArray(edge->trims);
        emit selectedTimesChanged();
    }
}

void COMVideoEditorWindowController::setSelectedEndTime(qint64 ticks)
{
    if (const auto edge = VideoEditTrimRules::setSelectedEndTime(
            trimArray(), m_progressBar->selectedTrimIndex(), ticks, m_player->duration())) {
        m_doSeek = edge->doSeek;
        setTrimArray(edge->trims);
        emit selectedTimesChanged();
    }
}

void COMVideoEditorWindowController::flushSelectedTrimStartStop(bool fromStartField)
{
    const bool seekAfter = m_doSeek;
    setSelectedStartTime(selectedStartTime());
    setSelectedEndTime(selectedEndTime());
    if (seekAfter)
        seek(fromStartField ? selectedStartTime() : selectedEndTime());
    m_doSeek = false;
    m_progressBar->update();
}

// --- Audio and volume -----------------------------------------------------------------------------

void COMVideoEditorWindowController::updateAudioTrackVolumePopBtn()
{
    if (!m_media)
        return;
    m_refreshing = true;
    m_audioTrackPopBtn->clear();
    const auto movie = m_media->ffmovie();
    const qsizetype count = movie ? movie->audioStreams().size() : 0;
    for (const auto &entry : VideoEditTrimRules::audioTrackEntries(count))
        m_audioTrackPopBtn->addItem(entry.title, entry.tag);
    m_audioTrackPopBtn->setCurrentIndex(
        m_audioTrackPopBtn->findData(int(m_media->audioTreamTag())));
    m_audioTrackPopBtn->setToolTip(platform::localizedString("Track"));
    m_refreshing = false;
}

void COMVideoEditorWindowController::submenuStreamsItemAction(int tag)
{
    if (!m_media || tag == m_media->audioTreamTag())
        return;
    if (const auto movie = m_media->ffmovie())
        movie->setSelectAudioStreams(VideoEditTrimRules::audioStreamsForTag(tag));
    seek(m_progressBar->currentTime());
    m_media->setAudioTreamTag(tag);
    noteClipChanged();
}

void COMVideoEditorWindowController::setVolume(float volume)
{
    m_volume = volume;
    emit volumeChanged();
}

void COMVideoEditorWindowController::changeVolumeUseSlider()
{
    if (const auto movie = m_media ? m_media->ffmovie() : nullptr) {
        movie->setVolume(m_volume);
        noteClipChanged();
    }
}

void COMVideoEditorWindowController::changeVolumeUseField(double percent)
{
    setVolume(VideoEditTrimRules::volumeFromField(percent));
    changeVolumeUseSlider();
}

// --- Window ---------------------------------------------------------------------------------------

void COMVideoEditorWindowController::rightEditSegmentChanged(int segment)
{
    m_rightTabView->setCurrentIndex(segment != 0 ? 1 : 0);
}

void COMVideoEditorWindowController::doneVideoEdit()
{
    accept();
}

void COMVideoEditorWindowController::done(int result)
{
    // Every way the sheet goes (Done, Escape, a close while a colour or font panel is in front)
    // runs the close sequence once before the sheet ends.
    windowWillClose();
    QDialog::done(result);
}

void COMVideoEditorWindowController::windowWillClose()
{
    DW_ASSERT_MAIN_THREAD();
    if (m_closing || !m_media)
        return;
    m_closing = true;
    // A field still in editing commits first.
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
    m_player->pause();
    m_progressBar->setSelectedTrimIndex(kNoSelection);
    if (m_isPlayTrim) {
        m_isPlayTrim = false;
        m_player->setIsPreview(false);
    }
    m_player->seek(0);
    emit playerStatusChanged();
    emit progressChanged();
    m_main.changeCapacityValue();
    noteClipChanged();
    if (const auto dvd = m_main.dvd())
        TitlePageEdits::updateMenuItemTitleImageWithMedia(*dvd, *m_media, m_main.tempDataArray());
    m_player->clearPlayer();
    m_media.reset();
    TitleStillRefresh::b_updateTitleUseImageWhenVideoEditChanged();
    if (EditingProject *project = m_main.project())
        project->setEdited(true);
}

void COMVideoEditorWindowController::refreshControls()
{
    m_refreshing = true;
    const bool open = bool(m_media);
    m_timeLabel->setText(currentPlayTimeStr());
    m_playButton->setText(m_player->isPlay() ? platform::localizedString("Pause")
                                             : platform::localizedString("Play"));
    m_previewButton->setText(m_isPlayTrim ? platform::localizedString("Stop Preview")
                                          : platform::localizedString("Preview Trims"));
    m_previewButton->setEnabled(open && previewTrimEnable());
    m_addButton->setEnabled(open && addTrimEnable() && trimCountLessThanFive());
    m_deleteButton->setEnabled(open && deleteTrimButtonEnable());
    const bool selected = open && deleteTrimButtonEnable();
    m_trimStartField->setEnabled(selected);
    m_trimEndFiled->setEnabled(selected);
    if (!m_trimStartField->hasFocus())
        m_trimStartField->setText(
            FFMovieTime2PlayTimeMsStringTransformer::transformedValue(selectedStartTime()));
    if (!m_trimEndFiled->hasFocus())
        m_trimEndFiled->setText(
            FFMovieTime2PlayTimeMsStringTransformer::transformedValue(selectedEndTime()));
    m_volumeSlider->setValue(qRound(m_volume * 100.0f));
    if (!m_volumeField->hasFocus())
        m_volumeField->setText(QString::number(qRound(m_volume * 100.0f)));
    refreshSettingControls();
    m_refreshing = false;
}
