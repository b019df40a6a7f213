// Any bytes as "kiv.ini" with bookmarked datastructures: reading never fails, every entry
// taken names an existing ".kiv" file once, and what is written back reads back the same.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "engine/core/BookMarkList.h"
#include "engine/core/Navigation.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {
// A program folder with a few datastructures for the entries to find.
const std::string& Folder() {
    static const std::string dir = [] {
        const std::string d = kiv::fuzz::MakeFuzzFolder("bookmarks");
        ::setenv("KIV_HOME", d.c_str(), 1);
        kiv::ResetAppPaths();
        kiv::MakeDirs(d + "Daten/");
        for (const char* f : {"a.kiv", "Daten/Andere.kiv", "template.kiv", "notes.txt"})
            kiv::WriteFileAtomic(d + f, "x");
        return d;
    }();
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "kiv.ini", copy = Folder() + "copy.ini";
    kiv::WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size));
    kiv::TInterBase1 list;
    {
        kiv::IniFile ini(path);
        kiv::LoadBookMarkedDatastructures(ini, list);
    }
    for (int i = 0; i < list.Count(); ++i) {
        if (!kiv::FileExists(list.GetPath(i))) __builtin_trap();
        if (list.IndexOfPath(list.GetPath(i)) != i) __builtin_trap();
    }
    kiv::WriteFileAtomic(copy, "");
    {
        kiv::IniFile out(copy);
        kiv::SaveBookMarkedDatastructures(out, list);
    }
    kiv::TInterBase1 again;
    {
        kiv::IniFile in(copy);
        kiv::LoadBookMarkedDatastructures(in, again);
    }
    if (again.Count() > list.Count()) __builtin_trap();
    for (int i = 0; i < again.Count(); ++i)
        if (list.IndexOfPath(again.GetPath(i)) < 0) __builtin_trap();
    ::unlink(path.c_str());
    ::unlink(copy.c_str());
    return 0;
}
