#include "platform/core/BlockFileView.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/core/KivError.h"

namespace kiv {

size_t BlockFileView::ReadAt(uint64_t off, void* buf, size_t n) {
    ++readCalls_;
    if (off >= size_) return 0;
    return file_.ReadAt(start_ + off, buf, size_t(std::min<uint64_t>(n, size_ - off)));
}

void BlockFileView::WriteAt(uint64_t, const void*, size_t) {
    throw EFileError("Cannot write", path_, EBADF);
}

void BlockFileView::Truncate(uint64_t) { throw EFileError("Cannot resize", path_, EBADF); }

bool IsNamedBy(const PosixBlockFile& file, const std::string& path) {
    struct stat mine {
    }, named{};
    if (::fstat(file.Fd(), &mine) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

}  // namespace kiv
