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
    struct Case { const char* in; std::vector<std::string> out; };
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
    struct Case { const char* in; bool ok; int64_t v; };
    const Case cases[] = {
        {"12", true, 12}, {"-7", true, -7}, {"$FF", true, 255}, {"0x10", true, 16},
        {"", false, 0}, {" 1", false, 0}, {"1a", false, 0}, {"99999999999999999999", false, 0},
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
