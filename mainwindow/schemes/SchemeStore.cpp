#include "mainwindow/schemes/SchemeStore.h"

#include <cstdio>

#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

// The keys in the order they are written.
constexpr const char* kColorKeys[] = {"RowColor", "BorderColor", "SelRowColor", "FocSelRowColor",
                                      "FocBorderColor"};

void TakeSchemeValues(const TSchemeValues& v, TColorSchemeRec& rec) {
    rec.BorderColor = v.BorderColor;
    rec.FocBorderColor = v.FocBorderColor;
    rec.FocSelRowColor = v.FocSelRowColor;
    rec.RowColor = v.RowColor;
    rec.SelRowColor = v.SelRowColor;
    rec.FontName = v.FontName;
    rec.FontSize = v.FontSize;
    rec.FontColor = v.FontColor;
}

}  // namespace

void SetSchemeDefaults(TColorSchemeRec& rec) {
    const TColorSchemeRec d;
    TakeSchemeValues({d.RowColor, d.BorderColor, d.SelRowColor, d.FocSelRowColor, d.FocBorderColor,
                      d.FontSize, d.FontColor, d.FontName},
                     rec);
}

bool ParseColorScheme(const std::string& text, TColorSchemeRec& rec) {
    TSchemeValues v;
    const bool ok = ParseSchemeValues(text, v);
    if (ok) TakeSchemeValues(v, rec);
    else SetSchemeDefaults(rec);
    return ok;
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
