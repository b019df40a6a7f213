#pragma once
// Small Windows executables made in memory for the version-resource tests: one ".rsrc"
// section holding a version resource, laid out as linkers write them.
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/PeVersion.h"

namespace kiv::test {

inline std::string Utf16Z(std::string_view utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const int32_t d = LegacyText::NextUtf8(utf8, i);
        char32_t c = d < 0 ? (++i, 0xFFFD) : char32_t(d);
        auto put = [&](uint32_t u) { out += char(u & 0xFF), out += char(u >> 8); };
        if (c >= 0x10000) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    out.append(2, '\0');
    return out;
}

inline void Pad4(std::string& s) {
    while (s.size() % 4) s += '\0';
}

// One block of the version tree: length, value length, type, key, value, children.
inline std::string VersionBlock(std::string_view key, uint16_t type, const std::string& value,
                                uint16_t valueLength,
                                const std::vector<std::string>& children = {}) {
    std::string b(6, '\0');
    b += Utf16Z(key);
    Pad4(b);
    b += value;
    for (const std::string& c : children) {
        Pad4(b);
        b += c;
    }
    PutU16(&b[0], uint16_t(b.size()));
    PutU16(&b[2], valueLength);
    PutU16(&b[4], type);
    return b;
}

inline std::string TextBlock(std::string_view key, std::string_view text) {
    std::string v = Utf16Z(text);
    return VersionBlock(key, 1, v, uint16_t(v.size() / 2));
}

struct VersionInput {
    bool withFixed = true;
    FixedFileInfo fixed{};
    bool withTranslation = true;
    uint16_t language = 0x0409, codePage = 0x04B0;
    std::string tableKey = "040904B0";  // upper case, as resource compilers write it
    std::vector<std::pair<std::string, std::string>> strings;
};

inline std::string FixedBytes(const FixedFileInfo& f) {
    std::string v;
    for (uint32_t x : {0xFEEF04BDu, f.StrucVersion, f.FileVersionMS, f.FileVersionLS,
                       f.ProductVersionMS, f.ProductVersionLS, f.FileFlagsMask, f.FileFlags,
                       f.FileOS, f.FileType, f.FileSubtype, f.FileDateMS, f.FileDateLS})
        AppendU32(v, x);
    return v;
}

inline std::string VersionInfo(const VersionInput& input) {
    std::vector<std::string> strings;
    for (const auto& [k, v] : input.strings) strings.push_back(TextBlock(k, v));
    std::vector<std::string> children{
        VersionBlock("StringFileInfo", 1, "", 0,
                     {VersionBlock(input.tableKey, 1, "", 0, strings)})};
    if (input.withTranslation) {
        std::string t;
        AppendU32(t, uint32_t(input.language) | uint32_t(input.codePage) << 16);
        children.push_back(
            VersionBlock("VarFileInfo", 1, "", 0, {VersionBlock("Translation", 0, t, 4)}));
    }
    const std::string fixed = input.withFixed ? FixedBytes(input.fixed) : std::string();
    return VersionBlock("VS_VERSION_INFO", 0, fixed, uint16_t(fixed.size()), children);
}

// Where the parts of the made image lie, for tests that damage them.
struct PeLayout {
    static constexpr size_t kPeHeader = 0x40;
    static constexpr size_t kOptionalHeader = kPeHeader + 24;
    size_t sectionTable = 0;
    static constexpr size_t kRaw = 0x200;     // the resource section's bytes
    static constexpr uint32_t kRva = 0x1000;  // ... and its address in memory
    static constexpr size_t kNameDir = 24, kLanguageDir = 48, kDataEntry = 72, kData = 88;
};

// A PE32 (or PE32+) image whose resource section holds resource as type 16, name 1,
// language 0x409.
inline std::string PeImage(const std::string& resource, bool pe64 = false,
                           PeLayout* layout = nullptr) {
    const size_t optSize = pe64 ? 240 : 224;
    std::string img(PeLayout::kRaw, '\0');
    img[0] = 'M', img[1] = 'Z';
    PutU32(&img[0x3C], PeLayout::kPeHeader);
    img.replace(PeLayout::kPeHeader, 4, std::string("PE\0\0", 4));
    char* coff = &img[PeLayout::kPeHeader + 4];
    PutU16(coff + 0, pe64 ? 0x8664 : 0x14C);
    PutU16(coff + 2, 1);  // sections
    PutU16(coff + 16, uint16_t(optSize));
    PutU16(coff + 18, 0x0102);
    char* opt = &img[PeLayout::kOptionalHeader];
    PutU16(opt, pe64 ? 0x20B : 0x10B);
    const size_t countAt = pe64 ? 108 : 92, dirsAt = pe64 ? 112 : 96;
    PutU32(opt + countAt, 16);
    std::string rsrc(PeLayout::kData, '\0');
    auto dir = [&](size_t at, uint32_t name, uint32_t target) {
        PutU16(&rsrc[at + 14], 1);  // one ID entry
        PutU32(&rsrc[at + 16], name);
        PutU32(&rsrc[at + 20], target);
    };
    dir(0, 16, 0x80000000u | PeLayout::kNameDir);
    dir(PeLayout::kNameDir, 1, 0x80000000u | PeLayout::kLanguageDir);
    dir(PeLayout::kLanguageDir, 0x409, PeLayout::kDataEntry);
    PutU32(&rsrc[PeLayout::kDataEntry], PeLayout::kRva + PeLayout::kData);
    PutU32(&rsrc[PeLayout::kDataEntry + 4], uint32_t(resource.size()));
    rsrc += resource;
    PutU32(opt + dirsAt + 16, PeLayout::kRva);
    PutU32(opt + dirsAt + 20, uint32_t(rsrc.size()));
    const size_t table = PeLayout::kOptionalHeader + optSize;
    char* s = &img[table];
    std::memcpy(s, ".rsrc", 5);
    PutU32(s + 8, uint32_t(rsrc.size()));  // virtual size
    PutU32(s + 12, PeLayout::kRva);
    PutU32(s + 16, uint32_t(rsrc.size()));  // raw size
    PutU32(s + 20, PeLayout::kRaw);
    PutU32(s + 36, 0x40000040u);
    img += rsrc;
    if (layout) layout->sectionTable = table;
    return img;
}

}  // namespace kiv::test
