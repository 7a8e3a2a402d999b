#pragma once

#include <QRect>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Reelsmith::imaging {

/**
 * A view of premultiplied RGBA pixels covering rect, a region in y-up pixel coordinates
 * (rect.y() is the lowest row, rect.x() the leftmost column). The first row in memory is the
 * region's top row. The view does not own the pixels. Used by one thread at a time.
 */
struct Tile
{
    uint8_t *bits = nullptr;
    qsizetype stride = 0;
    QRect rect;

    /** The row of pixels at y (y-up, inside rect). */
    uint8_t *row(int y) const
    {
        return bits + qsizetype(rect.y() + rect.height() - 1 - y) * stride;
    }
    uint8_t *pixel(int x, int y) const { return row(y) + qsizetype(x - rect.x()) * 4; }
    /** The part of this tile over sub (which must lie inside rect), sharing the pixels. */
    Tile view(const QRect &sub) const
    {
        Tile result;
        result.stride = stride;
        result.rect = sub;
        result.bits = sub.isEmpty() ? bits : pixel(sub.x(), sub.y() + sub.height() - 1);
        return result;
    }
    void clear() const
    {
        for (int r = 0; r < rect.height(); ++r)
            std::memset(bits + qsizetype(r) * stride, 0, size_t(rect.width()) * 4);
    }
};

/** A tile with pixels of its own, cleared to transparent. */
class TileBuffer
{
public:
    explicit TileBuffer(const QRect &rect)
        : m_pixels(size_t(std::max(0, rect.width())) * size_t(std::max(0, rect.height())) * 4)
    {
        m_tile.bits = m_pixels.data();
        m_tile.stride = qsizetype(std::max(0, rect.width())) * 4;
        m_tile.rect = rect;
    }
    const Tile &tile() const { return m_tile; }

private:
    std::vector<uint8_t> m_pixels;
    Tile m_tile;
};

} // namespace Reelsmith::imaging
