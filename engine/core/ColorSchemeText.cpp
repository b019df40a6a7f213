#include "engine/core/ColorSchemeText.h"

#include <utility>

#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

std::string ValueOf(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

// Decimal, or hexadecimal after "$" over all 32 bits; false when not a number.
bool SchemeNumber(const std::string& raw, int32_t& out) {
    const std::string s = Trim(raw);
    if (s.empty()) return false;
    if (s[0] == '$') {
        if (s.size() < 2 || s.size() > 9) return false;
        uint32_t v = 0;
        for (size_t i = 1; i < s.size(); ++i) {
            const char c = s[i];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return false;
            v = v * 16 + uint32_t(d);
        }
        out = int32_t(v);
        return true;
    }
    int64_t v;
    if (!TryStrToInt(s, v) || v < INT32_MIN || v > INT32_MAX) return false;
    out = int32_t(v);
    return true;
}

}  // namespace

std::string SchemeSection(const std::string& name) { return "CS_" + name; }

std::vector<std::string> SchemeNames(const IniFile& ini) {
    std::vector<std::string> names;
    for (const std::string& line : ini.ReadSectionValues(kSchemeList))
        names.push_back(ValueOf(line));
    return names;
}

std::string ReadColorScheme(const IniFile& ini, int n) {
    const std::vector<std::string> names = SchemeNames(ini);
    if (n < 0 || n >= int(names.size())) return {};
    std::string text;
    for (const std::string& line : ini.ReadSectionValues(SchemeSection(names[size_t(n)])))
        text += line + "\n";
    return text;
}

bool ParseSchemeValues(const std::string& text, TSchemeValues& values) {
    std::vector<std::pair<std::string, std::string>> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            lines.emplace_back(Trim(line.substr(0, eq)), line.substr(eq + 1));
        from = end + 1;
    }
    auto find = [&](const char* key) -> const std::string* {
        for (const auto& [k, v] : lines)
            if (SameText(k, key)) return &v;
        return nullptr;
    };
    TSchemeValues r;
    auto number = [&](const char* key, int32_t& out) {
        const std::string* v = find(key);
        return v && SchemeNumber(*v, out);
    };
    bool ok = number("BorderColor", r.BorderColor) && number("FocBorderColor", r.FocBorderColor) &&
              number("FocSelRowColor", r.FocSelRowColor) && number("RowColor", r.RowColor) &&
              number("SelRowColor", r.SelRowColor);
    const std::string* name = ok ? find("FontName") : nullptr;
    ok = name && number("FontSize", r.FontSize);
    const std::string* color = ok ? find("FontColor") : nullptr;
    if (!ok || !color) return false;
    r.FontName = Trim(*name).substr(0, 63);
    if (!SchemeNumber(*color, r.FontColor)) r.FontColor = 0;
    values = std::move(r);
    return true;
}

}  // namespace kiv
