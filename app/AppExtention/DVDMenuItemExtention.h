#pragma once

// The menu editor's names for the kinds of page element. Pure questions about one element; the
// thread that owns it asks them.

#include <QString>

class DVDMenuItem;

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

} // namespace DVDMenuItemExtention
