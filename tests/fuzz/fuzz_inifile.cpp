// Any bytes as "kiv.ini": reading never fails, and a write changes only what it must —
// every other byte of the file stays where it was.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/core/BlockFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/KivStrings.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {
const std::string& Folder() {
    static const std::string dir = kiv::fuzz::MakeFuzzFolder("ini");
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "kiv.ini";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kiv::WriteFileAtomic(path, bytes);
    kiv::IniFile ini(path);
    for (const std::string& s : ini.ReadSections()) {
        for (const std::string& k : ini.ReadSection(s)) {
            if (!ini.ValueExists(s, k)) __builtin_trap();
            (void)ini.ReadInteger(s, k, 0);
        }
        (void)ini.ReadSectionValues(s);
    }
    // Deleting a key that is not there leaves the file untouched.
    if (!ini.ValueExists("Fuzz Section", "No Such Key")) {
        ini.DeleteKey("Fuzz Section", "No Such Key");
        if (kiv::ReadWholeFile(path) != bytes) __builtin_trap();
    }
    // A new section goes at the end: everything before it is the old file.
    bool had = false;
    for (const std::string& s : ini.ReadSections()) had = had || kiv::SameText(s, "Fuzz Section");
    ini.WriteString("Fuzz Section", "Key", "Value");
    if (!had && kiv::ReadWholeFile(path).compare(0, bytes.size(), bytes) != 0) __builtin_trap();
    if (ini.ReadString("fuzz section", "KEY", "") != "Value") __builtin_trap();
    ::unlink(path.c_str());
    return 0;
}
