#pragma once

// The application's choices in the shared menu template library.

#include "Platterkit/model/DVDMenu.h"

namespace DVDLibraryResourceExtention {

// Nothing to set up: the replaced operations (DiscwrightLibraryHooks) already point the library at
// the shipped templates. Kept as the one call the main window makes while it sets up.
void setupResourceForCustom();

// The shared library's last template page of the aspect whose category is "Cartoon" and name
// "10"; null when it holds none. The page belongs to the library: install a copy, never the page.
DVDMenuRef defaultMenuForAspectType(qint64 aspectType);

} // namespace DVDLibraryResourceExtention
