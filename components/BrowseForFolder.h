#pragma once
// The folder picker as a component that keeps its settings between runs: a title, an
// optional status line, the folder selected when it opens (the chosen one afterwards) and
// the root of its tree. Execute shows the desktop's folder dialog through the Dialogs
// service.
//
// The flags keep the shell's option bits, which callers and settings may rely on. On Linux
// a root is a folder: the special folders map to their XDG counterparts, and a special
// folder the desktop does not have leaves the tree unrooted.
#include <QString>
#include <cstdint>
#include <initializer_list>

class QWidget;

namespace kiv {

enum TBrowseFlag {
    bf_BrowseForComputer,
    bf_BrowseForPrinter,
    bf_DontGoBelowDomain,
    bf_statustext,
    bf_ReturnFSanceStors,
    bf_ReturnOnlyFSDIRS,
    bf_EditBox,
};

// The shell option bit of a flag.
uint32_t BrowseFlagBit(TBrowseFlag flag);
// Always added to the option word when the dialog runs.
constexpr uint32_t kBrowseValidate = 0x0020;

// A set of TBrowseFlag.
class TBrowseFlags {
public:
    TBrowseFlags() = default;
    TBrowseFlags(std::initializer_list<TBrowseFlag> flags) {
        for (TBrowseFlag f : flags) Include(f);
    }
    void Include(TBrowseFlag f) { bits_ |= 1u << f; }
    void Exclude(TBrowseFlag f) { bits_ &= ~(1u << f); }
    bool Has(TBrowseFlag f) const { return bits_ & (1u << f); }
    bool operator==(const TBrowseFlags&) const = default;

private:
    uint32_t bits_ = 0;
};

enum TBrowseLocation {
    bl_STANDART,
    bl_CUSTOM,
    bl_DESKTOP,
    bl_PROGRAMS,
    bl_CONTROLS,
    bl_PRINTERS,
    bl_PERSONAL,
    bl_FAVORITES,
    bl_STARTUP,
    bl_RECENT,
    bl_SENDTO,
    bl_BITBUCKET,
    bl_STARTMENU,
    bl_DESKTOPDIRECTORY,
    bl_DRIVES,
    bl_NETWORK,
    bl_NETHOOD,
    bl_FONTS,
    bl_TEMPLATES,
    bl_COMMON_STARTMENU,
    bl_COMMON_PROGRAMS,
    bl_COMMON_STARTUP,
    bl_COMMON_DESKTOPDIRECTORY,
    bl_APPDATA,
    bl_PRINTHOOD,
};

// The shell's special-folder number of a location; -1 for bl_STANDART and bl_CUSTOM.
int SpecialFolderNumber(TBrowseLocation location);
// The folder standing for a special folder here; "" when the desktop has none.
QString SpecialFolderPath(TBrowseLocation location);

class TBrowseForFolder {
public:
    explicit TBrowseForFolder(QWidget* owner = nullptr) : owner_(owner) {}

    QString Caption = QStringLiteral("Select Folder");
    QString StatusText = QStringLiteral("Plase select folder");
    // The root of the file system stands for the system drive's root.
    QString FolderName = QStringLiteral("/");
    const QString& DisplayName() const { return displayName_; }
    TBrowseLocation Root = bl_STANDART;
    // The root of bl_CUSTOM, set by code.
    QString CustomRoot;

    TBrowseFlags Flags() const;
    void SetFlags(const TBrowseFlags& flags);
    // The option word as the dialog gets it (the validate bit comes with Execute).
    uint32_t Options() const { return options_; }

    // True when a folder was chosen: FolderName becomes its path and DisplayName its name.
    // Cancelling leaves both.
    bool Execute();

    QWidget* Owner() const { return owner_; }

private:
    QString ResolvedRoot();

    QWidget* owner_;
    QString displayName_;
    uint32_t options_ = 0;
    QString root_;  // the root in force: bl_STANDART leaves it as it was
};

}  // namespace kiv
