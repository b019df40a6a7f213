#include "components/BrowseForFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {

constexpr TBrowseFlag kAllFlags[] = {bf_BrowseForComputer,
                                     bf_BrowseForPrinter,
                                     bf_DontGoBelowDomain,
                                     bf_statustext,
                                     bf_ReturnFSanceStors,
                                     bf_ReturnOnlyFSDIRS,
                                     bf_EditBox};

QString Standard(QStandardPaths::StandardLocation l) { return QStandardPaths::writableLocation(l); }
QString InHome(const char* rel) { return QDir::homePath() + QLatin1Char('/') + QLatin1String(rel); }
QString InData(const char* rel) {
    return Standard(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + QLatin1String(rel);
}

}  // namespace

uint32_t BrowseFlagBit(TBrowseFlag flag) {
    switch (flag) {
    case bf_BrowseForComputer: return 0x1000;
    case bf_BrowseForPrinter: return 0x2000;
    case bf_DontGoBelowDomain: return 0x0002;
    case bf_statustext: return 0x0004;
    case bf_ReturnFSanceStors: return 0x0008;
    case bf_ReturnOnlyFSDIRS: return 0x0001;
    case bf_EditBox: return 0x0010;
    }
    return 0;
}

int SpecialFolderNumber(TBrowseLocation location) {
    static constexpr int kNumbers[] = {-1, -1, 0,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                       16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};
    static_assert(sizeof(kNumbers) / sizeof(kNumbers[0]) == bl_PRINTHOOD + 1);
    return kNumbers[location];
}

QString SpecialFolderPath(TBrowseLocation location) {
    switch (location) {
    case bl_DESKTOP:
    case bl_DESKTOPDIRECTORY: return Standard(QStandardPaths::DesktopLocation);
    case bl_PERSONAL: return Standard(QStandardPaths::DocumentsLocation);
    case bl_PROGRAMS:
    case bl_STARTMENU: return Standard(QStandardPaths::ApplicationsLocation);
    case bl_STARTUP:
        return Standard(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
    case bl_BITBUCKET: return InData("Trash/files");
    case bl_DRIVES: return QStringLiteral("/");
    case bl_FONTS: return Standard(QStandardPaths::FontsLocation);
    case bl_TEMPLATES: return InHome("Templates");
    case bl_COMMON_STARTMENU:
    case bl_COMMON_PROGRAMS: return QStringLiteral("/usr/share/applications");
    case bl_COMMON_STARTUP: return QStringLiteral("/etc/xdg/autostart");
    case bl_APPDATA: return Standard(QStandardPaths::GenericDataLocation);
    default: return {};  // no counterpart: control panel, printers, network, recent, ...
    }
}

TBrowseFlags TBrowseForFolder::Flags() const {
    TBrowseFlags set;
    for (TBrowseFlag f : kAllFlags)
        if (options_ & BrowseFlagBit(f)) set.Include(f);
    return set;
}

void TBrowseForFolder::SetFlags(const TBrowseFlags& flags) {
    for (TBrowseFlag f : kAllFlags) {
        if (flags.Has(f)) options_ |= BrowseFlagBit(f);
        else options_ &= ~BrowseFlagBit(f);
    }
}

QString TBrowseForFolder::ResolvedRoot() {
    if (Root == bl_CUSTOM) root_ = CustomRoot;
    else if (Root != bl_STANDART) root_ = SpecialFolderPath(Root);
    return root_;
}

bool TBrowseForFolder::Execute() {
    options_ |= kBrowseValidate;
    FolderDialogRequest r;
    r.Title = Caption;
    r.InitialDir = FolderName;
    if (options_ & BrowseFlagBit(bf_statustext)) r.StatusText = StatusText;
    r.Root = ResolvedRoot();
    const std::optional<QString> chosen = GetDialogs().BrowseForFolder(r);
    if (!chosen) return false;
    FolderName = *chosen;
    const QString name = QFileInfo(QDir::cleanPath(*chosen)).fileName();
    displayName_ = name.isEmpty() ? *chosen : name;
    return true;
}

}  // namespace kiv
