// The main window's small commands: the view switches, the help and web pages, the file
// manager, and the card pane's and bins column's buttons.
#include <QDir>
#include <QMainWindow>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "dialogs/AboutWindow.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/appevents/AppEvents.h"
#include "platform/core/AppPaths.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

TIconTitlesMetrics IconTitlesMetrics(bool checked) {
    if (checked) return {true, 67, 41, 37, 40, 36, -1};
    return {false, 0, 28, 23, 24, 23, 30};
}

std::string HelpFolder() { return ExecutableDir() + "help/"; }

std::string HelpPagePath(int helpContext) {
    // The collector's "What's This?" (help context 43) has a page of its own.
    return HelpFolder() + (helpContext == 43 ? "collector.html" : "index.html");
}

// ---- view switches ----

void TAppEvents::acStayOnTopExecute() {
    acStayOnTop->SetChecked(!acStayOnTop->Checked());
    ApplicationActivate();
}

void TAppEvents::acIconTitlesExecute() {
    if (!acIconTitles_) return;
    // Toggling the check lays the bars out again (ApplyIconTitles follows the check).
    acIconTitles_->setChecked(!acIconTitles_->isChecked());
}

void TAppEvents::ApplyIconTitles() {
    if (!acIconTitles_) return;
    const TIconTitlesMetrics m = IconTitlesMetrics(acIconTitles_->isChecked());
    TWindowSkeleton& k = ctx_.Skeleton();
    for (QToolBar* bar : {k.tbModes, k.tbBins}) {
        bar->setToolButtonStyle(m.Captions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        bar->setIconSize(QSize(16, 16));
        // Buttons the rooms put in by hand follow the bar as its own do.
        for (QToolButton* b : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
            if (b->objectName() == QLatin1String("qt_toolbar_ext_button")) continue;
            b->setToolButtonStyle(bar->toolButtonStyle());
            // Never narrower than its caption: a bar short of room moves the buttons that
            // do not fit into its extension menu rather than cutting their captions.
            b->setMinimumWidth(std::max(m.ButtonWidth, b->sizeHint().width()));
            b->setFixedHeight(m.ButtonHeight);
        }
        bar->setMinimumHeight(m.ToolBarHeight);
    }
    // The row of the bar holds the tool bars side by side, tbBins right after tbModes.
    k.cbTools->setMinimumHeight(m.RowSize);
}

void TAppEvents::acAlwaysShowBarsExecute() {
    // Read by the layouts when the outliner is hidden.
    if (acAlwaysShowBars_) acAlwaysShowBars_->setChecked(!acAlwaysShowBars_->isChecked());
}

void TAppEvents::acTopicsTextOnlyExecute() {
    acTopicsTextOnly->SetChecked(!acTopicsTextOnly->Checked());
    if (PanelsManagerExists()) PanelsManager().SetTextOnly(acTopicsTextOnly->Checked());
}

void TAppEvents::BoxedTopicView1Click() {
    // A plain menu item: its check has already toggled.
    if (!BoxedTopicView1_ || !PanelsManagerExists()) return;
    for (TKivStringGrid* g : PanelsManager().Panels) g->SetBoxedView(BoxedTopicView1_->isChecked());
}

// ---- help and web pages ----

void TAppEvents::Launch(const std::string& link, bool makeRoom, bool internal) {
    launch_->LaunchLink(link, makeRoom, internal);
}

void TAppEvents::acHelpExecute() { Launch(HelpPagePath(), false, true); }

void TAppEvents::ShowWhatsThis(int helpContext) { Launch(HelpPagePath(helpContext), false, true); }

void TAppEvents::acGetLastVersionExecute() { Launch(TfrmAbout::kWebSite, true, true); }

void TAppEvents::KIVHomepage1Click() { Launch(TfrmAbout::kWebSite, true, true); }

void TAppEvents::acBrowserExplorerExecute() {
    // The file manager on the home folder stands in for the computer folder.
    Launch(TextToStored(QDir::homePath()), false, true);
}

// ---- card pane and bins column ----

void TAppEvents::btnCloseTextCardClick() {
    // The text card alone fills the pane: the pane goes; beside the browser, the text card.
    if (!browser_->BrowserShown()) layouts_->HideOrShowCardPane();
    else if (browser_->TextCardShown()) browser_->ToggleTextCard();
}

void TAppEvents::SetBinsWidth(int width) {
    TWindowSkeleton& k = ctx_.Skeleton();
    // A closed column takes no room at all; an open one exactly its width.
    if (width <= 0) {
        k.pnlBins->setMinimumWidth(0);
        k.pnlBins->setMaximumWidth(QWIDGETSIZE_MAX);
        k.pnlBins->hide();
        return;
    }
    // Never narrower than what the column shows needs (the search pane's labels).
    k.pnlBins->setMinimumWidth(0);
    k.pnlBins->setFixedWidth(std::max(width, k.pnlBins->minimumSizeHint().width()));
    k.Splitter2->show();
    k.pnlBins->show();
}

void TAppEvents::btnCloseBinsClick() {
    TWindowSkeleton& k = ctx_.Skeleton();
    SetBinsWidth(0);
    k.Splitter2->hide();
    // The search pane lives in the column.
    if (KivAction* search = Command("acSearch")) search->SetChecked(false);
    layouts_->ArrangePanels();
    if (isShown(&ctx_.Window()) && isShown(k.pnlKiv))
        if (TKivStringGrid* g = ctx_.CurrentGrid()) g->setFocus(Qt::OtherFocusReason);
}

void TAppEvents::BinsPane1Click() {
    const QWidget* bins = ctx_.Skeleton().pnlBins;
    const int width = bins->isHidden() ? 0 : bins->width();
    const int next = BinsPaneToggledWidth(width);
    SetBinsWidth(next);
    if (next == 0) ctx_.Skeleton().Splitter2->hide();
    layouts_->ArrangePanels();
}

}  // namespace kiv
