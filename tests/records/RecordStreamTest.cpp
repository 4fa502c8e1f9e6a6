// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/RecordStream.h"
#include "support/RecordFileFixture.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace lexfall {
namespace {

namespace fs = std::filesystem;

std::string Bytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i + 1);
    return bytes;
}

using RecordStreamTest = testing::RecordFileFixture;

TScoreRec Filled(char fill) {
    const std::string bytes(sizeof(TScoreRec), fill);
    TScoreRec rec;
    std::memcpy(&rec, bytes.data(), bytes.size());
    return rec;
}

// Only whole records count.
TEST_F(RecordStreamTest, RecordCountRoundsDown) {
    const std::pair<std::size_t, std::int32_t> cases[] = {{0, 0},  {44, 0},  {45, 1}, {89, 1},
                                                          {90, 2}, {100, 2}, {135, 3}};
    for (const auto& [size, count] : cases) {
        WriteFile(Bytes(size));
        TRecordStream stream(file_, StreamMode::Open);
        EXPECT_EQ(stream.RecordSize(), 45);
        EXPECT_EQ(stream.RecordCount(), count) << size << " bytes";
    }
}

// NextRecord stops at the last whole record and leaves the position where it was.
TEST_F(RecordStreamTest, NextRecordFailsInsideLastRecord) {
    WriteFile(Bytes(100));
    TRecordStream stream(file_, StreamMode::Open);
    stream.FirstRecord();
    stream.NextRecord();
    EXPECT_EQ(stream.Position(), 45);
    try {
        stream.NextRecord();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot read beyond end of file");
    }
    EXPECT_EQ(stream.Position(), 45);
    // Anywhere inside the last record counts as inside it.
    stream.Seek(89, SeekOrigin::Beginning);
    EXPECT_THROW(stream.NextRecord(), Error);
    EXPECT_EQ(stream.Position(), 89);
}

// With no whole record there is nothing to move to: no position past the end, no hole later.
TEST_F(RecordStreamTest, NextRecordFailsWithoutWholeRecords) {
    WriteFile(Bytes(30));
    TRecordStream stream(file_, StreamMode::Open);
    stream.FirstRecord();
    EXPECT_THROW(stream.NextRecord(), Error);
    EXPECT_EQ(stream.Position(), 0);
}

// ReadRecord returns to where it read; WriteRecord moves past what it wrote.
TEST_F(RecordStreamTest, ReadKeepsPositionWriteAdvances) {
    std::string bytes = Bytes(90);
    WriteFile(bytes);
    TRecordStream stream(file_, StreamMode::Open);
    stream.FirstRecord();
    stream.NextRecord();
    TScoreRec rec{};
    EXPECT_EQ(stream.ReadRecord(rec), 45);
    EXPECT_EQ(stream.Position(), 45);
    EXPECT_EQ(std::memcmp(&rec, bytes.data() + 45, 45), 0);

    stream.FirstRecord();
    const TScoreRec written = Filled('\x7f');
    stream.WriteRecord(written);
    EXPECT_EQ(stream.Position(), 45);
    bytes.replace(0, 45, std::string(45, '\x7f'));
    EXPECT_EQ(ReadFile(), bytes);
}

// A short read at the end returns what it got and still leaves the position where it was.
TEST_F(RecordStreamTest, ShortReadKeepsPosition) {
    WriteFile(Bytes(60));
    TRecordStream stream(file_, StreamMode::Open);
    stream.Seek(50, SeekOrigin::Beginning);
    TScoreRec rec = Filled('\0');
    EXPECT_EQ(stream.ReadRecord(rec), 10);
    EXPECT_EQ(stream.Position(), 50);
    EXPECT_EQ(rec.NameLength, 51);
}

// A record written after a seek to the end goes after the last byte wherever the position was.
TEST_F(RecordStreamTest, AppendWritesAtTheEnd) {
    WriteFile(Bytes(10));
    TRecordStream stream(file_, StreamMode::Open);
    stream.FirstRecord();
    stream.Seek(0, SeekOrigin::End);
    stream.WriteRecord(Filled('a'));
    stream.Seek(0, SeekOrigin::End);
    stream.WriteRecord(Filled('b'));
    EXPECT_EQ(stream.Position(), 100);
    EXPECT_EQ(ReadFile(), Bytes(10) + std::string(45, 'a') + std::string(45, 'b'));
}

// The record operations follow an overridden RecordSize.
TEST_F(RecordStreamTest, RecordSizeIsOverridable) {
    class SmallRecords : public TRecordStream {
    public:
        using TRecordStream::TRecordStream;
        std::int32_t RecordSize() const override { return 10; }
    };
    WriteFile(Bytes(95));
    SmallRecords stream(file_, StreamMode::Open);
    EXPECT_EQ(stream.RecordCount(), 9);
    stream.FirstRecord();
    stream.NextRecord();
    EXPECT_EQ(stream.Position(), 10);
    TScoreRec rec = Filled('\0');
    EXPECT_EQ(stream.ReadRecord(rec), 10);
    EXPECT_EQ(rec.NameLength, 11);
    EXPECT_EQ(rec.NameChars[9], '\0'); // nothing past the tenth byte
}

// Create makes a file only where none is: one that is there already is opened as it is, never
// emptied, and Created() tells the two apart.
TEST_F(RecordStreamTest, CreateNeverEmptiesAFile) {
    {
        TRecordStream stream(file_, StreamMode::Create);
        EXPECT_TRUE(stream.Created());
        EXPECT_EQ(stream.Size(), 0);
        stream.Write(Bytes(90).data(), 90);
    }
    {
        TRecordStream stream(file_, StreamMode::Create);
        EXPECT_FALSE(stream.Created());
        EXPECT_EQ(stream.Size(), 90);
    }
    { TRecordStream stream(file_, StreamMode::Open); }
    EXPECT_EQ(ReadFile(), Bytes(90));
}

// Open and create failures name the file.
TEST_F(RecordStreamTest, OpenErrorsNameTheFile) {
    const fs::path missing = dir_ / "none" / "Records.dat";
    for (const StreamMode mode : {StreamMode::Open, StreamMode::Create}) {
        try {
            TRecordStream stream(missing, mode);
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(missing.string()), std::string::npos) << e.what();
        }
    }
}

// While one stream holds the file, opening or creating it fails, and create does not empty it.
TEST_F(RecordStreamTest, SecondOpenerFailsInThisProcess) {
    WriteFile(Bytes(90));
    {
        TRecordStream holder(file_, StreamMode::Open);
        for (const StreamMode mode : {StreamMode::Open, StreamMode::Create}) {
            try {
                TRecordStream second(file_, mode);
                FAIL() << "second opener got the file";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(file_.string()), std::string::npos);
            }
        }
        EXPECT_EQ(ReadFile(), Bytes(90));
    }
    // Released with the holder.
    EXPECT_NO_THROW(TRecordStream(file_, StreamMode::Open));
}

// The lock holds against another process too.
TEST_F(RecordStreamTest, SecondOpenerFailsInAnotherProcess) {
    WriteFile(Bytes(90));
    TRecordStream holder(file_, StreamMode::Open);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int code = 1;
        try {
            TRecordStream second(file_, StreamMode::Create);
        } catch (const Error&) {
            code = 0;
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the other process got the file";
    EXPECT_EQ(ReadFile(), Bytes(90));
}

} // namespace
} // namespace lexfall
