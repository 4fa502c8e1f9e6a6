#include "records/RecordStream.h"

#include "platform/Error.h"

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

} // namespace

FileStream::FileStream(const std::filesystem::path& path, StreamMode mode) : path_(path) {
    const bool create = mode == StreamMode::Create;
    // No O_TRUNC: the file is emptied only once the lock shows that nobody else holds it.
    const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
    int fd;
    do
        fd = ::open(path_.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    const std::string verb = create ? "Cannot create file " : "Cannot open file ";
    if (fd < 0)
        throw Error(verb + Quoted(path_) + ". " + SystemText(errno));
    // A device, a pipe or a socket of that name would swallow every write without a word.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw Error(verb + Quoted(path_) + ". It is not a regular file.");
    }
    if (LockExclusive(fd) != 0 || (create && ::ftruncate(fd, 0) != 0)) {
        const int error = errno;
        ::close(fd);
        throw Error(verb + Quoted(path_) + ". " + SystemText(error));
    }
    fd_ = fd;
}

FileStream::~FileStream() {
    // Closing drops the lock with the descriptor.
    ::close(fd_);
}

void FileStream::Fail(const std::string& what) const {
    throw Error("Cannot " + what + " file " + Quoted(path_) + ". " + SystemText(errno));
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

void TRecordStream::AppendRecord(const TScoreRec& rec) {
    const std::int32_t size = CheckedBufferSize();
    Seek(0, SeekOrigin::End);
    Write(&rec, size);
}

} // namespace lexfall
