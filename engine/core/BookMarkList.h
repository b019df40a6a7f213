#pragma once
// The bookmarked datastructures as "kiv.ini" keeps them, in section "BookMarked DBs".
#include "platform/core/IniFile.h"

namespace kiv {

class TInterBase1;

extern const char* const kBookMarkedSection;  // "BookMarked DBs"
extern const char* const kBookMarkSeparator;  // "_~^_"

// "name_~^_path" per key, in file order. An entry is taken when its file exists (found
// without regard to letter case when written on Windows), is a ".kiv" file other than
// "template.kiv" and is not listed yet; it keeps the path as stored.
void LoadBookMarkedDatastructures(const IniFile& ini, TInterBase1& list);
// The section erased, then key i := name(i) "_~^_" path(i): as stored while it still names
// the file, else made relative.
void SaveBookMarkedDatastructures(IniFile& ini, const TInterBase1& list);

}  // namespace kiv
