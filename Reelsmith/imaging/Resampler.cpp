#include "Reelsmith/imaging/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define DW_RESAMPLER_AVX2 1
#endif

namespace Reelsmith::imaging::detail {

namespace {

// Weights are 14-bit fixed point. The first pass keeps 6 bits below the byte (its values stay
// well inside 16 bits, ringing included); the second drops the rest.
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;
constexpr int kFirstShift = 8;
constexpr int kSecondShift = 2 * kWeightBits - kFirstShift;

inline uint32_t div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// The Catmull-Rom cubic: sharp without the ringing of wider windows, interpolating at unit scale.
double cubic(double x)
{
    x = std::fabs(x);
    constexpr double a = -0.5;
    if (x < 1)
        return ((a + 2) * x - (a + 3)) * x * x + 1;
    if (x < 2)
        return ((a * x - 5 * a) * x + 8 * a) * x - 4 * a;
    return 0;
}

// The taps of one axis: for each output position, `taps` source indices (clamped to the readable
// ones) and their weights, as pairs of 16-bit weights packed in 32 bits for the pair products.
struct Axis
{
    int taps = 0;
    std::vector<int> index;     // n * taps
    std::vector<int32_t> pairs; // n * taps / 2: weight[2t] in the low half, weight[2t+1] high
    std::vector<int32_t> wide;  // the pairs, each four times over (a whole vector's worth)
    std::vector<int> run;       // n: the first index when the taps are consecutive, else -1
    int lowest = 0, highest = -1;
};

// positions[i]: output i's centre in source index coordinates (source pixel j is centred on j).
// step: source pixels per output pixel; whole: a unit step on whole pixels (a copy).
Axis makeAxis(const std::vector<double> &positions, double step, bool whole, int lo, int hi)
{
    Axis axis;
    const double squeeze = step > 1 ? 1 / step : 1;
    const double support = 2 / squeeze;
    axis.taps = whole ? 2 : (int(std::ceil(2 * support)) + 1) & ~1;
    const size_t n = positions.size();
    const size_t taps = size_t(axis.taps);
    axis.index.resize(n * taps);
    axis.pairs.resize(n * taps / 2);
    axis.run.assign(n, -1);
    axis.lowest = hi;
    axis.highest = lo;
    std::vector<double> w(taps);
    std::vector<int> q(taps);
    for (size_t i = 0; i < n; ++i) {
        const double u = positions[i];
        int *index = &axis.index[i * taps];
        if (whole) {
            index[0] = index[1] = std::clamp(int(std::lround(u)), lo, hi);
            q[0] = kOne;
            q[1] = 0;
        } else {
            const int first = int(std::floor(u - support)) + 1;
            double sum = 0;
            for (size_t t = 0; t < taps; ++t) {
                w[t] = cubic((first + int(t) - u) * squeeze);
                sum += w[t];
            }
            int total = 0;
            size_t biggest = 0;
            for (size_t t = 0; t < taps; ++t) {
                q[t] = int(std::lround(w[t] / sum * kOne));
                total += q[t];
                if (w[t] > w[biggest])
                    biggest = t;
                index[t] = std::clamp(first + int(t), lo, hi);
            }
            q[biggest] += kOne - total; // the weights add up to one exactly
        }
        bool consecutive = !whole;
        for (size_t t = 0; t < taps; ++t) {
            axis.lowest = std::min(axis.lowest, index[t]);
            axis.highest = std::max(axis.highest, index[t]);
            consecutive = consecutive && index[t] == index[0] + int(t);
        }
        if (consecutive)
            axis.run[i] = index[0];
        for (size_t t = 0; t < taps; t += 2)
            axis.pairs[(i * taps + t) / 2] = int32_t(
                uint32_t(uint16_t(int16_t(q[t]))) | (uint32_t(uint16_t(int16_t(q[t + 1]))) << 16));
    }
    axis.wide.resize(axis.pairs.size() * 4);
    for (size_t k = 0; k < axis.pairs.size(); ++k)
        std::fill_n(&axis.wide[k * 4], 4, axis.pairs[k]);
    return axis;
}

inline int16_t weightOf(int32_t pair, int half)
{
    return int16_t(uint16_t(uint32_t(pair) >> (16 * half)));
}

inline int16_t saturate16(int32_t v)
{
    return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

#if defined(DW_RESAMPLER_AVX2)
// The first pass 32 values at a time where the processor has the wider vectors: the same
// products and shifts, so the same values. Answers how far it got.
__attribute__((target("avx2"))) int
verticalPassWide(const uint8_t *const *rows, const int32_t *pairs, int taps, int n, int16_t *dst)
{
    int k = 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i round = _mm256_set1_epi32(1 << (kFirstShift - 1));
    for (; k + 32 <= n; k += 32) {
        __m256i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        for (int t = 0; t < taps; t += 2) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(rows[t] + k));
            const __m256i b
                = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(rows[t + 1] + k));
            const __m256i c = _mm256_set1_epi32(pairs[t / 2]);
            // Per 128-bit half: values 0-15 in the low half, 16-31 in the high one.
            const __m256i lo = _mm256_unpacklo_epi8(a, b), hi = _mm256_unpackhi_epi8(a, b);
            acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), c));
            acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), c));
            acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), c));
            acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), c));
        }
        acc0 = _mm256_srai_epi32(_mm256_add_epi32(acc0, round), kFirstShift);
        acc1 = _mm256_srai_epi32(_mm256_add_epi32(acc1, round), kFirstShift);
        acc2 = _mm256_srai_epi32(_mm256_add_epi32(acc2, round), kFirstShift);
        acc3 = _mm256_srai_epi32(_mm256_add_epi32(acc3, round), kFirstShift);
        const __m256i p01 = _mm256_packs_epi32(acc0, acc1); // values 0-7 | 16-23
        const __m256i p23 = _mm256_packs_epi32(acc2, acc3); // values 8-15 | 24-31
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + k),
                            _mm256_permute2x128_si256(p01, p23, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + k + 16),
                            _mm256_permute2x128_si256(p01, p23, 0x31));
    }
    return k;
}

bool hasWideVectors()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// First pass: the rows of one output row's taps, weighted, into 16-bit values (n bytes across).
void verticalPass(const uint8_t *const *rows, const int32_t *pairs, int taps, int n, int16_t *dst)
{
    int k = 0;
#if defined(DW_RESAMPLER_AVX2)
    if (hasWideVectors())
        k = verticalPassWide(rows, pairs, taps, n, dst);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << (kFirstShift - 1));
    for (; k + 16 <= n; k += 16) {
        __m128i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        for (int t = 0; t < taps; t += 2) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[t] + k));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[t + 1] + k));
            const __m128i c = _mm_set1_epi32(pairs[t / 2]);
            // The two rows interleaved by byte, then widened: the pairs the products want.
            const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), c));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), c));
            acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), c));
            acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), c));
        }
        acc0 = _mm_srai_epi32(_mm_add_epi32(acc0, round), kFirstShift);
        acc1 = _mm_srai_epi32(_mm_add_epi32(acc1, round), kFirstShift);
        acc2 = _mm_srai_epi32(_mm_add_epi32(acc2, round), kFirstShift);
        acc3 = _mm_srai_epi32(_mm_add_epi32(acc3, round), kFirstShift);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + k), _mm_packs_epi32(acc0, acc1));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + k + 8), _mm_packs_epi32(acc2, acc3));
    }
#endif
    for (; k < n; ++k) {
        int32_t sum = 0;
        for (int t = 0; t < taps; ++t)
            sum += int32_t(weightOf(pairs[t / 2], t & 1)) * rows[t][k];
        dst[k] = saturate16((sum + (1 << (kFirstShift - 1))) >> kFirstShift);
    }
}

// Second pass: one output pixel from the first pass's values (offsets in values, four a pixel).
inline void horizontalPixel(
    const int16_t *src, const int *offsets, const int32_t *pairs, int taps, uint8_t *dst)
{
#if defined(__SSE2__)
    __m128i acc = _mm_setzero_si128();
    for (int t = 0; t < taps; t += 2) {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(src + offsets[t]));
        const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(src + offsets[t + 1]));
        acc = _mm_add_epi32(acc,
                            _mm_madd_epi16(_mm_unpacklo_epi16(a, b), _mm_set1_epi32(pairs[t / 2])));
    }
    acc = _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(1 << (kSecondShift - 1))), kSecondShift);
    __m128i v = _mm_packs_epi32(acc, acc);
    v = _mm_min_epi16(v, _mm_shufflelo_epi16(v, 0xFF)); // premultiplied: colour never above alpha
    const int word = _mm_cvtsi128_si32(_mm_packus_epi16(v, v));
    std::memcpy(dst, &word, 4);
#else
    int32_t sum[4] = {0, 0, 0, 0};
    for (int t = 0; t < taps; ++t) {
        const int32_t w = weightOf(pairs[t / 2], t & 1);
        const int16_t *p = src + offsets[t];
        for (int k = 0; k < 4; ++k)
            sum[k] += w * p[k];
    }
    int16_t v[4];
    for (int k = 0; k < 4; ++k)
        v[k] = saturate16((sum[k] + (1 << (kSecondShift - 1))) >> kSecondShift);
    for (int k = 0; k < 4; ++k)
        dst[k] = uint8_t(std::clamp<int>(std::min(v[k], v[3]), 0, 255));
#endif
}

#if defined(__SSE2__)
// The second pass where the taps are consecutive: paired[j] holds pixels j and j + 1 of the first
// pass interleaved by channel, so each pair of taps is one load and one pair product.
inline void horizontalRun(const int16_t *paired, const int32_t *wide, int taps, uint8_t *dst)
{
    __m128i acc = _mm_setzero_si128();
    for (int t = 0; t < taps; t += 2)
        acc = _mm_add_epi32(
            acc,
            _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(paired + t * 8)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(wide + t * 2))));
    acc = _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(1 << (kSecondShift - 1))), kSecondShift);
    __m128i v = _mm_packs_epi32(acc, acc);
    v = _mm_min_epi16(v, _mm_shufflelo_epi16(v, 0xFF));
    const int word = _mm_cvtsi128_si32(_mm_packus_epi16(v, v));
    std::memcpy(dst, &word, 4);
}

// paired[j] = pixels j and j + 1 of values (n pixels), interleaved by channel; the last pairs
// with zeros.
#if defined(DW_RESAMPLER_AVX2)
// pairUp four pixels at a time: values j..j+3 and j+1..j+4 interleaved give pairs j..j+3.
__attribute__((target("avx2"))) int pairUpWide(const int16_t *values, int n, int16_t *paired)
{
    int j = 0;
    for (; j + 5 <= n; j += 4) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(values + j * 4));
        const __m256i b
            = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(values + (j + 1) * 4));
        const __m256i lo = _mm256_unpacklo_epi16(a, b); // pairs j | j + 2
        const __m256i hi = _mm256_unpackhi_epi16(a, b); // pairs j + 1 | j + 3
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(paired + j * 8),
                            _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(paired + (j + 2) * 8),
                            _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return j;
}
#endif

void pairUp(const int16_t *values, int n, int16_t *paired)
{
    int j = 0;
#if defined(DW_RESAMPLER_AVX2)
    if (hasWideVectors())
        j = pairUpWide(values, n, paired);
#endif
    for (; j < n; ++j) {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(values + j * 4));
        const __m128i b
            = j + 1 < n ? _mm_loadl_epi64(reinterpret_cast<const __m128i *>(values + (j + 1) * 4))
                        : _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i *>(paired + j * 8), _mm_unpacklo_epi16(a, b));
    }
}
#endif

// One output row's first-pass values, as the second pass reads them.
struct Row
{
    const int16_t *values; // four a pixel, from the span's first column
    const int16_t *paired; // pairUp(values)
    const int *offsets;    // the axis's indices as offsets into values
    int spanLo;            // the span's first column
};

// The second pass over one output row.
void horizontalRow(const Row &row, const Axis &ax, const std::vector<int> &columns, uint8_t *dst)
{
    const size_t taps = size_t(ax.taps);
    for (size_t i = 0; i < columns.size(); ++i) {
#if defined(__SSE2__)
        if (ax.run[i] >= 0) {
            horizontalRun(row.paired + size_t(ax.run[i] - row.spanLo) * 8,
                          &ax.wide[i * taps * 2],
                          ax.taps,
                          dst + columns[i] * 4);
            continue;
        }
#endif
        horizontalPixel(row.values,
                        row.offsets + i * taps,
                        &ax.pairs[i * taps / 2],
                        ax.taps,
                        dst + columns[i] * 4);
    }
}

#if defined(DW_RESAMPLER_AVX2)
// The same two output pixels at a time (one in each half of the wide vectors) where both have
// consecutive taps: the same products and shifts, so the same bytes.
__attribute__((target("avx2"))) void
horizontalRowWide(const Row &row, const Axis &ax, const std::vector<int> &columns, uint8_t *dst)
{
    const size_t taps = size_t(ax.taps);
    const __m256i round = _mm256_set1_epi32(1 << (kSecondShift - 1));
    size_t i = 0;
    while (i < columns.size()) {
        if (i + 1 < columns.size() && ax.run[i] >= 0 && ax.run[i + 1] >= 0) {
            const int16_t *a = row.paired + size_t(ax.run[i] - row.spanLo) * 8;
            const int16_t *b = row.paired + size_t(ax.run[i + 1] - row.spanLo) * 8;
            const int32_t *wa = &ax.wide[i * taps * 2];
            const int32_t *wb = &ax.wide[(i + 1) * taps * 2];
            __m256i acc = _mm256_setzero_si256();
            for (size_t t = 0; t < taps; t += 2) {
                const __m256i v = _mm256_loadu2_m128i(reinterpret_cast<const __m128i *>(b + t * 8),
                                                      reinterpret_cast<const __m128i *>(a + t * 8));
                const __m256i w
                    = _mm256_loadu2_m128i(reinterpret_cast<const __m128i *>(wb + t * 2),
                                          reinterpret_cast<const __m128i *>(wa + t * 2));
                acc = _mm256_add_epi32(acc, _mm256_madd_epi16(v, w));
            }
            acc = _mm256_srai_epi32(_mm256_add_epi32(acc, round), kSecondShift);
            __m256i v = _mm256_packs_epi32(acc, acc);
            v = _mm256_min_epi16(v, _mm256_shufflelo_epi16(v, 0xFF));
            v = _mm256_packus_epi16(v, v);
            const int first = _mm256_extract_epi32(v, 0), second = _mm256_extract_epi32(v, 4);
            std::memcpy(dst + columns[i] * 4, &first, 4);
            std::memcpy(dst + columns[i + 1] * 4, &second, 4);
            i += 2;
            continue;
        }
        if (ax.run[i] >= 0)
            horizontalRun(row.paired + size_t(ax.run[i] - row.spanLo) * 8,
                          &ax.wide[i * taps * 2],
                          ax.taps,
                          dst + columns[i] * 4);
        else
            horizontalPixel(row.values,
                            row.offsets + i * taps,
                            &ax.pairs[i * taps / 2],
                            ax.taps,
                            dst + columns[i] * 4);
        ++i;
    }
}
#endif

inline void premultiplyInto(const uint8_t *src, int pixels, uint8_t *dst)
{
    for (int i = 0; i < pixels * 4; i += 4) {
        const uint32_t a = src[i + 3];
        dst[i] = uint8_t(div255(src[i] * a));
        dst[i + 1] = uint8_t(div255(src[i + 1] * a));
        dst[i + 2] = uint8_t(div255(src[i + 2] * a));
        dst[i + 3] = uint8_t(a);
    }
}

bool opaque(const uint8_t *p, int pixels)
{
    int i = 0;
#if defined(__SSE2__)
    __m128i all = _mm_set1_epi8(-1);
    for (; i + 4 <= pixels; i += 4)
        all = _mm_and_si128(all, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i * 4)));
    if ((_mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_set1_epi8(-1))) & 0x8888) != 0x8888)
        return false;
#endif
    uint8_t rest = 255;
    for (; i < pixels; ++i)
        rest &= p[i * 4 + 3];
    return rest == 255;
}

bool wholeStep(double scale, double position)
{
    return std::fabs(scale) == 1 && std::fabs(position - std::round(position)) < 1e-9;
}

// The output columns' taps are the same for every band and every frame of a clip: each thread
// keeps the last ones it made.
const Axis &columnAxis(std::vector<double> positions, double step, bool whole, int lo, int hi)
{
    struct Key
    {
        std::vector<double> positions;
        double step = 0;
        bool whole = false;
        int lo = 0, hi = 0;
        bool operator==(const Key &) const = default;
    };
    thread_local Key lastKey;
    thread_local Axis lastAxis;
    Key key{std::move(positions), step, whole, lo, hi};
    if (!(key == lastKey)) {
        lastAxis = makeAxis(key.positions, step, whole, lo, hi);
        lastKey = std::move(key);
    }
    return lastAxis;
}

// Source rows first..last from the pixel at column colLo, colCount pixels across; straight colours
// premultiplied first (a row at full cover is read in place). copies holds the premultiplied ones.
std::vector<const uint8_t *> sourceRows(const SourcePixels &s,
                                        int first,
                                        int last,
                                        int colLo,
                                        int colCount,
                                        std::vector<uint8_t> &copies)
{
    const int count = last - first + 1;
    std::vector<const uint8_t *> rows(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        const uint8_t *p = s.bits + qsizetype(first + k) * s.stride + qsizetype(colLo) * 4;
        if (s.straightAlpha && !opaque(p, colCount)) {
            if (copies.empty())
                copies.resize(size_t(count) * size_t(colCount) * 4);
            uint8_t *copy = &copies[size_t(k) * size_t(colCount) * 4];
            premultiplyInto(p, colCount, copy);
            p = copy;
        }
        rows[size_t(k)] = p;
    }
    return rows;
}

// First pass of a quarter turn: for each source row, the row's taps across (columns at offsets,
// in pixels from each row pointer) weighted into four 16-bit values.
void acrossPass(const uint8_t *const *rows,
                int count,
                const int *columns,
                const int32_t *pairs,
                int taps,
                int16_t *dst)
{
    for (int r = 0; r < count; ++r) {
        const uint8_t *p = rows[r];
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        __m128i acc = zero;
        for (int t = 0; t < taps; t += 2) {
            int wa, wb;
            std::memcpy(&wa, p + columns[t] * 4, 4);
            std::memcpy(&wb, p + columns[t + 1] * 4, 4);
            const __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(wa), zero);
            const __m128i b = _mm_unpacklo_epi8(_mm_cvtsi32_si128(wb), zero);
            acc = _mm_add_epi32(
                acc, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), _mm_set1_epi32(pairs[t / 2])));
        }
        acc = _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(1 << (kFirstShift - 1))),
                             kFirstShift);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + r * 4), _mm_packs_epi32(acc, acc));
#else
        for (int k = 0; k < 4; ++k) {
            int32_t sum = 0;
            for (int t = 0; t < taps; ++t)
                sum += int32_t(weightOf(pairs[t / 2], t & 1)) * p[columns[t] * 4 + k];
            dst[r * 4 + k] = saturate16((sum + (1 << (kFirstShift - 1))) >> kFirstShift);
        }
#endif
    }
}

} // namespace

bool isAxisAligned(const QTransform &t)
{
    return t.m12() == 0 && t.m21() == 0 && t.m13() == 0 && t.m23() == 0;
}

void resampleAxisAligned(const SourcePixels &s, const QTransform &inv, const Tile &out)
{
    const QRect &r = out.rect;
    const Extent &v = s.valid;
    // Output columns and rows whose centres fall inside the valid area, with their centres in
    // source index coordinates, each from its own absolute position (never from the band's).
    std::vector<int> columns;
    std::vector<double> across;
    for (int i = 0; i < r.width(); ++i) {
        const double px = inv.m11() * (r.x() + i + 0.5) + inv.dx();
        if (px >= v.x0 && px < v.x1) {
            columns.push_back(i);
            across.push_back(px - 0.5);
        }
    }
    std::vector<int> rows;
    std::vector<double> down;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const double py = inv.m22() * (y + 0.5) + inv.dy();
        if (py >= v.y0 && py < v.y1) {
            rows.push_back(y);
            down.push_back((s.height - py) - 0.5);
        }
    }
    if (columns.empty() || rows.empty())
        return;
    const bool wholeX = wholeStep(inv.m11(), inv.m11() * 0.5 + inv.dx() - 0.5);
    const bool wholeY = wholeStep(inv.m22(), s.height - (inv.m22() * 0.5 + inv.dy()) - 0.5);

    if (wholeX && wholeY) {
        // A copy, mirrored or not.
        for (size_t j = 0; j < rows.size(); ++j) {
            const int row = std::clamp(int(std::lround(down[j])), s.rowMin, s.rowMax);
            const uint8_t *src = s.bits + qsizetype(row) * s.stride;
            uint8_t *dst = out.row(rows[j]);
            for (size_t i = 0; i < columns.size(); ++i) {
                const int col = std::clamp(int(std::lround(across[i])), s.colMin, s.colMax);
                const uint8_t *p = src + col * 4;
                uint8_t *d = dst + columns[i] * 4;
                if (s.straightAlpha && p[3] != 255)
                    premultiplyInto(p, 1, d);
                else
                    std::memcpy(d, p, 4);
            }
        }
        return;
    }

    const Axis &ax
        = columnAxis(std::move(across), std::fabs(inv.m11()), wholeX, s.colMin, s.colMax);
    const Axis ay = makeAxis(down, std::fabs(inv.m22()), wholeY, s.rowMin, s.rowMax);
    const int spanLo = ax.lowest, spanW = ax.highest - ax.lowest + 1;

    // The rows the band reads, from the pixel at spanLo.
    const int rowLo = ay.lowest;
    std::vector<uint8_t> premultiplied;
    const std::vector<const uint8_t *> source
        = sourceRows(s, ay.lowest, ay.highest, spanLo, spanW, premultiplied);

    std::vector<int> offsets(ax.index.size());
    for (size_t k = 0; k < offsets.size(); ++k)
        offsets[k] = (ax.index[k] - spanLo) * 4;
    // The first pass reads whole 16-byte groups past its last value at most by what the tail
    // loop does alone, so the buffer is exactly the span.
    std::vector<int16_t> middle(size_t(spanW) * 4);
    std::vector<int16_t> paired(size_t(spanW) * 8);
    std::vector<const uint8_t *> taps(size_t(ay.taps));
    for (size_t j = 0; j < rows.size(); ++j) {
        for (int t = 0; t < ay.taps; ++t)
            taps[size_t(t)] = source[size_t(ay.index[j * size_t(ay.taps) + size_t(t)] - rowLo)];
        verticalPass(
            taps.data(), &ay.pairs[j * size_t(ay.taps) / 2], ay.taps, spanW * 4, middle.data());
#if defined(__SSE2__)
        pairUp(middle.data(), spanW, paired.data());
#endif
        uint8_t *dst = out.row(rows[j]);
        const Row row{middle.data(), paired.data(), offsets.data(), spanLo};
#if defined(DW_RESAMPLER_AVX2)
        if (hasWideVectors()) {
            horizontalRowWide(row, ax, columns, dst);
            continue;
        }
#endif
        horizontalRow(row, ax, columns, dst);
    }
}

bool isQuarterTurn(const QTransform &t)
{
    return t.m11() == 0 && t.m22() == 0 && t.m12() != 0 && t.m21() != 0 && t.m13() == 0
           && t.m23() == 0;
}

void resampleQuarterTurn(const SourcePixels &s, const QTransform &inv, const Tile &out)
{
    const QRect &r = out.rect;
    const Extent &v = s.valid;
    // Along an output row the source row changes; down the output the source column does.
    std::vector<int> columns;
    std::vector<double> sourceRowAt;
    for (int i = 0; i < r.width(); ++i) {
        const double py = inv.m12() * (r.x() + i + 0.5) + inv.dy();
        if (py >= v.y0 && py < v.y1) {
            columns.push_back(i);
            sourceRowAt.push_back((s.height - py) - 0.5);
        }
    }
    std::vector<int> rows;
    std::vector<double> sourceColumnAt;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const double px = inv.m21() * (y + 0.5) + inv.dx();
        if (px >= v.x0 && px < v.x1) {
            rows.push_back(y);
            sourceColumnAt.push_back(px - 0.5);
        }
    }
    if (columns.empty() || rows.empty())
        return;
    const bool wholeAcross = wholeStep(inv.m12(), s.height - (inv.m12() * 0.5 + inv.dy()) - 0.5);
    const bool wholeDown = wholeStep(inv.m21(), inv.m21() * 0.5 + inv.dx() - 0.5);
    const Axis &ax
        = columnAxis(std::move(sourceRowAt), std::fabs(inv.m12()), wholeAcross, s.rowMin, s.rowMax);
    const Axis ay = makeAxis(sourceColumnAt, std::fabs(inv.m21()), wholeDown, s.colMin, s.colMax);
    const int rowLo = ax.lowest, rowCount = ax.highest - ax.lowest + 1;
    const int colLo = ay.lowest, colCount = ay.highest - ay.lowest + 1;
    std::vector<uint8_t> premultiplied;
    const std::vector<const uint8_t *> source
        = sourceRows(s, ax.lowest, ax.highest, colLo, colCount, premultiplied);

    std::vector<int> offsets(ax.index.size());
    for (size_t k = 0; k < offsets.size(); ++k)
        offsets[k] = (ax.index[k] - rowLo) * 4;
    std::vector<int16_t> middle(size_t(rowCount) * 4);
    std::vector<int16_t> paired(size_t(rowCount) * 8);
    std::vector<int> tapColumns(size_t(ay.taps));
    for (size_t j = 0; j < rows.size(); ++j) {
        for (int t = 0; t < ay.taps; ++t)
            tapColumns[size_t(t)] = ay.index[j * size_t(ay.taps) + size_t(t)] - colLo;
        acrossPass(source.data(),
                   rowCount,
                   tapColumns.data(),
                   &ay.pairs[j * size_t(ay.taps) / 2],
                   ay.taps,
                   middle.data());
        pairUp(middle.data(), rowCount, paired.data());
        uint8_t *dst = out.row(rows[j]);
        const Row row{middle.data(), paired.data(), offsets.data(), rowLo};
#if defined(DW_RESAMPLER_AVX2)
        if (hasWideVectors()) {
            horizontalRowWide(row, ax, columns, dst);
            continue;
        }
#endif
        horizontalRow(row, ax, columns, dst);
    }
}

} // namespace Reelsmith::imaging::detail
