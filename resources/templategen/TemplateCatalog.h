#pragma once

// The menu templates the application ships: which background, frame and button set each uses, how
// many title slots it has, and where slots and buttons go on the 16:9 and 4:3 pages.

#include "BackgroundArt.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantMap>

namespace templategen {

enum class ButtonRow { Spread, Right, Centre };

struct TemplateSpec
{
    QString category;
    QString name;
    BackgroundStyle style;
    int slotCount;     // 1, 2, 3, 4 or 6 title frames
    QString frame;     // a frame name of frameNames()
    QString buttonSet; // a set name of buttonSets()
    ButtonRow row;
    Theme theme;
};

// Positions as fractions of the page, y growing upwards from the bottom edge, as Template.plist
// stores them.
struct PageLayout
{
    QList<QRectF> frames;
    QPointF previous;
    QPointF next;
    QPointF play;
};

const QList<TemplateSpec> &templateCatalog();

// The page size in points of each aspect: 854 x 480 for 16:9, 640 x 480 for 4:3.
QSizeF pageSize(bool wide);
PageLayout layoutFor(const TemplateSpec &spec, bool wide);

// The Template.plist dictionary: "FrameRate169" and "FrameRate43" layouts.
QVariantMap templateDictionary(const TemplateSpec &spec);

// A stable seed for the template's scattered shapes, the same on every machine.
uint64_t seedFor(const TemplateSpec &spec);

} // namespace templategen
