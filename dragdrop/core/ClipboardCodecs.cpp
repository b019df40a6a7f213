#include "dragdrop/core/ClipboardCodecs.h"

#include <algorithm>

#include "platform/core/MiskPro.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv::ClipCodec {

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        int32_t c = LegacyText::NextUtf8(s, i);
        if (c < 0) c = int32_t(LegacyText::Cp1252ToUnicode(uint8_t(s[i++])));
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        LegacyText::AppendUtf8(out, c);
    }
    return out;
}

std::string Utf16ToBytes(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (char16_t c : s) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    return out;
}

std::u16string BytesToUtf16(std::string_view block) {
    std::u16string out;
    for (size_t i = 0; i + 1 < block.size(); i += 2) {
        const char16_t c = GetU16(block.data() + i);
        if (c == 0) break;
        out += c;
    }
    return out;
}

std::string_view CutAtZero(std::string_view block) {
    const size_t z = block.find('\0');
    return z == std::string_view::npos ? block : block.substr(0, z);
}

bool ReadDWord(std::string_view block, uint32_t& value) {
    if (block.size() < 4) return false;
    value = GetU32(block.data());
    return true;
}

std::string DWordBytes(uint32_t value) {
    std::string s;
    AppendU32(s, value);
    return s;
}

std::vector<std::string> ReadNameList(std::string_view block) {
    std::vector<std::string> names;
    while (!block.empty()) {
        const std::string_view name = CutAtZero(block);
        if (name.empty()) break;
        names.emplace_back(name);
        block.remove_prefix(std::min(block.size(), name.size() + 1));
    }
    return names;
}

std::vector<std::string> ReadNameListW(std::string_view block) {
    std::vector<std::string> names;
    while (block.size() >= 2) {
        const std::u16string name = BytesToUtf16(block);
        if (name.empty()) break;
        names.push_back(Utf16ToUtf8(name));
        block.remove_prefix(std::min(block.size(), (name.size() + 1) * 2));
    }
    return names;
}

std::string NameListBytes(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) {
        out += CutAtZero(n);
        out += '\0';
    }
    out += '\0';
    return out;
}

std::string NameListBytesW(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) {
        out += Utf16ToBytes(Utf8ToUtf16(CutAtZero(n)));
        out.append(2, '\0');
    }
    out.append(2, '\0');
    return out;
}

bool ReadDropFiles(std::string_view block, std::vector<std::string>& files) {
    files.clear();
    if (block.size() <= kDropFilesHeader) return false;
    const uint32_t offset = GetU32(block.data());
    const bool wide = GetU32(block.data() + 16) != 0;
    if (offset >= block.size()) return false;
    const std::string_view names = block.substr(offset);
    files = wide ? ReadNameListW(names) : ReadNameList(names);
    return !files.empty();
}

std::string DropFilesBytes(const std::vector<std::string>& files) {
    std::string out;
    AppendU32(out, uint32_t(kDropFilesHeader));
    out.append(kDropFilesHeader - 4, '\0');
    return out + NameListBytes(files);
}

namespace {

// The longest prefix of a UTF-8 text that has at most max bytes and ends on a character.
std::string_view CutUtf8(std::string_view s, size_t max) {
    if (s.size() <= max) return s;
    size_t n = max;
    while (n > 0 && (uint8_t(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

std::string ZeroRecord(size_t size, uint32_t flags) {
    std::string r(size, '\0');
    PutU32(r.data(), flags);
    return r;
}

}  // namespace

std::string FileDescriptorA(std::string_view name, uint32_t flags) {
    std::string r = ZeroRecord(kDescriptorA, flags);
    const std::string_view n = CutUtf8(CutAtZero(name), kMaxPath - 1);
    std::copy(n.begin(), n.end(), r.begin() + kDescriptorNameOffset);
    return r;
}

std::string FileDescriptorW(std::string_view name, uint32_t flags) {
    std::string r = ZeroRecord(kDescriptorW, flags);
    std::u16string n = Utf8ToUtf16(CutAtZero(name));
    if (n.size() > kMaxPath - 1) n.resize(kMaxPath - 1);
    if (!n.empty() && n.back() >= 0xD800 && n.back() < 0xDC00) n.pop_back();
    const std::string b = Utf16ToBytes(n);
    std::copy(b.begin(), b.end(), r.begin() + kDescriptorNameOffset);
    return r;
}

std::string DescriptorNameA(std::string_view record) {
    if (record.size() <= kDescriptorNameOffset) return {};
    return std::string(CutAtZero(record.substr(kDescriptorNameOffset, kMaxPath)));
}

std::string DescriptorNameW(std::string_view record) {
    if (record.size() <= kDescriptorNameOffset) return {};
    return Utf16ToUtf8(BytesToUtf16(record.substr(kDescriptorNameOffset, kMaxPath * 2)));
}

uint32_t DescriptorFlags(std::string_view record) {
    uint32_t v = 0;
    ReadDWord(record, v);
    return v;
}

std::string FileGroupBytes(const std::vector<std::string>& records) {
    std::string out;
    AppendU32(out, uint32_t(records.size()));
    for (const auto& r : records) out += r;
    return out;
}

bool ReadFileGroup(std::string_view block, size_t recordSize, std::vector<std::string>& records) {
    records.clear();
    uint32_t count = 0;
    if (recordSize == 0 || !ReadDWord(block, count)) return false;
    if ((block.size() - 4) / recordSize != count) return false;
    for (uint32_t i = 0; i < count; ++i)
        records.emplace_back(block.substr(4 + size_t(i) * recordSize, recordSize));
    return true;
}

std::vector<std::string> ReadUriListFiles(std::string_view block) {
    std::vector<std::string> files;
    for (std::string line : SplitLines(CutAtZero(block))) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (StartsText("file://localhost/", line)) line.erase(7, 9);
        // A NUL would cut the path short when it reaches the system.
        if (!StartsText("file:///", line) || line.find("%00") != std::string::npos) continue;
        // The path as the URL has it: on Linux "file:///C:/x" names "/C:/x".
        files.push_back(PercentDecode(std::string_view(line).substr(7)));
    }
    return files;
}

std::string UriListBytes(const std::vector<std::string>& files) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const auto& f : files) {
        out += "file://";
        for (unsigned char c : CutAtZero(f)) {
            const bool plain =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                std::string_view("/-._~!$&'()*+,;=:@").find(char(c)) != std::string_view::npos;
            if (plain) {
                out += char(c);
            } else {
                out += '%';
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace kiv::ClipCodec
