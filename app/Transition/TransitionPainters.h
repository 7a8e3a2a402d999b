#pragma once

#include <QImage>
#include <QSize>

// The painters behind the transition descriptions: one pure function per kind of transition.
// Every function takes the outgoing picture a, the incoming picture b, the background, the
// progress s (already clamped to [0, 1] and eased) and the frame size, and returns a new frame in
// premultiplied RGBA8888 (null when size is empty or cannot be allocated). s = 0 gives a and s = 1
// gives b, each fitted into the frame keeping its proportion and centred over the background,
// which is stretched over the whole frame; a null picture is transparent. They share no state:
// any thread may call them at the same time.
namespace Discwright::TransitionPainters {

// Each pixel mixed from a to b in proportion s.
QImage dissolve(const QImage &a, const QImage &b, const QImage &background, double s, QSize size);

// Both pictures move one frame width (or height) in the direction (dx, dy), b following a in.
// The background stays where it is.
QImage slide(const QImage &a,
             const QImage &b,
             const QImage &background,
             int dx,
             int dy,
             double s,
             QSize size);

// A straight edge crosses the frame in the direction angleDegrees (0 left to right, 90 top to
// bottom), b behind it; softness is the width of the blended edge as a fraction of the travel.
QImage swipe(const QImage &a,
             const QImage &b,
             const QImage &background,
             double angleDegrees,
             double softness,
             double s,
             QSize size);

// a grows towards outgoingZoom while b grows from incomingZoom to its own size, and the two are
// mixed in proportion s.
QImage zoomDissolve(const QImage &a,
                    const QImage &b,
                    const QImage &background,
                    double outgoingZoom,
                    double incomingZoom,
                    double s,
                    QSize size);

// A circle about the frame's centre: opening, b shows inside a circle that grows until it covers
// the frame; closing, a shows inside a circle that shrinks to nothing. softness is the width of
// the blended rim as a fraction of the half diagonal.
QImage circle(const QImage &a,
              const QImage &b,
              const QImage &background,
              bool opens,
              double softness,
              double s,
              QSize size);

} // namespace Discwright::TransitionPainters
