#include "Reelsmith/imaging/Renderer.h"

#include "Reelsmith/imaging/Filter.h"
#include "Reelsmith/imaging/Node.h"
#include "Reelsmith/imaging/Resampler.h"
#include "Reelsmith/imaging/Tile.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace Reelsmith::imaging {

namespace {

std::atomic<int> g_defaultThreads{0};

inline uint32_t div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

using detail::isAxisAligned;

// Where a source may be sampled: its pixels clipped to the crop above it, as pixel indices.
struct SourceWindow
{
    Extent valid;       // y-up, source space: pixel centres inside it are drawn
    int colMin, colMax; // columns that taps may read
    int rowMin, rowMax; // rows from the top that taps may read
};

bool sourceWindow(const Node &node, const Extent &clamp, SourceWindow *window)
{
    window->valid = node.extent.intersected(clamp);
    if (window->valid.isEmpty())
        return false;
    const Extent &v = window->valid;
    window->colMin = std::max(0, int(std::floor(v.x0)));
    window->colMax = std::min(node.width - 1, int(std::ceil(v.x1)) - 1);
    const int yMin = std::max(0, int(std::floor(v.y0)));
    const int yMax = std::min(node.height - 1, int(std::ceil(v.y1)) - 1);
    window->rowMin = node.height - 1 - yMax;
    window->rowMax = node.height - 1 - yMin;
    return window->colMin <= window->colMax && window->rowMin <= window->rowMax;
}

struct Tap
{
    int i0, i1; // indices (columns or rows from the top)
    uint32_t w; // weight of i1, 0..256
};

inline Tap makeTap(double u, int lo, int hi)
{
    double base = std::floor(u);
    int w = int(std::lround((u - base) * 256));
    if (w >= 256) {
        base += 1;
        w = 0;
    }
    Tap tap;
    tap.i0 = std::clamp(int(base), lo, hi);
    tap.i1 = std::clamp(int(base) + 1, lo, hi);
    tap.w = uint32_t(w);
    return tap;
}

// One source pixel as premultiplied RGBA.
inline void fetch(const uint8_t *p, bool straight, uint32_t out[4])
{
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
    out[3] = p[3];
    if (straight && out[3] != 255) {
        out[0] = div255(out[0] * out[3]);
        out[1] = div255(out[1] * out[3]);
        out[2] = div255(out[2] * out[3]);
    }
}

inline void bilinear(const Node &node, const Tap &cx, const Tap &ry, uint8_t *dst)
{
    const uint8_t *row0 = node.bits + qsizetype(ry.i0) * node.stride;
    const uint8_t *row1 = node.bits + qsizetype(ry.i1) * node.stride;
    uint32_t a[4], b[4], c[4], d[4];
    fetch(row0 + cx.i0 * 4, node.straightAlpha, a);
    fetch(row0 + cx.i1 * 4, node.straightAlpha, b);
    fetch(row1 + cx.i0 * 4, node.straightAlpha, c);
    fetch(row1 + cx.i1 * 4, node.straightAlpha, d);
    const uint32_t wx = cx.w, wy = ry.w;
    for (int k = 0; k < 4; ++k) {
        const uint32_t top = a[k] * (256 - wx) + b[k] * wx;
        const uint32_t bottom = c[k] * (256 - wx) + d[k] * wx;
        dst[k] = uint8_t((top * (256 - wy) + bottom * wy + 32768) >> 16);
    }
}

void renderNode(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out);

void renderSource(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out)
{
    out.clear();
    SourceWindow window;
    if (!sourceWindow(node, clamp, &window))
        return;
    bool invertible = false;
    const QTransform inv = m.inverted(&invertible);
    if (!invertible)
        return;
    const QRect &r = out.rect;
    const Extent &v = window.valid;
    const int h = node.height;
    if (isAxisAligned(inv)) {
        // Scales, mirrors and moves: one filtered two-pass resample, wide enough when shrinking.
        detail::SourcePixels pixels;
        pixels.bits = node.bits;
        pixels.width = node.width;
        pixels.height = node.height;
        pixels.stride = node.stride;
        pixels.straightAlpha = node.straightAlpha;
        pixels.valid = window.valid;
        pixels.colMin = window.colMin;
        pixels.colMax = window.colMax;
        pixels.rowMin = window.rowMin;
        pixels.rowMax = window.rowMax;
        detail::resampleAxisAligned(pixels, inv, out);
        return;
    }
    if (detail::isQuarterTurn(inv)) {
        detail::SourcePixels pixels;
        pixels.bits = node.bits;
        pixels.width = node.width;
        pixels.height = node.height;
        pixels.stride = node.stride;
        pixels.straightAlpha = node.straightAlpha;
        pixels.valid = window.valid;
        pixels.colMin = window.colMin;
        pixels.colMax = window.colMax;
        pixels.rowMin = window.rowMin;
        pixels.rowMax = window.rowMax;
        detail::resampleQuarterTurn(pixels, inv, out);
        return;
    }
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        uint8_t *dst = out.row(y);
        for (int i = 0; i < r.width(); ++i) {
            double px, py;
            inv.map(r.x() + i + 0.5, y + 0.5, &px, &py);
            if (!(px >= v.x0 && px < v.x1 && py >= v.y0 && py < v.y1))
                continue;
            bilinear(node,
                     makeTap(px - 0.5, window.colMin, window.colMax),
                     makeTap((h - py) - 0.5, window.rowMin, window.rowMax),
                     dst + i * 4);
        }
    }
}

void fill(const Tile &out, const std::array<uint8_t, 4> &color)
{
    uint32_t word;
    std::memcpy(&word, color.data(), 4);
    std::vector<uint32_t> line(size_t(out.rect.width()), word);
    for (int y = out.rect.y(); y < out.rect.y() + out.rect.height(); ++y)
        std::memcpy(out.row(y), line.data(), line.size() * 4);
}

// Clears the pixels of out whose centres, mapped back by m, fall outside crop.
void maskOutside(const Extent &crop, const QTransform &m, const Tile &out)
{
    bool invertible = false;
    const QTransform inv = m.inverted(&invertible);
    const QRect &r = out.rect;
    if (!invertible) {
        out.clear();
        return;
    }
    if (isAxisAligned(inv)) {
        std::vector<char> colInside(size_t(r.width()));
        for (int i = 0; i < r.width(); ++i) {
            const double px = inv.m11() * (r.x() + i + 0.5) + inv.dx();
            colInside[size_t(i)] = px >= crop.x0 && px < crop.x1;
        }
        for (int y = r.y(); y < r.y() + r.height(); ++y) {
            const double py = inv.m22() * (y + 0.5) + inv.dy();
            uint8_t *dst = out.row(y);
            if (!(py >= crop.y0 && py < crop.y1)) {
                std::memset(dst, 0, size_t(r.width()) * 4);
                continue;
            }
            for (int i = 0; i < r.width(); ++i)
                if (!colInside[size_t(i)])
                    std::memset(dst + i * 4, 0, 4);
        }
        return;
    }
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        uint8_t *dst = out.row(y);
        for (int i = 0; i < r.width(); ++i) {
            double px, py;
            inv.map(r.x() + i + 0.5, y + 0.5, &px, &py);
            if (!(px >= crop.x0 && px < crop.x1 && py >= crop.y0 && py < crop.y1))
                std::memset(dst + i * 4, 0, 4);
        }
    }
}

void renderCrop(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out)
{
    if (isAxisAligned(m)) {
        // A crop around the whole tile (the output's own bounds, usually) cuts nothing here.
        const Extent inside = node.crop.mapped(m);
        const QRect &r = out.rect;
        if (inside.x0 <= r.x() && inside.y0 <= r.y() && inside.x1 >= r.x() + r.width()
            && inside.y1 >= r.y() + r.height()) {
            renderNode(*node.child, m, clamp.intersected(node.crop), out);
            return;
        }
    }
    out.clear();
    const QRect sub = node.extent.mapped(m).pixelsWithin(out.rect);
    if (sub.isEmpty())
        return;
    const Tile view = out.view(sub);
    renderNode(*node.child, m, clamp.intersected(node.crop), view);
    maskOutside(node.crop, m, view);
}

void renderSourceOver(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out)
{
    renderNode(*node.second, m, clamp, out);
    const QRect sub = node.child->extent.mapped(m).pixelsWithin(out.rect);
    if (sub.isEmpty())
        return;
    TileBuffer front(sub);
    renderNode(*node.child, m, clamp, front.tile());
    const Tile back = out.view(sub);
    for (int y = sub.y(); y < sub.y() + sub.height(); ++y) {
        const uint8_t *f = front.tile().row(y);
        uint8_t *b = back.row(y);
        for (int i = 0; i < sub.width() * 4; i += 4) {
            const uint32_t fa = f[i + 3];
            if (fa == 255) {
                // A run of opaque pixels (a picture's) goes over in one copy.
                int end = i + 4;
                while (end < sub.width() * 4 && f[end + 3] == 255)
                    end += 4;
                std::memcpy(b + i, f + i, size_t(end - i));
                i = end - 4;
            } else if (fa != 0 || f[i] || f[i + 1] || f[i + 2]) {
                const uint32_t keep = 255 - fa;
                for (int k = 0; k < 4; ++k)
                    b[i + k] = uint8_t(std::min<uint32_t>(255, f[i + k] + div255(b[i + k] * keep)));
            }
        }
    }
}

void renderSourceIn(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out)
{
    renderNode(*node.child, m, clamp, out);
    TileBuffer back(out.rect);
    renderNode(*node.second, m, clamp, back.tile());
    for (int y = out.rect.y(); y < out.rect.y() + out.rect.height(); ++y) {
        uint8_t *f = out.row(y);
        const uint8_t *b = back.tile().row(y);
        for (int i = 0; i < out.rect.width() * 4; i += 4) {
            const uint32_t ba = b[i + 3];
            if (ba == 255)
                continue;
            for (int k = 0; k < 4; ++k)
                f[i + k] = uint8_t(div255(f[i + k] * ba));
        }
    }
}

void renderFilterHere(const Node &node, const Tile &out)
{
    const int reach = std::max(0, node.filter->reach());
    const QRect need = out.rect.adjusted(-reach, -reach, reach, reach);
    TileBuffer input(need);
    const QRect covered = node.child->extent.pixelsWithin(need);
    if (!covered.isEmpty())
        renderNode(*node.child, QTransform(), Extent::infinite(), input.tile().view(covered));
    node.filter->apply(input.tile(), out);
}

void renderFilter(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out)
{
    if (m.type() == QTransform::TxNone) {
        renderFilterHere(node, out);
        return;
    }
    // The filter works in its own space: render the part needed there, then resample it once.
    bool invertible = false;
    const QTransform inv = m.inverted(&invertible);
    out.clear();
    if (!invertible)
        return;
    const Extent wanted = Extent::fromRect(QRectF(out.rect)).mapped(inv).grown(1);
    const Extent inside = wanted.intersected(node.extent);
    if (inside.isEmpty())
        return;
    const QRect region
        = inside.pixelsWithin(QRect(int(std::floor(inside.x0)),
                                    int(std::floor(inside.y0)),
                                    int(std::ceil(inside.x1) - std::floor(inside.x0)),
                                    int(std::ceil(inside.y1) - std::floor(inside.y0))));
    if (region.isEmpty())
        return;
    TileBuffer middle(region);
    renderFilterHere(node, middle.tile());
    Node source;
    source.kind = Node::Kind::Source;
    source.bits = middle.tile().bits;
    source.width = region.width();
    source.height = region.height();
    source.stride = middle.tile().stride;
    source.extent = {0, 0, double(region.width()), double(region.height())};
    const QTransform place = QTransform::fromTranslate(region.x(), region.y()) * m;
    const Extent sourceClamp
        = clamp.isInfinite() ? Extent::infinite()
                             : clamp.mapped(QTransform::fromTranslate(-region.x(), -region.y()));
    renderSource(source, place, sourceClamp, out);
}

void renderNode(const Node &node, const QTransform &m, const Extent &clamp, const Tile &out)
{
    if (out.rect.isEmpty())
        return;
    switch (node.kind) {
    case Node::Kind::Empty:
        out.clear();
        return;
    case Node::Kind::Source:
        renderSource(node, m, clamp, out);
        return;
    case Node::Kind::Constant:
        fill(out, node.color);
        return;
    case Node::Kind::Transform: {
        bool invertible = false;
        const QTransform inv = node.transform.inverted(&invertible);
        if (!invertible) {
            out.clear();
            return;
        }
        renderNode(*node.child,
                   node.transform * m,
                   clamp.isInfinite() ? Extent::infinite() : clamp.mapped(inv),
                   out);
        return;
    }
    case Node::Kind::Crop:
        renderCrop(node, m, clamp, out);
        return;
    case Node::Kind::SourceOver:
        renderSourceOver(node, m, clamp, out);
        return;
    case Node::Kind::SourceIn:
        renderSourceIn(node, m, clamp, out);
        return;
    case Node::Kind::Filter:
        renderFilter(node, m, clamp, out);
        return;
    }
}

// How far the filters of the tree read around a pixel, at most (in output pixels, roughly).
int treeReach(const Node *node)
{
    if (!node)
        return 0;
    const int own = node->kind == Node::Kind::Filter ? std::max(0, node->filter->reach()) : 0;
    return own + std::max(treeReach(node->child.get()), treeReach(node->second.get()));
}

void collectLocks(const Node *node, std::set<std::mutex *> &locks)
{
    if (!node)
        return;
    if (node->lock)
        locks.insert(node->lock);
    collectLocks(node->child.get(), locks);
    collectLocks(node->second.get(), locks);
}

// The threads that render bands: started on first need, kept for the process. Bands are leaves
// (they never wait on other work), so callers from any thread, pool threads of their own
// included, cannot stall each other here. Plain std threads, so the thread checker sees every
// hand-over.
class BandWorkers
{
public:
    static BandWorkers &shared()
    {
        static BandWorkers *workers = new BandWorkers;
        return *workers;
    }

    void run(std::function<void()> task, int wanted)
    {
        std::lock_guard guard(m_lock);
        const int limit = std::max(1, QThread::idealThreadCount());
        while (int(m_threads.size()) < std::min(wanted, limit))
            m_threads.emplace_back([this] { work(); });
        m_tasks.push_back(std::move(task));
        m_ready.notify_one();
    }

private:
    void work()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock guard(m_lock);
                m_ready.wait(guard, [this] { return !m_tasks.empty(); });
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_ready;
    std::deque<std::function<void()>> m_tasks;
    std::vector<std::thread> m_threads;
};

// Runs work(k) for k in [0, count) on up to threads threads, the calling one included, returning
// when all are done (so work may refer to the caller's stack). Each thread takes the next piece
// not yet taken: on a busy machine a thread that waits for a core holds up one piece, not a
// fixed share, and the others do the rest.
void runParallel(int count, int threads, const std::function<void(int)> &work)
{
    const int helpers = std::min(threads, count) - 1;
    if (helpers <= 0) {
        for (int k = 0; k < count; ++k)
            work(k);
        return;
    }
    struct Job
    {
        std::atomic<int> next{0};
        int count = 0;
        const std::function<void(int)> *work = nullptr;
        std::mutex lock;
        std::condition_variable finished;
        int done = 0;
        // Takes pieces until none is left; a helper that starts after the last piece was taken
        // touches nothing of the caller's.
        void takePieces()
        {
            int finishedHere = 0;
            for (int k = next.fetch_add(1); k < count; k = next.fetch_add(1)) {
                (*work)(k);
                ++finishedHere;
            }
            if (finishedHere == 0)
                return;
            std::lock_guard guard(lock);
            done += finishedHere;
            if (done == count)
                finished.notify_all();
        }
    };
    auto job = std::make_shared<Job>();
    job->count = count;
    job->work = &work;
    for (int k = 0; k < helpers; ++k)
        BandWorkers::shared().run([job] { job->takePieces(); }, helpers);
    job->takePieces();
    std::unique_lock guard(job->lock);
    job->finished.wait(guard, [&job] { return job->done == job->count; });
}

// Renders node over region into dst in bands on threads threads.
void renderBands(
    const Node &node, const QRect &region, uint8_t *dst, qsizetype stride, int bands, int threads)
{
    const int h = region.height();
    bands = std::clamp(bands, 1, std::max(1, h));
    runParallel(bands, threads, [&](int k) {
        const int top = int(int64_t(h) * k / bands);
        const int bottom = int(int64_t(h) * (k + 1) / bands);
        Tile tile;
        tile.bits = dst + qsizetype(top) * stride;
        tile.stride = stride;
        tile.rect = QRect(region.x(), region.y() + h - bottom, region.width(), bottom - top);
        renderNode(node, QTransform(), Extent::infinite(), tile);
    });
}

// Filters reading this far around a pixel are drawn before the bands (see prerenderWideFilters).
constexpr int kWideReach = 8;
// Their passes are cut finer than the threads, so that a thread kept waiting holds up little.
constexpr int kPiecesPerThread = 4;

// The tree with each filter that reads far around its pixels, in the output's own space, drawn
// beforehand over what the render needs of it: its input once, in bands, then the filter's own
// passes cut over the threads. Bands of the whole tree would each draw that reach again, so such
// trees would not split over threads at all. Pixels are the same as drawn in place (each is a
// function of the input alone). keep holds the drawn buffers.
std::shared_ptr<const Node> prerenderWideFilters(const std::shared_ptr<const Node> &node,
                                                 const QRect &need,
                                                 int threads,
                                                 std::vector<std::shared_ptr<TileBuffer>> &keep)
{
    if (!node || need.isEmpty())
        return node;
    switch (node->kind) {
    case Node::Kind::Crop:
    case Node::Kind::SourceOver:
    case Node::Kind::SourceIn: {
        auto child = prerenderWideFilters(node->child, need, threads, keep);
        auto second = prerenderWideFilters(node->second, need, threads, keep);
        if (child == node->child && second == node->second)
            return node;
        auto copy = std::make_shared<Node>(*node);
        copy->child = std::move(child);
        copy->second = std::move(second);
        return copy;
    }
    case Node::Kind::Filter: {
        const int reach = std::max(0, node->filter->reach());
        const QRect wider = need.adjusted(-reach, -reach, reach, reach);
        auto child = prerenderWideFilters(node->child, wider, threads, keep);
        if (reach < kWideReach) {
            if (child == node->child)
                return node;
            auto copy = std::make_shared<Node>(*node);
            copy->child = std::move(child);
            return copy;
        }
        const QRect region = node->extent.pixelsWithin(need);
        if (region.isEmpty()) {
            auto empty = std::make_shared<Node>();
            return empty;
        }
        const QRect inputRect = region.adjusted(-reach, -reach, reach, reach);
        auto input = std::make_shared<TileBuffer>(inputRect);
        const QRect covered = child->extent.pixelsWithin(inputRect);
        if (!covered.isEmpty()) {
            const Tile part = input->tile().view(covered);
            renderBands(
                *child, covered, part.bits, part.stride, kPiecesPerThread * threads, threads);
        }
        auto output = std::make_shared<TileBuffer>(region);
        node->filter->applyParallel(input->tile(),
                                    output->tile(),
                                    kPiecesPerThread * threads,
                                    [threads](int count, const std::function<void(int)> &work) {
                                        runParallel(count, threads, work);
                                    });
        keep.push_back(output);
        auto source = std::make_shared<Node>();
        source->kind = Node::Kind::Source;
        source->bits = output->tile().bits;
        source->width = region.width();
        source->height = region.height();
        source->stride = output->tile().stride;
        source->extent = {0, 0, double(region.width()), double(region.height())};
        auto placed = std::make_shared<Node>();
        placed->kind = Node::Kind::Transform;
        placed->transform = QTransform::fromTranslate(region.x(), region.y());
        placed->child = std::move(source);
        placed->extent = placed->child->extent.mapped(placed->transform);
        return placed;
    }
    default:
        return node; // sources, colours, and anything in another space stay as they are
    }
}

} // namespace

int defaultThreadCount()
{
    const int set = g_defaultThreads.load();
    return set > 0 ? set : std::max(1, QThread::idealThreadCount());
}

void setDefaultThreadCount(int threads)
{
    g_defaultThreads.store(std::max(0, threads));
}

bool render(const Image &image, const QRect &region, uint8_t *dst, qsizetype stride, int requested)
{
    if (image.isNull() || region.isEmpty() || !dst || stride < qsizetype(region.width()) * 4)
        return false;
    const Node &root = *image.node();
    std::set<std::mutex *> lockSet;
    collectLocks(&root, lockSet);
    // Address order, so two renders sharing sources cannot lock them crosswise.
    std::vector<std::unique_lock<std::mutex>> held;
    for (std::mutex *lock : lockSet)
        held.emplace_back(*lock);

    const int h = region.height();
    const int threads = std::max(1, requested > 0 ? requested : defaultThreadCount());
    std::shared_ptr<const Node> tree = image.node();
    std::vector<std::shared_ptr<TileBuffer>> drawn;
    if (treeReach(tree.get()) >= kWideReach)
        tree = prerenderWideFilters(tree, region, threads, drawn);
    // More bands than threads, so a thread kept waiting holds up little. Each band renders what
    // its filters read beyond it again, so bands much thinner than that reach are not made
    // (they cost more than they save), unless the caller asked for that many threads.
    int bands = std::clamp(threads > 1 ? kPiecesPerThread * threads : 1, 1, h);
    if (const int reach = treeReach(tree.get()); reach > 0)
        bands = std::clamp(h / (4 * reach), requested > 0 ? std::min(threads, h) : 1, bands);
    renderBands(*tree, region, dst, stride, bands, threads);
    return true;
}

QImage renderToImage(const Image &image, const QRect &region, int threads)
{
    if (image.isNull() || region.isEmpty())
        return {};
    QImage result(region.width(), region.height(), QImage::Format_RGBA8888_Premultiplied);
    if (result.isNull())
        return {};
    if (!render(image, region, result.bits(), result.bytesPerLine(), threads))
        return {};
    return result;
}

} // namespace Reelsmith::imaging
