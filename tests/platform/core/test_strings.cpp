#include <gtest/gtest.h>

#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

using namespace kiv;

TEST(Trim, RemovesEveryControlCharacterAtBothEnds) {
    EXPECT_EQ(Trim(std::string("\x01\t  ab c\r\n\x1f", 11)), "ab c");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\x7f"), "\x7f");  // DEL is above 0x20
}

TEST(SplitLines, AcceptsEveryLineEnd) {
    struct Case {
        const char* in;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\r\n", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.in), c.out) << c.in;
    EXPECT_EQ(JoinLines({"a", "b"}), "a\r\nb\r\n");
}

TEST(StrToInt, IsStrict) {
    struct Case {
        const char* in;
        bool ok;
        int64_t v;
    };
    const Case cases[] = {
        {"12", true, 12},
        {"-7", true, -7},
        {"$FF", true, 255},
        {"0x10", true, 16},
        {"", false, 0},
        {" 1", false, 0},
        {"1a", false, 0},
        {"99999999999999999999", false, 0},
        {"-9223372036854775808", true, INT64_MIN},
    };
    for (const auto& c : cases) {
        int64_t v = 0;
        EXPECT_EQ(TryStrToInt(c.in, v), c.ok) << c.in;
        if (c.ok) {
            EXPECT_EQ(v, c.v) << c.in;
        }
    }
}

TEST(LegacyText, EveryWindows1252ByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        std::string one(1, char(b));
        std::string utf8 = LegacyText::Cp1252ToUtf8(one);
        std::string back;
        ASSERT_TRUE(LegacyText::Utf8ToCp1252(utf8, back)) << b;
        EXPECT_EQ(back, one) << b;
    }
}

TEST(LegacyText, DecodeAndEncode) {
    // "café" as Windows wrote it, and as UTF-8.
    EXPECT_EQ(LegacyText::Decode("caf\xe9"), "caf\xc3\xa9");
    EXPECT_EQ(LegacyText::Decode("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(LegacyText::Encode("caf\xc3\xa9"), "caf\xe9");
    // The euro sign fits Windows-1252; a Cyrillic letter does not and stays UTF-8.
    EXPECT_EQ(LegacyText::Encode("\xe2\x82\xac"), "\x80");
    EXPECT_EQ(LegacyText::Encode("\xd0\x96"), "\xd0\x96");
    EXPECT_EQ(LegacyText::Decode("\xd0\x96"), "\xd0\x96");
    // Overlong and surrogate forms are not UTF-8.
    EXPECT_FALSE(LegacyText::IsValidUtf8("\xc0\xaf"));
    EXPECT_FALSE(LegacyText::IsValidUtf8("\xed\xa0\x80"));
}

// Every rule of the UTF-8 check, at its edges: a text that breaks one is read as
// Windows-1252, byte by byte.
TEST(LegacyText, Utf8CheckHoldsAtEveryEdge) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"\x7f", true},
        {"\xc2\x80", true},           // U+0080, the first two-byte form
        {"\xc1\xbf", false},          // overlong U+007F
        {"\xdf\xbf", true},           // U+07FF
        {"\xe0\xa0\x80", true},       // U+0800, the first three-byte form
        {"\xe0\x9f\xbf", false},      // overlong U+07FF
        {"\xe0\x80\x80", false},      // overlong U+0000
        {"\xed\x9f\xbf", true},       // U+D7FF
        {"\xed\xa0\x80", false},      // U+D800, a high surrogate
        {"\xed\xbf\xbf", false},      // U+DFFF, a low surrogate
        {"\xee\x80\x80", true},       // U+E000
        {"\xef\xbf\xbf", true},       // U+FFFF
        {"\xf0\x90\x80\x80", true},   // U+10000, the first four-byte form
        {"\xf0\x8f\xbf\xbf", false},  // overlong U+FFFF
        {"\xf4\x8f\xbf\xbf", true},   // U+10FFFF, the last code point
        {"\xf4\x90\x80\x80", false},  // U+110000
        {"\xf5\x80\x80\x80", false},  // lead byte past U+10FFFF
        {"\xff", false},
        {"\x80", false},  // a continuation byte without a lead
        {"\xc3", false},  // truncated at the end of the text
        {"\xe2\x82", false},
        {"\xf0\x9f\x98", false},
        {"\xc3(", false},  // a lead byte followed by a non-continuation
        {"\xe2(\xac", false},
        {"\xf0\x9f(\x80", false},
    };
    for (const Case& c : cases) {
        const std::string text = "a" + c.bytes + "z";
        EXPECT_EQ(LegacyText::IsValidUtf8(text), c.valid) << testing::PrintToString(text);
        EXPECT_EQ(LegacyText::IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
        EXPECT_EQ(LegacyText::Decode(text), c.valid ? text : LegacyText::Cp1252ToUtf8(text))
            << testing::PrintToString(text);
        size_t i = 0;
        const int32_t cp = LegacyText::NextUtf8(c.bytes, i);
        EXPECT_EQ(cp >= 0 && i == c.bytes.size(), c.valid) << testing::PrintToString(c.bytes);
        if (cp < 0) {
            EXPECT_EQ(i, 0u) << testing::PrintToString(c.bytes);
        }
    }
    // A sequence cut short by the end of the text, though the bytes after it would complete it.
    const std::string_view whole = "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
    for (size_t n = 1; n <= whole.size(); ++n)
        EXPECT_EQ(LegacyText::IsValidUtf8(whole.substr(0, n)), n == 2 || n == 5 || n == 9) << n;
}
