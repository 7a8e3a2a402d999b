#pragma once

// The video editor: a window-modal sheet on the main window that edits one clip in place. Every
// control writes straight into the live clip (its VCMovie and engine movie) and tells the project
// that the clip's title changed, so the title list and the gauge follow; Done (or any other close)
// runs the close sequence once: capacity, rows, menu stills, edited mark. There is no Cancel.
//
// The main window makes the one editor and keeps it for its life; the editor reaches the main
// window only through MainWindowControllerInterface. Main thread only.

#include "Reelsmith/player/LMMoviePlayerDelegate.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"
#include "app/videoeditor/View/COMVEProgressBarViewDelegate.h"

#include <QDialog>
#include <QRectF>
#include <functional>
#include <memory>

class COMVEPlayerDisplayView;
class COMVEProgressBarView;
class MainWindowControllerInterface;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QStackedWidget;
class QTabBar;
class VCMovie;
class VideoEditPlayer;

class COMVideoEditorWindowController : public QDialog,
                                       public LMMoviePlayerDelegate,
                                       public COMVEProgressBarViewDelegate
{
    Q_OBJECT
    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool isPlayTrim READ isPlayTrim NOTIFY playerStatusChanged)
    Q_PROPERTY(QString currentPlayTimeStr READ currentPlayTimeStr NOTIFY progressChanged)
    Q_PROPERTY(bool previewTrimEnable READ previewTrimEnable NOTIFY progressChanged)
    Q_PROPERTY(bool deleteTrimButtonEnable READ deleteTrimButtonEnable NOTIFY progressChanged)
    Q_PROPERTY(bool trimCountLessThanFive READ trimCountLessThanFive NOTIFY progressChanged)
    Q_PROPERTY(bool addTrimEnable READ addTrimEnable NOTIFY progressChanged)
    Q_PROPERTY(qint64 selectedStartTime READ selectedStartTime WRITE setSelectedStartTime NOTIFY
                   selectedTimesChanged)
    Q_PROPERTY(qint64 selectedEndTime READ selectedEndTime WRITE setSelectedEndTime NOTIFY
                   selectedTimesChanged)
    Q_PROPERTY(QRectF cropRect READ cropRect WRITE setCropRect NOTIFY cropRectChanged)
    Q_PROPERTY(int zoomType READ zoomType WRITE setZoomType NOTIFY zoomTypeChanged)
    Q_PROPERTY(QString effectName READ effectName WRITE setEffectName NOTIFY effectChanged)
    Q_PROPERTY(bool hflip READ hflip WRITE setHflip NOTIFY effectChanged)
    Q_PROPERTY(bool vflip READ vflip WRITE setVflip NOTIFY effectChanged)
    Q_PROPERTY(float rotate READ rotate WRITE setRotate NOTIFY effectChanged)
    Q_PROPERTY(float saturation READ saturation WRITE setSaturation NOTIFY effectChanged)
    Q_PROPERTY(float brightness READ brightness WRITE setBrightness NOTIFY effectChanged)
    Q_PROPERTY(float contrast READ contrast WRITE setContrast NOTIFY effectChanged)
    Q_PROPERTY(float hue READ hue WRITE setHue NOTIFY effectChanged)
    Q_PROPERTY(float sharpness READ sharpness WRITE setSharpness NOTIFY effectChanged)
    Q_PROPERTY(QString subtitlePath READ subtitlePath NOTIFY subtitleChanged)
    Q_PROPERTY(qulonglong subtitleEncoding READ subtitleEncoding WRITE setSubtitleEncoding NOTIFY
                   subtitleChanged)
public:
    COMVideoEditorWindowController(MainWindowControllerInterface &main, QWidget *parent);
    ~COMVideoEditorWindowController() override;

    // Opens the sheet on the clip and starts playing it from the timeline's start. An offline
    // clip does not open: an alert names its file.
    void updateWindowWithMedia(const MediaDataRef &clip);

    MediaDataRef media() const { return m_media; }
    std::shared_ptr<VCMovie> vcMovie() const;
    VideoEditPlayer *player() const { return m_player.get(); }
    COMVEProgressBarView *playerProgressBarView() const { return m_progressBar; }
    COMVEPlayerDisplayView *originPlayerView() const { return m_display; }

    // The trims of the clip; a new list replaces it whole, through the project.
    MovieTrimItemList trimArray() const override;
    void setTrimArray(const MovieTrimItemList &trims) override;

    // --- Player -----------------------------------------------------------------------------------
    void seek(int64_t t) override;
    void pause() override;
    void playOrPausePlayer();
    void playTrimAction();
    void flushPlayerImage();
    void flushPlayerProgress() override;
    void flushProgressTimeLabel() override;
    void imageDidFlushInPlayer(LMMoviePlayer *player) override;

    // --- Trims ------------------------------------------------------------------------------------
    void addTrimAction();
    void deleteTrimAction();
    void resetTrimAction();
    bool isPlayTrim() const { return m_isPlayTrim; }
    QString currentPlayTimeStr() const;
    bool previewTrimEnable() const;
    bool deleteTrimButtonEnable() const;
    bool trimCountLessThanFive() const;
    bool addTrimEnable() const;
    qint64 selectedStartTime() const;
    qint64 selectedEndTime() const;
    void setSelectedStartTime(qint64 ticks);
    void setSelectedEndTime(qint64 ticks);
    // A time field's editing ended: both clamps again, and a seek to the edge typed.
    void flushSelectedTrimStartStop(bool fromStartField);

    // --- Audio and volume -------------------------------------------------------------------------
    void updateAudioTrackVolumePopBtn();
    void submenuStreamsItemAction(int tag);
    float volume() const { return m_volume; }
    void setVolume(float volume);
    void changeVolumeUseSlider();
    void changeVolumeUseField(double percent);

    // --- Picture (the Setting source file) --------------------------------------------------------
    QRectF cropRect() const;
    void setCropRect(const QRectF &rect);
    QRectF maxCropRect() const;
    int zoomType() const;
    void setZoomType(int type);
    QString effectName() const;
    void setEffectName(const QString &name);
    bool hflip() const;
    void setHflip(bool on);
    bool vflip() const;
    void setVflip(bool on);
    float rotate() const;
    void setRotate(float degrees);
    float saturation() const;
    void setSaturation(float value);
    float brightness() const;
    void setBrightness(float value);
    float contrast() const;
    void setContrast(float value);
    float hue() const;
    void setHue(float value);
    float sharpness() const;
    void setSharpness(float value);
    void rotateLeft();
    void rotateRight();
    void hvFlip(bool vertical);
    void resetCrop();
    void resetEffect();
    void resetRotate();
    void flushMovieAttribute();

    // --- Subtitles (the Setting source file) ------------------------------------------------------
    QString subtitlePath() const;
    quint64 subtitleEncoding() const;
    void setSubtitleEncoding(quint64 encoding);
    // Reads the file in the chosen encoding with its fall-backs and opens it as the clip's
    // subtitle. A file that cannot be read or does not open as subtitles keeps the earlier path,
    // text and subtitle, and an alert says so; the answer is whether the new file took.
    bool openSubtitlePath(const QString &path);
    void subtitleChooseFile();
    void subtitleChooseEncoding();
    // Where the subtitle file comes from: the main window hands in its open panel.
    void setSubtitleFileChooser(std::function<QString(QWidget *)> chooser)
    {
        m_chooseSubtitleFile = std::move(chooser);
    }

    // --- Window -----------------------------------------------------------------------------------
    void doneVideoEdit();
    void rightEditSegmentChanged(int segment);
    QTabBar *rightEditSegment() const { return m_rightEditSegment; }
    QStackedWidget *rightTabView() const { return m_rightTabView; }
    QLineEdit *trimStartField() const { return m_trimStartField; }
    QLineEdit *trimEndFiled() const { return m_trimEndFiled; }
    QComboBox *audioTrackPopBtn() const { return m_audioTrackPopBtn; }
    QLineEdit *volumeField() const { return m_volumeField; }
    QPushButton *addTrimButton() const { return m_addButton; }
    QPushButton *deleteTrimButton() const { return m_deleteButton; }
    QPushButton *doneButton() const { return m_doneButton; }
    QComboBox *subtitleEncodingPopBtn() const { return m_encodingPopBtn; }

signals:
    void volumeChanged();
    void playerStatusChanged();
    void progressChanged();
    void selectedTimesChanged();
    void cropRectChanged();
    void zoomTypeChanged();
    void effectChanged();
    void subtitleChanged();

protected:
    void done(int result) override;

private:
    void buildWindow();
    QWidget *buildPicturePage();
    QWidget *buildSubtitlePage();
    void windowWillClose();
    void noteClipChanged();
    void refreshControls();
    void refreshSettingControls();
    void showAlert(const QString &text);

    MainWindowControllerInterface &m_main;
    MediaDataRef m_media;
    std::unique_ptr<VideoEditPlayer> m_player;
    bool m_isPlayTrim = false;
    float m_volume = 1.0f;
    bool m_doSeek = false;
    bool m_closing = false;
    std::function<QString(QWidget *)> m_chooseSubtitleFile;

    COMVEProgressBarView *m_progressBar = nullptr;
    COMVEPlayerDisplayView *m_display = nullptr;
    QTabBar *m_rightEditSegment = nullptr;
    QStackedWidget *m_rightTabView = nullptr;
    QLineEdit *m_trimStartField = nullptr;
    QLineEdit *m_trimEndFiled = nullptr;
    QLabel *m_timeLabel = nullptr;
    QPushButton *m_playButton = nullptr;
    QPushButton *m_previewButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_doneButton = nullptr;
    QComboBox *m_audioTrackPopBtn = nullptr;
    QSlider *m_volumeSlider = nullptr;
    QLineEdit *m_volumeField = nullptr;
    QDoubleSpinBox *m_cropFields[4] = {};
    QComboBox *m_zoomPopBtn = nullptr;
    QComboBox *m_effectPopBtn = nullptr;
    QSlider *m_colourSliders[5] = {};
    QComboBox *m_encodingPopBtn = nullptr;
    QLabel *m_subtitlePathLabel = nullptr;
    bool m_refreshing = false;
};
