#pragma once
// Small helpers for folders, whole-file text and the conversion between local paths and web
// addresses. The program folder and the private temporary folder are AppDir() and TempDir()
// (platform/core/AppPaths.h), each with a trailing "/".
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/AppPaths.h"

namespace kiv {

// The folder with sep appended unless it already ends with sep; "" stays "". The separator
// is "/" here; stored Windows folders pass '\\'.
std::string IncludeTrailingBackslash(std::string_view folder, char sep = '/');

// The system temporary folder ($TMPDIR when set, else /tmp), trimmed, with a trailing "/".
// Files with fixed names belong in the private TempDir() instead.
std::string GetTempFolder();

// The whole file as bytes; "" when it cannot be opened or read.
std::string ReadFileToString(const std::string& path);
// The file's size in bytes; raises EFileError when it cannot be opened.
uint64_t FileSizeOf(const std::string& path);

// Percent escapes become their bytes. "+" is a literal character of a file name, and "%00"
// stays as written: a NUL would cut the path short when it reaches the system.
std::string PercentDecode(std::string_view s);

// "C:\a\b.htm" -> "file:///C:/a/b.htm"; "/home/a b.htm" -> "file:///home/a b.htm";
// a text without "://" gets "http://" in front; anything else is returned unchanged.
// Nothing is percent-encoded.
std::string PathToURL(std::string_view path);
// "file:///C:/a%20b/x.htm" -> "C:\a b\x.htm"; "file:///home/a%20b" -> "/home/a b". Only the
// exact lower-case prefix "file:///" is converted; "+" stays "+". Any other text is returned
// unchanged.
std::string URLToPath(std::string_view address);

// The text between the n-th start tag from pos on and the next end tag, compared without
// regard to case, trimmed; pos then moves past the end tag. When a tag is missing the result
// (or n is below 1) is "" and pos becomes npos; npos or an empty start tag gives "".
std::string ExtractBetween(std::string_view text, size_t& pos, std::string_view startTag,
                           std::string_view endTag, int n = 1);

// The extension of a path as the Windows helpers took it: from the last "." after the last
// separator ("/", "\\" or ":"), including the dot; empty when there is none.
std::string PathExtension(std::string_view path);

// The text looks like a web address or a web page: after trimming and upper-casing it
// begins with "HTTP:", "HTTPS:", "FTP:" or "WWW.", or ends in ".HTM", ".HTML" or ".SHTML".
bool IsURLText(std::string_view text);

}  // namespace kiv
