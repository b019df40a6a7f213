// The Qt-free RTF reader: plain text, code pages, destinations, formats handed to a
// handler, and damaged input read in bounded time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/RtfCodePage.h"
#include "platform/core/RtfPicture.h"
#include "platform/core/RtfReader.h"
#include "platform/core/RtfTokenizer.h"

using namespace kiv;

namespace {

std::string Plain(std::string_view rtf) { return RtfToPlainText(rtf, RtfLineEnd::Lf); }

std::string Doc(std::string_view body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\\viewkind4\\uc1\\pard\\f0\\fs20 " +
           std::string(body) + "}";
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path FixtureDir() {
    const char* src = std::getenv("KIV_SOURCE_DIR");
    return std::filesystem::path(src ? src : ".") / "tests" / "fixtures" / "rtf";
}

// Records what the reader hands over.
struct Recorder : RtfHandler {
    struct Run {
        std::string text;
        RtfCharFormat format;
    };
    struct Para {
        std::vector<Run> runs;
        RtfParaFormat format;
        RtfCharFormat mark;
    };
    std::vector<Para> paras{1};
    std::vector<std::string> groups;
    void OnText(std::string_view t, const RtfCharFormat& f) override {
        paras.back().runs.push_back({std::string(t), f});
    }
    void OnLineBreak(const RtfCharFormat& f) override { paras.back().runs.push_back({"\n", f}); }
    void OnParagraphEnd(const RtfParaFormat& p, const RtfCharFormat& m) override {
        paras.back().format = p;
        paras.back().mark = m;
        paras.emplace_back();
    }
    void OnGroup(RtfGroupKind, std::string_view s, const RtfCharFormat&) override {
        groups.emplace_back(s);
    }
    // The format of the run that holds this text.
    const RtfCharFormat* FormatOf(std::string_view text) const {
        for (const auto& p : paras)
            for (const auto& r : p.runs)
                if (r.text.find(text) != std::string::npos) return &r.format;
        return nullptr;
    }
};

}  // namespace

TEST(RtfTokenizer, WordsSymbolsAndNumbers) {
    RtfTokenizer t("{\\b0\\fs-12 x\\'e9\\~\\par\r\n}");
    EXPECT_EQ(t.Next().kind, RtfTokenKind::GroupOpen);
    RtfToken w = t.Next();
    EXPECT_EQ(w.word, "b");
    EXPECT_TRUE(w.hasParam);
    EXPECT_EQ(w.param, 0);
    w = t.Next();
    EXPECT_EQ(w.word, "fs");
    EXPECT_EQ(w.param, -12);
    EXPECT_EQ(t.Next().text, "x");  // the blank after -12 was the delimiter
    RtfToken h = t.Next();
    EXPECT_EQ(h.kind, RtfTokenKind::HexByte);
    EXPECT_EQ(h.byte, 0xE9);
    EXPECT_EQ(t.Next().symbol, '~');
    EXPECT_EQ(t.Next().word, "par");
    EXPECT_EQ(t.Next().kind, RtfTokenKind::GroupClose);
    EXPECT_EQ(t.Next().kind, RtfTokenKind::End);
}

TEST(RtfTokenizer, NumbersSaturateAndBinaryStopsAtTheEnd) {
    RtfTokenizer t("\\li99999999999999999999\\fi-99999999999999\\bin99999999999 abc");
    EXPECT_EQ(t.Next().param, INT32_MAX);
    EXPECT_EQ(t.Next().param, INT32_MIN);
    RtfToken b = t.Next();
    EXPECT_EQ(b.kind, RtfTokenKind::Binary);
    EXPECT_EQ(b.text, "abc");
    EXPECT_EQ(t.Next().kind, RtfTokenKind::End);
}

TEST(RtfReader, PlainTextOfBodies) {
    struct Case {
        const char* name;
        std::string rtf;
        std::string text;
    };
    const Case cases[] = {
        {"one paragraph", Doc("Hello world\\par\r\n"), "Hello world"},
        {"last paragraph without mark", Doc("a\\par b"), "a\nb"},
        {"empty last paragraph", Doc("a\\par b\\par\\par "), "a\nb\n"},
        {"empty document", Doc(""), ""},
        {"line breaks in the source are nothing", Doc("a\r\nb\nc\\par"), "abc"},
        {"backslash and line break is a paragraph", Doc("a\\\r\nb"), "a\nb"},
        {"escapes", Doc("\\\\ \\{ \\}"), "\\ { }"},
        {"delimiters", Doc("\\b x\\b0  y\\i-z"), "x y-z"},
        {"tab and line", Doc("a\\tab b\\line c"), "a\tb\nc"},
        {"page and section end paragraphs", Doc("a\\page b\\sect c"), "a\nb\nc"},
        {"unknown words are nothing", Doc("a\\foo12 b\\bar c"), "abc"},
        {"ignorable destination",
         Doc("a{\\*\\generator Msftedit 5.41;}{\\*\\whatever {nested} text}b"), "ab"},
        {"known non-text destinations",
         Doc("a{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\header h}{\\footnote f}b"),
         "ab"},
        {"field result is text",
         Doc("{\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\fldrslt link}}"), "link"},
        {"picture and object give nothing",
         Doc("a{\\pict\\pngblip 89504e47}b{\\object\\objemb{\\*\\objdata 0102}{\\result{\\pict 00}}}c"),
         "abc"},
        {"binary data in a picture may hold braces", Doc("a{\\pict\\bin4 }{\\\\}b"), "ab"},
        {"binary data in the body is skipped", Doc("a\\bin3 xyzb"), "ab"},
        {"table rows become tab-separated paragraphs",
         Doc("\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row\\pard after\\par"),
         "A\tB\nafter"},
        {"empty cells keep their tabs", Doc("\\trowd\\intbl A\\cell\\cell C\\cell\\row"), "A\t\tC"},
        {"nested cells",
         Doc("\\intbl x\\nestcell y\\nestcell{\\*\\nesttableprops\\nestrow}\\nestrow"), "x\ty"},
        {"text after the document is not read", "{\\rtf1 a}b", "a"},
        {"trailing NUL after the document", std::string("{\\rtf1 a\\par}\r\n\0", 16), "a"},
        {"upr reads the Unicode form", Doc("{\\upr{ansi}{\\*\\ud{uni}}}"), "uni"},
    };
    for (const auto& c : cases) EXPECT_EQ(Plain(c.rtf), c.text) << c.name;
}

TEST(RtfReader, SpecialCharacters) {
    EXPECT_EQ(
        Plain(Doc(
            "\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\-\\_\\emspace\\enspace")),
        "\u2014\u2013\u2022\u2018\u2019\u201C\u201D\u00A0\u00AD\u2011\u2003\u2002");
}

TEST(RtfReader, UnicodeEscapesAndTheirFallbacks) {
    struct Case {
        const char* rtf;
        std::string text;
    };
    const Case cases[] = {
        {"\\u1055?\\u1088?", "\u041F\u0440"},
        {"\\uc0\\u233 x", "\u00E9x"},
        {"\\uc2\\u12354\\'82\\'a0x", "\u3042x"},
        {"\\u8212\\'97x", "\u2014x"},         // fallback \'hh counts as one
        {"\\u8220\\ldblquote x", "\u201Cx"},  // a control word counts as one
        {"\\u-3913?", "\uF0B7"},              // negative values are 16-bit
        {"\\u-10179?\\u-8704?", "\U0001F600"},
        {"\\u-10179?x", "\uFFFDx"},  // a lone high surrogate
        {"\\u-8704?x", "\uFFFDx"},   // a lone low surrogate
        {"\\u99999999999?x", "\uFFFDx"},
        {"{\\uc3 \\u233 abcd}\\u233?e", "\u00E9d\u00E9e"},  // \uc belongs to its group
        {"\\u233{?}x", "\u00E9?x"},                         // a group ends the skip
    };
    for (const auto& c : cases) EXPECT_EQ(Plain(Doc(c.rtf)), c.text) << c.rtf;
}

TEST(RtfReader, CodePagesOfDocumentAndFonts) {
    struct Case {
        const char* name;
        std::string rtf;
        std::string text;
    };
    const Case cases[] = {
        {"Windows-1252", Doc("caf\\'e9 \\'80 \\'93q\\'94"), "caf\u00E9 \u20AC \u201Cq\u201D"},
        {"raw 8-bit bytes are code page bytes", Doc("caf\xe9"), "caf\u00E9"},
        {"ansicpg with a default-charset font",
         "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset1 Arial;}}\\f0 \\'cf\\'f0}",
         "\u041F\u0440"},
        {"font charset over ansicpg",
         "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Greek;}}a\\f1\\'e1\\f0\\'e1}",
         "a\u03B1\u00E1"},
        {"cpg over charset", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\cpg1251 X;}}\\f0\\'cf}",
         "\u041F"},
        {"double-byte pair, trail byte as a letter",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}\\f0\\'82\\'a0\\'83A}",
         "\u3042\u30A2"},
        {"lead byte cut short", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 G;}}\\f0\\'82}",
         "\uFFFD"},
        {"undefined byte of a code page", "{\\rtf1\\ansi\\ansicpg1253 \\'aa}", "\uFFFD"},
        {"code page nobody knows", "{\\rtf1\\ansi\\ansicpg99999 a\\'e9}", "a\uFFFD"},
        {"mac", "{\\rtf1\\mac \\'8e}", "\u00E9"},
        {"pc", "{\\rtf1\\pc \\'82}", "\u00E9"},
        {"font name in its own code page",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 \\'c0rial;}}\\f0 x}", "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(Plain(c.rtf), c.text) << c.name;

    RtfReader r;
    Recorder rec;
    r.Read(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 \\'c0rial;}{\\f1\\fnil{\\*\\panose 0203}Times;}{\\f2 Old;}}}",
        rec);
    ASSERT_EQ(r.Fonts().size(), 3u);
    EXPECT_EQ(r.Fonts()[0].name, "\u0410rial");
    EXPECT_EQ(r.Fonts()[1].name, "Times");
    EXPECT_EQ(r.Fonts()[1].family, "fnil");
    EXPECT_EQ(r.Fonts()[2].name, "Old");
}

TEST(RtfReader, DecoderOfEveryByte) {
    // Whatever a code page makes of a byte, it is one character and never a crash.
    for (int cp :
         {1250, 1251, 1253, 1255, 874, 932, 936, 949, 950, 10000, 437, 850, 65001, 12345}) {
        RtfCodePageDecoder d(cp);
        for (int b = 0; b < 256; ++b) {
            uint8_t bytes[4] = {uint8_t(b), 0x41, 0x80, 0x80};
            const int n = d.SequenceLength(bytes[0]);
            ASSERT_GE(n, 1);
            ASSERT_LE(n, 4);
            const char32_t c = d.Decode(bytes, n);
            EXPECT_LE(c, 0x10FFFFu);
        }
    }
}

TEST(RtfReader, PlainTextOfStoredNonRtf) {
    EXPECT_EQ(RtfToPlainText("line1\r\nline2\nline3\rx"), "line1\r\nline2\r\nline3\r\nx");
    EXPECT_EQ(RtfToPlainText("caf\xe9\r\n", RtfLineEnd::Lf), "caf\u00E9\n");
    EXPECT_EQ(RtfToPlainText("caf\xc3\xa9"), "caf\u00E9");
    EXPECT_EQ(RtfToPlainText(" {\\rtf1 x}"), " {\\rtf1 x}");  // only a leading "{\rtf" is RTF
    EXPECT_EQ(RtfToPlainText(Doc("a\\par b")), "a\r\nb");
}

TEST(RtfReader, CharacterFormats) {
    RtfReader r;
    Recorder rec;
    r.Read(
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Times;}}{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
        "dflt \\f0\\fs20 small \\b bold \\i bi\\b0\\i0  \\ul ul\\ulnone  \\uldb db\\ul0  \\strike st\\strike0  "
        "\\striked1 dst\\striked0  \\cf1 red\\cf2  navy\\cf9  past\\cf0  {\\b grp} out \\plain plain}",
        rec);
    auto f = [&](const char* t) {
        const RtfCharFormat* p = rec.FormatOf(t);
        EXPECT_NE(p, nullptr) << t;
        return p ? *p : RtfCharFormat{};
    };
    EXPECT_EQ(f("dflt").font, -1);
    EXPECT_EQ(r.FontOf(f("dflt"))->name, "Times");
    EXPECT_EQ(f("dflt").halfPoints, 24);
    EXPECT_EQ(f("small").halfPoints, 20);
    EXPECT_EQ(r.FontOf(f("small"))->name, "Arial");
    EXPECT_TRUE(f("bold").bold);
    EXPECT_FALSE(f("bold").italic);
    EXPECT_TRUE(f("bi").bold && f("bi").italic);
    EXPECT_TRUE(f("ul").underline);
    EXPECT_TRUE(f("db").underline);
    EXPECT_TRUE(f("st").strike);
    EXPECT_TRUE(f("dst").strike);
    EXPECT_EQ(f("red").color, 1);
    EXPECT_EQ(r.ColorAt(1).red, 255);
    EXPECT_FALSE(r.ColorAt(1).automatic);
    EXPECT_EQ(r.ColorAt(2).blue, 128);
    EXPECT_EQ(f("past").color, 9);
    EXPECT_TRUE(r.ColorAt(9).automatic);
    EXPECT_TRUE(r.ColorAt(0).automatic);
    EXPECT_TRUE(f("grp").bold);
    EXPECT_FALSE(f("out").bold);  // the group's bold ended with it
    EXPECT_EQ(f("plain"), RtfCharFormat{});
}

TEST(RtfReader, ParagraphFormats) {
    RtfReader r;
    Recorder rec;
    r.Read(
        "{\\rtf1\\pard\\qc c\\par\\pard\\qr r\\par\\pard\\qj j\\par\\pard\\li720\\ri360\\fi-360\\sb120\\sa240 i\\par"
        "\\li99999999\\fi-99999999 big\\par\\pard plain\\fs40\\par}",
        rec);
    ASSERT_EQ(rec.paras.size(), 7u);
    EXPECT_EQ(rec.paras[0].format.align, RtfAlign::Center);
    EXPECT_EQ(rec.paras[1].format.align, RtfAlign::Right);
    EXPECT_EQ(rec.paras[2].format.align, RtfAlign::Justify);
    const RtfParaFormat& i = rec.paras[3].format;
    EXPECT_EQ(i.align, RtfAlign::Left);
    EXPECT_EQ(i.leftIndent, 720);
    EXPECT_EQ(i.rightIndent, 360);
    EXPECT_EQ(i.firstIndent, -360);
    EXPECT_EQ(i.spaceBefore, 120);
    EXPECT_EQ(i.spaceAfter, 240);
    EXPECT_EQ(rec.paras[4].format.leftIndent, 31680);  // clamped, not wrapped
    EXPECT_EQ(rec.paras[4].format.firstIndent, -31680);
    EXPECT_EQ(rec.paras[5].format, RtfParaFormat{});
    EXPECT_EQ(rec.paras[5].mark.halfPoints, 40);  // the mark carries the size of the empty line
}

TEST(RtfReader, ListsAsTheRichEditControlWritesThem) {
    RtfReader r;
    Recorder rec;
    r.Read(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720 b1\\par"
        "{\\pntext\\f1\\'B7\\tab}b2\\par"
        "\\pard{\\pntext\\f0 3)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart3\\pnlcrm{\\pntxtb(}{\\pntxta)}}n1\\par"
        "\\pard{\\listtext\\pard\\plain\\'b7\\tab}w1\\par"
        "\\pard{\\*\\pn\\pnlvlbody\\pnucltr}u1\\par"
        "\\pard{\\*\\pn\\pnlvlcont}c1\\par}",
        rec);
    ASSERT_EQ(rec.paras.size(), 7u);
    const RtfListFormat& b = rec.paras[0].format.list;
    EXPECT_EQ(b.kind, RtfListKind::Bullet);
    EXPECT_EQ(rec.paras[0].runs.size(), 1u);  // the marker text is not text
    EXPECT_EQ(rec.paras[0].runs[0].text, "b1");
    EXPECT_EQ(rec.paras[1].format.list.kind, RtfListKind::Bullet);
    EXPECT_EQ(rec.paras[1].runs[0].text, "b2");
    const RtfListFormat& n = rec.paras[2].format.list;
    EXPECT_EQ(n.kind, RtfListKind::LowerRoman);
    EXPECT_EQ(n.start, 3);
    EXPECT_EQ(n.textBefore, "(");
    EXPECT_EQ(n.textAfter, ")");
    // A list we do not read keeps its marker as text.
    EXPECT_EQ(rec.paras[3].format.list.kind, RtfListKind::None);
    ASSERT_EQ(rec.paras[3].runs.size(), 2u);
    EXPECT_EQ(rec.paras[3].runs[0].text, "\u00B7\t");
    EXPECT_EQ(rec.paras[4].format.list.kind, RtfListKind::UpperAlpha);
    EXPECT_EQ(rec.paras[5].format.list.kind, RtfListKind::None);
}

TEST(RtfReader, PicturesAndObjectsComeWhole) {
    RtfReader r;
    Recorder rec;
    const std::string pict =
        "{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450{\\*\\blipuid 00}\r\n8950 4e47\r\n}";
    const std::string obj =
        "{\\object\\objemb\\objw1200\\objh900{\\*\\objdata 0102}{\\result{\\pict\\jpegblip ffd8}}}";
    r.Read("{\\rtf1 a" + pict + "b" + obj + "c{\\*\\shppict" + pict +
               "}{\\nonshppict{\\pict\\wmetafile8 01}}}",
           rec);
    ASSERT_EQ(rec.groups.size(), 3u);
    EXPECT_EQ(rec.groups[0], pict);
    EXPECT_EQ(rec.groups[1], obj);
    EXPECT_EQ(rec.groups[2], pict);

    RtfPicture p;
    ASSERT_TRUE(ReadPictureGroup(rec.groups[0], p));
    EXPECT_EQ(p.type, RtfPictureType::Png);
    EXPECT_EQ(p.data, "\x89PNG");
    EXPECT_EQ(p.width, 4);
    int32_t w = 0, h = 0;
    RtfPictureSizeTwips(p, w, h);
    EXPECT_EQ(w, 600);
    EXPECT_EQ(h, 450);

    RtfObject o;
    ASSERT_TRUE(ReadObjectGroup(rec.groups[1], o));
    EXPECT_EQ(o.width, 1200);
    EXPECT_EQ(o.height, 900);
    ASSERT_TRUE(o.hasPicture);
    EXPECT_EQ(o.picture.type, RtfPictureType::Jpeg);
    EXPECT_EQ(o.picture.data, "\xff\xd8");
    EXPECT_FALSE(ReadPictureGroup(obj, p));

    // Cut short: kept with the braces it lacked.
    Recorder cut;
    r.Read("{\\rtf1 a{\\pict\\pngblip{\\*\\x 1}89", cut);
    ASSERT_EQ(cut.groups.size(), 1u);
    EXPECT_EQ(cut.groups[0], "{\\pict\\pngblip{\\*\\x 1}89}");
}

TEST(RtfReader, DamagedInputIsReadToTheEnd) {
    struct Case {
        const char* name;
        std::string rtf;
        std::string text;
    };
    const std::string deep(100000, '{');
    const std::string undeep(100000, '}');
    const Case cases[] = {
        {"missing closing braces", "{\\rtf1 {\\b a\\par {{b", "a\nb"},
        {"extra closing braces end the document", "{\\rtf1 a}}} b}", "a"},
        {"100000 groups deep", "{\\rtf1 " + deep + "x" + undeep + "y}", "xy"},
        {"100000 groups deep, never closed", "{\\rtf1 " + deep + "x", "x"},
        {"100000 ignorable groups deep", "{\\rtf1 a{\\*\\x " + deep + "y" + undeep + "}b}", "ab"},
        {"pictures deep inside", "{\\rtf1 " + deep + "{\\pict 00}x" + undeep + "}", "x"},
        {"\\bin past the end", "{\\rtf1 a\\bin999999999 b}", "a"},
        {"\\bin in a picture past the end", "{\\rtf1 a{\\pict\\bin99 b}", "a"},
        {"a control word of 10000 letters", "{\\rtf1 a\\" + std::string(10000, 'x') + " b}", "ab"},
        {"an ignorable one", "{\\rtf1 a{\\*\\" + std::string(10000, 'x') + " b}c}", "ac"},
        {"numbers past 32 bits",
         "{\\rtf1\\uc99999999999 \\fs99999999999999999999 a\\f99999999999 b\\cf-99999999999 c\\ansicpg99999999999 d\\'e9}",
         "abcd\uFFFD"},
        {"a hex escape without digits", "{\\rtf1 a\\'zzb\\'}", "azzb"},
        {"a lone backslash at the end", "{\\rtf1 a\\", "a"},
        {"deep font table", "{\\rtf1{\\fonttbl" + deep + "}x", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Plain(c.rtf), c.text) << c.name;
}

TEST(RtfReader, FixturesGiveTheirText) {
    // Each fixture's .txt holds the text a reader must see (LF line ends).
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(FixtureDir())) {
        if (e.path().extension() != ".rtf") continue;
        std::filesystem::path txt = e.path();
        txt.replace_extension(".txt");
        if (!std::filesystem::exists(txt)) continue;
        ++n;
        EXPECT_EQ(Plain(ReadFile(e.path())), ReadFile(txt)) << e.path().filename();
    }
    EXPECT_GE(n, 12u);
}
