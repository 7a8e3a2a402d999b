#pragma once

#include "Reelsmith/imaging/Extent.h"

#include <QColor>
#include <QImage>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <mutex>

namespace Reelsmith::imaging {

class Filter;
struct Node;

/**
 * A picture described, not drawn: a source buffer or a constant colour, with affine transforms,
 * crops, compositing and filters applied to it lazily. Nothing is computed until a region is
 * rendered (Renderer.h), and then every transform between a source and the output is folded into
 * one, so a source is resampled once however many steps moved it.
 *
 * Coordinates are pixels with the origin at the lower left and y up; a source buffer's first row
 * is its top row. Pixels are RGBA, 8 bits a component, premultiplied by alpha.
 *
 * A value: copies share the immutable description. Any thread may build and render images; a
 * source's pixels must not change while it is rendered (give it the buffer's lock to be sure).
 */
class Image
{
public:
    /** The null image: nothing at all (what a failed step answers). */
    Image() = default;

    /**
     * A picture over w x h pixels of RGBA at bits (rows stride bytes apart, top row first), covering
     * (0, 0, w, h). No copy: keepAlive holds the bytes; lock, when given, is held while a render
     * reads them. straightAlpha says the colours are not premultiplied (decoded video).
     */
    static Image fromBuffer(const uint8_t *bits,
                            int width,
                            int height,
                            qsizetype stride,
                            std::shared_ptr<const void> keepAlive,
                            bool straightAlpha = false,
                            std::mutex *lock = nullptr);
    /** A picture of a QImage (shared when it is RGBA8888 already, else converted once). */
    static Image fromQImage(const QImage &image);
    /** An infinite plane of one colour. */
    static Image constantColor(const QColor &color);
    /** An image that covers nothing (renders transparent). */
    static Image empty();

    bool isNull() const { return !m_node; }
    Extent extent() const;

    /** The picture moved by transform (a singular transform gives an empty image). */
    Image transformed(const QTransform &transform) const;
    Image translated(double dx, double dy) const;
    Image scaled(double sx, double sy) const;
    /** The part inside rect; outside it the picture is transparent. */
    Image cropped(const QRectF &rect) const;
    Image cropped(const Extent &extent) const;
    /** This picture over background (background shows where this one is transparent). */
    Image sourceOver(const Image &background) const;
    /** This picture where background is opaque, scaled by background's alpha. */
    Image sourceIn(const Image &background) const;
    /** The filter applied to this picture (the filter is copied as it is now). */
    Image filtered(const Filter &filter) const;

    const std::shared_ptr<const Node> &node() const { return m_node; }
    explicit Image(std::shared_ptr<const Node> node)
        : m_node(std::move(node))
    {}

private:
    std::shared_ptr<const Node> m_node;
};

} // namespace Reelsmith::imaging
