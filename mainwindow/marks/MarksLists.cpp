// The marks lists lbxBMList (docked, pnlBMList) and lbxBMListPopup (pnlBookmarks), the
// popups of the strips and the main menus Threads and QuickJumps, and the drags onto all
// of them.
#include <QApplication>
#include <QBoxLayout>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <climits>

#include "components/FourthTabSet.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/marks/Marks.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

constexpr int kDockedListHeight = 96;
constexpr int kHandLineLength = 5;
// Help contexts of the popups: the strips', and those opened from the labels.
constexpr int kThreadsHelp = 70, kThreadsLabelHelp = 78, kQuickJumpsHelp = 71,
              kQuickJumpsLabelHelp = 73;
// Items every popup and menu keeps before the marks.
constexpr int kFixedItems = 2;

void KeepFixedItems(QMenu* menu) {
    const QList<QAction*> items = menu->actions();
    for (int i = kFixedItems; i < items.size(); ++i) {
        menu->removeAction(items[i]);
        if (items[i]->parent() == menu) delete items[i];
    }
}

bool IsTopicRow(QObject* source) { return qobject_cast<TKivStringGrid*>(source) != nullptr; }

// The list box an event of its viewport belongs to.
QListWidget* ListOfViewport(QObject* watched) {
    auto* w = qobject_cast<QWidget*>(watched);
    return w ? qobject_cast<QListWidget*>(w->parentWidget()) : nullptr;
}

}  // namespace

void TMarks::BuildLists() {
    QMainWindow* w = &ctx_.Window();
    lbxBMList = Named(new QListWidget(), "lbxBMList");
    pnlBMList = FloatingPanel(w, "pnlBMList", QStringLiteral("QuickJump List"), lbxBMList);
    lbxBMListPopup = Named(new QListWidget(), "lbxBMListPopup");
    pnlBookmarks = FloatingPanel(w, "pnlBookmarks", QString(), lbxBMListPopup);
    // The docked list lies just below the tool bars.
    QWidget* central = ctx_.Window().centralWidget();
    if (auto* l = qobject_cast<QBoxLayout*>(central->layout())) {
        pnlBMList->setParent(central);
        l->insertWidget(1, pnlBMList);
        pnlBMList->setFixedHeight(kDockedListHeight);
        pnlBMList->hide();
    }
    pnlBMListHeader = pnlBMList->findChild<QLabel*>(QStringLiteral("pnlBMListHeader"));
    if (pnlBMListHeader) {
        auto* close = Named(new QToolButton(pnlBMListHeader), "btnCloseBMList");
        close->setText(QStringLiteral("x"));
        close->setAutoRaise(true);
        close->setFixedSize(16, 16);
        auto* row = HBox(pnlBMListHeader);
        row->addStretch(1);
        row->addWidget(close);
        connect(close, &QToolButton::clicked, this,
                [this] { GuardCall([this] { pnlBMList->hide(); }); });
    }
    btnShowBMList = Named(new QToolButton(pnlBookmarks), "btnShowBMList");
    btnShowBMList->setText(QStringLiteral("List"));
    btnShowBMList->setToolTip(QStringLiteral("Show as a list"));
    pnlBookmarks->layout()->addWidget(btnShowBMList);
    connect(btnShowBMList, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnShowBMListClick(); }); });
    for (QListWidget* list : {lbxBMList, lbxBMListPopup}) {
        list->setMouseTracking(true);
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }
}

void TMarks::BuildMenus() {
    TWindowSkeleton& k = ctx_.Skeleton();
    KivAction* threadsTabs = acShowThreadsTabs;
    KivAction* quickJumpsTabs = acShowQuickJumpsTabs;
    auto menu = [this](QWidget* parent, const char* name, const QString& title, QAction* a,
                       QAction* b, void (TMarks::*fill)(QMenu*)) {
        QMenu* m = Named(new QMenu(title, parent), name);
        m->addAction(a);
        if (b) m->addAction(b);
        else m->addSeparator();
        connect(m, &QMenu::aboutToShow, this,
                [this, m, fill] { GuardCall([this, m, fill] { (this->*fill)(m); }); });
        return m;
    };
    pmThreads = Named(new QMenu(tsThreads), "pmThreads");
    pmThreads->addAction(threadsTabs);
    pmThreads->addAction(acToThreads);
    connect(pmThreads, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { pmThreadsPopup(tsThreads); }); });
    tsThreads->SetPopupMenu(pmThreads);
    pmQuickJumps = Named(new QMenu(tsQuickJumps), "pmQuickJumps");
    pmQuickJumps->addAction(quickJumpsTabs);
    pmQuickJumps->addAction(acQuickJumpListShow);
    connect(pmQuickJumps, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { pmQuickJumpsPopup(tsQuickJumps); }); });
    tsQuickJumps->SetPopupMenu(pmQuickJumps);
    for (QLabel* label : {lblThreads1, lblQuickJumps1})
        label->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lblThreads1, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        GuardCall([this, p] {
            pmThreadsPopup(lblThreads1);
            pmThreads->popup(lblThreads1->mapToGlobal(p));
        });
    });
    connect(lblQuickJumps1, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        GuardCall([this, p] {
            pmQuickJumpsPopup(lblQuickJumps1);
            pmQuickJumps->popup(lblQuickJumps1->mapToGlobal(p));
        });
    });

    Threads1 = menu(&ctx_.Window(), "Threads1", QStringLiteral("Threads"), threadsTabs, nullptr,
                    &TMarks::Threads2Click);
    QuickJumps1 = menu(&ctx_.Window(), "QuickJumps1", QStringLiteral("QuickJumps"), acToMarks,
                       acQuickJumpListShow, &TMarks::QuickJumps1Click);
    k.View1->addMenu(Threads1);
    k.View1->addMenu(QuickJumps1);
    if (!k.MainMenu1->actions().contains(k.View1->menuAction()))
        k.MainMenu1->insertMenu(k.Settings1->menuAction(), k.View1);
}

// ---- lists ----

QString TMarks::ListKind(const QListWidget* listBox) const {
    return listBox == lbxBMList ? DockedListKind : PopupListKind;
}

void TMarks::FillMarkList(QListWidget* listBox, const QString& kind) {
    listBox->clear();
    const TQuickJump* list = ListOf(kind);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i)
        listBox->addItem(MarkListText(*list, i, kind == kThreads));
}

void TMarks::RefillKind(const QString& kind) {
    for (QListWidget* list : {lbxBMList, lbxBMListPopup})
        if (ListKind(list) == kind) FillMarkList(list, kind);
    if (kind == kThreads) FillThreadsTabs();
    else FillQuickJumpsTabs();
}

void TMarks::acThreadListShowExecute() {
    acThreadListShow->SetChecked(false);
    acQuickJumpListShow->SetChecked(false);
    DockedListKind = kThreads;
    if (pnlBMListHeader) pnlBMListHeader->setText(QStringLiteral("Threads List"));
    FillMarkList(lbxBMList, kThreads);
    pnlBMList->show();
}

void TMarks::acQuickJumpListShowExecute() {
    acThreadListShow->SetChecked(false);
    acQuickJumpListShow->SetChecked(false);
    DockedListKind = kQuickJumps;
    if (pnlBMListHeader) pnlBMListHeader->setText(QStringLiteral("QuickJump List"));
    FillMarkList(lbxBMList, kQuickJumps);
    pnlBMList->show();
}

void TMarks::acQuickJumpListShowUpdate() {
    if (!pnlBMList->isHidden()) return;
    acThreadListShow->SetChecked(false);
    acQuickJumpListShow->SetChecked(false);
}

void TMarks::btnShowBMListClick() {
    if (PopupListKind == kThreads) acThreadListShowExecute();
    else acQuickJumpListShowExecute();
    pnlBookmarks->hide();
}

void TMarks::lblThreads1Click() {
    PopupListKind = kQuickJumps;
    btnShowBMListClick();
}

void TMarks::ShowBookmarksPopup() {
    FillMarkList(lbxBMListPopup, PopupListKind);
    const QPoint at = imgQuickJumps1->mapTo(&ctx_.Window(), QPoint(0, imgQuickJumps1->height()));
    pnlBookmarks->setParent(&ctx_.Window());
    pnlBookmarks->setGeometry(at.x(), at.y(), 240, 160);
    pnlBookmarks->show();
    pnlBookmarks->raise();
    popupPanel_ = pnlBookmarks;
    tmrHide->start();
}

void TMarks::tmrHideTimer() {
    QWidget* under = QApplication::widgetAt(QCursor::pos());
    QWidget* panel = popupPanel_;
    if (panel && under && (under == panel || panel->isAncestorOf(under))) return;
    TWindowSkeleton& k = ctx_.Skeleton();
    if (panel == pnlBookmarks) pnlBookmarks->hide();
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (isShown(k.pnlKiv) && g && g->isVisible() && g->isEnabled())
        g->setFocus(Qt::OtherFocusReason);
    tmrHide->stop();
}

void TMarks::lbxBMListPopupMouseMove(QListWidget* Sender, QPoint p) {
    QListWidgetItem* item = Sender->itemAt(p);
    if (item) Sender->setCurrentItem(item);
    Sender->viewport()->setCursor(
        item && item->text().size() >= kHandLineLength ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (Sender == lbxBMList && !tmrHide->isActive()) {
        Sender->setFocus(Qt::MouseFocusReason);
        popupPanel_ = pnlBMList;
        tmrHide->start();
    }
}

void TMarks::lbxBMListPopupMouseUp(QListWidget* Sender, QPoint p) {
    const int i = Sender->row(Sender->itemAt(p));
    if (i < 0) return;
    if (ListKind(Sender) == kThreads) GoToThread(i, true);
    else if (ListKind(Sender) == kQuickJumps) GoToQuickJump(i);
}

void TMarks::lbxBMListPopupStartDrag(QListWidget* Sender) {
    dragIndex_[Sender == lbxBMList ? 0 : 1] = Sender->currentRow();
}

void TMarks::DragListItem(QListWidget* Sender) {
    lbxBMListPopupStartDrag(Sender);
    if (Sender->currentRow() < 0) return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat),
                  QByteArray::number(Sender->currentRow()));
    TKivStringGrid::SetInternalDragSource(Sender);
    auto* drag = new QDrag(Sender);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    EndListDrags();
}

bool TMarks::lbxBMListPopupDragOver(QListWidget* Sender, QObject* Source, QPoint p) {
    if (Source != Sender && !IsTopicRow(Source)) return false;
    if (QListWidgetItem* item = Sender->itemAt(p)) {
        Sender->setCurrentItem(item);
        return true;
    }
    return Sender->count() == 0;
}

void TMarks::lbxBMListPopupDragDrop(QListWidget* Sender, QObject* Source, QPoint p) {
    const QString kind = ListKind(Sender);
    TQuickJump* list = ListOf(kind);
    if (!list) return;
    const int target = std::max(0, Sender->row(Sender->itemAt(p)));
    const int from = dragIndex_[Sender == lbxBMList ? 0 : 1];
    if (Source != Sender || from < 0 || from >= list->Count()) {
        AddNavigationMark(kind, target);
        return;
    }
    EndListDrags();
    const int to = std::min(target, list->Count() - 1);
    if (to != from) {
        // Copy, delete, insert at the target, copy back; the current thread stays current
        // wherever it lands (a trail the panels do not show never becomes the current one).
        TNavigator moved;
        const TNavigatorPtr old = list->Navigator(from);
        moved.Assign(*old);
        const bool wasCurrent = kind == kThreads && old == ctx_.Open().Navigator;
        list->Delete(from);
        list->InsertNavigator(to)->Assign(moved);
        if (kind == kThreads) {
            int current = -1;
            for (int k = 0; k < list->Count(); ++k)
                if (list->Navigator(k) == ctx_.Open().Navigator) current = k;
            MakeCurrentThread(wasCurrent ? to : std::max(0, current));
        }
    }
    RefillKind(kind);
    Sender->setCurrentRow(to);
}

void TMarks::lbxBMListPopupKeyDown(QListWidget* Sender, int key) {
    const int i = Sender->currentRow();
    const QString kind = ListKind(Sender);
    TQuickJump* list = ListOf(kind);
    if (key != Qt::Key_Delete || i < 0 || !list || i >= list->Count()) return;
    if (kind == kQuickJumps) {
        list->Delete(i);
        RefillKind(kind);
    } else {
        if (list->Count() < 2) return;
        TNavigator position;
        position.Assign(*ctx_.Open().Navigator);
        const int next = DeleteThread(i, position);
        if (next >= 0) GoToThread(next, false);
        RefillKind(kind);
    }
    if (Sender->count() > 0) Sender->setCurrentRow(std::min(i, Sender->count() - 1));
}

// ---- drags onto the strips ----

bool TMarks::TopicDragOver(QObject* Source) const { return IsTopicRow(Source); }

void TMarks::tsThreadsDragDrop(QObject* Sender, QObject* Source) {
    if (!IsTopicRow(Source)) return;
    if (Sender == tsThreads) {
        PopupListKind = kThreads;
        AddNavigationMark(kThreads, INT_MAX);
    } else if (Sender == tsQuickJumps || Sender == imgQuickJumps1) {
        PopupListKind = kQuickJumps;
        AddNavigationMark(kQuickJumps, INT_MAX);
    }
}

bool TMarks::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type t = e->type();
    QListWidget* list = ListOfViewport(watched);
    if (list && list != lbxBMList && list != lbxBMListPopup) list = nullptr;
    if (t == QEvent::DragEnter || t == QEvent::DragMove || t == QEvent::Drop) {
        auto* d = static_cast<QDropEvent*>(e);
        QObject* source = TKivStringGrid::InternalDragSource();
        const QPoint p = d->position().toPoint();
        bool accept = false;
        if (d->mimeData()->hasFormat(QString::fromLatin1(TKivStringGrid::InternalDragFormat))) {
            if (list && t == QEvent::DragMove)
                GuardCall([&] { accept = lbxBMListPopupDragOver(list, source, p); });
            else if (list) accept = source == list || IsTopicRow(source);
            else accept = TopicDragOver(source);
        }
        if (!accept) {
            e->ignore();
            return true;
        }
        d->acceptProposedAction();
        if (t != QEvent::Drop) return true;
        if (list) GuardCall([&] { lbxBMListPopupDragDrop(list, source, p); });
        // The labels take the drag but no drop.
        else if (watched != lblThreads1 && watched != lblQuickJumps1)
            GuardCall([&] { tsThreadsDragDrop(watched, source); });
        return true;
    }
    if (list && t == QEvent::MouseMove) {
        auto* m = static_cast<QMouseEvent*>(e);
        GuardCall([&] { lbxBMListPopupMouseMove(list, m->position().toPoint()); });
        if ((m->buttons() & Qt::LeftButton) && list->currentRow() >= 0 &&
            (m->position().toPoint() - pressPoint_).manhattanLength() >=
                QApplication::startDragDistance()) {
            pressPoint_ = QPoint(-1000, -1000);
            GuardCall([&] { DragListItem(list); });
            return true;
        }
        return false;
    }
    if (list && t == QEvent::MouseButtonPress) {
        pressPoint_ = static_cast<QMouseEvent*>(e)->position().toPoint();
        return false;
    }
    if (list && t == QEvent::MouseButtonRelease) {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::LeftButton)
            GuardCall([&] { lbxBMListPopupMouseUp(list, m->position().toPoint()); });
        return false;
    }
    if (t == QEvent::KeyPress && (watched == lbxBMList || watched == lbxBMListPopup)) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Delete) {
            GuardCall([&] { lbxBMListPopupKeyDown(static_cast<QListWidget*>(watched), key); });
            return true;
        }
        return false;
    }
    if (t == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
        (watched == lblThreads1 || watched == lblQuickJumps1 || watched == imgQuickJumps1)) {
        GuardCall([this] { lblThreads1Click(); });
        return true;
    }
    if (t == QEvent::Enter && watched == imgQuickJumps1) {
        GuardCall([this] { ShowBookmarksPopup(); });
        return false;
    }
    return QObject::eventFilter(watched, e);
}

// ---- popups and menus ----

void TMarks::pmThreadsPopup(QObject* from) {
    KeepFixedItems(pmThreads);
    const int n = ctx_.Open().BookMark ? ctx_.Open().BookMark->Threads.Count() : 0;
    for (int i = 0; i < n; ++i) {
        QAction* a = pmThreads->addAction(QString::number(i) + QStringLiteral(". ") +
                                          MarkCaption(ctx_.Open().BookMark->Threads, i, true));
        a->setData(i);
        a->setCheckable(true);
        a->setChecked(i == ctx_.Open().BookMark->Threads.CurrentIndex());
        connect(a, &QAction::triggered, this, [this, i] {
            GuardCall([this, i] {
                if (i < tsThreads->Tabs().Count()) tsThreads->SetTabIndex(i);
            });
        });
    }
    pmThreads->addSeparator();
    pmThreads->addAction(QStringLiteral("What's This?"))
        ->setData(from == lblThreads1 ? kThreadsLabelHelp : kThreadsHelp);
}

void TMarks::pmQuickJumpsPopup(QObject* from) {
    KeepFixedItems(pmQuickJumps);
    const int n = ctx_.Open().BookMark ? ctx_.Open().BookMark->QuickJumps.Count() : 0;
    for (int i = 0; i < n; ++i) {
        QAction* a =
            pmQuickJumps->addAction(QString::number(i) + QStringLiteral(". ") +
                                    MarkCaption(ctx_.Open().BookMark->QuickJumps, i, false));
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i] {
            GuardCall([this, i] {
                if (i < tsQuickJumps->Tabs().Count()) tsQuickJumps->SetTabIndex(i);
            });
        });
    }
    pmQuickJumps->addSeparator();
    pmQuickJumps->addAction(QStringLiteral("What's This?"))
        ->setData(from == lblQuickJumps1 ? kQuickJumpsLabelHelp : kQuickJumpsHelp);
}

void TMarks::Threads2Click(QMenu* menu) { AddMarkItems(menu, kThreads); }

void TMarks::QuickJumps1Click(QMenu* menu) { AddMarkItems(menu, kQuickJumps); }

void TMarks::AddMarkItems(QMenu* menu, const QString& kind) {
    KeepFixedItems(menu);
    const bool threads = kind == kThreads;
    if (const TQuickJump* own = ListOf(kind)) {
        for (int i = 0; i < own->Count(); ++i) {
            QAction* a = menu->addAction(QString::number(i) + QStringLiteral(". ") +
                                         MarkCaption(*own, i, threads));
            a->setData(QVariantList{QString(), i});
            connect(a, &QAction::triggered, this,
                    [this, kind, i] { GuardCall([&] { ChooseMark(kind, QString(), i); }); });
        }
    }
    if (menu->actions().size() > kFixedItems) menu->addSeparator();
    for (int d = 0; d < InterBase().Count(); ++d) {
        const TBookMarkPtr b = InterBase().BookMark(d);
        if (!b || b == ctx_.Open().BookMark) continue;
        const TQuickJump& marks = threads ? b->Threads : b->QuickJumps;
        if (marks.Count() == 0) continue;
        QMenu* sub = menu->addMenu(QString::fromStdString(b->Name));
        const QString path = QString::fromStdString(b->Path);
        for (int j = 0; j < marks.Count(); ++j) {
            QAction* a = sub->addAction(MarkListText(marks, j, threads));
            // The datastructure and the mark, whatever their numbers.
            a->setData(QVariantList{path, j});
            connect(a, &QAction::triggered, this,
                    [this, kind, path, j] { GuardCall([&] { ChooseMark(kind, path, j); }); });
        }
    }
}

void TMarks::ChooseMark(const QString& kind, const QString& path, int mark) {
    if (!path.isEmpty()) {
        const int d = InterBase().IndexOfPath(path.toStdString());
        if (d < 0) return;
        if (!nav_->SelectOpenDatastructureTab(d)) InterBase().Select(d);
        // The open was refused: nothing of the other datastructure is gone to.
        if (!ctx_.Open().BookMark || ctx_.Open().BookMark != InterBase().BookMark(d)) return;
        if (kind == kThreads) GoToThread(mark, true);
        else GoToQuickJump(mark);
        return;
    }
    if (kind == kThreads) {
        if (mark < tsThreads->Tabs().Count()) tsThreads->SetTabIndex(mark);  // Root1Click
    } else if (mark < tsQuickJumps->Tabs().Count()) {
        tsQuickJumps->SetTabIndex(mark);
    }
}

}  // namespace kiv
