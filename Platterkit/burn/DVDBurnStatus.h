#pragma once

// The status of one burn run as the burner sees it: a dictionary with the run's phase and its
// completed fraction, built by the burn object each time it polls the drive. The keys and phase names
// are ours; the burner reads only the phase and the fraction, the rest is there for the log and for
// the user (sectors, the drive's error text).

#include <QString>
#include <QVariantMap>

namespace DVDBurnStatus {

// The phase, one of the phase names below (a string).
inline const QString StateKey = QStringLiteral("State");
// The completed fraction of the current phase, 0 to 1 (a double); absent when the phase has none.
inline const QString PercentCompleteKey = QStringLiteral("PercentComplete");
// Sectors of 2048 bytes written or verified so far, and in all (integers).
inline const QString CurrentSectorKey = QStringLiteral("CurrentSector");
inline const QString TotalSectorsKey = QStringLiteral("TotalSectors");
// Why a run failed, as the drive or the verification put it (a string).
inline const QString ErrorTextKey = QStringLiteral("ErrorText");

// Phases of a run.
inline const QString StatePreparing = QStringLiteral("Preparing");
inline const QString StateTrackWrite = QStringLiteral("TrackWrite");
inline const QString StateSessionClose = QStringLiteral("SessionClose");
// The drive stopped writing and libburn's writer is winding down; the outcome follows.
inline const QString StateFinishing = QStringLiteral("Finishing");
inline const QString StateVerifying = QStringLiteral("Verifying");
inline const QString StateDone = QStringLiteral("Done");
inline const QString StateFailed = QStringLiteral("Failed");

} // namespace DVDBurnStatus

// The burner's `state`: 0 while idle or burning, 1 once the run finished, 2 once it failed.
enum DVDBurnState : int {
    DVDBurnStateBusyOrIdle = 0,
    DVDBurnStateFinished = 1,
    DVDBurnStateFailed = 2
};

// The burner's state after a status of its current burn object arrives. A run that has finished or
// failed keeps that outcome, so a late or repeated status cannot turn a failure into a success.
int burnStateAfterStatus(int state, const QVariantMap &status);
