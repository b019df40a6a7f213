#include "mainwindow/MainWindow.h"

#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTextEdit>

#include <cstdio>
#include <exception>

#include "engine/core/BranchCopy.h"
#include "engine/core/Navigation.h"
#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/appevents/AppEvents.h"
#include "mainwindow/autolaunch/AutoLaunch.h"
#include "mainwindow/autoreg/AutoRegistration.h"
#include "mainwindow/bins/Bins.h"
#include "mainwindow/browser/Browser.h"
#include "mainwindow/collector/Collector.h"
#include "mainwindow/datastructure/DatastructureLife.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/drops/Drops.h"
#include "mainwindow/email/EmailCommands.h"
#include "mainwindow/filetype/FileType.h"
#include "mainwindow/hoist/Hoisting.h"
#include "mainwindow/marks/Marks.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/outline/Outline.h"
#include "mainwindow/help/Help.h"
#include "mainwindow/launch/LaunchCard.h"
#include "mainwindow/keyboard/Keyboard.h"
#include "mainwindow/layouts/Layouts.h"
#include "mainwindow/graphiccard/GraphicCard.h"
#include "mainwindow/panels/PanelHandlers.h"
#include "mainwindow/print/PrintCommands.h"
#include "mainwindow/print/WaitPanel.h"
#include "mainwindow/schemes/ColorSchemes.h"
#include "mainwindow/search/SearchPane.h"
#include "mainwindow/settings/WindowSettings.h"
#include "mainwindow/startup/Startup.h"
#include "mainwindow/textcard/TextCard.h"
#include "mainwindow/topics/TopicCommands.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Grids.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

TForm1* Form1 = nullptr;

TBusyGuard::TBusyGuard(TBusyCounter& counter) : counter_(counter) {
    Busy = true;
    if (++counter_.depth_ == 1 && counter_.Changed) counter_.Changed->Fire(true);
}

TBusyGuard::~TBusyGuard() {
    if (--counter_.depth_ == 0) {
        Busy = false;
        // A destructor may not throw; what a handler raises is reported instead.
        if (counter_.Changed) GuardCall([this] { counter_.Changed->Fire(false); });
    }
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    if (!PanelsManagerExists()) CreatePanelsManager();
    busy_.Changed = &events_.BusyChanged;
    actions_.Attach(*this);
    BuildSkeleton();
    // 1. Every feature is made: each declares what it needs of the others and publishes
    // what it offers, and builds nothing yet.
    fileType_ = std::make_unique<TFileType>();
    datastructure_ = std::make_unique<TDatastructureLife>(*this);
    windowSettings_ = std::make_unique<TWindowSettings>(*this);
    panels_ = std::make_unique<TPanelHandlers>(*this);
    textCard_ = std::make_unique<TTextCard>(*this);
    startup_ = std::make_unique<TStartup>(*this);
    waitPanel_ = std::make_unique<TWaitPanel>(*this);
    print_ = std::make_unique<TPrintCommands>(*this);
    navPath_ = std::make_unique<TNavigationPath>(*this);
    hoist_ = std::make_unique<THoisting>(*this);
    search_ = std::make_unique<TSearchPane>(*this);
    launchCard_ = std::make_unique<TLaunchCard>(*this);
    auto* help = new THelp(*this);  // a child of the window
    drops_ = std::make_unique<TDrops>(*this);
    graphicCard_ = std::make_unique<TGraphicCard>(*this);
    marks_ = std::make_unique<TMarks>(*this);
    bins_ = std::make_unique<TBins>(*this);
    fileCommands_ = std::make_unique<TFileCommands>(*this);
    collector_ = std::make_unique<TCollector>(*this);
    auto* email = new TEmailCommands(*this);                // a child of the window
    auto* autoRegistration = new TAutoRegistration(*this);  // a child of the window
    auto* schemes = new TColorSchemes(*this);               // a child of the window
    auto* topics = new TTopicCommands(*this);               // a child of the window
    auto* browser = new TBrowser(*this);                    // a child of the window
    auto* autoLaunch = new TAutoLaunch(*this);              // a child of the window
    auto* layouts = new TLayouts(*this);
    auto* outline = new TOutline(*this);
    auto* appEvents = new TAppEvents(*this);  // a child of the window
    auto* keyboard = new TKeyboard(*this);    // a child of the window
    // 2. The events are wired, and every need is met before anything runs.
    SubscribeFeatures();
    published_.CheckNeedsFilled();
    // 3. Each feature builds its components, in the order of the menus and panes.
    datastructure_->BuildComponents();
    print_->BuildComponents();
    skeleton_.File1->addSeparator();
    skeleton_.File1->addAction(skeleton_.Exit1);
    windowSettings_->BuildComponents();
    textCard_->BuildComponents();
    graphicCard_->BuildComponents();
    panels_->BuildComponents();
    waitPanel_->BuildComponents();
    navPath_->BuildComponents();
    hoist_->BuildComponents();
    search_->BuildComponents();
    launchCard_->BuildComponents();
    help->BuildComponents();
    fileCommands_->BuildComponents();
    drops_->BuildComponents();
    marks_->BuildComponents();
    bins_->BuildComponents();
    collector_->BuildComponents();
    email->BuildComponents();
    autoRegistration->BuildComponents();
    schemes->BuildComponents();
    topics->BuildComponents();
    browser->BuildComponents();
    autoLaunch->BuildComponents();
    layouts->BuildComponents();
    outline->BuildComponents();
    appEvents->BuildComponents();
    keyboard->BuildComponents();
    FinishSkeleton();
    actions_.Collect();
    // 4. The settings are loaded by FormCreate.
    Form1 = this;
}

void TForm1::SubscribeFeatures() {
    // The order in which the features hear the window's events. On a topic change the
    // panes store the topic left in this order, then show the new one in it. After an open
    // the Threads settle and go to the current thread, the first topic is shown, a large
    // card file is told of, then the navigation strips are filled. After a close the text
    // card is emptied before the template bin's list is read again and the password's lock goes.
    // The panels' rows first: what the others show of a topic is read from them.
    panels_->Subscribe(events_);
    marks_->Subscribe(events_);
    datastructure_->Subscribe(events_);
    textCard_->Subscribe(events_);
    launchCard_->Subscribe(events_);
    graphicCard_->Subscribe(events_);
    fileCommands_->Subscribe(events_);
    navPath_->Subscribe(events_);
    hoist_->Subscribe(events_);
    search_->Subscribe(events_);
    findChild<TTopicCommands*>()->Subscribe(events_);
    findChild<TBrowser*>()->Subscribe(events_);
    findChild<TAutoLaunch*>()->Subscribe(events_);
    findChild<TOutline*>()->Subscribe(events_);
    findChild<TLayouts*>()->Subscribe(events_);
}

TForm1::~TForm1() {
    if (created_ && !destroyed_) GuardCall([this] { FormDestroy(); });
    // The panels leave the manager with their widgets; the handles must not outlive us.
    datastructure_->ReleaseOpenPair();
    // The panels' view of the open datastructure reads ours: it goes with us.
    if (created_) SetOpenDatastructureSource({});
    // The features that are children of the window filter its widgets' events through this
    // context: they go now, before the widgets are taken down with events still to send.
    delete findChild<TLayouts*>();
    delete findChild<TOutline*>();
    delete findChild<TAppEvents*>();
    delete findChild<TTopicCommands*>();
    delete findChild<TKeyboard*>();
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormCreate(const std::vector<std::string>& args) {
    if (created_) return;
    created_ = true;
    TWindowSkeleton& k = skeleton_;
    const std::string& appDir = AppDir();
    // What replaces of the settings files left when a run was killed in the middle.
    for (const char* ini : {"kiv.ini", "userset.ini"})
        IniFile::RemoveStaleTemporaries(appDir + ini);
    SweepStaleCopies(appDir);
    OpenUserIni(appDir + "userset.ini");
    datastructure_->Prepare();
    // The file type is registered at every start; nothing there may stop the start.
    fileType_->Register();
    InterBase().OnCurrentChanged = [this](TInterBase1*, const std::string& path) {
        datastructure_->OpenDatastructure(path, datastructure_->CreatingDatastructure());
    };
    SetOpenDatastructureSource(
        {[this] { return open_.BookMark.get(); }, [this] { return open_.Navigator.get(); }});

    k.pnlBrowser->hide();
    k.Splitter3->hide();
    k.pnlSimpleText->show();

    OpenKivIni(appDir + "kiv.ini");
    windowSettings_->LoadSettings();
    findChild<TColorSchemes*>()->ApplyStartScheme();

    PanelsManager().OnEditModeOn = [this](TKivPanelsManager*) { EditModeOn(); };
    PanelsManager().OnEditModeOff = [this](TKivPanelsManager*) { EditModeOff(); };

    PlaceFloatingPanels();


    // The bins column starts closed; nothing of a datastructure can be used before one is open.
    k.pnlBins->hide();
    k.Splitter2->hide();
    datastructure_->EnableDatastructureMenus(false);

    startup_->OpenStartDatastructure(args);
}

namespace {
constexpr int kFloatingWidth = 240;
constexpr int kFloatingGap = 10;
constexpr int kFloatingRowStep = 40;
}  // namespace

void TForm1::PlaceFloatingPanels() {
    // Side by side from the left at Top 80, so that two shown at once do not lie on one spot;
    // a window too narrow for all of them starts another row, a header lower.
    const int columns = std::max(1, (width() - kFloatingGap) / (kFloatingWidth + kFloatingGap));
    int i = 0;
    for (const auto& [panel, height] : floating_) {
        if (!panel) continue;
        panel->setParent(this);
        panel->setGeometry(kFloatingGap + (i % columns) * (kFloatingWidth + kFloatingGap),
                           80 + (i / columns) * kFloatingRowStep, kFloatingWidth, height + 1);
        ++i;
        MakePanelSizeable(panel);
        panel->hide();
    }
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    GuardCall([this] { FormShow(); });
}

void TForm1::FormShow() {
    windowSettings_->FitFrame();
    startup_->FormShow();
}

void TForm1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange)
        GuardCall([this] { isActiveWindow() ? FormActivate() : FormDeactivate(); });
}

void TForm1::FormActivate() {
    if (PanelsManagerExists()) PanelsManager().FormActive = isEnabled();
}

void TForm1::FormDeactivate() {
    if (PanelsManagerExists()) PanelsManager().FormActive = false;
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    GuardCall([this] { FormResize(); });
}

void TForm1::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    GuardCall([this] { windowSettings_->FitFrame(); });
}

void TForm1::FormResize() { windowSettings_->FitFrame(); }

void TForm1::closeEvent(QCloseEvent* e) {
    // A running search ends at its next topic, before the datastructure is closed.
    search_->StopSearch();
    // A long command (a pack, a copy of branches) holds the pair: the window closes when it
    // is done, not under it.
    if (IsBusy() && !closeChosen_) {
        e->ignore();
        if (!findChild<QObject*>(QStringLiteral("closeWhenFree"))) {
            auto* mark = new QObject(this);
            mark->setObjectName(QStringLiteral("closeWhenFree"));
            ShowStatusHint(QStringLiteral("KIV closes when the running command is done"));
            const bool unattended = unattended_;
            RunWhenFree(
                mark, [this] { return IsBusy(); },
                [this, mark, unattended] {
                    mark->deleteLater();
                    if (unattended) CloseUnattended();
                    else close();
                });
        }
        return;
    }
    // The topic being edited is stored whatever else fails; the window stays only when the
    // user chose to keep what could not be stored.
    bool close = true;
    GuardCall([&] { close = FormClose(); });
    if (!close) {
        e->ignore();
        return;
    }
    e->accept();
    QCoreApplication::quit();
}

void TForm1::CloseUnattended() {
    unattended_ = true;
    close();
    unattended_ = false;
}

namespace {

// Keeps the text that could not be stored in a file of its own beside the datastructure.
void KeepUnstoredText(const std::string& rtf) {
    const int current = InterBase().CurrentIndex();
    const std::string datastructure = current >= 0 ? InterBase().GetPath(current) : std::string();
    if (rtf.empty() || datastructure.empty()) return;
    const std::string path = datastructure + ".unsaved.rtf";
    try {
        WriteFileAtomic(path, rtf);
        std::fprintf(stderr, "kiv: the text card that could not be stored is kept in %s\n",
                     path.c_str());
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "kiv: the text card that could not be stored is lost: %s\n",
                     ex.what());
    }
}

}  // namespace

bool TForm1::FormClose() {
    // Once the user chose to close, the window only closes.
    if (closeChosen_) return true;
    // From here on a store that fails is told once, by the question (nobody asked after it).
    if (unattended_) {
        datastructure_->SetQuietStoreFailures(true);
        FlushCurrentRow();
        closeChosen_ = true;
        if (!datastructure_->UnstoredCards().isEmpty()) KeepUnstoredText(textCard_->UnstoredRtf());
        return true;
    }
    closeChosen_ = datastructure_->StoreCurrentTopicOrAsk(
        QStringLiteral("Close anyway? What could not be stored is lost."));
    return closeChosen_;
}

void TForm1::FormDestroy() {
    if (destroyed_ || !created_) return;
    destroyed_ = true;
    // The window is gone: what fails from here on goes to the error stream, not into boxes
    // nobody sees the window of.
    const UnattendedScope nobodyToAsk;
    skeleton_.acExitKIV->SetChecked(true);
    // Each step runs even when one before it failed: the settings and the datastructure are
    // both to be on disk afterwards.
    GuardCall([this] { windowSettings_->SaveSettings(); });
    GuardCall([this] { datastructure_->CloseDatastructure(); });
    GuardCall([] { PackDatastructure(AppDir() + "template.kiv"); });
    bins_->ClipCardBin.Clear();
    LostBin().Clear();
    bins_->TemplateBin.Clear();
    CloseKivIni();
    CloseUserIni();
}

void TForm1::EditModeOn() { panels_->EditMode->SetChecked(true); }

void TForm1::EditModeOff() {
    panels_->EditMode->SetChecked(false);
    if (!panels_->ExpandedNavigate->Checked()) panels_->CompactNavigate->SetChecked(true);
    if (fileCommands_) fileCommands_->UpdateTopicActions();
}

TfrmSwallow& TForm1::Collector() { return collector_->Window(); }

TKivStringGrid* TForm1::CurrentGrid() const { return panels_ ? panels_->CurrentGrid() : nullptr; }

int TForm1::CurrentRow() const {
    TKivStringGrid* g = CurrentGrid();
    return g ? g->CurrentRow() : -1;
}

void TForm1::FlushCurrentRow() { panels_->FlushCurrentRow(); }

void TForm1::ReloadCurrentRow() { panels_->ReloadCurrentRow(); }

kiv::Dialogs& TForm1::Dialogs() { return GetDialogs(); }

bool TForm1::IsBusy() const { return busy_.Held() || Busy; }

void TForm1::ShowStatusHint(const QString& text) { skeleton_.StatusBar->showMessage(text); }

void TForm1::AddFloatingPanel(QWidget* panel, int height) { floating_.emplace_back(panel, height); }

}  // namespace kiv
