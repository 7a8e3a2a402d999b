#pragma once

#include "app/AppExtention/Convert/TempDvdData.h"

#include <QColor>
#include <QPainterPath>
#include <QSizeF>
#include <QString>

class DVDLibrary;
class DVDMenu;
class DVDMenuImageGenerator;
class QPainter;

// The application's drawing of a menu page's subpicture layers for spumux and for the preview's
// highlight: every button becomes a ring in the project's border colour and width, with rounded
// corners and an optional fill ("menu_highlight"), a translucent black area ("menu_select"), or
// nothing visible at rest ("menu_image"). Edges are hard, so that each layer keeps to the few
// colours a subpicture holds.
//
// Plain functions over the generator's page; the thread that draws the layer (the production
// thread, or the preview's player) calls them. The project's border settings are read once per
// layer.
namespace DVDMenuImageGeneratorCustomImage {

// The border settings of one layer, taken from the project's TempDvdData.
struct BorderStyle
{
    // Invalid stands for "no colour chosen".
    QColor borderColor;
    double borderWidth = 0.0;
    bool useFill = false;
    QColor fillColor;

    static BorderStyle fromTempDvdData(const TempDvdData &data);
};

// The outline of every button of a layer (outer) and what remains inside its border (inner), in
// DVD pixels, y up.
struct LayerPaths
{
    QPainterPath outer;
    QPainterPath inner;
};

// The settings a page of disc is drawn with: those a production disc carries (ProductionInput);
// else, on the main thread, the project's, through the installed main window controller; null
// without either (a spumux worker never asks the window).
TempDvdDataRef getMenuItemImageDrawData(const DVDLibrary *disc);

// The colour of a layer: the border colour for "menu_highlight" (a translucent blue when none is
// chosen), translucent black for "menu_select", an almost clear white for "menu_image"; invalid
// for any other name.
QColor colorForLayerName(const QString &name, const BorderStyle &style);

// The button areas of page at the DVD picture size dvdSize: every valid element that is not
// static, scaled as spumux's button areas are and grown by one pixel, with the border width
// limited to 30 % of the area's width and height and the corner radius to half its sides.
LayerPaths layerPathsForMenu(const DVDMenu &page, QSizeF dvdSize, double borderWidth);

// Draws layer name of the generator's page into context (a transparent bitmap of the DVD picture
// size, y up) with style; the size argument is not used. Unknown names and a generator without a
// page draw nothing. The painter's state is restored.
void drawLayer(const DVDMenuImageGenerator &generator,
               const QString &name,
               const BorderStyle &style,
               QPainter &context);

// The layer drawer the application installs: drawLayer with the project's border settings (the
// record's defaults without a main window controller).
void drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                              QSizeF size,
                              const QString &name,
                              QPainter &context);

} // namespace DVDMenuImageGeneratorCustomImage
