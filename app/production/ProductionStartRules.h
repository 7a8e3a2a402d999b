#pragma once

// The checks the production settings sheet makes before a run starts: the disc name, the number
// of copies and the free disk space. Pure functions unless said otherwise; any thread.

#include "app/AppExtention/Function/AlertMessage.h"
#include "app/production/DiscSizeEstimate.h"
#include "app/production/OutputNaming.h"

#include <QString>
#include <cstdint>

namespace Discwright::ProductionStartRules {

// The name a disc gets when the name field is left empty.
QString defaultDiscName();
// The disc name of the field's text: the text itself, or "My Disc" when it is empty.
QString discNameFromField(const QString &fieldText);
// A disc name must stay under 32 bytes of UTF-8 (it becomes the disc's volume name): 31 ASCII
// characters pass, 11 characters of three bytes each do not.
bool isDiscNameTooLong(const QString &name);
// The title and message of the alert that refuses a long name.
QString discNameTooLongTitle();
QString discNameTooLongMessage(const QString &name);

// The number of copies of the field's text: its leading integer (0 when it has none, so "abc"
// reads 0) clamped to 1..999.
int burnCopiesFromText(const QString &fieldText);

// Production needs more than 2.5 times the estimate free where it works.
std::int64_t neededFreeBytes(std::int64_t estimatedBytes);
bool hasEnoughFreeSpace(std::int64_t freeBytes, std::int64_t estimatedBytes);
// The free bytes of the file system that holds path (the nearest existing folder above it when
// path does not exist yet); -1 when none can be read. Touches the disk.
std::int64_t freeBytesAtPath(const QString &path);
// The title and message of the alert that refuses a start for lack of disk space.
QString freeSpaceAlertTitle();
QString freeSpaceAlertMessage(std::int64_t freeBytes, std::int64_t neededBytes);

// A menu page holds at most 12 title items at 16:9 (aspectType 1) and 18 at 4:3 (0), the shown
// play button counting as one more.
int menuPageTitleLimit(qint64 aspectType);
bool menuPageOverLimit(qsizetype fullestPageTitleItems, bool playButtonShown, qint64 aspectType);
// The question asked before producing a page over the limit.
// The string-table key of the alert, and its text.
QString menuPageLimitKey(qint64 aspectType);
QString menuPageLimitMessage(qint64 aspectType);

// What a start does when the estimate is more than the disc type holds. A folder or an image may
// still be wanted (for a larger disc, or to look at), so the person is asked and may go on; a
// drive would burn a disc that cannot be written whole, so that start is refused.
enum class OverfullDecision { Start, AskToContinue, Refuse };
bool exceedsDisc(std::int64_t estimatedBytes, DiscSizeEstimate::DiscType type);
OverfullDecision overfullDecision(std::int64_t estimatedBytes,
                                  DiscSizeEstimate::DiscType type,
                                  OutputNaming::OutputKind kind);
// The title and message of the over-full alert: the message gives the sizes as the capacity
// gauge does ("5259 MB / 4700 MB on D5"), then what the person can do for that kind of output.
QString overfullAlertTitle();
// The whole alert: the title as its message, the sizes and the advice as its informative line.
AlertMessage overfullAlert(std::int64_t estimatedBytes,
                           DiscSizeEstimate::DiscType type,
                           OutputNaming::OutputKind kind);
QString overfullAlertMessage(std::int64_t estimatedBytes,
                             DiscSizeEstimate::DiscType type,
                             OutputNaming::OutputKind kind);
// The buttons of the alert: "Continue" and "Cancel" when it asks, "OK" alone when it refuses.
QString overfullContinueButton();
QString overfullCancelButton();

} // namespace Discwright::ProductionStartRules
