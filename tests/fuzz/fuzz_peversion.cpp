// Any bytes as a Windows executable, and as a version resource on their own: the reader
// never reads past what it was given, and every string it returns is UTF-8.
#include <cstdint>
#include <string>

#include "platform/core/BlockFile.h"
#include "platform/core/LegacyText.h"
#include "platform/core/PeVersion.h"

namespace {
void Query(const kiv::VersionResource& v) {
    kiv::FixedFileInfo fixed;
    (void)v.Fixed(fixed);
    uint16_t language = 0, codePage = 0;
    (void)v.Translation(language, codePage);
    for (const char* name :
         {"CompanyName", "FileDescription", "FileVersion", "ProductName", "Comments"})
        if (!kiv::LegacyText::IsValidUtf8(v.String(name))) __builtin_trap();
    std::string text;
    if (v.QueryText("\\StringFileInfo\\040904b0\\CompanyName", text) &&
        !kiv::LegacyText::IsValidUtf8(text))
        __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kiv::MemoryBlockFile file(bytes);
    const std::string found = kiv::FindVersionResource(file);
    if (found.size() > 0xFFFF) __builtin_trap();
    if (!found.empty()) Query(kiv::VersionResource(found));
    Query(kiv::VersionResource(bytes));
    return 0;
}
