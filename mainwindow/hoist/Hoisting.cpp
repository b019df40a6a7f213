// Hoisting and de-hoisting: the hoist stack of the open datastructure, panel 1 showing the
// hoisted topics, and the way back to where the user stood.
#include "mainwindow/hoist/Hoisting.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/PanelRows.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

constexpr int kHoistImage = 54;
constexpr int kDehoistImage = 55;
constexpr int kDehoistAllImage = 56;

bool Hoisted(const TBookMarkPtr& b) { return b && b->IsHoisted(); }

// The rows a hoist takes (marked rows and the current one, a marked row inside a taken
// sub-tree not twice): their nodes, and their sub-trees with levels from 0. Each top row
// records its place in its nest.
void TakeHoistedRows(const TNester& m, TNodeArray& nodes, TNestPackArray& rows, int& currentAt) {
    for (int r = 0; r < m.RowCount();) {
        if (!m.IsMarked(r) && r != m.CurrentRow()) {
            ++r;
            continue;
        }
        TNode node = m.GetNode(r);
        node.Caption.clear();
        nodes.push_back(node);
        TNestPackArray sub = m.GetSubtreeRows(r);
        const int base = m.Level(r);
        for (TNestPack& p : sub) {
            p.Level -= base;
            p.Marked = 0;
        }
        sub[0].NestIndex = int32_t(node.Index);
        if (r == m.CurrentRow()) currentAt = int(rows.size());
        rows.insert(rows.end(), sub.begin(), sub.end());
        r += int(sub.size());
    }
}

// Appends a trail taken in a hoisted view (its node 0 a hoisted topic) to the trail that
// led to the hoist; the hoisted topic takes the place of the one the hoist was made on.
void ContinueTrail(TNavigator& trail, const TNavigator& inside) {
    if (inside.Count() == 0) return;
    const TNode top = inside.GetNode(0);
    int from = 1;
    if (trail.Count() > 0) {
        const TNode last = trail.GetNode(trail.LastIndex());
        if (!(last.Item() == top.Item())) {
            if (top.ParentNest == last.ParentNest)
                trail.SetNode(trail.LastIndex(), top);  // another hoisted sibling
            else if (NestFollowed(last.ChildNest) && top.ParentNest == last.ChildNest)
                from = 0;  // shown inline below it
            else return;
        }
    }
    for (int j = from; j < inside.Count(); ++j) {
        const TNode n = inside.GetNode(j);
        trail.Add(n.ParentNest, n.Index, false, n.Caption, n.Item());
    }
}

}  // namespace

THoisting::THoisting(IWindowContext& ctx)
    : ctx_(ctx), panels_(ctx.Published()), datastructure_(ctx.Published()), nav_(ctx.Published()) {
    ctx.Published().Publish<IHoisting>(*this);
}

void THoisting::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acHoist = Action(w, "acHoist", QStringLiteral("Hoist branch"));
    acHoist->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    SetImageIndex(acHoist, kHoistImage);
    acHoist->OnExecute = [this](KivAction*) { acHoistExecute(); };
    acDehoist = Action(w, "acDehoist", QStringLiteral("De-Hoist"));
    acDehoist->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    SetImageIndex(acDehoist, kDehoistImage);
    acDehoist->OnExecute = [this](KivAction*) { acDehoistExecute(); };
    acDehoist->SetEnabled(false);
    acDehoistAll = Action(w, "acDehoistAll", QStringLiteral("De-Hoist All"));
    SetImageIndex(acDehoistAll, kDehoistAllImage);
    acDehoistAll->OnExecute = [this](KivAction*) { acDehoistAllExecute(); };
    acDehoistAll->SetEnabled(false);
    for (KivAction* a : {acHoist, acDehoist, acDehoistAll}) {
        w->addAction(a);
        k.View1->addAction(a);
    }

    btnHoist = Named(new QToolButton(k.tbModes), "btnHoist");
    btnHoist->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    connect(btnHoist, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnHoistClick(); }); });
    k.tbModes->addWidget(btnHoist);
    UpdateHoistButton();
}

// ---- the loader and the view ----

void THoisting::ExpandInline(TKivStringGrid* grid, int row) {
    TNester& m = *grid->Nester;
    if (!m.ValidRow(row) || m.IsExpanded(row) || m.ChildNest(row) <= 0) return;
    m.Expand(row);
    grid->RowsChanged(row + 1);
}

void THoisting::FocusCaptionEditorInEditMode(bool elseFirstPanel) {
    kiv::FocusCaptionEditorInEditMode(ctx_, elseFirstPanel ? panels_->Panel(1) : nullptr);
}

void THoisting::ShowNavigateMode() {
    QString mode = QStringLiteral("hoist");
    if (!Hoisted(ctx_.Open().BookMark))
        mode = nav_->OutlineIndex() != 0 ? QStringLiteral("outline") : QStringLiteral("whole");
    nav_->SetNavigateMode(mode);
}

void THoisting::ShowHoistState(const TNestPackArray* rows, const TNodeArray& nodes, int select) {
    TKivStringGrid* p1 = panels_->Panel(1);
    TNester& m = *p1->Nester;
    {
        const FlagGuard navigating(PanelsManager().Navigating);
        ActivatePanel(p1);
        m.Clear();
        if (rows && !rows->empty()) {
            const int base = rows->front().Level;
            for (TNestPack p : *rows) {
                p.Level -= base;
                m.InsertRow(m.RowCount(), p);
            }
        } else {
            LoadHoistedNodes(m, nodes);
        }
        p1->RowsChanged(0);
        p1->SelectRow(m.ValidRow(select) ? select : 0);
        PanelsManager().RefreshPanelsFrom(1);
    }
    if (ctx_.Open().Navigator) ctx_.Open().Navigator->Clear();  // the hoisted nodes stay
    nav_->UpdateNavigationPath();
    if (m.RowCount() == 1) {
        ExpandInline(p1, 0);
        PanelsManager().RefreshPanelsFrom(1);
    }
    ctx_.ReloadCurrentRow();
    FocusCaptionEditorInEditMode();
    acHoist->SetEnabled(false);
    acDehoist->SetEnabled(true);
    acDehoistAll->SetEnabled(true);
    UpdateHoistButton();
    ShowNavigateMode();
}

// ---- hoisting ----

void THoisting::acHoistExecute() {
    if (!ctx_.Open().BookMark || !ctx_.Open().Navigator) return;
    // A caption being typed and the text card go to their topic first.
    ctx_.FlushCurrentRow();
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    if (g->TreeMode) g->UnmarkShownDescendants();
    TNodeArray nodes;
    TNestPackArray rows;
    int currentAt = 0;
    TakeHoistedRows(*g->Nester, nodes, rows, currentAt);

    PushHoistEntry(nodes);

    if (g != panels_->Panel(1)) g->ClearMarks();
    // The topic that was current stays current.
    ShowHoistState(&rows, {}, currentAt);
    panels_->Panel(1)->ClearMarks();
    panels_->Panel(1)->viewport()->update();
    FocusCaptionEditorInEditMode(true);
}

void THoisting::PushHoistEntry(const TNodeArray& nodes) {
    TNavigatorPtr entry = ctx_.Open().BookMark->HoistStack.AddNavigator();
    datastructure_->AddCurrentTopicToMarks();
    entry->Assign(*ctx_.Open().Navigator);
    ctx_.Open().Navigator->SetHoistedNodes(nodes);
}

void THoisting::HoistNodes(const TNodeArray& nodes) {
    if (!ctx_.Open().BookMark || !ctx_.Open().Navigator || nodes.empty()) return;
    ctx_.FlushCurrentRow();
    PushHoistEntry(nodes);
    ShowHoistState(nullptr, nodes);
}

void THoisting::DehoistTo(int level) {
    if (ctx_.Open().BookMark && ctx_.Open().Navigator && level >= 0 &&
        level < ctx_.Open().BookMark->HoistStack.Count()) {
        TQuickJump& stack = ctx_.Open().BookMark->HoistStack;
        ctx_.FlushCurrentRow();
        TNavigator& trail = *ctx_.Open().Navigator;
        // Where the user stands now, in the hoisted view.
        TNavigator here;
        here.Assign(trail);
        if (TKivStringGrid* g = ctx_.CurrentGrid(); g && g->IsRowValid(g->CurrentRow())) {
            const TNode n = g->Nester->GetNode(g->CurrentRow());
            here.Add(n.ParentNest, n.Index, false, n.Caption, n.Item());
        }
        trail.Assign(*stack.Navigator(level));
        const TNodeArray nodes = trail.GetHoistedNodes();
        // Down to the deepest position reached: each later level's trail, and then the
        // current position, continues from the topic it was hoisted on.
        for (int k = level + 1; k < stack.Count(); ++k) ContinueTrail(trail, *stack.Navigator(k));
        ContinueTrail(trail, here);
        while (stack.Count() > level) stack.Delete(stack.Count() - 1);
        if (stack.Count() == 0) {
            if (TKivStringGrid* g = ctx_.CurrentGrid()) {
                g->Nester->Clear();
                g->RowsChanged(0);
            }
            // An outline tab keeps its own hoisted topic.
            if (nav_->OutlineIndex() == 0) trail.SetHoistedNodes({});
        } else {
            TNavigator kept;
            kept.Assign(trail);
            ShowHoistState(nullptr, nodes);
            trail.Assign(kept);
        }
        if (trail.Count() > 0) {
            nav_->NavigateToLevel(trail.Count() - 1, false);
        } else {
            // Nothing to go back to: the top of what is left.
            TKivStringGrid* p1 = panels_->Panel(1);
            {
                const FlagGuard navigating(PanelsManager().Navigating);
                if (trail.GetHoistedNodes().empty()) {
                    p1->Nester->RootNest = ctx_.Open().BookMark->RootNest;
                    p1->Nester->LoadBranch(-1, false);
                } else {
                    LoadHoistedNodes(*p1->Nester, trail.GetHoistedNodes());
                }
                p1->RowsChanged(0);
                p1->SelectRow(0);
                PanelsManager().RefreshPanelsFrom(1);
            }
            ctx_.ReloadCurrentRow();
            nav_->UpdateNavigationPath();
        }
    }
    if (!Hoisted(ctx_.Open().BookMark)) {
        acDehoist->SetEnabled(false);
        acDehoistAll->SetEnabled(false);
        acHoist->SetEnabled(true);
        ShowNavigateMode();
    }
    UpdateHoistButton();
}

void THoisting::acDehoistExecute() {
    if (!Hoisted(ctx_.Open().BookMark)) return;
    ctx_.FlushCurrentRow();
    TKivStringGrid* g = ctx_.CurrentGrid();
    TNestPackArray kept;
    if (g && g->TreeMode) {
        TNester& m = *g->Nester;
        for (int r = g->CurrentRow(); r >= 0 && r < m.RowCount(); --r)
            if (m.Level(r) == 0) {
                kept = m.GetSubtreeRows(r);
                break;
            }
    }
    DehoistTo(ctx_.Open().BookMark->HoistStack.Count() - 1);
    g = ctx_.CurrentGrid();
    if (g && g->TreeMode && kept.size() > 1) {
        // The branch stays unfolded as it was.
        TNester& m = *g->Nester;
        const int cur = g->CurrentRow();
        if (m.ValidRow(cur) && !m.IsExpanded(cur) &&
            NestItemsMatch(m.GetItem(cur), kept[0].Item())) {
            const int shift = m.Level(cur) - kept[0].Level;
            for (size_t i = 1; i < kept.size(); ++i) {
                TNestPack p = kept[i];
                p.Level += shift;
                p.Marked = 0;
                m.InsertRow(cur + int(i), p);
            }
            g->RowsChanged(cur);
        }
    }
    FocusCaptionEditorInEditMode();
}

void THoisting::acDehoistAllExecute() { DehoistTo(0); }

void THoisting::btnHoistClick() {
    if (!isShown(ctx_.Skeleton().pnlKiv)) return;
    if (btnHoistTag == 1) acDehoistExecute();
    else if (acHoist->Enabled()) acHoistExecute();
}

void THoisting::Subscribe(TWindowEvents& events) {
    events.TopicShown.Subscribe([this](TKivStringGrid*, int) { UpdateHoistButton(); });
    nav_->SetHoistHooks(
        [this] {
            if (Hoisted(ctx_.Open().BookMark)) DehoistTo(0);
        },
        [this] { UpdateHoistButton(); });
}

void THoisting::UpdateHoistButton() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    const int row = g ? g->CurrentRow() : -1;
    const bool valid = g && g->IsRowValid(row);
    const bool hoistedRow = valid && g->IsHoistedRow(row);
    const bool topRow = valid && g->IsHoistedTopRow(row);
    btnHoistTag = hoistedRow ? 1 : 0;
    btnHoist->setText(hoistedRow ? QStringLiteral("DeHoist") : QStringLiteral("Hoist"));
    btnHoist->setToolTip(hoistedRow ? QStringLiteral("De-Hoist branch (Shift+Ctrl+H)")
                                    : QStringLiteral("Hoist branch (Ctrl+H)"));
    SetImageIndex(btnHoist, hoistedRow ? kDehoistImage : kHoistImage);
    btnHoist->setEnabled(valid && (!topRow || Hoisted(ctx_.Open().BookMark)));
    acHoist->SetEnabled(valid && !topRow);
}

}  // namespace kiv
