#pragma once

#include "platform/Object.h"

#include <QString>
#include <memory>

class DVDLibrary;
class DVDMenu;

/**
 * Writes a disc model as the control file of dvdauthor: a video manager with a first-play chain,
 * and one title set whose menu domain holds one chain per menu page plus a command-only root menu,
 * and whose title domain holds one chain per title. The disc's navigation lives entirely in the
 * DVD virtual machine commands written here, which use five general registers:
 *
 *   g1  number of the menu page last shown (0: none); the root menu dispatches on it
 *   g2  1 while a title returns to the root menu, so that the root menu keeps g1
 *   g3  scratch (the highlighted button while a page starts); "g3=0;" is the do-nothing command
 *   g4  1 while the auto-play sequence runs; every page and every button clears it
 *   g5  93 once the warning title has played
 *
 * Menu page k is menus[k-1] with the stream "menu<k-1>.dvd"; DVD title n is titles[n-1] with the
 * stream "title<n-1>.dvd". Which elements become buttons and their names come from
 * Platterkit::MenuButtons, shared with the spumux step.
 *
 * Meant for the production model, whose titles conform to DVDTitleVideo. The writer does not
 * change the library and cannot fail: whatever cannot be numbered becomes "g3=0;". Use from the
 * thread that owns the library.
 */
class DVDAuthorXML
{
public:
    explicit DVDAuthorXML(const DVDLibrary &library);
    virtual ~DVDAuthorXML();

    // The whole document: no declaration line, no indentation, no final line break.
    QString authorContent() const;

    // Extra attributes for the menu video element: the library's own (none unless a specialised
    // library gives some); a specialised writer may override this as well.
    virtual QString customDVDMenuVideoOptions() const;

    // A dvdauthor time "HH:MM:SS.hh" (hours not wrapped), truncated toward zero.
    static QString dvdCellTimeString(double seconds);

    // The command that goes to object: a page, a chapter or a title; "g3=0;" for null or for
    // anything that is not found in the disc.
    QString actionForDVDElement(const ObjectRef &object) const;
    // The command of an element's button: where the element leads when activated.
    QString actionForJumpButton(const ObjectRef &element) const;
    // The command that ends a page: the page again, the next page of its chain, or the first
    // element's target, as the disc's options say.
    QString actionForMenuPostItem(const ObjectRef &page) const;
    // The command that ends a title: the command for next, or the return to the menu when null.
    QString actionForTitlePostJump(const ObjectRef &next) const;
    // Chapters need no command of their own.
    QString actionForChapterVideo(const ObjectRef &chapter) const;

private:
    QString titleChain(const ObjectRef &title,
                       qsizetype titleIndex,
                       const QString &warningGuard,
                       const QString &warningEnd) const;
    QString menuChain(const std::shared_ptr<DVDMenu> &page, qsizetype pageIndex) const;

    const DVDLibrary &m_library;
};
