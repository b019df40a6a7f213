#include "platform/core/LegacyText.h"

namespace kiv::LegacyText {

namespace {
// 0x80..0x9F; the unassigned bytes keep their C1 code points so they round-trip.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char32_t Cp1252ToUnicode(uint8_t b) {
    if (b >= 0x80 && b <= 0x9F) return kHigh[b - 0x80];
    return b;
}

int UnicodeToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

bool HasNonAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return true;
    return false;
}

int32_t NextUtf8(std::string_view s, size_t& i) {
    auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = at(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int len;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else return -1;
    if (i + len > s.size()) return -1;
    for (int k = 1; k < len; ++k) {
        unsigned char d = at(i + k);
        if ((d & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    i += len;
    return int32_t(cp);
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size())
        if (NextUtf8(s, i) < 0) return false;
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 4);
    for (unsigned char b : cp1252) AppendUtf8(out, Cp1252ToUnicode(b));
    return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out) {
    std::string r;
    r.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        int32_t cp = NextUtf8(utf8, i);
        if (cp < 0) return false;
        int b = UnicodeToCp1252(char32_t(cp));
        if (b < 0) return false;
        r += char(b);
    }
    out = std::move(r);
    return true;
}

std::string Decode(std::string_view stored) {
    if (!HasNonAscii(stored) || IsValidUtf8(stored)) return std::string(stored);
    return Cp1252ToUtf8(stored);
}

std::string Encode(std::string_view utf8) {
    if (!HasNonAscii(utf8)) return std::string(utf8);
    std::string out;
    if (Utf8ToCp1252(utf8, out)) return out;
    return std::string(utf8);
}

}  // namespace kiv::LegacyText
