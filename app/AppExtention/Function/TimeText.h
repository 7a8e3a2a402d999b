#pragma once

// The time strings of the lists, editors and progress sheet. Pure functions; any thread.

#include <QString>

namespace Discwright::TimeText {

// "HH:MM:SS" of the whole seconds; negative input counts as 0 and hours are not wrapped, so
// 360000 s reads "100:00:00".
QString timeStrFromSecond(double seconds);
// "HH:MM:SS.mmm"; the milliseconds are the truncated fraction, computed in single precision as
// the stored times expect.
QString timeStrFromMsSecond(double seconds);
// "MM:SS" with the minutes not wrapped at 60.
QString shortTimeStrFromSecond(double seconds);

} // namespace Discwright::TimeText
