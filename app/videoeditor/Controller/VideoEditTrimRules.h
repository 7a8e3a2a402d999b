#pragma once

// The video editor's decisions over the trim list and its fields, without a window: whether Add
// may run at the playhead, the typed start and end of the selected trim with their clamps, the
// volume field, the play time label and the audio track menu. The controller calls them and hands
// the lists they build to the clip whole. Plain values: any thread.

#include "app/AppExtention/Convert/MovieTrimItem.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace VideoEditTrimRules {

// The add rule: with t the playhead in seconds (single precision) and t1 = t + 1, no trim may hold
// t or t1 (ends included) and t1 must lie inside the timeline.
bool addTrimEnable(const MovieTrimItemList &trims, int64_t currentTimeUs, int64_t durationUs);

struct TypedEdge
{
    MovieTrimItemList trims;
    // The typed value differs from the stored edge by more than 0.001 s.
    bool doSeek = false;
};

// The selected trim's start typed as valueUs: kept between the previous trim's stop (or 0) and one
// second before its own stop, which stays; the upper bound wins. Nothing without a selection.
std::optional<TypedEdge>
setSelectedStartTime(const MovieTrimItemList &trims, int selected, int64_t valueUs);
// The selected trim's end typed as valueUs: kept between one second after its start and the next
// trim's start (or the timeline's end); the upper bound wins. Nothing without a selection.
std::optional<TypedEdge> setSelectedEndTime(const MovieTrimItemList &trims,
                                            int selected,
                                            int64_t valueUs,
                                            int64_t durationUs);

// The volume typed as a percentage: value / 100 held to [0, 3].
float volumeFromField(double percent);

// "%02d:%02d:%02d" of whole seconds; a negative time shows as 0.
QString timeStrFromSecond(double seconds);

// The audio track menu: one entry per stream (tag = position from 0) and "All Tracks" (tag 99).
constexpr int kAllTracksTag = 99;
struct AudioTrackEntry
{
    QString title;
    int tag = 0;
};
QList<AudioTrackEntry> audioTrackEntries(qsizetype streamCount);
// The stream selection for a tag: none (every stream) for All Tracks, else that stream alone.
std::optional<QSet<int>> audioStreamsForTag(int tag);

} // namespace VideoEditTrimRules
