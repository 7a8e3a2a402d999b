#pragma once

#include <QColorSpace>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <memory>
#include <mutex>

class TransitionComposition;

// The offscreen renderer of one transition at one frame size: it runs its composition between two
// pictures at a point of the transition's progress. A slideshow background owns one per page and
// makes a new one when its transition or its page size changes.
//
// The inputs are keyed as every transition composition expects them: "Image1" (the outgoing
// picture), "Image2" (the incoming picture), "BackgroundImage" (behind both) and "InputTime" (the
// progress). One renderer is shared by the canvas on the main thread and the menu video encoder
// on the production thread, so every member may be called from any thread at the same time; the
// one-call renderAtTime(t, source, destination, background) keeps concurrent callers apart and is
// the one to use.
class TransitionQtzRenderer
{
public:
    // A renderer for composition at size pixels (truncated to whole pixels). When either side is
    // below one pixel it logs "Invilidate Size" and answers null; null also without a composition.
    // Frames are rendered in sRGB whatever colorSpace says, as every picture of the system is.
    static std::unique_ptr<TransitionQtzRenderer>
    initOffScreenWithSize(QSizeF size,
                          const QColorSpace &colorSpace,
                          std::shared_ptr<const TransitionComposition> composition);

    TransitionQtzRenderer(const TransitionQtzRenderer &) = delete;
    TransitionQtzRenderer &operator=(const TransitionQtzRenderer &) = delete;

    QSize size() const { return m_size; }
    const std::shared_ptr<const TransitionComposition> &composition() const
    {
        return m_composition;
    }

    // Sets the inputs "Image1", "Image2" and "BackgroundImage" for the next renderAtTime(t).
    void setSourceImage(const QImage &sourceImage,
                        const QImage &destinationImage,
                        const QImage &backgroundImage);
    // Sets "InputTime" to t and renders the set pictures at t (progress outside [0, 1] renders as
    // its nearer end); the frame is then snapshotImage(). Keeps the pictures set.
    void renderAtTime(double t);
    // Renders sourceImage to destinationImage over backgroundImage at t clamped to [0, 1] and
    // returns the frame (also kept as snapshotImage()). Afterwards the renderer holds none of the
    // three pictures, nor any set before. Null when the frame cannot be allocated.
    QImage renderAtTime(double t,
                        const QImage &sourceImage,
                        const QImage &destinationImage,
                        const QImage &backgroundImage);

    // The last rendered frame, premultiplied RGBA8888 of size(); null before the first render.
    QImage snapshotImage() const;
    // The picture set for "Image1", "Image2" or "BackgroundImage"; null when none is set or the
    // key is no picture input.
    QImage imageForInputKey(const QString &key) const;
    // The last "InputTime"; 0 before the first render.
    double inputTime() const;

private:
    TransitionQtzRenderer(QSize size, std::shared_ptr<const TransitionComposition> composition);

    const QSize m_size;
    const std::shared_ptr<const TransitionComposition> m_composition;

    mutable std::mutex m_lock;
    // Guarded by m_lock.
    QImage m_image1;
    QImage m_image2;
    QImage m_background;
    double m_inputTime = 0.0;
    QImage m_snapshot;
};
