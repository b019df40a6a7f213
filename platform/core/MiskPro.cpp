#include "platform/core/MiskPro.h"

#include <cstdlib>

#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"

namespace kiv {

std::string PercentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int hi = HexDigitValue(s[i + 1]), lo = HexDigitValue(s[i + 2]);
            if (hi >= 0 && lo >= 0 && (hi | lo) != 0) {
                out += char(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

namespace {

bool HasDriveColon(std::string_view s) { return s.size() >= 2 && s[1] == ':'; }

}  // namespace

std::string IncludeTrailingBackslash(std::string_view folder, char sep) {
    std::string s(folder);
    if (!s.empty() && s.back() != sep) s += sep;
    return s;
}

std::string GetTempFolder() {
    std::string dir;
    if (const char* t = std::getenv("TMPDIR")) dir = Trim(t);
    if (dir.empty()) dir = "/tmp";
    return IncludeTrailingBackslash(dir);
}

std::string ReadFileToString(const std::string& path) {
    try {
        return PosixBlockFile::Open(path, OpenMode::ReadOnly)->ReadAll();
    } catch (const EKivError&) {
        return {};
    }
}

uint64_t FileSizeOf(const std::string& path) {
    return PosixBlockFile::Open(path, OpenMode::ReadOnly)->Size();
}

std::string PathToURL(std::string_view path) {
    std::string s(path);
    if (HasDriveColon(s)) {
        for (char& c : s)
            if (c == '\\') c = '/';
        return "file:///" + s;
    }
    if (!s.empty() && s[0] == '/') return "file://" + s;
    if (s.find("://") == std::string::npos) return "http://" + s;
    return s;
}

std::string URLToPath(std::string_view address) {
    constexpr std::string_view kFilePrefix = "file:///";
    if (address.substr(0, kFilePrefix.size()) != kFilePrefix) return std::string(address);
    std::string rest = PercentDecode(address.substr(kFilePrefix.size()));
    if (HasDriveColon(rest)) {
        for (char& c : rest)
            if (c == '/') c = '\\';
        return rest;
    }
    return "/" + rest;
}

std::string ExtractBetween(std::string_view text, size_t& pos, std::string_view startTag,
                           std::string_view endTag, int n) {
    if (pos == std::string_view::npos || startTag.empty()) return {};
    if (n < 1) {
        pos = std::string_view::npos;
        return {};
    }
    size_t p = pos;
    for (int i = 0; i < n; ++i) {
        size_t at = PosText(startTag, text, p);
        if (at == std::string_view::npos) {
            pos = std::string_view::npos;
            return {};
        }
        p = at + startTag.size();
    }
    size_t end = PosText(endTag, text, p);
    if (end == std::string_view::npos) {
        pos = std::string_view::npos;
        return {};
    }
    pos = end + endTag.size();
    return Trim(text.substr(p, end - p));
}

std::string PathExtension(std::string_view path) {
    const size_t sep = path.find_last_of("/\\:");
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep)) return {};
    return std::string(path.substr(dot));
}

bool IsURLText(std::string_view text) {
    const std::string t = UpperCase(Trim(text));
    for (const char* prefix : {"HTTP:", "HTTPS:", "FTP:", "WWW."})
        if (t.rfind(prefix, 0) == 0) return true;
    const std::string ext = PathExtension(t);
    return ext == ".HTM" || ext == ".HTML" || ext == ".SHTML";
}

}  // namespace kiv
