// Files autoregistration: the type list, counting with its progress and limits, the topics a
// folder gives (order, titles, launch lines), loops and unreadable folders, and a stopped
// build that leaves every nest readable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/FileRegistration.h"
#include "platform/core/MiskPro.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "tests/engine/core/TempHome.h"

namespace kiv {
namespace {

using Strings = std::vector<std::string>;

// Folders in memory: path -> entries; a folder missing from the map cannot be read.
class FakeFolders : public TFolderSource {
public:
    std::map<std::string, std::vector<TFolderEntry>> Folders;
    std::map<std::string, std::string> Files;  // contents of files asked for titles
    std::vector<std::string> Unreadable;

    void AddFiles(const std::string& folder, int n, const std::string& ext = ".txt") {
        auto& e = Folders[folder];
        for (int i = 0; i < n; ++i) e.push_back({"f" + std::to_string(i) + ext, false});
    }
    bool List(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        entries.clear();
        for (const std::string& u : Unreadable)
            if (u == folder) return false;
        auto it = Folders.find(folder);
        if (it == Folders.end()) return false;
        entries = it->second;
        return true;
    }
    bool Identify(const std::string& folder, TFolderId& id) override {
        if (!Folders.count(folder) && !IsUnreadable(folder)) return false;
        id = {1, std::hash<std::string>{}(folder)};
        return true;
    }
    bool IsFile(const std::string& path) override { return Files.count(path) > 0; }
    std::string ReadStart(const std::string& path, size_t) override {
        return Files.count(path) ? Files[path] : "";
    }

private:
    bool IsUnreadable(const std::string& f) const {
        for (const std::string& u : Unreadable)
            if (u == f) return true;
        return false;
    }
};

// A pair in memory with one top-level topic slot for the folder topic.
struct MemoryPair {
    MemoryPair() : kiv(std::string(kRootHeaderSize, '\0')), dsc(std::string(4, '\0')) {
        cards.SetCardFile(&dsc);
    }
    // Puts the folder topic at the top level, as the panel's insertion does.
    TTopicSlot Insert(const TNestItem& item) {
        const uint32_t root = AddNestItems(&kiv, ReadRootNest(&kiv), {item});
        WriteRootNest(&kiv, root);
        TItemArray items;
        ReadNestItems(&kiv, root, items);
        return {root, int(items.size()) - 1};
    }
    int Build(TFileRegistrar& r, const std::string& folder) {
        return r.BuildFileTopics(&kiv, cards, folder,
                                 [this](const TNestItem& i) { return Insert(i); });
    }
    std::string Dump(bool withCards = false) { return DumpTree(&kiv, &dsc, withCards); }
    MemoryBlockFile kiv, dsc;
    TCards cards;
};

// A real folder tree outside the program folder, so links stay absolute.
class DiskTree {
public:
    DiskTree() {
        static int n = 0;
        root_ = TempDir() + "regtree" + std::to_string(++n);
        RemoveTree(root_ + "/");
        MakeDirs(root_ + "/");
    }
    ~DiskTree() { RemoveTree(root_ + "/"); }
    std::string Dir(const std::string& rel) const {
        MakeDirs(root_ + "/" + rel + "/");
        return root_ + "/" + rel;
    }
    std::string File(const std::string& rel, const std::string& text = "x") const {
        const std::string p = root_ + "/" + rel;
        MakeDirs(p.substr(0, p.rfind('/') + 1));
        EXPECT_NO_THROW(WriteFileAtomic(p, text)) << p;
        return p;
    }
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

TEST(FileTypes, ParsedIntoSortedUpperCaseExtensions) {
    const struct {
        const char* text;
        Strings types;
    } cases[] = {
        {"txt, .DOC,htm,.,a.b.txt", {".B.TXT", ".DOC", ".HTM", ".TXT"}},
        {"", {}},
        {"  ,, . ,", {}},
        {"txt,TXT,.txt", {".TXT"}},
        {"x", {".X"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseFileTypes(c.text), c.types) << c.text;
}

TEST(FileTypes, FilterComparesUpperCaseExtension) {
    const Strings types{".DOC", ".TXT"};
    const struct {
        const char* name;
        bool passes;
    } cases[] = {
        {"a.txt", true}, {"B.Doc", true}, {"a.htm", false}, {"noext", false}, {"a.txt.bak", false}};
    for (const auto& c : cases) EXPECT_EQ(PassesTypeFilter(types, c.name), c.passes) << c.name;
    EXPECT_TRUE(PassesTypeFilter({}, "noext"));
}

TEST(CountFiles, CountsFilesAndFoldersWithProgressEveryHundred) {
    FakeFolders fs;
    fs.AddFiles("/r", 250);
    fs.Folders["/r"].push_back({"sub", true});
    fs.AddFiles("/r/sub", 1000, ".doc");
    std::vector<int> shown;
    int processed = 0;
    TFileRegistrar r(fs, {}, {[&] { ++processed; }, [&](int n) { shown.push_back(n); }, {}, {}});
    EXPECT_EQ(r.CountFiles("/r", true), 1251);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown.back(), 1251);
    for (size_t i = 1; i + 1 < shown.size(); ++i)
        EXPECT_TRUE(shown[i] % 100 == 0 || shown[i] == 1000) << shown[i];
    EXPECT_EQ(processed, 1251);  // once per entry looked at

    TFileRegistrar typed(fs, {true, false, ParseFileTypes("doc")});
    EXPECT_EQ(typed.CountFiles("/r", true), 1000);  // with a filter a folder does not count itself
    TFileRegistrar flat(fs, {false, false, {}});
    EXPECT_EQ(flat.CountFiles("/r", true), 250);
    EXPECT_EQ(flat.CountFiles("  ", true), 0);
    EXPECT_EQ(r.CountFiles("/r", false), 1);  // without progress: is there anything at all
}

TEST(CountFiles, AStoppedCountEndsAtOnce) {
    FakeFolders fs;
    fs.AddFiles("/r", 5000);
    int asked = 0;
    TFileRegistrar r(fs, {}, {{}, {}, {}, [&] { return ++asked > 1500; }});
    EXPECT_EQ(r.CountFiles("/r", true), 1499);
    EXPECT_TRUE(r.Stopped());
    EXPECT_EQ(r.CountFiles("/r", false), 1);  // a probe is never stopped
}

TEST(CountFiles, LimitsAtTheirEdges) {
    const struct {
        int n;
        int found;
    } cases[] = {{2000, 2000}, {2001, 2001}, {50000, 50000}, {50001, 50001}};
    for (const auto& c : cases) {
        FakeFolders fs;
        fs.AddFiles("/r", c.n);
        TFileRegistrar r(fs, {});
        EXPECT_EQ(r.CountFiles("/r", true), c.found);
    }
    EXPECT_EQ(kAskAboveEntries, 2000);
    EXPECT_EQ(kMaxRegisteredEntries, 50000);
}

TEST(CountFiles, UnreadableAndLoopingFoldersAreSkippedAndCounted) {
    FakeFolders fs;
    fs.Folders["/r"] = {{"a", true}, {"locked", true}, {"f.txt", false}};
    fs.Folders["/r/a"] = {{"back", true}, {"g.txt", false}};
    fs.Unreadable = {"/r/locked"};
    // "back" is the root again under another path: same identity.
    TFileRegistrar r(fs, {});
    EXPECT_EQ(r.CountFiles("/r", true), 4);  // a, locked, f.txt, g.txt
    EXPECT_EQ(r.Skipped(), 2);               // locked unreadable; back not a folder here
    EXPECT_EQ(r.CountFiles("/nowhere", true), 0);
    EXPECT_EQ(r.Skipped(), 0);
}

TEST(BuildFileTopics, FoldersFirstThenFilesInCaseInsensitiveOrder) {
    test::TempHome home;
    DiskTree t;
    t.Dir("top/z");
    t.Dir("top/Y");
    t.File("top/b.txt");
    t.File("top/A.txt");
    t.File("top/z/inner.txt");
    MemoryPair p;
    TDiskFolders disk;
    TFileRegistrar r(disk, {});
    EXPECT_EQ(p.Build(r, t.Root() + "/top"), 5);
    EXPECT_EQ(p.Dump(), "top\n  Y\n  z\n    inner.txt\n  A.txt\n  b.txt\n");
    EXPECT_EQ(r.Registered(), 5);
    EXPECT_FALSE(r.Stopped());
}

TEST(BuildFileTopics, LaunchCardLinesAndFolderLinks) {
    test::TempHome home;
    DiskTree t;
    const std::string top = t.Dir("my.folder");
    t.Dir("my.folder/sub");
    t.File("my.folder/a.txt");
    MemoryPair p;
    TDiskFolders disk;
    TFileRegistrar r(disk, {});
    p.Build(r, top);
    EXPECT_EQ(p.Dump(true), "my.folder\n  @ " + top + "/ | my.folder\n" + "  sub\n    @ " + top +
                                "/sub | sub\n" + "  a.txt\n    @ " + top + "/a.txt | a.txt\n");
    // The card itself: one line, target 0x01 title CR LF.
    TItemArray items;
    ReadNestItems(&p.kiv, ReadRootNest(&p.kiv), items);
    std::string links;
    p.cards.ReadCard(kCardLaunch, items[0].CardDir, links);
    EXPECT_EQ(links, top + "/\x01my.folder\r\n");
    std::string caption;
    p.cards.ReadCaption(items[0].CardDir, caption);
    EXPECT_EQ(caption, "my.folder");
}

TEST(MakeFileTopicCard, TitlesFromNamesFoldersAndWebPages) {
    FakeFolders fs;
    fs.Files["/w/home.htm"] = "<html><head><TITLE> Home </TITLE></head></html>";
    fs.Files["/w/bare.html"] = "<html>no title</html>";
    fs.Files["/w/two.htm"] = "<title>Line\r\none</title>";
    TFileRegistrar titled(fs, {true, true, {}});
    TFileRegistrar plain(fs, {true, false, {}});
    const struct {
        TFileRegistrar* r;
        const char* folder;
        const char* name;
        const char* title;
    } cases[] = {
        {&titled, "/w", "home.htm", "Home"},
        {&plain, "/w", "home.htm", "home.htm"},
        {&titled, "/w", "bare.html", "bare.html"},
        {&titled, "/w", "missing.htm", "missing.htm"},
        {&titled, "/w", "two.htm", "Line  one"},
        {&plain, "/a/my.folder", "", "my.folder"},
        {&plain, "/a/my.folder/", "", "my.folder"},
        {&plain, "/", "", "/"},
        {&plain, "/a", "caf\xC3\xA9.txt", "caf\xE9.txt"},  // stored through the codec
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.r->TopicTitle(c.folder, c.name), c.title) << c.folder << " " << c.name;
}

TEST(BuildFileTopics, TypeFilterDropsFoldersWithoutMatchesAtAnyDepth) {
    test::TempHome home;
    DiskTree t;
    t.File("top/a.txt");
    t.File("top/b.doc");
    t.Dir("top/none/deeper");
    t.File("top/none/deeper/c.doc");
    t.File("top/deep/er/d.TXT");
    t.Dir("top/deep/er");
    MemoryPair p;
    TDiskFolders disk;
    TFileRegistrar r(disk, {true, false, ParseFileTypes("txt")});
    EXPECT_EQ(r.CountFiles(t.Root() + "/top", true), 2);
    EXPECT_EQ(p.Build(r, t.Root() + "/top"), 2);  // folders do not count under a filter
    EXPECT_EQ(p.Dump(), "top\n  deep\n    er\n      d.TXT\n  a.txt\n");
}

TEST(BuildFileTopics, EmptyFolderAndFileTargetsGiveNoChildren) {
    test::TempHome home;
    DiskTree t;
    t.Dir("empty");
    MemoryPair p;
    TDiskFolders disk;
    TFileRegistrar r(disk, {});
    EXPECT_EQ(p.Build(r, t.Root() + "/empty"), 0);
    EXPECT_EQ(p.Dump(), "empty\n");
    TItemArray items;
    ReadNestItems(&p.kiv, ReadRootNest(&p.kiv), items);
    EXPECT_EQ(items[0].ChildNest, 0u);
}

TEST(BuildFileTopics, SymlinkLoopsAndUnreadableFoldersAreSkipped) {
    test::TempHome home;
    DiskTree t;
    t.File("top/a/x.txt");
    ASSERT_EQ(::symlink((t.Root() + "/top").c_str(), (t.Dir("top/a") + "/loop").c_str()), 0);
    ASSERT_EQ(::symlink((t.Root() + "/top/a").c_str(), (t.Root() + "/top/again").c_str()), 0);
    MemoryPair p;
    TDiskFolders disk;
    TFileRegistrar r(disk, {});
    EXPECT_EQ(r.CountFiles(t.Root() + "/top", true), 2);  // a, x.txt
    EXPECT_EQ(r.Skipped(), 2);                            // loop, again
    EXPECT_EQ(p.Build(r, t.Root() + "/top"), 2);
    EXPECT_EQ(r.Skipped(), 2);
    EXPECT_EQ(p.Dump(), "top\n  a\n    x.txt\n");

    FakeFolders fs;
    fs.Folders["/r"] = {{"locked", true}, {"f.txt", false}};
    fs.Unreadable = {"/r/locked"};
    MemoryPair q;
    TFileRegistrar u(fs, {});
    EXPECT_EQ(q.Build(u, "/r"), 2);
    EXPECT_EQ(u.Skipped(), 1);
    EXPECT_EQ(q.Dump(), "r\n  locked\n  f.txt\n");
}

// A tree of width w and depth d: every folder holds w sub-folders and w files.
void AddTree(FakeFolders& fs, const std::string& folder, int width, int depth) {
    auto& e = fs.Folders[folder];
    for (int i = 0; i < width; ++i) {
        if (depth > 0) e.push_back({"d" + std::to_string(i), true});
        e.push_back({"f" + std::to_string(i) + ".txt", false});
    }
    if (depth > 0)
        for (int i = 0; i < width; ++i)
            AddTree(fs, folder + "/d" + std::to_string(i), width, depth - 1);
}

// Every nest reachable from the root reads, and every folder topic has its children or none.
void ExpectReadable(MemoryBlockFile& kiv, uint32_t nest, int& topics) {
    TItemArray items;
    ASSERT_NO_THROW(ReadNestItems(&kiv, nest, items));
    for (const TNestItem& i : items) {
        ++topics;
        ASSERT_NE(i.CardDir, 0u);
        if (i.ChildNest != 0) {
            ASSERT_TRUE(NestFollowed(i.ChildNest));
            ExpectReadable(kiv, i.ChildNest, topics);
        }
    }
}

TEST(BuildFileTopics, StopInADeepBuildLeavesEveryNestReadable) {
    FakeFolders fs;
    AddTree(fs, "/r", 3, 5);  // 3 + 9 + ... folders, each with files
    int full = 0;
    {
        MemoryPair p;
        TFileRegistrar r(fs, {});
        full = p.Build(r, "/r");
        int topics = 0;
        ExpectReadable(p.kiv, ReadRootNest(&p.kiv), topics);
        EXPECT_EQ(topics, full + 1);
    }
    for (int stopAfter : {0, 1, 7, 40, 200, 900}) {
        MemoryPair p;
        int asked = 0;
        TFileRegistrar r(fs, {}, {{}, {}, {}, [&] { return ++asked > stopAfter; }});
        const int made = p.Build(r, "/r");
        EXPECT_TRUE(r.Stopped()) << stopAfter;
        EXPECT_LT(made, full) << stopAfter;
        int topics = 0;
        ExpectReadable(p.kiv, ReadRootNest(&p.kiv), topics);
        EXPECT_LE(topics, made + 1) << stopAfter;
        EXPECT_NO_THROW(p.Dump()) << stopAfter;
    }
}

TEST(BuildFileTopics, RegisteredShownAfterEveryHundredAndAtTheEnd) {
    FakeFolders fs;
    fs.AddFiles("/r", 450);
    MemoryPair p;
    std::vector<int> shown;
    TFileRegistrar r(fs, {}, {{}, {}, [&](int n) { shown.push_back(n); }, {}});
    EXPECT_EQ(p.Build(r, "/r"), 450);
    EXPECT_EQ(shown, (std::vector<int>{101, 202, 303, 404, 450}));
}

}  // namespace
}  // namespace kiv
