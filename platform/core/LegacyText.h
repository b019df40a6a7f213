#pragma once
// The codec at the storage boundary. Files written on Windows hold Windows-1252 text;
// ours hold Windows-1252 when every character fits, else UTF-8.
//  read:  valid UTF-8 that contains non-ASCII bytes is UTF-8, anything else Windows-1252
//  write: Windows-1252 when every character fits, else UTF-8
// Every byte of Windows-1252 round-trips (the five unassigned bytes map to U+0081 etc.).
#include <cstdint>
#include <string>
#include <string_view>

namespace kiv::LegacyText {

char32_t Cp1252ToUnicode(uint8_t b);
// The Windows-1252 byte of a code point, or -1 when it has none.
int UnicodeToCp1252(char32_t c);

bool HasNonAscii(std::string_view s);
bool IsValidUtf8(std::string_view s);

std::string Cp1252ToUtf8(std::string_view cp1252);
// false (and out unchanged) when a character does not fit Windows-1252.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

// Stored bytes -> UTF-8.
std::string Decode(std::string_view stored);
// UTF-8 -> stored bytes.
std::string Encode(std::string_view utf8);

// Decodes one UTF-8 sequence at s[i]; on success advances i and returns the code point,
// else returns -1 and leaves i.
int32_t NextUtf8(std::string_view s, size_t& i);
void AppendUtf8(std::string& out, char32_t c);

}  // namespace kiv::LegacyText
