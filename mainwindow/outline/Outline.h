#pragma once
// Commands that change how the outline panels show the tree rather than the tree: lines
// per row (Lines1: N110, N210, N310, Expanded1), levels and branches inline in tree mode
// (ShowLevels1 with "Level 1" .. "Level 9" and All1; ShowSubTopics1 with acShowSubItems,
// acShowBranch, acShowAllBranches), the document view of panel 1 (DocumentViewSettings1
// and btnDocumentViewSettings: Circle1, Number1, acDocViewNumber, acDocViewText /
// TextCardPointer1, acDocViewLaunch / LaunchImage1, acDocViewSizer / Sizer1), one row's
// height (pmExpandTopic), the whitener, the Move Topic items (MoveTopic1: Up1 .. Left1),
// the panels' wheel and double click, and the panels' popup pmKivPanel with copies of the
// main menus (CopyMenuItems, CloneMenus). Its settings ("DocViewNumber" ..
// "DocViewSizer", "Whitener") are read by the settings at start and kept up to date in
// the window's settings for the close.
#include <QObject>
#include <QPoint>
#include <vector>

#include "mainwindow/outline/OutlineInterface.h"
#include "platform/qt/KivAction.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;

class TOutline : public QObject, public IOutline {
    Q_OBJECT
public:
    explicit TOutline(IWindowContext& ctx);
    void BuildComponents();
    void Subscribe(TWindowEvents& events);

    // ---- IOutline ----
    void SetLinesPerRow(int n) override;
    void ExpandToLevel(int level) override;
    void LayoutChanged(int layout, bool outlinerShown) override;
    void ApplyViewSettings(const TOutlineViewSettings& s) override;
    TOutlineViewSettings ViewSettings() const override;

    void All1Click(QAction* item);
    void acShowSubItemsExecute();
    void acShowBranchExecute();
    void acShowAllBranchesExecute();
    // Circle1 or Number1 clicked (their check already inverted).
    void DocViewBadgeClick(QAction* item);
    void acDocViewNumberExecute();
    // The row's height toggled / every row's, by the test on that row.
    void ExpandTopic1Click();
    void ExpandAllTopics1Click();
    // pmExpandTopic for the row of the panel, at a screen position.
    void PopupExpandTopic(TKivStringGrid* grid, int row, QPoint at);
    void acWhitenerExecute();
    // Up1 (1), Down1 (2), Right1 (3), Left1 (4): that arrow with Alt to the current panel.
    void MoveTopicClick(int tag);
    // The wheel one notch down or up over a panel.
    void PanelWheel(TKivStringGrid* grid, bool down);
    void PanelDblClick(TKivStringGrid* grid, QPoint at);

    // Each item of source appended to target: an action item is the same action (so its
    // caption, shortcut, check and enabled state are shared), a sub-menu a new menu owned
    // by owner with its items copied in turn.
    static void CopyMenuItems(QMenu* source, QMenu* target, QObject* owner);
    // The main menus the panels' popup repeats, copied once at start.
    void CloneMenus();

    QMenu* Lines1 = nullptr;
    QAction* N110 = nullptr;
    QAction* N210 = nullptr;
    QAction* N310 = nullptr;
    QAction* Expanded1 = nullptr;
    QMenu* ShowLevels1 = nullptr;
    QAction* All1 = nullptr;
    std::vector<QAction*> LevelItems;
    QMenu* ShowSubTopics1 = nullptr;
    KivAction* acShowSubItems = nullptr;
    KivAction* acShowBranch = nullptr;
    KivAction* acShowAllBranches = nullptr;
    KivAction* acShowSubTopics = nullptr;
    QMenu* DocumentViewSettings1 = nullptr;
    QToolButton* btnDocumentViewSettings = nullptr;
    QAction* Circle1 = nullptr;
    QAction* Number1 = nullptr;
    KivAction* acDocViewNumber = nullptr;
    KivAction* acDocViewText = nullptr;
    KivAction* acDocViewLaunch = nullptr;
    KivAction* acDocViewSizer = nullptr;
    QMenu* pmExpandTopic = nullptr;
    QAction* ExpandTopic1 = nullptr;
    QAction* ExpandAllTopics1 = nullptr;
    int pmExpandTopicTag = 0;  // panel number
    int ExpandTopic1Tag = 0;   // row
    KivAction* acWhitener = nullptr;
    QMenu* MoveTopic1 = nullptr;
    QMenu* pmKivPanel = nullptr;
    // The popup's undo item: shown only while the current panel's caption editor has the
    // focus (the popup then opens over the editor), it undoes the editor's typing.
    QAction* Undo2 = nullptr;
    // The text-card and link images of the document view.
    QLabel* imgTextBMP = nullptr;
    QLabel* imgLaunchCard = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildLines();
    void BuildLevels();
    void BuildDocumentView();
    void BuildPanelMenus();
    void WirePanels();
    TKivStringGrid* Panel(int n) const;
    // The active panel when the outliner shows and it is in tree mode, else null.
    TKivStringGrid* TreeGrid() const;

    IWindowContext& ctx_;
    bool cloned_ = false;
};

}  // namespace kiv
