#pragma once

// The chapter editor's picture: the player's current frame with the clip's edits, fitted into the
// view on dark grey (black where there is no picture yet). Main thread.

#include <QWidget>

class MoviePlayer;

class ChapterPlayerDisplayView : public QWidget
{
    Q_OBJECT
public:
    explicit ChapterPlayerDisplayView(QWidget *parent = nullptr);

    // Not owned: the chapter editor's player, which outlives the view.
    MoviePlayer *player() const { return m_player; }
    void setPlayer(MoviePlayer *player) { m_player = player; }
    // Draw the frame without the clip's edits; the chapter editor never sets it.
    bool showOrigin() const { return m_showOrigin; }
    void setShowOrigin(bool show) { m_showOrigin = show; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MoviePlayer *m_player = nullptr;
    bool m_showOrigin = false;
};
