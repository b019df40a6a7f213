#pragma once
// Private XDG folders for a test process: the system's MIME database without the system's
// programs, and the desktop entries and defaults the test writes there. GLib reads these
// folders once per process, at its first use: enter the sandbox in a fresh (child) process
// before anything asks GIO.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/core/BlockFile.h"

namespace kiv::xdgtest {

// Makes root + data, data/applications, config, sys, etc and bin; links sys/mime to the
// system's MIME database; points XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_DATA_DIRS and
// XDG_CONFIG_DIRS there. False when the system has no MIME database.
inline bool EnterXdgSandbox(const std::string& root) {
    for (const char* d : {"data", "data/applications", "config", "sys", "etc", "bin"})
        ::mkdir((root + d).c_str(), 0755);
    std::string systemMime;
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    for (size_t i = 0; i <= list.size() && systemMime.empty();) {
        size_t j = list.find(':', i);
        if (j == std::string::npos) j = list.size();
        const std::string candidate = list.substr(i, j - i) + "/mime";
        if (FileExists(candidate + "/mime.cache")) systemMime = candidate;
        i = j + 1;
    }
    if (systemMime.empty() || ::symlink(systemMime.c_str(), (root + "sys/mime").c_str()) != 0)
        return false;
    ::setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "config").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (root + "sys").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (root + "etc").c_str(), 1);
    return true;
}

// A desktop entry of a program that opens text files: Exec runs exe with the file.
inline std::string TextDesktopEntry(const std::string& name, const std::string& exe) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exe +
           " %f\nMimeType=text/plain;\n";
}

// mimeapps.list making the desktop entry the default for text files.
inline std::string TextDefault(const std::string& desktopId) {
    return "[Default Applications]\ntext/plain=" + desktopId + "\n";
}

}  // namespace kiv::xdgtest
