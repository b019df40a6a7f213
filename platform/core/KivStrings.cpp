#include "platform/core/KivStrings.h"

#include <limits>

namespace kiv {

static bool Blank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && Blank(s[b])) ++b;
    while (e > b && Blank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && Blank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && Blank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> out;
    size_t start = 0, i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\r' || c == '\n') {
            out.emplace_back(s.substr(start, i - start));
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < s.size()) out.emplace_back(s.substr(start));
    return out;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

static char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
static char Low(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = Up(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = Low(c);
    return r;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Up(a[i]) != Up(b[i])) return false;
    return true;
}

bool StartsText(std::string_view prefix, std::string_view s) {
    return s.size() >= prefix.size() && SameText(prefix, s.substr(0, prefix.size()));
}

bool EndsText(std::string_view suffix, std::string_view s) {
    return s.size() >= suffix.size() && SameText(suffix, s.substr(s.size() - suffix.size()));
}

size_t PosText(std::string_view needle, std::string_view hay, size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    for (size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (SameText(needle, hay.substr(i, needle.size()))) return i;
    return std::string_view::npos;
}

std::string IntToStr(int64_t v) { return std::to_string(v); }

bool TryStrToInt(std::string_view s, int64_t& v) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t acc = 0;
    const uint64_t limit = neg ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                               : uint64_t(std::numeric_limits<int64_t>::max());
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d = HexDigitValue(c);
        if (d < 0 || d >= base) return false;
        if (acc > (limit - d) / base) return false;
        acc = acc * base + d;
    }
    v = neg ? int64_t(0 - acc) : int64_t(acc);
    return true;
}

int64_t StrToIntDef(std::string_view s, int64_t def) {
    int64_t v;
    return TryStrToInt(s, v) ? v : def;
}

}  // namespace kiv
