#pragma once
// The panels manager: the outline panels of the main window, the two file handles of the
// open datastructure with the card stores on them, the bitmaps and file-type icons the
// panels draw, and the settings that apply to all panels at once. Its central operation is
// the cascade: panel k + 1 shows the children of the current topic of panel k.
//
// The manager is made by an explicit start-up step once the application object exists
// (CreatePanelsManager); tests make a fresh one the same way.
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Cards.h"
#include "platform/core/MiskPro.h"
#include "platform/core/BlockFile.h"

class QWidget;

namespace kiv {

class TKivStringGrid;

class TKivPanelsManager {
public:
    using TNotifyEvent = std::function<void(TKivPanelsManager* Sender)>;

    // Needs the application object: loads the bitmaps and asks for the web-page icon.
    TKivPanelsManager();
    ~TKivPanelsManager();
    TKivPanelsManager(const TKivPanelsManager&) = delete;
    TKivPanelsManager& operator=(const TKivPanelsManager&) = delete;

    std::vector<TKivStringGrid*> Panels;  // registered panels, not owned
    bool EditMode = false;
    bool ExpandAll = false;
    QPixmap LinksBitmap;  // several links; the main window may put its own image here
    QPixmap ClipBitmap;   // "clip1": one link without a file-type icon
    QPixmap CloneBitmap;  // "ClonePointer"
    QPixmap TextBitmap;   // "TextBMP": the topic has a text card
    TNotifyEvent OnEditModeOn;
    TNotifyEvent OnEditModeOff;
    TDBCards DBCards;
    BlockFile* NestFile = nullptr;  // the open ".kiv", not owned
    BlockFile* CardFile = nullptr;  // the open ".dsc", not owned
    TCards Cards;
    // The open datastructure as given: every file operation uses this path.
    std::string DatastructurePath;
    bool Navigating = false;  // the main window reloads the panels itself
    bool FormActive = true;   // the main window is active
    bool TreeMode = false;
    int HtmIconIndex = -1;  // file-type icon of web pages, -1 unknown
    bool TextOnly = false;
    int LineHeight = 16;  // text height of the scheme font: the panels' line pitch

    // Upper-cased copy of DatastructurePath, for comparisons only (never opened).
    const std::string& DatastructurePathUpper() const { return pathUpper_; }

    void AddPanel(TKivStringGrid* grid);
    // A panel being destroyed leaves the list.
    void RemovePanel(TKivStringGrid* grid);
    int Count() const { return int(Panels.size()); }
    // The panel whose Tag is n, or null.
    TKivStringGrid* PanelByNumber(int n) const;

    // Reloads panels k + 1 .. PanelCount from the current row of the panel before each.
    void RefreshPanelsFrom(int k);
    void SetEditMode(bool on);
    void SetNestFile(BlockFile* f);
    void SetCardFile(BlockFile* f);
    void SetDatastructurePath(const std::string& path);
    void SetExpandAll(bool on);
    void SetTreeMode(bool on);
    void SetTextOnly(bool on);
    // Text height of the scheme font (face and size) as the window draws it.
    int MeasureLineHeight(QWidget* window) const;
    // LineHeight measured from the scheme's font; every panel takes the new pitch (its
    // editor's font and lines, its row heights). Run at start and whenever the colour
    // scheme's font changes.
    void ApplySchemeFont();

    // ---- file-type icons: a list that grows as types are asked for ----
    // The icon index of a link target, -1 none: the web-page icon for web addresses, else
    // the icon of an existing file or folder that is not on an optical disc.
    int LinkIconIndex(const std::string& target);
    // The icon index of an existing path's type (the icon is added when new).
    int SystemIconIndex(const std::string& path);
    int SystemIconCount() const { return int(icons_.size()); }
    // A 16 x 16 image of icon i; null when i is not an index of the list.
    QPixmap SystemSmallIcon(int i) const;

private:
    int AddIcon(const QString& key, const QIcon& icon);

    std::string pathUpper_;
    std::vector<QIcon> icons_;
    std::map<QString, int> iconIndex_;  // by type key
    std::map<std::string, int>
        pathIcon_;  // icon index of paths already asked for (painting asks often)
};

// Text height of a stored font name and size as the window draws it: the line pitch of
// the panels and of every view drawn like them.
int MeasureSchemeLineHeight(const std::string& fontName, int pointSize, QWidget* window);

// IsURLText lives with the path helpers (platform/core/MiskPro.h).
// The extension names a document or picture type, or the path is a shell namespace item.
bool IsDocumentFile(std::string_view path);
// The private temporary folder, with its trailing separator.
std::string GetTempPathWithBackslash();
// The path lies on a mounted optical disc (iso9660 or udf), whose drive we never wake for
// an icon.
bool IsOnOpticalDisc(const std::string& path);

// The active panel (1..3) and the number of panels the current layout uses.
extern int CurrentPanel;
extern int PanelCount;

// The one manager. PanelsManager() raises EKivError before CreatePanelsManager ran.
TKivPanelsManager& PanelsManager();
bool PanelsManagerExists();
// Makes a fresh manager (replacing any), with CurrentPanel 1 and PanelCount 3.
TKivPanelsManager& CreatePanelsManager();
void FreePanelsManager();

}  // namespace kiv
