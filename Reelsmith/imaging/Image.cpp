#include "Reelsmith/imaging/Image.h"

#include "Reelsmith/imaging/Filter.h"
#include "Reelsmith/imaging/Node.h"

#include <algorithm>
#include <cmath>

namespace Reelsmith::imaging {

namespace {

std::shared_ptr<Node> makeNode(Node::Kind kind)
{
    auto node = std::make_shared<Node>();
    node->kind = kind;
    return node;
}

bool isIdentity(const QTransform &t)
{
    return t.type() == QTransform::TxNone;
}

} // namespace

Image Image::fromBuffer(const uint8_t *bits,
                        int width,
                        int height,
                        qsizetype stride,
                        std::shared_ptr<const void> keepAlive,
                        bool straightAlpha,
                        std::mutex *lock)
{
    if (!bits || width < 1 || height < 1 || stride < qsizetype(width) * 4)
        return {};
    auto node = makeNode(Node::Kind::Source);
    node->bits = bits;
    node->width = width;
    node->height = height;
    node->stride = stride;
    node->keepAlive = std::move(keepAlive);
    node->straightAlpha = straightAlpha;
    node->lock = lock;
    node->extent = {0, 0, double(width), double(height)};
    return Image(std::move(node));
}

Image Image::fromQImage(const QImage &image)
{
    if (image.isNull())
        return {};
    QImage pixels = image;
    bool straight = false;
    switch (image.format()) {
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888:
        break;
    case QImage::Format_RGBA8888:
        straight = true;
        break;
    default:
        pixels = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        break;
    }
    auto holder = std::make_shared<QImage>(pixels);
    const uint8_t *bits = holder->constBits();
    return fromBuffer(
        bits, holder->width(), holder->height(), holder->bytesPerLine(), holder, straight);
}

Image Image::constantColor(const QColor &color)
{
    auto node = makeNode(Node::Kind::Constant);
    const QColor rgb = color.toRgb();
    const double alpha = rgb.alphaF();
    auto byte = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    node->color = {byte(rgb.redF() * alpha),
                   byte(rgb.greenF() * alpha),
                   byte(rgb.blueF() * alpha),
                   byte(alpha)};
    node->extent = Extent::infinite();
    return Image(std::move(node));
}

Image Image::empty()
{
    return Image(makeNode(Node::Kind::Empty));
}

Extent Image::extent() const
{
    return m_node ? m_node->extent : Extent();
}

Image Image::transformed(const QTransform &transform) const
{
    if (!m_node)
        return {};
    if (isIdentity(transform))
        return *this;
    if (!transform.isInvertible() || !std::isfinite(transform.determinant()))
        return empty();
    if (m_node->kind == Node::Kind::Empty || m_node->kind == Node::Kind::Constant)
        return *this;
    auto node = makeNode(Node::Kind::Transform);
    if (m_node->kind == Node::Kind::Transform) {
        // Folded here already, so a chain of moves is one transform however long it grows.
        node->transform = m_node->transform * transform;
        node->child = m_node->child;
        if (isIdentity(node->transform))
            return Image(m_node->child);
        if (!node->transform.isInvertible())
            return empty();
    } else {
        node->transform = transform;
        node->child = m_node;
    }
    node->extent = node->child->extent.mapped(node->transform);
    return Image(std::move(node));
}

Image Image::translated(double dx, double dy) const
{
    return transformed(QTransform::fromTranslate(dx, dy));
}

Image Image::scaled(double sx, double sy) const
{
    return transformed(QTransform::fromScale(sx, sy));
}

Image Image::cropped(const QRectF &rect) const
{
    return cropped(Extent::fromRect(rect));
}

Image Image::cropped(const Extent &extent) const
{
    if (!m_node)
        return {};
    const Extent inside = m_node->extent.intersected(extent);
    if (inside.isEmpty())
        return empty();
    if (inside == m_node->extent && m_node->kind != Node::Kind::Constant)
        return *this;
    auto node = makeNode(Node::Kind::Crop);
    node->crop = extent;
    node->child = m_node;
    node->extent = inside;
    return Image(std::move(node));
}

Image Image::sourceOver(const Image &background) const
{
    if (!m_node || !background.m_node)
        return {};
    if (m_node->kind == Node::Kind::Empty)
        return background;
    if (background.m_node->kind == Node::Kind::Empty)
        return *this;
    auto node = makeNode(Node::Kind::SourceOver);
    node->child = m_node;
    node->second = background.m_node;
    node->extent = m_node->extent.united(background.m_node->extent);
    return Image(std::move(node));
}

Image Image::sourceIn(const Image &background) const
{
    if (!m_node || !background.m_node)
        return {};
    auto node = makeNode(Node::Kind::SourceIn);
    node->child = m_node;
    node->second = background.m_node;
    node->extent = m_node->extent.intersected(background.m_node->extent);
    if (node->extent.isEmpty())
        return empty();
    return Image(std::move(node));
}

Image Image::filtered(const Filter &filter) const
{
    if (!m_node)
        return {};
    return filter.applyTo(*this);
}

Image Filter::applyTo(const Image &image) const
{
    const std::shared_ptr<const Node> &input = image.node();
    if (!input)
        return {};
    if (isNeutral() || input->kind == Node::Kind::Empty)
        return image;
    std::shared_ptr<Filter> frozen = copy();
    frozen->setInputImage({}); // the node holds the input; the copy must not keep it twice
    auto node = makeNode(Node::Kind::Filter);
    node->child = input;
    node->extent = frozen->outputExtent(input->extent);
    node->filter = std::move(frozen);
    return Image(std::move(node));
}

void Filter::applyParallel(const Tile &input,
                           const Tile &output,
                           int pieces,
                           const Parallel &parallel) const
{
    const QRect &r = output.rect;
    const int count = std::clamp(pieces, 1, std::max(1, r.height()));
    parallel(count, [&](int k) {
        const int bottom = r.y() + int(int64_t(r.height()) * k / count);
        const int top = r.y() + int(int64_t(r.height()) * (k + 1) / count);
        apply(input, output.view(QRect(r.x(), bottom, r.width(), top - bottom)));
    });
}

float Filter::number(const QString &key, float fallback) const
{
    bool ok = false;
    const float result = m_values.value(key).toFloat(&ok);
    return ok ? result : fallback;
}

Image Filter::outputImage() const
{
    if (m_input.isNull())
        return {};
    return applyTo(m_input);
}

} // namespace Reelsmith::imaging
