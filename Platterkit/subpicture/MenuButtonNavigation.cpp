#include "Platterkit/subpicture/MenuButtonNavigation.h"

#include <QPointF>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Direction = MenuButtonNavigation::Direction;
using Arrows = MenuButtonNavigation::Arrows;

// Unit vector of a direction, y down.
QPointF unitOf(int direction)
{
    switch (direction) {
    case MenuButtonNavigation::Up:
        return {0.0, -1.0};
    case MenuButtonNavigation::Down:
        return {0.0, 1.0};
    case MenuButtonNavigation::Left:
        return {-1.0, 0.0};
    default:
        return {1.0, 0.0};
    }
}

double distanceBetween(QPointF a, QPointF b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

// The nearest button other than from, among those that accept says may be taken; ties to the
// lower index. -1 when there is none.
template <class Accept> int nearest(const QList<QPointF> &centres, int from, Accept accept)
{
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int j = 0; j < centres.size(); ++j) {
        if (j == from || !accept(j))
            continue;
        const double distance = distanceBetween(centres[from], centres[j]);
        if (distance < bestDistance) {
            best = j;
            bestDistance = distance;
        }
    }
    return best;
}

// Which buttons can be reached from start by following arrows (start included).
QList<bool> reachableFrom(const QList<Arrows> &arrows, int start)
{
    QList<bool> seen(arrows.size(), false);
    QList<int> pending{start};
    seen[start] = true;
    while (!pending.isEmpty()) {
        const int at = pending.takeLast();
        for (int target : arrows[at].target) {
            if (target >= 0 && target < arrows.size() && !seen[target]) {
                seen[target] = true;
                pending.append(target);
            }
        }
    }
    return seen;
}

// Whether from's arrow towards to (the way from sees to) is one nothing else depends on: it
// leads nowhere, or its target is reached by another arrow as well.
bool arrowIsFree(const QList<Arrows> &arrows, int from, Direction direction)
{
    const int target = arrows[from].target[direction];
    if (target == from)
        return true;
    for (int i = 0; i < arrows.size(); ++i) {
        if (i == from || i == target)
            continue;
        for (int other : arrows[i].target) {
            if (other == target)
                return true;
        }
    }
    for (int d = 0; d < MenuButtonNavigation::directionCount; ++d) {
        if (d != direction && arrows[from].target[d] == target)
            return true;
    }
    return false;
}

} // namespace

MenuButtonNavigation::Direction MenuButtonNavigation::directionFromTo(QPointF from, QPointF to)
{
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    if (dx == 0.0 && dy == 0.0)
        return Down;
    if (std::abs(dx) >= std::abs(dy))
        return dx > 0.0 ? Right : Left;
    return dy > 0.0 ? Down : Up;
}

bool MenuButtonNavigation::everyButtonReachable(const QList<Arrows> &arrows)
{
    if (arrows.isEmpty())
        return true;
    // Everything reachable from the first button, and the first reachable from everything.
    const QList<bool> forward = reachableFrom(arrows, 0);
    for (int i = 0; i < arrows.size(); ++i) {
        if (!forward[i] || !reachableFrom(arrows, i)[0])
            return false;
    }
    return true;
}

QList<MenuButtonNavigation::Arrows>
MenuButtonNavigation::arrowsForButtons(const QList<QRectF> &rects)
{
    const int count = int(rects.size());
    QList<QPointF> centres;
    for (const QRectF &rect : rects)
        centres.append(rect.center());

    QList<Arrows> arrows(count);
    for (int i = 0; i < count; ++i) {
        for (int d = 0; d < directionCount; ++d) {
            const QPointF unit = unitOf(d);
            auto along = [&](int j) {
                const QPointF offset = centres[j] - centres[i];
                return offset.x() * unit.x() + offset.y() * unit.y();
            };
            auto across = [&](int j) {
                const QPointF offset = centres[j] - centres[i];
                return std::abs(offset.x() * unit.y() - offset.y() * unit.x());
            };
            int target = nearest(
                centres, i, [&](int j) { return along(j) > 0.0 && across(j) <= along(j); });
            if (target < 0)
                target = nearest(centres, i, [&](int j) { return along(j) > 0.0; });
            arrows[i].target[d] = target < 0 ? i : target;
        }
    }

    // A button no arrow reaches gets one from its nearest neighbour, in button order.
    for (int k = 0; k < count; ++k) {
        bool reached = false;
        for (int i = 0; i < count && !reached; ++i) {
            for (int target : arrows[i].target)
                reached = reached || (i != k && target == k);
        }
        const int neighbour = reached ? -1 : nearest(centres, k, [](int) { return true; });
        if (neighbour >= 0)
            arrows[neighbour].target[directionFromTo(centres[neighbour], centres[k])] = k;
    }

    // Whatever is still cut off (a group of buttons whose arrows only lead among themselves, or
    // a button the last pass took an arrow from) is joined by the shortest arrow whose old target
    // stays reached, until every button reaches every other.
    for (int pass = 0; pass < count * 2 && !everyButtonReachable(arrows); ++pass) {
        const QList<bool> fromFirst = reachableFrom(arrows, 0);
        QList<bool> toFirst(count, false);
        for (int i = 0; i < count; ++i)
            toFirst[i] = reachableFrom(arrows, i)[0];
        // Prefer an arrow into the part the first button cannot reach; else one out of a part
        // that cannot reach the first button.
        int bestFrom = -1, bestTo = -1;
        double bestDistance = std::numeric_limits<double>::infinity();
        // An arrow from a button whose mark is fromMark to one whose mark is not.
        auto consider = [&](const QList<bool> &mark, bool fromMark) {
            for (int from = 0; from < count; ++from) {
                for (int to = 0; to < count; ++to) {
                    if (from == to || mark[from] != fromMark || mark[to] == fromMark)
                        continue;
                    const Direction direction = directionFromTo(centres[from], centres[to]);
                    if (!arrowIsFree(arrows, from, direction))
                        continue;
                    const double distance = distanceBetween(centres[from], centres[to]);
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        bestFrom = from;
                        bestTo = to;
                    }
                }
            }
        };
        if (std::find(fromFirst.cbegin(), fromFirst.cend(), false) != fromFirst.cend())
            consider(fromFirst, true);
        else
            consider(toFirst, false);
        if (bestFrom < 0)
            break;
        arrows[bestFrom].target[directionFromTo(centres[bestFrom], centres[bestTo])] = bestTo;
    }
    return arrows;
}
