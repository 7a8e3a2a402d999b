#pragma once

// The chapter editor: a window-modal sheet over the main window that edits the chapter markers of
// one clip in place. It plays the clip with its edits on the trimmed timeline, adds a marker at
// the playhead, moves one by the timeline or by its tile, removes the selected one, steps between
// the points, replaces all markers by one every N minutes (the automatic chapter dialog, an
// application-modal dialog over the sheet) and splits the clip into menu titles at its markers.
// Every change goes into the clip's markerArray at once; closing marks the project edited.
//
// One instance for the life of the process, made by the main window controller. Main thread only
// (asserted where a window calls in).

#include "Reelsmith/player/LMMoviePlayerDelegate.h"
#include "app/AppExtention/Convert/MainMoviePlayer.h"
#include "app/chaptereditor/ChapterEditorViewHost.h"

#include <QDialog>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class ChapterPlayerDisplayView;
class ChapterPlayerProgressView;
class ChapterTableView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QWidget;

class ChapterEditorWindowController : public QObject,
                                      public ChapterEditorViewHost,
                                      public LMMoviePlayerDelegate
{
    Q_OBJECT
    Q_PROPERTY(QString currentPlayTimeStr READ currentPlayTimeStr NOTIFY currentPlayTimeStrChanged)
    Q_PROPERTY(QString playPauseImage READ playPauseImage NOTIFY playPauseImageChanged)
    Q_PROPERTY(bool addMarkButtonEnable READ addMarkButtonEnable NOTIFY addMarkButtonEnableChanged)
    Q_PROPERTY(bool hasSelectedMarker READ hasSelectedMarker NOTIFY hasSelectedMarkerChanged)
    Q_PROPERTY(qint64 selectedMarkerTime READ selectedMarkerTime WRITE setSelectedMarkerTime)
    Q_PROPERTY(float totalMediaDuation READ totalMediaDuation)
    Q_PROPERTY(float customChapterGap READ customChapterGap WRITE setCustomChapterGap NOTIFY
                   customChapterGapChanged)
public:
    // parent is the window the sheet attaches to.
    explicit ChapterEditorWindowController(QWidget *parent);
    ~ChapterEditorWindowController() override;

    // --- Opening and closing --------------------------------------------------------------------
    // Opens the sheet on clip; an offline clip (no media) does not open.
    void updateChapterWindowWithMedia(const MediaDataRef &clip);
    // Closes the sheet; the closing steps run once whenever the sheet closes, however.
    void doneVideoEdit();
    bool isOpen() const;

    // --- State (ChapterEditorViewHost) ----------------------------------------------------------
    MediaDataRef media() const override { return m_media; }
    MarkerItemRef selectedMarker() const override { return m_selectedMarker; }
    QList<ChapterSingleView *> &markerItemViewArray() override { return m_markerItemViewArray; }
    MarkerItemList showMarkerArray();
    MarkerItemList markerArrayForDraw() const override;
    MarkerItemList markerArrayWithoutStartEnd();
    QImage stillAtOriginTime(qint64 t) override;
    // How many stills were decoded since the process started (a reload makes only new ones).
    int stillsMade() const { return m_stillsMade; }

    QString currentPlayTimeStr() const;
    QString playPauseImage() const;
    bool addMarkButtonEnable();
    bool hasSelectedMarker() const { return m_selectedMarker != nullptr; }
    qint64 selectedMarkerTime() const;
    float totalMediaDuation() const { return m_totalMediaDuation; }
    float customChapterGap() const { return m_customChapterGap; }
    // Values under one second are refused: the field shows the value kept.
    void setCustomChapterGap(float seconds);

    MainMoviePlayer *player() const { return m_player.get(); }
    VCMovieRef vcMovie() const { return m_vcMovie; }
    void setVcMovie(const VCMovieRef &movie);

    // --- Actions --------------------------------------------------------------------------------
    void seek(qint64 t);
    void pause();
    void playOrPausePlayer();
    void moveLeft();
    void moveRight();
    void addMarkButtonAction();
    void removeSelectedMarker();
    void preMarkerAction();
    void nextMarkerAction();
    void autoAddChaptersButtonAction();
    void autoAddPopBtnAction();
    void customAddChapterTimeFieldAction();
    void applyAutoAddChapterAction();
    void cancelAutoAddAction();
    // Splits the clip at its markers into menu titles, then closes the sheet.
    void addChapterOnMenu();

    void updateSelectedMarker(const MarkerItemRef &marker) override;
    void updateMaker(const MarkerItemRef &marker, qint64 t) override;
    void setSelectedMarkerTime(qint64 t) override;
    MarkerItemRef createNewMakerWithTime(qint64 t);
    void updateMarkerOriginTime(const MarkerItemRef &marker);
    void flushMediaMarkerArray();
    ChapterSingleView *singleViewWithMarker(const MarkerItemRef &marker) const;

    void imageDidFlushInPlayer(LMMoviePlayer *player) override;

    // --- Widgets --------------------------------------------------------------------------------
    QDialog *window() const { return m_window; }
    ChapterPlayerProgressView *playerProgressView() const { return m_playerProgressView; }
    ChapterPlayerDisplayView *playerDisplayView() const { return m_playerDisplayView; }
    ChapterTableView *chapterTableView() const { return m_chapterTableView; }
    QScrollArea *chapterScrollView() const { return m_scrollArea; }
    QDialog *autoAddChapterWindow() const { return m_autoAddChapterWindow; }
    QComboBox *autoAddPopBtn() const { return m_autoAddPopBtn; }
    QLineEdit *customAddTimeGap() const { return m_customAddTimeGap; }
    QLabel *autoAddMessage() const { return m_autoAddMessage; }
    QPushButton *button(const QString &name) const;
    QLabel *timeLabel() const { return m_timeLabel; }
    // The message of the last split that could not be made; empty otherwise.
    QString lastSplitMessage() const { return m_lastSplitMessage; }

signals:
    void currentPlayTimeStrChanged();
    void playPauseImageChanged();
    void addMarkButtonEnableChanged();
    void hasSelectedMarkerChanged();
    void customChapterGapChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow(QWidget *parent);
    void buildAutoAddWindow();
    void windowWillClose();
    void flushApplyPlayerProgress();
    void p_flushHiddenCustomGapField();
    void removeAllTiles();
    void reloadTiles();
    void redrawTimeline();
    // Commits a time typed in a tile and not yet applied.
    void endTileEditing();
    // The notice of key: its NOTIFY signal on a later turn of the main loop.
    void announce(void (ChapterEditorWindowController::*signal)());
    void refreshControls();
    MovieTrimItemList segments() const;
    qint64 timelineCurrentTime() const;

    std::unique_ptr<MainMoviePlayer> m_player;
    MediaDataRef m_media;
    VCMovieRef m_vcMovie;
    MarkerItemRef m_selectedMarker;
    MarkerItemRef m_startShowMarker;
    MarkerItemRef m_endShowMarker;
    QList<ChapterSingleView *> m_markerItemViewArray;
    float m_totalMediaDuation = 0.0f;
    float m_customChapterGap = 60.0f;
    // Stills by origin time, kept from the sheet's opening until the next one.
    QHash<qint64, QImage> m_stills;
    int m_stillsMade = 0;
    bool m_closing = false;
    QString m_lastSplitMessage;

    QPointer<QDialog> m_window;
    ChapterPlayerProgressView *m_playerProgressView = nullptr;
    ChapterPlayerDisplayView *m_playerDisplayView = nullptr;
    ChapterTableView *m_chapterTableView = nullptr;
    QScrollArea *m_scrollArea = nullptr;
    QLabel *m_timeLabel = nullptr;
    QHash<QString, QPushButton *> m_buttons;
    QDialog *m_autoAddChapterWindow = nullptr;
    QComboBox *m_autoAddPopBtn = nullptr;
    QLineEdit *m_customAddTimeGap = nullptr;
    QLabel *m_autoAddMessage = nullptr;
};
