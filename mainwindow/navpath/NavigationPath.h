#pragma once
// Where the user stands and the quick ways to move: the navigation path tsNavigator (with
// pmNavigator, lblSuperOrd and the full-path toggle btnShowFullPath / acFullNavPath), the
// strip of open datastructures tsInterBase (pmInterBase, DeleteTab1, BookMarkedDatabases1,
// acInterbaseManage), the outline tabs tsOutLine (pmOutline, Outlines1), the arrow buttons
// of pnlArrows (acArrows), acShiftLeft / acShiftRight, acGoToRoot and acLinesToggle. Everything works on
// the current trail (Open().Navigator) and the trail lists of Open().BookMark;
// NavigateToLevel reloads the panels so that a level of the trail shows.
//
// The trail follows the panels: moving the active panel to the right adds the topics left
// behind, moving left drops them, and in tree mode the trail is the current row's
// ancestors. The path is rebuilt after every topic change.
#include <QObject>
#include <memory>
#include <vector>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "dialogs/BookMarkedDatastructures.h"
#include "mainwindow/PanelRows.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/outline/OutlineInterface.h"

class QLabel;
class QMenu;
class QToolButton;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TFourthTabSet;
class TKivStringGrid;
class TBookMark;
class TNavigator;
class TNester;
struct TNode;

// The tab texts of the path for a trail: a first tab ("<Hoist>" while hoisted, else
// "<..>") when withFirst and the trail has nodes, then "i. caption\" per node, the
// captions shortened by the width ramp (short first, at most 21 + step characters).
QStringList NavigationPathTexts(const TNavigator& trail, bool hoisted, bool withFirst);
// The parent-topic label: the last node's caption, line breaks as blanks, "[untitled]"
// when blank; empty for an empty trail.
QString SuperOrdText(const TNavigator& trail);
// The items of the path popup, deepest level first: "L+1 level:  caption" for L = Count-1
// down to 1, then "1 level:  <..>" (or "<Hoist>").
QStringList NavigatorPopupTexts(const TNavigator& trail, bool hoisted);
// The text of outline tab i (i >= 1) for its caption.
QString OutlineTabText(int i, const std::string& caption);

class TNavigationPath : public QObject, public INavigationPath {
    Q_OBJECT
public:
    void SetNavigateMode(const QString& mode) override;
    explicit TNavigationPath(IWindowContext& ctx);
    void BuildComponents();

    // ---- the path ----
    void UpdateNavigationPath() override;
    void NavigateToLevel(int level, bool fromPath) override;
    // The trail's upkeep: the active panel moved from oldPanel to newPanel.
    void ActivePanelChanged(int oldPanel, int newPanel);
    // After a topic change of the active panel: the trail (tree mode) and the path.
    void TopicChanged(TKivStringGrid* grid);
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    // A topic's caption was stored (its card directory) or the outline changed (0): the
    // path's captions and that topic's outline tab are read again, and the outline tabs
    // follow a changed top level.
    void RefreshCaptions(uint32_t cardDir);
    // Tree mode: the trail becomes the current row's ancestors.
    void RebuildTreeTrail(TKivStringGrid* grid);
    // A datastructure was opened, or an open failed and none is: the tabs, the outlines
    // and the path show what is open now.
    void DatastructureChanged() override;
    void ApplyViewSwitches(const TNavigationViewSwitches& v) override;
    TNavigationViewSwitches ViewSwitches() const override;

    // ---- strips ----
    void FillInterBaseTabs();
    void FillOutlineTabs(bool rebuild);
    // Rows of the active panel were reloaded: the outline tabs follow a changed top level.
    void OutlineRowsChanged(TKivStringGrid* grid);
    // A caption of the active panel was stored: its outline tab follows.
    void OutlineCaptionStored(TKivStringGrid* grid, int row);
    // The outline tab index chosen, or 0 with none open.
    int OutlineIndex() const override;
    int OutlineTabIndex() const override;
    void SelectOutlineTab(int i) override;
    bool SelectOpenDatastructureTab(int index) override;
    void SetPathColors(TColor background, TColor font) override;
    void SetHoistHooks(std::function<void()> leaveHoist,
                       std::function<void()> activePanelMoved) override;
    void SetArrowPress(std::function<void(int key)> press) override;

    // ---- handlers ----
    void tsNavigatorChange(int NewTab, bool& AllowChange);
    void pmNavigatorPopup();
    void tsInterBaseChange(int NewTab, bool& AllowChange);
    void pmInterBasePopup();
    void DeleteTab1Click();
    void BookMarkedDatabases2Click(QMenu* menu);
    void tsOutLineChange(int NewTab, bool& AllowChange);
    void pmOutlinePopup();
    void Outlines2Click(QMenu* menu);
    void acFullNavPathExecute();
    void acShowInterBaseTabsExecute();
    // "Manage...": the bookmarked datastructures dialog.
    void acInterbaseManageExecute();
    void acOutlineViewExecute();
    void acArrowsExecute();
    void btnBackClick();
    void btnForthClick();
    void btnUpClick();
    void btnDownClick();
    void acShiftLeftUpdate();
    void acShiftLeftExecute();
    void acShiftRightUpdate();
    void acShiftRightExecute();
    void acGoToRootUpdate();
    void acLinesToggleExecute();
    // The panels one level deeper / one level up.
    void ShiftPanelsRight() override;
    void ShiftPanelsLeft() override;

    TFourthTabSet* tsNavigator = nullptr;
    QMenu* pmNavigator = nullptr;
    QLabel* lblSuperOrd = nullptr;
    // The mode at the path's right end.
    QLabel* lblNavigateMode = nullptr;
    QToolButton* btnShowFullPath = nullptr;
    TFourthTabSet* tsInterBase = nullptr;
    QMenu* pmInterBase = nullptr;
    QAction* DeleteTab1 = nullptr;
    QMenu* BookMarkedDatabases1 = nullptr;
    TFourthTabSet* tsOutLine = nullptr;
    QMenu* pmOutline = nullptr;
    QMenu* Outlines1 = nullptr;
    QToolButton* btnBack = nullptr;
    QToolButton* btnForth = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    KivAction* acShowInterBaseTabs = nullptr;
    KivAction* acOutlineView = nullptr;
    KivAction* acFullNavPath = nullptr;
    KivAction* acArrows = nullptr;
    KivAction* acShiftLeft = nullptr;
    KivAction* acShiftRight = nullptr;
    KivAction* acGoToRoot = nullptr;
    KivAction* acLinesToggle = nullptr;
    KivAction* acInterbaseManage = nullptr;
    // Made on first use and kept for the run; shown modal to the main window.
    QPointer<TfrmAddDB> frmAddDB;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildPath();
    void BuildStrips();
    void BuildArrows();
    void ShowFullPath(bool full);
    void ShowArrows(bool on);
    // Sends the active panel a cursor key down and up.
    void SendArrow(int key);
    void NavigatePanels(int level, bool fromPath);
    void NavigateTree(int level);
    // Hand over a tab (over a tab other than current for onlyOthers), else the default.
    void TabCursor(TFourthTabSet* strip, int x, int y, bool onlyOthers);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<IDatastructure> datastructure_;
    TNeed<IOutline> outline_;
    // The key map's arrow keys, handed over as it builds.
    std::function<void(int key)> pressArrow_;
    struct {
        std::function<void()> LeaveHoist;
        std::function<void()> ActivePanelMoved;
    } hoistHooks_;
    bool interBaseGuard_ = false;
    bool outlineGuard_ = false;
    // The top level the open datastructure's outline list was last made from, so a change
    // is told from it without making a trail or a tab caption.
    struct {
        std::weak_ptr<TBookMark> Owner;
        std::vector<uint32_t> CardDirs;
    } outlinesMadeFrom_;
};

}  // namespace kiv
