// The private temporary folder: made where it can be, and the ones runs cut short left
// behind are swept, never one a live process owns.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

using namespace kiv;

namespace {

class TempFolders : public ::testing::Test {
protected:
    std::string base;
    void SetUp() override {
        base = TempDir() + "bases/";
        ASSERT_TRUE(MakeDirs(base));
    }
    void TearDown() override { RemoveTree(base); }
    static void Age(const std::string& path, int seconds) {
        struct utimbuf t {};
        t.actime = t.modtime = ::time(nullptr) - seconds;
        ASSERT_EQ(::utime(path.c_str(), &t), 0);
    }
};

TEST_F(TempFolders, AMissingOrUnwritableBaseFallsBackToTheNext) {
    const std::string made = MakeTempDir({base + "missing/", "", base});
    EXPECT_EQ(made.rfind(base + "kiv-", 0), 0u) << made;
    EXPECT_TRUE(DirExists(made));
    struct stat st {};
    ASSERT_EQ(::stat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(FileExists(made + kTempOwnerFile));
    EXPECT_THROW(MakeTempDir({base + "missing/", base + "also missing/"}), EFileError);
}

TEST_F(TempFolders, TheBasesAreTmpdirThenTmpThenTheProgramFolder) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", "/nowhere/at/all", 1);
    EXPECT_EQ(TempDirBases(), (std::vector<std::string>{"/nowhere/at/all", "/tmp", AppDir()}));
    ::unsetenv("TMPDIR");
    EXPECT_EQ(TempDirBases(), (std::vector<std::string>{"/tmp", AppDir()}));
    if (old) ::setenv("TMPDIR", saved.c_str(), 1);
}

TEST_F(TempFolders, OnlyOursStaleAndEmptyFoldersAreSwept) {
    auto folder = [&](const std::string& name, int age, bool owner, bool file) {
        const std::string d = base + name;
        EXPECT_TRUE(MakeDirs(d));
        if (owner) WriteFileAtomic(d + "/" + kTempOwnerFile, "");
        if (file) WriteFileAtomic(d + "/kept.rtf", "x");
        Age(d, age);
    };
    folder("kiv-AAAAAA", 600, false, false);  // a run killed before its lock: empty, old
    folder("kiv-BBBBBB", 600, true, false);   // a run killed later: only its free lock
    folder("kiv-CCCCCC", 600, true, false);   // a live run: its lock is held
    folder("kiv-DDDDDD", 600, false, true);   // holds a file: kept
    folder("kiv-EEEEEE", 5, false, false);    // just made: kept
    folder("kivXFFFFFF", 600, false, false);  // not ours
    const int held = ::open((base + "kiv-CCCCCC/" + kTempOwnerFile).c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    // A lock held through another open file counts as another process's.
    EXPECT_EQ(SweepStaleTempDirs(base), 2);
    ::close(held);
    EXPECT_EQ(FolderEntries(base),
              (std::vector<std::string>{"kiv-CCCCCC", "kiv-DDDDDD", "kiv-EEEEEE", "kivXFFFFFF"}));
}

}  // namespace
