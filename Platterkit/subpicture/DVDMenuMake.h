#pragma once

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/subpicture/SpumuxButton.h"
#include "Platterkit/tools/ToolStep.h"

#include <QList>
#include <QMutex>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

/**
 * The production step that lays a menu page's buttons into its menu video: it writes the spumux
 * XML and the three subpicture layers into the work folder, runs spumux with the menu video on its
 * standard input and the result file on its standard output, and removes its temporary files.
 *
 * Prepared once on any thread, started once on the production thread (start blocks until spumux
 * exits); progress and cancel may be called from any thread meanwhile.
 */
class DVDMenuMake : public ToolStep
{
public:
    // A DVD menu page holds at most this many buttons.
    static constexpr qsizetype maximumButtonsPerPage = 36;

    // Prepares the run for page menu of project dvd: video is the menu video read, path the menu
    // stream written, work the work folder. Runs nothing yet.
    void makeMenuDvdPathVideoWork(const DVDMenuRef &menu,
                                  const DVDLibraryRef &dvd,
                                  const QString &path,
                                  const QString &video,
                                  const QString &work);
    // The run itself, on the calling thread. True only when spumux laid a subpicture into path;
    // otherwise path is removed and lastError says why.
    bool makeMenuHelperDvdPathVideoWork(const DVDMenuRef &menu,
                                        const DVDLibraryRef &dvd,
                                        const QString &path,
                                        const QString &video,
                                        const QString &work);

    // Bytes of the menu stream written so far over the bytes of the menu video (at least 1000).
    double progress() const override;

    QString input() const;

    // The spumux XML of the page: one button per element that becomes a button, in items order.
    static QString xmlConfigForMenuDvd(const DVDMenu &menu, const DVDLibrary &dvd);
    // The buttons of the page, as in the XML.
    static QList<SpumuxButton> buttonsForMenuDvd(const DVDMenu &menu, const DVDLibrary &dvd);
    // rect (menu points, y up) scaled from menuSize to fitSize pixels, grown to whole pixels,
    // clipped to the picture and cut down to even numbers; still y up.
    static QRectF scaleRectMenuSizeFitSize(const QRectF &rect, QSizeF menuSize, QSizeF fitSize);
    static QSize getDVDVideoFormatSize(const DVDLibrary &dvd);

    // Why the page cannot become a DVD menu (too many buttons, or a page that is not part of the
    // project); empty when it can. Checked before anything is written or run.
    static QString checkMenuDvd(const DVDMenu &menu, const DVDLibrary &dvd);
    // Why a spumux run that ended with status exitStatus and wrote errorOutput on its standard
    // error did not lay a subpicture into the stream at outputPath; empty when it did.
    static QString
    spumuxFailure(int exitStatus, const QString &errorOutput, const QString &outputPath);

private:
    mutable QMutex m_lock;
    QString m_input;
};
