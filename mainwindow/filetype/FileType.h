#pragma once
// The ".kiv" file type for the desktop, registered at every start (TFileType). No command.
//
// The ".kiv" file type for the desktop: a shared-mime-info package (application/x-kiv,
// "*.kiv") and a desktop entry that opens such files with this program, both under the
// user's XDG data folder. Written at every start, only when they differ from what is
// there; a failure is ignored and never stops the start.
#include <string>

namespace kiv {

extern const char* const kKivMimeType;  // "application/x-kiv"

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; with a trailing "/".
std::string XdgDataHome();

std::string KivMimePackage();
// The desktop entry for the program at executablePath.
std::string KivDesktopEntry(const std::string& executablePath);
// executablePath quoted for a desktop entry's Exec key.
std::string DesktopExecQuote(const std::string& path);

// True when both files are in place afterwards. Never throws. When a file changed, the
// desktop's caches are refreshed in the background where their tools are installed.
bool RegisterKivFileType(const std::string& executablePath);

// The window's part: the file type registered for the running program.
class TFileType {
public:
    // Never throws; false when the files are not in place.
    bool Register();
};

}  // namespace kiv
