// The outline commands: lines per row, levels and branches in tree mode, one row's height,
// the whitener, the Move Topic items, and the panels' wheel, double click and popup.
#include "mainwindow/outline/Outline.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "engine/core/OutlineLevels.h"
#include "engine/core/PanelLayouts.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

TOutline::TOutline(IWindowContext& ctx) : QObject(&ctx.Window()), ctx_(ctx) {
    ctx.Published().Publish<IOutline>(*this);
}

void TOutline::BuildComponents() {
    BuildLines();
    BuildLevels();
    BuildDocumentView();
    BuildPanelMenus();
    WirePanels();
    ctx_.Window().installEventFilter(this);
    TWindowSkeleton& k = ctx_.Skeleton();
    if (!k.MainMenu1->actions().contains(k.View1->menuAction()))
        k.MainMenu1->insertMenu(k.Settings1->menuAction(), k.View1);
}

void TOutline::Subscribe(TWindowEvents& events) {
    // The menus the popup repeats are all built once a datastructure is open or the window
    // shows, whichever comes first.
    events.DatastructureOpened.Subscribe([this] { CloneMenus(); });
}

TKivStringGrid* TOutline::Panel(int n) const {
    return PanelsManagerExists() ? PanelsManager().PanelByNumber(n) : nullptr;
}

TKivStringGrid* TOutline::TreeGrid() const {
    if (!isShown(ctx_.Skeleton().pnlKiv)) return nullptr;
    TKivStringGrid* g = ctx_.CurrentGrid();
    return g && g->TreeMode ? g : nullptr;
}

// ---- lines per row ----

void TOutline::BuildLines() {
    QMainWindow* w = &ctx_.Window();
    Lines1 = Named(new QMenu(QStringLiteral("Lines"), w), "Lines1");
    const struct {
        QAction** item;
        const char* name;
        const char* caption;
        int key;
        int tag;
    } items[] = {{&N110, "N110", "One Line", Qt::Key_1, 1},
                 {&N210, "N210", "Two Lines", Qt::Key_2, 2},
                 {&N310, "N310", "Three Lines", Qt::Key_3, 3},
                 {&Expanded1, "Expanded1", "Expand all topics", Qt::Key_4, 0}};
    for (const auto& i : items) {
        *i.item = Item(w, i.name, QString::fromLatin1(i.caption));
        (*i.item)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | i.key));
        (*i.item)->setData(i.tag);
        connect(*i.item, &QAction::triggered, this,
                [this, tag = i.tag] { GuardCall([this, tag] { SetLinesPerRow(tag); }); });
        Lines1->addAction(*i.item);
    }
    ctx_.Skeleton().View1->addMenu(Lines1);
}

void TOutline::SetLinesPerRow(int n) {
    const int lines = LinesPerRow(n);
    ColorScheme.RowLines = lines;
    if (!PanelsManagerExists()) return;
    PanelsManager().SetExpandAll(lines == 0);
    // The document view shows whole captions whatever the lines say.
    if (TKivStringGrid* p1 = Panel(1); p1 && p1->DocumentView() && !p1->GetExpandAll())
        p1->SetExpandAll(true);
}

// ---- levels and branches ----

void TOutline::BuildLevels() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    ShowLevels1 = Named(new QMenu(QStringLiteral("Show Levels"), w), "ShowLevels1");
    for (int level = 1; level <= 9; ++level) {
        QAction* a = ShowLevels1->addAction(QStringLiteral("Level ") + QString::number(level));
        a->setObjectName(QStringLiteral("Level%1").arg(level));
        a->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_0 + level)));
        a->setData(level);
        connect(a, &QAction::triggered, this,
                [this, a] { GuardCall([this, a] { All1Click(a); }); });
        LevelItems.push_back(a);
    }
    All1 = Item(w, "All1", QStringLiteral("All Levels"));
    All1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    All1->setData(0);
    connect(All1, &QAction::triggered, this, [this] { GuardCall([this] { All1Click(All1); }); });
    ShowLevels1->addAction(All1);

    acShowSubItems = Action(w, "acShowSubItems", QStringLiteral("Show/Hide Sub-topics"));
    acShowSubItems->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    acShowSubItems->OnExecute = [this](KivAction*) { acShowSubItemsExecute(); };
    acShowBranch = Action(w, "acShowBranch", QStringLiteral("Show/Hide Branch"));
    acShowBranch->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    acShowBranch->OnExecute = [this](KivAction*) { acShowBranchExecute(); };
    acShowAllBranches = Action(w, "acShowAllBranches", QStringLiteral("Show/Hide All Branches"));
    acShowAllBranches->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_S));
    acShowAllBranches->OnExecute = [this](KivAction*) { acShowAllBranchesExecute(); };
    acShowSubTopics = Action(w, "acShowSubTopics", QStringLiteral("Show Subtopics"));
    acShowSubTopics->OnExecute = [](KivAction*) {};
    acShowSubTopics->SetEnabled(false);

    ShowSubTopics1 = Named(new QMenu(QStringLiteral("Show Sub-topics"), w), "ShowSubTopics1");
    const std::pair<const char*, KivAction*> runs[] = {
        {"Show/Hide Sub-topics      Ctrl+S (or click number)", acShowSubItems},
        {"Show/Hide Sub-topics with arrowkeys (arrow-Rt, Ctrl+arrow-Lft)", acShowSubItems},
        {"Show/Hide Branch     Shift+Ctrl+S (or Ctrl+click number) ", acShowBranch},
        {"Show/Hide All Branches Shift+Alt+Ctrl-S or (Shift+Ctrl+click number)",
         acShowAllBranches}};
    for (const auto& [caption, action] : runs) {
        QAction* item = ShowSubTopics1->addAction(QString::fromLatin1(caption));
        connect(item, &QAction::triggered, this,
                [action = action] { GuardCall([action] { action->Execute(); }); });
    }
    k.View1->addMenu(ShowSubTopics1);
    k.View1->addMenu(ShowLevels1);
    ShowLevels1->setEnabled(false);
}

void TOutline::All1Click(QAction* item) { ExpandToLevel(item->data().toInt()); }

namespace {

// The topic of the row and the topics above it, nearest first, so that a change of the
// rows shown can find it again, or the nearest of them still shown.
std::vector<TNestItem> TopicAndAncestors(const TNester& m, int row) {
    std::vector<TNestItem> chain;
    if (!m.ValidRow(row)) return chain;
    chain.push_back(m.GetItem(row));
    for (int r = row - 1, level = m.Level(row); r >= 0 && level > 0; --r)
        if (m.Level(r) < level) {
            level = m.Level(r);
            chain.push_back(m.GetItem(r));
        }
    return chain;
}

void SelectNearest(TKivStringGrid* g, const std::vector<TNestItem>& chain) {
    for (const TNestItem& item : chain)
        if (g->FindItemRow(item, true, 0) >= 0) return;
}

}  // namespace

void TOutline::ExpandToLevel(int level) {
    TKivStringGrid* g = TreeGrid();
    if (!g || ctx_.IsBusy()) return;
    ctx_.FlushCurrentRow();
    const std::vector<TNestItem> chain = TopicAndAncestors(*g->Nester, g->CurrentRow());
    {
        const CursorGuard hourglass;
        kiv::ExpandToLevel(*g->Nester, level);
        g->RowsChanged(0);
        // The current topic stays current, or the nearest topic above it still shown.
        SelectNearest(g, chain);
    }
    ctx_.ReloadCurrentRow();
}

void TOutline::acShowSubItemsExecute() {
    TKivStringGrid* g = TreeGrid();
    if (!g) return;
    const int row = g->CurrentRow();
    if (g->Nester->IsExpanded(row)) g->CollapseRow(row);
    else g->ExpandRow(row);
}

void TOutline::acShowBranchExecute() {
    TKivStringGrid* g = TreeGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    const CursorGuard hourglass;
    const int row = g->CurrentRow();
    if (ExpandBranch(*g->Nester, row)) g->RowsChanged(row + 1);
    else g->CollapseRow(row);
}

void TOutline::acShowAllBranchesExecute() {
    TKivStringGrid* g = TreeGrid();
    if (!g) return;
    const int count = g->Nester->RowCount();
    ExpandToLevel(0);
    if (g->Nester->RowCount() == count) ExpandToLevel(1);
}

void TOutline::LayoutChanged(int layout, bool outlinerShown) {
    const bool tree = PanelsManagerExists() && PanelsManager().TreeMode;
    DocumentViewSettings1->setEnabled(layout == 7);
    for (QAction* slot : ctx_.Skeleton().tbModes->actions())
        if (ctx_.Skeleton().tbModes->widgetForAction(slot) == btnDocumentViewSettings)
            slot->setVisible(layout == 7);
    acShowSubTopics->SetEnabled(tree);
    ShowLevels1->setEnabled(outlinerShown && tree);
}

// ---- one row's height, the whitener, moves by key ----

void TOutline::PopupExpandTopic(TKivStringGrid* g, int row, QPoint at) {
    pmExpandTopicTag = g->Tag;
    ExpandTopic1Tag = row;
    const bool tall = g->RowHeights(row) > g->DefaultRowHeight();
    ExpandTopic1->setText(tall ? QStringLiteral("Collapse topic") : QStringLiteral("Expand topic"));
    ExpandAllTopics1->setText(tall ? QStringLiteral("Collapse all topics")
                                   : QStringLiteral("Expand all topics"));
    pmExpandTopic->popup(at);
}

void TOutline::ExpandTopic1Click() {
    TKivStringGrid* g = Panel(pmExpandTopicTag);
    const int row = ExpandTopic1Tag;
    if (!g || !g->IsRowValid(row)) return;
    if (g->RowHeights(row) <= g->DefaultRowHeight()) g->FitRowHeight(row);
    else g->ResetRowHeight(row);
    g->DrawRow(row);
}

void TOutline::ExpandAllTopics1Click() {
    TKivStringGrid* g = Panel(pmExpandTopicTag);
    const int row = ExpandTopic1Tag;
    if (!g || !g->IsRowValid(row) || !PanelsManagerExists()) return;
    PanelsManager().SetExpandAll(g->RowHeights(row) <= g->DefaultRowHeight());
}

void TOutline::acWhitenerExecute() {
    acWhitener->SetChecked(!acWhitener->Checked());
    if (!PanelsManagerExists() || !PanelsManager().EditMode) return;
    for (int n = 1; n <= 3; ++n)
        if (TKivStringGrid* g = Panel(n); g && isShown(g)) g->DrawRow(g->CurrentRow());
}

void TOutline::MoveTopicClick(int tag) {
    static const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left};
    if (tag < 1 || tag > 4 || !isShown(ctx_.Skeleton().pnlKiv)) return;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    // Through the window's key handling, as the keys themselves come.
    QKeyEvent press(QEvent::KeyPress, keys[tag - 1], Qt::AltModifier);
    QApplication::sendEvent(g, &press);
    QKeyEvent release(QEvent::KeyRelease, keys[tag - 1], Qt::AltModifier);
    QApplication::sendEvent(g, &release);
}

// ---- the panels' wheel, double click and popup ----

void TOutline::WirePanels() {
    for (int n = 1; n <= 3; ++n) {
        TKivStringGrid* g = Panel(n);
        if (!g) continue;
        g->OnMouseWheelDown = [this](TCustomGrid* s, TShiftState, QPoint, bool& handled) {
            handled = true;
            GuardCall([this, s] { PanelWheel(static_cast<TKivStringGrid*>(s), true); });
        };
        g->OnMouseWheelUp = [this](TCustomGrid* s, TShiftState, QPoint, bool& handled) {
            handled = true;
            GuardCall([this, s] { PanelWheel(static_cast<TKivStringGrid*>(s), false); });
        };
        g->OnDblClick = [this](TCustomGrid* s) {
            auto* grid = static_cast<TKivStringGrid*>(s);
            const QPoint at = grid->viewport()->mapFromGlobal(QCursor::pos());
            GuardCall([this, grid, at] { PanelDblClick(grid, at); });
        };
        g->viewport()->installEventFilter(this);
        // The caption editor shows the panels' popup, not a menu of its own.
        if (g->CaptionEditor) g->CaptionEditor->viewport()->installEventFilter(this);
    }
}

void TOutline::PanelWheel(TKivStringGrid* g, bool down) {
    if (ctx_.IsBusy() || !PanelsManagerExists()) return;
    const int row = g->CurrentRow();
    const int next = down ? row + 1 : row - 1;
    if (!g->IsRowValid(row) || !g->IsRowValid(next)) return;
    g->SelectRow(next);
    g->SetRow(next);
    PanelsManager().RefreshPanelsFrom(g->Tag);
}

void TOutline::PanelDblClick(TKivStringGrid* g, QPoint at) {
    if (ctx_.IsBusy() || !PanelsManagerExists()) return;
    const int row = g->RowAt(at.x(), at.y());
    if (!g->IsRowValid(row) || g->IsOverHeightBox(at.x(), at.y()) || g->IsOverBadge(at.x(), at.y()))
        return;
    PanelsManager().SetEditMode(true);
}

bool TOutline::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Show && watched == &ctx_.Window()) GuardCall([this] { CloneMenus(); });
    if (e->type() != QEvent::ContextMenu) return QObject::eventFilter(watched, e);
    for (int n = 1; n <= 3; ++n) {
        TKivStringGrid* g = Panel(n);
        if (g && g->CaptionEditor && watched == g->CaptionEditor->viewport()) {
            const QPoint at = static_cast<QContextMenuEvent*>(e)->globalPos();
            GuardCall([&] { pmKivPanel->popup(at); });
            return true;
        }
        if (!g || watched != g->viewport()) continue;
        const QPoint p = static_cast<QContextMenuEvent*>(e)->pos();
        const int row = g->RowAt(p.x(), p.y());
        // The links of a row have their own popup (the launch card's).
        if (g->IsRowValid(row) && g->IsOverLaunchIcon(p.x(), p.y())) return false;
        const QPoint at = static_cast<QContextMenuEvent*>(e)->globalPos();
        GuardCall([&] {
            if (g->IsRowValid(row) && g->IsOverHeightBox(p.x(), p.y()))
                PopupExpandTopic(g, row, at);
            else pmKivPanel->popup(at);
        });
        return true;
    }
    return QObject::eventFilter(watched, e);
}

void TOutline::BuildPanelMenus() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    pmExpandTopic = Named(new QMenu(w), "pmExpandTopic");
    ExpandTopic1 = Named(pmExpandTopic->addAction(QStringLiteral("Expand topic")), "ExpandTopic1");
    ExpandAllTopics1 =
        Named(pmExpandTopic->addAction(QStringLiteral("Expand all topics")), "ExpandAllTopics1");
    connect(ExpandTopic1, &QAction::triggered, this,
            [this] { GuardCall([this] { ExpandTopic1Click(); }); });
    connect(ExpandAllTopics1, &QAction::triggered, this,
            [this] { GuardCall([this] { ExpandAllTopics1Click(); }); });

    acWhitener = Action(w, "acWhitener", QStringLiteral("Whiten edited topic"), true);
    acWhitener->SetChecked(true);
    acWhitener->OnExecute = [this](KivAction*) { acWhitenerExecute(); };
    k.Settings1->addAction(acWhitener);

    MoveTopic1 = Named(new QMenu(QStringLiteral("Move Topic"), w), "MoveTopic1");
    const std::pair<const char*, const char*> moves[] = {{"Up1", "Up      Alt+UpArrowkey"},
                                                         {"Down1", "Down      Alt+DownArrowkey"},
                                                         {"Right1", "Right      Alt+RightArrowkey"},
                                                         {"Left1", "Left      Alt+LeftArrowkey"}};
    int tag = 0;
    for (const auto& [name, caption] : moves) {
        QAction* a = Named(MoveTopic1->addAction(QString::fromLatin1(caption)), name);
        a->setData(++tag);
        connect(a, &QAction::triggered, this,
                [this, tag] { GuardCall([this, tag] { MoveTopicClick(tag); }); });
    }
    k.Edit1->addMenu(MoveTopic1);

    pmKivPanel = Named(new QMenu(w), "pmKivPanel");
    Undo2 = Named(pmKivPanel->addAction(QStringLiteral("Undo")), "Undo2");
    QAction* afterUndo = pmKivPanel->addSeparator();
    connect(Undo2, &QAction::triggered, this, [this] {
        GuardCall([this] {
            if (KivAction* undo = ctx_.Actions().Find(QStringLiteral("acUndo"))) undo->Execute();
        });
    });
    connect(pmKivPanel, &QMenu::aboutToShow, this, [this, afterUndo] {
        TKivStringGrid* g = ctx_.CurrentGrid();
        const bool editing = g && g->CaptionEditor && g->CaptionEditor->hasFocus();
        Undo2->setVisible(editing);
        afterUndo->setVisible(editing);
    });
}

void TOutline::CopyMenuItems(QMenu* source, QMenu* target, QObject* owner) {
    for (QAction* a : source->actions()) {
        if (QMenu* sub = a->menu()) {
            auto* copy = new QMenu(sub->title(), qobject_cast<QWidget*>(owner));
            copy->setObjectName(sub->objectName() + QStringLiteral("Copy"));
            copy->setEnabled(sub->isEnabled());
            CopyMenuItems(sub, copy, owner);
            target->addMenu(copy)->setVisible(a->isVisible());
        } else {
            // The item itself: one caption, shortcut, check and enabled state in both menus.
            target->addAction(a);
        }
    }
}

void TOutline::CloneMenus() {
    if (cloned_) return;
    cloned_ = true;
    QMainWindow& w = ctx_.Window();
    const std::pair<const char*, const char*> copies[] = {{"Topic1", "Topic2"},
                                                          {"Link1", "Link2"},
                                                          {"Cards1", "Cards2"},
                                                          {"MoveTopic1", "MoveTopic2"},
                                                          {"ShowSubTopics1", "ShowSubtopics2"},
                                                          {"ShowLevels1", "ShowLevels2"},
                                                          {"OutlinerLayout1", "OutlinerLayout2"}};
    for (const auto& [from, to] : copies) {
        auto* source = w.findChild<QMenu*>(QString::fromLatin1(from));
        if (!source) continue;
        auto* target = Named(new QMenu(source->title(), &w), to);
        CopyMenuItems(source, target, &w);
        pmKivPanel->addMenu(target);
    }
}

}  // namespace kiv
