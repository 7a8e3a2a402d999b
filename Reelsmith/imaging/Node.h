#pragma once

#include "Reelsmith/imaging/Extent.h"

#include <QTransform>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

namespace Reelsmith::imaging {

class Filter;

// The description an Image shares: one node of an immutable tree. Only the image layer reads it.
struct Node
{
    enum class Kind { Empty, Source, Constant, Transform, Crop, SourceOver, SourceIn, Filter };

    Kind kind = Kind::Empty;
    Extent extent;

    // Source.
    const uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    bool straightAlpha = false;
    std::shared_ptr<const void> keepAlive;
    std::mutex *lock = nullptr;

    // Constant: premultiplied RGBA.
    std::array<uint8_t, 4> color{0, 0, 0, 0};

    // Transform (child space to this space) and Crop (in this space).
    QTransform transform;
    Extent crop;

    // Filter.
    std::shared_ptr<const Filter> filter;

    // Transform, Crop, Filter: child; SourceOver, SourceIn: child over/in second.
    std::shared_ptr<const Node> child;
    std::shared_ptr<const Node> second;
};

} // namespace Reelsmith::imaging
