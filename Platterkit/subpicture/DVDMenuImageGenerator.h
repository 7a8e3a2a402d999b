#pragma once

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QSize>
#include <QString>

/**
 * Draws the three subpicture layers of one menu page ("menu_highlight", "menu_select",
 * "menu_image") at the DVD picture size, for spumux and for the preview's highlight. When the
 * installed DVDLibraryHooks has a layer drawer the application draws the layer; otherwise the
 * library colours the whole layer and leaves a 10-pixel border around each title picture.
 *
 * Made per run with its page and project; used on one thread at a time.
 */
class DVDMenuImageGenerator
{
public:
    DVDMenuImageGenerator() = default;
    DVDMenuImageGenerator(DVDMenuRef menu, DVDLibraryRef dvd);

    DVDMenuRef menu() const { return m_menu; }
    void setMenu(const DVDMenuRef &menu) { m_menu = menu; }
    DVDLibraryRef dvd() const { return m_dvd; }
    void setDvd(const DVDLibraryRef &dvd) { m_dvd = dvd; }

    // The project's DVD picture size (720 x 576 PAL, 720 x 480 otherwise); NTSC without a project.
    QSize getDVDVideoFormatSize() const;

    // The library's own colour of a layer; unknown names get the highlight colour.
    static QColor colorForLayerName(const QString &name);

    // A new transparent RGBA bitmap of the DVD picture size with the layer drawn; null only when
    // the bitmap cannot be made.
    QImage generatorImageForName(const QString &name) const;
    // Draws the layer and writes it as a 32-bit RGBA PNG at path, replacing any file there in one
    // step. False (with lastError) when the layer cannot be drawn or the file cannot be written.
    bool generatorImageForNameToPath(const QString &name, const QString &path) const;

    // One rectangle per valid item that is neither text nor button: its frame in DVD pixels (y
    // up), shrunk by 10 pixels on every side.
    static QPainterPath hightlightMaskForMenuDvd(const DVDMenu &menu, const DVDLibrary *dvd);

    QString lastError() const { return m_lastError; }

private:
    void drawLibraryLayer(QPainter &context, const QString &name, QSize size) const;

    DVDMenuRef m_menu;
    DVDLibraryRef m_dvd;
    mutable QString m_lastError;
};
