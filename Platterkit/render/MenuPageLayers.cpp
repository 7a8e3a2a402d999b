#include "Platterkit/render/MenuPageLayers.h"

#include "Platterkit/model/DLCustomDrawer.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/render/MenuPageRenderer.h"

#include <QPainter>
#include <future>

namespace Platterkit::render {
namespace {

// One thing pageImageAtTime draws, in its order: an element, or the background (null item).
struct Unit
{
    std::shared_ptr<DVDMenuItem> item;
    bool moves = false;
};

DLCustomDrawer *drawerOf(DVDMenu &page)
{
    return page.use_menu_drawer() ? page.customDrawer() : nullptr;
}

std::vector<Unit> unitsOf(DVDMenu &page)
{
    std::vector<Unit> units;
    const QList<std::shared_ptr<DVDMenuItem>> items = page.items();
    const auto addLayer = [&](bool behind) {
        for (const auto &item : items) {
            if (item && item->itemBehind() == behind)
                units.push_back({item, MenuPageLayers::elementMoves(*item)});
        }
    };
    addLayer(true);
    // A custom drawer is the page's slideshow: it changes with the time.
    units.push_back({nullptr, drawerOf(page) != nullptr});
    addLayer(false);
    return units;
}

void drawUnit(QPainter &painter, DVDMenu &page, const Unit &unit, qint64 timeUs)
{
    if (unit.item) {
        drawElementImage(painter, *unit.item, unit.item->imageAtTime(timeUs));
        return;
    }
    const QRectF pageRect(QPointF(0, 0), page.menuSize());
    if (DLCustomDrawer *drawer = drawerOf(page)) {
        painter.save();
        drawer->drawInRectAtTime(&painter, pageRect, timeUs);
        painter.restore();
        return;
    }
    drawBackgroundImage(painter,
                        page.backgroundImage(),
                        pageRect,
                        page.backgroundImageDrawMode(),
                        page.backgroundImageRect());
}

} // namespace

MenuPageLayers::MenuPageLayers(std::shared_ptr<DVDMenu> page)
    : m_page(std::move(page))
{}

MenuPageLayers::~MenuPageLayers() = default;

bool MenuPageLayers::elementMoves(DVDMenuItem &item)
{
    if (item.isTextItem() || item.buttonResource() || !item.frameResource())
        return false;
    if (!item.isValid() || !item.validStaticImage().isNull())
        return false;
    return item.jump() != nullptr;
}

void MenuPageLayers::prepare(qint64 timeUs)
{
    m_prepared = true;
    m_steps.clear();
    m_base = QImage();
    if (!m_page)
        return;
    DVDMenu &page = *m_page;
    const std::vector<Unit> units = unitsOf(page);
    size_t next = 0;
    {
        MenuBitmap base(page.menuSize());
        if (base.isNull())
            return;
        base.painter()->fillRect(base.bounds(), Qt::black);
        for (; next < units.size() && !units[next].moves; ++next)
            drawUnit(*base.painter(), page, units[next], timeUs);
        m_base = base.finish();
    }
    while (next < units.size()) {
        Step step{units[next].item, QImage()};
        const size_t firstStill = ++next;
        while (next < units.size() && !units[next].moves)
            ++next;
        if (next > firstStill) {
            MenuBitmap above(page.menuSize());
            for (size_t i = firstStill; i < next && !above.isNull(); ++i)
                drawUnit(*above.painter(), page, units[i], timeUs);
            step.stillAbove = above.finish();
        }
        m_steps.push_back(std::move(step));
    }
}

QImage MenuPageLayers::imageAtTime(qint64 timeUs)
{
    if (!m_prepared)
        prepare(timeUs);
    if (m_base.isNull() || m_steps.empty())
        return m_base;
    // Each moving element's picture (a title decoding its clip) is made on a thread of its own
    // while the others are; only laying them on the frame keeps the page's order.
    std::vector<std::future<QImage>> pictures(m_steps.size());
    for (size_t i = 1; i < m_steps.size(); ++i) {
        if (const auto item = m_steps[i].item)
            pictures[i] = std::async(std::launch::async,
                                     [item, timeUs] { return item->imageAtTime(timeUs); });
    }
    QImage frame = m_base.copy();
    {
        QPainter painter(&frame);
        // As MenuBitmap sets up every page drawing.
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        applyYUpTransform(painter, frame.height());
        for (size_t i = 0; i < m_steps.size(); ++i) {
            const Step &step = m_steps[i];
            if (step.item && pictures[i].valid())
                drawElementImage(painter, *step.item, pictures[i].get());
            else
                drawUnit(painter, *m_page, Unit{step.item, true}, timeUs);
            if (!step.stillAbove.isNull()) {
                painter.save();
                painter.resetTransform();
                painter.drawImage(QPoint(0, 0), step.stillAbove);
                painter.restore();
            }
        }
    }
    return frame;
}

} // namespace Platterkit::render
