// Paths stored by the Windows program, followed here: decoding, "\" separators, letter case,
// drive paths, a program folder with accented letters, and launch lines kept byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "engine/core/BranchCopy.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/LegacyText.h"
#include "platform/core/KivStrings.h"
#include "platform/core/StoredPath.h"
#include "tests/WindowsWritten.h"
#include "tests/engine/core/TempHome.h"
#include "tests/engine/core/ToolRun.h"

namespace kiv {
namespace {

using test::Cp1252;
using test::WindowsLink;
using test::WindowsPath;

void Touch(const std::string& path) { WriteFileAtomic(path, "x"); }

// A program folder under a home with accented letters, as /home/jörg/...: HOME and
// KIV_HOME point there while the object lives.
class AccentedHome {
public:
    AccentedHome() {
        static int n = 0;
        home_ = TempDir() + "j\xc3\xb6rg" + std::to_string(++n) + "/";
        dir_ = home_ + "Caf\xc3\xa9 Programme/";
        MakeDirs(dir_);
        if (const char* h = std::getenv("HOME")) oldHome_ = h;
        setenv("HOME", home_.c_str(), 1);
        setenv("KIV_HOME", dir_.c_str(), 1);
        ResetAppPaths();
    }
    ~AccentedHome() {
        if (oldHome_) setenv("HOME", oldHome_->c_str(), 1);
        else unsetenv("HOME");
        unsetenv("KIV_HOME");
        ResetAppPaths();
        RemoveTree(home_);
    }
    AccentedHome(const AccentedHome&) = delete;
    AccentedHome& operator=(const AccentedHome&) = delete;
    const std::string& Dir() const { return dir_; }

private:
    std::string home_, dir_;
    std::optional<std::string> oldHome_;
};

TEST(StoredPath, WindowsWrittenPathsResolveWhereTheFilesAre) {
    test::TempHome home;
    const std::string b = home.Dir();
    MakeDirs(b + "docs/Sub");
    for (const char* f : {"andere.kiv", "Caf\xc3\xa9.kiv", "docs/Sub/x.txt"}) Touch(b + f);
    struct Case {
        std::string stored, resolved;
    };
    const Case cases[] = {
        {"||ANDERE.KIV", b + "andere.kiv"},                               // Windows ignores case
        {Cp1252("||Café.kiv"), b + "Caf\xc3\xa9.kiv"},                    // Windows-1252 bytes
        {Cp1252("||CAFÉ.KIV"), b + "Caf\xc3\xa9.kiv"},                    // case beyond ASCII
        {"||Caf\xc3\xa9.kiv", b + "Caf\xc3\xa9.kiv"},                     // stored as UTF-8
        {WindowsPath("||DOCS/sub/X.TXT"), b + "docs/Sub/x.txt"},          // "\" between names
        {WindowsPath("||docs/missing/y.kiv"), b + "docs/missing/y.kiv"},  // reported as written
        {WindowsPath("C:/Daten/ziel.kiv"), "C:\\Daten\\ziel.kiv"},  // a drive names nothing here
        {b + "andere.kiv", b + "andere.kiv"},
    };
    const std::vector<std::string> before = FolderEntries(b);
    for (const Case& c : cases) EXPECT_EQ(ResolveStoredPath(c.stored, b), c.resolved) << c.stored;
    EXPECT_EQ(FolderEntries(b), before) << "resolving creates nothing";
    EXPECT_TRUE(StoredPathExists(b + "andere.kiv"));
    EXPECT_FALSE(StoredPathExists("C:\\Daten\\ziel.kiv"));
    EXPECT_FALSE(StoredPathExists(b + "ANDERE.KIV"));
    // The text alone, without looking: decoded, "/" after the base.
    EXPECT_EQ(StoredPathText(WindowsPath("||Café/Ä.kiv"), b), b + "Caf\xc3\xa9/\xc3\x84.kiv");
    EXPECT_EQ(StoredPathText(WindowsPath("C:/Café.kiv"), b), "C:\\Caf\xc3\xa9.kiv");
}

TEST(StoredPath, AccentedProgramFolderExpandsAndStoresRelative) {
    AccentedHome home;
    const std::string b = home.Dir();
    ASSERT_EQ(AppDir(), b);
    Touch(b + "Caf\xc3\xa9.kiv");
    // Before: the folder's UTF-8 bytes joined to Windows-1252 ones made a name that is neither.
    EXPECT_EQ(ExpandRelativePath(b, Cp1252("||Café.kiv")), b + "Caf\xc3\xa9.kiv");
    EXPECT_EQ(LegacyText::Decode(ExpandRelativePath(b, Cp1252("||Café.kiv"))),
              b + "Caf\xc3\xa9.kiv");
    struct Case {
        std::string path, stored;
    };
    const Case cases[] = {
        {b + "Caf\xc3\xa9.kiv", Cp1252("||Café.kiv")},  // a file name (UTF-8)
        {LegacyText::Encode(b + "Neu \xc3\xa9.txt"),
         Cp1252("||Neu é.txt")},                 // the window's stored form
        {b + "\xd0\x96.txt", "||\xd0\x96.txt"},  // UTF-8 where Windows-1252 cannot
        {"/elsewhere/Caf\xc3\xa9.kiv", "/elsewhere/Caf\xc3\xa9.kiv"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeRelativePath(b, c.path), c.stored) << c.path;
        EXPECT_EQ(LegacyText::Decode(ExpandRelativePath(b, c.stored)), LegacyText::Decode(c.path))
            << c.path;
    }
    EXPECT_EQ(ResolveStoredPath(Cp1252("||CAFÉ.KIV"), b), b + "Caf\xc3\xa9.kiv");
}

TEST(StoredPath, UntouchedLaunchLinesAreWrittenBackByteForByte) {
    const std::string b = "/home/u/kiv/";
    const std::string stored =
        WindowsLink(WindowsPath("||docs/x"), "Docs") +     // "\" after "||"
        WindowsLink(b + "abs.txt", Cp1252("Absolut é")) +  // absolute, under the base
        WindowsLink("||Caf\xc3\xa9.kiv", "utf") +          // an earlier build's UTF-8
        WindowsLink("C:\\Daten\\y.doc", "Y");
    std::string expanded;
    ConvertLinkPaths(false, b, stored, expanded);
    EXPECT_EQ(expanded, b +
                            "docs/x\x01"
                            "Docs\r\n" +
                            b + "abs.txt\x01" + Cp1252("Absolut é") + "\r\n" + b +
                            "Caf\xc3\xa9.kiv\x01utf\r\nC:\\Daten\\y.doc\x01Y\r\n");
    // Before: written back, "||docs\x" became "||docs/x" and the absolute target turned relative.
    std::string naive;
    ConvertLinkPaths(true, b, expanded, naive);
    EXPECT_NE(naive, stored);
    // After: unchanged, the card comes back as it was stored, even without its last line break.
    EXPECT_EQ(RelinkLaunchCard(b, expanded, stored), stored);
    const std::string bare = stored.substr(0, stored.size() - 2);
    EXPECT_EQ(RelinkLaunchCard(b, expanded, bare), bare);
    // One line added and one removed: the others keep their bytes, the new one is made relative.
    const std::vector<std::string> lines = SplitLines(expanded);
    const std::string edited =
        lines[0] + "\r\n" + lines[2] + "\r\n" + lines[3] + "\r\n" + b + "new/\xc3\xa9.txt\x01N\r\n";
    EXPECT_EQ(RelinkLaunchCard(b, edited, stored), WindowsLink(WindowsPath("||docs/x"), "Docs") +
                                                       WindowsLink("||Caf\xc3\xa9.kiv", "utf") +
                                                       WindowsLink("C:\\Daten\\y.doc", "Y") +
                                                       WindowsLink(Cp1252("||new/é.txt"), "N"));
    // A new title keeps the stored target's bytes; a new target is stored the new way.
    const std::string retitled = lines[0].substr(0, lines[0].find('\x01')) + "\x01Neu\r\n";
    EXPECT_EQ(RelinkLaunchCard(b, retitled, stored), WindowsLink(WindowsPath("||docs/x"), "Neu"));
    EXPECT_EQ(RelinkLaunchCard(b,
                               b + "docs/z\x01"
                                   "Docs\r\n",
                               stored),
              "||docs/z\x01"
              "Docs\r\n");
}

TEST(StoredPath, TheCardStoreAndEveryCopyKeepUntouchedLines) {
    test::TempHome home;
    const std::string b = home.Dir();
    MemoryBlockFile src, dst;
    InitCardFile(&src);
    InitCardFile(&dst);
    TCards cards;
    cards.SetCardFile(&src);
    const std::string stored = WindowsLink(WindowsPath("||docs/x"), Cp1252("Über"));
    uint32_t dir = 0;
    ASSERT_TRUE(cards.StoreCard(dir, kCardLaunch, stored));
    ASSERT_TRUE(cards.StoreCard(dir, kCardExternal, "||ANDERE.KIV"));
    std::string shown;
    cards.ReadCard(kCardLaunch, dir, shown);
    EXPECT_EQ(shown, b + "docs/x\x01" + Cp1252("Über") + "\r\n");
    // The window writes the card back unchanged: nothing is rewritten.
    const uint64_t size = src.Size();
    ASSERT_TRUE(cards.WriteCard(kCardLaunch, dir, shown));
    EXPECT_EQ(src.Size(), size);
    std::string raw;
    cards.ReadStoredCard(kCardLaunch, dir, raw);
    EXPECT_EQ(raw, stored);
    // A link appended leaves the stored one as it was.
    ASSERT_TRUE(cards.AppendToCard(dir, kCardLaunch, b + "neu.txt\x01N\r\n"));
    cards.ReadStoredCard(kCardLaunch, dir, raw);
    EXPECT_EQ(raw, stored + "||neu.txt\x01N\r\n");
    // Copies (pack, branches saved as, the template, pasted topics) take the cards as stored.
    const uint32_t copy = CopyTopicCards(&src, &dst, dir);
    TCards out;
    out.SetCardFile(&dst);
    out.ReadStoredCard(kCardLaunch, copy, raw);
    EXPECT_EQ(raw, stored + "||neu.txt\x01N\r\n");
    out.ReadStoredCard(kCardExternal, copy, raw);
    EXPECT_EQ(raw, "||ANDERE.KIV");
}

// The launch card of the first top-level topic of a closed datastructure, as stored.
std::string FirstLaunchCard(const std::string& path) {
    TSourceDatastructure src(path);
    TItemArray tops;
    ReadNestItems(src.Files().Outline, ReadRootNest(src.Files().Outline), tops);
    EXPECT_FALSE(tops.empty());
    TCards cards;
    cards.SetCardFile(src.Files().Cards);
    std::string raw;
    if (!tops.empty()) cards.ReadStoredCard(kCardLaunch, tops[0].CardDir, raw);
    return raw;
}

TEST(StoredPath, PackBranchesAndTheTemplateCopyLaunchCardsAsStored) {
    test::TempHome home;
    const std::string path = home.Dir() + "win.kiv";
    const std::string stored =
        WindowsLink(WindowsPath("||docs/x"), Cp1252("Über")) + WindowsLink(home.Dir() + "abs", "A");
    test::WriteWindowsDatastructure(path, {{"Café", stored, ""}});
    {
        TSourceDatastructure src(path);
        TItemArray tops;
        ReadNestItems(src.Files().Outline, ReadRootNest(src.Files().Outline), tops);
        SaveBranchesAs(src.Files(), tops, home.Dir() + "branches.kiv");
        AppendBranchesTo(src.Files(), tops, home.Dir() + "template.kiv");
    }
    PackDatastructureFile(path);
    for (const char* name : {"win.kiv", "branches.kiv", "template.kiv"})
        EXPECT_EQ(FirstLaunchCard(home.Dir() + name), stored) << name;
}

TEST(StoredPath, KivtreeDumpsAWindowsWrittenDatastructureDecoded) {
    test::TempHome home;
    const std::string path = home.Dir() + "win.kiv";
    test::WriteWindowsDatastructure(
        path, {{"Café", WindowsLink(WindowsPath("||docs/Über.txt"), Cp1252("Über")), ""},
               {"Extern", "", "||ANDERE.KIV"}});
    const std::string bytes = ReadWholeFile(path);
    const test::ToolRun r = test::Kivtree({"dump", "--cards", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Caf\xc3\xa9\n  @ " + home.Dir() +
                         "docs/\xc3\x9c"
                         "ber.txt | \xc3\x9c"
                         "ber\nExtern\n");
    EXPECT_EQ(ReadWholeFile(path), bytes) << "a dump writes nothing";
}

}  // namespace
}  // namespace kiv
