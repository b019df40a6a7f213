// Reads cards and chains from arbitrary bytes. Input: u32 start address, u8 operation
// selector, then the card file. Damaged files must raise ENesterError, never crash, hang or
// read without bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include <cstdlib>

#include "engine/core/Cards.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"

using namespace kiv;

namespace {

void ReadEverything(MemoryBlockFile& file, uint32_t address) {
    std::string text;
    try {
        ReadCardChain(&file, address, text);
        if (text.size() > file.Size()) __builtin_trap();  // a chain's text lies inside the file
        SplitCaptionCard(text);
        std::string converted;
        ConvertLinkPaths(false, "/base/", text, converted);
        ConvertLinkPaths(true, "/base/", converted, converted);
    } catch (const EKivError&) {
    }
    try {
        TCardArray entries;
        ReadCardDirectory(&file, address, entries);
        for (uint8_t kind = 0; kind <= 6; ++kind) {
            try {
                ReadCardOfKind(&file, entries, kind, text);
                CardOfKindHasText(&file, entries, kind);
            } catch (const EKivError&) {
            }
        }
    } catch (const EKivError&) {
    }
    TDBCards db;
    db.SetCardFile(&file);
    db.LoadDirAddress();
    for (uint8_t kind = 2; kind <= 6; ++kind) {
        try {
            db.ReadCard(kind, text);
        } catch (const EKivError&) {
        }
    }
}

}  // namespace

// Launch cards convert against the program folder: keep it private.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string home = TempDir() + "home/";
    MakeDirs(home);
    setenv("KIV_HOME", home.c_str(), 1);
    ResetAppPaths();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const uint32_t address = GetU32(data);
    const uint8_t op = data[4];
    MemoryBlockFile file(std::string(reinterpret_cast<const char*>(data) + 5, size - 5));
    ReadEverything(file, address);

    // Writing over whatever the address names, then reading it back.
    TCards cards;
    cards.SetCardFile(&file);
    const std::string text(size_t(op) * 7 % 600, char('a' + op % 26));
    try {
        uint32_t dir = address;
        switch (op % 4) {
        case 0: {
            uint32_t first = address;
            WriteCardChain(&file, first, text);
            break;
        }
        case 1: (void)cards.WriteCard(uint8_t(op % 7), dir, text); break;
        case 2: (void)cards.AppendToCard(dir, kCardLaunch, "/base/x\x01y\r\n"); break;
        case 3: cards.HasCard(dir, uint8_t(op % 7)); break;
        }
        std::string back;
        cards.ReadCard(uint8_t(op % 7), dir, back);
    } catch (const EKivError&) {
    }
    ReadEverything(file, address);
    return 0;
}
