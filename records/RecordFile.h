#pragma once
#include "platform/Dialogs.h"
#include "records/ScoreRec.h"

#include <filesystem>

namespace lexfall {

// The record file "Records.dat" in the program's folder: slot 0 holds MyRec, slot 1 WorldRec,
// 45 bytes each, no header. appDir is the program's folder (absolute), so the current
// directory never matters. Each call holds the file only while it runs; its failures throw
// lexfall::Error for the default error handler.

// Start-up: fills myRec and worldRec from the file, creating it when missing and repairing
// each slot that fails the validity check, with a message for each. Before anything can throw,
// both records hold a cleared "No Record" record dated today, so whatever goes wrong (a file
// held elsewhere, an uncreatable file, a file with one whole record) the caller has two valid
// records and start-up goes on; a slot read before the failure keeps what was read.
void LoadRecords(const std::filesystem::path& appDir, Dialogs& dialogs, double today,
                 TScoreRec& myRec, TScoreRec& worldRec);

// Store myRec in slot 0 or worldRec in slot 1. A missing file is reported and created with
// both records, myRec first.
void SaveMyRec(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
               const TScoreRec& worldRec);
void SaveWorldRec(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
                  const TScoreRec& worldRec);

} // namespace lexfall
