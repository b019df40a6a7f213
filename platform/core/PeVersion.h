#pragma once
// The version resource of Windows executables (PE images): found in the resource
// section, then read as the tree of version blocks that VerQueryValue walks. Every
// offset and length comes from the file and is checked before it is used; a damaged or
// hostile file gives "no version resource", never a read past its bounds.
#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {

class BlockFile;

// The fixed part of a version resource (the root block "\").
struct FixedFileInfo {
    uint32_t StrucVersion = 0;
    uint32_t FileVersionMS = 0;
    uint32_t FileVersionLS = 0;
    uint32_t ProductVersionMS = 0;
    uint32_t ProductVersionLS = 0;
    uint32_t FileFlagsMask = 0;
    uint32_t FileFlags = 0;
    uint32_t FileOS = 0;
    uint32_t FileType = 0;
    uint32_t FileSubtype = 0;
    uint32_t FileDateMS = 0;
    uint32_t FileDateLS = 0;
};

// File flag bits of the fixed information.
constexpr uint32_t vsDebug = 0x01;
constexpr uint32_t vsPreRelease = 0x02;
constexpr uint32_t vsPatched = 0x04;
constexpr uint32_t vsPrivateBuild = 0x08;
constexpr uint32_t vsInfoInferred = 0x10;
constexpr uint32_t vsSpecialBuild = 0x20;

// The version resource's bytes (VS_VERSIONINFO), or empty when the file is no PE image
// or has none. Only the first type-16 resource is taken, in its first name and language.
std::string FindVersionResource(BlockFile& file);

// A version resource held in memory, queried with VerQueryValue's paths: "\" for the
// fixed information, "\VarFileInfo\Translation", "\StringFileInfo\040904b0\CompanyName".
// Block names compare without regard to ASCII case, as Windows compares them.
class VersionResource {
public:
    explicit VersionResource(std::string bytes) : bytes_(std::move(bytes)) {}

    bool Empty() const { return bytes_.empty(); }
    bool Fixed(FixedFileInfo& info) const;
    // The first entry of the translation table.
    bool Translation(uint16_t& language, uint16_t& codePage) const;
    // The value of a text block as UTF-8 (up to its terminating zero); false when the
    // path names no block.
    bool QueryText(std::string_view path, std::string& value) const;
    // The raw value bytes of any block.
    bool QueryValue(std::string_view path, std::string_view& value) const;

    // A version string as the program reads it: the first translation gives the string
    // table "llllcccc" (hexadecimal, lower case); empty when anything is missing.
    std::string String(std::string_view name) const;

private:
    std::string bytes_;
};

// The program's code for a file type and subtype of the fixed information. Types and
// subtypes we have no code for give the code of their "unknown" kind.
uint8_t FileTypeCode(uint32_t fileType, uint32_t fileSubtype);
// A flag counts when its bit is set both in the mask and in the flags.
inline bool VersionFlag(const FixedFileInfo& info, uint32_t bit) {
    return (info.FileFlagsMask & info.FileFlags & bit) != 0;
}

}  // namespace kiv
