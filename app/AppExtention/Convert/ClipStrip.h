#pragma once

#include "app/AppExtention/Convert/VCMovie.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>

/**
 * What a title record asks of the strip of clips that moves in its menu elements: its length and
 * its picture at a time. The strip itself belongs to production (SegmentsMovie), which installs
 * its maker when the application library loads; the records only hold the interface. Called on
 * the thread that draws the page, under the owner's lock.
 */
class ClipStrip
{
public:
    using Maker = std::shared_ptr<ClipStrip> (*)(const VCMovieList &movies);

    virtual ~ClipStrip() = default;
    // The strip's length, engine time.
    virtual int64_t duration() const = 0;
    // The picture at t on the strip at the clips' output size; null when there is none.
    QImage ciImageAtTime(int64_t t) { return ciImageAtTime(t, QSize()); }
    // The same picture made no larger than within (its aspect kept), for a caller that draws it
    // smaller: a menu element draws a title in a small slot, and making the whole frame first
    // costs more than the rest of the page. An empty within gives the output size.
    virtual QImage ciImageAtTime(int64_t t, const QSize &within) = 0;

    // Installs the maker of strips (once, at library load).
    static void setMaker(Maker maker);
    // A new strip over movies; null when no maker is installed.
    static std::shared_ptr<ClipStrip> make(const VCMovieList &movies);
};
