#pragma once
// The colour schemes' stored form, read without widgets: section "ColorSchemes" lists the
// names under the keys "0", "1", ..., section "CS_" + name holds each scheme's values,
// colours as decimal or "$" + hexadecimal (Windows values, 0x00BBGGRR).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/IniFile.h"

namespace kiv {

inline constexpr const char* kSchemeList = "ColorSchemes";
std::string SchemeSection(const std::string& name);

// The scheme names, line by line in file order.
std::vector<std::string> SchemeNames(const IniFile& ini);

// The lines of scheme n's section as "key=value", one per line; "" when the list has not
// more than n lines.
std::string ReadColorScheme(const IniFile& ini, int n);

// What a scheme sets.
struct TSchemeValues {
    int32_t RowColor = 0, BorderColor = 0, SelRowColor = 0, FocSelRowColor = 0, FocBorderColor = 0;
    int32_t FontSize = 0;
    int32_t FontColor = 0;
    std::string FontName;
};
// The values of ReadColorScheme's text; false when a key is missing or a colour or the size
// is not a number (values then unspecified). A FontColor that is not a number reads as 0;
// FontName is trimmed and keeps at most 63 characters.
bool ParseSchemeValues(const std::string& text, TSchemeValues& values);

}  // namespace kiv
