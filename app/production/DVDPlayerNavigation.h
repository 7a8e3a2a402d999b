#pragma once

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "platform/Object.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <cstdint>

namespace Discwright {

/**
 * What the simulated DVD player decides, without playing anything: which target plays after a
 * button, a menu, a chapter or the disc start; the warning title before everything else; the page
 * a title returns to; the button under the mouse and its highlight; the chapters before and after
 * the playhead; and what follows when a target ends. The jumps themselves are the disc model's own
 * (DVDLibrary::jumpForActionItem), the rules the authored disc follows too; this class adds the
 * warning title, the highlight, chapter stepping and the fallbacks when the rules name nothing.
 *
 * DVDPlayer owns one and turns its answers into clips. Plain state, no locking: used on the
 * thread that owns the player (the main thread).
 */
class DVDPlayerNavigation
{
public:
    // The layer of the disc's highlight shapes, as the subpicture step draws it for the disc.
    static const QString kHighlightLayerName;

    // What to play for a target: the target itself (a page, a chapter or null) and, for a chapter,
    // the chapters of its whole title with the start of the target among them.
    struct Start
    {
        ObjectRef target;
        // The chapters whose clips play back to back: every chapter of the target's title, or the
        // target alone when no title of the disc holds it; empty for anything but a chapter.
        ObjectList chapters;
        // Engine time on the joined clips at which the target starts.
        int64_t startUs = 0;
    };

    // What follows the end of the current target.
    struct End
    {
        enum class Action {
            // Start item (null: the disc start).
            Play,
            // Nothing follows on a disc without menus: stay paused.
            Stop,
        };
        Action action = Action::Play;
        ObjectRef item;
    };

    DVDLibraryRef dvd() const { return m_dvd; }
    void setDvd(const DVDLibraryRef &dvd) { m_dvd = dvd; }

    // A page (DVDMenuPage), a chapter (DVDChapterVideo) or null.
    ObjectRef current_play() const { return m_currentPlay; }
    // The page a title returns to when the jump rules name nothing after it.
    ObjectRef lastMenu() const { return m_lastMenu; }
    // The warning title has been dealt with: played, or the disc has none.
    bool play_warn_video() const { return m_playWarnVideo; }
    // The current page's highlight layer in menu space (menuSize pixels, top row first); null
    // while no page plays.
    QImage dvd_highlight_image() const { return m_highlightImage; }
    // The frame of the last button under the mouse, menu points, y up; empty before any.
    QRectF dvd_highlight_rect() const { return m_highlightRect; }

    // Back to the state of a new player: the warning plays again at the next start.
    void clear();
    // Forgets what plays and the page to return to.
    void resetDVDPlayer();

    // Null on a disc without menus; otherwise the first main page (no parent) in menus order.
    DVDMenuRef firstMenu() const;
    // Position in the disc's menus; -1 on a disc without menus or for a page not in the list.
    qsizetype indexOfMenu(const ObjectRef &menu) const;
    // current_play when it is a page, else null.
    DVDMenuRef currentPlayMenu() const;
    // The title of the chapter that plays, or null.
    ObjectRef currentPlayTitle() const;
    // The first title of the disc that is the warning title, or null.
    ObjectRef getWarnDVDTitle() const;

    // The first chapter whose stretch [s, s + duration) holds t (engine time, durations summed
    // as truncated engine time); null when t lies at or past the end.
    static ObjectRef findChapterIn(const ObjectList &chapters, int64_t t);
    // The chapter offset places from the one at playheadUs (the last chapter when the playhead is
    // past them all) within the title that plays; null when no title plays or the result lies
    // outside its chapters.
    ObjectRef currentPlayItemRelative(int offset, int64_t playheadUs) const;

    // The first valid, non-static element of the current page, in items order, whose frame holds
    // fraction (0..1 of the picture's width and height, y up) scaled to the page size; null when
    // no page plays.
    DVDMenuItemRef findItemAtPoint(QPointF fraction) const;
    // Highlights the element under fraction; off every element the last highlight stays.
    void moveAtPoint(QPointF fraction);
    // The highlight layer cut to the highlighted frame grown by half a point on every side, on a
    // transparent picture of the whole page (menuSize pixels, top row first); null before any
    // element has been highlighted, while no page plays, or when the cut lies outside the page.
    QImage getDVDHighlightImage() const;

    // Decides what playing item (a button, a page, a chapter, or null for the disc start) leads
    // to, and makes it current: the warning title first, a title's first chapter, the page to
    // return to, and a page's highlight layer.
    Start playDVDItem(const ObjectRef &item);
    // What follows the end of the current target.
    End targetDidEnd();

private:
    bool hasMenus() const;
    void loadHighlightLayer(const DVDMenuRef &menu);

    DVDLibraryRef m_dvd;
    ObjectRef m_currentPlay;
    ObjectRef m_lastMenu;
    bool m_playWarnVideo = false;
    QImage m_highlightImage;
    QRectF m_highlightRect;
};

} // namespace Discwright
