#include "mainwindow/schemes/SchemeStore.h"

#include <cstdio>

#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

// The keys in the order they are written.
constexpr const char* kColorKeys[] = {"RowColor", "BorderColor", "SelRowColor", "FocSelRowColor",
                                      "FocBorderColor"};

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

void SetSchemeDefaults(TColorSchemeRec& rec) {
    const TColorSchemeRec d;
    rec.BorderColor = d.BorderColor;
    rec.FocBorderColor = d.FocBorderColor;
    rec.FocSelRowColor = d.FocSelRowColor;
    rec.RowColor = d.RowColor;
    rec.SelRowColor = d.SelRowColor;
    rec.FontName = d.FontName;
    rec.FontSize = d.FontSize;
    rec.FontColor = d.FontColor;
}

bool ParseColorScheme(const std::string& text, TColorSchemeRec& rec) {
    std::vector<std::pair<std::string, std::string>> values;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq != std::string::npos)
            values.emplace_back(Trim(line.substr(0, eq)), line.substr(eq + 1));
        from = end + 1;
    }
    auto find = [&](const char* key) -> const std::string* {
        for (const auto& [k, v] : values)
            if (SameText(k, key)) return &v;
        return nullptr;
    };
    TColorSchemeRec r = rec;
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
    ok = ok && color;
    if (!ok) {
        SetSchemeDefaults(rec);
        return false;
    }
    r.FontName = Trim(*name).substr(0, 63);
    if (!SchemeNumber(*color, r.FontColor)) r.FontColor = 0;
    rec = r;
    return true;
}

std::string SchemeColorText(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%06X", unsigned(uint32_t(c)));
    return buf;
}

void WriteColorScheme(IniFile& ini, const std::string& section, const TColorSchemeRec& rec) {
    const TColor colors[] = {rec.RowColor, rec.BorderColor, rec.SelRowColor, rec.FocSelRowColor,
                             rec.FocBorderColor};
    IniFile::Batch batch(ini);
    for (size_t i = 0; i < std::size(kColorKeys); ++i)
        ini.WriteString(section, kColorKeys[i], SchemeColorText(colors[i]));
    ini.WriteString(section, "FontName", rec.FontName);
    ini.WriteInteger(section, "FontSize", rec.FontSize);
    ini.WriteString(section, "FontColor", SchemeColorText(rec.FontColor));
    batch.Commit();
}

int AddColorScheme(IniFile& ini, const std::string& name, const TColorSchemeRec& rec) {
    const int n = int(SchemeNames(ini).size());
    IniFile::Batch batch(ini);
    ini.WriteString(kSchemeList, std::to_string(n), name);
    WriteColorScheme(ini, SchemeSection(name), rec);
    batch.Commit();
    return n;
}

bool EnsureBuiltInScheme(IniFile& ini) {
    if (!SchemeNames(ini).empty()) return false;
    AddColorScheme(ini, kBuiltInScheme, TColorSchemeRec());
    return true;
}

std::string DeleteColorScheme(IniFile& ini, int i) {
    std::vector<std::string> names = SchemeNames(ini);
    if (i < 0 || i >= int(names.size())) return {};
    const std::string gone = names[size_t(i)];
    names.erase(names.begin() + i);
    IniFile::Batch batch(ini);
    bool named = false;
    for (const std::string& n : names) named = named || SameText(n, gone);
    if (!named) ini.EraseSection(SchemeSection(gone));
    // The list is written again from its keys "0", "1", ...: whatever keys it had, they
    // come out contiguous and in file order.
    ini.EraseSection(kSchemeList);
    for (size_t j = 0; j < names.size(); ++j)
        ini.WriteString(kSchemeList, std::to_string(j), names[j]);
    batch.Commit();
    return gone;
}

}  // namespace kiv
