#pragma once

// A title of the disc model made of real clips, each trimmed, for the tests that convert titles.

#include "app/AppExtention/Convert/DVDTitleData.h"

#include <QList>
#include <QString>

namespace app_testing {

// One clip of a title, trimmed to [start, stop) seconds.
struct ClipSpec
{
    QString path;
    double start = 0.0;
    double stop = 0.0;
};

// The title of those clips in order; a clip that does not open fails the test and is left out.
DVDTitleDataRef makeTitleOf(const QList<ClipSpec> &clips);

} // namespace app_testing
