#include "mainwindow/autolaunch/AutoLaunch.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QUrl>

#include "engine/core/Cards.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/core/KivStrings.h"
#include "platform/core/MiskPro.h"
#include "platform/core/StoredPath.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

// A link as the file system names it: "||" stands for the program folder, "file:///"
// addresses are paths.
std::string ResolvedLink(const std::string& link) {
    std::string t = Trim(link);
    if (StartsText("||", t)) t = ResolveStoredPath(t, RelativePathBase());
    if (StartsText("file:///", t)) t = URLToPath(t);
    return t;
}

bool IsPathLike(const std::string& t) {
    return !t.empty() && (t[0] == '/' || (t.size() > 1 && t[1] == ':'));
}

constexpr std::pair<const char*, int> kDelays[] = {{"1/8 sec.", 125}, {"1/6 sec.", 167},
                                                   {"1/4 sec.", 250}, {"1/2 sec.", 500},
                                                   {"1 sec.", 1000},  {"2 sec.", 2000},
                                                   {"3 sec.", 3000},  {"5 sec.", 5000}};

}  // namespace

TAutoLaunch::TAutoLaunch(IWindowContext& ctx)
    : QObject(&ctx.Window()), ctx_(ctx), launch_(ctx.Published()) {
    ctx.Published().Publish<IAutoLaunch>(*this);
}

void TAutoLaunch::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    tmrAutoLaunch = Named(new QTimer(this), "tmrAutoLaunch");
    tmrAutoLaunch->setSingleShot(true);
    tmrAutoLaunch->setInterval(250);
    connect(tmrAutoLaunch, &QTimer::timeout, this,
            [this] { GuardCall([this] { tmrAutoLaunchTimer(); }); });

    // The menu item names the keys that view automatically while Ctrl is held.
    acAutoview = Action(w, "acAutoview",
                        QStringLiteral("Autoview in Internal Browser         "
                                       "Ctrl+(arrowup or arrowdown)"),
                        true);
    acAutoview->setStatusTip(QStringLiteral("Autoview attached files in browser"));
    acAutoview->setToolTip(acAutoview->statusTip());
    SetImageIndex(acAutoview, 67);
    acAutoview->OnExecute = [this](KivAction*) { acAutoviewExecute(); };
    acExtLaunch = Action(w, "acExtLaunch", QStringLiteral("Autoview in External Browser"), true);
    acExtLaunch->OnExecute = [this](KivAction*) { acExtLaunchExecute(); };
    launch_->AddLaunchMenuItem(acAutoview, true);
    launch_->AddLaunchMenuItem(acExtLaunch, true);

    AutoviewDelay1 = Named(new QMenu(QStringLiteral("Autoview launch delay"), w), "AutoviewDelay1");
    auto* delays = new QActionGroup(AutoviewDelay1);
    for (const auto& [caption, tag] : kDelays) {
        QAction* a = AutoviewDelay1->addAction(QString::fromLatin1(caption));
        a->setCheckable(true);
        a->setData(tag);
        delays->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag = tag] {
            GuardCall([this, tag] {
                tmrAutoLaunch->setInterval(tag);
                // Kept at once, not with the other settings at the close.
                if (KivIniOpen()) KivIni().WriteInteger("Settings", "AutoviewDelay", tag);
            });
        });
    }
    launch_->AddLaunchMenuItem(AutoviewDelay1->menuAction(), false);
}

void TAutoLaunch::Subscribe(TWindowEvents& events) {
    events.TopicShown.Subscribe([this](TKivStringGrid* grid, int row) { Arm(grid, row); });
    // Nothing of a closed datastructure is shown later.
    events.DatastructureClosing.Subscribe([this] {
        tmrAutoLaunch->stop();
        AutoLaunchTarget.clear();
    });
}

void TAutoLaunch::SetAutoLaunchDelay(int ms) {
    tmrAutoLaunch->setInterval(ms);
    for (QAction* a : AutoviewDelay1->actions()) a->setChecked(a->data().toInt() == ms);
}

void TAutoLaunch::HoldAutoLaunch(bool held) { held_ = held; }

void TAutoLaunch::Arm(TKivStringGrid* grid, int row) {
    AutoLaunchTarget.clear();
    tmrAutoLaunch->stop();
    if (!grid || !grid->IsRowValid(row)) return;
    if (!(acAutoview->Checked() || acExtLaunch->Checked() || CtrlIsDown) || held_) return;
    TLaunchList& links = grid->Nester->LaunchList();
    const int n = links.Count(row);
    if (n == 1) AutoLaunchTarget = links.GetPath(row, 0);
    if (n >= 1) tmrAutoLaunch->start();
    // A topic with several links keeps the browser; its launch card comes over it.
    else LeaveBrowser();
}

void TAutoLaunch::tmrAutoLaunchTimer() {
    tmrAutoLaunch->stop();
    if (AutoLaunchTarget.empty()) {
        TKivStringGrid* g = ctx_.CurrentGrid();
        const int row = ctx_.CurrentRow();
        if (isShown(ctx_.Skeleton().pnlKiv) && g && g->IsRowValid(row) &&
            g->Nester->LaunchList().Count(row) >= 2)
            launch_->ShowLaunchCardInFront();
        return;
    }
    const std::string target = AutoLaunchTarget;
    if (!IsViewable(target)) {
        LeaveBrowser();
        return;
    }
    // The desktop gets web addresses and existing documents (viewable, so of a document
    // type, never a program); other schemes it might hand to anything.
    if (acExtLaunch->Checked()) {
        if (IsExternalWebAddress(target) || IsPathLike(ResolvedLink(target)))
            launch_->LaunchLink(target, false, false);
        return;
    }
    if (!launch_->ShowInBrowser(target, false) && IsExternalWebAddress(target))
        launch_->LaunchLink(target, false, false);
}

void TAutoLaunch::LeaveBrowser() {
    KivAction* textCard = ctx_.Actions().Find(QStringLiteral("acShowTextCard"));
    KivAction* browser = ctx_.Actions().Find(QStringLiteral("acOpenBrowser"));
    if (browser && isShown(ctx_.Skeleton().pnlBrowser) && !(textCard && textCard->Checked()))
        browser->Execute();
}

bool TAutoLaunch::IsViewable(const std::string& link) {
    const std::string t = ResolvedLink(link);
    if (t.empty()) return false;
    if (IsPathLike(t)) {
        const QFileInfo fi(StoredToText(t));
        return fi.isFile() && IsDocumentFile(t);
    }
    return IsURLText(t);
}

bool TAutoLaunch::IsExternalWebAddress(const std::string& link) {
    const std::string t = ResolvedLink(link);
    if (IsPathLike(t) || !IsURLText(t)) return false;
    const QString scheme = QUrl::fromUserInput(StoredToText(t)).scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp");
}

std::string TAutoLaunch::FirstViewableLink(TKivStringGrid* grid, int row) {
    if (!grid || !grid->IsRowValid(row)) return {};
    TLaunchList& links = grid->Nester->LaunchList();
    if (links.Count(row) < 1) return {};
    const std::string first = links.GetPath(row, 0);
    return IsViewable(first) ? first : std::string();
}

void TAutoLaunch::acAutoviewExecute() {
    acAutoview->SetChecked(!acAutoview->Checked());
    if (acAutoview->Checked()) acExtLaunch->SetChecked(false);
}

void TAutoLaunch::acExtLaunchExecute() {
    acExtLaunch->SetChecked(!acExtLaunch->Checked());
    if (acExtLaunch->Checked()) acAutoview->SetChecked(false);
}

void TAutoLaunch::SetCtrlDown(bool down) {
    CtrlIsDown = down;
    if (down) return;
    if (AutoviewOffOnCtrlUp && acAutoview->Checked()) acAutoview->Execute();
    AutoviewOffOnCtrlUp = false;
}

void TAutoLaunch::CtrlNavigationKey() {
    if (acAutoview->Checked()) return;
    acAutoview->Execute();
    AutoviewOffOnCtrlUp = true;
}

}  // namespace kiv
