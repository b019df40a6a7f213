#include <gtest/gtest.h>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/DropSource.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/TextFormats.h"
#include "tests/dragdrop/core/FakeDataObject.h"

using namespace kiv;
using kiv::test::Bytes;
using kiv::test::FakeDataObject;

namespace {

class Source : public TCustomDropMultiSource {};

// What a source renders for a format, asked for in global memory.
std::string Rendered(IDataObject& data, uint16_t id, int32_t lindex = -1,
                     uint32_t tymed = TYMED_HGLOBAL) {
    TStgMedium m;
    if (data.GetData(TFormatEtc{id, DVASPECT_CONTENT, lindex, tymed}, m) != S_OK)
        return "(refused)";
    return m.data;
}

uint16_t Id(const char* name) { return RegisterClipboardFormat(name); }

}  // namespace

TEST(TextMarkup, RtfAndHtml) {
    EXPECT_EQ(MakeRTF("abc"), "{\\rtf1\\ansi abc}");
    EXPECT_EQ(MakeRTF("{\\RTF1 x}"), "{\\RTF1 x}");
    EXPECT_EQ(MakeHTML("abc"), "<HTML>\r\n<BODY>\r\nabc\r\n</BODY>\r\n</HTML>");
    EXPECT_EQ(MakeHTML("<p><html>x"), "<p><html>x");
}

TEST(TextSource, RendersEveryFormOfTheText) {
    Source s;
    auto* text = new TTextDataFormat(&s);
    text->SetText("abc");
    struct Case {
        uint16_t id;
        int32_t lindex;
        std::string bytes;
    };
    const Case cases[] = {
        {CF_TEXT, -1, std::string("abc\0", 4)},
        {Id("text/plain;charset=utf-8"), -1, "abc"},
        {CF_OEMTEXT, -1, std::string("abc\0", 4)},
        {CF_UNICODETEXT, -1, Bytes({'a', 0, 'b', 0, 'c', 0, 0, 0})},
        {Id("Rich Text Format"), -1, std::string("{\\rtf1\\ansi abc}\0", 17)},
        {Id("text/rtf"), -1, "{\\rtf1\\ansi abc}"},
        {Id("HTML Format"), -1,
         std::string("<HTML>\r\n<BODY>\r\nabc\r\n</BODY>\r\n</HTML>\r\n\0", 40)},
        {Id("text/html"), -1, "<HTML>\r\n<BODY>\r\nabc\r\n</BODY>\r\n</HTML>\r\n"},
        {Id("CSV"), -1, std::string("abc\r\n\0", 6)},
        {Id("Internet Message (rfc822/rfc1522)"), -1, std::string("abc\r\n\0", 6)},
        {Id("FileContents"), 0, "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rendered(s, c.id, c.lindex), c.bytes) << ClipboardFormatNameOf(c.id) << c.id;

    // The one virtual file, "Text scrap.txt", as A and W descriptors.
    const std::string a = Rendered(s, Id("FileGroupDescriptor"));
    const std::string w = Rendered(s, Id("FileGroupDescriptorW"));
    ASSERT_EQ(a.size(), 336u);
    ASSERT_EQ(w.size(), 596u);
    EXPECT_EQ(a.substr(0, 4), Bytes({1, 0, 0, 0}));
    EXPECT_EQ(ClipCodec::DescriptorNameA(a.substr(4)), "Text scrap.txt");
    EXPECT_EQ(ClipCodec::DescriptorNameW(w.substr(4)), "Text scrap.txt");
    EXPECT_EQ(ClipCodec::DescriptorFlags(a.substr(4)), 0u);
}

TEST(TextSource, PrefersAStreamAndKeepsNonAsciiText) {
    Source s;
    auto* text = new TTextDataFormat(&s);
    text->SetText("\xC3\xA9t\xC3\xA9");
    TStgMedium m;
    ASSERT_EQ(s.GetData(TFormatEtc{CF_UNICODETEXT, 1, -1, TYMED_HGLOBAL | TYMED_ISTREAM}, m), S_OK);
    EXPECT_EQ(m.tymed, TYMED_ISTREAM);
    EXPECT_EQ(m.data, Bytes({0xE9, 0, 't', 0, 0xE9, 0, 0, 0}));
    EXPECT_EQ(Rendered(s, CF_TEXT, -1, TYMED_GDI), "(refused)");
    // Text that already is markup goes as it is.
    text->SetText("{\\rtf1 x}");
    EXPECT_EQ(Rendered(s, Id("text/rtf")), "{\\rtf1 x}");
}

TEST(TextTarget, ReadsTheFirstUsableFormat) {
    struct Case {
        const char* what;
        std::vector<std::pair<uint16_t, std::string>> offered;
        bool ok;
        std::string text;
    };
    const Case cases[] = {
        {"CF_TEXT cut at its first zero", {{CF_TEXT, std::string("ab\0cd", 5)}}, true, "ab"},
        {"CF_TEXT without a zero, whole", {{CF_TEXT, "abc"}}, true, "abc"},
        {"the twin before CF_TEXT",
         {{CF_TEXT, "ansi"}, {Id("text/plain;charset=utf-8"), "\xC3\xA9"}},
         true,
         "\xC3\xA9"},
        {"an empty CF_TEXT gives way to UTF-16",
         {{CF_TEXT, std::string("\0", 1)}, {CF_UNICODETEXT, Bytes({0xE9, 0, 0, 0, 'x', 0})}},
         true,
         "\xC3\xA9"},
        {"RTF only when it is RTF", {{Id("Rich Text Format"), "plain"}}, false, ""},
        {"RTF source unchanged",
         {{Id("Rich Text Format"), std::string("{\\rtf1 b}\0", 10)}},
         true,
         "{\\rtf1 b}"},
        {"HTML only with <HTML>", {{Id("HTML Format"), "<b>x</b>"}}, false, ""},
        {"HTML lines", {{Id("text/html"), "<html>\nx"}}, true, "<html>\r\nx\r\n"},
        {"a descriptor is not text",
         {{Id("FileGroupDescriptor"),
           ClipCodec::FileGroupBytes({ClipCodec::FileDescriptorA("t.txt")})}},
         false,
         ""},
        {"nothing", {}, false, ""},
    };
    for (const auto& c : cases) {
        FakeDataObject data;
        for (const auto& [id, bytes] : c.offered) data.Put(id, bytes);
        TTextDataFormat text;
        EXPECT_EQ(text.GetData(data), c.ok) << c.what;
        EXPECT_EQ(text.Text(), c.text) << c.what;
    }
}

TEST(FileContents, StreamsFollowTheDescriptor) {
    FakeDataObject data;
    data.Put("FileGroupDescriptor",
             ClipCodec::FileGroupBytes(
                 {ClipCodec::FileDescriptorA("one.txt"), ClipCodec::FileDescriptorA("two.txt")}));
    data.Put("FileContents", "first", 0, TYMED_ISTREAM);
    data.Put("FileContents", "second", 1, TYMED_ISTREAM);
    TDataStreamDataFormat streams;
    ASSERT_TRUE(streams.GetData(data));
    ASSERT_EQ(streams.Data().Count(), 2u);
    EXPECT_EQ(streams.Data().Names(0), "one.txt");
    EXPECT_EQ(streams.Data().Streams(1), "second");
}

TEST(FileContents, WithoutADescriptorOneUnnamedStreamAndNoOtherMedium) {
    FakeDataObject data;
    data.Put("FileContents", "whole", -1, TYMED_ISTREAM);
    TDataStreamDataFormat streams;
    ASSERT_TRUE(streams.GetData(data));
    ASSERT_EQ(streams.Data().Count(), 1u);
    EXPECT_EQ(streams.Data().Names(0), "");
    EXPECT_EQ(streams.Data().Streams(0), "whole");

    FakeDataObject global;
    global.Put("FileContents", "whole", -1, TYMED_HGLOBAL | TYMED_ISTREAM);
    TFileContentsStreamClipboardFormat f;
    EXPECT_FALSE(f.GetData(global));  // a stream was asked for; this medium is global memory

    FakeDataObject missing;
    missing.Put("FileGroupDescriptor",
                ClipCodec::FileGroupBytes(
                    {ClipCodec::FileDescriptorA("a"), ClipCodec::FileDescriptorA("b")}));
    missing.Put("FileContents", "a", 0, TYMED_ISTREAM);
    TDataStreamDataFormat partial;
    ASSERT_TRUE(partial.GetData(missing));
    EXPECT_EQ(partial.Data().Count(), 1u);
}

TEST(VirtualFiles, ServeTheirStreamsOnRequest) {
    Source s;
    auto* files = new TVirtualFileStreamDataFormat(&s);
    files->SetFileNames({"a.txt", "b.txt"});
    EXPECT_FALSE(files->HasData());  // nobody answers for the contents yet
    files->OnDemand().OnGetStream = [](auto*, int index, std::string& stream) {
        if (index > 1) return false;
        stream = "contents " + std::to_string(index);
        return true;
    };
    EXPECT_TRUE(files->HasData());
    EXPECT_EQ(Rendered(s, Id("FileContents"), 1, TYMED_ISTREAM), "contents 1");
    EXPECT_EQ(Rendered(s, Id("FileContents"), 2, TYMED_ISTREAM), "(refused)");
    EXPECT_EQ(Rendered(s, Id("FileContents"), -1, TYMED_ISTREAM), "(refused)");
    const std::string group = Rendered(s, Id("FileGroupDescriptor"));
    ASSERT_EQ(group.size(), 4u + 2 * 332);
    files->AddFileName("c.txt");
    EXPECT_EQ(files->FileNames(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));

    FakeDataObject data;
    data.Put("FileGroupDescriptor", group);
    TVirtualFileStreamDataFormat target;
    ASSERT_TRUE(target.GetData(data));
    EXPECT_EQ(target.FileNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(target.HasData());  // names without contents
    data.Put("FileContents", "x", 0, TYMED_ISTREAM);
    ASSERT_TRUE(target.GetData(data));
    EXPECT_TRUE(target.HasData());
}

TEST(FileFormats, RoundTripThroughASource) {
    Source s;
    auto* files = new TFileDataFormat(&s);
    files->Files().Assign({"/tmp/a b.txt", "/\xC3\xA9"});
    auto* maps = new TFileMapDataFormat(&s);
    maps->FileMaps().Assign({"a", "bc"});

    EXPECT_EQ(Rendered(s, CF_HDROP), ClipCodec::DropFilesBytes({"/tmp/a b.txt", "/\xC3\xA9"}));
    EXPECT_EQ(Rendered(s, Id("text/uri-list")), "file:///tmp/a%20b.txt\r\nfile:///%C3%A9\r\n");
    EXPECT_EQ(Rendered(s, Id("FileName")), std::string("/tmp/a b.txt\0", 13));
    EXPECT_EQ(Rendered(s, Id("FileNameW")).size(), (12u + 1) * 2);
    EXPECT_EQ(Rendered(s, Id("FileNameMap")), std::string("a\0bc\0\0", 6));
    EXPECT_EQ(Rendered(s, Id("FileNameMapW")), Bytes({'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0, 0, 0}));

    for (const char* name : {"text/uri-list", "FileNameW"}) {
        FakeDataObject data;
        data.Put(name, Rendered(s, Id(name)));
        TFileDataFormat got;
        ASSERT_TRUE(got.GetData(data)) << name;
        EXPECT_EQ(got.Files()[0], "/tmp/a b.txt") << name;
    }
    FakeDataObject data;
    data.Put("FileNameMapW", Rendered(s, Id("FileNameMapW")));
    TFileMapDataFormat got;
    ASSERT_TRUE(got.GetData(data));
    EXPECT_EQ(got.FileMaps().Items(), (std::vector<std::string>{"a", "bc"}));
}

TEST(FileFormats, ForeignUriListGivesLocalFilesOnly) {
    FakeDataObject data;
    data.Put("text/uri-list", "file:///tmp/a%20b.txt\r\nhttps://example.org/\r\n");
    TFileDataFormat files;
    ASSERT_TRUE(files.GetData(data));
    EXPECT_EQ(files.Files().Items(), (std::vector<std::string>{"/tmp/a b.txt"}));
    FakeDataObject web;
    web.Put("text/uri-list", "https://example.org/\r\n");
    EXPECT_FALSE(files.GetData(web));
}

TEST(FileFormats, AnHdropOfTwentyBytesIsRefused) {
    FakeDataObject data;
    data.Put(CF_HDROP, ClipCodec::DropFilesBytes({}).substr(0, 20));
    TFileDataFormat files;
    EXPECT_FALSE(files.GetData(data));
}
