#include "app/Transition/TransitionRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace Discwright::TransitionRaster {

namespace {

// Qt's own conversions may spread a large picture over a thread pool; the formats that pictures
// usually come in are converted here instead, on the calling thread.
QImage convertCommonFormat(const QImage &picture)
{
    const QImage::Format format = picture.format();
    const bool argb = format == QImage::Format_ARGB32
                      || format == QImage::Format_ARGB32_Premultiplied
                      || format == QImage::Format_RGB32;
    const bool rgba = format == QImage::Format_RGBA8888 || format == QImage::Format_RGBX8888;
    if (!argb && !rgba)
        return picture.convertToFormat(kFormat);
    const bool premultiply = format == QImage::Format_ARGB32 || format == QImage::Format_RGBA8888;
    QImage out(picture.size(), kFormat);
    if (out.isNull())
        return out;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar *in = picture.constScanLine(y);
        uchar *row = out.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            std::uint32_t r, g, b, a;
            if (argb) {
                const std::uint32_t pixel = reinterpret_cast<const std::uint32_t *>(in)[x];
                r = (pixel >> 16) & 0xff;
                g = (pixel >> 8) & 0xff;
                b = pixel & 0xff;
                a = format == QImage::Format_RGB32 ? 0xff : pixel >> 24;
            } else {
                r = in[4 * x];
                g = in[4 * x + 1];
                b = in[4 * x + 2];
                a = format == QImage::Format_RGBX8888 ? 0xff : in[4 * x + 3];
            }
            if (premultiply) {
                r = (r * a + 127) / 255;
                g = (g * a + 127) / 255;
                b = (b * a + 127) / 255;
            }
            row[4 * x] = uchar(r);
            row[4 * x + 1] = uchar(g);
            row[4 * x + 2] = uchar(b);
            row[4 * x + 3] = uchar(a);
        }
    }
    return out;
}

// The picture at half its width and height, each pixel the mean of four.
QImage halved(const QImage &picture)
{
    QImage out(picture.width() / 2, picture.height() / 2, kFormat);
    if (out.isNull())
        return picture;
    for (int y = 0; y < out.height(); ++y) {
        const uchar *top = picture.constScanLine(2 * y);
        const uchar *bottom = picture.constScanLine(2 * y + 1);
        uchar *row = out.scanLine(y);
        for (int i = 0; i < out.width() * 4; ++i) {
            const int x = (i / 4) * 8 + i % 4;
            row[i] = uchar((top[x] + top[x + 4] + bottom[x] + bottom[x + 4] + 2) / 4);
        }
    }
    return out;
}

// Where one output column (or row) samples the picture: the two neighbours, the weight of the
// second (0 to 256), and how much of the output pixel the target covers (0 to 256).
struct Tap
{
    int first;
    int second;
    std::uint32_t weight;
    std::uint32_t coverage;
};

std::vector<Tap>
taps(int begin, int end, double targetStart, double targetLength, int pictureLength)
{
    std::vector<Tap> result;
    result.reserve(std::max(0, end - begin));
    const double step = pictureLength / targetLength;
    for (int i = begin; i < end; ++i) {
        const double at
            = std::clamp((i + 0.5 - targetStart) * step - 0.5, 0.0, double(pictureLength - 1));
        const int first = int(at);
        const double covered
            = std::min(i + 1.0, targetStart + targetLength) - std::max(double(i), targetStart);
        result.push_back({first,
                          std::min(first + 1, pictureLength - 1),
                          std::uint32_t(std::lround((at - first) * 256)),
                          std::uint32_t(std::lround(std::clamp(covered, 0.0, 1.0) * 256))});
    }
    return result;
}

// The pixels x and y (four 8-bit channels in one word) mixed with the weight of y, 0 to 256, two
// channels at a time: each 8-bit channel times a weight of at most 256 stays inside its 16 bits.
inline std::uint32_t lerpPixel(std::uint32_t x, std::uint32_t y, std::uint32_t weight)
{
    const std::uint32_t keep = 256 - weight;
    const std::uint32_t redBlue
        = (((x & 0x00ff00ffu) * keep + (y & 0x00ff00ffu) * weight + 0x00800080u) >> 8)
          & 0x00ff00ffu;
    const std::uint32_t greenAlpha
        = (((x >> 8) & 0x00ff00ffu) * keep + ((y >> 8) & 0x00ff00ffu) * weight + 0x00800080u)
          & 0xff00ff00u;
    return redBlue | greenAlpha;
}

// Source over at a whole-pixel offset.
void drawUnscaled(QImage &frame, const QImage &picture, QPoint origin)
{
    const int left = std::max(0, origin.x());
    const int right = std::min(frame.width(), origin.x() + picture.width());
    const int top = std::max(0, origin.y());
    const int bottom = std::min(frame.height(), origin.y() + picture.height());
    for (int y = top; y < bottom; ++y) {
        const uchar *in = picture.constScanLine(y - origin.y()) + 4 * (left - origin.x());
        uchar *out = frame.scanLine(y) + 4 * left;
        for (int x = left; x < right; ++x, in += 4, out += 4) {
            const std::uint32_t through = 255 - in[3];
            if (through == 0) {
                std::memcpy(out, in, 4);
                continue;
            }
            for (int c = 0; c < 4; ++c)
                out[c] = uchar(in[c] + (out[c] * through + 127) / 255);
        }
    }
}

} // namespace

QImage newFrame(QSize size)
{
    if (size.isEmpty())
        return {};
    QImage frame(size, kFormat);
    if (!frame.isNull())
        frame.fill(0);
    return frame;
}

QImage toWorkingFormat(const QImage &picture)
{
    if (picture.isNull() || picture.format() == kFormat)
        return picture;
    return convertCommonFormat(picture);
}

bool isOpaque(const QImage &picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        const uchar *row = picture.constScanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            if (row[4 * x + 3] != 255)
                return false;
        }
    }
    return true;
}

QRectF fittedRect(QSize pictureSize, QSize frameSize, double scale)
{
    const double fit = std::min(double(frameSize.width()) / pictureSize.width(),
                                double(frameSize.height()) / pictureSize.height());
    const double width = pictureSize.width() * fit * scale;
    const double height = pictureSize.height() * fit * scale;
    return QRectF(
        (frameSize.width() - width) / 2.0, (frameSize.height() - height) / 2.0, width, height);
}

void drawScaled(QImage &frame, const QImage &picture, const QRectF &target)
{
    if (frame.isNull() || picture.isNull() || !(target.width() > 0) || !(target.height() > 0))
        return;
    // Unscaled on whole pixels (a picture of the page's size, a slide): no sampling at all.
    const QPoint origin(int(target.left()), int(target.top()));
    if (target.size() == QSizeF(picture.size()) && QPointF(origin) == target.topLeft()) {
        drawUnscaled(frame, picture, origin);
        return;
    }
    QImage source = picture;
    // Bilinear sampling skips pixels beyond a halving; a box filter first keeps a much larger
    // picture from shimmering.
    while (source.width() >= 4 && source.height() >= 4 && source.width() > 2 * target.width()
           && source.height() > 2 * target.height())
        source = halved(source);

    const int left = std::max(0, int(std::floor(target.left())));
    const int right = std::min(frame.width(), int(std::ceil(target.right())));
    const int top = std::max(0, int(std::floor(target.top())));
    const int bottom = std::min(frame.height(), int(std::ceil(target.bottom())));
    if (left >= right || top >= bottom)
        return;
    const std::vector<Tap> columns
        = taps(left, right, target.left(), target.width(), source.width());
    const std::vector<Tap> rows = taps(top, bottom, target.top(), target.height(), source.height());

    for (int y = top; y < bottom; ++y) {
        const Tap &row = rows[y - top];
        const auto *upper
            = reinterpret_cast<const std::uint32_t *>(source.constScanLine(row.first));
        const auto *lower
            = reinterpret_cast<const std::uint32_t *>(source.constScanLine(row.second));
        uchar *out = frame.scanLine(y) + 4 * left;
        for (const Tap &column : columns) {
            const std::uint32_t coverage = (row.coverage * column.coverage + 128) >> 8;
            const std::uint32_t high
                = lerpPixel(upper[column.first], upper[column.second], column.weight);
            const std::uint32_t low
                = lerpPixel(lower[column.first], lower[column.second], column.weight);
            std::uint32_t pixel = lerpPixel(high, low, row.weight);
            if (coverage < 256)
                pixel = lerpPixel(0, pixel, coverage);
            // Source over: what shows through is what the picture's alpha leaves.
            const std::uint32_t through = 255 - (pixel >> 24);
            if (through == 0) {
                std::memcpy(out, &pixel, 4);
            } else {
                uchar channels[4];
                std::memcpy(channels, &pixel, 4);
                for (int c = 0; c < 4; ++c)
                    out[c] = uchar(channels[c] + (out[c] * through + 127) / 255);
            }
            out += 4;
        }
    }
}

std::uint32_t weightOf(double coverage)
{
    return std::uint32_t(std::lround(std::clamp(coverage, 0.0, 1.0) * kWeightOne));
}

} // namespace Discwright::TransitionRaster
