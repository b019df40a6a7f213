#include "platform/core/RtfTokenizer.h"
#include "platform/core/KivStrings.h"

#include <limits>

namespace kiv {

namespace {

bool IsTextByte(char c) {
    return c != '\\' && c != '{' && c != '}' && c != '\r' && c != '\n' && c != '\0';
}

}  // namespace

RtfToken RtfTokenizer::Next() {
    RtfToken t;
    const size_t n = data_.size();
    // CR, LF and NUL between tokens carry nothing.
    while (pos_ < n && (data_[pos_] == '\r' || data_[pos_] == '\n' || data_[pos_] == '\0')) ++pos_;
    t.offset = pos_;
    if (pos_ >= n) return t;

    const char c = data_[pos_];
    if (c == '{') {
        ++pos_;
        t.kind = RtfTokenKind::GroupOpen;
        return t;
    }
    if (c == '}') {
        ++pos_;
        t.kind = RtfTokenKind::GroupClose;
        return t;
    }
    if (c != '\\') {
        size_t end = pos_ + 1;
        while (end < n && IsTextByte(data_[end])) ++end;
        t.kind = RtfTokenKind::Text;
        t.text = data_.substr(pos_, end - pos_);
        pos_ = end;
        return t;
    }

    // A backslash.
    ++pos_;
    if (pos_ >= n) return t;  // a lone backslash at the end: nothing
    const char d = data_[pos_];
    if (!RtfIsLetter(d)) {
        ++pos_;
        if (d == '\'') {
            // \'hh: up to two hex digits; none makes an empty symbol the reader ignores.
            int v = 0, digits = 0;
            while (digits < 2 && pos_ < n && HexDigitValue(data_[pos_]) >= 0) {
                v = v * 16 + HexDigitValue(data_[pos_]);
                ++pos_;
                ++digits;
            }
            if (digits == 0) {
                t.kind = RtfTokenKind::ControlSymbol;
                t.symbol = '\'';
                return t;
            }
            t.kind = RtfTokenKind::HexByte;
            t.byte = uint8_t(v);
            return t;
        }
        t.kind = RtfTokenKind::ControlSymbol;
        t.symbol = (d == '\r' || d == '\n') ? '\n' : d;
        return t;
    }

    size_t end = pos_;
    while (end < n && RtfIsLetter(data_[end])) ++end;
    t.kind = RtfTokenKind::ControlWord;
    t.word = data_.substr(pos_, end - pos_);
    pos_ = end;
    bool negative = false;
    if (pos_ + 1 < n && data_[pos_] == '-' && RtfIsDigit(data_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    if (pos_ < n && RtfIsDigit(data_[pos_])) {
        // Every digit is consumed; the value saturates instead of overflowing.
        int64_t v = 0;
        while (pos_ < n && RtfIsDigit(data_[pos_])) {
            if (v <= int64_t(std::numeric_limits<int32_t>::max()) + 1)
                v = v * 10 + (data_[pos_] - '0');
            ++pos_;
        }
        if (negative) v = -v;
        if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
        if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
        t.hasParam = true;
        t.param = int32_t(v);
    }
    if (pos_ < n && data_[pos_] == ' ') ++pos_;

    if (t.word == "bin") {
        // The data follows the delimiter; a length past the end takes what is there.
        size_t len = t.hasParam && t.param > 0 ? size_t(t.param) : 0;
        if (len > n - pos_) len = n - pos_;
        t.kind = RtfTokenKind::Binary;
        t.text = data_.substr(pos_, len);
        pos_ += len;
    }
    return t;
}

size_t RtfTokenizer::SkipGroup() {
    size_t depth = 1;
    for (;;) {
        RtfToken t = Next();
        switch (t.kind) {
        case RtfTokenKind::End: return depth;
        case RtfTokenKind::GroupOpen: ++depth; break;
        case RtfTokenKind::GroupClose:
            if (--depth == 0) return 0;
            break;
        default: break;
        }
    }
}

}  // namespace kiv
