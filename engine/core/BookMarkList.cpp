#include "engine/core/BookMarkList.h"

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "platform/core/SamePath.h"

namespace kiv {

const char* const kBookMarkedSection = "BookMarked DBs";
const char* const kBookMarkSeparator = "_~^_";

namespace {

std::string FileNameOf(const std::string& path) {
    size_t p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}
std::string ExtensionOf(const std::string& path) {
    std::string name = FileNameOf(path);
    size_t p = name.rfind('.');
    return p == std::string::npos ? std::string() : name.substr(p);
}

}  // namespace

void LoadBookMarkedDatastructures(const IniFile& ini, TInterBase1& list) {
    const std::string& base = RelativePathBase();
    for (const std::string& key : ini.ReadSection(kBookMarkedSection)) {
        const std::string value = ini.ReadString(kBookMarkedSection, key, "");
        const size_t p = value.find(kBookMarkSeparator);
        if (p == std::string::npos) continue;
        const std::string name = value.substr(0, p);
        const std::string stored = value.substr(p + 4);
        const std::string path = ResolveRelativePath(base, stored);
        if (path.empty() || !FileExists(path)) continue;
        if (LowerCase(FileNameOf(path)) == "template.kiv") continue;
        if (LowerCase(ExtensionOf(path)) != ".kiv") continue;
        if (list.IndexOfPath(path) >= 0) continue;
        const int i = list.Add(path);
        list.SetName(i, name);
        list.BookMark(i)->StoredAs = stored;
    }
}

void SaveBookMarkedDatastructures(IniFile& ini, const TInterBase1& list) {
    ini.EraseSection(kBookMarkedSection);
    const std::string& base = RelativePathBase();
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& kept = list.BookMark(i)->StoredAs;
        const bool unchanged =
            !kept.empty() && SamePath(ResolveRelativePath(base, kept), list.GetPath(i));
        const std::string value = list.GetName(i) + kBookMarkSeparator +
                                  (unchanged ? kept : MakeRelativePath(base, list.GetPath(i)));
        // A line break would come back as another name.
        if (IniFile::FitsOneLine(value)) ini.WriteString(kBookMarkedSection, IntToStr(i), value);
    }
}

}  // namespace kiv
