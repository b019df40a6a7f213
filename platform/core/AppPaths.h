#pragma once
// The program folder and the private temporary folder, each with a trailing "/".
#include <string>
#include <vector>

namespace kiv {

// AppDir: $KIV_HOME when set; else the executable's folder when it holds "kiv.ini" and is
// writable (a portable install); else $XDG_DATA_HOME/kiv/ (~/.local/share/kiv/), created.
// Fixed by the first call (or by InitAppPaths); ResetAppPaths lets tests choose again.
const std::string& AppDir();
// A private folder (mode 0700) made at first use and removed at exit: in $TMPDIR, else in
// /tmp, else in the program folder, whichever takes it first.
const std::string& TempDir();
// The folders TempDir tries, in order.
std::vector<std::string> TempDirBases();
// A new "kiv-XXXXXX" folder in the first base that takes one, holding the owner's lock file
// (kTempOwnerFile) for the process's life. Raises EFileError when none does.
std::string MakeTempDir(const std::vector<std::string>& bases);
inline constexpr const char* kTempOwnerFile = ".owner";
// Removes the "kiv-XXXXXX" folders in base that runs cut short left: ours (same user), older
// than minAgeSeconds, empty but for an owner's lock that no live process holds. Returns how
// many went.
int SweepStaleTempDirs(const std::string& base, int minAgeSeconds = 60);

void InitAppPaths();
void ResetAppPaths();

// The folder of the running executable, with a trailing "/".
std::string ExecutableDir();

// Creates the folder and its parents; false when it cannot be made.
bool MakeDirs(const std::string& dir);
// Removes a folder with everything below it; best effort.
void RemoveTree(const std::string& dir);
// The names in a folder (not "." and ".."), sorted as bytes; empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& dir);

}  // namespace kiv
