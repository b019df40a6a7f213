#include "platform/core/AppPaths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/core/KivError.h"

namespace kiv {

namespace {
std::string g_appDir;
std::string g_tempDir;
bool g_cleanupRegistered = false;

std::string WithSlash(std::string s) {
    if (!s.empty() && s.back() != '/') s += '/';
    return s;
}

std::string ChooseAppDir() {
    if (const char* h = std::getenv("KIV_HOME"); h && *h) return WithSlash(h);
    std::string exe = ExecutableDir();
    if (!exe.empty()) {
        std::string ini = exe + "kiv.ini";
        if (::access(ini.c_str(), F_OK) == 0 && ::access(exe.c_str(), W_OK) == 0) return exe;
    }
    std::string base;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x && x[0] == '/') base = x;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else base = "/tmp";
    return WithSlash(base) + "kiv/";
}

void CleanupTemp() {
    if (!g_tempDir.empty()) RemoveTree(g_tempDir);
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}
}  // namespace

std::string ExecutableDir() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string p(buf, size_t(n));
    auto slash = p.find_last_of('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

bool MakeDirs(const std::string& dir) {
    if (dir.empty()) return false;
    std::string cur;
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            if (!cur.empty() && ::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
        if (i < dir.size()) cur += dir[i];
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void RemoveTree(const std::string& dir) {
    ::nftw(dir.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void InitAppPaths() {
    if (g_appDir.empty()) {
        g_appDir = ChooseAppDir();
        MakeDirs(g_appDir);
    }
}

void ResetAppPaths() { g_appDir.clear(); }

const std::string& AppDir() {
    InitAppPaths();
    return g_appDir;
}

std::string MakeTempDir(const std::vector<std::string>& bases) {
    int firstError = 0;
    std::string firstTried;
    for (const std::string& base : bases) {
        if (base.empty()) continue;
        std::string tmpl = WithSlash(base) + "kiv-XXXXXX";
        if (!::mkdtemp(tmpl.data())) {
            if (firstTried.empty()) {
                firstTried = tmpl;
                firstError = errno;
            }
            continue;
        }
        ::chmod(tmpl.c_str(), 0700);
        // Held for the process's life: a later start sees that the folder is in use.
        const std::string owner = WithSlash(tmpl) + kTempOwnerFile;
        const int fd = ::open(owner.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
        return WithSlash(tmpl);
    }
    throw EFileError("Cannot create temporary folder",
                     firstTried.empty() ? std::string("kiv-XXXXXX") : firstTried, firstError);
}

std::vector<std::string> TempDirBases() {
    std::vector<std::string> bases;
    auto add = [&bases](const std::string& base) {
        for (const std::string& b : bases)
            if (WithSlash(b) == WithSlash(base)) return;  // TMPDIR=/tmp: one sweep of /tmp
        bases.push_back(base);
    };
    if (const char* t = std::getenv("TMPDIR"); t && *t) add(t);
    add("/tmp");
    add(AppDir());
    return bases;
}

int SweepStaleTempDirs(const std::string& base, int minAgeSeconds) {
    const std::string dir = WithSlash(base);
    const time_t now = ::time(nullptr);
    int removed = 0;
    for (const std::string& name : FolderEntries(dir)) {
        // mkdtemp's names only: "kiv-" and six characters.
        if (name.size() != 10 || name.compare(0, 4, "kiv-") != 0) continue;
        const std::string full = dir + name;
        if (WithSlash(full) == g_tempDir) continue;
        struct stat st {};
        if (::lstat(full.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // A folder just made may not hold its owner's lock yet.
        if (now - st.st_mtime < minAgeSeconds) continue;
        const std::vector<std::string> inside = FolderEntries(full);
        if (inside.size() > 1 || (inside.size() == 1 && inside[0] != kTempOwnerFile)) continue;
        if (!inside.empty()) {
            const std::string owner = full + "/" + kTempOwnerFile;
            const int fd = ::open(owner.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0) continue;
            const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            if (free) ::unlink(owner.c_str());
            ::close(fd);
            if (!free) continue;  // a live process owns it
        }
        if (::rmdir(full.c_str()) == 0) ++removed;
    }
    return removed;
}

const std::string& TempDir() {
    if (g_tempDir.empty()) {
        g_tempDir = MakeTempDir(TempDirBases());
        if (!g_cleanupRegistered) {
            std::atexit(CleanupTemp);
            g_cleanupRegistered = true;
        }
    }
    return g_tempDir;
}

}  // namespace kiv
