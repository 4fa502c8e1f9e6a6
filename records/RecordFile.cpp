// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/RecordFile.h"

#include "platform/PlayerFile.h"
#include "records/RecordStream.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace lexfall {
namespace {

constexpr const char* kFileName = "Records.dat";
constexpr const char* kNoRecord = "No Record";
constexpr const char* kMissingText = " Cannot find \"Records.dat\" file, new one created. ";
} // namespace

const char* const kMissingRecordFileText = kMissingText;

namespace {
constexpr const char* kMyRecInvalidText = " Your Records is invalid, and have been clean. ";
constexpr const char* kWorldRecInvalidText =
    " World Records is invalid, and have been clean. Please recheck it.";

std::string OnlyMyRecText(const std::filesystem::path& path) {
    return " \"" + path.string() +
           "\" holds only your own record. The world record will be added to it when one is "
           "stored. ";
}

bool IsMissing(const std::filesystem::path& path) {
    // Anything but a plain "not there" (no access to the folder, say) is left to the open,
    // whose error then names the cause.
    std::error_code error;
    return std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found;
}

// Whether a link to a missing file leads into a folder that is there. When not, the create's
// error, naming where the link leads, is the one box, without "new one created" before it.
bool LinkedFolderIsThere(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path target = path;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)) ||
        !FollowLinks(target))
        return true; // not a link, or a loop: the open says what is wrong
    return std::filesystem::is_directory(
        target.has_parent_path() ? target.parent_path() : std::filesystem::path("."), error);
}

void ReportMissing(const std::filesystem::path& path, Dialogs& dialogs) {
    if (LinkedFolderIsThere(path))
        dialogs.ShowMessage(kMissingText);
}

// A slot as read, or nothing when it is short or fails the validity check.
std::optional<TScoreRec> ReadValid(TRecordStream& stream) {
    TScoreRec rec{};
    if (stream.ReadRecord(rec) != stream.RecordSize() || !IsValidRecord(rec))
        return std::nullopt;
    return rec;
}

// Both records appended in one write: a program killed while making the file leaves it
// without them, which the next start-up repairs, never with MyRec alone, which it cannot.
// A file this stream has just made and could not fill (a full disk) is removed again, so the
// next start and every reader find it missing, never short.
void AppendBoth(TRecordStream& stream, const TScoreRec& myRec, const TScoreRec& worldRec) {
    const TScoreRec both[2] = {myRec, worldRec};
    try {
        stream.Seek(0, SeekOrigin::End);
        stream.Write(both, sizeof both);
    } catch (...) {
        stream.RemoveCreated();
        throw;
    }
}

// A missing file is reported, then created with both records as they are in memory, and so
// is an empty one (a full disk when an older version made it): a save never leaves MyRec alone
// in it. The create is exclusive: a file that appeared meanwhile (another
// copy of the game saved, or the player put a backup back) is returned for the caller to use as
// a present file.
std::unique_ptr<TRecordStream> OpenOrCreateWithBoth(const std::filesystem::path& path,
                                                    Dialogs& dialogs, const TScoreRec& myRec,
                                                    const TScoreRec& worldRec) {
    const bool missing = IsMissing(path);
    if (missing)
        ReportMissing(path, dialogs);
    auto stream =
        std::make_unique<TRecordStream>(path, missing ? StreamMode::Create : StreamMode::Open);
    if (stream->Size() > 0)
        return stream;
    AppendBoth(*stream, myRec, worldRec);
    return nullptr;
}

} // namespace

void LoadRecords(const std::filesystem::path& appDir, Dialogs& dialogs, double today,
                 TScoreRec& myRec, TScoreRec& worldRec, bool& read) {
    ClearRecord(myRec, kNoRecord, today);
    ClearRecord(worldRec, kNoRecord, today);
    read = false;
    const std::filesystem::path path = appDir / kFileName;
    const bool missing = IsMissing(path);
    if (missing) {
        read = true; // no stored record that a save could overwrite
        ReportMissing(path, dialogs);
    }
    // A file that appeared while the message was up is opened, not emptied, and read as usual.
    TRecordStream stream(path, missing ? StreamMode::Create : StreamMode::Open);
    read = true;

    // Appended, not written at 0: the stray bytes of a file shorter than one record stay.
    if (stream.RecordCount() == 0) {
        AppendBoth(stream, myRec, worldRec);
        return;
    }

    stream.FirstRecord();
    if (const auto rec = ReadValid(stream)) {
        myRec = *rec;
    } else {
        // A file that may only be read is repaired in memory; a save reports it.
        if (!stream.ReadOnly()) {
            stream.FirstRecord();
            stream.WriteRecord(myRec);
        }
        dialogs.ShowMessage(kMyRecInvalidText);
    }

    if (stream.RecordCount() == 1) {
        // No world slot yet: it is added when a world record is first stored, and nothing is
        // written until then. The message names the file the player may want to look at.
        dialogs.ShowMessage(OnlyMyRecText(path));
        return;
    }
    stream.FirstRecord();
    stream.NextRecord();
    if (const auto rec = ReadValid(stream)) {
        worldRec = *rec;
    } else {
        if (!stream.ReadOnly()) {
            stream.FirstRecord();
            stream.NextRecord();
            stream.WriteRecord(worldRec);
        }
        dialogs.ShowMessage(kWorldRecInvalidText);
    }
}

namespace {

// Writes one slot; a missing file is created with both records, as they are in memory.
void SaveSlot(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
              const TScoreRec& worldRec, int slot) {
    const auto stream = OpenOrCreateWithBoth(appDir / kFileName, dialogs, myRec, worldRec);
    if (!stream)
        return;
    stream->FirstRecord();
    if (slot == 1) {
        // A file of the player's record alone gains its world slot right after it.
        if (stream->RecordCount() == 1)
            stream->Seek(stream->RecordSize(), SeekOrigin::Beginning);
        else
            stream->NextRecord();
    }
    stream->WriteRecord(slot == 0 ? myRec : worldRec);
}

} // namespace

std::optional<TScoreRec> SaveMyRecUnless(const std::filesystem::path& appDir, Dialogs& dialogs,
                                         const TScoreRec& myRec, const TScoreRec& worldRec,
                                         const std::function<bool(const TScoreRec&)>& keep) {
    const auto stream = OpenOrCreateWithBoth(appDir / kFileName, dialogs, myRec, worldRec);
    if (!stream)
        return std::nullopt;
    stream->FirstRecord();
    if (stream->RecordCount() > 0) {
        if (const auto stored = ReadValid(*stream); stored && keep(*stored))
            return stored;
    }
    stream->WriteRecord(myRec);
    return std::nullopt;
}

bool KeepStoredMyRec(const TScoreRec& stored, const TScoreRec& game, const TScoreRec* seen) {
    if (stored.Total <= game.Total)
        return false;
    return seen == nullptr || std::memcmp(&stored, seen, sizeof stored) != 0;
}

void SaveMyRec(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
               const TScoreRec& worldRec) {
    SaveSlot(appDir, dialogs, myRec, worldRec, 0);
}

void SaveWorldRec(const std::filesystem::path& appDir, Dialogs& dialogs, const TScoreRec& myRec,
                  const TScoreRec& worldRec) {
    SaveSlot(appDir, dialogs, myRec, worldRec, 1);
}

} // namespace lexfall
