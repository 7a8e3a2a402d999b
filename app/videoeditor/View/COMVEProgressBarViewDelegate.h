#pragma once

// What the trim timeline asks of the editor that owns it: the clip's trims (read each time, and
// replaced whole), the player's seek and pause, and the refreshes after a change of selection or
// of a trim. Main thread only.

#include "app/AppExtention/Convert/MovieTrimItem.h"

#include <cstdint>

class COMVEProgressBarViewDelegate
{
public:
    virtual ~COMVEProgressBarViewDelegate() = default;
    virtual MovieTrimItemList trimArray() const = 0;
    virtual void setTrimArray(const MovieTrimItemList &trims) = 0;
    virtual void seek(int64_t t) = 0;
    virtual void pause() = 0;
    virtual void flushProgressTimeLabel() = 0;
    virtual void flushPlayerProgress() = 0;
};
