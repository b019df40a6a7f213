// The browser switch: Ctrl+W (acBrowserSwitch) and the Clear key (acBrowserSwitch2).
#include <QKeySequence>
#include <QMainWindow>

#include "engine/core/Cards.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/appevents/AppEvents.h"

namespace kiv {

void TAppEvents::BuildBrowserSwitch() {
    QMainWindow* w = &ctx_.Window();
    acBrowserSwitch = Action(w, "acBrowserSwitch", QStringLiteral("Browser Switch"));
    acBrowserSwitch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    acBrowserSwitch->OnExecute = [this](KivAction*) { acBrowserSwitchExecute(); };
    acBrowserSwitch2 = Action(w, "acBrowserSwitch2", QStringLiteral("Browser Switch"));
    acBrowserSwitch2->setShortcut(QKeySequence(Qt::Key_Clear));
    acBrowserSwitch2->OnExecute = [this](KivAction*) { acBrowserSwitchExecute(); };
    // Keys of the window, in no menu.
    w->addAction(acBrowserSwitch);
    w->addAction(acBrowserSwitch2);
}

void TAppEvents::acBrowserSwitchExecute() {
    // A link picked in the launch card's list is what the user asked for: it opens, and the
    // switch ends there, so that it is neither opened a second time nor the browser that
    // shows it closed straight away by the topic's own links.
    if (const std::string picked = launch_->FocusedListLink(); !picked.empty()) {
        launch_->LaunchLink(picked, false, true);
        return;
    }
    const bool browser = browser_->BrowserShown();
    const bool text = browser_->TextCardShown();
    const bool outliner = layouts_->OutlinerShown();
    if (!outliner && (browser || text)) {
        browser_->ToggleBrowser();
        return;
    }
    TKivStringGrid* g = ctx_.CurrentGrid();
    const int row = ctx_.CurrentRow();
    if (!g || !g->IsRowValid(row)) return;
    TLaunchList& links = g->Nester->LaunchList();
    const int n = links.Count(row);
    const std::string viewable = autoLaunch_->FirstViewableLink(g, row);
    if (n >= 2) launch_->ShowLaunchCardInFront();
    else if (n == 1 && viewable.empty()) launch_->LaunchLink(links.GetPath(row, 0), false, false);
    // The browser already shows the topic's link: back to the text card.
    else if (n >= 1 && browser != text && browser_->IsShowing(viewable)) browser_->ToggleBrowser();
    else if (viewable.empty() && outliner && (browser || text)) browser_->ToggleBrowser();
    else if (!viewable.empty()) launch_->LaunchLink(viewable, false, true);
    else if (browser) browser_->ToggleBrowser();
    else if (!text) browser_->ToggleTextCard();
}

}  // namespace kiv
