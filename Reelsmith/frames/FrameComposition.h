#pragma once

#include "Reelsmith/frames/LMPictureSettings.h"
#include "Reelsmith/imaging/Filter.h"
#include "Reelsmith/imaging/Image.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <memory>

// The steps the frame image and the effect stream share when they compose an edited picture:
// the fitting rules, the zoom placement, the colour filters and the text subtitle. Plain
// functions of their arguments; any thread (text needs a running QGuiApplication).
namespace Reelsmith::detail {

using FilterList = QList<std::shared_ptr<imaging::Filter>>;

/** r fitted into b keeping its aspect, centred: k = max of the ratios (single precision, >= 0.001). */
QRectF scaleRectIn(const QRectF &r, const QRectF &b);
/** r at b's full width (k = r.width / b.width, single precision, >= 0.001), centred; may overflow b. */
QRectF scaleRectPanscan(const QRectF &r, const QRectF &b);

/**
 * The rect a picture of extent e goes to in r for zoom type z: 1 stretch, 2 and 5 fit, 3 a 16:9
 * frame, 4 a 4:3 frame, 6 pan and scan. Another type gives the zero rect (known false).
 */
QRectF zoomTarget(const QRectF &e, int32_t z, const QRectF &r, bool *known = nullptr);
/** The same placement for a rect; a zoom type outside 1 to 6 answers rect itself. */
QRectF imageRectZoomTypeInRect(const QRectF &rect, int32_t z, const QRectF &r);
/**
 * image placed into r by zoom type z: centred on the origin, scaled (single precision) about its
 * centre to the target's size and moved to the target's centre. An unknown type gives an image
 * scaled to nothing.
 */
imaging::Image imageZoomTypeInRect(const imaging::Image &image, int32_t z, const QRectF &r);

/**
 * The colour filters of the settings, each only when its control differs from neutral by more
 * than 0.001 (always, with always set, for the effect stream): colour controls, hue, sharpen.
 */
FilterList colorFilters(const LMPictureSettings &settings, bool always = false);
/** The colour filters followed by the catalogue's effect for settings.effectName, when known. */
FilterList effectFilters(const LMPictureSettings &settings, bool alwaysColor = false);
/** image through each filter in order. */
imaging::Image applyFilters(const imaging::Image &image, const FilterList &filters);

/** The subtitle text as drawn: trimmed of white space and line ends at both ends. */
QString subtitleText(const QString &text);
/**
 * The text drawn into a transparent bitmap as wide as its widest line (lines wrap at the output
 * width and are centred) and at most outputSize.height x (1 - position) high, with the box
 * behind it when withBackground and a background colour is set. Null for empty text, a side of
 * 0.99 or less, or without a QGuiApplication. Premultiplied RGBA.
 */
QImage renderSubtitle(const QString &text,
                      const LMPictureSettings &style,
                      const QSizeF &outputSize,
                      bool withBackground);
/** A rendered subtitle moved to the middle of the output, its bottom at height x position. */
imaging::Image placeSubtitle(const QImage &rendered, const QSizeF &outputSize, float position);

/** The edited picture's frame: crop, centring, aspect, flips and turn, zoom, filters, then bars. */
struct CompositionSteps
{
    imaging::Image frame;         // the decoded picture (extent E)
    imaging::Image mediaSubtitle; // composited onto the frame first, in frame coordinates
    QRectF cropRect;
    QSizeF scaleBeforeTurn{1, 1}; // display size or aspect correction
    QRectF outputRect;
    imaging::Image textSubtitle; // placed, in output coordinates
};
imaging::Image composePicture(const CompositionSteps &steps,
                              const LMPictureSettings &settings,
                              const FilterList &filters);

} // namespace Reelsmith::detail
