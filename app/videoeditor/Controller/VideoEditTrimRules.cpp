#include "app/videoeditor/Controller/VideoEditTrimRules.h"

#include "app/videoeditor/View/COMVEProgressBarGeometry.h"
#include "platform/StringTable.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace VideoEditTrimRules {

namespace {

bool hasSelection(const MovieTrimItemList &trims, int selected)
{
    return !COMVEProgressBarGeometry::isNoSelection(selected) && selected >= 0
           && selected < trims.size();
}

} // namespace

bool addTrimEnable(const MovieTrimItemList &trims, int64_t currentTimeUs, int64_t durationUs)
{
    const float t = float(double(currentTimeUs) / 1000000.0);
    const float t1 = t + 1.0f;
    for (const MovieTrimItemRef &trim : trims) {
        const double start = trim->start();
        const double stop = trim->stop();
        if (start <= t && t <= stop)
            return false;
        if (start <= t1 && t1 <= stop)
            return false;
    }
    return t1 <= double(durationUs) / 1000000.0;
}

std::optional<TypedEdge>
setSelectedStartTime(const MovieTrimItemList &trims, int selected, int64_t valueUs)
{
    if (!hasSelection(trims, selected))
        return std::nullopt;
    const MovieTrimItem &old = *trims[selected];
    const double s = double(valueUs) / 1000000.0;
    TypedEdge edge;
    edge.doSeek = std::fabs(s - old.start()) > 0.001;
    const double lower = selected >= 1 ? trims[selected - 1]->stop() : 0.0;
    const double stop = old.stop();
    const float newStart = std::min(float(stop - 1.0), std::max(float(lower), float(s)));
    edge.trims = trims;
    edge.trims[selected]
        = MovieTrimItem::item(newStart, stop - double(newStart), old.fadeIn(), old.fadeOut());
    return edge;
}

std::optional<TypedEdge> setSelectedEndTime(const MovieTrimItemList &trims,
                                            int selected,
                                            int64_t valueUs,
                                            int64_t durationUs)
{
    if (!hasSelection(trims, selected))
        return std::nullopt;
    const MovieTrimItem &old = *trims[selected];
    const double s = double(valueUs) / 1000000.0;
    TypedEdge edge;
    edge.doSeek = std::fabs(s - old.stop()) > 0.001;
    const double upper = selected + 1 < trims.size() ? trims[selected + 1]->start()
                                                     : double(durationUs) / 1000000.0;
    const float newEnd = std::min(float(upper), std::max(float(old.start() + 1.0), float(s)));
    edge.trims = trims;
    edge.trims[selected] = MovieTrimItem::item(
        old.start(), double(newEnd) - old.start(), old.fadeIn(), old.fadeOut());
    return edge;
}

float volumeFromField(double percent)
{
    float volume = float(percent / 100.0);
    volume = std::min(volume, 3.0f);
    volume = std::max(volume, 0.0f);
    return volume;
}

QString timeStrFromSecond(double seconds)
{
    const int n = seconds < 0.0 ? 0 : int(seconds);
    return QString::asprintf("%02d:%02d:%02d", n / 3600, (n / 60) % 60, n % 60);
}

QList<AudioTrackEntry> audioTrackEntries(qsizetype streamCount)
{
    QList<AudioTrackEntry> entries;
    const QString format = platform::localizedString("Audio Track %d");
    for (qsizetype i = 0; i < streamCount; ++i) {
        QString title = format;
        title.replace("%d", QString::number(i + 1));
        entries.append({title, int(i)});
    }
    entries.append({platform::localizedString("All Tracks"), kAllTracksTag});
    return entries;
}

std::optional<QSet<int>> audioStreamsForTag(int tag)
{
    if (tag == kAllTracksTag)
        return std::nullopt;
    return QSet<int>{tag};
}

} // namespace VideoEditTrimRules
