// The life cycle of a datastructure's files: join, split, backup, recovery after a crash at
// any step, refusal of files that are not datastructures, and failures that leave the files
// as they were.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/TreeText.h"
#include "tests/engine/core/CrashStep.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "tests/engine/core/TempHome.h"

using namespace kiv;

namespace {

const char* kTree = "alpha(beta \"gamma delta\" epsilon(zeta(eta theta))) iota kappa(lambda mu) nu";

std::string U32(uint32_t v) {
    std::string s;
    AppendU32(s, v);
    return s;
}

std::string Joined(const std::string& cards, const std::string& outline) {
    return cards + outline + U32(uint32_t(outline.size())) +
           U32(uint32_t(cards.size() + outline.size() + 8));
}

void Put(const std::string& path, const std::string& bytes) { WriteFileAtomic(path, bytes); }

std::vector<std::string> Entries(const std::string& dir) { return FolderEntries(dir); }

using Names = std::vector<std::string>;


struct HookReset {
    ~HookReset() { SetFileStepHook(nullptr); }
};

class DsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        path = home.Dir() + "ds.kiv";
        dsc = home.Dir() + "ds.dsc";
        MakeTreePair(path, kTree);
        // Some text cards, so the card part is more than captions.
        {
            auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
            auto cards = PosixBlockFile::Open(dsc, OpenMode::ReadWrite);
            TDBCards db;
            db.SetCardFile(cards.get());
            ASSERT_TRUE(db.WriteCard(kDBCardTextBin, "secret\x01" + std::string(5000, 't')));
        }
        outline0 = ReadWholeFile(path);
        cards0 = ReadWholeFile(dsc);
        dump0 = DumpTreePair(path);
        ASSERT_NE(dump0.find("      eta\n"), std::string::npos) << dump0;
    }

    void MakeOpen() {
        Put(path, outline0);
        Put(dsc, cards0);
    }
    void MakeClosed() {
        if (FileExists(dsc)) RemoveFile(dsc);
        Put(path, Joined(cards0, outline0));
    }
    // The datastructure opens as the original pair, with all its topics.
    void ExpectOpensWhole() {
        TDatastructurePair pair;
        ASSERT_NO_THROW(pair = OpenDatastructurePair(path, false));
        if (!pair.Outline) return;
        // Compared as flags: a mismatch of binary files is not worth printing.
        EXPECT_TRUE(pair.Outline->ReadAll() == outline0) << "outline differs";
        EXPECT_TRUE(pair.Cards->ReadAll() == cards0) << "card file differs";
        EXPECT_EQ(DumpTree(pair.Outline.get(), pair.Cards.get()), dump0);
    }
    std::string Folder() const { return home.Dir(); }

    test::TempHome home;
    HookReset resetHook;
    std::string path, dsc, outline0, cards0, dump0;
};

TEST_F(DsFiles, PackThenUnpackGivesThePairBackByteForByte) {
    PackDatastructure(path);
    EXPECT_FALSE(FileExists(dsc));
    const std::string joined = ReadWholeFile(path);
    ASSERT_EQ(joined.size(), cards0.size() + outline0.size() + 8);
    EXPECT_EQ(joined, Joined(cards0, outline0));
    EXPECT_EQ(GetU32(joined.data() + joined.size() - 8), outline0.size());
    EXPECT_EQ(GetU32(joined.data() + joined.size() - 4), joined.size());
    EXPECT_EQ(Entries(Folder()), (Names{"ds.kiv"}));

    UnpackDatastructure(path);
    EXPECT_EQ(ReadWholeFile(path), outline0);
    EXPECT_EQ(ReadWholeFile(dsc), cards0);
    EXPECT_EQ(DumpTreePair(path), dump0);
    EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
}

TEST_F(DsFiles, SmallestPairJoinsToTwentyBytes) {
    Put(path, std::string(8, '\0'));
    Put(dsc, std::string(4, '\0'));
    PackDatastructure(path);
    EXPECT_EQ(ReadWholeFile(path), std::string(12, '\0') + U32(8) + U32(20));
    UnpackDatastructure(path);
    EXPECT_EQ(ReadWholeFile(path), std::string(8, '\0'));
    EXPECT_EQ(ReadWholeFile(dsc), std::string(4, '\0'));
}

TEST_F(DsFiles, PackKeepsTheFileMode) {
    ::chmod(path.c_str(), 0640);
    PackDatastructure(path);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(DsFiles, AnOpenPairIsLeftAsItIsByUnpack) {
    UnpackDatastructure(path);
    EXPECT_EQ(ReadWholeFile(path), outline0);
    EXPECT_EQ(ReadWholeFile(dsc), cards0);
}

TEST_F(DsFiles, OpenCreatesAnEmptyDatastructureOnlyWhenNothingIsThere) {
    const std::string fresh = Folder() + "fresh.kiv";
    EXPECT_THROW(OpenDatastructurePair(fresh, false), EFileError);
    {
        TDatastructurePair pair = OpenDatastructurePair(fresh, true);
        EXPECT_EQ(pair.Outline->ReadAll(), std::string(8, '\0'));
        EXPECT_EQ(pair.Cards->ReadAll(), std::string(4, '\0'));
    }
    PackDatastructure(fresh);
    EXPECT_EQ(ReadWholeFile(fresh).size(), 20u);
}

TEST_F(DsFiles, TheOpenPairIsLockedAgainstAJoinFromOutside) {
    TDatastructurePair pair = OpenDatastructurePair(path, false);
    EXPECT_THROW(PackDatastructure(path), EFileError);
    EXPECT_EQ(ReadWholeFile(path), outline0);
    EXPECT_EQ(ReadWholeFile(dsc), cards0);
    EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
}

TEST_F(DsFiles, APairThatCouldNotBeSplitAgainIsNotJoined) {
    // A damaged outline would make a joined file that the split refuses.
    Put(path, "abc");
    EXPECT_THROW(PackDatastructure(path), EKivError);
    EXPECT_EQ(ReadWholeFile(path), "abc");
    EXPECT_TRUE(ReadWholeFile(dsc) == cards0);

    // More than the u32 total can say (a sparse card file of 4 GB costs no disk).
    Put(path, outline0);
    ASSERT_EQ(::truncate(dsc.c_str(), off_t(4) << 30), 0);
    try {
        PackDatastructure(path);
        ADD_FAILURE() << "joined";
    } catch (const EKivError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(ReadWholeFile(path) == outline0);
    struct stat st {};
    ASSERT_EQ(::stat(dsc.c_str(), &st), 0);
    EXPECT_EQ(uint64_t(st.st_size), uint64_t(4) << 30);
    EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
}

// ---- files that are not datastructures ----

struct Foreign {
    const char* name;
    std::function<std::string(const std::string& joined)> make;
};

TEST_F(DsFiles, FilesNotInJoinedFormAreRefusedAndLeftUnchanged) {
    const Foreign cases[] = {
        {"empty", [](const std::string&) { return std::string(); }},
        {"text",
         [](const std::string&) {
             return std::string("just some text, no datastructure at all\r\n");
         }},
        {"19 bytes", [](const std::string&) { return std::string(11, '\0') + U32(8) + U32(19); }},
        {"cut by one byte", [](const std::string& j) { return j.substr(0, j.size() - 1); }},
        {"cut by eight bytes", [](const std::string& j) { return j.substr(0, j.size() - 8); }},
        {"one byte more", [](const std::string& j) { return j + "x"; }},
        {"total off by one",
         [](const std::string& j) {
             std::string s = j;
             PutU32(s.data() + s.size() - 4, uint32_t(s.size() + 1));
             return s;
         }},
        {"outline of 7 bytes",
         [](const std::string& j) {
             std::string s = j;
             PutU32(s.data() + s.size() - 8, 7);
             return s;
         }},
        {"card part of 3 bytes",
         [](const std::string& j) {
             std::string s = j;
             PutU32(s.data() + s.size() - 8, uint32_t(s.size() - 11));
             return s;
         }},
        {"outline larger than the file",
         [](const std::string& j) {
             std::string s = j;
             PutU32(s.data() + s.size() - 8, 0xFFFFFFF0u);
             return s;
         }},
        {"an outline without its card file", [&](const std::string&) { return outline0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (FileExists(dsc)) RemoveFile(dsc);
        const std::string bytes = c.make(Joined(cards0, outline0));
        Put(path, bytes);
        try {
            UnpackDatastructure(path);
            ADD_FAILURE() << "accepted";
        } catch (const EFileError& e) {
            ADD_FAILURE() << "a file error instead of a refusal: " << e.what();
        } catch (const EKivError& e) {
            EXPECT_NE(std::string(e.what()).find("is not a KIV datastructure"), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
        EXPECT_EQ(ReadWholeFile(path), bytes);
        EXPECT_EQ(Entries(Folder()), (Names{"ds.kiv"}));
        EXPECT_THROW(OpenDatastructurePair(path, true), EKivError);
        EXPECT_EQ(ReadWholeFile(path), bytes);
        EXPECT_EQ(Entries(Folder()), (Names{"ds.kiv"}));
    }
}

TEST_F(DsFiles, ALoneOutlineIsNamedAsSuch) {
    RemoveFile(dsc);
    try {
        UnpackDatastructure(path);
        FAIL();
    } catch (const EKivError& e) {
        EXPECT_NE(std::string(e.what()).find("card file \"" + dsc + "\" is missing"),
                  std::string::npos)
            << e.what();
    }
}

TEST_F(DsFiles, TheSmallestCardPartIsAccepted) {
    // K = size - 12 leaves exactly 4 bytes of cards.
    RemoveFile(dsc);
    Put(path, Joined(std::string(4, '\0'), outline0));
    UnpackDatastructure(path);
    EXPECT_EQ(ReadWholeFile(path), outline0);
    EXPECT_EQ(ReadWholeFile(dsc), std::string(4, '\0'));
}

TEST_F(DsFiles, ALoneCardFileIsNeverGivenAnEmptyOutline) {
    RemoveFile(path);
    EXPECT_THROW(OpenDatastructurePair(path, true), EKivError);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(ReadWholeFile(dsc), cards0);
}

TEST_F(DsFiles, AJoinedFileBesideAForeignCardFileIsLeftAlone) {
    const std::string joined = Joined(cards0, outline0);
    Put(path, joined);
    Put(dsc, std::string(4, '\0') + "other cards" + std::string(100, 'x'));
    const std::string other = ReadWholeFile(dsc);
    EXPECT_THROW(OpenDatastructurePair(path, false), EKivError);
    EXPECT_THROW(PackDatastructure(path), EKivError);
    EXPECT_EQ(ReadWholeFile(path), joined);
    EXPECT_EQ(ReadWholeFile(dsc), other);
}

// ---- what interruptions leave ----

TEST_F(DsFiles, ACrashBeforeAnyStepOfPackLeavesAWholeDatastructure) {
    int steps = 0;
    for (int n = 1; n <= 40 && steps == 0; ++n) {
        SCOPED_TRACE("crash before step " + std::to_string(n));
        MakeOpen();
        if (RunCrashingBeforeStep(n, [&] { PackDatastructure(path); })) steps = n - 1;
        ExpectOpensWhole();
        EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
    }
    EXPECT_GE(steps, 7);
}

TEST_F(DsFiles, ACrashBeforeAnyStepOfUnpackLeavesAWholeDatastructure) {
    int steps = 0;
    for (int n = 1; n <= 40 && steps == 0; ++n) {
        SCOPED_TRACE("crash before step " + std::to_string(n));
        MakeClosed();
        if (RunCrashingBeforeStep(n, [&] { UnpackDatastructure(path); })) steps = n - 1;
        ExpectOpensWhole();
        EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
    }
    EXPECT_GE(steps, 8);
}

TEST_F(DsFiles, ACrashBeforeAnyStepOfBackupLeavesTheOldBackupOrTheNew) {
    const std::string bak = home.Dir() + "ds.bak";
    const std::string joined = Joined(cards0, outline0);
    int steps = 0;
    for (int n = 1; n <= 40 && steps == 0; ++n) {
        SCOPED_TRACE("crash before step " + std::to_string(n));
        MakeOpen();
        Put(bak, "the old backup");
        if (RunCrashingBeforeStep(n, [&] { BackupDatastructure(path); })) steps = n - 1;
        const std::string b = ReadWholeFile(bak);
        EXPECT_TRUE(b == "the old backup" || b == joined);
        ExpectOpensWhole();
        EXPECT_EQ(Entries(Folder()), (Names{"ds.bak", "ds.dsc", "ds.kiv"}));
    }
    EXPECT_EQ(ReadWholeFile(bak), joined);
}

// States the old program's in-place join and split leave when they are cut off.
TEST_F(DsFiles, WhatTheOldJoinAndSplitLeftIsRecovered) {
    const std::string joined = Joined(cards0, outline0);
    const std::string appended = cards0 + outline0 + U32(uint32_t(outline0.size()));
    struct State {
        const char* name;
        const char* kiv;  // nullptr: missing
        std::string kivBytes, dscBytes;
    };
    const std::vector<State> states = {
        {"join: outline appended to the card file", "", outline0, appended},
        {"join: outline deleted, total not yet written", nullptr, "", appended},
        {"join: total written, not yet renamed", nullptr, "", joined},
        {"split: renamed, outline not yet written", "", "", joined},
        {"split: outline half written", "", outline0.substr(0, outline0.size() / 2), joined},
        {"split: outline written, card file not yet cut", "", outline0, joined},
    };
    for (const auto& s : states) {
        SCOPED_TRACE(s.name);
        if (FileExists(path)) RemoveFile(path);
        if (s.kiv) Put(path, s.kivBytes);
        Put(dsc, s.dscBytes);
        ExpectOpensWhole();
        EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
    }
}

TEST_F(DsFiles, ACrashWhileRecoveringIsRecoveredToo) {
    const std::string appended = cards0 + outline0 + U32(uint32_t(outline0.size()));
    int steps = 0;
    for (int n = 1; n <= 20 && steps == 0; ++n) {
        SCOPED_TRACE("crash before step " + std::to_string(n));
        if (FileExists(path)) RemoveFile(path);
        Put(dsc, appended);
        if (RunCrashingBeforeStep(n, [&] { RecoverDatastructure(path); })) steps = n - 1;
        ExpectOpensWhole();
    }
    EXPECT_GE(steps, 4);
}

TEST_F(DsFiles, StaleTemporaryFilesAreRemovedButOthersAreNot) {
    Put(path + ".tmpAb12Cd", "left by a crash");
    Put(path + ".tmp-notours", "keep");
    Put(home.Dir() + "other.kiv.tmpAb12Cd", "keep");
    RecoverDatastructure(path);
    EXPECT_EQ(Entries(Folder()),
              (Names{"ds.dsc", "ds.kiv", "ds.kiv.tmp-notours", "other.kiv.tmpAb12Cd"}));
}

// ---- failing steps leave the files as they were ----

TEST_F(DsFiles, AFailingStepOfPackLeavesThePairOrAJoinedFile) {
    for (int n = 1;; ++n) {
        SCOPED_TRACE("failing step " + std::to_string(n));
        MakeOpen();
        std::string failed;
        SetFileStepHook([&, count = 0](std::string_view step) mutable {
            if (++count == n) {
                failed = std::string(step);
                throw EFileError("Injected failure at", failed, EIO);
            }
        });
        try {
            PackDatastructure(path);
        } catch (const EFileError& e) {
            EXPECT_NE(std::string(e.what()).find("Input/output error"), std::string::npos);
        }
        SetFileStepHook(nullptr);
        if (failed.empty()) break;
        if (failed == "pack:remove-dsc" || failed == "pack:done") {
            // The joined file is complete; the ".dsc" left behind is cleared at the next open.
            EXPECT_EQ(ReadWholeFile(path), Joined(cards0, outline0));
        } else {
            EXPECT_EQ(ReadWholeFile(path), outline0) << failed;
            EXPECT_EQ(ReadWholeFile(dsc), cards0) << failed;
            EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"})) << failed;
        }
        ExpectOpensWhole();
    }
}

TEST_F(DsFiles, AFailingStepOfUnpackLeavesTheJoinedFileOrThePair) {
    const std::string joined = Joined(cards0, outline0);
    for (int n = 1;; ++n) {
        SCOPED_TRACE("failing step " + std::to_string(n));
        MakeClosed();
        std::string failed;
        SetFileStepHook([&, count = 0](std::string_view step) mutable {
            if (++count == n) {
                failed = std::string(step);
                throw EFileError("Injected failure at", failed, EIO);
            }
        });
        try {
            UnpackDatastructure(path);
        } catch (const EFileError&) {
        }
        SetFileStepHook(nullptr);
        if (failed.empty()) break;
        if (failed == "unpack:truncate-dsc" || failed == "unpack:sync-dsc" ||
            failed == "unpack:done") {
            EXPECT_EQ(ReadWholeFile(path), outline0) << failed;
        } else {
            EXPECT_EQ(ReadWholeFile(path), joined) << failed;
            EXPECT_EQ(Entries(Folder()), (Names{"ds.kiv"})) << failed;
        }
        ExpectOpensWhole();
    }
}

TEST_F(DsFiles, ABackupIsMadeOnlyOfASoundFile) {
    const std::string bak = home.Dir() + "ds.bak";
    BackupDatastructure(path);  // packs the open pair first
    const std::string joined = Joined(cards0, outline0);
    EXPECT_EQ(ReadWholeFile(bak), joined);
    EXPECT_EQ(ReadWholeFile(path), joined);
    EXPECT_FALSE(FileExists(dsc));

    Put(path, joined.substr(0, joined.size() - 3));
    EXPECT_THROW(BackupDatastructure(path), EKivError);
    EXPECT_EQ(ReadWholeFile(bak), joined);
    EXPECT_EQ(Entries(Folder()), (Names{"ds.bak", "ds.kiv"}));
}

// A child that writes with its file size limited: every write past the limit fails.
TEST_F(DsFiles, AFullDiskLeavesThePairAsItWas) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl {
            4096, 4096
        };
        ::setrlimit(RLIMIT_FSIZE, &rl);
        try {
            PackDatastructure(path);
        } catch (const EFileError& e) {
            ::_exit(std::string(e.what()).find("File too large") != std::string::npos ? 1 : 2);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadWholeFile(path), outline0);
    EXPECT_EQ(ReadWholeFile(dsc), cards0);
    EXPECT_EQ(Entries(Folder()), (Names{"ds.dsc", "ds.kiv"}));
}

// A folder the operation may read but not write. Root writes everywhere, so the operation
// runs in a child that gives up root for "nobody" first; the files belong to that user.
class ReadOnlyFolder : public DsFiles {
protected:
    void SetUp() override {
        DsFiles::SetUp();
        std::string tmpl = "/tmp/kiv-ro-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir = tmpl + "/";
        ::chmod(dir.c_str(), 0755);
        ro = dir + "ds.kiv";
    }
    void TearDown() override {
        ::chmod(dir.c_str(), 0755);
        RemoveTree(dir);
    }
    void Own(const std::string& p) {
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(p.c_str(), kNobody, kNobody), 0);
        }
    }
    // Runs op as a user who cannot write the folder; returns the error message it raised.
    std::string RunInReadOnlyFolder(const std::function<void()>& op) {
        ::chmod(dir.c_str(), 0555);
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(9);
            int code = 0;
            std::string what = "no error";
            try {
                op();
            } catch (const std::exception& e) {
                what = e.what();
                code = 1;
            }
            ssize_t w = ::write(fds[1], what.data(), what.size());
            (void)w;
            ::_exit(code);
        }
        ::close(fds[1]);
        std::string msg;
        char buf[512];
        for (ssize_t r; (r = ::read(fds[0], buf, sizeof buf)) > 0;) msg.append(buf, size_t(r));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << msg;
        ::chmod(dir.c_str(), 0755);
        return msg;
    }
    static constexpr uid_t kNobody = 65534;
    std::string dir, ro;
};

TEST_F(ReadOnlyFolder, PackUnpackAndBackupReportTheFolderAndTheReason) {
    const std::string rodsc = dir + "ds.dsc";
    Put(ro, outline0);
    Put(rodsc, cards0);
    Own(ro);
    Own(rodsc);
    std::string m = RunInReadOnlyFolder([&] { PackDatastructure(ro); });
    EXPECT_NE(m.find(dir), std::string::npos) << m;
    EXPECT_NE(m.find("Permission denied"), std::string::npos) << m;
    EXPECT_EQ(ReadWholeFile(ro), outline0);
    EXPECT_EQ(ReadWholeFile(rodsc), cards0);
    EXPECT_EQ(Entries(dir), (Names{"ds.dsc", "ds.kiv"}));

    m = RunInReadOnlyFolder([&] { BackupDatastructure(ro); });
    EXPECT_NE(m.find("Permission denied"), std::string::npos) << m;
    EXPECT_EQ(Entries(dir), (Names{"ds.dsc", "ds.kiv"}));

    RemoveFile(rodsc);
    const std::string joined = Joined(cards0, outline0);
    Put(ro, joined);
    Own(ro);
    m = RunInReadOnlyFolder([&] { UnpackDatastructure(ro); });
    EXPECT_NE(m.find("Permission denied"), std::string::npos) << m;
    EXPECT_EQ(ReadWholeFile(ro), joined);
    EXPECT_EQ(Entries(dir), (Names{"ds.kiv"}));
}

// ---- the tree fixture tool ----

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Kivtree(const std::vector<std::string>& args) {
    auto quote = [](const std::string& s) {
        std::string q = "'";
        for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    };
    const char* bin = std::getenv("KIV_BIN_DIR");
    std::string cmd = quote((bin && *bin ? std::string(bin) + "/" : ExecutableDir()) + "kivtree");
    for (const auto& a : args) cmd += " " + quote(a);
    const std::string out = TempDir() + "dsfiles-tool.out", err = TempDir() + "dsfiles-tool.err";
    cmd += " >" + out + " 2>" + err;
    int st = std::system(cmd.c_str());
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, ReadWholeFile(out), ReadWholeFile(err)};
}

TEST_F(DsFiles, KivtreePacksUnpacksAndDumpsAJoinedFileWithoutTouchingIt) {
    ToolRun r = Kivtree({"pack", path});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string joined = ReadWholeFile(path);
    EXPECT_EQ(joined, Joined(cards0, outline0));

    r = Kivtree({"dump", path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dump0);
    EXPECT_TRUE(ReadWholeFile(path) == joined);
    EXPECT_EQ(Entries(Folder()), (Names{"ds.kiv"}));

    r = Kivtree({"unpack", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReadWholeFile(path) == outline0);
    EXPECT_TRUE(ReadWholeFile(dsc) == cards0);
    EXPECT_EQ(Kivtree({"dump", path}).out, dump0);

    const std::string foreign = Folder() + "foreign.kiv";
    Put(foreign, "not a datastructure at all");
    r = Kivtree({"unpack", foreign});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not a KIV datastructure"), std::string::npos) << r.err;
    EXPECT_EQ(ReadWholeFile(foreign), "not a datastructure at all");
}

// ---- captions of paths and the recent-files list ----

TEST(ShortenPath, KeepsShortPathsAndCutsInnerFolders) {
    const std::string p40 = "/home/user/notes/" + std::string(19, 'n') + ".kiv";
    ASSERT_EQ(p40.size(), 40u);
    EXPECT_EQ(ShortenPath(p40), p40);

    // 60 characters, six folders: the root part, "..." and the file name remain.
    const std::string p60 = "/folder01/folder02/folder03/folder04/folder05/folder06/a.kiv";
    ASSERT_EQ(p60.size(), 60u);
    EXPECT_EQ(ShortenPath(p60), "/folder01/folder02/folder03/.../a.kiv");

    const std::string deep = "/" + std::string(30, 'a') + "/" + std::string(30, 'b') + "/x.kiv";
    EXPECT_EQ(ShortenPath(deep), "/.../x.kiv");
    EXPECT_EQ(ShortenPath(deep + "/"), "/.../x.kiv");
    const std::string longName = "/home/" + std::string(50, 'z') + ".kiv";
    EXPECT_EQ(ShortenPath(longName), "/.../" + std::string(50, 'z') + ".kiv");
}

class LastOpened : public ::testing::Test {
protected:
    std::string Make(const std::string& name) {
        std::string p = home.Dir() + name;
        Put(p, "x");
        return p;
    }
    test::TempHome home;
};

TEST_F(LastOpened, KeepsTheFourMostRecentExistingFilesCurrentFirst) {
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) files.push_back(Make("d" + std::to_string(i) + ".kiv"));
    TIniSection section;
    TLastOpened r;
    for (const auto& f : files) {
        r = UpdateLastOpened(section, f);
        section = r.Section;
    }
    EXPECT_EQ(r.Entries, (std::vector<std::string>{files[4], files[3], files[2], files[1]}));
    EXPECT_EQ(
        section,
        (TIniSection{{"1", "||d5.kiv"}, {"2", "||d4.kiv"}, {"3", "||d3.kiv"}, {"4", "||d2.kiv"}}));

    // Reopening an entry moves it to the front without a second copy.
    r = UpdateLastOpened(section, files[2]);
    EXPECT_EQ(
        r.Section,
        (TIniSection{{"1", "||d3.kiv"}, {"2", "||d5.kiv"}, {"3", "||d4.kiv"}, {"4", "||d2.kiv"}}));
    EXPECT_EQ(LastOpenedCaption(1, r.Entries[0]), "1 " + ShortenPath(files[2]));
}

// A missing file may be on a drive not mounted yet: it stays, as it was written; a folder
// and an empty entry go.
TEST_F(LastOpened, KeepsMissingFilesDropsFoldersAndPadsWithEmptyEntries) {
    const std::string a = Make("a.kiv");
    const std::string outside = "/tmp";  // exists, but is no file
    TIniSection section{{"1", "||gone.kiv"}, {"2", outside}, {"3", "C:\\Docs\\win.kiv"}, {"4", ""}};
    TLastOpened r = UpdateLastOpened(section, a);
    EXPECT_EQ(r.Section,
              (TIniSection{{"1", "||a.kiv"}, {"2", "||gone.kiv"}, {"3", "C:\\Docs\\win.kiv"}}));
    EXPECT_EQ(r.Entries,
              (std::vector<std::string>{a, home.Dir() + "gone.kiv", "C:\\Docs\\win.kiv", ""}));
}

// Written on Windows: found without regard to letter case and kept byte for byte, also the
// entry of the file being opened; one file is listed once.
TEST_F(LastOpened, WindowsSpellingsAreKeptAsWritten) {
    MakeDirs(home.Dir() + "daten/");
    const std::string other = Make("daten/andere.kiv");
    const std::string a = Make("a.kiv");
    const TIniSection section{{"1", "||A.KIV"},
                              {"2", "||DATEN\\ANDERE.KIV"},
                              {"3", "||daten/andere.kiv"}};
    TLastOpened r = UpdateLastOpened(section, other);
    EXPECT_EQ(r.Section, (TIniSection{{"1", "||DATEN\\ANDERE.KIV"}, {"2", "||A.KIV"}}));
    EXPECT_EQ(r.Entries, (std::vector<std::string>{other, a, "", ""}));
}

// kiv.ini holds one value a line: a name with a line break would come back as another.
TEST_F(LastOpened, ANameWithALineBreakIsNotListed) {
    const std::string a = Make("a.kiv");
    const std::string broken = Make("two\nlines.kiv");
    TLastOpened r = UpdateLastOpened({{"1", "||a.kiv"}}, broken);
    EXPECT_EQ(r.Section, (TIniSection{{"1", "||a.kiv"}}));
    EXPECT_EQ(r.Entries, (std::vector<std::string>{a, "", "", ""}));
}

TEST_F(LastOpened, PathsOutsideTheProgramFolderStayAbsolute) {
    std::string tmpl = TempDir() + "elsewhereXXXXXX";
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    const std::string other = tmpl + "/o.kiv";
    Put(other, "x");
    const std::string a = Make("a.kiv");
    TLastOpened r = UpdateLastOpened({{"1", other}}, a);
    EXPECT_EQ(r.Section, (TIniSection{{"1", "||a.kiv"}, {"2", other}}));
    RemoveTree(tmpl);
}

}  // namespace
