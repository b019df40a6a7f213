// Making marks and going to them, the strips tsThreads and tsQuickJumps, and the marks at
// the open of a datastructure.
#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QTimer>
#include <climits>
#include <exception>
#include <string>

#include "components/FourthTabSet.h"
#include "engine/core/Cards.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/core/Navigation.h"
#include "engine/core/Nester.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "mainwindow/marks/Marks.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

const QString TMarks::kThreads = QStringLiteral("Threads");
const QString TMarks::kQuickJumps = QStringLiteral("QuickJumps");

namespace {

const QString kThreadGone = QStringLiteral(
    "It isn't possible to move to this Thread topic, because it was removed or relocated. This item will we removed "
    "from this list.");
const QString kQuickJumpGone = QStringLiteral(
    "It isn't possible to move to this QuickJump topic, because it was removed or relocated. This item will we "
    "removed from this list.");

constexpr int kStripHeight = 20;
constexpr int kThreadsWidthBesideQuickJumps = 230;

// The trail names topics that are still where it says: checked on a copy, so a refused
// trail keeps its nodes; the one that passes takes the refreshed indexes and captions.
bool StillThere(TNavigator& trail) {
    TKivStringGrid* p1 = PanelsManagerExists() ? PanelsManager().PanelByNumber(1) : nullptr;
    if (!p1) return false;
    TNavigator probe;
    probe.Assign(trail);
    if (!p1->ValidateNavigator(probe)) return false;
    trail.Assign(probe);
    return true;
}

}  // namespace

TMarks::TMarks(IWindowContext& ctx)
    : PopupListKind(kQuickJumps),
      DockedListKind(kQuickJumps),
      ctx_(ctx),
      panels_(ctx.Published()),
      datastructure_(ctx.Published()),
      nav_(ctx.Published()),
      hoist_(ctx.Published()) {
    ctx.Published().Publish<IMarks>(*this);
}

void TMarks::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    acToThreads = Action(w, "acToThreads", QStringLiteral("Make New Thread"));
    acToThreads->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    acToThreads->setVisible(false);
    acToThreads->OnExecute = [this](KivAction*) { acToThreadsExecute(); };
    acToMarks = Action(w, "acToMarks", QStringLiteral("Make New QuickJump"));
    acToMarks->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    acToMarks->OnExecute = [this](KivAction*) { acToMarksExecute(); };
    acThreadListShow = Action(w, "acThreadListShow", QStringLiteral("Threads List..."), true);
    acThreadListShow->setVisible(false);
    acThreadListShow->OnExecute = [this](KivAction*) { acThreadListShowExecute(); };
    acQuickJumpListShow =
        Action(w, "acQuickJumpListShow", QStringLiteral("QuickJumps List..."), true);
    acQuickJumpListShow->OnExecute = [this](KivAction*) { acQuickJumpListShowExecute(); };
    acQuickJumpListShow->OnUpdate = [this](KivAction*) { acQuickJumpListShowUpdate(); };
    // Hidden commands keep their shortcuts through the window.
    for (QAction* a : {static_cast<QAction*>(acToThreads), static_cast<QAction*>(acToMarks)})
        w->addAction(a);

    acShowThreadsTabs = Action(w, "acShowThreadsTabs", QStringLiteral("Threads Tabs"), true);
    acShowQuickJumpsTabs =
        Action(w, "acShowQuickJumpsTabs", QStringLiteral("QuickJumps Tabs"), true);
    acShowThreadsTabs->OnExecute = [this](KivAction*) { acShowThreadsTabsExecute(); };
    acShowThreadsTabs->OnUpdate = [this](KivAction* a) {
        a->SetEnabled(isShown(ctx_.Skeleton().pnlKiv));
    };
    acShowQuickJumpsTabs->OnExecute = [this](KivAction*) { acShowQuickJumpsTabsExecute(); };

    tmQuickJumpsFlasher = Named(new QTimer(this), "tmQuickJumpsFlasher");
    tmQuickJumpsFlasher->setInterval(kFlashMs);
    connect(tmQuickJumpsFlasher, &QTimer::timeout, this,
            [this] { GuardCall([this] { tmQuickJumpsFlasherTimer(); }); });
    tmrHide = Named(new QTimer(this), "tmrHide");
    tmrHide->setInterval(kHideMs);
    connect(tmrHide, &QTimer::timeout, this, [this] { GuardCall([this] { tmrHideTimer(); }); });

    BuildStrips();
    BuildLists();
    BuildMenus();
}

void TMarks::BuildStrips() {
    TWindowSkeleton& k = ctx_.Skeleton();
    // The strips' rows in the frame's Threads and QuickJumps containers.
    QWidget* threadsRow = Panel(k.pnlThreads, "tsThreads");
    QWidget* quickJumpsRow = Panel(k.pnlQuickJumps, "tsQuickJumps");
    auto strip = [this](QWidget* container, const char* name, QLabel*& label,
                        const QString& caption) {
        if (!container->layout()) HBox(container);
        label = new QLabel(caption, container);
        label->setContentsMargins(4, 0, 4, 0);
        label->setAcceptDrops(true);
        label->installEventFilter(this);
        container->layout()->addWidget(label);
        auto* s = Named(new TFourthTabSet(container), name);
        s->setFixedHeight(kStripHeight + 2);
        s->setAcceptDrops(true);
        s->installEventFilter(this);
        container->layout()->addWidget(s);
        return s;
    };
    tsThreads = strip(threadsRow, "tsThreads", lblThreads1, QStringLiteral("Threads:"));
    lblThreads1->setObjectName(QStringLiteral("lblThreads1"));
    tsThreads->setToolTip(QStringLiteral("Threads"));
    tsThreads->OnChange = [this](TFourthTabSet*, int t, bool& allow) { tsThreadsChange(t, allow); };
    tsQuickJumps =
        strip(quickJumpsRow, "tsQuickJumps", lblQuickJumps1, QStringLiteral("QuickJumps:"));
    lblQuickJumps1->setObjectName(QStringLiteral("lblQuickJumps1"));
    tsQuickJumps->setToolTip(QStringLiteral("QuickJumps"));
    tsQuickJumps->OnChange = [this](TFourthTabSet*, int t, bool& allow) {
        tsQuickJumpsChange(t, allow);
    };
    imgQuickJumps1 = Named(new QLabel(QStringLiteral("\u25BE"), quickJumpsRow), "imgQuickJumps1");
    imgQuickJumps1->setToolTip(QStringLiteral("QuickJumps List"));
    imgQuickJumps1->setAcceptDrops(true);
    imgQuickJumps1->setMouseTracking(true);
    imgQuickJumps1->installEventFilter(this);
    static_cast<QBoxLayout*>(quickJumpsRow->layout())->insertWidget(1, imgQuickJumps1);
    for (QWidget* p : {k.pnlThreads, k.pnlQuickJumps}) {
        if (!p->layout()) VBox(p)->addWidget(p == k.pnlThreads ? threadsRow : quickJumpsRow);
        p->setFixedHeight(kStripHeight + 2);
    }
}

// ---- making marks ----

TQuickJump* TMarks::ListOf(const QString& kind) const {
    if (!ctx_.Open().BookMark) return nullptr;
    if (kind == kThreads) return &ctx_.Open().BookMark->Threads;
    if (kind == kQuickJumps) return &ctx_.Open().BookMark->QuickJumps;
    return nullptr;
}

void TMarks::AddCurrentTopicToMarks(TNavigator& trail) {
    if (ctx_.IsBusy()) return;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    const int row = g->CurrentRow();
    const TNode n = g->Nester->GetNode(row);
    trail.Add(n.ParentNest, n.Index, true, g->Nester->Caption(row), n.Item());
}

void TMarks::AddNavigationMark(const QString& kind, int position) {
    TQuickJump* list = ListOf(kind);
    if (!list || !ctx_.Open().Navigator) return;
    TNavigatorPtr mark = list->InsertNavigator(std::clamp(position, 0, list->Count()));
    mark->Assign(*ctx_.Open().Navigator);
    AddCurrentTopicToMarks(*mark);
    RefillKind(kind);
}

void TMarks::acToThreadsExecute() {
    PopupListKind = kThreads;
    AddNavigationMark(kThreads, INT_MAX);
}

void TMarks::acToMarksExecute() {
    PopupListKind = kQuickJumps;
    AddNavigationMark(kQuickJumps, INT_MAX);
}

// ---- going to marks ----

void TMarks::MakeCurrentThread(int i) {
    TQuickJump& threads = ctx_.Open().BookMark->Threads;
    ctx_.Open().Navigator = threads.Navigator(i);
    threads.SetCurrentIndex(i);
    if (!ctx_.Open().Navigator) return;
    auto refreshPath = [this](TNavigator* sender) {
        if (sender == ctx_.Open().Navigator.get()) nav_->UpdateNavigationPath();
    };
    ctx_.Open().Navigator->OnNodeAdded = refreshPath;
    ctx_.Open().Navigator->OnNodesDeleted = refreshPath;
}

int TMarks::DeleteThread(int i, const TNavigator& position) {
    TQuickJump& threads = ctx_.Open().BookMark->Threads;
    if (threads.Count() <= 1) {
        // The last thread stays: it becomes the position the user is at.
        if (TNavigatorPtr only = threads.Navigator(0)) only->Assign(position);
        MakeCurrentThread(0);
        return -1;
    }
    const bool wasCurrent = threads.Navigator(i) == ctx_.Open().Navigator;
    threads.Delete(i);
    if (!wasCurrent) {
        // The index of the current thread follows the list.
        for (int k = 0; k < threads.Count(); ++k)
            if (threads.Navigator(k) == ctx_.Open().Navigator) threads.SetCurrentIndex(k);
        return -1;
    }
    // Re-pointed before anything else runs; the caller then goes there.
    const int next = std::max(0, threads.CurrentIndex());
    MakeCurrentThread(next);
    return next;
}

void TMarks::EndListDrags() {
    dragIndex_[0] = dragIndex_[1] = -1;
    TKivStringGrid::SetInternalDragSource(nullptr);
}

void TMarks::RefillAfterDelete(const QString& kind) {
    EndListDrags();
    RefillKind(kind);
}

void TMarks::FocusAfterGoing() {
    TKivStringGrid* p1 = panels_->Panel(1);
    if (p1 && p1->isVisible() && p1->isEnabled()) p1->setFocus(Qt::OtherFocusReason);
    QListWidget* popup = lbxBMListPopup;
    if (isShown(pnlBookmarks) && popup->isVisible()) popup->setFocus(Qt::OtherFocusReason);
}

void TMarks::GoToThread(int index, bool storeCurrent) {
    if (!ctx_.Open().BookMark || !ctx_.Open().Navigator) return;
    TQuickJump& threads = ctx_.Open().BookMark->Threads;
    TNavigatorPtr thread = threads.Navigator(index);
    if (!thread) return;
    if (ctx_.Skeleton().pnlKiv->isHidden()) ctx_.Skeleton().pnlKiv->show();
    // Where the user stands, as the current trail holds it: what a refused thread gives back.
    TNavigator position;
    position.Assign(*ctx_.Open().Navigator);
    if (storeCurrent) {
        ctx_.FlushCurrentRow();
        AddCurrentTopicToMarks(*ctx_.Open().Navigator);
    }
    if (thread->Count() > 0 && !StillThere(*thread)) {
        MessageDlg(kThreadGone, MsgType::Warning, MsgButtons::OK);
        // The thread being left is where the user still stands.
        ctx_.Open().Navigator->Assign(position);
        const int next = DeleteThread(index, position);
        RefillAfterDelete(kThreads);
        if (next >= 0) GoToThread(next, false);
        return;
    }
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (PanelsManager().TreeMode && !ctx_.Open().BookMark->MarksPending && g) g->Nester->Clear();
    MakeCurrentThread(index);
    {
        const FlagGuard guard(threadsGuard_);
        if (index < tsThreads->Tabs().Count()) tsThreads->SetTabIndex(index);
    }
    FocusAfterGoing();
    nav_->NavigateToLevel(ctx_.Open().Navigator->Count() - 1, false);
    if (isShown(pnlBMList) && DockedListKind == kThreads) FillMarkList(lbxBMList, kThreads);
}

void TMarks::GoToQuickJump(int index) {
    if (!ctx_.Open().BookMark || !ctx_.Open().Navigator) return;
    TNavigatorPtr mark = ctx_.Open().BookMark->QuickJumps.Navigator(index);
    if (!mark) return;
    ctx_.FlushCurrentRow();
    if (ctx_.Open().BookMark->IsHoisted()) hoist_->DehoistTo(0);
    if (nav_->OutlineTabIndex() > 0) nav_->SelectOutlineTab(0);
    if (ctx_.Skeleton().pnlKiv->isHidden()) ctx_.Skeleton().pnlKiv->show();
    if (StillThere(*mark)) {
        ctx_.Open().Navigator->Assign(*mark);
        FocusAfterGoing();
        nav_->NavigateToLevel(ctx_.Open().Navigator->Count() - 1, false);
        return;
    }
    MessageDlg(kQuickJumpGone, MsgType::Warning, MsgButtons::OK);
    ctx_.Open().BookMark->QuickJumps.Delete(index);
    RefillAfterDelete(kQuickJumps);
}

// ---- the open ----

void TMarks::ReadMarksCard(std::string_view blob) {
    const TMarksRead r = DeserializeMarks(blob, ctx_.Open().BookMark->Threads,
                                          ctx_.Open().BookMark->QuickJumps, StillThere);
    read_.Split = r.Split;
    read_.ThreadsDropped += r.ThreadsDropped;
    read_.QuickJumpsDropped += r.QuickJumpsDropped;
}

void TMarks::NoteDroppedMarks(int threads, int quickJumps) {
    read_.ThreadsDropped += threads;
    read_.QuickJumpsDropped += quickJumps;
}

bool TMarks::SettleThreadsAtOpen() {
    TQuickJump& threads = ctx_.Open().BookMark->Threads;
    const int current = threads.CurrentIndex() >= 0 && threads.CurrentIndex() < threads.Count()
                            ? threads.CurrentIndex()
                            : 0;
    TNavigatorPtr thread = threads.Navigator(current);
    const bool keep = thread && thread->Count() > 0 && StillThere(*thread);
    if (keep) {
        MakeCurrentThread(current);
    } else {
        TNavigatorPtr position = ctx_.Open().Navigator;
        threads.Clear();
        threads.AddNavigator()->Assign(*position);
        MakeCurrentThread(0);
    }
    FillThreadsTabs();
    return keep;
}

void TMarks::DatastructureOpened() {
    if (!ctx_.Open().BookMark) return;
    if (ctx_.Open().BookMark->MarksPending) {
        std::string marks;
        try {
            PanelsManager().DBCards.ReadCard(kDBCardMarks, marks);
        } catch (const std::exception& e) {
            marks.clear();
            datastructure_->TellUnreadCards(std::string("the Threads and QuickJumps: ") + e.what());
        }
        ReadMarksCard(marks);
    }
    // The current thread is the current trail from now on.
    SettleThreadsAtOpen();
    const TMarksRead told = std::exchange(read_, TMarksRead{});
    GoToThread(std::max(0, ctx_.Open().BookMark->Threads.CurrentIndex()), false);
    FillThreadsTabs();
    FillQuickJumpsTabs();
    FillMarkList(lbxBMListPopup, PopupListKind);
    if (isShown(pnlBMList)) FillMarkList(lbxBMList, DockedListKind);
    // Marks whose topics went while the datastructure was closed are not kept silently.
    if (told.ThreadsDropped > 0) MessageDlg(kThreadGone, MsgType::Warning, MsgButtons::OK);
    if (told.QuickJumpsDropped > 0) MessageDlg(kQuickJumpGone, MsgType::Warning, MsgButtons::OK);
}

void TMarks::Subscribe(TWindowEvents& events) {
    datastructure_->SetTopicToMarks([this](TNavigator& trail) { AddCurrentTopicToMarks(trail); });
    // The docked list shows the marks of the datastructure that was open.
    events.DatastructureClosed.Subscribe([this] { pnlBMList->hide(); });
    // The current thread is named after the topic shown.
    events.TopicShown.Subscribe([this](TKivStringGrid* grid, int row) {
        if (!ctx_.Open().Navigator || !grid->IsRowValid(row)) return;
        ctx_.Open().Navigator->ThreadTitle = ShortCaption(grid->Nester->Caption(row), 25);
        ThreadTitleChanged();
    });
    events.DatastructureOpened.Subscribe([this] { GuardCall([this] { DatastructureOpened(); }); });
}

void TMarks::ThreadTitleChanged() {
    if (!ctx_.Open().BookMark || !tsThreads) return;
    const int i = ctx_.Open().BookMark->Threads.CurrentIndex();
    if (isShown(ctx_.Skeleton().pnlThreads) && i >= 0 && i < tsThreads->Tabs().Count() &&
        i == tsThreads->TabIndex() && !acShowQuickJumpsTabs->Checked())
        tsThreads->Tabs().Put(i, ThreadTabText(i));
    if (isShown(pnlBMList) && DockedListKind == kThreads) FillMarkList(lbxBMList, kThreads);
}

// ---- strips ----

QString TMarks::MarkCaption(const TQuickJump& list, int i, bool threads) {
    const TNavigatorPtr mark = list.Navigator(i);
    if (!mark) return {};
    // The current thread's trail holds what lies above the topic; its title names the topic.
    if (threads && i == list.CurrentIndex()) return StoredToText(mark->ThreadTitle);
    return StoredToText(list.TargetCaption(i));
}

QString TMarks::MarkListText(const TQuickJump& list, int i, bool threads) {
    return QString::number(i) + QStringLiteral(".  ") + MarkCaption(list, i, threads);
}

QString TMarks::ThreadTabText(int i) const {
    if (acShowQuickJumpsTabs->Checked()) return QString::number(i);
    return QString::number(i) + QStringLiteral(". ") +
           MarkCaption(ctx_.Open().BookMark->Threads, i, true);
}

QString TMarks::QuickJumpTabText(int i) const {
    return QString::number(i) + QStringLiteral(". ") +
           StoredToText(ShortCaption(ctx_.Open().BookMark->QuickJumps.TargetCaption(i), 20));
}

void TMarks::FillThreadsTabs() {
    if (!tsThreads) return;
    QStringList texts;
    const int n = ctx_.Open().BookMark ? ctx_.Open().BookMark->Threads.Count() : 0;
    for (int i = 0; i < n; ++i) texts << ThreadTabText(i);
    const FlagGuard guard(threadsGuard_);
    tsThreads->Tabs().Clear();
    tsThreads->Tabs().AddStrings(texts);
    const int current = ctx_.Open().BookMark ? ctx_.Open().BookMark->Threads.CurrentIndex() : -1;
    tsThreads->SetTabIndex(current >= 0 && current < n ? current : -1);
}

void TMarks::FillQuickJumpsTabs() {
    if (!tsQuickJumps) return;
    QStringList texts;
    const int n = ctx_.Open().BookMark ? ctx_.Open().BookMark->QuickJumps.Count() : 0;
    for (int i = 0; i < n; ++i) texts << QuickJumpTabText(i);
    const FlagGuard guard(quickJumpsGuard_);
    tmQuickJumpsFlasher->stop();
    tsQuickJumps->Tabs().Clear();
    tsQuickJumps->Tabs().AddStrings(texts);
    tsQuickJumps->SetTabIndex(-1);
}

void TMarks::tsThreadsChange(int NewTab, bool& AllowChange) {
    AllowChange =
        ctx_.Open().BookMark && NewTab >= 0 && NewTab < ctx_.Open().BookMark->Threads.Count();
    if (!AllowChange || threadsGuard_) return;
    GoToThread(NewTab, true);
    // What going did decides the tab shown (a refused thread is gone).
    AllowChange = false;
    const FlagGuard guard(threadsGuard_);
    const int current = ctx_.Open().BookMark->Threads.CurrentIndex();
    if (current >= 0 && current < tsThreads->Tabs().Count()) tsThreads->SetTabIndex(current);
}

void TMarks::tsQuickJumpsChange(int NewTab, bool& AllowChange) {
    if (NewTab == -1) {
        AllowChange = true;
        return;
    }
    AllowChange =
        ctx_.Open().BookMark && NewTab >= 0 && NewTab < ctx_.Open().BookMark->QuickJumps.Count();
    if (!AllowChange || quickJumpsGuard_) return;
    const int count = ctx_.Open().BookMark->QuickJumps.Count();
    tmQuickJumpsFlasher->start();
    GoToQuickJump(NewTab);
    // A refused mark was removed and the strip refilled: nothing is to light up.
    if (ctx_.Open().BookMark->QuickJumps.Count() != count) {
        AllowChange = false;
        tmQuickJumpsFlasher->stop();
    }
}

void TMarks::tmQuickJumpsFlasherTimer() {
    tmQuickJumpsFlasher->stop();
    const FlagGuard guard(quickJumpsGuard_);
    tsQuickJumps->SetTabIndex(-1);
}

void TMarks::acShowThreadsTabsExecute() {
    KivAction* a = acShowThreadsTabs;
    a->SetChecked(!a->Checked());
    LayoutStrips();
}

void TMarks::acShowQuickJumpsTabsExecute() {
    KivAction* a = acShowQuickJumpsTabs;
    a->SetChecked(!a->Checked());
    LayoutStrips();
    if (a->Checked()) FillQuickJumpsTabs();
}

void TMarks::ShowStripsAtStart(bool quickJumps) {
    acShowThreadsTabs->SetChecked(false);
    ctx_.Skeleton().pnlThreads->hide();
    acShowQuickJumpsTabs->SetChecked(quickJumps);
    ctx_.Skeleton().pnlQuickJumps->setVisible(quickJumps);
}

bool TMarks::ThreadsTabsShown() const { return acShowThreadsTabs->Checked(); }

bool TMarks::QuickJumpsTabsShown() const { return acShowQuickJumpsTabs->Checked(); }

void TMarks::LayoutStrips() {
    TWindowSkeleton& k = ctx_.Skeleton();
    const bool threads = acShowThreadsTabs->Checked();
    const bool quickJumps = acShowQuickJumpsTabs->Checked();
    k.pnlThreads->setVisible(threads);
    k.pnlQuickJumps->setVisible(quickJumps);
    // Side by side the Threads keep a fixed width; alone, either fills the row.
    if (threads && quickJumps) {
        k.pnlThreads->setFixedWidth(kThreadsWidthBesideQuickJumps);
    } else {
        k.pnlThreads->setMinimumWidth(0);
        k.pnlThreads->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    k.pnlBMs->setFixedHeight(threads || quickJumps ? kStripHeight + 2 : 0);
    // The Threads tabs are numbers alone while the QuickJumps show.
    FillThreadsTabs();
}

}  // namespace kiv
