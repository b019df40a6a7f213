#pragma once
// Paths as datastructures, launch cards and settings store them, and where they lead on this
// machine. Stored paths are bytes in the storage codec (Windows-1252 from Windows, UTF-8 when
// Windows-1252 cannot hold them); "||" stands for the program folder and what follows it may
// be written the Windows way ("\" separators, any letter case). File names here are UTF-8.
#include <string>
#include <string_view>

namespace kiv {

// "C:\..." or "c:/...": a path of a Windows drive, which names nothing here.
bool IsDrivePath(std::string_view s);

// The stored path as text (UTF-8): decoded, "||" replaced by the base with the rest's "\"
// turned into "/" (under a drive base the rest is kept as written). Nothing is looked up.
std::string StoredPathText(std::string_view stored, std::string_view base);

// The file the stored path names: StoredPathText, and when that does not exist and the path
// came through "||", each component after the base is taken as its folder spells it, without
// regard to letter case (exactly spelt entries first), and last the stored bytes as they
// stand (a name here that is not UTF-8). A path that still does not resolve is returned as
// StoredPathText gives it, so it can be reported by that name.
std::string ResolveStoredPath(std::string_view stored, std::string_view base);

// The file a path (UTF-8) under the folder names: the path when it exists, else the names
// after the folder taken as the folder spells them, without regard to letter case; the path
// as given when that finds nothing either.
std::string FindIgnoringCase(const std::string& path, const std::string& folder);

// True when the resolved path is a local file name that exists (drive paths never do).
bool StoredPathExists(const std::string& resolved);

}  // namespace kiv
