// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"
#include "records/ScoreRec.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace lexfall {

// The record file "Records.dat" in the program's folder: slot 0 holds MyRec, slot 1 WorldRec,
// 45 bytes each, no header. appDir is the program's folder (absolute), so the current
// directory never matters. Each call holds the file only while it runs; its failures throw
// lexfall::Error for the default error handler.

// The message of a missing file, shown before it is created.
extern const char* const kMissingRecordFileText;

// Start-up: fills myRec and worldRec from the file, creating it when missing and repairing
// each slot that fails the validity check, with a message for each. Before anything can throw,
// both records hold a cleared "No Record" record dated today, so whatever goes wrong (a file
// held elsewhere, an uncreatable file) the caller has two valid records and start-up goes on;
// a slot read before the failure keeps what was read. A file of one whole record has no world
// slot yet: worldRec stays cleared and a message names the file. A file the player may read but
// not write is read as usual (a repair then stays in memory).
// read turns true once the stored records are known (also when there is no file, so nothing
// stored); it stays false when the file could not be opened, and then a save must not
// overwrite what it never saw.
void LoadRecords(const std::filesystem::path& appDir, Dialogs& dialogs, double today,
                 TScoreRec& myRec, TScoreRec& worldRec, bool& read);

// Store myRec in slot 0 or worldRec in slot 1. A missing file is reported and created with
// both records, myRec first; the create is exclusive, so a file that appears meanwhile is
// written into as a present one. A file of one whole record gains slot 1 on SaveWorldRec.
void SaveMyRec(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
               const TScoreRec& worldRec);
// Save Rec's store of myRec in slot 0. The slot is read again first, under the same open, so
// no other copy of the game writes in between; when it holds a valid record for which
// keep(stored) is true, that record stays, is returned, and nothing is written.
std::optional<TScoreRec> SaveMyRecUnless(const std::filesystem::path& appDir, Dialogs& dialogs,
                                         const TScoreRec& myRec, const TScoreRec& worldRec,
                                         const std::function<bool(const TScoreRec&)>& keep);

// Whether a save of game must keep the stored record instead: one with a higher total, unless
// it is the record the player saw (seen) and chose to replace. The automatic save has seen
// nothing (nullptr), so it never replaces a better record.
bool KeepStoredMyRec(const TScoreRec& stored, const TScoreRec& game, const TScoreRec* seen);

void SaveWorldRec(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
                  const TScoreRec& worldRec);

} // namespace lexfall
