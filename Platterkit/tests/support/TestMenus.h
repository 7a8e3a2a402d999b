#pragma once

// Builders of small menu pages for tests: template pages with title slots and the three navigation
// buttons, laid out roughly as a real template would be.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "TestTitles.h"

namespace testing_support {

// A title slot: an element with a frame resource and no button.
DVDMenuItemRef makeTitleSlot(const QRectF &frame = QRectF(40, 300, 160, 120));
// A button element whose button resource is named "<set>-<type>" (type: "pre", "next", "play").
DVDMenuItemRef makeButton(const QString &type, const QString &set = QStringLiteral("Blue"));
// A static decoration (neither frame nor button).
DVDMenuItemRef makeStatic();

// A page of titleSlots title slots followed by "pre", "next" and "play" buttons (when withButtons),
// at the size of aspectType, named like a template page.
DVDMenuRef makeTemplatePage(int titleSlots,
                            bool withButtons = true,
                            qint64 aspectType = 0,
                            const QString &name = QStringLiteral("10"),
                            const QString &category = QStringLiteral("Cartoon"));

// The title slots of a page, in items order.
DVDMenuItemList titleSlots(const DVDMenuRef &page);

// What the production pipeline does for an element leading to a title: the element jumps to the
// title, and every chapter of the title lists the element among those leading to it.
void leadTo(const DVDMenuItemRef &item, const std::shared_ptr<TestTitleVideo> &title);

} // namespace testing_support
