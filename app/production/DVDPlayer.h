#pragma once

#include "app/AppExtention/Convert/MultiMoviePlayer.h"
#include "app/production/DVDPlayerNavigation.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <cstdint>

/**
 * The preview's simulated DVD player: it plays a production copy of the disc (titles of
 * production chapters, menu pages) the way a set-top player would: the warning title first, then
 * the first-play target, menus with a highlight that follows the mouse, buttons, titles and
 * chapters, previous and next chapter, the return to the menu, and what follows the end of each
 * menu or title. What follows what is the disc model's own jump rules, the same ones that go into
 * the authored disc; DVDPlayerNavigation makes those decisions and this class plays them: every
 * target becomes a list of clips played back to back (a page as its page video, a chapter as the
 * clips of its whole title from the chapter's start, nothing as a one-second placeholder).
 *
 * Always in preview mode. Owned by the preview window, which is its delegate. Main thread only:
 * the window's mouse and button events and the player's 0.05 s timer both run there.
 */
class DVDPlayer : public MultiMoviePlayer
{
public:
    // The length of the silent clip that stands for a target with nothing to play.
    static constexpr int64_t kPlaceholderUs = 1000000;

    // Starts in preview mode.
    DVDPlayer();
    ~DVDPlayer() override;

    DVDLibraryRef dvd() const { return m_navigation.dvd(); }
    void setDvd(const DVDLibraryRef &dvd) { m_navigation.setDvd(dvd); }

    // What plays now: a page, a chapter, or null (the placeholder).
    ObjectRef current_play() const { return m_navigation.current_play(); }
    ObjectRef lastMenu() const { return m_navigation.lastMenu(); }
    bool play_warn_video() const { return m_navigation.play_warn_video(); }
    QImage dvd_highlight_image() const { return m_navigation.dvd_highlight_image(); }
    QRectF dvd_highlight_rect() const { return m_navigation.dvd_highlight_rect(); }
    // Nothing followed the last title of a disc without menus: paused until the window asks for
    // something to play.
    bool isStoppedAtEnd() const { return m_stoppedAtEnd; }

    // Back to idle: the disc is dropped and its warning plays again at the next start.
    void clearPlayer() override;
    void resetDVDPlayer() { m_navigation.resetDVDPlayer(); }

    // Plays item (a button, a page, a chapter; null starts the disc from the beginning).
    void playDVDItem(const ObjectRef &item);
    // The mouse as fractions of the shown picture (0 to 1, y up).
    void clickPoint(QPointF fraction);
    void moveAtPoint(QPointF fraction) { m_navigation.moveAtPoint(fraction); }
    DVDMenuItemRef findItemAtPoint(QPointF fraction) const
    {
        return m_navigation.findItemAtPoint(fraction);
    }
    QImage getDVDHighlightImage() const { return m_navigation.getDVDHighlightImage(); }

    // The window's buttons.
    void playMenu();
    void playPrevious();
    void playNext();
    bool canPlayMenu() const { return firstMenu() != nullptr; }
    bool canPlayPrevious() const { return currentPlayItemRelative(-1) != nullptr; }
    bool canPlayNext() const { return currentPlayItemRelative(1) != nullptr; }

    DVDMenuRef firstMenu() const { return m_navigation.firstMenu(); }
    qsizetype indexOfMenu(const ObjectRef &menu) const { return m_navigation.indexOfMenu(menu); }
    DVDMenuRef currentPlayMenu() const { return m_navigation.currentPlayMenu(); }
    ObjectRef currentPlayTitle() const { return m_navigation.currentPlayTitle(); }
    ObjectRef getWarnDVDTitle() const { return m_navigation.getWarnDVDTitle(); }
    static ObjectRef findChapterIn(const ObjectList &chapters, int64_t t)
    {
        return Discwright::DVDPlayerNavigation::findChapterIn(chapters, t);
    }
    // The chapter offset places from the one at the playhead, within the title that plays.
    ObjectRef currentPlayItemRelative(int offset) const
    {
        return m_navigation.currentPlayItemRelative(offset, currentTime());
    }

    // The inherited bounds, then the tick for the clip itself (a page keeps its music in step).
    void updatePlayerPlaySegment() override;
    // The end of the current target: what the rules name after it.
    void timeIsAfterAllMovieTime() override;

private:
    // Never empty: a target with nothing to play gets the placeholder, so that a seek always
    // finds a clip and an end is only ever reached by playing.
    VCMovieList clipsForStart(const Discwright::DVDPlayerNavigation::Start &start) const;

    Discwright::DVDPlayerNavigation m_navigation;
    bool m_stoppedAtEnd = false;
};
