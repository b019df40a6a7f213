#pragma once
// The lexical layer of RTF: braces, control words with their parameters, control
// symbols, \'hh bytes, \bin data and runs of plain bytes. It never fails: damaged input
// becomes tokens that the reader can ignore, and every token consumes at least one byte,
// so a pass over any input ends in time linear in its length.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kiv {

enum class RtfTokenKind : uint8_t {
    End,            // no input left
    GroupOpen,      // {
    GroupClose,     // }
    ControlWord,    // \letters[-digits] with an optional space delimiter
    ControlSymbol,  // \ and one character that is not a letter (\~ \- \* \\ ...)
    HexByte,        // \'hh
    Binary,         // \binN and its N bytes (text holds them)
    Text,           // bytes other than \ { } CR LF NUL
};

struct RtfToken {
    RtfTokenKind kind = RtfTokenKind::End;
    std::string_view word;  // ControlWord: the letters
    bool hasParam = false;  // ControlWord
    int32_t param = 0;      // ControlWord: saturated to the 32-bit range
    char symbol = 0;        // ControlSymbol; a line break after the backslash gives '\n'
    uint8_t byte = 0;       // HexByte
    std::string_view text;  // Text, Binary
    size_t offset = 0;      // where the token starts in the input
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view data, size_t start = 0) : data_(data), pos_(start) {}

    RtfToken Next();

    // Skips the rest of the group the reader is in (its '{' already read): stops past the
    // '}' that closes it. Returns how many closing braces were missing when the input
    // ended first (0 for a whole group).
    size_t SkipGroup();

    size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    std::string_view Data() const { return data_; }

private:
    std::string_view data_;
    size_t pos_;
};

inline bool RtfIsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool RtfIsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace kiv
