// The arrow buttons and the small navigation commands: acArrows, acShiftLeft and
// acShiftRight (the panels one level up or down), acGoToRoot, acLinesToggle.
#include <QBoxLayout>
#include <QMainWindow>
#include <QMenu>
#include <QToolButton>

#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

constexpr int kArrowsWidth = 156;
constexpr int kArrowsOffWidth = 64;

QToolButton* ArrowButton(QWidget* parent, const char* name, Qt::ArrowType arrow,
                         const QString& hint) {
    auto* b = Named(new QToolButton(parent), name);
    b->setArrowType(arrow);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);  // the key goes to the panel that has the focus
    parent->layout()->addWidget(b);
    return b;
}

}  // namespace

void TNavigationPath::BuildArrows() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    if (!k.pnlArrows->layout()) HBox(k.pnlArrows);
    btnBack = ArrowButton(k.pnlArrows, "btnBack", Qt::LeftArrow, QStringLiteral("Back"));
    btnForth = ArrowButton(k.pnlArrows, "btnForth", Qt::RightArrow, QStringLiteral("Forth"));
    btnUp = ArrowButton(k.pnlArrows, "btnUp", Qt::UpArrow, QStringLiteral("Up"));
    btnDown = ArrowButton(k.pnlArrows, "btnDown", Qt::DownArrow, QStringLiteral("Down"));
    connect(btnBack, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnBackClick(); }); });
    connect(btnForth, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnForthClick(); }); });
    connect(btnUp, &QToolButton::clicked, this, [this] { GuardCall([this] { btnUpClick(); }); });
    connect(btnDown, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnDownClick(); }); });

    KivAction* arrows = acArrows;
    arrows->OnExecute = [this](KivAction*) { acArrowsExecute(); };
    connect(arrows, &QAction::toggled, this, [this](bool on) { ShowArrows(on); });
    ShowArrows(arrows->Checked());

    acShiftLeft = Action(w, "acShiftLeft", QStringLiteral("Shift Panels Left"));
    acShiftLeft->OnUpdate = [this](KivAction*) { acShiftLeftUpdate(); };
    acShiftLeft->OnExecute = [this](KivAction*) { acShiftLeftExecute(); };
    acShiftRight = Action(w, "acShiftRight", QStringLiteral("Shift Panels Right"));
    acShiftRight->OnUpdate = [this](KivAction*) { acShiftRightUpdate(); };
    acShiftRight->OnExecute = [this](KivAction*) { acShiftRightExecute(); };
    acGoToRoot = Action(w, "acGoToRoot", QStringLiteral("GoTo Top Level"));
    acGoToRoot->setVisible(false);
    acGoToRoot->OnUpdate = [this](KivAction*) { acGoToRootUpdate(); };
    // Hidden: Ctrl+Home on a panel goes to the top level instead.
    acGoToRoot->OnExecute = [](KivAction*) {};
    acLinesToggle = Action(w, "acLinesToggle", QStringLiteral("Lines Toggle"));
    acLinesToggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_QuoteLeft));
    acLinesToggle->OnExecute = [this](KivAction*) { acLinesToggleExecute(); };
    for (QAction* a : {static_cast<QAction*>(arrows), static_cast<QAction*>(acShiftLeft),
                       static_cast<QAction*>(acShiftRight), static_cast<QAction*>(acLinesToggle)}) {
        w->addAction(a);
        k.View1->addAction(a);
    }
}

void TNavigationPath::ShowArrows(bool on) {
    QWidget* panel = ctx_.Skeleton().pnlArrows;
    panel->setFixedWidth(on ? kArrowsWidth : kArrowsOffWidth);
    for (QToolButton* b : {btnBack, btnForth, btnUp, btnDown}) b->setVisible(on);
    if (on) panel->show();
}

void TNavigationPath::acArrowsExecute() {
    KivAction* a = acArrows;
    a->SetChecked(!a->Checked());
}

void TNavigationPath::SendArrow(int key) {
    // The window's key handling moves, as for the key pressed on the active panel.
    if (pressArrow_) pressArrow_(key);
}

void TNavigationPath::btnBackClick() { SendArrow(Qt::Key_Left); }
void TNavigationPath::btnForthClick() { SendArrow(Qt::Key_Right); }
void TNavigationPath::btnUpClick() { SendArrow(Qt::Key_Up); }
void TNavigationPath::btnDownClick() { SendArrow(Qt::Key_Down); }

// ---- shifting the panels ----

void TNavigationPath::acShiftLeftUpdate() {
    const bool on = isShown(ctx_.Skeleton().pnlKiv) && ctx_.Open().Navigator &&
                    ctx_.Open().Navigator->Count() > 0;
    acShiftLeft->SetEnabled(on);
    if (ctx_.Open().Navigator && ctx_.Open().Navigator->Count() > 0)
        acShiftLeft->setToolTip(TKivStringGrid::CaptionToText(
            ctx_.Open().Navigator->GetShortCaption(ctx_.Open().Navigator->LastIndex())));
}

void TNavigationPath::acShiftRightUpdate() {
    bool on = false;
    if (isShown(ctx_.Skeleton().pnlKiv) && PanelsManagerExists())
        if (TKivStringGrid* last = PanelsManager().PanelByNumber(PanelCount))
            on = last->IsRowValid(last->CurrentRow()) &&
                 last->Nester->ChildNest(last->CurrentRow()) > 0;
    acShiftRight->SetEnabled(on);
}

void TNavigationPath::acShiftLeftExecute() { ShiftPanelsLeft(); }
void TNavigationPath::acShiftRightExecute() { ShiftPanelsRight(); }

void TNavigationPath::ShiftPanelsRight() {
    TKivStringGrid* last =
        PanelsManagerExists() ? PanelsManager().PanelByNumber(PanelCount) : nullptr;
    if (!last || last->Nester->RowCount() == 0) return;
    ctx_.FlushCurrentRow();
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    TNester& m = *g->Nester;
    const int row = g->CurrentRow();
    if (g->TreeMode) {
        g->ExpandRow(row);
        if (m.ValidRow(row) && m.IsExpanded(row)) g->SelectRow(row + 1);
        return;
    }
    if (!m.ValidRow(row)) return;
    if (m.ChildNest(row) == -1) {
        if (!g->ExternalPath.empty()) datastructure_->OpenDatastructureFile(g->ExternalPath);
        return;
    }
    if (g->IsSinglePanelRootRow(row)) {
        if (m.IsExpanded(row)) {
            g->SelectRow(1);
        } else {
            g->InsertTopics(TItemArray{TNestItem{}}, row, true, false, 0);
            PanelsManager().SetEditMode(true);
        }
        return;
    }
    datastructure_->AddCurrentTopicToMarks();
    {
        const FlagGuard navigating(PanelsManager().Navigating);
        if (PanelCount >= 2) {
            // Each panel takes the list of the panel after it; the last shows the level below.
            for (int i = 1; i < PanelCount; ++i) {
                TKivStringGrid* p = PanelsManager().PanelByNumber(i);
                TKivStringGrid* next = PanelsManager().PanelByNumber(i + 1);
                if (!p || !next) continue;
                const int chosen = next->CurrentRow();
                p->Nester->RootNest = next->Nester->RootNest;
                p->Nester->LoadBranch(-1, false);
                p->RowsChanged(0);
                p->SelectRow(std::max(0, chosen));
            }
            PanelsManager().RefreshPanelsFrom(PanelCount - 1);
        } else {
            const TNode node = m.GetNode(row);
            m.Clear();
            InsertNodeRow(m, 0, node, 0);
            m.Expand(0);
            g->RowsChanged(0);
            if (m.RowCount() == 1) g->InsertTopics(TItemArray{TNestItem{}}, 0, false, false, 0);
            g->SelectRow(1);
        }
    }
    ctx_.ReloadCurrentRow();
    UpdateNavigationPath();
}

void TNavigationPath::ShiftPanelsLeft() {
    if (CurrentPanel >= 2) {
        TKivStringGrid* prev = PanelsManager().PanelByNumber(CurrentPanel - 1);
        if (prev && isShown(prev)) ActivatePanel(prev);
        return;
    }
    if (ctx_.Open().Navigator) NavigateToLevel(ctx_.Open().Navigator->LastIndex(), false);
}

void TNavigationPath::acGoToRootUpdate() {
    acGoToRoot->SetEnabled(isShown(ctx_.Skeleton().pnlKiv));
}

// ---- lines per row ----

void TNavigationPath::acLinesToggleExecute() {
    if (PanelsManagerExists() && PanelsManager().ExpandAll) {
        outline_->SetLinesPerRow(1);
        return;
    }
    const int v = ColorScheme.RowLines;
    outline_->SetLinesPerRow(v > 3 ? 1 : (v + 1) % 4);
}

}  // namespace kiv
