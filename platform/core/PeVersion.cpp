#include "platform/core/PeVersion.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv {

namespace {

// VS_VERSIONINFO's length is 16 bits; nothing larger is a version resource.
constexpr uint32_t kMaxVersionResource = 0xFFFF;
// The Windows loader refuses images with more sections.
constexpr uint16_t kMaxSections = 96;
constexpr uint16_t kRtVersion = 16;
constexpr uint32_t kFixedSignature = 0xFEEF04BD;

// Reads n bytes at off, or nothing when they are not all there.
bool ReadBytes(BlockFile& f, uint64_t off, size_t n, std::string& out) {
    if (off > f.Size() || n > f.Size() - off) return false;
    out.assign(n, '\0');
    return n == 0 || f.ReadExact(off, out.data(), n);
}

struct Section {
    uint32_t va, virtualSize, rawSize, rawOffset;
};

// The image as far as the resource lookup needs it: where each RVA lies in the file.
class PeImage {
public:
    explicit PeImage(BlockFile& f) : f_(f) {}

    bool Load(uint32_t& resourceRva) {
        std::string dos;
        if (!ReadBytes(f_, 0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
        const uint64_t pe = GetU32(&dos[0x3C]);
        std::string hdr;
        if (!ReadBytes(f_, pe, 24, hdr) || hdr.compare(0, 4, std::string("PE\0\0", 4)) != 0)
            return false;
        const uint16_t sections = GetU16(&hdr[6]);
        const uint16_t optSize = GetU16(&hdr[20]);
        if (sections == 0 || sections > kMaxSections) return false;
        std::string opt;
        if (!ReadBytes(f_, pe + 24, optSize, opt) || optSize < 2) return false;
        size_t countAt, dirsAt;
        switch (GetU16(&opt[0])) {
        case 0x10B: countAt = 92, dirsAt = 96; break;    // PE32
        case 0x20B: countAt = 108, dirsAt = 112; break;  // PE32+
        default: return false;
        }
        const size_t resourceDir = dirsAt + 2 * 8;
        if (opt.size() < countAt + 4 || GetU32(&opt[countAt]) < 3 || opt.size() < resourceDir + 8)
            return false;
        resourceRva = GetU32(&opt[resourceDir]);
        if (resourceRva == 0 || GetU32(&opt[resourceDir + 4]) == 0) return false;
        std::string table;
        if (!ReadBytes(f_, pe + 24 + optSize, size_t(sections) * 40, table)) return false;
        for (size_t i = 0; i < sections; ++i) {
            const char* s = &table[i * 40];
            sections_.push_back({GetU32(s + 12), GetU32(s + 8), GetU32(s + 16), GetU32(s + 20)});
        }
        return true;
    }

    // The file offset of an RVA and how many bytes of its section follow it in the file.
    bool Map(uint32_t rva, uint64_t& off, uint64_t& avail) const {
        for (const Section& s : sections_) {
            const uint64_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.va || uint64_t(rva) - s.va >= extent) continue;
            const uint64_t delta = uint64_t(rva) - s.va;
            if (delta >= s.rawSize) return false;  // in the section's zero-filled tail
            off = uint64_t(s.rawOffset) + delta;
            avail = s.rawSize - delta;
            return true;
        }
        return false;
    }

    BlockFile& File() { return f_; }

private:
    BlockFile& f_;
    std::vector<Section> sections_;
};

// One level of the resource directory, offsets relative to the section's start.
struct ResourceEntry {
    uint32_t name, offset;
    bool Directory() const { return (offset & 0x80000000u) != 0; }
    uint32_t Target() const { return offset & 0x7FFFFFFFu; }
};

bool ReadDirectory(BlockFile& f, uint64_t base, uint64_t avail, uint32_t at,
                   std::vector<ResourceEntry>& entries) {
    std::string head;
    if (uint64_t(at) + 16 > avail || !ReadBytes(f, base + at, 16, head)) return false;
    const size_t count = size_t(GetU16(&head[12])) + GetU16(&head[14]);
    if (uint64_t(at) + 16 + count * 8 > avail) return false;
    std::string raw;
    if (!ReadBytes(f, base + at + 16, count * 8, raw)) return false;
    entries.clear();
    for (size_t i = 0; i < count; ++i)
        entries.push_back({GetU32(&raw[i * 8]), GetU32(&raw[i * 8 + 4])});
    return true;
}

// ---- the block tree ----

constexpr size_t Align4(size_t v) { return (v + 3) & ~size_t(3); }

struct Block {
    size_t keyAt = 0, keyUnits = 0;  // the key's UTF-16 units, without the zero
    size_t valueAt = 0, valueBytes = 0;
    size_t childrenAt = 0, end = 0;
    uint16_t type = 0;
};

// A block at off that must end by limit; offsets are from the resource's start, which
// is where the 32-bit alignment of the format counts from.
bool ParseBlock(std::string_view r, size_t off, size_t limit, Block& b) {
    if (off > limit || limit - off < 6) return false;
    const size_t length = GetU16(&r[off]);
    if (length < 6 || length > limit - off) return false;
    b.end = off + length;
    const uint16_t valueLength = GetU16(&r[off + 2]);
    b.type = GetU16(&r[off + 4]);
    b.keyAt = off + 6;
    size_t p = b.keyAt;
    while (p + 2 <= b.end && GetU16(&r[p]) != 0) p += 2;
    if (p + 2 > b.end) return false;  // a key without its zero
    b.keyUnits = (p - b.keyAt) / 2;
    b.valueAt = std::min(Align4(p + 2), b.end);
    // Text values count UTF-16 units; some writers count bytes, so the block's end bounds it.
    const size_t wanted = b.type == 1 ? size_t(valueLength) * 2 : valueLength;
    b.valueBytes = std::min(wanted, b.end - b.valueAt);
    b.childrenAt = std::min(Align4(b.valueAt + b.valueBytes), b.end);
    return true;
}

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

bool KeyIs(std::string_view r, const Block& b, std::string_view name) {
    if (b.keyUnits != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const uint16_t u = GetU16(&r[b.keyAt + 2 * i]);
        if (u > 0x7F || AsciiLower(char(u)) != AsciiLower(name[i])) return false;
    }
    return true;
}

bool FindChild(std::string_view r, const Block& parent, std::string_view name, Block& child) {
    size_t p = parent.childrenAt;
    while (p < parent.end) {
        Block c;
        if (!ParseBlock(r, p, parent.end, c)) return false;
        if (KeyIs(r, c, name)) {
            child = c;
            return true;
        }
        p = Align4(c.end);
    }
    return false;
}

bool FindBlock(std::string_view r, std::string_view path, Block& found) {
    Block b;
    if (!ParseBlock(r, 0, r.size(), b)) return false;
    size_t i = 0;
    while (i < path.size()) {
        if (path[i] == '\\') {
            ++i;
            continue;
        }
        size_t j = path.find('\\', i);
        if (j == std::string_view::npos) j = path.size();
        Block c;
        if (!FindChild(r, b, path.substr(i, j - i), c)) return false;
        b = c;
        i = j;
    }
    found = b;
    return true;
}

}  // namespace

std::string FindVersionResource(BlockFile& file) {
    PeImage image(file);
    uint32_t rva = 0;
    uint64_t base = 0, avail = 0;
    if (!image.Load(rva) || !image.Map(rva, base, avail)) return {};
    // Type, name, language: three levels, each taking its first fitting entry.
    std::vector<ResourceEntry> entries;
    if (!ReadDirectory(file, base, avail, 0, entries)) return {};
    uint32_t at = 0;
    bool found = false;
    for (const ResourceEntry& e : entries) {
        if (e.name == kRtVersion && e.Directory()) {
            at = e.Target();
            found = true;
            break;
        }
    }
    if (!found) return {};
    for (int level = 0; level < 2; ++level) {
        if (!ReadDirectory(file, base, avail, at, entries) || entries.empty()) return {};
        const ResourceEntry& e = entries.front();
        if (e.Directory() != (level == 0)) return {};
        at = e.Target();
    }
    std::string data;
    if (uint64_t(at) + 16 > avail || !ReadBytes(file, base + at, 16, data)) return {};
    const uint32_t dataRva = GetU32(&data[0]);
    const uint32_t size = GetU32(&data[4]);
    uint64_t off = 0, left = 0;
    if (size < 6 || size > kMaxVersionResource || !image.Map(dataRva, off, left) || size > left)
        return {};
    std::string bytes;
    if (!ReadBytes(file, off, size, bytes)) return {};
    return bytes;
}

bool VersionResource::QueryValue(std::string_view path, std::string_view& value) const {
    Block b;
    if (!FindBlock(bytes_, path, b)) return false;
    value = std::string_view(bytes_).substr(b.valueAt, b.valueBytes);
    return true;
}

bool VersionResource::Fixed(FixedFileInfo& info) const {
    std::string_view v;
    if (!QueryValue("\\", v) || v.size() < 52 || GetU32(v.data()) != kFixedSignature) return false;
    uint32_t* fields[] = {&info.StrucVersion,     &info.FileVersionMS,    &info.FileVersionLS,
                          &info.ProductVersionMS, &info.ProductVersionLS, &info.FileFlagsMask,
                          &info.FileFlags,        &info.FileOS,           &info.FileType,
                          &info.FileSubtype,      &info.FileDateMS,       &info.FileDateLS};
    for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = GetU32(v.data() + 4 + 4 * i);
    return true;
}

bool VersionResource::Translation(uint16_t& language, uint16_t& codePage) const {
    std::string_view v;
    if (!QueryValue("\\VarFileInfo\\Translation", v) || v.size() < 4) return false;
    language = GetU16(v.data());
    codePage = GetU16(v.data() + 2);
    return true;
}

bool VersionResource::QueryText(std::string_view path, std::string& value) const {
    std::string_view v;
    if (!QueryValue(path, v)) return false;
    value.clear();
    for (size_t i = 0; i + 2 <= v.size(); i += 2) {
        char32_t c = GetU16(v.data() + i);
        if (c == 0) break;
        if (c >= 0xD800 && c < 0xDC00 && i + 4 <= v.size()) {
            const char32_t low = GetU16(v.data() + i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;  // a lone surrogate
        LegacyText::AppendUtf8(value, c);
    }
    return true;
}

std::string VersionResource::String(std::string_view name) const {
    uint16_t language = 0, codePage = 0;
    if (!Translation(language, codePage)) return {};
    static const char* hex = "0123456789abcdef";
    std::string path = "\\StringFileInfo\\";
    for (uint16_t v : {language, codePage})
        for (int shift = 12; shift >= 0; shift -= 4) path += hex[(v >> shift) & 0xF];
    path += '\\';
    path += name;
    std::string value;
    return QueryText(path, value) ? value : std::string();
}

uint8_t FileTypeCode(uint32_t fileType, uint32_t fileSubtype) {
    // Drivers by subtype: unknown, printer, keyboard, language, display, mouse, network,
    // system, installable, sound, communications.
    static constexpr uint8_t kDrivers[] = {4, 6, 7, 8, 9, 10, 11, 12, 12, 14, 5};
    switch (fileType) {
    case 1: return 1;  // application
    case 2: return 2;  // dynamic library
    case 7: return 3;  // static library
    case 3: return fileSubtype < std::size(kDrivers) ? kDrivers[fileSubtype] : 4;
    case 4: return fileSubtype <= 3 ? uint8_t(15 + fileSubtype) : 15;  // fonts
    case 5: return 19;                                                 // virtual device
    default: return 0;
    }
}

}  // namespace kiv
