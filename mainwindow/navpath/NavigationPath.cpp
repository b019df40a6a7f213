// The navigation path: its tabs and popup, the parent-topic label, the full-path toggle,
// the trail's upkeep as the panels move, and NavigateToLevel.
#include "mainwindow/navpath/NavigationPath.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolButton>

#include "components/FourthTabSet.h"
#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "platform/core/KivStrings.h"
#include "platform/core/Rounding.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

// Tabs of the path that show before it scrolls to its end.
constexpr int kPathTabsFromStart = 7;
constexpr int kNavigatorHelpContext = 41;

// Captions and names as stored, decoded as the panels decode them.
QString Q(const std::string& s) { return TKivStringGrid::CaptionToText(s); }

bool DatastructureHoisted(const TBookMarkPtr& b) { return b && b->IsHoisted(); }

}  // namespace

QStringList NavigationPathTexts(const TNavigator& trail, bool hoisted, bool withFirst) {
    QStringList texts;
    const int n = trail.Count();
    if (withFirst && n > 0) texts << (hoisted ? QStringLiteral("<Hoist>") : QStringLiteral("<..>"));
    const int step = n == 0 ? 20 : int(RoundHalfEven(20.0 / n));
    size_t width = 8;
    for (int i = 0; i < n; ++i) {
        if (width < 22) width += size_t(step);
        texts << QString::number(i + 1) + QStringLiteral(". ") +
                     Q(ShortCaption(trail.GetShortCaption(i), width)) + QLatin1Char('\\');
    }
    return texts;
}

QString SuperOrdText(const TNavigator& trail) {
    // At the top level there is no parent topic to name.
    if (trail.Count() == 0) return QString();
    const std::string caption = Trim(LineBreaksToBlanks(trail.GetCaption(trail.LastIndex())));
    return caption.empty() ? QString::fromLatin1(kUntitled) : Q(caption);
}

QStringList NavigatorPopupTexts(const TNavigator& trail, bool hoisted) {
    QStringList items;
    for (int level = trail.Count() - 1; level >= 1; --level)
        items << QString::number(level + 1) + QStringLiteral(" level:  ") +
                     Q(trail.GetShortCaption(level - 1));
    items << (hoisted ? QStringLiteral("1 level:  <Hoist>") : QStringLiteral("1 level:  <..>"));
    return items;
}

TNavigationPath::TNavigationPath(IWindowContext& ctx)
    : ctx_(ctx),
      panels_(ctx.Published()),
      datastructure_(ctx.Published()),
      outline_(ctx.Published()) {
    ctx.Published().Publish<INavigationPath>(*this);
}

void TNavigationPath::SetNavigateMode(const QString& mode) { lblNavigateMode->setText(mode); }

void TNavigationPath::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    acShowInterBaseTabs =
        Action(w, "acShowInterBaseTabs", QStringLiteral("Bookmarked Datastructures Tabs"), true);
    acOutlineView = Action(w, "acOutlineView", QStringLiteral("Outline Tabs"), true);
    acFullNavPath = Action(w, "acFullNavPath", QStringLiteral("Full Navigation Path"), true);
    acArrows = Action(w, "acArrows", QStringLiteral("Navigation Arrows"), true);
    QWidget* pathRow = ctx_.Skeleton().pnlNavPath;
    lblNavigateMode = Named(new QLabel(QStringLiteral("whole"), pathRow), "lblNavigateMode");
    pathRow->layout()->addWidget(lblNavigateMode);
    BuildPath();
    BuildStrips();
    BuildArrows();
    // The path is laid out again for its width (the window's, a splitter's).
    tsNavigator->installEventFilter(this);
}

void TNavigationPath::ApplyViewSwitches(const TNavigationViewSwitches& v) {
    TWindowSkeleton& k = ctx_.Skeleton();
    acShowInterBaseTabs->SetChecked(v.InterBaseTabs);
    k.tsInterBase->setVisible(v.InterBaseTabs);
    acOutlineView->SetChecked(v.OutlineTabs);
    k.tsOutLine->setVisible(v.OutlineTabs);
    acFullNavPath->SetChecked(v.FullPath);
    acArrows->SetChecked(v.Arrows);
    k.pnlArrows->setVisible(v.Arrows);
}

TNavigationViewSwitches TNavigationPath::ViewSwitches() const {
    return {acShowInterBaseTabs->Checked(), acOutlineView->Checked(), acFullNavPath->Checked(),
            acArrows->Checked()};
}

void TNavigationPath::BuildPath() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    auto* row = static_cast<QBoxLayout*>(k.pnlNavPath->layout());

    btnShowFullPath = Named(new QToolButton(k.pnlNavPath), "btnShowFullPath");
    btnShowFullPath->setAutoRaise(true);
    tsNavigator = Named(new TFourthTabSet(k.pnlNavPath), "tsNavigator");
    tsNavigator->setMinimumWidth(40);
    tsNavigator->setFixedHeight(22);
    tsNavigator->OnChange = [this](TFourthTabSet*, int t, bool& allow) {
        tsNavigatorChange(t, allow);
    };
    tsNavigator->OnMouseMove = [this](TFourthTabSet* s, TShiftState, int x, int y) {
        TabCursor(s, x, y, false);
    };
    pmNavigator = Named(new QMenu(tsNavigator), "pmNavigator");
    connect(pmNavigator, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { pmNavigatorPopup(); }); });
    tsNavigator->SetPopupMenu(pmNavigator);
    lblSuperOrd = Named(new QLabel(k.pnlNavPath), "lblSuperOrd");
    // A long caption must not widen the window: the label takes the room it is given.
    lblSuperOrd->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblSuperOrd->setMinimumWidth(40);
    row->insertWidget(1, btnShowFullPath);
    row->insertWidget(2, tsNavigator, 100);
    row->insertWidget(3, lblSuperOrd, 100);

    KivAction* full = acFullNavPath;
    full->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Backslash));
    full->OnExecute = [this](KivAction*) { acFullNavPathExecute(); };
    w->addAction(full);
    connect(btnShowFullPath, &QToolButton::clicked, this, [full] { full->Execute(); });
    // The settings restore the checked state; the path follows it from then on.
    connect(full, &QAction::toggled, this, [this](bool on) { ShowFullPath(on); });
    ShowFullPath(full->Checked());
    k.View1->addAction(full);
}

void TNavigationPath::ShowFullPath(bool full) {
    tsNavigator->setVisible(full);
    lblSuperOrd->setVisible(!full);
    KivAction* a = acFullNavPath;
    const QString hint = full ? QStringLiteral("Show Parent Topic Only")
                              : QStringLiteral("Show Full Navigation Path");
    a->setToolTip(hint);
    btnShowFullPath->setToolTip(hint);
    btnShowFullPath->setText(full ? QStringLiteral("\\\\\\") : QStringLiteral("\\"));
    if (full) UpdateNavigationPath();
}

void TNavigationPath::SetPathColors(TColor background, TColor font) {
    if (tsNavigator) {
        TFourthTabSetOptions& o = tsNavigator->Options();
        o.SetBackgroundColor(background);
        o.SetSeparatorColor(background);
        o.SetDarkShadowColor(background);
        o.SetUnSelectedColor(font);
    }
    if (btnShowFullPath) {
        QPalette pal = btnShowFullPath->palette();
        pal.setColor(QPalette::ButtonText, toQColor(font));
        btnShowFullPath->setPalette(pal);
    }
}

void TNavigationPath::acFullNavPathExecute() {
    KivAction* a = acFullNavPath;
    a->SetChecked(!a->Checked());
}

bool TNavigationPath::eventFilter(QObject* watched, QEvent* e) {
    if (watched == tsNavigator && e->type() == QEvent::Resize && ctx_.Window().isVisible() &&
        isShown(ctx_.Skeleton().pnlKiv))
        GuardCall([this] { UpdateNavigationPath(); });
    return QObject::eventFilter(watched, e);
}

// ---- the path ----

void TNavigationPath::UpdateNavigationPath() {
    if (ctx_.Open().Loading || !tsNavigator) return;
    // A counted scope: a rebuild inside a longer operation (a resize during a walk) never
    // ends that operation's busy state.
    TBusyGuard busy(ctx_.BusyCounter());
    static const TNavigator empty;
    const TNavigator& trail = ctx_.Open().Navigator ? *ctx_.Open().Navigator : empty;
    const QStringList texts = NavigationPathTexts(trail, DatastructureHoisted(ctx_.Open().BookMark),
                                                  InterBase().CurrentIndex() >= 0);
    TFourthTabList& tabs = tsNavigator->Tabs();
    tabs.Clear();
    tabs.AddStrings(texts);
    // The last tab into view. The layout is computed on demand, so no events need to run.
    const int count = tabs.Count();
    int first = std::max(0, count - kPathTabsFromStart);
    tsNavigator->SetFirstIndex(first);
    while (first < count - 1 && count - first > tsNavigator->VisibleTabs())
        tsNavigator->SetFirstIndex(++first);
    lblSuperOrd->setText(SuperOrdText(trail));
    lblSuperOrd->setToolTip(lblSuperOrd->text());
}

void TNavigationPath::tsNavigatorChange(int NewTab, bool& AllowChange) {
    if (NewTab < 0) return;
    // The strip keeps no selection: a tab is a way to a level, closed during a long operation.
    AllowChange = false;
    if (ctx_.IsBusy()) return;
    NavigateToLevel(NewTab, true);
}

void TNavigationPath::pmNavigatorPopup() {
    pmNavigator->clear();
    if (!ctx_.Open().Navigator) return;
    const QStringList items =
        NavigatorPopupTexts(*ctx_.Open().Navigator, DatastructureHoisted(ctx_.Open().BookMark));
    for (int i = 0; i < items.size(); ++i) {
        const int level = ctx_.Open().Navigator->Count() - 1 - i;
        QAction* a = pmNavigator->addAction(items[i]);
        a->setData(std::max(level, 0));
        connect(a, &QAction::triggered, this,
                [this, a] { GuardCall([this, a] { NavigateToLevel(a->data().toInt(), true); }); });
    }
    if (!pmNavigator->isEmpty()) pmNavigator->addSeparator();
    QAction* help = pmNavigator->addAction(QStringLiteral("What's This?"));
    help->setData(kNavigatorHelpContext);
}

// ---- the trail's upkeep ----

void TNavigationPath::ActivePanelChanged(int oldPanel, int newPanel) {
    if (!PanelsManagerExists() || PanelsManager().Navigating || !ctx_.Open().Navigator) return;
    TKivPanelsManager& pm = PanelsManager();
    if (newPanel > oldPanel) {
        for (int p = oldPanel; p < newPanel; ++p) {
            TKivStringGrid* g = pm.PanelByNumber(p);
            if (!g || !g->IsRowValid(g->CurrentRow())) continue;
            const TNode n = g->Nester->GetNode(g->CurrentRow());
            ctx_.Open().Navigator->Add(n.ParentNest, n.Index, false, n.Caption, n.Item());
        }
    } else if (newPanel < oldPanel) {
        ctx_.Open().Navigator->DeleteFrom(
            std::max(0, ctx_.Open().Navigator->Count() - (oldPanel - newPanel)));
    }
    UpdateNavigationPath();
    if (hoistHooks_.ActivePanelMoved) hoistHooks_.ActivePanelMoved();
}

void TNavigationPath::SetArrowPress(std::function<void(int key)> press) {
    pressArrow_ = std::move(press);
}

void TNavigationPath::SetHoistHooks(std::function<void()> leaveHoist,
                                    std::function<void()> activePanelMoved) {
    hoistHooks_.LeaveHoist = std::move(leaveHoist);
    hoistHooks_.ActivePanelMoved = std::move(activePanelMoved);
}

void TNavigationPath::Subscribe(TWindowEvents& events) {
    events.TopicShown.Subscribe([this](TKivStringGrid* grid, int) { TopicChanged(grid); });
    events.DatastructureOpened.Subscribe([this] { GuardCall([this] { DatastructureChanged(); }); });
    events.TopicsChanged.Subscribe(
        [this](uint32_t cardDir) { GuardCall([&] { RefreshCaptions(cardDir); }); });
    panels_->SetPathHooks(
        {[this](int oldPanel, int newPanel) { ActivePanelChanged(oldPanel, newPanel); },
         [this](TKivStringGrid* grid, int row) { OutlineCaptionStored(grid, row); },
         [this](TKivStringGrid* grid) { OutlineRowsChanged(grid); }});
}

void TNavigationPath::RefreshCaptions(uint32_t cardDir) {
    if (ctx_.Open().Loading || !PanelsManagerExists() || !PanelsManager().NestFile ||
        !ctx_.Open().BookMark)
        return;
    TCards& cards = PanelsManager().Cards;
    const auto stored = [&](uint32_t dir) {
        std::string caption;
        if (dir) cards.ReadCaption(dir, caption);
        return caption;
    };
    bool pathChanged = false;
    if (TNavigator* trail = ctx_.Open().Navigator.get())
        for (int i = 0; i < trail->Count(); ++i) {
            TNode n = trail->GetNode(i);
            // A topic that had no cards when the trail took it may have them now.
            TNestItem item;
            if (n.CardDir == 0 &&
                GetNestItem(PanelsManager().NestFile, n.ParentNest, int(n.Index), item) &&
                item.ChildNest == n.ChildNest && item.CardDir != 0) {
                n.CardDir = item.CardDir;
                trail->SetNode(i, n);
            }
            if (n.CardDir == 0) continue;
            const std::string caption = stored(n.CardDir);
            if (caption == trail->GetCaption(i)) continue;
            trail->SetCaption(i, caption);
            pathChanged = true;
        }
    if (pathChanged) UpdateNavigationPath();
    // The outlines: one per top-level topic, in its order, captioned as it is now.
    TBookMark& bm = *ctx_.Open().BookMark;
    TQuickJump& outlines = bm.Outlines;
    const uint32_t root = bm.RootNest ? bm.RootNest : ReadRootNest(PanelsManager().NestFile);
    TItemArray items;
    if (NestFollowed(root)) ReadNestItems(PanelsManager().NestFile, root, items);
    // A list made from the top level is told by the card directories it was made from;
    // any other list by each outline's hoisted topic (its trail is where the user last
    // stood in it).
    bool same = !items.empty() && outlines.Count() == int(items.size()) + 1;
    if (same && outlinesMadeFrom_.Owner.lock() == ctx_.Open().BookMark &&
        outlinesMadeFrom_.CardDirs.size() == items.size()) {
        for (size_t i = 0; same && i < items.size(); ++i)
            same = outlinesMadeFrom_.CardDirs[i] == items[i].CardDir;
    } else {
        for (int i = 1; same && i < outlines.Count(); ++i) {
            const TNavigatorPtr e = outlines.Navigator(i);
            const TNodeArray hoisted = e->GetHoistedNodes();
            same = (hoisted.empty() ? e->GetNode(0).CardDir : hoisted.front().CardDir) ==
                   items[size_t(i - 1)].CardDir;
        }
    }
    if (!same) {
        if (!items.empty() || outlines.Count() > 0) FillOutlineTabs(true);
        return;
    }
    // Only a stored caption renames an outline, and only that topic's.
    if (cardDir == 0) return;
    const FlagGuard guard(outlineGuard_);
    for (int i = 1; i < outlines.Count(); ++i) {
        if (items[size_t(i - 1)].CardDir != cardDir) continue;
        TNavigatorPtr e = outlines.Navigator(i);
        const std::string caption = stored(cardDir);
        if (e->GetNode(0).CardDir == cardDir) e->SetCaption(0, caption);
        const QString text = OutlineTabText(i, caption);
        if (i < tsOutLine->Tabs().Count() && tsOutLine->Tabs()[i] != text)
            tsOutLine->Tabs().Put(i, text);
    }
}

void TNavigationPath::TopicChanged(TKivStringGrid* grid) {
    if (grid && grid->TreeMode) RebuildTreeTrail(grid);
    else UpdateNavigationPath();
}

void TNavigationPath::RebuildTreeTrail(TKivStringGrid* grid) {
    if (!ctx_.Open().Navigator) return;
    ctx_.Open().Navigator->Clear();
    TNester& m = *grid->Nester;
    int row = grid->CurrentRow();
    if (m.RowCount() > 0 && m.ValidRow(row)) {
        int level = m.Level(row);
        for (int r = row - 1; r >= 0 && level > 0; --r) {
            if (m.Level(r) >= level) continue;
            level = m.Level(r);
            const TNode n = m.GetNode(r);
            ctx_.Open().Navigator->Insert(0, n.ParentNest, false, n.Caption, n.Item(), n.Index);
        }
    }
    UpdateNavigationPath();
}

void TNavigationPath::DatastructureChanged() {
    FillInterBaseTabs();
    FillOutlineTabs(true);
    UpdateNavigationPath();
    lblNavigateMode->setText(DatastructureHoisted(ctx_.Open().BookMark) ? QStringLiteral("hoist")
                                                                        : QStringLiteral("whole"));
}

// ---- NavigateToLevel ----

void TNavigationPath::NavigateToLevel(int level, bool fromPath) {
    if (!ctx_.Open().Navigator || !PanelsManagerExists() || level < 0 ||
        level >= ctx_.Open().Navigator->Count())
        return;
    ctx_.FlushCurrentRow();
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (g && g->TreeMode) NavigateTree(level);
    else NavigatePanels(level, fromPath);
    UpdateNavigationPath();
}

void TNavigationPath::NavigatePanels(int level, bool fromPath) {
    TNavigator& trail = *ctx_.Open().Navigator;
    if (fromPath) {
        // A level already on show only needs the focus.
        const int last = trail.Count() - 1;
        TKivStringGrid* focus = nullptr;
        if (CurrentPanel == 2 && level == last) focus = panels_->Panel(1);
        else if (CurrentPanel == 3 && level == last) focus = panels_->Panel(2);
        else if (CurrentPanel == 3 && level == last - 1) focus = panels_->Panel(1);
        if (focus) {
            ActivatePanel(focus);
            return;
        }
    }
    TKivStringGrid* p1 = panels_->Panel(1);
    {
        const FlagGuard navigating(PanelsManager().Navigating);
        ActivatePanel(p1);
        TNester& m = *p1->Nester;
        const TNodeArray hoisted = trail.GetHoistedNodes();
        if (level == 0 && !hoisted.empty()) {
            LoadHoistedNodes(m, hoisted);
            if (m.RowCount() == 1) m.Expand(0);
            p1->RowsChanged(0);
            // The topic the trail names (a hoisted one, or one shown below the single
            // hoisted topic), else the first.
            int row = 0;
            for (int r = 0; r < m.RowCount(); ++r)
                if (m.GetItem(r) == trail.GetNode(0).Item()) {
                    row = r;
                    break;
                }
            p1->SelectRow(row);
        } else {
            const TNode node = trail.GetNode(level);
            m.RootNest = node.ParentNest;
            if (level > 0 && PanelCount == 1) {
                // The parent stands above its children.
                m.Clear();
                InsertNodeRow(m, 0, trail.GetNode(level - 1), 0);
                m.Expand(0);
            } else {
                m.LoadBranch(-1, false);
            }
            p1->RowsChanged(0);
            if (p1->FindItemRow(node.Item(), true, PanelCount == 1 && level > 0 ? 1 : 0) < 0)
                p1->SelectRow(0);
        }
        PanelsManager().RefreshPanelsFrom(1);
    }
    // The selection is the current topic; the trail holds what lies above it.
    trail.DeleteFrom(level);
    ctx_.ReloadCurrentRow();
}

void TNavigationPath::NavigateTree(int level) {
    TNavigator& trail = *ctx_.Open().Navigator;
    TKivStringGrid* g = panels_->Panel(1);
    TNester& m = *g->Nester;
    if (m.RowCount() == 0) {
        if (DatastructureHoisted(ctx_.Open().BookMark)) {
            LoadHoistedNodes(m, trail.GetHoistedNodes());
        } else if (ctx_.Open().BookMark) {
            m.RootNest = ctx_.Open().BookMark->RootNest;
            m.LoadBranch(-1, false);
        }
        g->RowsChanged(0);
    }
    const TNestItem target = trail.GetNode(level).Item();
    const int current = g->CurrentRow();
    bool done = false;
    if (m.ValidRow(current) && m.Level(current) == trail.Count()) {
        for (int r = current; r >= 0 && !done; --r)
            if (m.Level(r) == level && m.GetItem(r) == target) {
                g->SelectRow(r);
                done = true;
            }
    }
    if (!done && g->ValidateNavigator(trail)) {
        // Down the trail, unfolding each step.
        int row = -1;
        for (int r = 0; r < m.RowCount(); ++r)
            if (m.Level(r) == 0 && m.GetItem(r) == trail.GetNode(0).Item()) {
                row = r;
                break;
            }
        for (int k = 1; k <= level && row >= 0; ++k) {
            g->ExpandRow(row);
            if (!m.IsExpanded(row)) break;
            const int end = m.NextSibling(row, true);
            int found = -1;
            for (int r = row + 1; r < end; ++r)
                if (m.Level(r) == m.Level(row) + 1 && m.GetItem(r) == trail.GetNode(k).Item()) {
                    found = r;
                    break;
                }
            if (found < 0) break;
            row = found;
        }
        g->RowsChanged(0);
        if (row >= 0) g->SelectRow(row);
    }
    if (m.RowCount() == 1) g->ExpandRow(0);
    g->RowsChanged(0);
    g->MakeActive();
}

}  // namespace kiv
