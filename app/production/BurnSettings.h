#pragma once

// What the burn sheet holds, as a value apart from its widgets, and the plain rule that turns it
// into the request the production controller runs: where the output goes, under which name, how
// many copies, PAL or NTSC. A start that cannot go on (no output folder, a name too long for the
// disc, too little free space where the output is made) gives the alert to show instead, and
// leaves nothing behind.
//
// Plain values and a function over them: any thread.

#include "app/AppExtention/Function/AlertMessage.h"
#include "app/production/OutputNaming.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace Discwright {

struct BurnSettings
{
    OutputNaming::OutputKind kind = OutputNaming::OutputKind::Disc;
    // Where the folder kinds and the image are written.
    QString outputFolder;
    // The name and copies fields as typed.
    QString discNameText;
    QString copiesText = QStringLiteral("1");
    // 0 NTSC, 1 PAL.
    qint64 format = 1;
};

// What a production run is asked to make.
struct ProductionRequest
{
    OutputNaming::OutputKind kind = OutputNaming::OutputKind::Disc;
    QString output;
    QString name;
    // The work folder of the folder kinds; empty for a disc, whose run makes its own.
    QString workFolder;
    int copies = 1;
    qint64 format = -1;
};

struct BurnStart
{
    enum class Outcome { Start, NoOutputFolder, NameTooLong, NotEnoughSpace };
    Outcome outcome = Outcome::Start;
    ProductionRequest request;
    // The alert of a refused start (none for NoOutputFolder, which the sheet's status says).
    AlertMessage alert;
};

// The request for settings, or why it cannot start. A disc's image is made under tempRoot, so the
// free space is asked there; the folder kinds ask at their output folder, which must exist.
// freeBytesAt answers the free bytes of the file system holding a path (-1 when unknown).
BurnStart makeProductionRequest(const BurnSettings &settings,
                                std::int64_t estimatedBytes,
                                const QString &tempRoot,
                                const std::function<std::int64_t(const QString &)> &freeBytesAt);

} // namespace Discwright
