#include "Reelsmith/effects/PixelLoops.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace Reelsmith::effects::detail {

namespace {

__attribute__((target("avx2"))) int
colourMatrixAvx2(const uint8_t *src, uint8_t *dst, int pixels, const int32_t m[3][4])
{
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i half = _mm256_set1_epi32(32768);
    __m256i w[3][4];
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 4; ++j)
            w[k][j] = _mm256_set1_epi32(m[k][j]);
    int i = 0;
    for (; i + 8 <= pixels; i += 8) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + i * 4));
        const __m256i c[4] = {_mm256_and_si256(p, byte),
                              _mm256_and_si256(_mm256_srli_epi32(p, 8), byte),
                              _mm256_and_si256(_mm256_srli_epi32(p, 16), byte),
                              _mm256_srli_epi32(p, 24)};
        __m256i result = _mm256_slli_epi32(c[3], 24);
        for (int k = 0; k < 3; ++k) {
            __m256i v = half;
            for (int j = 0; j < 4; ++j)
                v = _mm256_add_epi32(v, _mm256_mullo_epi32(w[k][j], c[j]));
            v = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(v, 16), zero), c[3]);
            result = _mm256_or_si256(result, _mm256_slli_epi32(v, 8 * k));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + i * 4), result);
    }
    return i;
}

} // namespace

int colourMatrixWide(const uint8_t *src, uint8_t *dst, int pixels, const int32_t m[3][4])
{
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide ? colourMatrixAvx2(src, dst, pixels, m) : 0;
}

} // namespace Reelsmith::effects::detail

#else

namespace Reelsmith::effects::detail {

int colourMatrixWide(const uint8_t *, uint8_t *, int, const int32_t[3][4])
{
    return 0;
}

} // namespace Reelsmith::effects::detail

#endif
