// Nest walks over arbitrary outline files: no crash, hang or unbounded allocation, and a
// rewrite that succeeds reads back exactly.
//
// Input: u32 nest, i32 index, u8 operation bits, then the outline file's bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/NestFunctions.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"

using namespace kiv;

namespace {

TItemArray MakeItems(size_t n, uint32_t seed) {
    TItemArray v(n);
    for (size_t i = 0; i < n; ++i) v[i] = {uint32_t(seed + i), uint32_t(seed ^ i)};
    return v;
}

// Small counts mostly; now and then one that needs more than one block.
size_t ItemCount(uint8_t ops) { return (ops & 0xE0) == 0xE0 ? 65529 + (ops & 7) : (ops & 15); }

template <class Fn>
void Guarded(Fn&& fn) {
    try {
        fn();
    } catch (const EKivError&) {
        // ENesterError for damaged chains, EFileError for a file that would pass 2 GiB.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    const uint32_t nest = GetU32(data);
    const int index = int32_t(GetU32(data + 4));
    const uint8_t ops = data[8];
    const std::string bytes(reinterpret_cast<const char*>(data + 9), size - 9);

    MemoryBlockFile file(bytes);
    TItemArray items;
    TNestItem it;

    // Reads: the given nest, the root nest and one level of children below it.
    Guarded([&] { ReadNestItems(&file, nest, items); });
    Guarded([&] { (void)GetNestItem(&file, nest, index, it); });
    Guarded([&] { (void)CheckNestItem(&file, nest, index, it); });
    Guarded([&] {
        TItemArray top;
        ReadNestItems(&file, ReadRootNest(&file), top);
        for (size_t i = 0; i < top.size() && i < 8; ++i) {
            TItemArray children;
            Guarded([&] { ReadNestItems(&file, top[i].ChildNest, children); });
        }
    });
    if (file.Bytes() != bytes) std::abort();  // reading never writes

    const TItemArray added = MakeItems(ItemCount(ops), nest);

    if (ops & 1) {
        MemoryBlockFile copy(bytes);
        Guarded([&] { AddNestItems(&copy, nest, added); });
    }
    if (ops & 2) {
        MemoryBlockFile copy(bytes);
        Guarded([&] { (void)SetNestItem(&copy, nest, index, it); });
    }
    if (ops & 4) {
        MemoryBlockFile copy(bytes);
        Guarded([&] { InsertNestItems(&copy, nest, index, added); });
    }
    if (ops & 8) {
        MemoryBlockFile copy(bytes);
        const TItemArray& want = (ops & 16) ? items : added;
        bool written = false;
        Guarded([&] {
            WriteNestItems(&copy, nest, want);
            written = true;
        });
        if (written && NestFollowed(nest)) {
            TItemArray back;
            bool read = false;
            Guarded([&] {
                ReadNestItems(&copy, nest, back);
                read = true;
            });
            if (read && back != want) std::abort();
        }
    }
    return 0;
}
