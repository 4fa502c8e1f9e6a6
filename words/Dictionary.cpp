// SPDX-License-Identifier: GPL-3.0-or-later
#include "words/Dictionary.h"

#include "text/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lexfall {

namespace {

constexpr const char* kMissingMessage = "Can not find dictionary, please re_install Lexfall.";

[[noreturn]] void ThrowFileError(const std::string& path, int error) {
    throw Error(path + ": " + std::strerror(error));
}

// A link to nothing is not a missing dictionary: creating one through it fails at every Start
// ("File exists"), and would put a file wherever the link points. Said once, plainly.
void ThrowIfDanglingLink(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return;
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    target.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    throw Error(path + " is a link to \"" + target + "\", which does not exist.");
}

// Compares the record's letters, unscrambled, with word in unsigned byte order.
int CompareRecord(const std::uint8_t* record, const std::string& word) {
    for (std::size_t i = 1; i <= word.size(); ++i) {
        const auto letter = DecodeDictLetter(record[i], i);
        const auto wanted = static_cast<std::uint8_t>(word[i - 1]);
        if (letter != wanted)
            return letter < wanted ? -1 : 1;
    }
    return 0;
}

} // namespace

Dictionary::Dictionary(std::string appDir, Dialogs& dialogs)
    : Dictionary(std::move(appDir), dialogs, DefaultDictBlockStart) {}

Dictionary::Dictionary(std::string appDir, Dialogs& dialogs, const TDictBlockStarts& blockStarts)
    : path_(std::move(appDir) + "Dict.dll"), dialogs_(dialogs), blockStarts_(blockStarts) {}

Dictionary::~Dictionary() {
    if (DictFile >= 0)
        ::close(DictFile);
}

int Dictionary::OpenFile(const std::string& filePath, int flags, unsigned mode) {
    return ::open(filePath.c_str(), flags, static_cast<mode_t>(mode));
}

long Dictionary::ReadAt(int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset) {
    return ::pread(fd, buffer, size, static_cast<off_t>(offset));
}

int Dictionary::CloseFile(int fd) {
    return ::close(fd);
}

void Dictionary::OpenDict() {
    // Only the first call of a game opens anything. A handle lost in a failed close is
    // opened anew, so the next game does not run on a dead dictionary.
    if (DictOpen && (DictFile >= 0 || missing_))
        return;

    struct stat info {};
    const bool absent = ::stat(path_.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
    if (absent)
        ThrowIfDanglingLink(path_);
    // An empty file is what an older version left for a missing one: no words either.
    const int fd = absent || (S_ISREG(info.st_mode) && info.st_size == 0) ? -1 : OpenExisting();
    if (fd < 0) {
        ReportMissing();
        return;
    }
    // A folder named Dict.dll opens read-only but is no dictionary.
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    if (error != 0) {
        ::close(fd);
        ThrowFileError(path_, error);
    }

    const auto records = static_cast<std::int64_t>(info.st_size) / DictRecordSize;
    DictFile = fd;
    DictRecordCount = static_cast<std::int32_t>(
        std::min<std::int64_t>(records, std::numeric_limits<std::int32_t>::max()));
    DictBlockStart = blockStarts_;
    DictOpen = true;
}

// Said at every Start while the file is missing, with the path looked for; nothing is created,
// so the game is never silently left without words. The game runs on, finding none.
void Dictionary::ReportMissing() {
    dialogs_.ShowMessage(std::string(kMissingMessage) + "\n" + path_);
    missing_ = true;
    DictRecordCount = 0;
    DictBlockStart = blockStarts_;
    DictOpen = true;
}

int Dictionary::OpenExisting() {
    int fd = OpenFile(path_, O_RDWR | O_CLOEXEC, 0);
    if (fd >= 0) {
        readOnly_ = false;
        return fd;
    }
    int error = errno;
    if (error != ENOENT) {
        // It exists but is not writable: read it as it stands, never replace it.
        fd = OpenFile(path_, O_RDONLY | O_CLOEXEC, 0);
        if (fd >= 0) {
            readOnly_ = true;
            return fd;
        }
        error = errno;
    }
    // Gone since it was looked at: missing.
    if (error == ENOENT)
        return -1;
    ThrowFileError(path_, error);
}

bool Dictionary::CheckKey(const std::string& word) {
    const auto length = static_cast<int>(std::min<std::size_t>(word.size(), 255));
    if (length < DictShortestWord || length > DictLongestWord || DictFile < 0)
        return false;

    std::int64_t lo = std::max(BlockStartOf(DictBlockStart, length), std::int32_t{0});
    std::int64_t hi =
        (length == 3 ? DictRecordCount : BlockStartOf(DictBlockStart, length - 1)) - 1;
    // A file shorter than the table (the empty one made for a missing dictionary) ends first.
    hi = std::min<std::int64_t>(hi, std::int64_t{DictRecordCount} - 1);

    std::uint8_t record[DictRecordSize];
    while (lo <= hi) {
        const std::int64_t mid = (lo + hi) / 2;
        // A failed or short read answers false: a lookup must never stop the game.
        if (ReadAt(DictFile, record, DictRecordSize, mid * std::int64_t{DictRecordSize}) !=
            static_cast<long>(DictRecordSize))
            return false;
        const int order = CompareRecord(record, word);
        if (order == 0)
            return true;
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return false;
}

void Dictionary::CloseDict() {
    if (!DictOpen)
        return;
    if (DictFile >= 0) {
        // The descriptor is gone even when close fails, so it is never closed twice.
        const int fd = std::exchange(DictFile, -1);
        if (CloseFile(fd) != 0)
            ThrowFileError(path_, errno);
    }
    DictOpen = false;
    missing_ = false;
}

} // namespace lexfall
