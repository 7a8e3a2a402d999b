#pragma once

// The menu editor's names for the kinds of page element, and what a playing page asks of its
// elements. Questions about one element; the thread that owns it asks them.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

class DVDMenuItem;
class DVDTitleData;
class QPainter;

namespace DVDMenuItemExtention {

// A title slot: neither static nor a button.
bool isTitle(const DVDMenuItem &item);
// A title that shows a picture.
bool isFrameTitle(const DVDMenuItem &item);
// A title that shows its text.
bool isTextTitle(const DVDMenuItem &item);
// A static element that shows text: the label beside a title slot.
bool isStaticText(const DVDMenuItem &item);
// A button whose button resource's name ends with suffix.
bool isButtonNamed(const DVDMenuItem &item, const QString &suffix);
bool isPreButtonItem(const DVDMenuItem &item);
bool isNextButtonItem(const DVDMenuItem &item);
bool isPlayButtonItem(const DVDMenuItem &item);

// --- What a playing page asks of its elements ------------------------------------------------
// The title record the element opens: its jump when that is a DVDTitleData, else null.
std::shared_ptr<DVDTitleData> dvdTitleData(const DVDMenuItem &item);
// The page clock moved to timeUs: the title record the element opens restarts its moving picture.
void setCurrentTime(const DVDMenuItem &item, qint64 timeUs);
// An element decodes nothing of its own: nothing to switch or wait for.
inline void setExportMovie(const DVDMenuItem &, bool) {}
inline void flushOperation(const DVDMenuItem &) {}
// A picture of the element's frame (its integral size) with draw painting the content: without a
// frame template but with a static picture, draw alone paints the whole bitmap; otherwise the frame
// inset by 5 points is filled black and clipped, draw paints into it, then the frame's mask cuts the
// picture (destination-out) and its frame picture goes over it. draw gets a y-up painter in the
// bitmap's points. Null when the bitmap cannot be made.
QImage menuFrameItemDrawImage(const DVDMenuItem &item, const std::function<void(QPainter &)> &draw);

} // namespace DVDMenuItemExtention
