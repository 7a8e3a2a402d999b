#include "app/View/SourceView/SourceListGeometry.h"

#include <algorithm>

namespace SourceListGeometry {

Layout layoutRows(const QList<TitleShape> &titles, double width, double viewportHeight)
{
    Layout layout;
    // A single-precision running value, as the rows' frames are kept.
    float y = kFirstRowTop;
    for (const TitleShape &title : titles) {
        const QRectF titleRow(0, y, width, kRowHeight);
        layout.titleRows.append(titleRow);
        y += kRowStep;
        const bool expanded = showsExpanded(title);
        layout.expanded.append(expanded);
        QList<QRectF> clips;
        for (int j = 0; j < title.clipCount; ++j) {
            if (expanded) {
                clips.append(QRectF(kClipIndent, y, width - kClipIndent, kRowHeight));
                y += kRowStep;
            } else {
                // Slides under its title's row.
                clips.append(QRectF(kClipIndent, titleRow.y(), width - kClipIndent, kRowHeight));
            }
        }
        layout.clipRows.append(clips);
    }
    layout.height = std::max<double>(y, viewportHeight);
    return layout;
}

namespace {

// NSPointInRect's rule: the lower and right edges belong to the next row.
bool inside(const QRectF &rect, QPointF p)
{
    return p.x() >= rect.left() && p.x() < rect.right() && p.y() >= rect.top()
           && p.y() < rect.bottom();
}

} // namespace

std::optional<Insertion> insertionAt(const Layout &layout, QPointF p, double width)
{
    if (p.x() >= width)
        return std::nullopt;
    constexpr double h = 3;
    Insertion at;
    const qsizetype titleCount = layout.titleRows.size();
    if (titleCount == 0 || p.y() < kFirstRowTop) {
        at.lineMode = 1;
        at.line = QRectF(5, 0, width, h);
        return at;
    }
    for (int i = 0; i < titleCount && at.lineMode == 0; ++i) {
        const QRectF t = layout.titleRows[i];
        const bool lastTitle = i == titleCount - 1;
        if (inside(t, p)) {
            at.lineMode = 3;
            at.titleIndex = i;
            continue;
        }
        if (!layout.expanded.value(i)) {
            if ((t.bottom() < p.y() && p.y() < t.bottom() + kRowGap)
                || (lastTitle && p.y() > t.bottom())) {
                at = {1, i + 1, 0, QRectF(5, t.bottom(), width, h)};
            }
            continue;
        }
        const double belowTitle = p.y() - t.bottom();
        if (0 < belowTitle && belowTitle < kRowGap) {
            at = {2, i, 0, QRectF(kClipIndent, t.bottom(), width - kClipIndent, 4)};
            continue;
        }
        const QList<QRectF> &clips = layout.clipRows[i];
        for (int j = 0; j < clips.size() && at.lineMode == 0; ++j) {
            const QRectF c = clips[j];
            const double mid = c.y() + c.height() * 0.5;
            if (p.y() < mid) {
                at = {2, i, j, QRectF(kClipIndent, c.y() - kRowGap, width - kClipIndent, h)};
            } else if (mid < p.y() && p.y() < c.bottom() + kRowGap) {
                at = {2, i, j + 1, QRectF(kClipIndent, c.bottom(), width - kClipIndent, h)};
            }
            // The left strip of the gap under a clip, outside the clips' indent, means "after the
            // whole title".
            if (c.bottom() < p.y() && p.y() < c.bottom() + kRowGap) {
                if (p.x() >= kClipIndent)
                    at = {2, i, j + 1, QRectF(kClipIndent, c.bottom(), width - kClipIndent, 4)};
                else
                    at = {1, i + 1, 0, QRectF(5, c.bottom(), width, 4)};
            }
            if (j == clips.size() - 1 && lastTitle && p.y() > c.bottom()) {
                if (p.y() <= c.bottom() + 5 && p.x() >= kClipIndent)
                    at = {2, i, j + 1, QRectF(kClipIndent, c.bottom(), width - kClipIndent, h)};
                else
                    at = {1, i + 1, 0, QRectF(5, c.bottom(), width, h)};
            }
        }
    }
    if (!at.lineVisible())
        at.line = QRectF();
    return at;
}

DropAction titleDrop(int title, DragEnd end, const Insertion &at)
{
    using Kind = DropAction::Kind;
    switch (end) {
    case DragEnd::Abandoned:
    case DragEnd::OverMenuPage:
        return {};
    case DragEnd::RemovalArea:
        return {Kind::RemoveTitle, title, 0, 0, 0};
    case DragEnd::InList:
        break;
    }
    switch (at.lineMode) {
    case 1:
        if (at.titleIndex == title || at.titleIndex == title + 1)
            return {};
        // Counted in the list without the title, which leaves before it is inserted again.
        return {Kind::MoveTitle,
                title,
                0,
                at.titleIndex > title ? at.titleIndex - 1 : at.titleIndex,
                0};
    case 2:
    case 3:
        if (at.titleIndex == title)
            return {};
        return {Kind::MergeTitle, title, 0, at.titleIndex, at.lineMode == 2 ? at.mediaIndex : -1};
    default:
        return {};
    }
}

DropAction clipDrop(int title, int clip, DragEnd end, const Insertion &at)
{
    using Kind = DropAction::Kind;
    switch (end) {
    case DragEnd::Abandoned:
        return {};
    case DragEnd::RemovalArea:
    case DragEnd::OverMenuPage:
        // The page takes titles only; a clip let go over it leaves the list.
        return {Kind::RemoveClip, title, clip, 0, 0};
    case DragEnd::InList:
        break;
    }
    switch (at.lineMode) {
    case 1:
        return {Kind::ClipToNewTitle, title, clip, at.titleIndex, 0};
    case 2:
        if (at.titleIndex == title) {
            if (at.mediaIndex == clip || at.mediaIndex == clip + 1)
                return {};
            return {Kind::MoveClip,
                    title,
                    clip,
                    title,
                    at.mediaIndex > clip ? at.mediaIndex - 1 : at.mediaIndex};
        }
        return {Kind::MoveClip, title, clip, at.titleIndex, at.mediaIndex};
    case 3:
        if (at.titleIndex == title)
            return {};
        return {Kind::MoveClip, title, clip, at.titleIndex, -1};
    default:
        return {};
    }
}

} // namespace SourceListGeometry
