#pragma once

// The one way a new project comes to be, whether the window starts, the user asks for a new
// document or the document controller makes one: a 16:9 PAL disc with menus, titles played in
// sequence, the menu looping, and one copy of the blank template page prepared for editing (no
// title items; each button with its style record, its frame fitted to its picture and moved 80
// points left and 30 up). Without the blank page in the template library the page is an empty
// 16:9 page, and the log says why.
//
// Builds new objects that nobody else sees yet: any thread.

#include "app/AppExtention/Document/ProjectPackage.h"

namespace NewProjectBuilder {

// The rate of a new document.
constexpr qint64 kDefaultBitrateKbps = 4000;

ProjectContents build(qint64 bitrateKbps = kDefaultBitrateKbps);

} // namespace NewProjectBuilder
