#pragma once

#include "Platterkit/model/DVDLibrary.h"
#include "Reelsmith/player/LMMoviePlayerDelegate.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class DVDPlayer;
class PreviewDisplayView;
class PreviewProgressView;
class QLabel;
class QPushButton;
class QWidget;

// The preview's controls and its player: the simulated DVD player plays a fresh production copy
// of the disc each time the window opens (the source given at creation, getDVDObj in the
// program), the display shows its pictures, the seek bar and the time follow every new frame, and
// play/pause, previous, next and menu go to the player.
//
// Owned by the preview window controller, with its view. Main thread only; the player tells it of
// new frames on the main thread.
class PreviewViewController : public QObject, public LMMoviePlayerDelegate
{
    Q_OBJECT
public:
    using DiscSource = std::function<DVDLibraryRef()>;

    PreviewViewController(DiscSource discSource, QWidget *parent);
    ~PreviewViewController() override;

    QWidget *view() const { return m_view; }
    DVDPlayer *player() const { return m_player.get(); }
    PreviewDisplayView *displayView() const { return m_displayView; }
    PreviewProgressView *progressView() const { return m_progressView; }
    QPushButton *playButton() const { return m_playButton; }
    QPushButton *backwardButton() const { return m_backwardButton; }
    QPushButton *forwardButton() const { return m_forwardButton; }
    QPushButton *menuButton() const { return m_menuButton; }
    QLabel *timeLabel() const { return m_timeLabel; }

    // A new production copy in the player, started at the disc's beginning.
    void updatePlayerMovie();
    // Stops, takes a new copy, seeks to 0 and refreshes the controls.
    void readyToPlay();
    void play();
    void stop();
    // Stops and empties the player: no disc, no clips, no sound.
    void clearPlayer();
    void seek(int64_t timeUs);

    void playPauseAction();
    void backwardAction();
    void forwardAction();
    void openMenuAction();

    void imageDidFlushInPlayer(LMMoviePlayer *player) override;
    void flushPlayerProgress();

    // Two "%02d:%02d:%02d" times, the bar's time and its duration, joined by "/".
    QString playTimeString() const;
    QString playPauseImageName() const;
    bool playButtonEnable() const { return true; }
    bool backwardButtonEnable() const { return true; }
    bool forwardButtonEnable() const { return true; }
    bool menuButtonEnable() const { return true; }

private:
    void refreshButtons();

    DiscSource m_discSource;
    std::unique_ptr<DVDPlayer> m_player;
    QWidget *m_view = nullptr;
    PreviewDisplayView *m_displayView = nullptr;
    PreviewProgressView *m_progressView = nullptr;
    QPushButton *m_playButton = nullptr;
    QPushButton *m_backwardButton = nullptr;
    QPushButton *m_forwardButton = nullptr;
    QPushButton *m_menuButton = nullptr;
    QLabel *m_timeLabel = nullptr;
};
