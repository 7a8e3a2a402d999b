#pragma once

#include <QString>

namespace Platterkit {

// Whether the MPEG program stream at path carries a DVD subpicture: a private stream 1 packet whose
// sub-stream number is one of the 32 subpicture streams (0x20 to 0x3f). spumux can report success
// and still add nothing, so the menu step looks at what it actually wrote. False for a missing,
// empty or unreadable file.
bool programStreamHasSubpicture(const QString &path);

} // namespace Platterkit
