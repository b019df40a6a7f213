#pragma once
// The colour schemes as "kiv.ini" keeps them: section "ColorSchemes" lists the names under
// the keys "0", "1", ... (kept contiguous), and section "CS_" + name holds each scheme's
// values, colours as "$" + upper-case hexadecimal of at least six digits.
//
// Scheme n is the n-th line of "ColorSchemes" in file order; one section may be named by
// several lines (a name saved twice), and it stays while any line still names it.
#include <string>
#include <vector>

#include "engine/core/ColorSchemeText.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/IniFile.h"

namespace kiv {

// Takes the scheme values of ReadColorScheme's text into rec. Any missing key or colour or
// size that is not a number gives every field its default and false. A FontColor that is
// not a number reads as 0; FontName keeps at most 63 characters. RowLines and the first
// field are left alone.
bool ParseColorScheme(const std::string& text, TColorSchemeRec& rec);
// The fields a scheme sets, as an unreadable scheme has them.
void SetSchemeDefaults(TColorSchemeRec& rec);

// "$" + hexadecimal, upper case, at least six digits (eight for a system colour).
std::string SchemeColorText(TColor c);
// Writes the scheme's values into the section in their fixed order, in one replace.
void WriteColorScheme(IniFile& ini, const std::string& section, const TColorSchemeRec& rec);
// Appends name as the last line of the list and writes its section; returns its number.
int AddColorScheme(IniFile& ini, const std::string& name, const TColorSchemeRec& rec);
// A list without a scheme gets the program's own colours (the defaults) as its first line,
// "Default", a name no one can save under: the first scheme cannot be deleted, so every
// scheme the user saves can be. A list that has schemes stays as it is. Returns whether
// it wrote.
inline constexpr const char* kBuiltInScheme = "Default";
bool EnsureBuiltInScheme(IniFile& ini);
// Removes line i of the list and closes the gap in the keys; the section goes unless
// another line still names it. Returns the removed name ("" when there is no line i).
std::string DeleteColorScheme(IniFile& ini, int i);

}  // namespace kiv
