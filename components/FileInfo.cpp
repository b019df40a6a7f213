#include "components/FileInfo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMimeDatabase>
#include <optional>
#include <cerrno>
#include <memory>

#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/qt/Gio.h"


namespace kiv {

namespace {

constexpr int kMaxTypeName = 80;

struct VersionString {
    const char* name;
    QString TFileVersionInfo::*field;
};

// The names as the program has always asked for them; blocks compare without case.
constexpr VersionString kStrings[] = {
    {"CompanyName", &TFileVersionInfo::CompanyName},
    {"FileDescription", &TFileVersionInfo::FileDescription},
    {"FileVersion", &TFileVersionInfo::FileVersion},
    {"InternalName", &TFileVersionInfo::InternalName},
    {"LegalCopyRight", &TFileVersionInfo::LegalRights},
    {"LegalTradeMarks", &TFileVersionInfo::LegalTrademarks},
    {"OriginalFileName", &TFileVersionInfo::OriginalFilename},
    {"ProductName", &TFileVersionInfo::ProductName},
    {"ProductVersion", &TFileVersionInfo::ProductVersion},
    {"Comments", &TFileVersionInfo::Comments},
    {"SpecialBuild", &TFileVersionInfo::SpecialBuild},
    {"PrivateBuild", &TFileVersionInfo::PrivateBuild},
};

// Our own version, from the build.
constexpr uint32_t kOwnVersionMS = uint32_t(KIV_VERSION_MAJOR) << 16 | uint32_t(KIV_VERSION_MINOR);
constexpr uint32_t kOwnVersionLS = uint32_t(KIV_VERSION_PATCH) << 16;

bool StatOf(const QString& path, struct stat& st) {
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

bool TFileInfo::GetAssociatedApp(TAssociatedApp& App) const {
    App = TAssociatedApp{};
    struct stat st;
    if (!StatOf(fileName_, st)) return false;
    const std::optional<TGioApp> app = GioDefaultAppForFile(fileName_);
    if (!app || app->Exe.isEmpty()) return false;
    App.Exe = app->Exe;
    App.DesktopId = app->Id;
    App.Name = app->Name;
    return true;
}

QString TFileInfo::GetAssociatedExe() const {
    TAssociatedApp app;
    return GetAssociatedApp(app) ? app.Exe : QString();
}

bool TFileInfo::IsOwnExecutable() const {
    struct stat mine, self;
    return StatOf(fileName_, mine) && ::stat("/proc/self/exe", &self) == 0 &&
           mine.st_dev == self.st_dev && mine.st_ino == self.st_ino;
}

VersionResource TFileInfo::ReadResource() const {
    struct stat st;
    // Only regular files: opening a FIFO would wait for a writer.
    if (!StatOf(fileName_, st) || !S_ISREG(st.st_mode)) return VersionResource({});
    try {
        auto file =
            PosixBlockFile::Open(QFile::encodeName(fileName_).toStdString(), OpenMode::ReadOnly);
        return VersionResource(FindVersionResource(*file));
    } catch (const EKivError&) {
        return VersionResource({});  // unreadable: no version, as for any other file
    }
}

bool TFileInfo::GetFixedFileInfo(FixedFileInfo& Info) const {
    Info = FixedFileInfo{};
    if (IsOwnExecutable()) {
        Info.StrucVersion = 0x00010000;
        Info.FileVersionMS = Info.ProductVersionMS = kOwnVersionMS;
        Info.FileVersionLS = Info.ProductVersionLS = kOwnVersionLS;
        Info.FileFlagsMask = 0x3F;
        Info.FileType = 1;  // an application
        return true;
    }
    if (ReadResource().Fixed(Info)) return true;
    Info = FixedFileInfo{};
    return false;
}

void TFileInfo::GetVersionInfo(TFileVersionInfo& Info) const {
    Info = TFileVersionInfo{};
    struct stat st;
    if (!StatOf(fileName_, st)) return;
    Info.FileTypeName = QMimeDatabase().mimeTypeForFile(fileName_).comment().left(kMaxTypeName);
    if (IsOwnExecutable()) {
        const QString version = QStringLiteral(KIV_VERSION);
        Info.FileDescription = Info.ProductName = QStringLiteral("KIV");
        Info.InternalName = QStringLiteral("kiv");
        Info.FileVersion = Info.ProductVersion = version;
    } else {
        const VersionResource resource = ReadResource();
        if (resource.Empty()) return;
        for (const VersionString& s : kStrings)
            Info.*s.field = QString::fromStdString(resource.String(s.name));
    }
    FixedFileInfo fixed;
    if (!GetFixedFileInfo(fixed)) return;
    Info.FileTypeCode = FileTypeCode(fixed.FileType, fixed.FileSubtype);
    Info.Debug = VersionFlag(fixed, vsDebug);
    Info.PreRelease = VersionFlag(fixed, vsPreRelease);
    Info.IsSpecialBuild = VersionFlag(fixed, vsSpecialBuild);
    Info.IsPrivateBuild = VersionFlag(fixed, vsPrivateBuild);
    Info.Patched = VersionFlag(fixed, vsPatched);
    Info.InfoInferred = VersionFlag(fixed, vsInfoInferred);
}

bool TFileInfo::IsFileInUse() const {
    if (fileName_.isEmpty()) return false;
    // Read access is enough to ask about locks; a file we may not open is not "in use".
    const int fd = ::open(QFile::encodeName(fileName_).constData(),
                          O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    bool locked = false;
    // Record locks: open-file-description locks and classic fcntl locks of any process.
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &probe) == 0) locked = probe.l_type != F_UNLCK;
    // flock locks live apart from record locks; the probe holds the lock only for a moment.
    if (!locked) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::flock(fd, LOCK_UN);
        else locked = errno == EWOULDBLOCK;
    }
    ::close(fd);
    return locked;
}

}  // namespace kiv
