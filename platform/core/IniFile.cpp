#include "platform/core/IniFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>
#include <stdexcept>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv {

namespace {

// Case folding for names: ASCII and the Latin-1 letters, which is what the profile
// functions fold for the Western code page.
std::string Fold(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        int32_t c = LegacyText::NextUtf8(utf8, i);
        if (c < 0) {
            out += utf8[i++];
            continue;
        }
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 32;
        LegacyText::AppendUtf8(out, char32_t(c));
    }
    return out;
}

std::string FoldName(std::string_view utf8) { return Fold(Trim(utf8)); }

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string WithoutLineBreaks(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

void CheckSectionName(std::string_view section) {
    if (Trim(section).empty() || HasLineBreak(section))
        throw std::invalid_argument("invalid ini section name");
}

void CheckKeyName(std::string_view key) {
    std::string k = Trim(key);
    if (k.empty() || HasLineBreak(k) || k.find('=') != std::string::npos || k[0] == '[' ||
        k[0] == ';')
        throw std::invalid_argument("invalid ini key name");
}

int64_t NsOf(const struct timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; }

// Where a write must land: through a symbolic link to the file it names, so that a
// linked settings file stays linked.
std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string r(real);
            std::free(real);
            return r;
        }
    }
    return path;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

void IniFile::Classify(Line& l) {
    l.kind = Kind::Other;
    l.eq = std::string::npos;
    l.folded.clear();
    const std::string& t = l.text;
    size_t b = 0;
    while (b < t.size() && static_cast<unsigned char>(t[b]) <= 0x20) ++b;
    if (b == t.size() || t[b] == ';') return;
    if (t[b] == '[') {
        // The last "]" closes the name, so a name may itself hold "]".
        size_t e = t.rfind(']');
        std::string_view name = (e == std::string::npos || e <= b)
                                    ? std::string_view(t).substr(b + 1)
                                    : std::string_view(t).substr(b + 1, e - b - 1);
        l.kind = Kind::Section;
        l.folded = FoldName(LegacyText::Decode(Trim(name)));
        return;
    }
    size_t eq = t.find('=');
    std::string key = Trim(std::string_view(t).substr(0, eq));
    if (key.empty()) return;
    l.kind = Kind::Key;
    l.eq = eq;
    l.folded = Fold(LegacyText::Decode(key));
}

void IniFile::Parse(const std::string& bytes) const {
    lines_.clear();
    bom_.clear();
    size_t i = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bom_ = bytes.substr(0, 3);
        i = 3;
    }
    while (i < bytes.size()) {
        size_t e = bytes.find_first_of("\r\n", i);
        Line l;
        if (e == std::string::npos) {
            l.text = bytes.substr(i);
            i = bytes.size();
        } else {
            l.text = bytes.substr(i, e - i);
            size_t n = (bytes[e] == '\r' && e + 1 < bytes.size() && bytes[e + 1] == '\n') ? 2 : 1;
            l.eol = bytes.substr(e, n);
            i = e + n;
        }
        Classify(l);
        lines_.push_back(std::move(l));
    }
}

void IniFile::Refresh() const {
    // What a batch holds back is newer than the file.
    if (pending_) return;
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        int err = errno;
        if (err == ENOENT || err == ENOTDIR) {
            if (known_ && !exists_) return;
            lines_.clear();
            bom_.clear();
            exists_ = false;
            unreadable_ = 0;
            known_ = true;
        } else {
            lines_.clear();
            bom_.clear();
            exists_ = true;
            unreadable_ = err;
            known_ = false;
        }
        return;
    }
    if (known_ && exists_ && NsOf(st.st_mtim) == mtimeNs_ && NsOf(st.st_ctim) == ctimeNs_ &&
        uint64_t(st.st_size) == size_ && uint64_t(st.st_ino) == ino_ && uint64_t(st.st_dev) == dev_)
        return;
    std::string bytes;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const EFileError& e) {
        lines_.clear();
        bom_.clear();
        exists_ = true;
        unreadable_ = e.Errno() ? e.Errno() : EIO;
        known_ = false;
        return;
    }
    Parse(bytes);
    exists_ = true;
    unreadable_ = 0;
    known_ = true;
    mtimeNs_ = NsOf(st.st_mtim);
    ctimeNs_ = NsOf(st.st_ctim);
    size_ = uint64_t(st.st_size);
    ino_ = uint64_t(st.st_ino);
    dev_ = uint64_t(st.st_dev);
}

void IniFile::Save() {
    // Never replace a file whose content we could not see.
    if (unreadable_) throw EFileError("Cannot read file", path_, unreadable_);
    if (batches_ > 0) {
        pending_ = true;
        return;
    }
    WriteOut();
}

IniFile::Batch::Batch(IniFile& ini) : ini_(ini) { ++ini_.batches_; }

IniFile::Batch::~Batch() {
    if (open_) ini_.EndBatch(false);
}

void IniFile::Batch::Commit() {
    if (!open_) return;
    open_ = false;
    ini_.EndBatch(true);
}

void IniFile::EndBatch(bool write) {
    if (--batches_ > 0 || !pending_) return;
    pending_ = false;
    if (write) WriteOut();
    else known_ = false;  // dropped: the file is read again
}

int IniFile::RemoveStaleTemporaries(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string dir =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp";
    int removed = 0;
    for (const std::string& name : FolderEntries(dir)) {
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        if (name.find_first_not_of("0123456789", prefix.size()) != std::string::npos) continue;
        const std::string full = (slash == std::string::npos ? std::string() : dir) + name;
        struct stat st {};
        if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(full.c_str()) == 0)
            ++removed;
    }
    return removed;
}

void IniFile::WriteOut() {
    std::string bytes = bom_;
    for (const auto& l : lines_) bytes += l.text + l.eol;
    try {
        WriteFileAtomic(WriteTarget(path_), bytes);
    } catch (const EFileError& e) {
        known_ = false;  // the cache is ahead of the file: read it again next time
        throw EFileError("Cannot write file", path_, e.Errno());
    }
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        exists_ = true;
        known_ = true;
        mtimeNs_ = NsOf(st.st_mtim);
        ctimeNs_ = NsOf(st.st_ctim);
        size_ = uint64_t(st.st_size);
        ino_ = uint64_t(st.st_ino);
        dev_ = uint64_t(st.st_dev);
    } else {
        known_ = false;
    }
}

std::string IniFile::KeyName(const Line& l) const {
    return LegacyText::Decode(Trim(std::string_view(l.text).substr(0, l.eq)));
}

std::string IniFile::Value(const Line& l) const {
    if (l.eq == std::string::npos) return {};
    return LegacyText::Decode(Trim(std::string_view(l.text).substr(l.eq + 1)));
}

long IniFile::FindKey(const std::string& fs, const std::string& fk) const {
    bool in = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.kind == Kind::Section) in = l.folded == fs;
        else if (in && l.kind == Kind::Key && l.folded == fk) return long(i);
    }
    return -1;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    Refresh();
    long i = FindKey(FoldName(section), FoldName(key));
    return i < 0 ? std::string(def) : Value(lines_[size_t(i)]);
}

bool TryIniInteger(std::string_view s, int32_t& out) {
    int64_t v;
    if (!TryStrToInt(s, v)) return false;
    size_t p = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    bool hex =
        p < s.size() &&
        (s[p] == '$' || (s[p] == '0' && p + 1 < s.size() && (s[p + 1] == 'x' || s[p + 1] == 'X')));
    if (hex) {
        // Hexadecimal covers all 32 bits, as colour values with a high byte need.
        uint64_t mag = uint64_t(v < 0 ? -v : v);
        if (mag > 0xFFFFFFFFull) return false;
        uint32_t u = uint32_t(mag);
        if (v < 0) u = 0u - u;
        out = int32_t(u);
        return true;
    }
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = int32_t(v);
    return true;
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    int32_t v;
    return TryIniInteger(ReadString(section, key, ""), v) ? v : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    CheckSectionName(section);
    CheckKeyName(key);
    Refresh();
    const std::string stored = LegacyText::Encode(WithoutLineBreaks(value));
    const std::string fs = FoldName(section), fk = FoldName(key);
    long k = FindKey(fs, fk);
    if (k >= 0) {
        Line& l = lines_[size_t(k)];
        std::string text = l.eq == std::string::npos ? TrimRight(l.text) + "=" + stored
                                                     : l.text.substr(0, l.eq + 1) + stored;
        if (text == l.text) return;
        l.text = std::move(text);
        Classify(l);
        Save();
        return;
    }
    Line nl;
    nl.text = LegacyText::Encode(Trim(key)) + "=" + stored;
    nl.eol = "\r\n";
    Classify(nl);
    // Into the first block of the section, after its last key.
    long header = -1, after = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.kind == Kind::Section) {
            if (header >= 0) break;
            if (l.folded == fs) header = after = long(i);
        } else if (header >= 0 && l.kind == Kind::Key) {
            after = long(i);
        }
    }
    if (header >= 0) {
        if (lines_[size_t(after)].eol.empty()) lines_[size_t(after)].eol = "\r\n";
        lines_.insert(lines_.begin() + after + 1, std::move(nl));
    } else {
        if (!lines_.empty()) {
            if (lines_.back().eol.empty()) lines_.back().eol = "\r\n";
            if (!Trim(lines_.back().text).empty()) {
                Line blank;
                blank.eol = "\r\n";
                lines_.push_back(std::move(blank));
            }
        }
        Line h;
        h.text = "[" + LegacyText::Encode(Trim(section)) + "]";
        h.eol = "\r\n";
        Classify(h);
        lines_.push_back(std::move(h));
        lines_.push_back(std::move(nl));
    }
    Save();
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

// Each key of the section once, at its first line, as the profile functions list them.
template <typename F>
void IniFile::ForEachKey(std::string_view section, F&& f) const {
    Refresh();
    const std::string fs = FoldName(section);
    std::set<std::string> seen;
    bool in = false;
    for (const auto& l : lines_) {
        if (l.kind == Kind::Section) in = l.folded == fs;
        else if (in && l.kind == Kind::Key && seen.insert(l.folded).second) f(l);
    }
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    ForEachKey(section, [&](const Line& l) { keys.push_back(KeyName(l)); });
    return keys;
}

std::vector<std::string> IniFile::ReadSectionValues(std::string_view section) const {
    std::vector<std::string> out;
    ForEachKey(section, [&](const Line& l) { out.push_back(KeyName(l) + "=" + Value(l)); });
    return out;
}

std::vector<std::string> IniFile::ReadSections() const {
    Refresh();
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const auto& l : lines_) {
        if (l.kind != Kind::Section || !seen.insert(l.folded).second) continue;
        size_t b = l.text.find('[');
        size_t e = l.text.rfind(']');
        std::string_view name = (e == std::string::npos || e <= b)
                                    ? std::string_view(l.text).substr(b + 1)
                                    : std::string_view(l.text).substr(b + 1, e - b - 1);
        out.push_back(LegacyText::Decode(Trim(name)));
    }
    return out;
}

// As the class library has it: a section exists when it holds at least one key.
bool IniFile::SectionExists(std::string_view section) const {
    return !ReadSection(section).empty();
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    Refresh();
    return FindKey(FoldName(section), FoldName(key)) >= 0;
}

void IniFile::EraseSection(std::string_view section) {
    Refresh();
    const std::string fs = FoldName(section);
    bool found = false;
    for (const auto& l : lines_)
        if (l.kind == Kind::Section && l.folded == fs) found = true;
    if (!found) return;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool in = false;
    for (auto& l : lines_) {
        if (l.kind == Kind::Section) in = l.folded == fs;
        if (!in) kept.push_back(std::move(l));
    }
    lines_ = std::move(kept);
    Save();
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    Refresh();
    long k = FindKey(FoldName(section), FoldName(key));
    if (k < 0) return;
    lines_.erase(lines_.begin() + k);
    Save();
}

}  // namespace kiv
