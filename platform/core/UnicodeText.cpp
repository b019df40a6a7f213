#include "platform/core/UnicodeText.h"

#include <algorithm>
#include <vector>

#include "platform/core/LegacyText.h"

namespace kiv::UnicodeText {

using namespace detail;

char32_t UpperChar(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 32 : c;
    const CasePair* end = kUpperPairs + kUpperPairCount;
    const CasePair* p = std::lower_bound(kUpperPairs, end, c,
                                         [](const CasePair& e, char32_t v) { return e.from < v; });
    return p != end && p->from == c ? p->to : c;
}

char32_t LowerChar(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    // The upper-case table read backwards, built once.
    static const std::vector<CasePair> lower = [] {
        std::vector<CasePair> v;
        v.reserve(kUpperPairCount);
        for (size_t i = 0; i < kUpperPairCount; ++i) v.push_back({kUpperPairs[i].to, kUpperPairs[i].from});
        std::sort(v.begin(), v.end(), [](const CasePair& a, const CasePair& b) {
            return a.from != b.from ? a.from < b.from : a.to < b.to;
        });
        v.erase(std::unique(v.begin(), v.end(), [](const CasePair& a, const CasePair& b) { return a.from == b.from; }),
                v.end());
        return v;
    }();
    auto p = std::lower_bound(lower.begin(), lower.end(), c, [](const CasePair& e, char32_t v) { return e.from < v; });
    return p != lower.end() && p->from == c ? p->to : c;
}

bool IsWordChar(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    const CodeRange* end = kWordRanges + kWordRangeCount;
    // The first range whose last code point is not below c.
    const CodeRange* r = std::lower_bound(kWordRanges, end, c,
                                          [](const CodeRange& e, char32_t v) { return e.last < v; });
    return r != end && r->first <= c;
}

std::u32string ToUtf32(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        if (uint8_t(utf8[i]) < 0x80) {
            out += char32_t(utf8[i++]);
            continue;
        }
        const int32_t c = LegacyText::NextUtf8(utf8, i);
        if (c >= 0) {
            out += char32_t(c);
        } else {
            out += char32_t(uint8_t(utf8[i++]));
        }
    }
    return out;
}

std::string ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) LegacyText::AppendUtf8(out, c);
    return out;
}

void UpperInPlace(std::u32string& text) {
    for (char32_t& c : text) c = UpperChar(c);
}

std::string UpperCaseUtf8(std::string_view utf8) {
    std::u32string t = ToUtf32(utf8);
    UpperInPlace(t);
    return ToUtf8(t);
}

std::string LowerCaseUtf8(std::string_view utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), [](char ch) { return uint8_t(ch) < 0x80; })) {
        std::string out(utf8);
        for (char& ch : out)
            if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
        return out;
    }
    std::u32string t = ToUtf32(utf8);
    for (char32_t& c : t) c = LowerChar(c);
    return ToUtf8(t);
}

}  // namespace kiv::UnicodeText
