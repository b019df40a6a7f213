#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/KivError.h"

using namespace kiv;

namespace {

// As Windows wrote it: CR LF, names in mixed case, Windows and "||" paths, commas and "="
// in values, blanks around values, a repeated key, a Windows-1252 byte (0xE9, "é"),
// a comment and an empty section.
const std::string kWindowsIni =
    "[Settings]\r\n"
    "ScreenHxW=786432\r\n"
    "MainW_Top=   12\r\n"
    "mainw_left=8\r\n"
    "MAINW_HEIGHT = 600 \r\n"
    "dfName=Arial\r\n"
    "dfColor=$80000005\r\n"
    "AutoBackup=1\r\n"
    "NavArrows=0\r\n"
    "\r\n"
    "[LastOpened]\r\n"
    "1=C:\\Program Files\\KIV\\FirstKivDB.kiv\r\n"
    "2=||Work\\Notes.kiv\r\n"
    "3=\r\n"
    "\r\n"
    "[BookMarked DBs]\r\n"
    "0=My notes_~^_||FirstKivDB.kiv\r\n"
    "1=Caf\xE9 list_~^_C:\\Data\\caf\xE9.kiv\r\n"
    "\r\n"
    "; written by hand\r\n"
    "[VisitedLinks]\r\n"
    "0=http://example.com/?a=1,b=2\r\n"
    "1=file:///C:/My Documents/x.htm\r\n"
    "0=http://second.example.com/\r\n"
    "\r\n"
    "[Empty]\r\n"
    "\r\n"
    "[ColorSchemes]\r\n"
    "0=Ocean\r\n"
    "1=Sand, warm\r\n";

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kiv-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = std::string(tmpl) + "/";
        path_ = dir_ + "kiv.ini";
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0755);
        RemoveTree(dir_);
    }
    void Put(const std::string& bytes) { WriteFileAtomic(path_, bytes); }
    std::string Get() const { return ReadWholeFile(path_); }
    ino_t Inode() const {
        struct stat st {};
        ::stat(path_.c_str(), &st);
        return st.st_ino;
    }

    std::string dir_, path_;
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos) << from;
    if (p != std::string::npos) s.replace(p, from.size(), to);
    return s;
}

}  // namespace

TEST_F(IniFileTest, ReadsAWindowsWrittenFile) {
    Put(kWindowsIni);
    IniFile ini(path_);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Settings", "ScreenHxW", "786432"},
        {"settings", "SCREENHXW", "786432"},
        {"Settings", "MainW_Top", "12"},      // leading blanks trimmed
        {"Settings", "MainW_Left", "8"},      // key spelt in lower case in the file
        {"SETTINGS", "mainw_height", "600"},  // blanks around "=" and after the value
        {"LastOpened", "1", "C:\\Program Files\\KIV\\FirstKivDB.kiv"},
        {"LastOpened", "2", "||Work\\Notes.kiv"},
        {"LastOpened", "3", ""},  // present and empty: not the default
        {"BookMarked DBs", "0", "My notes_~^_||FirstKivDB.kiv"},
        {"bookmarked dbs", "1", "Caf\xC3\xA9 list_~^_C:\\Data\\caf\xC3\xA9.kiv"},  // 1252 -> UTF-8
        {"VisitedLinks", "0", "http://example.com/?a=1,b=2"},  // first "=" splits; first line wins
        {"VisitedLinks", "1", "file:///C:/My Documents/x.htm"},
        {"ColorSchemes", "1", "Sand, warm"},
        {"Settings", "Missing", "<def>"},
        {"NoSuchSection", "0", "<def>"},
        {"LastOpened", "4", "<def>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"), c.value) << c.section << "/" << c.key;

    EXPECT_EQ(ini.ReadInteger("Settings", "MainW_Top", -1), 12);
    EXPECT_EQ(ini.ReadInteger("Settings", "dfColor", 0), int32_t(0x80000005u));
    EXPECT_TRUE(ini.ReadBool("Settings", "AutoBackup", false));
    EXPECT_FALSE(ini.ReadBool("Settings", "NavArrows", true));
    EXPECT_TRUE(ini.ReadBool("Settings", "Whitener", true));

    EXPECT_EQ(ini.ReadSection("VisitedLinks"), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(ini.ReadSection("settings"),
              (std::vector<std::string>{"ScreenHxW", "MainW_Top", "mainw_left", "MAINW_HEIGHT",
                                        "dfName", "dfColor", "AutoBackup", "NavArrows"}));
    EXPECT_EQ(ini.ReadSectionValues("LastOpened"),
              (std::vector<std::string>{"1=C:\\Program Files\\KIV\\FirstKivDB.kiv",
                                        "2=||Work\\Notes.kiv", "3="}));
    EXPECT_EQ(ini.ReadSections(),
              (std::vector<std::string>{"Settings", "LastOpened", "BookMarked DBs", "VisitedLinks",
                                        "Empty", "ColorSchemes"}));
    EXPECT_TRUE(ini.SectionExists("colorschemes"));
    EXPECT_FALSE(ini.SectionExists("Empty"));  // a section without keys does not count
    EXPECT_FALSE(ini.SectionExists("Nowhere"));
    EXPECT_TRUE(ini.ValueExists("LastOpened", "3"));
    EXPECT_FALSE(ini.ValueExists("LastOpened", "4"));
    EXPECT_FALSE(ini.ValueExists("Settings", "written by hand"));
}

TEST_F(IniFileTest, WritingBackChangesOnlyTheChangedLine) {
    Put(kWindowsIni);
    IniFile ini(path_);
    ini.WriteInteger("SETTINGS", "MainW_Left", 40);
    EXPECT_EQ(Get(), Replace(kWindowsIni, "mainw_left=8\r\n", "mainw_left=40\r\n"));

    // The Windows-1252 line next to a changed one stays as it was.
    ini.WriteString("BookMarked DBs", "0", "Mine_~^_||FirstKivDB.kiv");
    std::string expected = Replace(kWindowsIni, "mainw_left=8\r\n", "mainw_left=40\r\n");
    expected = Replace(expected, "0=My notes_~^_||FirstKivDB.kiv", "0=Mine_~^_||FirstKivDB.kiv");
    EXPECT_EQ(Get(), expected);

    // Writing a value the file already holds does not touch the file.
    ino_t before = Inode();
    ini.WriteString("LastOpened", "2", "||Work\\Notes.kiv");
    ini.WriteBool("Settings", "AutoBackup", true);
    EXPECT_EQ(Inode(), before);
    EXPECT_EQ(Get(), expected);
}

TEST_F(IniFileTest, NewKeysGoAfterTheLastKeyOfTheirSectionAndNewSectionsAtTheEnd) {
    Put(kWindowsIni);
    IniFile ini(path_);
    ini.WriteInteger("Settings", "AutoviewDelay", 500);
    ini.WriteString("CS_Ocean", "RowColor", "$00ECF3F4");
    std::string expected =
        Replace(kWindowsIni, "NavArrows=0\r\n", "NavArrows=0\r\nAutoviewDelay=500\r\n");
    expected += "\r\n[CS_Ocean]\r\nRowColor=$00ECF3F4\r\n";
    EXPECT_EQ(Get(), expected);
    EXPECT_EQ(ini.ReadInteger("settings", "autoviewdelay", 0), 500);
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey) {
    Put(kWindowsIni);
    IniFile ini(path_);
    ini.EraseSection("bookmarked DBS");
    ini.DeleteKey("VisitedLinks", "0");  // the first of the two lines
    ini.DeleteKey("VisitedLinks", "nope");
    ini.EraseSection("Nowhere");
    std::string expected = Replace(kWindowsIni,
                                   "[BookMarked DBs]\r\n0=My notes_~^_||FirstKivDB.kiv\r\n"
                                   "1=Caf\xE9 list_~^_C:\\Data\\caf\xE9.kiv\r\n\r\n",
                                   "");
    expected = Replace(expected, "; written by hand\r\n", "");  // belonged to the erased block
    expected = Replace(expected, "0=http://example.com/?a=1,b=2\r\n", "");
    EXPECT_EQ(Get(), expected);
    EXPECT_EQ(ini.ReadString("VisitedLinks", "0", ""), "http://second.example.com/");
    EXPECT_TRUE(ini.ReadSection("BookMarked DBs").empty());

    // Erased and written again, as the settings save does: the section comes back at the end.
    ini.WriteString("BookMarked DBs", "0", "A_~^_||a.kiv");
    EXPECT_EQ(Get(), expected + "\r\n[BookMarked DBs]\r\n0=A_~^_||a.kiv\r\n");
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Settings", "MainW_Height", 600), 600);
    EXPECT_TRUE(ini.ReadSections().empty());
    EXPECT_FALSE(FileExists(path_));
    ini.DeleteKey("Settings", "x");
    ini.EraseSection("Settings");
    EXPECT_FALSE(FileExists(path_));
    ini.WriteBool("Settings", "Whitener", false);
    ini.WriteString("Settings", "dfName", "Arial");
    EXPECT_EQ(Get(), "[Settings]\r\nWhitener=0\r\ndfName=Arial\r\n");
}

TEST_F(IniFileTest, MissingFolderRaisesFileError) {
    IniFile nowhere(dir_ + "no/such/folder/kiv.ini");
    EXPECT_EQ(nowhere.ReadString("S", "k", "d"), "d");
    EXPECT_THROW(nowhere.WriteString("S", "k", "v"), EFileError);
}

TEST_F(IniFileTest, UnwritableFolderRaisesFileError) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    Put("[S]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    EXPECT_THROW(ini.WriteInteger("S", "k", 2), EFileError);
    ::chmod(dir_.c_str(), 0755);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);  // the failed write left no trace in the cache
    EXPECT_EQ(Get(), "[S]\r\nk=1\r\n");
}

TEST_F(IniFileTest, AnUnreadableFileIsNeverReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    Put("[S]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0200), 0);
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("S", "k", 7), 7);
    EXPECT_THROW(ini.WriteInteger("S", "other", 2), EFileError);
    ::chmod(path_.c_str(), 0644);
    EXPECT_EQ(Get(), "[S]\r\nk=1\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 7), 1);
}

TEST_F(IniFileTest, APathThatCannotBeReadReadsEmptyAndRefusesWrites) {
    ASSERT_EQ(::mkdir(path_.c_str(), 0755), 0);  // exists, but is no file
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("S", "k", 7), 7);
    EXPECT_THROW(ini.WriteInteger("S", "k", 2), EFileError);
    EXPECT_TRUE(DirExists(path_));
}

TEST_F(IniFileTest, IntegersAndBooleans) {
    struct Case {
        const char* stored;
        int32_t value;
    };
    const Case cases[] = {
        {"12", 12},
        {"-7", -7},
        {"+3", 3},
        {"$FF", 255},
        {"$ff", 255},
        {"0x10", 16},
        {"$80000005", int32_t(0x80000005u)},
        {"$FFFFFFFF", -1},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", -99},
        {"4294967295", -99},
        {"$100000000", -99},
        {"", -99},
        {"abc", -99},
        {"1.5", -99},
        {"12 34", -99},
        {"$", -99},
        {"+$10", 16},
        {"$000000001", 1},
        {"0xFFFFFFFF", -1},
        {"-$FFFFFFFF", 1},
        {"$1G", -99},
        {"$-1", -99},
        {"0x", -99},
    };
    IniFile ini(path_);
    std::string text = "[N]\r\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].stored + "\r\n";
    Put(text);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), -99), cases[i].value)
            << cases[i].stored;

    Put("[B]\r\none=1\r\nzero=0\r\ntwo=2\r\nword=True\r\n");
    EXPECT_TRUE(ini.ReadBool("B", "one", false));
    EXPECT_FALSE(ini.ReadBool("B", "zero", true));
    EXPECT_TRUE(ini.ReadBool("B", "two", false));
    EXPECT_FALSE(ini.ReadBool("B", "word", false));  // not a number: the default
    EXPECT_TRUE(ini.ReadBool("B", "word", true));
    ini.WriteInteger("B", "neg", -5);
    ini.WriteBool("B", "one", false);
    EXPECT_EQ(Get(), "[B]\r\none=0\r\nzero=0\r\ntwo=2\r\nword=True\r\nneg=-5\r\n");
}

TEST_F(IniFileTest, TextGoesThroughTheLegacyCodec) {
    IniFile ini(path_);
    ini.WriteString("CS_Caf\xC3\xA9", "FontName", "Caf\xC3\xA9 \xE2\x82\xAC");  // fits Windows-1252
    ini.WriteString("Names", "jp", "\xE6\x97\xA5\xE6\x9C\xAC");                 // does not: UTF-8
    EXPECT_EQ(
        Get(),
        "[CS_Caf\xE9]\r\nFontName=Caf\xE9 \x80\r\n\r\n[Names]\r\njp=\xE6\x97\xA5\xE6\x9C\xAC\r\n");
    IniFile again(path_);
    EXPECT_EQ(again.ReadString("cs_CAF\xC3\x89", "fontname", ""),
              "Caf\xC3\xA9 \xE2\x82\xAC");  // É folds to é
    EXPECT_EQ(again.ReadString("Names", "jp", ""), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"CS_Caf\xC3\xA9", "Names"}));
}

TEST_F(IniFileTest, LineEndsCommentsAndOddLinesSurviveAWrite) {
    const std::string text =
        "\xEF\xBB\xBF; comment = not a key\n"
        "[A]\n"
        "x=1\n"
        "bare line\n"
        "=no key\r"
        "[CS_a]b]\r\n"
        "k=v";
    Put(text);
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"x", "bare line"}));
    EXPECT_EQ(ini.ReadString("A", "bare line", "d"), "");
    EXPECT_EQ(ini.ReadString("CS_a]b", "k", ""), "v");  // the last "]" closes the name
    ini.WriteString("A", "x", "2");
    EXPECT_EQ(Get(), Replace(text, "x=1\n", "x=2\n"));
    ini.WriteString("CS_a]b", "n", "1");  // the last line gets its line end before a new one
    EXPECT_EQ(Get(), Replace(Replace(text, "x=1\n", "x=2\n"), "k=v", "k=v\r\nn=1\r\n"));
    ini.WriteString("A", "bare line", "now");
    EXPECT_EQ(ini.ReadString("A", "Bare Line", ""), "now");
}

TEST_F(IniFileTest, LineBreaksInValuesAndBadNames) {
    IniFile ini(path_);
    ini.WriteString("S", "k", "one\r\n[Injected]\r\nx=1");
    EXPECT_FALSE(ini.SectionExists("Injected"));
    EXPECT_EQ(ini.ReadString("S", "k", ""), "one  [Injected]  x=1");
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString("S", "", "v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString("S", "[x]", "v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString("A\nB", "k", "v"), std::invalid_argument);
    EXPECT_EQ(Get(), "[S]\r\nk=one  [Injected]  x=1\r\n");
}

TEST_F(IniFileTest, TwoObjectsOverOneFileSeeEachOthersWrites) {
    IniFile a(path_), b(path_);
    EXPECT_EQ(b.ReadString("S", "k", "none"), "none");
    a.WriteString("S", "k", "from a");
    EXPECT_EQ(b.ReadString("S", "k", ""), "from a");
    b.WriteString("S", "j", "from b");
    a.WriteString("S", "k", "again");
    EXPECT_EQ(Get(), "[S]\r\nk=again\r\nj=from b\r\n");
}

TEST_F(IniFileTest, ASymbolicLinkStaysALink) {
    std::string real = dir_ + "real.ini";
    WriteFileAtomic(real, "[S]\r\nk=1\r\n");
    ASSERT_EQ(::symlink(real.c_str(), path_.c_str()), 0);
    IniFile ini(path_);
    ini.WriteInteger("S", "k", 2);
    struct stat st {};
    ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadWholeFile(real), "[S]\r\nk=2\r\n");
}

TEST_F(IniFileTest, ABatchWritesItsChangesByOneReplaceAtCommit) {
    Put("[S]\r\nk=1\r\n; kept\r\n");
    IniFile ini(path_);
    const ino_t before = Inode();
    {
        IniFile::Batch batch(ini);
        ini.WriteInteger("S", "k", 2);
        {
            IniFile::Batch inner(ini);
            ini.WriteString("T", "a", "x");
            ini.EraseSection("S");
            ini.WriteString("S", "k", "3");
            inner.Commit();
        }
        EXPECT_EQ(Get(), "[S]\r\nk=1\r\n; kept\r\n") << "nothing written before the outer commit";
        EXPECT_EQ(Inode(), before);
        EXPECT_EQ(ini.ReadString("S", "k", ""), "3") << "reads see the batch's changes";
        batch.Commit();
    }
    EXPECT_NE(Inode(), before);
    EXPECT_EQ(Get(), "[T]\r\na=x\r\n\r\n[S]\r\nk=3\r\n");
    EXPECT_EQ(IniFile(path_).ReadString("T", "a", ""), "x");
}

TEST_F(IniFileTest, ABatchEndedByAnExceptionLeavesTheFileAsItWas) {
    Put("[S]\r\nk=1\r\n");
    IniFile ini(path_);
    try {
        IniFile::Batch batch(ini);
        ini.WriteInteger("S", "k", 2);
        ini.WriteInteger("S", "j", 5);
        throw std::runtime_error("interrupted");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(Get(), "[S]\r\nk=1\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1)
        << "the dropped changes are gone from the object too";
    EXPECT_FALSE(ini.ValueExists("S", "j"));
    ini.WriteInteger("S", "k", 4);
    EXPECT_EQ(Get(), "[S]\r\nk=4\r\n") << "outside a batch every change is written through";
}

TEST_F(IniFileTest, ABatchThatCannotBeWrittenRaisesAtCommitAndDropsItsChanges) {
    // The folder goes away under the batch, so the replace cannot be made (as root too).
    MakeDirs(dir_ + "sub/");
    const std::string path = dir_ + "sub/kiv.ini";
    WriteFileAtomic(path, "[S]\r\nk=1\r\n");
    IniFile ini(path);
    IniFile::Batch batch(ini);
    ini.WriteInteger("S", "k", 2);
    ASSERT_EQ(::rename((dir_ + "sub").c_str(), (dir_ + "moved").c_str()), 0);
    EXPECT_THROW(batch.Commit(), EFileError);
    EXPECT_EQ(ReadWholeFile(dir_ + "moved/kiv.ini"), "[S]\r\nk=1\r\n");
    ASSERT_EQ(::rename((dir_ + "moved").c_str(), (dir_ + "sub").c_str()), 0);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1) << "the object reads the file again";
}

TEST_F(IniFileTest, StaleTemporariesOfInterruptedReplacesAreRemoved) {
    const std::vector<std::string> stale = {"kiv.ini.tmp123456", "kiv.ini.tmp7"};
    const std::vector<std::string> kept = {"kiv.ini.tmp", "kiv.ini.tmpx1", "kiv.ini.tmp12.bak",
                                           "userset.ini.tmp55", "kiv.ini"};
    for (const auto& n : stale) WriteFileAtomic(dir_ + n, "x");
    for (const auto& n : kept) WriteFileAtomic(dir_ + n, "x");
    MakeDirs(dir_ + "kiv.ini.tmp99/");
    EXPECT_EQ(IniFile::RemoveStaleTemporaries(path_), 2);
    for (const auto& n : stale) EXPECT_FALSE(FileExists(dir_ + n)) << n;
    for (const auto& n : kept) EXPECT_TRUE(FileExists(dir_ + n)) << n;
    EXPECT_TRUE(DirExists(dir_ + "kiv.ini.tmp99/")) << "only files";
    EXPECT_EQ(IniFile::RemoveStaleTemporaries(dir_ + "missing/kiv.ini"), 0);
}
