// Loaded with LD_PRELOAD into a program under test: the n-th write to an outline (.kiv) or
// card (.dsc) file fails with EIO and lands nothing, or the program is killed (SIGKILL) just
// before it, as a failing disk or a power cut would leave the files.
//   KIV_EIO_FAIL=n   the n-th write (1 = the first) fails
//   KIV_EIO_KILL=n   SIGKILL before the n-th write
// Writes count only once the program calls kiv_eio_arm() (found with dlsym), so that what it
// does before the operation under test is left alone; kiv_eio_writes() tells how many came.
#include <dlfcn.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<bool> gArmed{false};
std::atomic<int> gWrites{0};

int EnvNumber(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : 0;
}

bool Watched(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[4096];
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n < 4) return false;
    path[n] = '\0';
    const char* ext = path + n - 4;
    return ::strcasecmp(ext, ".kiv") == 0 || ::strcasecmp(ext, ".dsc") == 0;
}

// False when this write is the one to fail.
bool Passes(int fd) {
    if (!gArmed || !Watched(fd)) return true;
    const int n = ++gWrites;
    if (n == EnvNumber("KIV_EIO_KILL")) ::raise(SIGKILL);
    if (n == EnvNumber("KIV_EIO_FAIL")) {
        errno = EIO;
        return false;
    }
    return true;
}

template <class F>
F Next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void kiv_eio_arm() {
    gWrites = 0;
    gArmed = true;
}

int kiv_eio_writes() { return gWrites; }

ssize_t pwrite(int fd, const void* buf, size_t n, off_t off) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    if (!Passes(fd)) return -1;
    return real(fd, buf, n, off);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t off) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    if (!Passes(fd)) return -1;
    return real(fd, buf, n, off);
}

ssize_t write(int fd, const void* buf, size_t n) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (!Passes(fd)) return -1;
    return real(fd, buf, n);
}

}  // extern "C"
