#pragma once

// Decoding speed of the keyed archive beside libplist's own parse of the same bytes; prints the
// "bench archive-load..." lines. Main thread of the bench program.
namespace bench {

// False when a figure is out of bounds (ratio 10 or more, or doubling the objects more than
// doubles the time) or an archive could not be made or read back.
bool runArchiveLoad();

} // namespace bench
