#include "app/videoeditor/View/COMVEProgressBarGeometry.h"

#include <algorithm>
#include <cmath>

namespace COMVEProgressBarGeometry {

namespace {

bool holds(const QRectF &r, QPointF p)
{
    return r.left() <= p.x() && p.x() < r.right() && r.top() <= p.y() && p.y() < r.bottom();
}

MovieTrimItemRef copyOf(const MovieTrimItem &trim)
{
    return MovieTrimItem::item(trim.start(), trim.duration(), trim.fadeIn(), trim.fadeOut());
}

} // namespace

QRectF Layout::contentRect() const
{
    return bounds.adjusted(10.0, 5.0, -10.0, -5.0);
}

float Layout::timeToPoint(int64_t t) const
{
    const QRectF c = contentRect();
    const double shown = double(std::min(t, durationUs));
    return float(c.left() + shown / double(std::max<int64_t>(durationUs, 1)) * c.width());
}

int64_t Layout::pointToTime(float x) const
{
    const QRectF c = contentRect();
    // A view laid out narrower than its insets has no strip to measure against.
    if (c.width() <= 0.0)
        return 0;
    return int64_t(std::trunc((double(x) - c.left()) / c.width() * double(durationUs)));
}

float Layout::minTrimWidth() const
{
    const double seconds = double(durationUs) / 1000000.0;
    return float(contentRect().width() * 1.0 / std::max(seconds, 1.0));
}

QRectF Layout::leftTrimButtonRect(float xs) const
{
    const double stripBottom = middleY() - stripHeight / 2.0;
    return QRectF(xs - leftHandleSize.width(),
                  stripBottom - leftHandleSize.height(),
                  leftHandleSize.width(),
                  leftHandleSize.height());
}

QRectF Layout::rightTrimButtonRect(float xe) const
{
    const double stripBottom = middleY() - stripHeight / 2.0;
    return QRectF(xe,
                  stripBottom - rightHandleSize.height(),
                  rightHandleSize.width(),
                  rightHandleSize.height());
}

QRectF Layout::centerTrimRect(float xs, float xe) const
{
    return QRectF(xs, middleY() - stripHeight / 2.0, xe - xs, stripHeight);
}

QRectF Layout::stripZone() const
{
    const QRectF c = contentRect();
    const double m = middleY();
    return QRectF(c.left() - 5.0, m - 1.4 * stripHeight, c.width() + 10.0, 2.8 * stripHeight);
}

HitResult
drayTypeAtPoint(const Layout &layout, const MovieTrimItemList &trims, int selected, QPointF p)
{
    const QRectF zone = layout.stripZone();
    if (holds(zone, p)) {
        HitResult result{DragStrip, selected};
        for (qsizetype i = 0; i < trims.size(); ++i) {
            const float xs = layout.timeToPoint(trims[i]->startTime());
            const float xe = layout.timeToPoint(trims[i]->stopTime());
            const QRectF body(xs, zone.top(), xe - xs, zone.height());
            if (holds(body, p)) {
                result.selectedTrimIndex = int(i);
                break;
            }
            result.selectedTrimIndex = kNoSelection;
        }
        return result;
    }
    for (qsizetype i = 0; i < trims.size(); ++i) {
        const float xs = layout.timeToPoint(trims[i]->startTime());
        const float xe = layout.timeToPoint(trims[i]->stopTime());
        if (holds(layout.leftTrimButtonRect(xs), p))
            return {DragLeftHandle, int(i)};
        if (holds(layout.rightTrimButtonRect(xe), p))
            return {DragRightHandle, int(i)};
    }
    return {DragNothing, selected};
}

int64_t seekTimeForPoint(const Layout &layout, float x)
{
    return std::clamp<int64_t>(layout.pointToTime(x), 0, std::max<int64_t>(layout.durationUs, 0));
}

std::optional<DragStep> actionForType(const Layout &layout,
                                      const MovieTrimItemList &trims,
                                      int selected,
                                      DragType type,
                                      QPointF down,
                                      QPointF now,
                                      float xs,
                                      float xe)
{
    if (type != DragLeftHandle && type != DragRightHandle)
        return std::nullopt;
    if (selected < 0 || selected >= trims.size())
        return std::nullopt;
    const float dx = float(now.x() - down.x());
    const float w1 = layout.minTrimWidth();
    MovieTrimItemRef trim = copyOf(*trims[selected]);
    float x = 0.0f;
    if (type == DragLeftHandle) {
        const float lower
            = selected > 0 ? layout.timeToPoint(int64_t(trims[selected - 1]->stop() * 1000000.0))
                           : layout.timeToPoint(0);
        x = std::max(std::min(xs + dx, xe - w1), lower);
        const double start = double(layout.pointToTime(x)) / 1000000.0;
        trim->setStart(start);
        trim->setDuration(double(layout.pointToTime(xe)) / 1000000.0 - start);
    } else {
        const float upper = selected + 1 < trims.size()
                                ? layout.timeToPoint(trims[selected + 1]->startTime())
                                : float(layout.contentRect().right());
        x = std::min(std::max(xe + dx, xs + w1), upper);
        trim->setDuration(double(layout.pointToTime(x)) / 1000000.0 - trim->start());
    }
    DragStep step;
    step.trims = trims;
    step.trims[selected] = trim;
    step.currentTimeUs = layout.pointToTime(x);
    return step;
}

std::optional<AddResult> addTrim(const MovieTrimItemList &trims, int64_t currentTimeUs)
{
    if (trims.size() >= kMaxTrimCount)
        return std::nullopt;
    const double start = double(currentTimeUs) / 1000000.0;
    for (const MovieTrimItemRef &trim : trims) {
        if (trim->start() <= start && start <= trim->start() + trim->duration())
            return std::nullopt;
    }
    // The editor makes no fades.
    MovieTrimItemRef added = MovieTrimItem::item(start, 1.0, 0.0, 0.0);
    AddResult result;
    result.trims = trims;
    qsizetype at = trims.size();
    for (qsizetype i = 0; i < trims.size(); ++i) {
        if (trims[i]->start() > start) {
            at = i;
            break;
        }
    }
    result.trims.insert(at, added);
    result.selectedTrimIndex = int(at);
    return result;
}

std::optional<MovieTrimItemList> deleteSelectedTrim(const MovieTrimItemList &trims, int selected)
{
    if (isNoSelection(selected) || selected < 0 || selected >= trims.size())
        return std::nullopt;
    MovieTrimItemList list = trims;
    list.removeAt(selected);
    return list;
}

} // namespace COMVEProgressBarGeometry
