#pragma once

#include "Reelsmith/imaging/Tile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace Reelsmith::effects::detail {

// Runs colour(rgb) on every pixel of out with its input pixel from in, on straight colour in 0..1;
// alpha is kept, transparent pixels stay transparent. For the filters that read one pixel.
template <class Colour>
void forEachColour(const imaging::Tile &in, const imaging::Tile &out, Colour colour)
{
    const QRect &r = out.rect;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const uint8_t *s = in.pixel(r.x(), y);
        uint8_t *d = out.row(y);
        for (int i = 0; i < r.width() * 4; i += 4) {
            const uint32_t a = s[i + 3];
            if (a == 0) {
                d[i] = d[i + 1] = d[i + 2] = d[i + 3] = 0;
                continue;
            }
            // Video is opaque: no division for the usual pixel.
            const float toStraight = a == 255 ? 1.0f / 255.0f : 1.0f / float(a);
            float rgb[3] = {s[i] * toStraight, s[i + 1] * toStraight, s[i + 2] * toStraight};
            colour(rgb);
            const float fa = float(a);
            for (int k = 0; k < 3; ++k)
                d[i + k] = uint8_t(std::clamp(rgb[k], 0.0f, 1.0f) * fa + 0.5f);
            d[i + 3] = uint8_t(a);
        }
    }
}

/**
 * The 32-bit colour matrix below (m: three rows of red, green, blue and alpha weights, 16.16) on
 * the first pixels of a row, eight at a time where the processor has wide vectors: the same
 * products, so the same bytes. Answers how many pixels it did (0 without such vectors).
 */
int colourMatrixWide(const uint8_t *src, uint8_t *dst, int pixels, const int32_t m[3][4]);

// Runs an affine colour change out = m x rgb + offset on every pixel, in premultiplied whole
// numbers (out' = m x c' + offset x alpha, clamped to alpha), so no pixel is divided by its alpha
// and any band gives the same bytes. For the filters that are a colour matrix.
inline void applyColourMatrix(const imaging::Tile &in,
                              const imaging::Tile &out,
                              const float m[3][3],
                              const float offset[3])
{
    int64_t fm[3][3], fo[3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            fm[i][j] = int64_t(m[i][j] * 65536.0f + (m[i][j] < 0 ? -0.5f : 0.5f));
        fo[i] = int64_t(offset[i] * 65536.0f + (offset[i] < 0 ? -0.5f : 0.5f));
    }
    const QRect &r = out.rect;
    // The sums fit 32 bits for every matrix the catalogue and the controls make; the same
    // arithmetic then runs at twice the width.
    int64_t bound = 32768;
    for (int k = 0; k < 3; ++k)
        bound = std::max(
            bound,
            (std::abs(fm[k][0]) + std::abs(fm[k][1]) + std::abs(fm[k][2]) + std::abs(fo[k])) * 255
                + 32768);
    if (bound < INT32_MAX) {
        int32_t m32[3][4];
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < 3; ++j)
                m32[k][j] = int32_t(fm[k][j]);
            m32[k][3] = int32_t(fo[k]);
        }
        for (int y = r.y(); y < r.y() + r.height(); ++y) {
            const uint8_t *s = in.pixel(r.x(), y);
            uint8_t *d = out.row(y);
            for (int i = colourMatrixWide(s, d, r.width(), m32) * 4; i < r.width() * 4; i += 4) {
                const int32_t a = s[i + 3];
                const int32_t c0 = s[i], c1 = s[i + 1], c2 = s[i + 2];
                for (int k = 0; k < 3; ++k) {
                    const int32_t v
                        = m32[k][0] * c0 + m32[k][1] * c1 + m32[k][2] * c2 + m32[k][3] * a + 32768;
                    d[i + k] = uint8_t(std::clamp<int32_t>(v >> 16, 0, a));
                }
                d[i + 3] = uint8_t(a);
            }
        }
        return;
    }
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const uint8_t *s = in.pixel(r.x(), y);
        uint8_t *d = out.row(y);
        for (int i = 0; i < r.width() * 4; i += 4) {
            const int64_t a = s[i + 3];
            const int64_t c0 = s[i], c1 = s[i + 1], c2 = s[i + 2];
            for (int k = 0; k < 3; ++k) {
                const int64_t v = fm[k][0] * c0 + fm[k][1] * c1 + fm[k][2] * c2 + fo[k] * a + 32768;
                d[i + k] = uint8_t(std::clamp<int64_t>(v >> 16, 0, a));
            }
            d[i + 3] = uint8_t(a);
        }
    }
}

inline float luminance(const float rgb[3])
{
    return 0.2125f * rgb[0] + 0.7154f * rgb[1] + 0.0721f * rgb[2];
}

} // namespace Reelsmith::effects::detail
