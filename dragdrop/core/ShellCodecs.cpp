#include "dragdrop/core/ShellCodecs.h"

#include <algorithm>
#include <cstring>

#include "dragdrop/core/ClipboardCodecs.h"
#include "platform/core/KivStrings.h"

namespace kiv::ClipCodec {

namespace {

// A zero-terminated string at an offset, inside the block (cut at its end).
std::string StringAt(std::string_view block, size_t offset) {
    if (offset >= block.size()) return {};
    return std::string(CutAtZero(block.substr(offset)));
}

}  // namespace

size_t ItemIdListLength(std::string_view block) {
    size_t pos = 0;
    while (pos + 2 <= block.size()) {
        const uint16_t size = GetU16(block.data() + pos);
        if (size == 0) return pos + 2;
        if (size < 2 || pos + size > block.size()) return 0;
        pos += size;
    }
    return 0;
}

std::string PathToPIDL(std::string_view path) {
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string_view::npos) return {};
    std::string pidl;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/') ++i;
        const size_t end = std::min(path.find('/', i), path.size());
        if (end > i) {
            if (end - i > 0xFFFD) return {};
            char size[2];
            PutU16(size, uint16_t(end - i + 2));
            pidl.append(size, 2);
            pidl.append(path.substr(i, end - i));
        }
        i = end;
    }
    return pidl.append(2, '\0');
}

bool PIDLToPath(std::string_view pidl, std::string& path) {
    const size_t len = ItemIdListLength(pidl);
    if (len == 0) return false;
    path.clear();
    for (size_t pos = 0; pos + 2 < len;) {
        const uint16_t size = GetU16(pidl.data() + pos);
        const std::string_view segment = pidl.substr(pos + 2, size - 2);
        if (segment.empty() || segment.find('/') != std::string_view::npos ||
            segment.find('\0') != std::string_view::npos)
            return false;
        path += '/';
        path += segment;
        pos += size;
    }
    if (path.empty()) path = "/";
    return true;
}

std::string JoinPIDLs(std::string_view parent, std::string_view child) {
    const size_t len = ItemIdListLength(parent);
    std::string out(parent.substr(0, len >= 2 ? len - 2 : 0));
    return out.append(child);
}

bool ReadCIDA(std::string_view block, std::vector<std::string>& lists) {
    lists.clear();
    uint32_t n = 0;
    if (!ReadDWord(block, n)) return false;
    if ((uint64_t(n) + 2) * 4 > block.size()) return false;
    for (uint32_t i = 0; i <= n; ++i) {
        const uint32_t offset = GetU32(block.data() + 4 + size_t(i) * 4);
        if (offset >= block.size()) return lists.clear(), false;
        const std::string_view rest = block.substr(offset);
        const size_t len = ItemIdListLength(rest);
        if (len == 0) return lists.clear(), false;
        lists.emplace_back(rest.substr(0, len));
    }
    return lists.size() >= 2;
}

std::string CIDABytes(const std::vector<std::string>& lists) {
    if (lists.empty()) return {};
    std::string out;
    AppendU32(out, uint32_t(lists.size() - 1));
    uint32_t offset = uint32_t((lists.size() + 1) * 4);
    for (const auto& l : lists) {
        AppendU32(out, offset);
        offset += uint32_t(l.size());
    }
    for (const auto& l : lists) out += l;
    return out;
}

void ReadNetscapeBookmark(std::string_view block, std::string& url, std::string& title) {
    url = StringAt(block.substr(0, std::min<size_t>(block.size(), 1024)), 0);
    title = block.size() >= 1025 ? StringAt(block, 1024) : std::string();
}

size_t NetscapeBookmarkSize(std::string_view url, std::string_view title) {
    if (url.empty()) return 0;
    return title.empty() ? 1024 : 2048;
}

void WriteNetscapeBookmark(char* block, size_t size, std::string_view url, std::string_view title) {
    // Each string keeps its zero inside its own kilobyte.
    std::memcpy(block, url.data(), std::min({url.size(), size > 0 ? size - 1 : 0, size_t(1023)}));
    if (size > 1024 && !title.empty())
        std::memcpy(block + 1024, title.data(),
                    std::min({title.size(), size - 1025, size_t(1023)}));
}

bool ReadNetscapeImage(std::string_view block, NetscapeImage& image) {
    if (block.size() < 45) return false;
    image = NetscapeImage{};
    image.value8 = GetU32(block.data() + 8);
    image.value12 = GetU32(block.data() + 12);
    image.first = StringAt(block, 44);
    auto at = [&](size_t field) {
        const uint32_t offset = GetU32(block.data() + field);
        return offset == 0 ? std::string() : StringAt(block, offset);
    };
    image.second = at(28);
    image.title = at(32);
    image.url = at(36);
    image.fifth = at(40);
    return true;
}

size_t NetscapeImageSize(const NetscapeImage& image) {
    size_t n = 45 + image.first.size();
    for (const std::string* s : {&image.second, &image.title, &image.url, &image.fifth})
        if (!s->empty()) n += s->size() + 1;
    return n;
}

bool WriteNetscapeImage(char* block, size_t size, const NetscapeImage& image) {
    if (size <= 44) return false;
    PutU32(block + 8, image.value8);
    PutU32(block + 12, image.value12);
    size_t pos = 44;
    auto put = [&](const std::string& s) {
        const size_t n = std::min(s.size(), size - pos - 1);
        std::memcpy(block + pos, s.data(), n);
        pos += n + 1;
    };
    put(image.first);
    const std::pair<const std::string*, size_t> rest[] = {{&image.second, 28},
                                                          {&image.title, 32},
                                                          {&image.url, 36},
                                                          {&image.fifth, 40}};
    for (auto [s, field] : rest) {
        if (s->empty() || pos >= size) continue;
        PutU32(block + field, uint32_t(pos));
        put(*s);
    }
    return true;
}

bool ShortcutURL(std::string_view text, std::string& url) {
    const std::vector<std::string> lines = SplitLines(CutAtZero(text));
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!SameText(Trim(lines[i]), "[InternetShortcut]")) continue;
        for (size_t j = i + 1; j < lines.size(); ++j) {
            if (StartsText("[", lines[j])) return false;
            if (StartsText("URL=", lines[j])) {
                url = lines[j].substr(4);
                return true;
            }
        }
        return false;
    }
    return false;
}

std::string ShortcutText(std::string_view url) {
    return "[InternetShortcut]\r\nURL=" + std::string(url) + "\r\n";
}

std::string URLToShortcutFilename(std::string_view text) {
    std::string s(text);
    for (const char* scheme : {"http://", "https://", "ftp://", "ftps://", "mailto:", "file:"})
        if (StartsText(scheme, s)) {
            s.erase(0, std::strlen(scheme));
            break;
        }
    if (s.size() > 120) s.resize(120);
    s = s.substr(0, s.find('/'));
    const std::string_view bad = "'*,/:<>?\\|\"";
    std::string out;
    for (size_t i = 0; i < s.size();) {
        if (bad.find(s[i]) == std::string_view::npos) {
            out += s[i++];
            continue;
        }
        while (i < s.size() && bad.find(s[i]) != std::string_view::npos) ++i;
        if (i < s.size()) out += ' ';  // a run at the end goes
    }
    return (out.empty() ? std::string("untitled") : out) + ".url";
}

std::string VCardToLines(std::string_view block) {
    std::vector<std::string> lines = SplitLines(CutAtZero(block));
    if (!lines.empty() && SameText(lines.front(), "begin:vcard")) lines.erase(lines.begin());
    if (!lines.empty() && SameText(lines.back(), "end:vcard")) lines.pop_back();
    for (auto& l : lines) {
        const size_t colon = l.find(':');
        if (colon != std::string::npos) l[colon] = '=';
    }
    return JoinLines(lines);
}

std::string LinesToVCard(std::string_view text) {
    std::string out = "begin:vcard\r" + std::string(text) + "\r" + "end:vcard";
    std::erase(out, '\n');
    return out;
}

bool DIBToBMP(std::string_view dib, std::string& bmp) {
    if (dib.size() < 40) return false;
    const uint32_t headerSize = GetU32(dib.data());
    if (headerSize < 12 || headerSize > dib.size()) return false;
    uint32_t bitCount, compression = 0, colorsUsed = 0;
    if (headerSize == 12) {  // BITMAPCOREHEADER: three-byte colours
        bitCount = GetU16(dib.data() + 10);
    } else {
        bitCount = GetU16(dib.data() + 14);
        compression = GetU32(dib.data() + 16);
        colorsUsed = GetU32(dib.data() + 32);
    }
    uint64_t table = 0;
    const uint32_t entry = headerSize == 12 ? 3 : 4;
    if (colorsUsed != 0 && bitCount <= 8) table = uint64_t(colorsUsed) * entry;
    else if (bitCount <= 8) table = uint64_t(entry) << bitCount;
    else if (headerSize == 40 && (compression == 3 || compression == 6))
        table = compression == 3 ? 12 : 16;
    if (headerSize + table > dib.size()) return false;
    bmp.assign("BM");
    AppendU32(bmp, uint32_t(dib.size() + 14));
    AppendU32(bmp, 0);
    AppendU32(bmp, uint32_t(14 + headerSize + table));
    bmp.append(dib);
    return true;
}

bool BMPToDIB(std::string_view bmp, std::string& dib) {
    if (bmp.size() <= 14 + 12 || bmp.substr(0, 2) != "BM") return false;
    dib.assign(bmp.substr(14));
    return true;
}

}  // namespace kiv::ClipCodec
