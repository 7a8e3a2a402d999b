#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <cstdint>
#include <cstring>

// The pixel work under the transition painters, in plain loops on premultiplied RGBA8888. The
// painters run on the caller's thread only (the canvas and the menu video encoder render at the same
// time), so nothing here hands work to a thread pool or keeps state: any thread, concurrently.
namespace Discwright::TransitionRaster {

constexpr QImage::Format kFormat = QImage::Format_RGBA8888_Premultiplied;
// Mixing weights are fixed point with this many steps, so both ends are exact.
constexpr std::uint32_t kWeightOne = 1u << 16;

// A transparent frame of size; null when size is empty or cannot be allocated.
QImage newFrame(QSize size);

// picture in the working format: the same image (shared, not copied) when it already is, else a
// converted copy. Null stays null.
QImage toWorkingFormat(const QImage &picture);

// Whether every pixel of picture (working format) is opaque.
bool isOpaque(const QImage &picture);

// The rectangle of a picture of pictureSize fitted into a frame of frameSize keeping its
// proportion and centred, then scaled by scale about the frame's centre.
QRectF fittedRect(QSize pictureSize, QSize frameSize, double scale);

// Draws picture (working format) over frame (working format), scaled to fill target, which may
// reach past the frame. Sampling is bilinear, after halving a picture more than twice the target's
// size; the target's fractional edges are blended. A picture the size of a target on whole pixels
// is copied exactly.
void drawScaled(QImage &frame, const QImage &picture, const QRectF &target);

// The weight of the incoming layer for a coverage in [0, 1] (clamped).
std::uint32_t weightOf(double coverage);

// A new frame mixed pixel by pixel from the layers a and b (working format, both of size), with
// the weight of b that weightAt(x, y) gives, between 0 and kWeightOne. Null when a layer is null.
template <typename WeightAt>
QImage mixLayers(const QImage &a, const QImage &b, QSize size, WeightAt weightAt)
{
    if (a.isNull() || b.isNull() || a.size() != size || b.size() != size)
        return {};
    QImage frame(size, kFormat);
    if (frame.isNull())
        return frame;
    for (int y = 0; y < size.height(); ++y) {
        const uchar *rowA = a.constScanLine(y);
        const uchar *rowB = b.constScanLine(y);
        uchar *rowOut = frame.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const std::uint32_t weight = weightAt(x, y);
            if (weight == 0 || weight >= kWeightOne) {
                std::memcpy(rowOut + 4 * x, (weight == 0 ? rowA : rowB) + 4 * x, 4);
                continue;
            }
            // Mixing premultiplied channels alike keeps the result premultiplied.
            for (int channel = 4 * x; channel < 4 * x + 4; ++channel)
                rowOut[channel] = uchar((rowA[channel] * (kWeightOne - weight)
                                         + rowB[channel] * weight + kWeightOne / 2)
                                        >> 16);
        }
    }
    return frame;
}

} // namespace Discwright::TransitionRaster
