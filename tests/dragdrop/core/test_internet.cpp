#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/GraphicsFormats.h"
#include "dragdrop/core/InternetFormats.h"
#include "dragdrop/core/ShellCodecs.h"
#include "dragdrop/core/ShellFormats.h"
#include "platform/core/KivStrings.h"
#include "tests/dragdrop/core/FakeDataObject.h"

using namespace kiv;
using namespace kiv::ClipCodec;
using kiv::test::Bytes;
using kiv::test::FakeDataObject;
using kiv::test::MessageOf;

namespace {

class Source : public TCustomDropMultiSource {};

std::string Rendered(IDataObject& data, const char* name, int32_t lindex = -1) {
    TStgMedium m;
    const uint16_t id = std::string(name) == "CF_TEXT" ? CF_TEXT : RegisterClipboardFormat(name);
    if (data.GetData(TFormatEtc{id, DVASPECT_CONTENT, lindex, TYMED_HGLOBAL}, m) != S_OK)
        return "(refused)";
    return m.data;
}

}  // namespace

TEST(ShortcutFilename, Table) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://www.example.com/some/page.html", "www.example.com.url"},
        {"HTTPS://secure.example.org/x", "secure.example.org.url"},
        {"ftps://files.example.org", "files.example.org.url"},
        {"mailto:someone@example.org", "someone@example.org.url"},
        {"Words: with? marks", "Words  with  marks.url"},
        {"a:?b", "a b.url"},
        {"??", "untitled.url"},
        {"", "untitled.url"},
        {"::lead", " lead.url"},
        {"trail|*", "trail.url"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(URLToShortcutFilename(in), out) << in;
    EXPECT_EQ(URLToShortcutFilename(std::string(200, 'x')), std::string(120, 'x') + ".url");
}

TEST(NetscapeBookmark, SizesAndOffsets) {
    EXPECT_EQ(NetscapeBookmarkSize("", "t"), 0u);
    EXPECT_EQ(NetscapeBookmarkSize("http://a/", ""), 1024u);
    EXPECT_EQ(NetscapeBookmarkSize("http://a/", "A"), 2048u);
    std::string block(2048, '\0');
    WriteNetscapeBookmark(block.data(), block.size(), "http://a/", "A");
    EXPECT_EQ(block.substr(0, 10), std::string("http://a/\0", 10));
    EXPECT_EQ(block.substr(1024, 2), std::string("A\0", 2));
    std::string url, title;
    ReadNetscapeBookmark(block, url, title);
    EXPECT_EQ(url, "http://a/");
    EXPECT_EQ(title, "A");
    // Strings without zeros stop at the block's end, and the URL at its kilobyte.
    ReadNetscapeBookmark(std::string(1024, 'u') + "tt", url, title);
    EXPECT_EQ(url, std::string(1024, 'u'));
    EXPECT_EQ(title, "tt");
    ReadNetscapeBookmark("short", url, title);
    EXPECT_EQ(url, "short");
    EXPECT_EQ(title, "");
    std::string small(1024, '\0');
    WriteNetscapeBookmark(small.data(), small.size(), std::string(2000, 'u'), "dropped");
    EXPECT_EQ(small.find('\0'), 1023u);
}

TEST(NetscapeImage, SizesAndOffsets) {
    NetscapeImage in;
    in.value8 = 7;
    in.value12 = 9;
    in.first = "img";
    in.title = "Title";
    in.url = "http://a/";
    EXPECT_EQ(NetscapeImageSize(in), 45u + 3 + 6 + 10);
    std::string block(NetscapeImageSize(in), '\0');
    ASSERT_TRUE(WriteNetscapeImage(block.data(), block.size(), in));
    EXPECT_EQ(GetU32(block.data() + 28), 0u);
    EXPECT_EQ(GetU32(block.data() + 32), 48u);
    EXPECT_EQ(GetU32(block.data() + 36), 54u);
    EXPECT_EQ(GetU32(block.data() + 40), 0u);
    NetscapeImage out;
    ASSERT_TRUE(ReadNetscapeImage(block, out));
    EXPECT_EQ(out.value8, 7u);
    EXPECT_EQ(out.first, "img");
    EXPECT_EQ(out.title, "Title");
    EXPECT_EQ(out.url, "http://a/");
    EXPECT_FALSE(ReadNetscapeImage(block.substr(0, 44), out));
    std::string bad = block;
    PutU32(bad.data() + 36, 0xFFFFFF);  // an offset past the end reads nothing
    ASSERT_TRUE(ReadNetscapeImage(bad, out));
    EXPECT_EQ(out.url, "");
    EXPECT_FALSE(WriteNetscapeImage(block.data(), 44, in));
}

TEST(URLSource, RendersTheLinkAndItsShortcutFile) {
    Source s;
    auto* url = new TURLDataFormat(&s);
    url->SetURL("http://a/");
    EXPECT_EQ(Rendered(s, "FileContents", 0), "[InternetShortcut]\r\nURL=http://a/\r\n");
    EXPECT_EQ(Rendered(s, "UniformResourceLocator"), std::string("http://a/\0", 10));
    EXPECT_EQ(Rendered(s, "CF_TEXT"), std::string("http://a/\0", 10));
    EXPECT_EQ(Rendered(s, "_NETSCAPE_URL"), "http://a/");
    EXPECT_EQ(Rendered(s, "Netscape Bookmark").size(), 1024u);
    const std::string group = Rendered(s, "FileGroupDescriptor");
    ASSERT_EQ(group.size(), 336u);
    EXPECT_EQ(DescriptorFlags(group.substr(4)), FD_LINKUI);
    EXPECT_EQ(DescriptorNameA(group.substr(4)), "a.url");
    url->SetTitle("Home: page?");
    EXPECT_EQ(DescriptorNameA(Rendered(s, "FileGroupDescriptor").substr(4)), "Home  page.url");
    EXPECT_EQ(Rendered(s, "text/x-moz-url"), Utf16ToBytes(u"http://a/\nHome: page?"));
    EXPECT_EQ(Rendered(s, "Netscape Bookmark").size(), 2048u);
    EXPECT_EQ(Rendered(s, "CF_HDROP"), "(refused)");  // read only
}

TEST(URLTarget, ReadsEachPartWhereItFindsItFirst) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> offered;
        std::string url, title;
    };
    const std::string bookmark = [] {
        std::string b(2048, '\0');
        WriteNetscapeBookmark(b.data(), b.size(), "http://b/", "B");
        return b;
    }();
    const Case cases[] = {
        {"Linux twin with title",
         {{"_NETSCAPE_URL", "http://e/\nE"}, {"text/plain;charset=utf-8", "hello"}},
         "http://e/",
         "E"},
        {"bookmark before the rest",
         {{"Netscape Bookmark", bookmark}, {"UniformResourceLocator", "http://u/"}},
         "http://b/",
         "B"},
        {"URL, then the title from the descriptor",
         {{"UniformResourceLocator", "http://u/"},
          {"FileGroupDescriptor", FileGroupBytes({FileDescriptorA("Our Site.URL")})}},
         "http://u/",
         "Our Site"},
        {"a descriptor of another file gives no title",
         {{"UniformResourceLocator", "http://u/"},
          {"FileGroupDescriptor", FileGroupBytes({FileDescriptorA("x.txt")})}},
         "http://u/",
         ""},
        {"shortcut contents",
         {{"FileContents", "[InternetShortcut]\r\nURL=http://s/\r\n"}},
         "http://s/",
         ""},
        {"shortcut without a URL line",
         {{"FileContents", "[InternetShortcut]\r\n[Other]\r\nURL=http://s/\r\n"}},
         "",
         ""},
        {"text with a scheme", {{"CF_TEXT", "x://y"}}, "x://y", ""},
        {"text starting with ://", {{"CF_TEXT", "://y"}}, "", ""},
        {"plain text", {{"CF_TEXT", "hello"}}, "", ""},
        {"one address with a line break after it",
         {{"CF_TEXT", "http://a/b\r\n"}},
         "http://a/b",
         ""},
        {"a note that mentions an address",
         {{"CF_TEXT", "Notes from the meeting\r\nsee http://a/\r\nsecond point"}},
         "",
         ""},
        {"a sentence around an address", {{"CF_TEXT", "see http://a/ there"}}, "", ""},
        {"Mozilla's link with its title",
         {{"text/x-moz-url", Utf16ToBytes(u"http://m/\nM\u00fcnchen")},
          {"text/plain;charset=utf-8", "http://m/"}},
         "http://m/",
         "M\xC3\xBCnchen"},
    };
    for (const auto& c : cases) {
        FakeDataObject data;
        for (const auto& [name, bytes] : c.offered)
            name == "CF_TEXT" ? data.Put(CF_TEXT, bytes)
                              : data.Put(name, bytes, name == "FileContents" ? 0 : -1);
        TURLDataFormat url;
        url.GetData(data);
        EXPECT_EQ(url.URL(), c.url) << c.what;
        EXPECT_EQ(url.Title(), c.title) << c.what;
    }
}

TEST(URLTarget, AUrlFileGivesItsAddressAndItsName) {
    const std::string path = testing::TempDir() + "Kiv Home.url";
    std::ofstream(path) << "[InternetShortcut]\r\nURL=http://kiv/\r\n";
    FakeDataObject data;
    data.Put(CF_HDROP, DropFilesBytes({path}));
    TURLDataFormat url;
    ASSERT_TRUE(url.GetData(data));
    EXPECT_EQ(url.URL(), "http://kiv/");
    EXPECT_EQ(url.Title(), "Kiv Home");
    std::remove(path.c_str());
    TURLDataFormat missing;
    EXPECT_FALSE(missing.GetData(data));
}

TEST(ShellItems, ListsOfPathSegments) {
    EXPECT_EQ(PathToPIDL("/ab/c"), Bytes({4, 0, 'a', 'b', 3, 0, 'c', 0, 0}));
    EXPECT_EQ(PathToPIDL("relative"), "");
    std::string path;
    ASSERT_TRUE(PIDLToPath(PathToPIDL("/ab//c/"), path));
    EXPECT_EQ(path, "/ab/c");
    EXPECT_FALSE(PIDLToPath(Bytes({9, 0, 'a', 0, 0}), path));  // an item past the end

    std::vector<std::string> lists;
    ASSERT_TRUE(FilenamesToPIDLs({"/home/u/a.txt"}, lists));
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0], PathToPIDL("/home/u/a.txt"));  // nothing to compare with
    EXPECT_EQ(lists[1], std::string(2, '\0'));
    ASSERT_TRUE(FilenamesToPIDLs({"/home/u/a.txt", "/home/u/b.txt"}, lists));
    EXPECT_EQ(lists[0], PathToPIDL("/home/u"));
    EXPECT_EQ(PIDLFilenames(lists), (std::vector<std::string>{"/home/u/a.txt", "/home/u/b.txt"}));
    EXPECT_EQ(MessageOf([&] { PIDLFilename(lists, 2); }), "Filename index out of range");
    EXPECT_EQ(MessageOf([] { CommonParentPIDL({"/a", "b"}); }), "Invalid filename: b");
    EXPECT_FALSE(FilenamesToPIDLs({"/a", "b"}, lists));
    EXPECT_TRUE(lists.empty());

    // A CIDA for one file in a folder: the folder and one item.
    FilenamesToPIDLs({"/home/u/a.txt", "/home/u/b.txt"}, lists);
    lists.pop_back();
    const std::string cida = CIDABytes(lists);
    std::vector<std::string> back;
    ASSERT_TRUE(ReadCIDA(cida, back));
    EXPECT_EQ(back, lists);
    EXPECT_EQ(PIDLFilenames(back).size(), 1u);
    std::string lying = cida;
    PutU32(lying.data(), 1000);
    EXPECT_FALSE(ReadCIDA(lying, back));
    std::string outside = cida;
    PutU32(outside.data() + 8, uint32_t(cida.size()));
    EXPECT_FALSE(ReadCIDA(outside, back));
    EXPECT_FALSE(
        ReadCIDA(cida.substr(0, cida.size() - 1), back));  // the last list runs past the end

    FakeDataObject data;
    data.Put("Shell IDList Array", cida);
    TFileDataFormat files;
    ASSERT_TRUE(files.GetData(data));
    EXPECT_EQ(files.Files().Items(), (std::vector<std::string>{"/home/u/a.txt"}));
}

TEST(VCard, LinesAndBack) {
    EXPECT_EQ(VCardToLines("BEGIN:VCARD\r\nFN:Ann: B\r\nEND:vcard\r\n"), "FN=Ann: B\r\n");
    EXPECT_EQ(LinesToVCard("FN=Ann\r\nTEL=1\r\n"), "begin:vcard\rFN=Ann\rTEL=1\r\rend:vcard");
}

TEST(DIB, RebuiltFileHeaderCountsTheColourTable) {
    auto info = [](uint16_t bits, uint32_t compression, uint32_t used) {
        std::string h(40, '\0');
        PutU32(h.data(), 40);
        PutU16(h.data() + 14, bits);
        PutU32(h.data() + 16, compression);
        PutU32(h.data() + 32, used);
        return h;
    };
    struct Case {
        std::string dib;
        uint32_t offset;
    };
    const Case cases[] = {
        {info(8, 0, 0) + std::string(1024 + 4, 'p'), 14 + 40 + 1024},
        {info(8, 0, 16) + std::string(64 + 4, 'p'), 14 + 40 + 64},
        {info(24, 0, 0) + "pix", 14 + 40},
        {info(16, 3, 0) + std::string(12 + 4, 'p'), 14 + 40 + 12},
    };
    for (const auto& c : cases) {
        std::string bmp;
        ASSERT_TRUE(DIBToBMP(c.dib, bmp));
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(GetU32(bmp.data() + 2), c.dib.size() + 14);
        EXPECT_EQ(GetU32(bmp.data() + 10), c.offset);
        std::string dib;
        ASSERT_TRUE(BMPToDIB(bmp, dib));
        EXPECT_EQ(dib, c.dib);
    }
    std::string bmp;
    EXPECT_FALSE(DIBToBMP(info(8, 0, 0), bmp));  // its colour table is missing
    std::string huge = info(8, 0, 0);
    PutU32(huge.data(), 0xFFFFFFF0);
    EXPECT_FALSE(DIBToBMP(huge + "x", bmp));

    FakeDataObject data;
    data.Put(CF_DIB, cases[2].dib);
    TBitmapDataFormat bitmap;
    ASSERT_TRUE(bitmap.GetData(data));
    EXPECT_EQ(bitmap.Bitmap().substr(14), cases[2].dib);
}
