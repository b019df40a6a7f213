#include "platform/core/BlockFile.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <random>

#include "platform/core/KivError.h"

namespace kiv {

uint64_t BlockFile::Append(const void* buf, size_t n) {
    uint64_t off = Size();
    WriteAt(off, buf, n);
    return off;
}

std::string BlockFile::ReadAll() {
    std::string s(Size(), '\0');
    size_t got = s.empty() ? 0 : ReadAt(0, s.data(), s.size());
    s.resize(got);
    return s;
}

void BlockFile::WriteAll(const std::string& bytes) {
    Truncate(0);
    if (!bytes.empty()) WriteAt(0, bytes.data(), bytes.size());
}

bool BlockFile::ReadU32(uint64_t off, uint32_t& v) {
    unsigned char b[4];
    if (!ReadExact(off, b, 4)) return false;
    v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

void BlockFile::WriteU32(uint64_t off, uint32_t v) {
    unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    WriteAt(off, b, 4);
}

AppendRollback::AppendRollback(BlockFile* f)
    : f_(f), size_(f ? f->Size() : 0), exceptions_(std::uncaught_exceptions()) {}

AppendRollback::~AppendRollback() {
    if (!f_ || std::uncaught_exceptions() <= exceptions_) return;
    try {
        if (f_->Size() > size_) f_->Truncate(size_);
    } catch (...) {
    }
}

void IgnoreFileSizeSignal() {
    struct sigaction sa {};
    sa.sa_handler = SIG_IGN;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGXFSZ, &sa, nullptr);
}

// ---- POSIX ----

std::unique_ptr<PosixBlockFile> PosixBlockFile::Open(const std::string& path, OpenMode mode,
                                                     bool lockWrite) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::ReadOnly: flags |= O_RDONLY; break;
    case OpenMode::ReadWrite: flags |= O_RDWR; break;
    case OpenMode::Create: flags |= O_RDWR | O_CREAT; break;
    case OpenMode::Truncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) throw EFileError("Cannot open file", path, errno);
    if (lockWrite) {
        struct flock fl {};
        fl.l_type = (mode == OpenMode::ReadOnly) ? F_RDLCK : F_WRLCK;
        fl.l_whence = SEEK_SET;
        if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
            int e = errno;
            ::close(fd);
            if (e == EAGAIN || e == EACCES)
                throw EFileError("File is in use by another program", path, 0);
            throw EFileError("Cannot lock file", path, e);
        }
    }
    return std::unique_ptr<PosixBlockFile>(new PosixBlockFile(fd, path));
}

PosixBlockFile::~PosixBlockFile() {
    if (fd_ >= 0) ::close(fd_);
}

uint64_t PosixBlockFile::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EFileError("Cannot read size of", path_, errno);
    return uint64_t(st.st_size);
}

size_t PosixBlockFile::ReadAt(uint64_t off, void* buf, size_t n) {
    ++readCalls_;
    size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, off_t(off + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw EFileError("Cannot read", path_, errno);
        }
        if (r == 0) break;
        done += size_t(r);
    }
    return done;
}

void PosixBlockFile::WriteAt(uint64_t off, const void* buf, size_t n) {
    size_t done = 0;
    auto* p = static_cast<const char*>(buf);
    while (done < n) {
        ssize_t r = ::pwrite(fd_, p + done, n - done, off_t(off + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            throw EFileError("Cannot write", path_, errno);
        }
        if (r == 0) throw EFileError("Cannot write", path_, ENOSPC);
        done += size_t(r);
    }
}

void PosixBlockFile::Truncate(uint64_t size) {
    if (::ftruncate(fd_, off_t(size)) != 0) throw EFileError("Cannot resize", path_, errno);
}

void PosixBlockFile::Sync() {
    if (::fsync(fd_) != 0) throw EFileError("Cannot flush", path_, errno);
}

// ---- memory ----

size_t MemoryBlockFile::ReadAt(uint64_t off, void* buf, size_t n) {
    ++readCalls_;
    if (off >= data_.size()) return 0;
    size_t k = std::min<uint64_t>(n, data_.size() - off);
    std::memcpy(buf, data_.data() + off, k);
    return k;
}

void MemoryBlockFile::WriteAt(uint64_t off, const void* buf, size_t n) {
    if (failOne_ >= 0 && writes_ == failOne_) {
        failOne_ = -1;
        ++writes_;  // counted, so that the write after it is the next number
        throw EFileError("Cannot write", path_, failOneError_);
    }
    bool fail = failAfter_ >= 0 && writes_ >= failAfter_;
    size_t k = fail ? n / 2 : n;
    const uint64_t room = std::max<uint64_t>(spaceLimit_, data_.size());
    if (off + k > room) {
        // What a full disk does: the bytes up to the limit land, the rest does not.
        k = off >= room ? 0 : size_t(room - off);
        fail = true;
    }
    if (off + k > data_.size()) data_.resize(off + k, '\0');
    if (k) std::memcpy(data_.data() + off, buf, k);
    if (fail) throw EFileError("Cannot write", path_, ENOSPC);
    ++writes_;
}

void MemoryBlockFile::Truncate(uint64_t size) { data_.resize(size, '\0'); }

// ---- whole files ----

std::string ReadWholeFile(const std::string& path) {
    return PosixBlockFile::Open(path, OpenMode::ReadOnly)->ReadAll();
}

static std::string DirOf(const std::string& path) {
    auto p = path.find_last_of('/');
    if (p == std::string::npos) return ".";
    if (p == 0) return "/";
    return path.substr(0, p);
}

void SyncDir(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
    std::random_device rd;
    std::string tmp = path + ".tmp" + std::to_string(rd() % 1000000);
    {
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) throw EFileError("Cannot create file", tmp, errno);
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
        ::close(fd);
    }
    try {
        auto f = PosixBlockFile::Open(tmp, OpenMode::ReadWrite);
        if (!bytes.empty()) f->WriteAt(0, bytes.data(), bytes.size());
        f->Sync();
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw EFileError("Cannot replace file", path, e);
    }
    SyncDir(DirOf(path));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void RenameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        throw EFileError("Cannot rename \"" + from + "\" to", to, errno);
    SyncDir(DirOf(to));
}

void RenameNoReplace(const std::string& from, const std::string& to) {
    const std::string what = "Cannot rename \"" + from + "\" to";
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        SyncDir(DirOf(to));
        return;
    }
    int e = errno;
    if (e != EINVAL && e != ENOSYS && e != ENOTSUP) throw EFileError(what, to, e);
    // The file system cannot refuse to replace; a hard link can, since it never replaces.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) != 0) {
            e = errno;
            ::unlink(to.c_str());  // the old name stays: the new one is taken back
            throw EFileError(what, to, e);
        }
        SyncDir(DirOf(to));
        return;
    }
    e = errno;
    if (e != EPERM && e != ENOTSUP) throw EFileError(what, to, e);
    // Nor hard links (FAT and the like): check, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) throw EFileError(what, to, EEXIST);
    RenameFile(from, to);
}

void RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) throw EFileError("Cannot delete file", path, errno);
}

}  // namespace kiv
