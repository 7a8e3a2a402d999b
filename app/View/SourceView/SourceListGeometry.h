#pragma once

// The title list's geometry as plain functions: where each title and clip row sits, where a
// dragged file, title or clip would be inserted at a pointer, and what a finished drag of a row
// does to the list. List coordinates with y downwards, like the list widget itself; the row
// widgets only take the frames these functions give. Any thread (no state of their own).

#include <QList>
#include <QPointF>
#include <QRectF>
#include <optional>

namespace SourceListGeometry {

inline constexpr double kRowHeight = 70;
inline constexpr double kFirstRowTop = 4;
inline constexpr double kRowGap = 4;
inline constexpr double kRowStep = kRowHeight + kRowGap;
inline constexpr double kClipIndent = 40;
// Where a freshly made row waits before its first move into place: above the visible area.
inline constexpr double kNewRowY = -100;

// What the layout needs of one title.
struct TitleShape
{
    int clipCount = 0;
    bool isExpand = false;
};

struct Layout
{
    QList<QRectF> titleRows;
    // Per title, one frame per clip; a collapsed title's clips lie under its own row.
    QList<QList<QRectF>> clipRows;
    // A title shows its clip rows only with two clips or more and isExpand set.
    QList<bool> expanded;
    double height = 0;
};

// Rows of the titles in order, for a list width wide inside a scroll view viewportHeight high.
// The list is never shorter than the scroll view.
Layout layoutRows(const QList<TitleShape> &titles, double width, double viewportHeight);

// Whether a title of clipCount clips is shown expanded (isExpand of fewer than two clips is
// dropped on every layout).
inline bool showsExpanded(const TitleShape &title)
{
    return title.clipCount >= 2 && title.isExpand;
}

// Where an insertion goes. lineMode 0 nowhere, 1 new titles at titleIndex, 2 clips into the
// title at titleIndex at clip mediaIndex, 3 clips appended to the title at titleIndex (the pointer
// is on its row). The line is shown in modes 1 and 2 only.
struct Insertion
{
    int lineMode = 0;
    int titleIndex = 0;
    int mediaIndex = 0;
    QRectF line;
    bool lineVisible() const { return lineMode == 1 || lineMode == 2; }
    bool operator==(const Insertion &) const = default;
};

// The insertion at point in a list width wide; nullopt when the point is at or right of the
// list's right edge (the insertion in force stays).
std::optional<Insertion> insertionAt(const Layout &layout, QPointF point, double width);

// How a drag of a row ended, as the list can tell it: by Escape or a release outside the window
// (nothing happens), over the window but outside the areas that take the row (a removal), over the
// menu page beside the list (the page handles a title; a clip leaves the list), or in the list.
enum class DragEnd {
    Abandoned,
    RemovalArea,
    OverMenuPage,
    InList,
};

// What the list does with the dragged row.
struct DropAction
{
    enum class Kind {
        None,
        // The title at title leaves the list, and the menu items that play it.
        RemoveTitle,
        // The clip at title/clip leaves its title; the title stays.
        RemoveClip,
        // The title at title moves to index toTitle of the list.
        MoveTitle,
        // The clips of the title at title move into toTitle at toClip (-1 appends) and the title
        // goes. Indexes here count the list as it is before the drop.
        MergeTitle,
        // The clip at title/clip moves into toTitle at toClip (-1 appends).
        MoveClip,
        // The clip at title/clip becomes a new title at index toTitle.
        ClipToNewTitle,
    };
    Kind kind = Kind::None;
    int title = 0;
    int clip = 0;
    int toTitle = 0;
    int toClip = 0;
    bool operator==(const DropAction &) const = default;
};

// A dragged title at index title that ended as end with insertion in force.
DropAction titleDrop(int title, DragEnd end, const Insertion &insertion);
// A dragged clip at index clip of the title at title. The toClip of a move inside its own title
// counts the clips after the dragged one has left, so the clip lands where the line showed.
DropAction clipDrop(int title, int clip, DragEnd end, const Insertion &insertion);

} // namespace SourceListGeometry
