// Any bytes as the Recycled Bin's card: loading never fails, and what it keeps is stored
// and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/RecycledBin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kiv::TRecycledBin bin;
    bin.LoadFromString(bytes);
    if (bin.Trails.Count() > 0 && bin.Trails.Count() != bin.Count()) __builtin_trap();
    const std::string saved = bin.SaveToString();
    kiv::TRecycledBin again;
    again.LoadFromString(saved);
    if (again.Count() != bin.Count() || again.SaveToString() != saved) __builtin_trap();
    for (int i = 0; i < bin.Count(); ++i)
        if (!(again.GetItem(i) == bin.GetItem(i))) __builtin_trap();
    return 0;
}
