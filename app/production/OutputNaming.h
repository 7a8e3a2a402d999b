#pragma once

// Where a production run puts its result inside the folder the user chose: a DVD-Video folder
// named after the disc, the same with ".dvdmedia", or "<name>.iso"; when that is taken, the first
// free "<name>_1", "<name>_2", ... of the same kind. The disc name is what the user typed, so it
// is made a safe single file name first and the result always lies directly in the chosen folder.
// Any thread; the free-name search reads the disk.

#include <QString>

namespace Discwright::OutputNaming {

// The output kinds of the settings sheet, by the tag of the selected cell.
enum class OutputKind { Disc = 0, VideoFolder = 1, MediaFolder = 2, IsoImage = 3 };

// The disc name as one file name: "/" and control characters become "_", and leading dots become
// "_" too, so that "a/b", "../x", ".." or ".hidden" can neither leave the chosen folder nor hide
// the result. An empty name stays empty.
QString safeOutputFileName(const QString &discName);

// The name of the n-th candidate (n = 0 is the plain name) of a kind: "name", "name_1";
// "name.dvdmedia", "name_1.dvdmedia"; "name.iso", "name_1.iso". Empty for OutputKind::Disc, which
// writes no file of its own.
QString candidateName(OutputKind kind, const QString &safeName, int n);

// The first candidate inside folder at which nothing exists (a dangling link counts as
// something), for the disc name made safe; empty for OutputKind::Disc.
QString outputPath(OutputKind kind, const QString &folder, const QString &discName);

} // namespace Discwright::OutputNaming
