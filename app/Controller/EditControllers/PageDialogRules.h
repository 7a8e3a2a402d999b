#pragma once

// The rules the page and disc dialogs apply to what the user types or picks: the slideshow
// durations, the music and warning trims, the volume, the outline width, which chosen files are
// taken, and the menu page length. Plain C++ over the project records; the dialogs stay thin.
// Main thread for the functions that touch the project (saveMenuDurationToPages); any thread else.

#include <QString>
#include <QStringList>
#include <cstdint>

class MainWindowControllerInterface;
class DVDLibrary;

namespace Discwright::PageDialogRules {

inline constexpr int64_t kOneSecond = 1000000;

// The slideshow's length: n pictures and the n - 1 transitions between them; 0 without pictures.
double totalPreviewTime(int pictures, double everyImageDuration, double everyRenderDuration);
double clampImageDuration(double seconds);  // [1, 8]
double clampRenderDuration(double seconds); // [0, 4]

// Trims in engine time; fileLength is the whole file's duration.
int64_t clampTrimStart(int64_t time, int64_t trimStop, int64_t fileLength);
int64_t clampTrimStop(int64_t time, int64_t trimStart, int64_t fileLength);
// The stop that a typed trim duration gives: at least 1 s after the start, at most the file end.
int64_t trimStopForDuration(int64_t duration, int64_t trimStart, int64_t fileLength);

double clampVolume(double volume);     // at most 3, then at least 0
double clampBorderWidth(double width); // at most 40, then at least 0

// Why a chosen file is not taken; None when it is.
enum class Refusal { None, Unreadable, NoAudio, NoVideo, TooShort };
Refusal musicRefusal(bool opened, bool hasAudio, int64_t duration);   // audio, 0.5 s at least
Refusal warningRefusal(bool opened, bool hasVideo, int64_t duration); // video, 1.0 s at least
// The message a refusal shows, looked up in the string table.
QString refusalMessage(Refusal refusal);

// The page-length pop-up: "5" to "60" in steps of 5 (the music item is added by the dialog).
QStringList durationItemTitles();
// The first page's duration when over 1 s, else 15 s.
double getCurrentDVDMenuDuration(const DVDLibrary &disc);
// Sets every page's duration from a seconds title ("30") or, with musicLength, from each page's
// music; then the disc-wide rule runs over all pages (slideshow lengths win) and the capacity is
// recomputed.
void saveMenuDurationToPages(MainWindowControllerInterface &controller,
                             const QString &title,
                             bool musicLength);

} // namespace Discwright::PageDialogRules
