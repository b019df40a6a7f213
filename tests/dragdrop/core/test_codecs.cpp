#include <gtest/gtest.h>

#include "dragdrop/core/ClipboardCodecs.h"
#include "tests/dragdrop/core/FakeDataObject.h"

using namespace kiv;
using namespace kiv::ClipCodec;
using kiv::test::Bytes;

TEST(DropFiles, WritesHeaderAndNamesAndReadsThemBack) {
    const std::string block = DropFilesBytes({"/a", "/bc"});
    ASSERT_EQ(block.size(), 28u);
    EXPECT_EQ(block.substr(0, 4), Bytes({20, 0, 0, 0}));
    EXPECT_EQ(block.substr(4, 16), std::string(16, '\0'));  // point, non-client, not wide
    EXPECT_EQ(block.substr(20), std::string("/a\0/bc\0\0", 8));
    std::vector<std::string> files;
    ASSERT_TRUE(ReadDropFiles(block, files));
    EXPECT_EQ(files, (std::vector<std::string>{"/a", "/bc"}));
}

TEST(DropFiles, ReadsOnlyInsideTheBlock) {
    struct Case {
        const char* what;
        std::string block;
        bool ok;
        std::vector<std::string> files;
    };
    const std::string header = DropFilesBytes({}).substr(0, 20);
    std::string wide = header;
    wide[16] = 1;
    std::string farOffset = header;
    farOffset[0] = char(0xFF);
    farOffset[3] = char(0x7F);
    const Case cases[] = {
        {"header only", header, false, {}},
        {"header and one zero", header + std::string(1, '\0'), false, {}},
        {"name without its zero", header + "/tmp/x", true, {"/tmp/x"}},
        {"offset past the end", farOffset + "/a", false, {}},
        {"wide names",
         wide + Bytes({'/', 0, 0xE9, 0, 0, 0, '/', 0, 'b', 0, 0, 0, 0, 0}),
         true,
         {"/\xC3\xA9", "/b"}},
        {"wide name cut on an odd byte", wide + Bytes({'/', 0, 'q'}), true, {"/"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> files{"stale"};
        EXPECT_EQ(ReadDropFiles(c.block, files), c.ok) << c.what;
        EXPECT_EQ(files, c.files) << c.what;
    }
}

TEST(NameLists, EndWithAnEmptyName) {
    EXPECT_EQ(NameListBytes({"a", "bc"}), std::string("a\0bc\0\0", 6));
    EXPECT_EQ(NameListBytesW({"a", "bc"}), Bytes({'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));
    EXPECT_EQ(ReadNameList(std::string("a\0bc\0\0x\0", 8)), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(ReadNameListW(NameListBytesW({"\xC3\xA9t\xC3\xA9", "b"})),
              (std::vector<std::string>{"\xC3\xA9t\xC3\xA9", "b"}));
    EXPECT_TRUE(ReadNameList("").empty());
}

TEST(Utf16, StopsAtTheFirstZeroUnit) {
    EXPECT_EQ(BytesToUtf16(Bytes({'a', 0, 'b', 0, 0, 0, 'c', 0})), u"ab");
    EXPECT_EQ(BytesToUtf16(Bytes({'a', 0, 'b', 0})), u"ab");
    EXPECT_EQ(BytesToUtf16(Bytes({'a', 0, 'b'})), u"a");
    // Non-BMP characters and bytes that are not UTF-8 (taken as Windows-1252).
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xF0\x9F\x98\x80 \xC3\xA9")), "\xF0\x9F\x98\x80 \xC3\xA9");
    EXPECT_EQ(Utf8ToUtf16("\x80"), u"\u20AC");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(DWord, RefusesShortBlocks) {
    uint32_t v = 7;
    EXPECT_FALSE(ReadDWord(Bytes({1, 2, 3}), v));
    EXPECT_EQ(v, 7u);
    ASSERT_TRUE(ReadDWord(Bytes({2, 0, 0, 0, 9}), v));
    EXPECT_EQ(v, 2u);
    EXPECT_EQ(DWordBytes(0xFFFFFFFF), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(FileDescriptors, HaveTheirFixedSizesAndCutTheirNames) {
    const std::string a = FileDescriptorA("Text scrap.txt");
    const std::string w = FileDescriptorW("Text scrap.txt", FD_LINKUI);
    ASSERT_EQ(a.size(), 332u);
    ASSERT_EQ(w.size(), 592u);
    EXPECT_EQ(a.substr(72, 15), std::string("Text scrap.txt\0", 15));
    EXPECT_EQ(w.substr(72, 4), Bytes({'T', 0, 'e', 0}));
    EXPECT_EQ(DescriptorNameA(a), "Text scrap.txt");
    EXPECT_EQ(DescriptorNameW(w), "Text scrap.txt");
    EXPECT_EQ(DescriptorFlags(w), FD_LINKUI);
    // A name fills at most 259 characters, so that its zero stays inside the field.
    const std::string longName(400, 'x');
    EXPECT_EQ(DescriptorNameA(FileDescriptorA(longName)), std::string(259, 'x'));
    EXPECT_EQ(DescriptorNameW(FileDescriptorW(longName)), std::string(259, 'x'));
    // A record whose name field has no zero is read inside the field.
    std::string full(332, 'y');
    EXPECT_EQ(DescriptorNameA(full), std::string(260, 'y'));
}

TEST(FileGroups, AreReadOnlyWhenTheCountFitsTheSize) {
    const std::string block = FileGroupBytes({FileDescriptorA("a"), FileDescriptorA("b")});
    ASSERT_EQ(block.size(), 4u + 2 * 332);
    std::vector<std::string> records;
    ASSERT_TRUE(ReadFileGroup(block, kDescriptorA, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(DescriptorNameA(records[1]), "b");
    EXPECT_FALSE(ReadFileGroup(block.substr(0, block.size() - 1), kDescriptorA, records));
    EXPECT_FALSE(ReadFileGroup(block, kDescriptorW, records));
    std::string lying = block;
    lying[0] = char(0xFF);
    EXPECT_FALSE(ReadFileGroup(lying, kDescriptorA, records));
    EXPECT_FALSE(ReadFileGroup("abc", kDescriptorA, records));
}

TEST(UriList, KeepsLocalFilesOnly) {
    EXPECT_EQ(ReadUriListFiles("file:///tmp/a%20b.txt\r\nhttps://example.org/\r\n"),
              (std::vector<std::string>{"/tmp/a b.txt"}));
    EXPECT_EQ(ReadUriListFiles(
                  "# comment\nfile://localhost/x\nFILE:///y%2B+z\nfile://host/z\nfile:///n%00\n"),
              (std::vector<std::string>{"/x", "/y++z"}));
    EXPECT_EQ(ReadUriListFiles("file:///C:/x%20y\r\n"),
              (std::vector<std::string>{"/C:/x y"}));  // no drive letters here
    EXPECT_EQ(UriListBytes({"/tmp/a b.txt", "/\xC3\xA9#"}),
              "file:///tmp/a%20b.txt\r\nfile:///%C3%A9%23\r\n");
    EXPECT_EQ(ReadUriListFiles(UriListBytes({"/tmp/a b%.txt", "/\xC3\xA9"})),
              (std::vector<std::string>{"/tmp/a b%.txt", "/\xC3\xA9"}));
}
