#pragma once
// The main window's skeleton, which the frame builds before the features: the menu bar and
// its menus, the tool bars, the splitters and the pane containers the features fill, named
// as objectName.

#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"

class QAction;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QToolBar;
class QWidget;

namespace kiv {

struct TWindowSkeleton {
    // ---- menus and tool bars ----
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Cards1 = nullptr;
    QMenu* Settings1 = nullptr;
    QAction* Exit1 = nullptr;
    // Checked while the program shuts down.
    KivAction* acExitKIV = nullptr;
    QWidget* cbTools = nullptr;
    QToolBar* tbModes = nullptr;
    QToolBar* tbBins = nullptr;

    // ---- pane containers ----
    QWidget* tsInterBase = nullptr;
    QWidget* pnlBMs = nullptr;
    QWidget* pnlThreads = nullptr;
    QWidget* pnlQuickJumps = nullptr;
    QWidget* pnlMain = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* Splitter2 = nullptr;
    QWidget* Splitter3 = nullptr;
    QWidget* pnlBins = nullptr;
    // The card pane: the text card's pane over the browser.
    QWidget* pnlCards = nullptr;
    QWidget* pnlSimpleText = nullptr;
    QWidget* pnlBrowser = nullptr;
    // The outliner pane: outline tabs, navigation path, the panels' row.
    QWidget* pnlKiv = nullptr;
    QWidget* tsOutLine = nullptr;
    QWidget* pnlNavPath = nullptr;
    QWidget* pnlArrows = nullptr;
    QWidget* pnlPanels = nullptr;
    QStatusBar* StatusBar = nullptr;

    // ---- panes whose features come later ----
};

}  // namespace kiv
