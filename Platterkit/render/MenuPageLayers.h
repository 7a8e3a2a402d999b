#pragma once

// A page drawn again and again at moving times (a menu video being encoded): what cannot change
// between frames is drawn once and kept, so that each frame only draws what moves.

#include <QImage>
#include <QtGlobal>
#include <memory>
#include <vector>

class DVDMenu;
class DVDMenuItem;

namespace Platterkit::render {

/**
 * The layers of one page, in the order pageImageAtTime draws it: the black canvas with every
 * element up to the first moving one, already drawn; then, in turn, each moving element (a title
 * picture that plays its title, or the custom background drawer) and the run of still elements
 * above it, kept as one transparent picture laid over the frame.
 *
 * The layers are made on the first frame asked for and kept: the page must not be edited while
 * they are in use (a production draws its own copy). A frame is pageImageAtTime's picture; only
 * where still elements above a moving one overlap each other with partly transparent edges may a
 * channel differ by a unit of rounding. A page with nothing moving gives the same picture (the same
 * shared pixels) at every time.
 *
 * One thread at a time (the encoder's); the page's elements guard what they share with the window.
 * The pictures of the moving elements after the first are made on threads of their own, one each,
 * during imageAtTime, and are all made when it returns.
 */
class MenuPageLayers
{
public:
    explicit MenuPageLayers(std::shared_ptr<DVDMenu> page);
    ~MenuPageLayers();
    MenuPageLayers(const MenuPageLayers &) = delete;
    MenuPageLayers &operator=(const MenuPageLayers &) = delete;

    // The page at timeUs; a null image when the page has no bitmap size.
    QImage imageAtTime(qint64 timeUs);
    // Whether the page draws nothing that moves (known after the first frame).
    bool isStill() const { return m_prepared && m_steps.empty(); }

    // Whether an element's picture follows the time: a title picture of a title that plays (no
    // still of its own). Text, buttons and still title pictures do not.
    static bool elementMoves(DVDMenuItem &item);

private:
    // One moving element (the background when item is null) and the still layer drawn above it.
    struct Step
    {
        std::shared_ptr<DVDMenuItem> item;
        QImage stillAbove;
    };

    void prepare(qint64 timeUs);

    std::shared_ptr<DVDMenu> m_page;
    bool m_prepared = false;
    QImage m_base;
    std::vector<Step> m_steps;
};

} // namespace Platterkit::render
