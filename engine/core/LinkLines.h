#pragma once
// Link lines as a launch card stores them: target, the character 1, title.
#include <string>
#include <string_view>

namespace kiv {

constexpr char kLinkSeparator = '\x01';

// The text before the first character 1; empty when the line has none.
std::string LinkTarget(std::string_view line);
// The trimmed text after the first character 1; when that is empty, the file name part
// of the target (after its last "/" or "\").
std::string LinkTitle(std::string_view line);
std::string MakeLinkLine(std::string_view target, std::string_view title);
// The file name part of a path, Windows or POSIX.
std::string LinkFileName(std::string_view target);

// The target is an address to hand to the desktop rather than a path: it looks like a web
// address and is not an absolute path ("/srv/a.htm" is a file, "www.x.org/a.htm" is not).
bool IsWebAddress(std::string_view target);
// The target begins with "MAILTO:" in any letter case.
bool IsMailAddress(std::string_view target);

}  // namespace kiv
