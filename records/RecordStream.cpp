// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/RecordStream.h"

#include "platform/PlayerFile.h"
#include "text/Error.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexfall {
namespace {

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + path.string() + "\"";
}

std::string SystemText(int error) {
    // A lock held elsewhere reads better as what it means than as "Resource temporarily
    // unavailable".
    if (error == EWOULDBLOCK)
        return "The file is in use by another program.";
    return std::string(std::strerror(error)) + ".";
}

int LockExclusive(int fd) {
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result;
}

int OpenFile(const std::filesystem::path& path, int flags) {
    // A pipe in the file's place must not hold up the game before it can be refused.
    return OpenWithoutWaiting(path, flags);
}

bool IsNoWriteRight(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

FileStream::FileStream(const std::filesystem::path& path, StreamMode mode) : path_(path) {
    std::string verb = "Cannot open file ";
    int fd = -1;
    if (mode == StreamMode::Create) {
        // O_EXCL refuses every link, also one to a file not made yet (a records file kept in a
        // synced folder): that file is made where the link points, and the link stays.
        std::filesystem::path target = path_;
        if (!FollowLinks(target))
            target = path_;
        // Exclusive: a file that appeared since the caller found none is kept, not emptied.
        fd = OpenFile(target, O_RDWR | O_CREAT | O_EXCL);
        created_ = fd >= 0;
        if (fd < 0 && errno != EEXIST)
            throw Error("Cannot create file " + Quoted(target.lexically_normal()) + ". " +
                        SystemText(errno));
        if (created_) {
            verb = "Cannot create file ";
            createdPath_ = target;
        }
    }
    if (fd < 0)
        fd = OpenExisting(verb);
    // A device, a pipe or a socket of that name would swallow every write without a word.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw Error(verb + Quoted(path_) + ". It is not a regular file.");
    }
    if (LockExclusive(fd) != 0) {
        const int error = errno;
        ::close(fd);
        throw Error(verb + Quoted(path_) + ". " + SystemText(error));
    }
    fd_ = fd;
}

int FileStream::OpenExisting(const std::string& verb) {
    int fd = OpenFile(path_, O_RDWR);
    if (fd < 0 && IsNoWriteRight(errno)) {
        // Still worth reading: the records show, and only a save is refused.
        const int writeError = errno;
        fd = OpenFile(path_, O_RDONLY);
        if (fd >= 0)
            writeError_ = writeError;
        else
            errno = writeError;
    }
    if (fd < 0)
        throw Error(verb + Quoted(path_) + ". " + SystemText(errno));
    return fd;
}

void FileStream::RemoveCreated() {
    if (created_ && ::unlink(createdPath_.c_str()) == 0)
        created_ = false;
}

FileStream::~FileStream() {
    // Closing drops the lock with the descriptor.
    ::close(fd_);
}

void FileStream::Fail(const std::string& what) const {
    Fail(what, errno);
}

void FileStream::Fail(const std::string& what, int error) const {
    throw Error("Cannot " + what + " file " + Quoted(path_) + ". " + SystemText(error));
}

std::int64_t FileStream::Read(void* buffer, std::int64_t count) {
    auto* bytes = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, bytes + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail("read from");
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

void FileStream::Write(const void* buffer, std::int64_t count) {
    if (writeError_ != 0)
        Fail("write to", writeError_);
    const auto* bytes = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail("write to");
        done += n;
    }
}

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Beginning ? SEEK_SET
                       : origin == SeekOrigin::Current ? SEEK_CUR
                                                       : SEEK_END;
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0)
        Fail("seek in");
    return result;
}

std::int64_t FileStream::Position() const {
    const off_t result = ::lseek(fd_, 0, SEEK_CUR);
    if (result < 0)
        Fail("seek in");
    return result;
}

std::int64_t FileStream::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        Fail("read the size of");
    return st.st_size;
}

std::int32_t TRecordStream::CheckedRecordSize() const {
    const std::int32_t size = RecordSize();
    if (size <= 0)
        throw std::logic_error("RecordSize must be positive");
    return size;
}

std::int32_t TRecordStream::CheckedBufferSize() const {
    // The record operations copy into a TScoreRec, so a larger record would overrun it.
    const std::int32_t size = CheckedRecordSize();
    if (static_cast<std::size_t>(size) > sizeof(TScoreRec))
        throw std::logic_error("RecordSize exceeds the record type");
    return size;
}

std::int32_t TRecordStream::RecordCount() const {
    const std::int64_t count = Size() / CheckedRecordSize();
    return count > std::numeric_limits<std::int32_t>::max()
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(count);
}

void TRecordStream::FirstRecord() {
    Seek(0, SeekOrigin::Beginning);
}

void TRecordStream::NextRecord() {
    const std::int32_t size = CheckedRecordSize();
    // At or past the last whole record, not only inside it: moving on would leave the
    // whole records, and a later write would open a hole in the file.
    if ((Position() + size) / size >= RecordCount())
        throw Error("Cannot read beyond end of file");
    Seek(size, SeekOrigin::Current);
}

std::int64_t TRecordStream::ReadRecord(TScoreRec& rec) {
    const std::int32_t size = CheckedBufferSize();
    const std::int64_t start = Position();
    std::array<char, sizeof(TScoreRec)> buffer{};
    const std::int64_t got = Read(buffer.data(), size);
    std::memcpy(&rec, buffer.data(), static_cast<std::size_t>(got));
    // Back to where the read began, also after a short read at the end of the file.
    Seek(start, SeekOrigin::Beginning);
    return got;
}

void TRecordStream::WriteRecord(const TScoreRec& rec) {
    Write(&rec, CheckedBufferSize());
}

} // namespace lexfall
