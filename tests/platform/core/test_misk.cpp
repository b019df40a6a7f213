#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/core/MiskPro.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

using namespace kiv;

TEST(MiskPro, IncludeTrailingBackslash) {
    struct Case {
        const char* in;
        char sep;
        const char* out;
    } cases[] = {
        {"", '/', ""},   {"/home/u", '/', "/home/u/"},     {"/home/u/", '/', "/home/u/"},
        {"/", '/', "/"}, {"C:\\Data", '\\', "C:\\Data\\"}, {"C:\\Data\\", '\\', "C:\\Data\\"},
        {"", '\\', ""},
    };
    for (const auto& c : cases) EXPECT_EQ(IncludeTrailingBackslash(c.in, c.sep), c.out) << c.in;
}

TEST(MiskPro, GetTempFolderTrimsAndEndsWithSlash) {
    std::optional<std::string> saved;
    if (const char* t = std::getenv("TMPDIR")) saved = t;
    setenv("TMPDIR", " /var/tmp/x \r\n", 1);
    EXPECT_EQ(GetTempFolder(), "/var/tmp/x/");
    setenv("TMPDIR", "/var/tmp/", 1);
    EXPECT_EQ(GetTempFolder(), "/var/tmp/");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp/");
    if (saved) setenv("TMPDIR", saved->c_str(), 1);
}

TEST(MiskPro, PathToURL) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\a b\\x.htm", "file:///C:/a b/x.htm"},
        {"C:", "file:///C:"},
        {"/home/u/a b+c.htm", "file:///home/u/a b+c.htm"},
        {"www.example.com/page", "http://www.example.com/page"},
        {"https://example.com/a?b=c", "https://example.com/a?b=c"},
        {"ftp://host/x", "ftp://host/x"},
        {"", "http://"},
    };
    for (const auto& c : cases) EXPECT_EQ(PathToURL(c.in), c.out) << c.in;
}

TEST(MiskPro, URLToPath) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"file:///C:/a%20b/x.htm", "C:\\a b\\x.htm"},
        {"file:///C%3A/x", "C:\\x"},
        {"FILE:///C:/a%20b/x.htm", "FILE:///C:/a%20b/x.htm"},
        {"file:///home/u/a%20b+c.txt", "/home/u/a b+c.txt"},
        {"file:///home/u/%e9t%C3%A9", "/home/u/\xe9t\xc3\xa9"},
        {"file:///tmp/100%", "/tmp/100%"},
        {"file:///tmp/%4", "/tmp/%4"},
        {"file:///tmp/%zz", "/tmp/%zz"},
        {"file:///tmp/a%00.txt", "/tmp/a%00.txt"},
        {"file:///", "/"},
        {"file://host/share/x", "file://host/share/x"},
        {"http://example.com/a%20b", "http://example.com/a%20b"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(URLToPath(c.in), c.out) << c.in;

    for (const char* p : {"/home/u/a b+c.htm", "C:\\a b\\x.htm"})
        EXPECT_EQ(URLToPath(PathToURL(p)), p);
}

TEST(MiskPro, ExtractBetweenWalksTagPairs) {
    const std::string page = "<html><TITLE> Home </TITLE><title>\r\nSecond\t</Title></html>";
    size_t pos = 0;
    EXPECT_EQ(ExtractBetween(page, pos, "<title>", "</title>"), "Home");
    EXPECT_EQ(pos, page.find("<title>"));
    EXPECT_EQ(ExtractBetween(page, pos, "<title>", "</title>"), "Second");
    EXPECT_EQ(ExtractBetween(page, pos, "<title>", "</title>"), "");
    EXPECT_EQ(pos, std::string::npos);
    EXPECT_EQ(ExtractBetween(page, pos, "<title>", "</title>"), "");  // nil stays nil
    EXPECT_EQ(pos, std::string::npos);

    pos = 0;
    EXPECT_EQ(ExtractBetween(page, pos, "<title>", "</title>", 2), "Second");
    EXPECT_EQ(pos, page.find("</html>"));

    struct Case {
        const char* what;
        std::string text, start, end;
        int n;
        std::string result;
        bool nil;
    } cases[] = {
        {"tags in upper case, blanks trimmed", "<TITLE> Home </TITLE>", "<title>", "</title>", 1,
         "Home", false},
        {"text keeps its case", "<b>MiXed CaSe</B>", "<B>", "</b>", 1, "MiXed CaSe", false},
        {"no end tag", "<title>open", "<title>", "</title>", 1, "", true},
        {"no start tag", "plain", "<title>", "</title>", 1, "", true},
        {"end tag only before", "</title><title>x", "<title>", "</title>", 1, "", true},
        {"fewer than n", "<t>a</t>", "<t>", "</t>", 2, "", true},
        {"n below 1", "<t>a</t>", "<t>", "</t>", 0, "", true},
        {"empty start tag", "<t>a</t>", "", "</t>", 1, "", false},
        {"empty between", "<t></t>", "<t>", "</t>", 1, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        size_t p = 0;
        EXPECT_EQ(ExtractBetween(c.text, p, c.start, c.end, c.n), c.result);
        EXPECT_EQ(p == std::string::npos, c.nil);
    }
}

class MiskFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = TempDir() + "misk_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        ASSERT_TRUE(MakeDirs(dir_));
    }
    void TearDown() override { RemoveTree(dir_); }
    std::string dir_;
};

TEST_F(MiskFiles, WholeFileReadGivesEveryByte) {
    std::string path = dir_ + "t.bin";
    const std::string bytes("a\0b\r\n\xe9\xff", 7);
    PosixBlockFile::Open(path, OpenMode::Truncate)->WriteAt(0, bytes.data(), bytes.size());
    EXPECT_EQ(ReadFileToString(path), bytes);
    EXPECT_EQ(FileSizeOf(path), 7u);
    PosixBlockFile::Open(path, OpenMode::Truncate);
    EXPECT_EQ(ReadFileToString(path), "");
    EXPECT_EQ(FileSizeOf(path), 0u);
}

TEST_F(MiskFiles, FailuresGiveEmptyOrRaise) {
    EXPECT_EQ(ReadFileToString(dir_ + "missing"), "");
    EXPECT_EQ(ReadFileToString(dir_), "");  // a folder is not a file
    EXPECT_THROW(FileSizeOf(dir_ + "missing"), EFileError);
}

TEST(MiskPro, ProgramAndTempFoldersEndWithSlash) {
    EXPECT_EQ(TempDir().back(), '/');
    EXPECT_EQ(IncludeTrailingBackslash(TempDir()), TempDir());
}
