#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "tests/FileSizeLimit.h"

using namespace kiv;

TEST(BlockFile, PosixReadsWritesAndLocks) {
    std::string path = TempDir() + "bf.bin";
    {
        auto f = PosixBlockFile::Open(path, OpenMode::Truncate, true);
        f->WriteU32(4, 0xA1B2C3D4);
        EXPECT_EQ(f->Size(), 8u);
        uint32_t v = 0;
        ASSERT_TRUE(f->ReadU32(4, v));
        EXPECT_EQ(v, 0xA1B2C3D4u);
        EXPECT_FALSE(f->ReadU32(6, v));  // short read at the end is reported
        // A second writer is refused while the lock is held.
        EXPECT_THROW(PosixBlockFile::Open(path, OpenMode::ReadWrite, true), EFileError);
    }
    EXPECT_NO_THROW(PosixBlockFile::Open(path, OpenMode::ReadWrite, true));
    EXPECT_THROW(PosixBlockFile::Open(TempDir() + "missing", OpenMode::ReadOnly), EFileError);
}

TEST(BlockFile, MemoryFailsWritesOnRequest) {
    MemoryBlockFile m;
    m.WriteAt(0, "abcd", 4);
    m.FailWritesAfter(1);
    m.WriteAt(4, "ef", 2);
    EXPECT_THROW(m.WriteAt(6, "ghij", 4), EFileError);
    EXPECT_EQ(m.Bytes(), "abcdefgh");  // half of the failing write landed
}

TEST(BlockFile, AtomicWriteReplacesWhole) {
    std::string path = TempDir() + "atomic.txt";
    WriteFileAtomic(path, "old");
    WriteFileAtomic(path, "new content");
    EXPECT_EQ(ReadWholeFile(path), "new content");
    EXPECT_THROW(WriteFileAtomic(TempDir() + "no/such/dir/x", "x"), EFileError);
}

TEST(BlockFile, MemoryFullDiskFailsOnlyGrowth) {
    MemoryBlockFile m(std::string(8, 'o'));
    m.FailGrowthPast(10);
    m.WriteAt(0, "in", 2);  // inside the file: no space needed
    try {
        m.WriteAt(6, "abcdef", 6);
        FAIL() << "a write past the limit went through";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(m.Bytes(), "inooooabcd");  // what fitted landed, as on a full disk
    m.UnlimitedGrowth();
    m.WriteAt(10, "ef", 2);
    EXPECT_EQ(m.Bytes(), "inooooabcdef");
}

TEST(BlockFile, AppendRollbackTakesBackOnlyTheStoreThatFell) {
    MemoryBlockFile m(std::string("kept"));
    {
        AppendRollback rollback(&m);
        m.Append("new", 3);
    }
    EXPECT_EQ(m.Bytes(), "keptnew");  // left without an exception: kept
    m.FailGrowthPast(12);
    EXPECT_THROW(
        {
            AppendRollback rollback(&m);
            m.WriteAt(0, "KEPT", 4);  // in place: a rollback only shortens the file
            m.Append("more", 4);
            m.Append("and more", 8);
        },
        EFileError);
    EXPECT_EQ(m.Bytes(), "KEPTnew");
}

TEST(BlockFile, SizeLimitIsAWriteErrorNotASignal) {
    const std::string path = TempDir() + "limited.bin";
    WriteFileAtomic(path, std::string(1000, 'x'));
    auto grow = [&] {
        auto f = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        f->WriteAt(10, "inside", 6);
        f->Append(std::string(5000, 'y').data(), 5000);
        return std::string("grew");
    };
    const std::string reported = test::UnderFileSizeLimit(4096, grow);
    EXPECT_NE(reported.find("File too large"), std::string::npos) << reported;
    EXPECT_NE(reported.find(path), std::string::npos) << reported;
    // Without ignoring SIGXFSZ the process would simply die.
    EXPECT_EQ(test::UnderFileSizeLimit(4096, grow, false),
              "killed by signal " + std::to_string(SIGXFSZ));
    RemoveFile(path);
}
