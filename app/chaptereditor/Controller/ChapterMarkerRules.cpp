#include "app/chaptereditor/Controller/ChapterMarkerRules.h"

#include <algorithm>
#include <cmath>

namespace ChapterMarkerRules {

qint64 totalDuration(const MovieTrimItemList &segments)
{
    qint64 total = 0;
    for (const auto &segment : segments)
        total += segment->durationTime();
    return total;
}

qint64 showTimeForOrigin(qint64 origin, const MovieTrimItemList &segments)
{
    qint64 offset = 0;
    qint64 show = origin;
    for (const auto &segment : segments) {
        if (origin < segment->startTime()) {
            show = offset;
            break;
        }
        if (origin <= segment->stopTime()) {
            show = offset + origin - segment->startTime();
            break;
        }
        offset += segment->durationTime();
    }
    return std::min(show, totalDuration(segments));
}

std::optional<qint64> originTimeForShow(qint64 show, const MovieTrimItemList &segments)
{
    qint64 rest = show;
    for (const auto &segment : segments) {
        if (segment->startTime() + rest < segment->stopTime())
            return segment->startTime() + rest;
        rest -= segment->durationTime();
    }
    return std::nullopt;
}

qint64 refreshMarkers(const MarkerItemList &markers, const MovieTrimItemList &segments)
{
    const qint64 total = totalDuration(segments);
    for (const auto &marker : markers)
        marker->setMarkShowTime(showTimeForOrigin(marker->markOriginTime(), segments));
    qint64 previous = 0;
    for (const auto &marker : markers) {
        const qint64 show = marker->markShowTime();
        const bool nearPrevious = std::llabs(show - previous) < kHideDistance;
        const bool nearEnd = std::llabs(total - show) < kHideDistance;
        marker->setCanShow(!nearPrevious && !nearEnd);
        previous = show;
    }
    return total;
}

bool mayAddAt(qint64 c, const QList<qint64> &points)
{
    for (const qint64 point : points) {
        if (point - kSecond < c && c < point + kSecond)
            return false;
    }
    return true;
}

qsizetype insertionIndex(const MarkerItemList &markers, qint64 origin)
{
    for (qsizetype i = 0; i < markers.size(); ++i) {
        if (markers[i]->markOriginTime() > origin)
            return i;
    }
    return markers.size();
}

std::optional<qint64> clampedMoveTime(qint64 t, qint64 previous, qint64 next)
{
    if (next - previous <= kSecond)
        return std::nullopt;
    return std::min(std::max(previous + kSecond, t), next - kSecond);
}

std::optional<qint64> previousPointTime(qint64 c, const QList<qint64> &points)
{
    if (points.isEmpty() || c < 0)
        return std::nullopt;
    if (c == points.first())
        return points.first();
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        if (points[i] < c && c <= points[i + 1])
            return points[i];
    }
    if (c > points.last())
        return points.size() >= 2 ? points[points.size() - 2] : points.last();
    return std::nullopt;
}

std::optional<qint64> nextPointTime(qint64 c, const QList<qint64> &points)
{
    for (const qint64 point : points) {
        if (point > c)
            return point;
    }
    return std::nullopt;
}

qint64 nudgedTime(qint64 c, qint64 duration, int direction)
{
    const auto t = qint64(double(c) + double(direction) * 0.05 * double(kSecond));
    return std::max<qint64>(std::min(t, duration), 0);
}

int intervalSeconds(int tag, double customSeconds)
{
    if (tag != 0)
        return tag * 60;
    if (!std::isfinite(customSeconds) || std::fabs(customSeconds) > 1e9)
        return 0;
    return int(std::trunc(customSeconds));
}

bool isUsableInterval(int seconds)
{
    return seconds >= 1;
}

QList<qint64> automaticTimes(double totalSeconds, int intervalSeconds)
{
    QList<qint64> times;
    if (!isUsableInterval(intervalSeconds))
        return times;
    const float gap = float(intervalSeconds);
    for (float t = gap; totalSeconds - 1.0 >= double(t); t += gap)
        times.append(qint64(t * float(kSecond)));
    return times;
}

} // namespace ChapterMarkerRules
