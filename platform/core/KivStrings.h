#pragma once
// String helpers on stored bytes, with the class library's semantics where the program leans on them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Removes every character up to 0x20 from both ends (not only white space).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Splits at CR, LF or CR LF. A final line break does not start another line, so
// "a\r\nb\r\n" and "a\r\nb" both give {"a","b"}; "" gives {}.
std::vector<std::string> SplitLines(std::string_view s);
// Each line followed by CR LF, as a string list's text.
std::string JoinLines(const std::vector<std::string>& lines);

// ASCII case folding; other bytes are left as they are.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);
// Position of needle in hay without regard to ASCII case, or npos.
size_t PosText(std::string_view needle, std::string_view hay, size_t from = 0);

// The value of a hexadecimal digit, or -1.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string IntToStr(int64_t v);
// Strict: optional sign, then decimal digits, or "$"/"0x" and hex digits; nothing else.
bool TryStrToInt(std::string_view s, int64_t& v);
int64_t StrToIntDef(std::string_view s, int64_t def);

// Little-endian byte access for stored blobs.
inline uint32_t GetU32(const void* p) {
    auto* b = static_cast<const unsigned char*>(p);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
inline uint16_t GetU16(const void* p) {
    auto* b = static_cast<const unsigned char*>(p);
    return uint16_t(b[0] | b[1] << 8);
}
inline void PutU32(void* p, uint32_t v) {
    auto* b = static_cast<unsigned char*>(p);
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
    b[2] = uint8_t(v >> 16);
    b[3] = uint8_t(v >> 24);
}
inline void PutU16(void* p, uint16_t v) {
    auto* b = static_cast<unsigned char*>(p);
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
}
inline void AppendU32(std::string& s, uint32_t v) {
    char b[4];
    PutU32(b, v);
    s.append(b, 4);
}

}  // namespace kiv
