#pragma once

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"

#include <QString>
#include <memory>
#include <optional>

class MainWindowControllerInterface;

/**
 * Everything a production run reads of the project, copied on the main thread when Burn is
 * pressed: the disc with its pages and titles, the style records, the disc-wide settings and the
 * package path. The copy goes through the keyed archive, as a save does, so that no object of it
 * (clips and their open media included) is shared with what the windows go on editing; the run
 * may then read it from any thread without a lock.
 *
 * A value; made on the main thread, then owned by the run.
 */
struct ProductionInput
{
    DVDLibraryRef dvd;
    TempEditDataList records;
    TempDvdDataRef settings;
    QString packagePath;

    // A copy of the given objects; nullopt, with error set, when they cannot be archived or read
    // back. Clips open their copies in packagePath when it holds them. Main thread.
    static std::optional<ProductionInput> copyOf(const DVDLibraryRef &dvd,
                                                 const TempEditDataList &records,
                                                 const TempDvdDataRef &settings,
                                                 const QString &packagePath,
                                                 QString *error = nullptr);
    // A copy of the controller's project. Main thread.
    static std::optional<ProductionInput> fromController(MainWindowControllerInterface &controller,
                                                         QString *error = nullptr);

    // The settings the menu pages of a production disc are drawn with (the highlight colour and
    // border), as the disc carries them; null for a disc that carries none (the editing disc).
    static TempDvdDataRef settingsOfDisc(const DVDLibrary &disc);
    // Makes disc carry the input: its settings, and its disc and records, which hold the titles
    // the pages' elements lead to (an element holds its jump weakly).
    void carryIn(DVDLibrary &disc) const;
};
