#pragma once

#include "Reelsmith/imaging/Tile.h"

#include <algorithm>
#include <cstdint>

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
