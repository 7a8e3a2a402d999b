#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <memory>

// One transition of the catalogue, as loaded from its description file: which of our painters
// draws it and with which parameters. The file is an XML property list:
//
//   renderer    string: "dissolve", "slide", "swipe", "zoomDissolve" or "circle"
//   parameters  dict, optional; every key optional:
//     easing         "linear" or "smooth" (slow at both ends); default "linear"
//     direction      slide: the way both pictures move, "left", "right", "up" or "down"; "left"
//     angle          swipe: degrees of the edge's travel, 0 left to right, 90 top to bottom; 0
//     softness       swipe: width of the blended edge as a fraction of the travel, [0, 1]; 0.02
//                    circle: width of the blended rim as a fraction of the largest radius; 0.02
//     outgoingZoom   zoomDissolve: scale the outgoing picture reaches at the end, [1, 4]; 1.4
//     incomingZoom   zoomDissolve: scale the incoming picture starts from, [0.1, 1]; 0.6
//     mode           circle: "open" (the incoming picture grows from the centre) or "close" (the
//                    outgoing picture shrinks into the centre); "open"
//
// A composition is immutable once loaded and shared by the catalogue and every renderer made from
// it, so any thread may read it and render with it at the same time.
class TransitionComposition
{
public:
    enum class Renderer { Dissolve, Slide, Swipe, ZoomDissolve, Circle };

    struct Parameters
    {
        bool smooth = false;
        // Slide: unit step of the pictures' motion in picture coordinates (y down).
        int directionX = -1;
        int directionY = 0;
        double angleDegrees = 0.0;
        double softness = 0.02;
        double outgoingZoom = 1.4;
        double incomingZoom = 0.6;
        bool circleOpens = true;
    };

    // The description in the file at path; null with *error set when the file is missing, is no
    // property list, names no known renderer or holds a parameter of the wrong type or range.
    static std::shared_ptr<const TransitionComposition> load(const QString &path,
                                                             QString *error = nullptr);
    // The same from an already read description.
    static std::shared_ptr<const TransitionComposition>
    fromDescription(const QVariantMap &description, QString *error = nullptr);

    Renderer renderer() const { return m_renderer; }
    const Parameters &parameters() const { return m_parameters; }

    // The frame of this transition at progress inputTime between image1 (outgoing) and image2
    // (incoming) over background, size pixels large, premultiplied RGBA8888. inputTime is clamped
    // to [0, 1] (not a number counts as 0); 0 gives image1 and 1 gives image2. Each picture is fitted
    // into size keeping its proportion and centred; background is stretched over the whole frame.
    // A null picture is transparent. A pure function of its arguments: any thread, concurrently.
    // Null when size is empty or the frame cannot be allocated.
    QImage render(const QImage &image1,
                  const QImage &image2,
                  const QImage &background,
                  double inputTime,
                  QSize size) const;

private:
    TransitionComposition() = default;

    Renderer m_renderer = Renderer::Dissolve;
    Parameters m_parameters;
};
