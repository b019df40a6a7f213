#include "platform/core/KivError.h"

#include <cerrno>
#include <cstring>

namespace kiv {

static std::string FileMessage(const std::string& what, const std::string& path, int err) {
    std::string m = what + " \"" + path + "\"";
    if (err != 0) m += ": " + std::string(std::strerror(err));
    return m;
}

EFileError::EFileError(const std::string& what, const std::string& path, int err)
    : EKivError(FileMessage(what, path, err)), path_(path), errno_(err) {}

bool EFileError::NoRoom() const { return errno_ == ENOSPC || errno_ == EFBIG || errno_ == EDQUOT; }

}  // namespace kiv
