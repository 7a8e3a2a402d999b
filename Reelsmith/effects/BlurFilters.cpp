#include "Reelsmith/effects/BlurFilters.h"

#include "Reelsmith/effects/FilterKeys.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace Reelsmith::effects {

namespace detail {

std::array<int, 3> boxRadii(float sigma)
{
    if (!(sigma > 0.2f))
        return {0, 0, 0};
    // Box widths whose three passes have the variance of the Gaussian (the usual split into a
    // smaller and a larger odd width).
    const double s = std::min(double(sigma), 500.0);
    const double ideal = std::sqrt(12 * s * s / 3 + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = (12 * s * s - 3.0 * lower * lower - 12.0 * lower - 9) / (-4.0 * lower - 4);
    const int smaller = int(std::lround(m));
    std::array<int, 3> radii{};
    for (int i = 0; i < 3; ++i)
        radii[size_t(i)] = ((i < smaller ? lower : upper) - 1) / 2;
    return radii;
}

namespace {

// Division by a box's width as a multiply and a shift: exact for every sum a box of 8-bit values
// can reach (below 2^22, boxes at most 1023 wide), and far cheaper than a division per channel.
struct Divider
{
    explicit Divider(uint32_t d)
        : m((uint64_t(1) << 32) / d + ((uint64_t(1) << 32) % d != 0))
    {}
    uint32_t operator()(uint32_t n) const { return uint32_t((uint64_t(n) * m) >> 32); }
    uint64_t m;
};

// One box pass along a line of n pixels (step bytes apart) into n - 2r pixels.
void boxLine(const uint8_t *src, qsizetype srcStep, int n, int r, uint8_t *dst, qsizetype dstStep)
{
    const int window = 2 * r + 1;
    const uint32_t half = uint32_t(window / 2);
    const Divider divide{uint32_t(window)};
    uint32_t sum[4] = {half, half, half, half};
    for (int j = 0; j < window - 1 && j < n; ++j)
        for (int k = 0; k < 4; ++k)
            sum[k] += src[j * srcStep + k];
    for (int i = 0; i + window <= n; ++i) {
        const uint8_t *enter = src + qsizetype(i + window - 1) * srcStep;
        for (int k = 0; k < 4; ++k)
            sum[k] += enter[k];
        uint8_t *d = dst + qsizetype(i) * dstStep;
        for (int k = 0; k < 4; ++k)
            d[k] = uint8_t(divide(sum[k]));
        const uint8_t *leave = src + qsizetype(i) * srcStep;
        for (int k = 0; k < 4; ++k)
            sum[k] -= leave[k];
    }
}

void serial(int count, const std::function<void(int)> &work)
{
    for (int k = 0; k < count; ++k)
        work(k);
}

} // namespace

void boxBlur(const imaging::Tile &in, const std::array<int, 3> &radii, const imaging::Tile &out)
{
    boxBlur(in, radii, out, 1, serial);
}

void boxBlur(const imaging::Tile &in,
             const std::array<int, 3> &radii,
             const imaging::Tile &out,
             int pieces,
             const imaging::Filter::Parallel &parallel)
{
    const int reach = radii[0] + radii[1] + radii[2];
    const int w = out.rect.width(), h = out.rect.height();
    if (w < 1 || h < 1)
        return;
    const int wideW = w + 2 * reach, tallH = h + 2 * reach;
    // Across: every row of the tall band, narrowed pass by pass to the output's width.
    std::vector<uint8_t> across(size_t(w) * size_t(tallH) * 4);
    const int topY = out.rect.y() + h - 1 + reach;
    const int rowPieces = std::clamp(pieces, 1, tallH);
    parallel(rowPieces, [&](int piece) {
        std::vector<uint8_t> a(size_t(wideW) * 4), b(size_t(wideW) * 4);
        const int first = int(int64_t(tallH) * piece / rowPieces);
        const int last = int(int64_t(tallH) * (piece + 1) / rowPieces);
        for (int row = first; row < last; ++row) {
            const uint8_t *src = in.pixel(out.rect.x() - reach, topY - row);
            std::copy(src, src + size_t(wideW) * 4, a.begin());
            int n = wideW;
            for (int r : radii) {
                if (r == 0)
                    continue;
                boxLine(a.data(), 4, n, r, b.data(), 4);
                n -= 2 * r;
                std::swap(a, b);
            }
            std::copy(
                a.begin(), a.begin() + size_t(w) * 4, across.begin() + size_t(row) * size_t(w) * 4);
        }
    });
    // Down: a band of columns at a time, row by row (the sums slide down the band), narrowed to
    // the output's height.
    // Pieces at least 32 pixels wide that start on whole cache lines (16 pixels), so no two
    // threads write into one line of the output.
    const int columnPieces = std::clamp(pieces, 1, std::max(1, w / 32));
    const auto columnAt = [&](int piece) {
        return piece >= columnPieces ? w : int(int64_t(w) * piece / columnPieces) & ~15;
    };
    parallel(columnPieces, [&](int piece) {
        const int first = columnAt(piece);
        const int last = columnAt(piece + 1);
        const size_t rowBytes = size_t(last - first) * 4;
        if (rowBytes == 0)
            return;
        std::vector<uint8_t> lines(rowBytes * size_t(tallH)), down(lines.size());
        for (int row = 0; row < tallH; ++row)
            std::memcpy(&lines[size_t(row) * rowBytes],
                        &across[(size_t(row) * size_t(w) + size_t(first)) * 4],
                        rowBytes);
        std::vector<uint32_t> sums(rowBytes);
        int n = tallH;
        for (int r : radii) {
            if (r == 0)
                continue;
            const int window = 2 * r + 1;
            const uint32_t half = uint32_t(window / 2);
            const Divider divide{uint32_t(window)};
            std::fill(sums.begin(), sums.end(), half);
            for (int j = 0; j < window - 1; ++j) {
                const uint8_t *row = &lines[size_t(j) * rowBytes];
                for (size_t k = 0; k < rowBytes; ++k)
                    sums[k] += row[k];
            }
            for (int i = 0; i + window <= n; ++i) {
                const uint8_t *enter = &lines[size_t(i + window - 1) * rowBytes];
                const uint8_t *leave = &lines[size_t(i) * rowBytes];
                uint8_t *dst = &down[size_t(i) * rowBytes];
                for (size_t k = 0; k < rowBytes; ++k) {
                    sums[k] += enter[k];
                    dst[k] = uint8_t(divide(sums[k]));
                    sums[k] -= leave[k];
                }
            }
            n -= 2 * r;
            std::swap(lines, down);
        }
        for (int row = 0; row < h; ++row)
            std::memcpy(out.bits + qsizetype(row) * out.stride + qsizetype(first) * 4,
                        &lines[size_t(row) * rowBytes],
                        rowBytes);
    });
}

} // namespace detail

GaussianBlurFilter::GaussianBlurFilter()
    : FilterOf(QStringLiteral("GaussianBlur"))
{
    setValue(keys::radius, 10.0f);
}

bool GaussianBlurFilter::isNeutral() const
{
    const auto radii = detail::boxRadii(number(keys::radius, 10));
    return radii[0] + radii[1] + radii[2] == 0;
}

int GaussianBlurFilter::reach() const
{
    const auto radii = detail::boxRadii(number(keys::radius, 10));
    return radii[0] + radii[1] + radii[2];
}

void GaussianBlurFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    detail::boxBlur(input, detail::boxRadii(number(keys::radius, 10)), output);
}

void GaussianBlurFilter::applyParallel(const imaging::Tile &input,
                                       const imaging::Tile &output,
                                       int pieces,
                                       const Parallel &parallel) const
{
    detail::boxBlur(input, detail::boxRadii(number(keys::radius, 10)), output, pieces, parallel);
}

SharpenLuminanceFilter::SharpenLuminanceFilter()
    : FilterOf(QStringLiteral("SharpenLuminance"))
{
    setValue(keys::sharpness, 0.4f);
}

bool SharpenLuminanceFilter::isNeutral() const
{
    return std::fabs(number(keys::sharpness, 0.4f)) <= 1e-6f;
}

void SharpenLuminanceFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const float amount = number(keys::sharpness, 0.4f);
    const QRect &r = output.rect;
    auto luma = [](const uint8_t *p) { return 0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2]; };
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        uint8_t *d = output.row(y);
        for (int i = 0; i < r.width(); ++i) {
            const int x = r.x() + i;
            const uint8_t *c = input.pixel(x, y);
            // A small smoothing kernel (1 2 1 / 2 4 2 / 1 2 1) gives the local mean.
            float mean = 0;
            static constexpr float weights[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    mean += weights[dy + 1][dx + 1] * luma(input.pixel(x + dx, y + dy));
            const float delta = amount * (luma(c) - mean / 16.0f);
            const float alpha = c[3];
            for (int k = 0; k < 3; ++k)
                d[i * 4 + k] = uint8_t(std::clamp(c[k] + delta, 0.0f, alpha) + 0.5f);
            d[i * 4 + 3] = c[3];
        }
    }
}

GlowFilter::GlowFilter(Kind kind)
    : FilterOf(kind == Kind::Gloom ? QStringLiteral("Gloom") : QStringLiteral("Bloom"))
    , m_kind(kind)
{
    setValue(keys::radius, 10.0f);
    setValue(keys::intensity, 0.5f);
}

bool GlowFilter::isNeutral() const
{
    return std::fabs(number(keys::intensity, 0.5f)) <= 1e-6f;
}

int GlowFilter::reach() const
{
    const auto radii = detail::boxRadii(number(keys::radius, 10));
    return radii[0] + radii[1] + radii[2];
}

void GlowFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    detail::boxBlur(input, detail::boxRadii(number(keys::radius, 10)), output);
    mix(input, output);
}

void GlowFilter::applyParallel(const imaging::Tile &input,
                               const imaging::Tile &output,
                               int pieces,
                               const Parallel &parallel) const
{
    detail::boxBlur(input, detail::boxRadii(number(keys::radius, 10)), output, pieces, parallel);
    const QRect &r = output.rect;
    const int count = std::clamp(pieces, 1, std::max(1, r.height()));
    parallel(count, [&](int k) {
        const int bottom = r.y() + int(int64_t(r.height()) * k / count);
        const int top = r.y() + int(int64_t(r.height()) * (k + 1) / count);
        mix(input, output.view(QRect(r.x(), bottom, r.width(), top - bottom)));
    });
}

void GlowFilter::mix(const imaging::Tile &input, const imaging::Tile &output) const
{
    const float intensity = std::clamp(number(keys::intensity, 0.5f), 0.0f, 1.0f);
    const QRect &r = output.rect;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const uint8_t *s = input.pixel(r.x(), y);
        uint8_t *d = output.row(y);
        for (int i = 0; i < r.width() * 4; i += 4) {
            const float alpha = s[i + 3];
            for (int k = 0; k < 3; ++k) {
                const float o = s[i + k], blurred = std::min(float(d[i + k]), alpha);
                // Premultiplied: screen is o + b - o b / alpha; the dulled highlight is the darker.
                const float mixed = m_kind == Kind::Bloom
                                        ? o + blurred - (alpha > 0 ? o * blurred / alpha : 0)
                                        : std::min(o, blurred);
                d[i + k] = uint8_t(std::clamp(o + (mixed - o) * intensity, 0.0f, alpha) + 0.5f);
            }
            d[i + 3] = s[i + 3];
        }
    }
}

} // namespace Reelsmith::effects
