#pragma once
// The one root of the data layer's exceptions. Messages are shown to the user as they stand.
#include <stdexcept>
#include <string>

namespace kiv {

class EKivError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed system call on a file: carries the path and the system's reason.
class EFileError : public EKivError {
public:
    EFileError(const std::string& what, const std::string& path, int err);
    const std::string& Path() const { return path_; }
    int Errno() const { return errno_; }
    // The disk, the quota or the size limit had no room for what was written.
    bool NoRoom() const;

private:
    std::string path_;
    int errno_;
};

}  // namespace kiv
