#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

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
