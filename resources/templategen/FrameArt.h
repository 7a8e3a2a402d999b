#pragma once

// The decorative title frames. Each frame is a pair of pictures of the same size: "frame", the border
// drawn over the title's video (transparent where the video shows), and "mask", opaque wherever the
// video must NOT show. The page erases the video with the mask (destination-out) and then draws the
// frame over it, so the mask's clear window must reach a little under the frame's inner edge: a gap
// would show the page background between picture and border.

#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QStringList>

namespace templategen {

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 200;

struct FrameArt
{
    QImage frame;
    QImage mask;
    // Where the video shows, in frame picture pixels (y down); for previews.
    QPainterPath window;
};

QStringList frameNames();
// A null frame for an unknown name.
FrameArt drawFrame(const QString &name);

} // namespace templategen
