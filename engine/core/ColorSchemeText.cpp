#include "engine/core/ColorSchemeText.h"

#include <utility>

#include "platform/core/IniFile.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

std::string ValueOf(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

// As the ini file reads an integer (the value is the line's rest, so it is trimmed here).
bool SchemeNumber(const std::string& raw, int32_t& out) { return TryIniInteger(Trim(raw), out); }

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
