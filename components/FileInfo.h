#pragma once
// Three questions about one file: which program the desktop opens it with, what its
// version resource says, and whether someone holds it locked.
#include <QString>
#include <cstdint>

#include "platform/core/PeVersion.h"

namespace kiv {

struct TFileVersionInfo {
    QString FileTypeName;  // the MIME type's description, at most 80 characters
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalRights;
    QString LegalTrademarks;
    QString OriginalFilename;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString SpecialBuild;
    QString PrivateBuild;
    uint8_t FileTypeCode = 0;
    bool Debug = false;
    bool PreRelease = false;
    bool IsSpecialBuild = false;
    bool IsPrivateBuild = false;
    bool Patched = false;
    bool InfoInferred = false;
};

// The desktop's default application for a file's MIME type.
struct TAssociatedApp {
    QString DesktopId;  // "org.gnome.gedit.desktop"
    QString Name;       // "Text Editor"
    QString Exe;        // the absolute path of the program it runs
};

class TFileInfo {
public:
    explicit TFileInfo(const QString& FileName) : fileName_(FileName) {}

    QString FileName() const { return fileName_; }

    // The program the desktop opens the file with (mimeapps.list defaults first), as an
    // absolute path; empty for a missing file or a type nothing opens.
    QString GetAssociatedExe() const;
    // The same, with the desktop entry it came from; false when there is none.
    bool GetAssociatedApp(TAssociatedApp& App) const;

    // Version strings and flags come from the version resource of Windows executables;
    // other files give the type name only. Our own executable answers with the version
    // it was built as.
    void GetVersionInfo(TFileVersionInfo& Info) const;
    // The fixed part of the version information; false (and all zero) without one.
    bool GetFixedFileInfo(FixedFileInfo& Info) const;

    // True only when the file is locked by another open of it, in this process or
    // another (fcntl record or open-file-description locks, flock); a missing file or one
    // we may not write is not in use.
    bool IsFileInUse() const;

private:
    bool IsOwnExecutable() const;
    VersionResource ReadResource() const;

    QString fileName_;
};

}  // namespace kiv
