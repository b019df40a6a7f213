#pragma once
// The one comparison of file paths. Paths are kept as they were given and never opened
// through a case-folded copy.
#include <string>

namespace kiv {

// True when the two paths name the same file: equal as they stand, or both exist and are
// one file (same device and inode). The second test also covers "a/./b", symbolic links
// and case-insensitive file systems, where "X.kiv" and "x.kiv" are one file; on a
// case-sensitive file system they are two.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace kiv
