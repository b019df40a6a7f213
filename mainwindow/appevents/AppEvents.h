#pragma once
// The program-wide events of the main window and its small commands: tool-bar buttons that
// are not commands do nothing while the window is busy (commands and shortcuts are held by
// the action layer), the order of the program's windows when it becomes active, "Always On
// Top", "Icon Titles" with the tool bars' sizes, "Always Show Bars", "Topics Text Only",
// "Boxed Topic View", the help pages shipped beside the program, the product's web pages,
// "Browser Explorer" (the file manager on the home folder), the browser switch (Ctrl+W,
// acBrowserSwitch, and the Clear key, acBrowserSwitch2), the card pane's and bins column's
// close buttons (acCloseBins for the other rooms), "Bins Pane", and the status hint
// cleared over the bins' lists.
//
// A child of the window; the commands of other rooms it drives are found by name when they
// run, and a command not there is left out.
#include <QObject>
#include <functional>
#include <QString>
#include <string>

#include "mainwindow/Published.h"
#include "mainwindow/autolaunch/AutoLaunchInterface.h"
#include "mainwindow/browser/BrowserInterface.h"
#include "mainwindow/collector/CollectorInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/layouts/LayoutsInterface.h"
#include "platform/qt/KivAction.h"

class QAction;
class QToolButton;
class QWidget;

namespace kiv {

class IWindowContext;

// The sizes "Icon Titles" gives the tool bars tbModes and tbBins and their bar cbTools.
struct TIconTitlesMetrics {
    bool Captions = false;  // the buttons show their captions under the icons
    // The control bar's height before it lays its bands out again; ours is one row, whose
    // height (RowSize) is what it keeps.
    int BarHeight = 0;
    int RowSize = 0;  // the height of a row of bands
    int ButtonHeight = 0;
    int ButtonWidth = 0;
    int ToolBarHeight = 0;  // at least; a tool bar sizes itself to its buttons
    // tbBins follows tbModes in the row (its Left is tbModes' Left + Width) with captions; without
    // them it asks for Left 30, which the row turns into the place after tbModes.
    int BinsLeft = 0;  // -1: right after tbModes
};
TIconTitlesMetrics IconTitlesMetrics(bool checked);

// "Bins Pane": the bins column's width after the command, from its width before (0 while closed).
constexpr int kBinsPaneWidth = 180;
constexpr int kBinsPaneClosesFrom = 40;
constexpr int BinsPaneToggledWidth(int width) {
    return width >= kBinsPaneClosesFrom ? 0 : kBinsPaneWidth;
}

// The help page for a help context (the collector's "What's This?" has its own), under the
// program's folder.
std::string HelpPagePath(int helpContext = 0);
// Where the help pages are shipped: "help/" in the program's folder.
std::string HelpFolder();

class TAppEvents : public QObject {
    Q_OBJECT
public:
    // A child of the context's window.
    explicit TAppEvents(IWindowContext& ctx);
    // Its commands and buttons; the handlers of the settings room's view switches.
    void BuildComponents();

    // ---- application events ----
    // The program became active: the window order below, then the collector on top.
    void ApplicationActivate();
    void ApplicationDeactivate();
    // Puts a shown window in front of the others, without the focus: the window system's
    // raise (where there are windows to stack); a test may watch the order instead.
    std::function<void(QWidget*)> RaiseWindow;

    // ---- view switches (each toggles its own check first) ----
    void acStayOnTopExecute();
    void acIconTitlesExecute();
    // The tool bars in the sizes of the check of "Icon Titles".
    void ApplyIconTitles();
    void acAlwaysShowBarsExecute();
    void acTopicsTextOnlyExecute();
    void BoxedTopicView1Click();

    // ---- help and web pages ----
    void acHelpExecute();
    void ShowWhatsThis(int helpContext);
    void acGetLastVersionExecute();
    void KIVHomepage1Click();
    void acBrowserExplorerExecute();

    // ---- the browser switch ----
    // Between the browser and the text card, by what the current topic's links are: the
    // launch card for several, the desktop for a link the browser cannot show, the browser
    // for one it can (and back to the text card when it shows it already).
    void acBrowserSwitchExecute();

    // ---- card pane and bins column ----
    void btnCloseTextCardClick();
    void btnCloseBinsClick();
    void BinsPane1Click();

    KivAction* acStayOnTop = nullptr;
    KivAction* acTopicsTextOnly = nullptr;
    KivAction* acHelp = nullptr;
    KivAction* acGetLastVersion = nullptr;
    KivAction* acBrowserExplorer = nullptr;
    KivAction* acBrowserSwitch = nullptr;
    KivAction* acBrowserSwitch2 = nullptr;
    KivAction* acCloseBins = nullptr;
    QAction* KIVHomepage1 = nullptr;
    QAction* BinsPane1 = nullptr;
    QToolButton* btnCloseBins = nullptr;
    QToolButton* btnCloseTextCard = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildCommands();
    void BuildBrowserSwitch();
    void BuildButtons();
    void WireViewSwitches();
    void WireStatusHints();
    // The bins column at a width; 0 closes it.
    void SetBinsWidth(int width);
    // A link through the launch card: in the window's browser when asked and there is one.
    void Launch(const std::string& link, bool makeRoom, bool internal);
    // Another room's command by name; null when it is not there (its step is left out).
    KivAction* Command(const char* name) const;
    // The collector's window, kept above the main window.
    QWidget* Collector() const;
    // A press on a tool bar's button that is not a command, while busy.
    bool SwallowedWhileBusy(QObject* watched) const;

    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
    TNeed<ICollector> collector_;
    TNeed<IBrowser> browser_;
    TNeed<IAutoLaunch> autoLaunch_;
    TNeed<ILayouts> layouts_;
    KivAction* acIconTitles_ = nullptr;
    KivAction* acAlwaysShowBars_ = nullptr;
    QAction* BoxedTopicView1_ = nullptr;
};

}  // namespace kiv
