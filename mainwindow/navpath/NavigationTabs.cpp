// The strips of open datastructures (tsInterBase) and of outlines (tsOutLine), their
// popups and menus. Refilling a strip sets its guard, so its change handler ignores it.
#include <QBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "components/FourthTabSet.h"
#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/PanelRows.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Screen.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

constexpr int kInterBaseHelpContext = 67;
constexpr int kOutlineHelpContext = 69;
// Fixed items the generated part of each menu follows.
constexpr int kInterBasePopupFixed = 4;
constexpr int kBookMarkedMenuFixed = 3;
constexpr int kOutlineMenuFixed = 2;

// Captions and names as stored, decoded as the panels decode them.
QString Q(const std::string& s) { return TKivStringGrid::CaptionToText(s); }

// A strip in its container of the skeleton.
TFourthTabSet* StripIn(QWidget* container, const char* name) {
    if (!container->layout()) HBox(container);
    auto* strip = Named(new TFourthTabSet(container), name);
    strip->setFixedHeight(22);
    container->layout()->addWidget(strip);
    return strip;
}

// Removes the items after the first keep.
void KeepFirstItems(QMenu* menu, int keep) {
    const QList<QAction*> items = menu->actions();
    for (int i = keep; i < items.size(); ++i) {
        menu->removeAction(items[i]);
        if (items[i]->parent() == menu) delete items[i];
    }
}

void AddHelpItem(QMenu* menu, int context) {
    menu->addSeparator();
    menu->addAction(QStringLiteral("What's This?"))->setData(context);
}

}  // namespace

QString OutlineTabText(int i, const std::string& caption) {
    return QString::number(i) + QStringLiteral(". ") +
           Q(ShortCaption(caption, kShortCaptionLength));
}

void TNavigationPath::BuildStrips() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();

    tsInterBase = StripIn(k.tsInterBase, "tsInterBase");
    tsInterBase->setToolTip(QStringLiteral("Quick Access To External Datastructures"));
    tsInterBase->OnChange = [this](TFourthTabSet*, int t, bool& allow) {
        tsInterBaseChange(t, allow);
    };
    tsInterBase->OnMouseMove = [this](TFourthTabSet* s, TShiftState, int x, int y) {
        TabCursor(s, x, y, true);
    };
    pmInterBase = Named(new QMenu(tsInterBase), "pmInterBase");
    pmInterBase->addAction(acShowInterBaseTabs);
    pmInterBase->addSeparator();
    DeleteTab1 = Item(pmInterBase, "DeleteTab1", QStringLiteral("Delete tab"));
    connect(DeleteTab1, &QAction::triggered, this,
            [this] { GuardCall([this] { DeleteTab1Click(); }); });
    pmInterBase->addAction(DeleteTab1);
    pmInterBase->addSeparator();
    connect(pmInterBase, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { pmInterBasePopup(); }); });
    tsInterBase->SetPopupMenu(pmInterBase);

    tsOutLine = StripIn(k.tsOutLine, "tsOutLine");
    tsOutLine->setToolTip(QStringLiteral("Outliners"));
    tsOutLine->OnChange = [this](TFourthTabSet*, int t, bool& allow) { tsOutLineChange(t, allow); };
    tsOutLine->OnMouseMove = [this](TFourthTabSet* s, TShiftState, int x, int y) {
        TabCursor(s, x, y, false);
    };
    pmOutline = Named(new QMenu(tsOutLine), "pmOutline");
    pmOutline->addAction(acOutlineView);
    pmOutline->addSeparator();
    connect(pmOutline, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { pmOutlinePopup(); }); });
    tsOutLine->SetPopupMenu(pmOutline);

    acShowInterBaseTabs->OnExecute = [this](KivAction*) { acShowInterBaseTabsExecute(); };
    acShowInterBaseTabs->OnUpdate = [this](KivAction* a) {
        a->SetEnabled(isShown(ctx_.Skeleton().pnlKiv));
    };
    acOutlineView->OnExecute = [this](KivAction*) { acOutlineViewExecute(); };

    BookMarkedDatabases1 =
        Named(new QMenu(QStringLiteral("Bookmarked Datastructures"), w), "BookMarkedDatabases1");
    acInterbaseManage = Action(w, "acInterbaseManage", QStringLiteral("Manage..."));
    acInterbaseManage->OnExecute = [this](KivAction*) { acInterbaseManageExecute(); };
    BookMarkedDatabases1->addAction(acShowInterBaseTabs);
    BookMarkedDatabases1->addAction(acInterbaseManage);
    BookMarkedDatabases1->addSeparator();
    connect(BookMarkedDatabases1, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { BookMarkedDatabases2Click(BookMarkedDatabases1); }); });
    Outlines1 = Named(new QMenu(QStringLiteral("Outlines"), w), "Outlines1");
    Outlines1->addAction(acOutlineView);
    Outlines1->addSeparator();
    connect(Outlines1, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { Outlines2Click(Outlines1); }); });
    k.View1->addMenu(BookMarkedDatabases1);
    k.View1->addMenu(Outlines1);
    // The View menu joins the menu bar once it has items.
    if (!k.MainMenu1->actions().contains(k.View1->menuAction()))
        k.MainMenu1->insertMenu(k.Settings1->menuAction(), k.View1);
}

// ---- open datastructures ----

void TNavigationPath::FillInterBaseTabs() {
    QStringList names;
    for (int i = 0; i < InterBase().Count(); ++i) names << Q(InterBase().GetName(i));
    const FlagGuard guard(interBaseGuard_);
    tsInterBase->Tabs().Clear();
    tsInterBase->Tabs().AddStrings(names);
    tsInterBase->SetTabIndex(InterBase().CurrentIndex());
}

bool TNavigationPath::SelectOpenDatastructureTab(int index) {
    if (!tsInterBase || index < 0 || index >= tsInterBase->Tabs().Count()) return false;
    tsInterBase->SetTabIndex(index);
    return true;
}

void TNavigationPath::tsInterBaseChange(int NewTab, bool& AllowChange) {
    // While a long operation (a search) runs, the strips stay as they are.
    if (!interBaseGuard_ && ctx_.IsBusy()) {
        AllowChange = false;
        return;
    }
    AllowChange = NewTab >= 0 && NewTab < InterBase().Count();
    if (!AllowChange || interBaseGuard_) return;
    InterBase().Select(NewTab);
    // The open may have been refused: the strip shows what is open now.
    AllowChange = false;
    FillInterBaseTabs();
}

void TNavigationPath::pmInterBasePopup() {
    KeepFirstItems(pmInterBase, kInterBasePopupFixed);
    // The tab under the mouse, when it is not the open datastructure's.
    const int at = tsInterBase->TabAtPos(tsInterBase->mapFromGlobal(QCursor::pos()));
    const int index = at < 0 ? -1 : tsInterBase->FirstIndex() + at;
    const bool offer =
        index >= 0 && index < InterBase().Count() && index != InterBase().CurrentIndex();
    DeleteTab1->setVisible(offer);
    DeleteTab1->setData(offer ? index : -1);
    if (offer)
        DeleteTab1->setText(QStringLiteral("Delete tab '") + Q(InterBase().GetName(index)) +
                            QLatin1Char('\''));
    for (int i = 0; i < InterBase().Count(); ++i) {
        QAction* a = pmInterBase->addAction(QString::number(i + 1) + QStringLiteral(": ") +
                                            Q(InterBase().GetName(i)));
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i] {
            GuardCall([this, i] {
                if (i < tsInterBase->Tabs().Count()) tsInterBase->SetTabIndex(i);
            });
        });
    }
    AddHelpItem(pmInterBase, kInterBaseHelpContext);
}

void TNavigationPath::DeleteTab1Click() {
    const int tag = DeleteTab1->data().toInt();
    const int current = InterBase().CurrentIndex();
    // The open datastructure's own entry is never removed.
    if (tag < 0 || tag >= InterBase().Count() || tag == current) return;
    InterBase().Delete(tag);
    if (current > tag) InterBase().SetCurrentIndex(current - 1);
    FillInterBaseTabs();
}

void TNavigationPath::BookMarkedDatabases2Click(QMenu* menu) {
    KeepFirstItems(menu, kBookMarkedMenuFixed);
    for (int i = 0; i < InterBase().Count(); ++i) {
        QAction* a = menu->addAction(QString::number(i + 1) + QStringLiteral(". ") +
                                     Q(InterBase().GetName(i)));
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i] {
            GuardCall([this, i] {
                if (i < tsInterBase->Tabs().Count()) tsInterBase->SetTabIndex(i);
            });
        });
    }
}

void TNavigationPath::acShowInterBaseTabsExecute() {
    KivAction* a = acShowInterBaseTabs;
    a->SetChecked(!a->Checked());
    ctx_.Skeleton().tsInterBase->setVisible(a->Checked());
    if (a->Checked()) FillInterBaseTabs();
}

void TNavigationPath::acInterbaseManageExecute() {
    if (!frmAddDB) {
        frmAddDB = new TfrmAddDB(InterBase(), &ctx_.Window());
        frmAddDB->OnApplied = [this] { FillInterBaseTabs(); };
    }
    if (!frmAddDB->isVisible()) frmAddDB->open();
}

// ---- outlines ----

int TNavigationPath::OutlineIndex() const {
    return ctx_.Open().BookMark ? std::max(0, ctx_.Open().BookMark->Outlines.CurrentIndex()) : 0;
}

// The outlines and their tabs are made on demand: an open reads the top level's items once
// and only the captions of the tabs the strip shows; an outline's trail is made when its tab
// is drawn or chosen.
void TNavigationPath::FillOutlineTabs(bool rebuild) {
    if (!ctx_.Open().BookMark) {
        const FlagGuard guard(outlineGuard_);
        tsOutLine->Tabs().Clear();
        return;
    }
    TBookMark& bm = *ctx_.Open().BookMark;
    TQuickJump& outlines = bm.Outlines;
    if (rebuild && PanelsManagerExists() && PanelsManager().NestFile) {
        const uint32_t root = bm.RootNest ? bm.RootNest : ReadRootNest(PanelsManager().NestFile);
        auto items = std::make_shared<TItemArray>();
        if (NestFollowed(root)) ReadNestItems(PanelsManager().NestFile, root, *items);
        if (!items->empty()) {
            const int current = outlines.CurrentIndex();
            // The maker lives in the bookmark and reads through the bookmark's own cards,
            // which are let go when its datastructure closes.
            TBookMark* owner = &bm;
            outlines.SetMadeOnDemand(int(items->size()) + 1,
                                     [owner, root, items](int i, TNavigator& e) {
                                         if (i == 0) {
                                             e.Add(root, 0, false, "<..>", TNestItem{});
                                             return;
                                         }
                                         const TNestItem& item = (*items)[size_t(i - 1)];
                                         std::string caption;
                                         owner->Cards.ReadCaption(item.CardDir, caption);
                                         e.Add(root, uint32_t(i - 1), false, caption, item);
                                         e.SetHoistedNodes({e.GetNode(0)});
                                     });
            outlines.SetCurrentIndex(current >= 0 && current < outlines.Count() ? current : 0);
            outlinesMadeFrom_.Owner = ctx_.Open().BookMark;
            outlinesMadeFrom_.CardDirs.clear();
            outlinesMadeFrom_.CardDirs.reserve(items->size());
            for (const TNestItem& item : *items) outlinesMadeFrom_.CardDirs.push_back(item.CardDir);
        }
    }
    const FlagGuard guard(outlineGuard_);
    tsOutLine->Tabs().Clear();
    TBookMarkPtr held = ctx_.Open().BookMark;
    std::weak_ptr<TBookMark> shown = held;
    tsOutLine->Tabs().SetMadeOnDemand(outlines.Count(), [shown](int i) {
        if (i == 0) return QStringLiteral("<..>");
        const TBookMarkPtr b = shown.lock();
        const TNavigatorPtr e = b ? b->Outlines.Navigator(i) : nullptr;
        return OutlineTabText(i, e ? e->GetCaption(0) : std::string());
    });
    const int index = outlines.CurrentIndex();
    tsOutLine->SetTabIndex(index >= -1 && index < outlines.Count() ? index : -1);
}

namespace {

// Panel 1 shows the whole datastructure's top level, no outline chosen.
bool ShowsWholeTopLevel(const TBookMarkPtr& open, TKivStringGrid* grid, int outline) {
    if (!open || outline != 0 || grid->Tag != 1 || CurrentPanel != 1) return false;
    const TNester& m = *grid->Nester;
    return m.RowCount() > 0 && !grid->IsHoistedTopRow(0) && m.ParentNest(0) == open->RootNest;
}

}  // namespace

void TNavigationPath::OutlineRowsChanged(TKivStringGrid* grid) {
    if (!ShowsWholeTopLevel(ctx_.Open().BookMark, grid, OutlineIndex())) return;
    const TNester& m = *grid->Nester;
    int top = 0;
    for (int r = 0; r < m.RowCount(); ++r)
        if (m.Level(r) == 0) ++top;
    if (top != tsOutLine->Tabs().Count() - 1) FillOutlineTabs(true);
}

void TNavigationPath::OutlineCaptionStored(TKivStringGrid* grid, int row) {
    if (!ShowsWholeTopLevel(ctx_.Open().BookMark, grid, OutlineIndex()) || !grid->IsRowValid(row) ||
        grid->Nester->Level(row) != 0)
        return;
    const int tab = grid->Nester->SiblingIndex(row) + 1;
    if (tab >= tsOutLine->Tabs().Count()) return;
    const FlagGuard guard(outlineGuard_);
    tsOutLine->Tabs().Put(tab, OutlineTabText(tab, grid->Nester->Caption(row)));
    if (TNavigatorPtr e = ctx_.Open().BookMark->Outlines.Navigator(tab))
        e->SetCaption(0, grid->Nester->Caption(row));
}

void TNavigationPath::tsOutLineChange(int NewTab, bool& AllowChange) {
    if (!outlineGuard_ && ctx_.IsBusy()) {
        AllowChange = false;
        return;
    }
    lblNavigateMode->setText(NewTab != 0 ? QStringLiteral("outline") : QStringLiteral("whole"));
    if (outlineGuard_ || NewTab < 0 || !ctx_.Open().BookMark || !ctx_.Open().Navigator) return;
    TQuickJump& outlines = ctx_.Open().BookMark->Outlines;
    if (NewTab == outlines.CurrentIndex()) return;
    if (NewTab >= outlines.Count()) {
        AllowChange = false;
        return;
    }
    TWindowSkeleton& k = ctx_.Skeleton();
    if (k.pnlKiv->isHidden()) k.pnlKiv->show();
    if (ctx_.Open().BookMark->IsHoisted() && hoistHooks_.LeaveHoist) hoistHooks_.LeaveHoist();
    ctx_.FlushCurrentRow();
    // Where the user stood in the outline being left is where it opens next time.
    const int leaving = outlines.CurrentIndex();
    if (leaving >= 0 && leaving < outlines.Count()) {
        datastructure_->AddCurrentTopicToMarks();
        outlines.Navigator(leaving)->Assign(*ctx_.Open().Navigator);
    }
    outlines.SetCurrentIndex(NewTab);
    ctx_.Open().Navigator->Assign(*outlines.Navigator(NewTab));
    if (TKivStringGrid* g = ctx_.CurrentGrid()) {
        g->Nester->Clear();
        g->RowsChanged(0);
    }
    NavigateToLevel(ctx_.Open().Navigator->Count() - 1, false);
    for (TKivStringGrid* g : {panels_->Panel(1), panels_->Panel(2), panels_->Panel(3)})
        if (isShown(g)) g->UpdateRowHeights(0);
    FocusCaptionEditorInEditMode(ctx_);
    lblNavigateMode->setText(NewTab != 0 ? QStringLiteral("outline") : QStringLiteral("whole"));
}

int TNavigationPath::OutlineTabIndex() const { return tsOutLine ? tsOutLine->TabIndex() : -1; }

void TNavigationPath::SelectOutlineTab(int i) {
    if (tsOutLine && i >= 0 && i < tsOutLine->Tabs().Count()) tsOutLine->SetTabIndex(i);
}

void TNavigationPath::pmOutlinePopup() {
    KeepFirstItems(pmOutline, kOutlineMenuFixed);
    const TFourthTabList& tabs = tsOutLine->Tabs();
    for (int i = 0; i < tabs.Count(); ++i) {
        QAction* a = pmOutline->addAction(
            i == 0 ? tabs[0] : QString::number(i) + QStringLiteral(": ") + tabs[i]);
        a->setData(i);
        connect(a, &QAction::triggered, this,
                [this, i] { GuardCall([this, i] { SelectOutlineTab(i); }); });
    }
    AddHelpItem(pmOutline, kOutlineHelpContext);
}

void TNavigationPath::Outlines2Click(QMenu* menu) {
    KeepFirstItems(menu, kOutlineMenuFixed);
    if (!ctx_.Open().BookMark) return;
    const TQuickJump& outlines = ctx_.Open().BookMark->Outlines;
    for (int i = 0; i < outlines.Count(); ++i) {
        const QString caption = Q(outlines.TargetCaption(i));
        QAction* a =
            menu->addAction(i == 0 ? caption : QString::number(i) + QStringLiteral(". ") + caption);
        a->setData(i);
        connect(a, &QAction::triggered, this,
                [this, i] { GuardCall([this, i] { SelectOutlineTab(i); }); });
    }
}

void TNavigationPath::acOutlineViewExecute() {
    KivAction* a = acOutlineView;
    a->SetChecked(!a->Checked());
    ctx_.Skeleton().tsOutLine->setVisible(a->Checked());
}

void TNavigationPath::TabCursor(TFourthTabSet* strip, int x, int y, bool onlyOthers) {
    const int at = strip->TabAtPos(QPoint(x, y));
    const int index = at < 0 ? -1 : strip->FirstIndex() + at;
    const bool hand = index >= 0 && (!onlyOthers || index != strip->TabIndex());
    SetControlCursor(strip, hand ? crHandPoint : crDefault);
}

}  // namespace kiv
