// Any text as the files autoregistration's "Selected types": the list is sorted, without
// duplicates, every type a "." and more; the filter takes any file name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/FileRegistration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> types = kiv::ParseFileTypes(text);
    if (!std::is_sorted(types.begin(), types.end())) __builtin_trap();
    if (std::adjacent_find(types.begin(), types.end()) != types.end()) __builtin_trap();
    for (const std::string& t : types)
        if (t.size() < 2 || t[0] != '.') __builtin_trap();
    (void)kiv::PassesTypeFilter(types, text);
    if (!kiv::PassesTypeFilter({}, text)) __builtin_trap();  // no types: every file passes
    return 0;
}
