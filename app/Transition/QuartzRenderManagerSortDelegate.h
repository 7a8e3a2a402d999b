#pragma once

#include <QStringList>

// What a catalogue of compositions offers the dialogs that list it: its names in the order they
// are shown to the user.
class QuartzRenderManagerSortDelegate
{
public:
    virtual ~QuartzRenderManagerSortDelegate() = default;
    virtual QStringList allCompositionNamesResort() const = 0;
};
