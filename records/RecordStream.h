// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/ScoreRec.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace lexfall {

enum class StreamMode {
    // An existing file, read-write; one that may be read but not written is opened for reading
    // only, and then every write fails with the reason it could not be opened for writing.
    Open,
    // Created, read-write, when still absent at that moment (an exclusive create); a file that
    // appeared meanwhile is opened as Open would open it, never emptied. Created() tells which.
    Create,
};

enum class SeekOrigin { Beginning, Current, End };

// A seekable stream over one file that it holds exclusively until it is destroyed. Exclusive
// means an advisory flock(LOCK_EX | LOCK_NB) taken right after opening: every other opener, in
// this process or another, that goes through this class fails instead of waiting.
// Only a regular file is opened, and nothing else is waited for (a FIFO, a device). Failures throw
// lexfall::Error with a text that names the file.
class FileStream {
public:
    FileStream(const std::filesystem::path& path, StreamMode mode);
    virtual ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // Bytes actually read; fewer than count only at the end of the file.
    std::int64_t Read(void* buffer, std::int64_t count);
    void Write(const void* buffer, std::int64_t count);
    // The new position.
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
    std::int64_t Position() const;
    std::int64_t Size() const;
    const std::filesystem::path& Path() const { return path_; }
    // Whether this stream made the file.
    bool Created() const { return created_; }
    // Takes the file this stream made away again, for a file that could not be filled.
    void RemoveCreated();
    // Whether the file could only be opened for reading.
    bool ReadOnly() const { return writeError_ != 0; }

private:
    [[noreturn]] void Fail(const std::string& what) const;
    [[noreturn]] void Fail(const std::string& what, int error) const;
    int OpenExisting(const std::string& verb);

    std::filesystem::path path_;
    int fd_ = -1;
    bool created_ = false;
    std::filesystem::path createdPath_; // where a link led, for a file made through one
    int writeError_ = 0;                // why a read-only file could not be opened for writing
};

// A file of fixed-size records, worked in units of RecordSize.
class TRecordStream : public FileStream {
public:
    using FileStream::FileStream;

    virtual std::int32_t RecordSize() const { return static_cast<std::int32_t>(sizeof(TScoreRec)); }

    // Whole records only: the size divided by RecordSize, rounded down.
    std::int32_t RecordCount() const;
    void FirstRecord();
    // Fails with "Cannot read beyond end of file", the position unchanged, unless a whole record
    // follows the one the position lies in.
    void NextRecord();
    // Reads at the position and returns there; the bytes read, fewer only at the end of the file.
    std::int64_t ReadRecord(TScoreRec& rec);
    // Writes at the position and moves past the record.
    void WriteRecord(const TScoreRec& rec);

private:
    std::int32_t CheckedRecordSize() const;
    std::int32_t CheckedBufferSize() const;
};

} // namespace lexfall
