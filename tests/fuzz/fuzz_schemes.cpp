// Any bytes as "kiv.ini" with colour schemes: every listed scheme reads without failing,
// and a scheme that parses parses the same from its own values written out again.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "engine/core/ColorSchemeText.h"
#include "platform/core/BlockFile.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {
const std::string& Folder() {
    static const std::string dir = kiv::fuzz::MakeFuzzFolder("schemes");
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "kiv.ini";
    kiv::WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size));
    kiv::IniFile ini(path);
    const int n = int(kiv::SchemeNames(ini).size());
    for (int i = 0; i <= n && i < 64; ++i) {
        const std::string text = kiv::ReadColorScheme(ini, i);
        if (i == n && !text.empty()) __builtin_trap();  // no scheme past the list
        kiv::TSchemeValues v;
        if (!kiv::ParseSchemeValues(text, v)) continue;
        if (v.FontName.size() > 63) __builtin_trap();
        const std::string again = "RowColor=" + std::to_string(v.RowColor) +
                                  "\nBorderColor=" + std::to_string(v.BorderColor) +
                                  "\nSelRowColor=" + std::to_string(v.SelRowColor) +
                                  "\nFocSelRowColor=" + std::to_string(v.FocSelRowColor) +
                                  "\nFocBorderColor=" + std::to_string(v.FocBorderColor) +
                                  "\nFontName=" + v.FontName +
                                  "\nFontSize=" + std::to_string(v.FontSize) +
                                  "\nFontColor=" + std::to_string(v.FontColor) + "\n";
        kiv::TSchemeValues w;
        if (!kiv::ParseSchemeValues(again, w) || w.RowColor != v.RowColor ||
            w.FontSize != v.FontSize || w.FontColor != v.FontColor)
            __builtin_trap();
    }
    ::unlink(path.c_str());
    return 0;
}
