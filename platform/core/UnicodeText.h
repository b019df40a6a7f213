#pragma once
// Case and word rules for any Unicode letter, from ICU's character properties, so that
// they are the same whatever the machine's locale.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kiv::UnicodeText {

// The simple (one-character) upper case; a character without one is returned as it is.
char32_t UpperChar(char32_t c);
// The simple lower case: the inverse of UpperChar (of several letters with one upper case,
// the lowest code point, so that ASCII letters map to ASCII); others are returned as they are.
char32_t LowerChar(char32_t c);
// Letters, combining marks, decimal digits and connector punctuation ("_"): the characters
// a whole word is made of.
bool IsWordChar(char32_t c);

// UTF-8 -> code points; a byte that does not start a valid sequence stands for itself.
std::u32string ToUtf32(std::string_view utf8);
std::string ToUtf8(std::u32string_view text);
// Every character through UpperChar.
void UpperInPlace(std::u32string& text);
std::string UpperCaseUtf8(std::string_view utf8);
std::string LowerCaseUtf8(std::string_view utf8);

}  // namespace kiv::UnicodeText
