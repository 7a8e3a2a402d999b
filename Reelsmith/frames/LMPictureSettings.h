#pragma once

#include "Reelsmith/imaging/Image.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <optional>

/** A text shadow: offset in y-up pixels, blur radius and colour. */
struct LMTextShadow
{
    QPointF offset{2, -2};
    double blurRadius = 0;
    QColor color{0, 0, 0, 160};

    bool operator==(const LMTextShadow &) const = default;
};

/**
 * The picture edits of a clip, as the frame image and the effect stream keep them: fitting,
 * mirroring, turning, colour controls (each neutral at its default), the named effect, the
 * watermark and the style of text subtitles. Unset optional values and invalid colours mean
 * "none". A plain value; its holder guards it.
 */
struct LMPictureSettings
{
    int32_t zoomType = 5;
    bool hflip = false;
    bool vflip = false;
    float rotate = 0; // degrees, counter-clockwise
    float saturation = 0.5f;
    float brightness = 0.5f;
    float contrast = 0.25f;
    float hue = 0.5f;
    float sharpness = 0.5f;
    float sharpness_scale_factor = 2.0f;
    QString effectName;                  // null: no effect
    Reelsmith::imaging::Image watermark; // finished, in output coordinates; null: none
    std::optional<QFont> subtitleFont;
    QColor subtitleColor;           // invalid: not set
    QColor subtitleBackgroundColor; // invalid: no box behind the text
    double subtitleBackgroundRadius = 0;
    std::optional<LMTextShadow> subtitleShadow;
    float subtitlePosition = 0; // the text's bottom edge, as a fraction of the output height
};
