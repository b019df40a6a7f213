// The layout commands, the pane commands and the switch between layouts.
#include "mainwindow/layouts/Layouts.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
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
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

QToolButton* PaneButton(QWidget* parent, const char* name, const QString& hint) {
    auto* b = Named(new QToolButton(parent), name);
    b->setAutoRaise(true);
    b->setFixedSize(18, 16);
    b->setIconSize(QSize(12, 12));
    b->setToolTip(hint);
    return b;
}

}  // namespace

TLayouts::TLayouts(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      nav_(ctx.Published()),
      marks_(ctx.Published()),
      outline_(ctx.Published()),
      binsColumn_(ctx.Published()),
      topics_(ctx.Published()),
      browser_(ctx.Published()),
      textCard_(ctx.Published()),
      launch_(ctx.Published()) {
    ctx.Published().Publish<ILayouts>(*this);
}

void TLayouts::BuildComponents() {
    BuildLayoutCommands();
    BuildPaneCommands();
    TWindowSkeleton& k = ctx_.Skeleton();
    // The panels share the outliner's width by their layout, not by what they would like.
    for (int n = 1; n <= 3; ++n)
        if (TKivStringGrid* g = Panel(n))
            g->setSizePolicy(QSizePolicy::Ignored, g->sizePolicy().verticalPolicy());
    ctx_.Window().installEventFilter(this);
    k.pnlMain->installEventFilter(this);
    // The text card's own height does not hold the card pane open: the pane goes down to
    // the least the text card (25) and the browser's strip (30) need, and the text card
    // follows it (CardsResized).
    k.pnlCards->setMinimumHeight(kLeastTextCard + kBrowserStrip);
    k.pnlCards->installEventFilter(this);
    k.Splitter2->setCursor(Qt::SplitHCursor);
    k.Splitter2->installEventFilter(this);
    connect(k.Splitter1, &QSplitter::splitterMoved, this, [this] {
        GuardCall([this] {
            if (arranging_) return;
            RecordPaneProportions();
        });
    });
}

void TLayouts::BuildLayoutCommands() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    OutlinerLayout1 = Named(new QMenu(QStringLiteral("Outliner Layout"), w), "OutlinerLayout1");
    for (const TPanelLayout& l : PanelLayouts()) {
        // None is checked at start: restoring the stored layout is then a change, never the
        // checked layout chosen again (which would hide the outliner).
        KivAction* a = Action(w, l.Action, QString::fromLatin1(l.Caption), true);
        a->setToolTip(QString::fromLatin1(l.Hint));
        a->setShortcut(QKeySequence(QString::fromLatin1(l.Key)));
        SetImageIndex(a, l.Image);
        a->OnExecute = [this, no = l.No](KivAction*) { ApplyPanelLayout(no); };
        LayoutActions[size_t(l.No)] = a;

        auto* b = Named(new QToolButton(k.tbModes), l.Button);
        b->setText(QString::fromLatin1(l.ButtonCaption));
        b->setToolTip(a->toolTip());
        b->setCheckable(true);
        connect(b, &QToolButton::clicked, this, [this, b, a] {
            b->setChecked(a->Checked());  // the command decides what is down
            GuardCall([a] { a->Execute(); });
        });
        b->installEventFilter(this);
        QAction* slot = k.tbModes->addWidget(b);
        slot->setObjectName(QString::fromLatin1(l.Button) + QStringLiteral("Slot"));
        if (l.ButtonHidden) slot->setVisible(false);
        LayoutButtons[size_t(l.No)] = b;
    }
    for (int no : LayoutMenuOrder()) {
        if (no == kNoLayout) OutlinerLayout1->addSeparator();
        else OutlinerLayout1->addAction(LayoutActions[size_t(no)]);
    }

    btnOutlinerLayout = Named(new QToolButton(k.tbModes), "btnOutlinerLayout");
    btnOutlinerLayout->setToolTip(QStringLiteral("Select Outliner Layout (F12)"));
    btnOutlinerLayout->setText(QString::fromLatin1(PanelLayout(0).ButtonCaption));
    connect(btnOutlinerLayout, &QToolButton::clicked, this,
            [this] { GuardCall([this] { acLayoutToggleExecute(); }); });
    k.tbModes->addWidget(btnOutlinerLayout)->setVisible(false);

    acLayoutToggle = Action(w, "acLayoutToggle", QStringLiteral("Layout Toggle"));
    acLayoutToggle->setShortcut(QKeySequence(Qt::Key_F12));
    acLayoutToggle->OnExecute = [this](KivAction*) { acLayoutToggleExecute(); };

    CompactLayoutSelection1 =
        Item(w, "CompactLayoutSelection1", QStringLiteral("Compact Layout Selection"), true);
    connect(CompactLayoutSelection1, &QAction::triggered, this,
            [this](bool on) { GuardCall([this, on] { ApplyCompactLayoutSelection(on); }); });
}

void TLayouts::BuildPaneCommands() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acHideKivPanel = Action(w, "acHideKivPanel", QStringLiteral("Hide KIV Outliner"), true);
    acHideKivPanel->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    acHideKivPanel->setToolTip(acHideKivPanel->text());
    acHideKivPanel->SetChecked(true);
    SetImageIndex(acHideKivPanel, 44);
    acHideKivPanel->OnExecute = [this](KivAction*) { acHideKivPanelExecute(); };
    // Ctrl+Shift+M runs the outliner's hide command too.
    acHideKivPanel2 = Action(w, "acHideKivPanel2", QStringLiteral("Hide KIV Outliner"));
    acHideKivPanel2->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    acHideKivPanel2->OnExecute = [this](KivAction*) { acHideKivPanel->Execute(); };
    w->addAction(acHideKivPanel2);
    acHidePane = Action(w, "acHidePane", QStringLiteral("Hide Pane"));
    acHidePane->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    acHidePane->OnExecute = [this](KivAction*) { acHidePaneExecute(); };
    acHideAllCards = Action(w, "acHideAllCards", QStringLiteral("Hide All Cards"));
    acHideAllCards->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U));
    acHideAllCards->OnExecute = [this](KivAction*) { acHideAllCardsExecute(); };

    btnOutliner = Named(new QToolButton(k.tbModes), "btnOutliner");
    btnOutliner->setText(QStringLiteral("Outliner"));
    btnOutliner->setToolTip(QStringLiteral("Hide/Show KIV Outliner (Ctrl+Shift+O)"));
    btnOutliner->setCheckable(true);
    btnOutliner->setChecked(true);
    connect(btnOutliner, &QToolButton::clicked, this, [this] {
        btnOutliner->setChecked(OutlinerShown());
        GuardCall([this] { acHideKivPanel->Execute(); });
    });
    btnOutliner->installEventFilter(this);
    k.tbModes->addWidget(btnOutliner);
    // The browser's and the text card's buttons beside it: the left button is their
    // command, the right one leaves their pane alone.
    btnBrowser = Named(new QToolButton(k.tbModes), "btnBrowser");
    btnBrowser->setText(QStringLiteral("Browser"));
    btnBrowser->setToolTip(QStringLiteral("Show/Hide KIV Browser (Ctrl+Shift+B)"));
    connect(btnBrowser, &QToolButton::clicked, this,
            [this] { GuardCall([this] { browser_->ToggleBrowser(); }); });
    btnTextCard2 = Named(new QToolButton(k.tbModes), "btnTextCard2");
    btnTextCard2->setText(QStringLiteral("Text Card"));
    btnTextCard2->setToolTip(QStringLiteral("Text Card (Ctrl+O)"));
    connect(btnTextCard2, &QToolButton::clicked, this,
            [this] { GuardCall([this] { browser_->ToggleTextCard(); }); });
    for (QToolButton* b : {btnBrowser, btnTextCard2}) {
        b->installEventFilter(this);
        k.tbModes->addWidget(b);
    }

    // The outliner's own buttons at the right of the navigation path; the card pane's in
    // the tool bar, where it stays reachable while the outliner is away.
    btnMaximizeOutliner =
        PaneButton(k.pnlNavPath, "btnMaximizeOutliner", QStringLiteral("Maximize Outliner"));
    SetPaneGlyph(btnMaximizeOutliner, kNormalGlyph);
    connect(btnMaximizeOutliner, &QToolButton::clicked, this,
            [this] { GuardCall([this] { acHidePaneExecute(); }); });
    btnCloseOutliner =
        PaneButton(k.pnlNavPath, "btnCloseOutliner", QStringLiteral("Hide KIV Outliner"));
    btnCloseOutliner->setIcon(
        btnCloseOutliner->style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    connect(btnCloseOutliner, &QToolButton::clicked, this,
            [this] { GuardCall([this] { acHideKivPanelExecute(); }); });
    if (auto* nav = qobject_cast<QBoxLayout*>(k.pnlNavPath->layout())) {
        nav->addWidget(btnMaximizeOutliner);
        nav->addWidget(btnCloseOutliner);
    }
    btnMaximizePane = PaneButton(k.tbModes, "btnMaximizePane", QStringLiteral("Maximize Pane"));
    SetPaneGlyph(btnMaximizePane, kNormalGlyph);
    connect(btnMaximizePane, &QToolButton::clicked, this,
            [this] { GuardCall([this] { acHideKivPanelExecute(); }); });
    k.tbModes->addWidget(btnMaximizePane);

    k.View1->addMenu(OutlinerLayout1);
    for (QAction* a : std::initializer_list<QAction*>{CompactLayoutSelection1, acLayoutToggle,
                                                      acHideKivPanel, acHidePane, acHideAllCards})
        k.View1->addAction(a);
    if (!k.MainMenu1->actions().contains(k.View1->menuAction()))
        k.MainMenu1->insertMenu(k.Settings1->menuAction(), k.View1);
}

void TLayouts::Subscribe(TWindowEvents& events) {
    // The stored layout once the window is on the screen, where the panes have their sizes
    // (a datastructure opened into a shown window that has not restored it yet, too).
    events.DatastructureOpened.Subscribe([this] {
        if (!restored_ && ctx_.Window().isVisible()) RestorePanelLayout();
    });
}

bool TLayouts::eventFilter(QObject* watched, QEvent* e) {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (watched == k.Splitter2) {
        bool handled = false;
        GuardCall([&] { handled = BinsHandleEvent(e); });
        if (handled) return true;
    }
    switch (e->type()) {
    case QEvent::Show:
        if (watched == &ctx_.Window() && !restored_) GuardCall([this] { RestorePanelLayout(); });
        break;
    case QEvent::Resize:
        if (watched == k.pnlMain && !arranging_) GuardCall([this] { MainResized(); });
        if (watched == k.pnlCards) GuardCall([this] { CardsResized(); });
        break;
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() != Qt::RightButton) break;
        if (watched == btnOutliner) {
            GuardCall([this] { btnOutlinerRightClick(); });
            return true;
        }
        if (watched == btnBrowser) {
            GuardCall([this] { btnBrowserRightClick(); });
            return true;
        }
        if (watched == btnTextCard2) {
            GuardCall([this] { btnTextCard2RightClick(); });
            return true;
        }
        for (int no = 0; no < kLayoutCount; ++no)
            if (watched == LayoutButtons[size_t(no)]) {
                GuardCall([this, no] { LayoutButtonRightClick(no); });
                return true;
            }
        break;
    }
    default: break;
    }
    return QObject::eventFilter(watched, e);
}

bool TLayouts::OutlinerShown() const { return isShown(ctx_.Skeleton().pnlKiv); }

bool TLayouts::CardPaneShown() const { return isShown(ctx_.Skeleton().pnlCards); }

TKivStringGrid* TLayouts::Panel(int n) const {
    return PanelsManagerExists() ? PanelsManager().PanelByNumber(n) : nullptr;
}

// ---- the switch ----

void TLayouts::ApplyPanelLayout(int layout) {
    if (layout < 0 || layout >= kLayoutCount) layout = 0;
    const bool wasChecked = LayoutActions[size_t(layout)]->Checked();
    // The layout in force chosen again takes the outliner away, and once more brings it back.
    if (wasChecked && OutlinerShown()) {
        acHideKivPanelExecute();
        return;
    }
    if (!OutlinerShown()) {
        acHideKivPanelExecute();
        if (wasChecked) return;
    }
    ApplyLayoutNow(layout);
}

void TLayouts::ApplyLayoutNow(int layout) {
    for (int n = 1; n <= 3; ++n)
        if (TKivStringGrid* g = Panel(n)) g->SetAutoRowHeight(false);
    // Whatever else fails, the panels measure their rows again at the end.
    struct RowHeightsBack {
        TLayouts* self;
        ~RowHeightsBack() {
            for (int n = 1; n <= 3; ++n)
                if (TKivStringGrid* g = self->Panel(n)) g->SetAutoRowHeight(true);
        }
    } back{this};
    RecordPaneProportions();
    const TPanelLayout& l = PanelLayout(layout);
    const int previous = currentLayout_;
    const bool treeBefore = PanelsManagerExists() && PanelsManager().TreeMode;
    // With as many panels and the same tree mode the panels stay as they are: the current
    // topic is on show where it was. Otherwise the new layout shows it again from the trail.
    const bool reshape = l.Panels != PanelCount || l.TreeMode != treeBefore;
    const bool navigate =
        reshape && !ctx_.Open().Loading && ctx_.DatastructureOpen() && ctx_.Open().Navigator;
    ctx_.FlushCurrentRow();
    if (navigate) marks_->AddCurrentTopicToMarks(*ctx_.Open().Navigator);

    for (KivAction* a : LayoutActions) a->SetChecked(false);
    LayoutActions[size_t(layout)]->SetChecked(true);
    for (int no = 0; no < kLayoutCount; ++no) LayoutButtons[size_t(no)]->setChecked(no == layout);
    if (PanelsManagerExists()) PanelsManager().SetTreeMode(l.TreeMode);
    btnOutlinerLayout->setText(QString::fromLatin1(l.ButtonCaption));
    SetImageIndex(btnOutlinerLayout, l.Image);

    previousLayout_ = previous;
    if (navigate) CurrentPanel = 1;
    currentLayout_ = layout;
    PanelCount = l.Panels;
    outline_->LayoutChanged(layout, OutlinerShown());

    {
        const FlagGuard arranging(arranging_);
        if (!l.CardsBeside) PlaceStacked();
        else PlaceBeside();
        const TWindowSkeleton& k = ctx_.Skeleton();
        const int mainW = k.pnlMain->width(), mainH = k.pnlMain->height();
        if (!l.CardsBeside) {
            if (IsCardsBesideLayout(previous))
                SetOutlinerExtent(mainH - StackedCardPaneHeight(ratios_, mainH));
            ApplyTextCardRatio(ratios_.StackedText);
        } else {
            // Between layouts 4 and 6 the outliner keeps its width.
            const bool sameWidth = IsCardsBesideLayout(previous) && previous != 7 && layout != 7;
            if (CardPaneShown() && !sameWidth)
                SetOutlinerExtent(SideOutlinerWidth(ratios_, layout, mainW));
            ApplyTextCardRatio(ratios_.SideText);
        }
        if (TKivStringGrid* p1 = Panel(1); p1 && p1->DocumentView() != l.DocumentView) {
            p1->SetDocumentView(l.DocumentView);
            // Leaving the document view keeps the whole captions the lines setting asks for.
            if (!l.DocumentView && PanelsManager().ExpandAll) p1->SetExpandAll(true);
        }
        ShowPanelsInUse();
    }
    ArrangePanels();
    if (navigate) NavigateToCurrentTopic(l.TreeMode && !treeBefore);
    previousLayout_ = currentLayout_;
    outline_->LayoutChanged(layout, OutlinerShown());
    for (int n = 1; n <= PanelCount; ++n)
        if (TKivStringGrid* g = Panel(n)) {
            g->SetAutoRowHeight(true);
            g->RefitRowHeights();
        }
    if (PanelsManagerExists() && PanelsManager().EditMode)
        if (TKivStringGrid* g = ctx_.CurrentGrid(); g && isShown(g->CaptionEditor))
            g->CaptionEditor->setFocus(Qt::OtherFocusReason);
}

namespace {

// The row of the model that stands for the node's topic, -1 when none is shown.
int RowOfNode(const TNester& m, const TNode& node) {
    for (int r = 0; r < m.RowCount(); ++r)
        if (m.GetItem(r) == node.Item()) return r;
    return -1;
}

// Tree mode: the chain's last topic shown and selected, its ancestors in the chain unfolded
// from the deepest one on show (or from the row whose children the first one is: a
// hoisted top). False when the chain leads nowhere among the rows.
bool RevealInTree(TKivStringGrid* g, const std::vector<TNode>& chain) {
    TNester& m = *g->Nester;
    int start = int(chain.size()), row = -1;
    while (row < 0 && start > 0) row = RowOfNode(m, chain[size_t(--start)]);
    if (row < 0) {
        for (int r = 0; r < m.RowCount() && row < 0; ++r)
            if (m.ChildNest(r) > 0 && uint32_t(m.ChildNest(r)) == chain.front().ParentNest) row = r;
        if (row < 0) return false;
        start = -1;
    }
    for (size_t i = size_t(start + 1); i < chain.size(); ++i) {
        g->ExpandRow(row);
        if (!m.IsExpanded(row)) return false;
        const int end = m.NextSibling(row, true);
        int found = -1;
        for (int r = row + 1; r < end && found < 0; ++r)
            if (m.Level(r) == m.Level(row) + 1 && m.GetItem(r) == chain[i].Item()) found = r;
        if (found < 0) return false;
        row = found;
    }
    g->SelectRow(row);
    return true;
}

}  // namespace

bool TLayouts::ShowsTopic(const TNode& topic) const {
    const TKivStringGrid* g = ctx_.CurrentGrid();
    return g && g->IsRowValid(g->CurrentRow()) &&
           g->Nester->GetItem(g->CurrentRow()) == topic.Item();
}

void TLayouts::NavigateToCurrentTopic(bool enteringTree) {
    if (!ctx_.Open().Navigator || !ctx_.DatastructureOpen()) return;
    TNavigator& trail = *ctx_.Open().Navigator;
    if (trail.Count() == 0) return;
    // The way to the topic, kept: the navigation shortens the trail.
    std::vector<TNode> chain;
    for (int i = 0; i < trail.Count(); ++i) chain.push_back(trail.GetNode(i));
    const TNode topic = chain.back();
    // Into tree mode the panel is built again from the root and unfolded down the trail.
    // The rows coming and going are no topic change of the user's: the topic is shown once
    // it is found, and the trail then becomes its ancestors.
    if (enteringTree) {
        if (TKivStringGrid* g = ctx_.CurrentGrid()) {
            const FlagGuard navigating(PanelsManager().Navigating);
            g->Nester->Clear();
            nav_->NavigateToLevel(trail.LastIndex(), false);
            if (!ShowsTopic(topic)) RevealInTree(g, chain);
        }
        ctx_.ReloadCurrentRow();
        return;
    }
    if (PanelCount == 1 || trail.Count() == 1) {
        nav_->NavigateToLevel(trail.LastIndex(), false);
    } else {
        // Two or three panels: the topic's level in panel 2, under its parent in panel 1.
        nav_->NavigateToLevel(trail.LastIndex() - 1, false);
        if (TKivStringGrid* p2 = Panel(2); p2 && p2->IsRowValid(int(topic.Index))) {
            p2->SelectRow(int(topic.Index));
            ActivateShown(p2);
            PanelsManager().RefreshPanelsFrom(2);
            ctx_.ReloadCurrentRow();
        }
    }
    if (ShowsTopic(topic)) return;
    // A trail that does not lead there (a hoisted view counts from its hoisted topics):
    // wherever a panel in use shows the topic.
    for (int n = 1; n <= PanelCount; ++n) {
        TKivStringGrid* g = Panel(n);
        const int row = g ? RowOfNode(*g->Nester, topic) : -1;
        if (row < 0) continue;
        g->SelectRow(row);
        ActivateShown(g);
        PanelsManager().RefreshPanelsFrom(n);
        ctx_.ReloadCurrentRow();
        return;
    }
    if (PanelsManager().TreeMode)
        if (TKivStringGrid* g = Panel(1); g && RevealInTree(g, chain)) ctx_.ReloadCurrentRow();
}

void TLayouts::ActivateShown(TKivStringGrid* g) {
    if (!isShown(g)) return;
    g->MakeActive();
    if (CurrentPanel != g->Tag) g->DoEnter();
    if (g->isVisible()) g->setFocus(Qt::OtherFocusReason);
}

void TLayouts::RestorePanelLayout() {
    restored_ = true;
    int layout = storedLayout_;
    if (layout < 0 || layout >= kLayoutCount) layout = 0;
    // The panes are built stacked: a cards-beside layout is reached as from a stacked one.
    if (IsCardsBesideLayout(layout)) currentLayout_ = 0;
    ApplyPanelLayout(layout);
}

void TLayouts::SetStoredLayout(int layout, bool compactSelection) {
    storedLayout_ = layout;
    // Until the stored layout is applied, it is the one in force (and the one kept).
    if (!restored_) currentLayout_ = layout >= 0 && layout < kLayoutCount ? layout : 0;
    CompactLayoutSelection1->setChecked(compactSelection);
    ApplyCompactLayoutSelection(compactSelection);
}

bool TLayouts::CompactLayoutSelection() const { return CompactLayoutSelection1->isChecked(); }

void TLayouts::acLayoutToggleExecute() {
    int checked = kNoLayout;
    for (int no = 0; no < kLayoutCount; ++no)
        if (LayoutActions[size_t(no)]->Checked()) checked = no;
    ApplyPanelLayout(NextLayoutInMenu(checked));
}

void TLayouts::ApplyCompactLayoutSelection(bool compact) {
    TWindowSkeleton& k = ctx_.Skeleton();
    for (QAction* slot : k.tbModes->actions()) {
        QWidget* w = k.tbModes->widgetForAction(slot);
        if (w == btnOutlinerLayout) slot->setVisible(compact);
        for (const TPanelLayout& l : PanelLayouts())
            if (w == LayoutButtons[size_t(l.No)]) slot->setVisible(!compact && !l.ButtonHidden);
    }
}

// ---- the right button on tool buttons ----

void TLayouts::LayoutButtonRightClick(int layout) {
    if (ctx_.IsBusy()) return;
    if (layout == currentLayout_ && LayoutActions[size_t(layout)]->Checked())
        acHideKivPanelExecute();
    else ApplyPanelLayout(layout);
    if (OutlinerShown() && CardPaneShown()) acHidePaneExecute();
}

void TLayouts::btnOutlinerRightClick() {
    if (ctx_.IsBusy()) return;
    if (!OutlinerShown() || !CardPaneShown()) acHideKivPanelExecute();
    if (OutlinerShown() && CardPaneShown()) acHidePaneExecute();
    CloseBins();
}

void TLayouts::btnBrowserRightClick() {
    if (ctx_.IsBusy()) return;
    if (!browser_->BrowserShown() || (!OutlinerShown() && !browser_->TextCardShown()))
        browser_->ToggleBrowser();
    if (!browser_->BrowserShown()) return;
    if (OutlinerShown()) acHideKivPanelExecute();
    if (browser_->TextCardShown()) browser_->ToggleTextCard();
    CloseBins();
}

void TLayouts::btnTextCard2RightClick() {
    if (ctx_.IsBusy()) return;
    if (!browser_->TextCardShown() || (!OutlinerShown() && !browser_->BrowserShown()))
        browser_->ToggleTextCard();
    if (!CardPaneShown()) return;
    if (browser_->BrowserShown()) browser_->ToggleBrowser();
    if (OutlinerShown()) acHideKivPanelExecute();
    CloseBins();
}

void TLayouts::CloseBins() {
    if (KivAction* close = ctx_.Actions().Find(QStringLiteral("acCloseBins"))) close->Execute();
}

// ---- hiding and showing the panes ----

void TLayouts::acHideKivPanelExecute() {
    TWindowSkeleton& k = ctx_.Skeleton();
    auto checked = [this](const char* name) {
        const KivAction* a = ctx_.Actions().Find(QString::fromLatin1(name));
        return a && a->Checked();
    };
    {
        const FlagGuard arranging(arranging_);
        if (OutlinerShown()) {
            if (!CardPaneShown()) acHidePaneExecute();
            RecordPaneProportions();
            if (k.pnlNavPath->parentWidget() == k.pnlMain) k.pnlNavPath->hide();
            k.pnlKiv->hide();
            if (!checked("acAlwaysShowBars")) {
                k.pnlBMs->hide();
                k.tsInterBase->hide();
                k.tsOutLine->hide();
            }
            btnMaximizePane->setToolTip(QStringLiteral("Restore Pane"));
            SetPaneGlyph(btnMaximizePane, kMaximizeGlyph);
            if (!browser_->BrowserShown()) {
                browser_->SetTextCardChecked(true);
                // The text card fills the window: the keys go to it.
                if (QTextEdit* editor = textCard_->TopicEditor(); editor && editor->isVisible())
                    editor->setFocus(Qt::OtherFocusReason);
            }
        } else {
            k.pnlKiv->show();
            if (Beside()) {
                k.pnlNavPath->show();
                SetOutlinerExtent(SideOutlinerWidth(ratios_, currentLayout_, k.pnlMain->width()));
            } else {
                SetOutlinerExtent(k.pnlMain->height() -
                                  StackedCardPaneHeight(ratios_, k.pnlMain->height()));
            }
            const TNavigationViewSwitches strips = nav_->ViewSwitches();
            k.tsInterBase->setVisible(strips.InterBaseTabs);
            k.tsOutLine->setVisible(strips.OutlineTabs);
            k.pnlBMs->show();
            btnMaximizePane->setToolTip(QStringLiteral("Maximize Pane"));
            SetPaneGlyph(btnMaximizePane, kNormalGlyph);
        }
    }
    const bool shown = OutlinerShown();
    if (shown) {
        ArrangePanels();
        FocusActivePanel();
    }
    acHideKivPanel->SetChecked(shown);
    acHideKivPanel->setText(
        ReplaceCaptionVerb(acHideKivPanel->text(),
                           shown ? QStringLiteral("Hide") : QStringLiteral("Show")));
    acHideKivPanel->setToolTip(acHideKivPanel->text());
    for (const char* name : {"acLink", "acTopic", "acHoist1", "acFullNavPath"})
        if (KivAction* a = ctx_.Actions().Find(QString::fromLatin1(name))) a->SetEnabled(shown);
    btnOutliner->setChecked(shown);
    browser_->OutlinerShownChanged(shown);
    outline_->LayoutChanged(currentLayout_, shown);
}

void TLayouts::acHidePaneExecute() {
    TWindowSkeleton& k = ctx_.Skeleton();
    QString verb;
    {
        const FlagGuard arranging(arranging_);
        if (CardPaneShown()) {
            ctx_.FlushCurrentRow();
            RecordPaneProportions();
            verb = QStringLiteral("Show");
            if (browser_->BrowserShown()) browser_->ToggleBrowser();
            k.pnlCards->hide();
            btnMaximizeOutliner->setToolTip(QStringLiteral("Restore Outliner"));
            SetPaneGlyph(btnMaximizeOutliner, kMaximizeGlyph);
            if (!OutlinerShown()) acHideKivPanelExecute();
            browser_->SetTextCardChecked(false);
        } else {
            k.pnlCards->show();
            if (Beside())
                SetOutlinerExtent(SideOutlinerWidth(ratios_, currentLayout_, k.pnlMain->width()));
            else
                SetOutlinerExtent(k.pnlMain->height() -
                                  StackedCardPaneHeight(ratios_, k.pnlMain->height()));
            verb = QStringLiteral("Hide");
            btnMaximizeOutliner->setToolTip(QStringLiteral("Maximize Outliner"));
            SetPaneGlyph(btnMaximizeOutliner, kNormalGlyph);
        }
    }
    ArrangePanels();
    for (int n = 1; n <= 3; ++n)
        if (TKivStringGrid* g = Panel(n)) g->viewport()->update();
    acHidePane->setText(ReplaceCaptionVerb(acHidePane->text(), verb));
}

void TLayouts::acHideAllCardsExecute() {
    // The launch card stores its links as it closes.
    launch_->CloseLaunchCard();
    binsColumn_->HideBinPanels();
    topics_->HideMetaCard();
}

void TLayouts::FocusActivePanel() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !isShown(g) || g->CaptionEditor->hasFocus()) return;
    if (g->isVisible()) g->setFocus(Qt::OtherFocusReason);
}

}  // namespace kiv
