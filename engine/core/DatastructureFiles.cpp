#include "engine/core/DatastructureFiles.h"

#include "platform/core/IniFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/core/Cards.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/SamePath.h"

namespace kiv {

namespace {

TFileStepHook g_stepHook;

void Step(std::string_view name) {
    if (g_stepHook) g_stepHook(name);
}

std::string DirOf(const std::string& path) {
    auto p = path.find_last_of('/');
    if (p == std::string::npos) return ".";
    if (p == 0) return "/";
    return path.substr(0, p);
}

std::string BaseNameOf(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ChangeFileExt(const std::string& path, const char* ext) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
    return path.substr(0, dot) + ext;
}

constexpr const char* kTempInfix = ".tmp";
constexpr size_t kTempRandomLength = 6;  // mkstemp's XXXXXX

std::unique_ptr<PosixBlockFile> OpenLocked(const std::string& path, OpenMode mode) {
    return PosixBlockFile::Open(path, mode, true);
}

void RemoveAndSync(const std::string& path) {
    RemoveFile(path);
    SyncDir(DirOf(path));
}

mode_t NewFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A temporary file beside a datastructure, named after it ("x.kiv.tmpXXXXXX") so that the
// recovery can find what a crash left. It holds the write lock while it is written, which
// tells a concurrent recovery to keep off; it is removed unless it was renamed into place.
class TTempFile {
public:
    TTempFile(const std::string& beside, mode_t mode) {
        std::string name = beside + kTempInfix + std::string(kTempRandomLength, 'X');
        int fd = ::mkstemp(name.data());
        if (fd < 0) throw EFileError("Cannot create file", name, errno);
        path_ = name;
        if (::fchmod(fd, mode) != 0) {
            int e = errno;
            ::close(fd);
            ::unlink(path_.c_str());
            throw EFileError("Cannot set the mode of", path_, e);
        }
        try {
            file_ = OpenLocked(path_, OpenMode::ReadWrite);
        } catch (...) {
            ::close(fd);
            ::unlink(path_.c_str());
            throw;
        }
        ::close(fd);
    }
    ~TTempFile() {
        file_.reset();
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    PosixBlockFile& File() { return *file_; }
    const std::string& Path() const { return path_; }

    // Renames the synced file over target (or, with noReplace, only where nothing is).
    void RenameTo(const std::string& target, bool noReplace = false) {
        if (noReplace) RenameNoReplace(path_, target);
        else RenameFile(path_, target);
        path_.clear();
        file_.reset();
    }

private:
    std::string path_;
    std::unique_ptr<PosixBlockFile> file_;
};

mode_t ModeOf(const BlockFile& f) {
    if (auto* p = dynamic_cast<const PosixBlockFile*>(&f)) {
        struct stat st {};
        if (::fstat(p->Fd(), &st) == 0) return st.st_mode & 07777;
    }
    return NewFileMode();
}

constexpr size_t kCopyBuffer = size_t(1) << 20;

void CopyBuffered(BlockFile& src, uint64_t from, uint64_t len, BlockFile& dst, uint64_t to) {
    std::vector<char> buf(size_t(std::min<uint64_t>(len, kCopyBuffer)));
    while (len > 0) {
        size_t n = size_t(std::min<uint64_t>(len, buf.size()));
        if (src.ReadAt(from, buf.data(), n) != n)
            throw EFileError("Unexpected end of file in", src.Path(), 0);
        dst.WriteAt(to, buf.data(), n);
        from += n;
        to += n;
        len -= n;
    }
}

// Copies len bytes, in the kernel where both sides are real files.
void CopyRange(BlockFile& src, uint64_t from, uint64_t len, BlockFile& dst, uint64_t to) {
    auto* ps = dynamic_cast<PosixBlockFile*>(&src);
    auto* pd = dynamic_cast<PosixBlockFile*>(&dst);
    if (ps && pd) {
        while (len > 0) {
            off_t in = off_t(from), out = off_t(to);
            ssize_t n = ::copy_file_range(ps->Fd(), &in, pd->Fd(), &out,
                                          size_t(std::min<uint64_t>(len, 1u << 30)), 0);
            if (n < 0 && errno == EINTR) continue;
            // Anything else (unsupported, or a real failure) is left to the plain copy, which
            // reports the failing side with its reason.
            if (n <= 0) break;
            from += uint64_t(n);
            to += uint64_t(n);
            len -= uint64_t(n);
        }
    }
    CopyBuffered(src, from, len, dst, to);
}

bool SameBytes(BlockFile& a, uint64_t aoff, BlockFile& b, uint64_t boff, uint64_t len) {
    std::vector<char> x(size_t(std::min<uint64_t>(len, kCopyBuffer)));
    std::vector<char> y(x.size());
    while (len > 0) {
        size_t n = size_t(std::min<uint64_t>(len, x.size()));
        if (a.ReadAt(aoff, x.data(), n) != n || b.ReadAt(boff, y.data(), n) != n) return false;
        if (std::memcmp(x.data(), y.data(), n) != 0) return false;
        aoff += n;
        boff += n;
        len -= n;
    }
    return true;
}

// An outline file at off..off+len: a root header with card directory 0 whose root nest is 0
// or an address inside it.
bool PlausibleOutline(BlockFile& f, uint64_t off, uint64_t len) {
    uint32_t dir = 0, root = 0;
    if (len < 8 || !f.ReadU32(off, dir) || !f.ReadU32(off + 4, root)) return false;
    return dir == 0 && (root == 0 || (root >= 8 && uint64_t(root) + 8 <= len));
}

EKivError NotADatastructure(const std::string& path, BlockFile& f) {
    std::string m = "\"" + path + "\" is not a KIV datastructure";
    if (PlausibleOutline(f, 0, f.Size()))
        m += ": it holds only an outline, and its card file \"" + CardFileName(path) +
             "\" is missing";
    return EKivError(m + ". The file was left unchanged.");
}

void WriteTrailer(BlockFile& f, uint64_t at, uint32_t outlineSize, uint32_t total) {
    char t[kJoinedTrailerSize];
    PutU32(t, outlineSize);
    PutU32(t + 4, total);
    f.WriteAt(at, t, sizeof t);
}

bool IsTempName(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + kTempRandomLength || name.compare(0, prefix.size(), prefix))
        return false;
    return std::all_of(name.begin() + long(prefix.size()), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// Removes the temporary files that an interrupted operation on path left; one that another
// process is writing (it holds the lock) is left alone.
void RemoveStaleTemps(const std::string& path) {
    const std::string dir = DirOf(path);
    const std::string prefix = BaseNameOf(path) + kTempInfix;
    std::vector<std::string> stale;
    for (const std::string& n : FolderEntries(dir))
        if (IsTempName(n, prefix)) stale.push_back(dir + "/" + n);
    for (const std::string& s : stale) {
        struct stat st {};
        if (::lstat(s.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        std::unique_ptr<PosixBlockFile> held;
        try {
            held = OpenLocked(s, OpenMode::ReadWrite);
        } catch (const EFileError&) {
            continue;  // in use
        }
        RemoveFile(s);
    }
}

// The old program joined in place: card file, outline, u32 K appended to the ".dsc", the
// ".kiv" deleted, then T appended. K is the last u32 of such a ".dsc".
EKivError MissingOutline(const std::string& path) {
    return EKivError("The outline file \"" + path +
                     "\" of this datastructure is missing; its card file \"" + CardFileName(path) +
                     "\" was left as it is.");
}

bool InterruptedInPlaceJoin(BlockFile& d, uint32_t& outlineSize) {
    uint64_t size = d.Size();
    if (size < 4 + 8 + 4 || size > 0xFFFFFFFFull - 4) return false;
    if (!d.ReadU32(size - 4, outlineSize)) return false;
    if (outlineSize < 8 || uint64_t(outlineSize) > size - 8) return false;
    return PlausibleOutline(d, size - 4 - outlineSize, outlineSize);
}

}  // namespace

void SetFileStepHook(TFileStepHook hook) { g_stepHook = std::move(hook); }
void FileStep(std::string_view step) { Step(step); }

std::string CardFileName(const std::string& path) { return ChangeFileExt(path, ".dsc"); }
std::string BackupFileName(const std::string& path) { return ChangeFileExt(path, ".bak"); }

bool ReadJoinedTrailer(BlockFile& f, TJoinedTrailer& t) {
    const uint64_t size = f.Size();
    if (size < kMinJoinedSize || size > 0xFFFFFFFFull) return false;
    uint32_t k = 0, total = 0;
    if (!f.ReadU32(size - 8, k) || !f.ReadU32(size - 4, total)) return false;
    if (total != size || k < 8 || uint64_t(k) > size - 12) return false;
    t.OutlineSize = k;
    t.TotalSize = total;
    t.CardSize = size - kJoinedTrailerSize - k;
    return true;
}

// ---- recovery ----

void RecoverDatastructure(const std::string& path) {
    const std::string& P = path;
    const std::string D = CardFileName(path);
    RemoveStaleTemps(P);
    const bool hasP = FileExists(P), hasD = FileExists(D);
    if (!hasD) return;  // closed, new, or a lone ".kiv" that the split will judge

    if (!hasP) {
        auto d = OpenLocked(D, OpenMode::ReadWrite);
        TJoinedTrailer t;
        if (ReadJoinedTrailer(*d, t)) {
            // Interrupted split (or the old join just before its rename): the whole
            // datastructure is in the ".dsc"; it becomes the closed file again.
            Step("recover:rename-joined");
            RenameNoReplace(D, P);
            return;
        }
        uint32_t k = 0;
        if (InterruptedInPlaceJoin(*d, k)) {
            // Finished by a copy: the ".dsc" stays as it is until the joined file is in place.
            const uint64_t size = d->Size();
            Step("recover:create-temp");
            TTempFile tmp(P, ModeOf(*d));
            Step("recover:write-joined");
            CopyRange(*d, 0, size, tmp.File(), 0);
            tmp.File().WriteU32(size, uint32_t(size + 4));  // K is there already
            Step("recover:sync");
            tmp.File().Sync();
            Step("recover:rename");
            tmp.RenameTo(P, true);
            Step("recover:remove-dsc");
            RemoveAndSync(D);
            return;
        }
        throw MissingOutline(P);
    }

    auto p = OpenLocked(P, OpenMode::ReadWrite);
    auto d = OpenLocked(D, OpenMode::ReadWrite);
    TJoinedTrailer tp;
    if (ReadJoinedTrailer(*p, tp)) {
        // Interrupted join after its rename: the ".dsc" holds nothing the joined file lacks.
        const uint64_t ds = d->Size();
        if (ds >= tp.CardSize && ds <= p->Size() && SameBytes(*d, 0, *p, 0, ds)) {
            Step("recover:remove-dsc");
            RemoveAndSync(D);
            return;
        }
        throw EKivError("\"" + P + "\" is a closed datastructure, but the card file \"" + D +
                        "\" beside it does not belong to it; both were left as they are.");
    }
    TJoinedTrailer td;
    const uint64_t ps = p->Size();
    if (ReadJoinedTrailer(*d, td)) {
        const uint64_t k = td.OutlineSize;
        if (ps == k && SameBytes(*p, 0, *d, td.CardSize, k)) {
            // Interrupted split after both renames: the ".dsc" still carries the outline.
            Step("recover:truncate-dsc");
            d->Truncate(td.CardSize);
            d->Sync();
            return;
        }
        if (ps < k && SameBytes(*p, 0, *d, td.CardSize, ps)) {
            // The old split was cut off while it wrote the outline: write it again.
            Step("recover:create-temp");
            TTempFile tmp(P, ModeOf(*p));
            Step("recover:write-outline");
            CopyRange(*d, td.CardSize, k, tmp.File(), 0);
            Step("recover:sync");
            tmp.File().Sync();
            Step("recover:rename");
            tmp.RenameTo(P);
            Step("recover:truncate-dsc");
            d->Truncate(td.CardSize);
            d->Sync();
            return;
        }
        return;  // an open pair whose card file only looks joined: used as it is
    }
    uint32_t k = 0;
    const uint64_t ds = d->Size();
    if (ps >= 8 && ds >= ps + 8 && d->ReadU32(ds - 4, k) && k == ps &&
        SameBytes(*p, 0, *d, ds - 4 - ps, ps)) {
        // The old join was cut off after appending the outline: take it back off.
        Step("recover:truncate-dsc");
        d->Truncate(ds - 4 - ps);
        d->Sync();
    }
}

// ---- join and split ----

void PackDatastructure(const std::string& path) {
    RecoverDatastructure(path);
    const std::string& P = path;
    const std::string D = CardFileName(path);
    if (!FileExists(P) || !FileExists(D)) return;
    auto p = OpenLocked(P, OpenMode::ReadWrite);
    auto d = OpenLocked(D, OpenMode::ReadWrite);
    const uint64_t k = p->Size(), c = d->Size();
    if (k < 8 || c < 4)
        throw EKivError("The datastructure \"" + P + "\" cannot be joined: its " +
                        (k < 8 ? "outline" : "card") +
                        " file is damaged. The files were left as they are.");
    const uint64_t total = c + k + kJoinedTrailerSize;
    if (total > 0xFFFFFFFFull)
        throw EKivError(
            "The datastructure \"" + P +
            "\" is too large to be joined into one file (4 GB at most); it was left open as a pair of files.");

    Step("pack:create-temp");
    TTempFile tmp(P, ModeOf(*p));
    Step("pack:write-cards");
    CopyRange(*d, 0, c, tmp.File(), 0);
    Step("pack:write-outline");
    CopyRange(*p, 0, k, tmp.File(), c);
    WriteTrailer(tmp.File(), c + k, uint32_t(k), uint32_t(total));
    Step("pack:sync");
    tmp.File().Sync();
    Step("pack:rename");
    tmp.RenameTo(P);
    // From here the joined file is complete; a ".dsc" that stays behind is removed by the
    // next recovery.
    Step("pack:remove-dsc");
    RemoveAndSync(D);
    Step("pack:done");
}

void UnpackDatastructure(const std::string& path) {
    RecoverDatastructure(path);
    const std::string& P = path;
    const std::string D = CardFileName(path);
    if (FileExists(D) || !FileExists(P)) return;
    auto f = OpenLocked(P, OpenMode::ReadWrite);
    TJoinedTrailer t;
    if (!ReadJoinedTrailer(*f, t)) throw NotADatastructure(P, *f);

    Step("unpack:create-temp");
    TTempFile tmp(P, ModeOf(*f));
    Step("unpack:write-outline");
    CopyRange(*f, t.CardSize, t.OutlineSize, tmp.File(), 0);
    Step("unpack:sync");
    tmp.File().Sync();
    // The joined file becomes the card file by its name first; f follows it.
    Step("unpack:rename-to-dsc");
    RenameNoReplace(P, D);
    try {
        Step("unpack:rename-outline");
        tmp.RenameTo(P, true);
    } catch (...) {
        try {
            RenameNoReplace(D, P);
        } catch (...) {
            // The lone joined ".dsc" is recovered at the next open.
        }
        throw;
    }
    // The pair is complete; until the cut, the ".dsc" still ends with the outline and the
    // trailer, which the recovery takes off.
    Step("unpack:truncate-dsc");
    f->Truncate(t.CardSize);
    Step("unpack:sync-dsc");
    f->Sync();
    Step("unpack:done");
}

void BackupDatastructure(const std::string& path) {
    PackDatastructure(path);
    if (!FileExists(path)) return;
    auto f = OpenLocked(path, OpenMode::ReadOnly);
    TJoinedTrailer t;
    if (!ReadJoinedTrailer(*f, t)) throw NotADatastructure(path, *f);
    Step("backup:create-temp");
    TTempFile tmp(path, ModeOf(*f));
    Step("backup:write");
    CopyRange(*f, 0, f->Size(), tmp.File(), 0);
    Step("backup:sync");
    tmp.File().Sync();
    Step("backup:rename");
    tmp.RenameTo(BackupFileName(path));
    Step("backup:done");
}

std::string WhyNotADatastructure(const std::string& path) {
    const std::string D = CardFileName(path);
    const bool hasP = FileExists(path), hasD = FileExists(D);
    if (hasP == hasD) return {};  // a pair (the recovery mends it), or nothing there
    try {
        TJoinedTrailer t;
        if (hasD) {
            auto d = PosixBlockFile::Open(D, OpenMode::ReadOnly);
            uint32_t k = 0;
            if (ReadJoinedTrailer(*d, t) || InterruptedInPlaceJoin(*d, k)) return {};
            return MissingOutline(path).what();
        }
        auto f = PosixBlockFile::Open(path, OpenMode::ReadOnly);
        if (ReadJoinedTrailer(*f, t)) return {};
        return NotADatastructure(path, *f).what();
    } catch (const std::exception& e) {
        return e.what();
    }
}

TDatastructurePair OpenDatastructurePair(const std::string& path, bool createWhenMissing) {
    RecoverDatastructure(path);
    const std::string D = CardFileName(path);
    if (!FileExists(path) && !FileExists(D)) {
        if (!createWhenMissing) throw EFileError("Cannot open file", path, ENOENT);
        Step("create:create-temp");
        TTempFile tmp(path, NewFileMode());
        std::string empty(4 + 8, '\0');
        tmp.File().WriteAt(0, empty.data(), empty.size());
        WriteTrailer(tmp.File(), empty.size(), 8, kMinJoinedSize);
        Step("create:sync");
        tmp.File().Sync();
        Step("create:rename");
        tmp.RenameTo(path, true);
    }
    UnpackDatastructure(path);
    TDatastructurePair pair;
    pair.Outline = OpenLocked(path, OpenMode::ReadWrite);
    pair.Cards = OpenLocked(D, OpenMode::ReadWrite);
    return pair;
}

// ---- captions of paths and the recent-files list ----

std::string ShortenPath(const std::string& path) {
    constexpr size_t kMax = 40;
    if (path.size() <= kMax) return path;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    auto measured = [&] {
        size_t n = 0;
        for (const auto& s : parts) n += s.size() + 2;
        return n;
    };
    bool removed = false;
    while (measured() > kMax && parts.size() >= 3) {
        parts.erase(parts.end() - 2);
        removed = true;
    }
    if (removed) parts.insert(parts.end() - 1, "...");
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        out += parts[i];
    }
    return out;
}

TLastOpened UpdateLastOpened(const TIniSection& section, const std::string& path) {
    const std::string& base = RelativePathBase();
    // Each entry with the form it is stored in: what the user did not change stays as written
    // (a Windows spelling in other letter case or with "\" included).
    std::vector<std::pair<std::string, std::string>> list{{path, MakeRelativePath(base, path)}};
    bool listed = false;
    for (const auto& kv : section) {
        std::string e = ResolveRelativePath(base, kv.second);
        if (e.empty()) continue;
        const auto same = std::find_if(list.begin(), list.end(),
                                       [&](const auto& l) { return SamePath(l.first, e); });
        if (same == list.end()) list.emplace_back(std::move(e), kv.second);
        else if (same == list.begin() && !std::exchange(listed, true)) same->second = kv.second;
    }
    TLastOpened r;
    for (const auto& [e, stored] : list) {
        if (int(r.Entries.size()) == kLastOpenedCount) break;
        // A file that is missing may be on a drive not mounted yet and stays listed; a folder
        // never opens. kiv.ini would keep a line break as another name: left out.
        if (DirExists(e) || !IniFile::FitsOneLine(e) || !IniFile::FitsOneLine(stored)) continue;
        r.Entries.push_back(e);
        r.Section.emplace_back(IntToStr(int64_t(r.Entries.size())), stored);
    }
    r.Entries.resize(kLastOpenedCount);
    return r;
}

std::string LastOpenedCaption(int n, const std::string& entry) {
    return IntToStr(n) + " " + ShortenPath(entry);
}

}  // namespace kiv
