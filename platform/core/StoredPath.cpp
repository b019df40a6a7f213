#include "platform/core/StoredPath.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/core/AppPaths.h"
#include "platform/core/LegacyText.h"
#include "platform/core/UnicodeText.h"

namespace kiv {

namespace {

bool StartsWithBars(std::string_view s) { return s.size() >= 2 && s[0] == '|' && s[1] == '|'; }

bool Exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// The folder's entry spelt like name without regard to case; empty when there is none.
std::string MatchEntry(const std::string& folder, const std::string& name) {
    if (Exists(folder + name)) return name;
    const std::string upper = UnicodeText::UpperCaseUtf8(name);
    for (const std::string& e : FolderEntries(folder))
        if (UnicodeText::UpperCaseUtf8(e) == upper) return e;
    return {};
}

}  // namespace

bool IsDrivePath(std::string_view s) {
    return s.size() >= 3 && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')) &&
           s[1] == ':' && (s[2] == '\\' || s[2] == '/');
}

std::string StoredPathText(std::string_view stored, std::string_view base) {
    if (!StartsWithBars(stored)) return LegacyText::Decode(stored);
    std::string rest = LegacyText::Decode(stored.substr(2));
    if (!IsDrivePath(base)) std::replace(rest.begin(), rest.end(), '\\', '/');
    return LegacyText::Decode(base) + rest;
}

std::string FindIgnoringCase(const std::string& path, const std::string& folder) {
    if (Exists(path) || path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0)
        return path;
    std::string found = folder;
    const std::string rest = path.substr(folder.size());
    size_t from = 0;
    while (from < rest.size()) {
        size_t end = rest.find('/', from);
        if (end == std::string::npos) end = rest.size();
        if (end > from) {
            const std::string entry = MatchEntry(found, rest.substr(from, end - from));
            if (entry.empty()) return path;
            found += entry;
            if (end < rest.size()) found += '/';
        }
        from = end + 1;
    }
    return found;
}

std::string ResolveStoredPath(std::string_view stored, std::string_view base) {
    const std::string written = StoredPathText(stored, base);
    if (!StartsWithBars(stored) || IsDrivePath(base)) return written;
    // Written on Windows, where names ignore case: each component is looked up in its folder.
    std::string found = FindIgnoringCase(written, LegacyText::Decode(base));
    if (Exists(found)) return found;
    // A name of this machine that is not UTF-8, kept as its bytes.
    std::string raw = std::string(base) + std::string(stored.substr(2));
    std::replace(raw.begin(), raw.end(), '\\', '/');
    return Exists(raw) ? raw : found;
}

bool StoredPathExists(const std::string& resolved) {
    return !resolved.empty() && resolved[0] == '/' && Exists(resolved);
}

}  // namespace kiv
