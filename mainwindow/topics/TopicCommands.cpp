#include "mainwindow/topics/TopicCommands.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/bins/BinsInterface.h"
#include "mainwindow/graphiccard/GraphicCardInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/print/PrintInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

// The commands whose state and shortcut depend on which control has the focus.
const char* const kFocusCommands[] = {"acInsertBefore", "acInsertAfter", "acAddTopic",
                                      "acInsertChild",  "acInsertLeft",  "acToClone",
                                      "acToJoin",       "acToSplit",     "acMarkToClipCard",
                                      "acCopy",         "acCut",         "acPaste",
                                      "acDelete",       "acSelectAll"};

}  // namespace

TTopicCommands::TTopicCommands(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      wait_(ctx.Published()),
      textCard_(ctx.Published()),
      navPath_(ctx.Published()),
      clipBin_(ctx.Published()),
      binsColumn_(ctx.Published()),
      graphicCard_(ctx.Published()),
      autoLaunch_(ctx.Published()) {
    setObjectName(QStringLiteral("TopicCommands"));
    ctx.Published().Publish<ITopicCommands>(*this);
}

TTopicCommands::~TTopicCommands() {
    if (qApp) qApp->removeEventFilter(this);
}

void TTopicCommands::BuildComponents() {
    BuildInsertCommands();
    BuildMetaCard();
    BuildPinCard();
    textCard_->SetTopicEditCommand([this](KivAction* a) { TopicEditCommand(a); });
    KivAction& bin = binsColumn_->ShowRecycledBinCommand();
    bin.OnExecute = [this](KivAction*) { acShowRecycledBinExecute(); };
    ctx_.Window().addAction(&bin);
    ctx_.Skeleton().View1->addAction(&bin);
    // The key guard sees every key of the program first.
    qApp->installEventFilter(this);
}

void TTopicCommands::BuildInsertCommands() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    QMenu* topic = Named(new QMenu(QStringLiteral("&Topic"), w), "Topic1");
    k.MainMenu1->insertMenu(k.Settings1->menuAction(), topic);

    struct TInsertCommand {
        KivAction** action;
        const char* name;
        const char* caption;
        QKeySequence key;
        bool inEditor;
        void (TTopicCommands::*run)();
    };
    const TInsertCommand commands[] = {
        {&acInsertBefore, "acInsertBefore", "Insert Before",
         QKeySequence(Qt::CTRL | Qt::Key_Insert), true, &TTopicCommands::acInsertBeforeExecute},
        {&acInsertAfter, "acInsertAfter", "Insert After", QKeySequence(Qt::Key_Insert), true,
         &TTopicCommands::acInsertAfterExecute},
        {&acInsertChild, "acInsertChild", "Add Topic Right", QKeySequence(Qt::CTRL | Qt::Key_R),
         true, &TTopicCommands::acInsertChildExecute},
        {&acInsertLeft, "acInsertLeft", "Add Topic Left", QKeySequence(Qt::CTRL | Qt::Key_K), true,
         &TTopicCommands::acInsertLeftExecute},
        {&acToClone, "acToClone", "Clone", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), false,
         &TTopicCommands::acToCloneExecute},
    };
    for (const TInsertCommand& c : commands) {
        KivAction* a = Action(w, c.name, QString::fromLatin1(c.caption));
        *c.action = a;
        const auto run = c.run;
        const bool guarded = a == acToClone;
        a->OnExecute = [this, run, guarded](KivAction*) {
            if (guarded && !KeyGuardPasses()) return;
            (this->*run)();
        };
        const QKeySequence key = c.key;
        const bool inEditor = c.inEditor;
        a->OnUpdate = [this, key, inEditor](KivAction* s) { DescriptorUpdate(s, key, inEditor); };
        w->addAction(a);
        topic->addAction(a);
    }
    acAddTopic = Action(w, "acAddTopic", QStringLiteral("Add Topic"));
    acAddTopic->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    acAddTopic->OnExecute = [this](KivAction*) { acInsertAfterExecute(); };
    acAddTopic->OnUpdate = [this](KivAction* s) {
        s->SetEnabled(ctx_.DatastructureOpen() && (PanelFocused() || CaptionEditorFocused()));
    };
    w->addAction(acAddTopic);
    topic->insertAction(acInsertChild, acAddTopic);

    acToJoin = Action(w, "acToJoin", QStringLiteral("Join"));
    acToJoin->OnExecute = [this](KivAction*) {
        if (!KeyGuardPasses()) return;
        if (TKivStringGrid* g = ctx_.CurrentGrid()) g->JoinTopics();
        ctx_.ReloadCurrentRow();
    };
    acToJoin->OnUpdate = [this](KivAction* s) {
        DescriptorUpdate(s, QKeySequence(Qt::CTRL | Qt::Key_J), false);
    };
    acToSplit = Action(w, "acToSplit", QStringLiteral("Split"));
    acToSplit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    acToSplit->OnExecute = [this](KivAction*) {
        if (!KeyGuardPasses()) return;
        if (TKivStringGrid* g = ctx_.CurrentGrid()) g->SplitTopic();
    };
    acToSplit->OnUpdate = [this](KivAction* s) {
        TKivStringGrid* g = ctx_.CurrentGrid();
        s->SetEnabled(CaptionEditorFocused() && g && g->IsRowValid(g->CurrentRow()) &&
                      !g->Nester->IsLocked(g->CurrentRow()));
    };
    acMarkToClipCard = Action(w, "acMarkToClipCard", QStringLiteral("Mark To Clip Card"));
    acMarkToClipCard->OnExecute = [this](KivAction*) {
        if (!KeyGuardPasses()) return;
        if (TKivStringGrid* g = ctx_.CurrentGrid()) clipBin_->AddToClipCard(g);
    };
    acMarkToClipCard->OnUpdate = [this](KivAction* s) {
        DescriptorUpdate(s, QKeySequence(Qt::CTRL | Qt::Key_M), false);
    };
    for (KivAction* a : {acToJoin, acToSplit, acMarkToClipCard}) {
        w->addAction(a);
        topic->addAction(a);
    }

    topic->addSeparator();
    acSetReadOnly = Action(w, "acSetReadOnly", QStringLiteral("Selected topic(s)"));
    acSetReadOnly->setToolTip(QStringLiteral("Read Only"));
    acSetReadOnly->OnExecute = [this](KivAction*) { SetReadOnly(false); };
    acSetReadOnlyBranch =
        Action(w, "acSetReadOnlyBranch", QStringLiteral("Selected topic(s) and all descendents"));
    acSetReadOnlyBranch->setToolTip(QStringLiteral("Read Only Whole Branch"));
    acSetReadOnlyBranch->OnExecute = [this](KivAction*) { SetReadOnly(true); };
    QMenu* readOnly = topic->addMenu(QStringLiteral("Read Only"));
    readOnly->setObjectName(QStringLiteral("ReadOnly1"));
    for (KivAction* a : {acSetReadOnly, acSetReadOnlyBranch}) {
        a->OnUpdate = [this](KivAction* s) {
            TKivStringGrid* g = ctx_.CurrentGrid();
            s->SetEnabled(ctx_.DatastructureOpen() && g && g->IsRowValid(g->CurrentRow()));
        };
        w->addAction(a);
        readOnly->addAction(a);
    }
}

bool TTopicCommands::PanelFocused() const {
    return qobject_cast<TKivStringGrid*>(QApplication::focusWidget()) != nullptr;
}

bool TTopicCommands::CaptionEditorFocused() const {
    return qobject_cast<TKivMemo*>(QApplication::focusWidget()) != nullptr;
}

void TTopicCommands::DescriptorUpdate(KivAction* a, const QKeySequence& key, bool inEditor) {
    const bool on =
        ctx_.DatastructureOpen() && (PanelFocused() || (inEditor && CaptionEditorFocused()));
    a->SetEnabled(on);
    a->setShortcut(on ? key : QKeySequence());
}

bool TTopicCommands::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::ShortcutOverride) return false;
    // The shortcuts follow the focus before the key is matched against them: Del, Ins
    // and the rest are the topic commands' only while a panel has the focus.
    // A key that goes to another control than the focused panel is not the panel's.
    // The event travels on to the parents of its target; they are not targets.
    if (auto* w = qobject_cast<QWidget*>(watched); w && QApplication::focusWidget() &&
                                                   w != QApplication::focusWidget() &&
                                                   w->isAncestorOf(QApplication::focusWidget()))
        return false;
    const bool atPanel = qobject_cast<TKivStringGrid*>(watched) || qobject_cast<TKivMemo*>(watched);
    GuardCall([&] {
        const bool elsewhere = !atPanel && (PanelFocused() || CaptionEditorFocused());
        for (const char* name : kFocusCommands) {
            KivAction* a = ctx_.Actions().Find(QString::fromLatin1(name));
            if (!a) continue;
            a->Update();
            if (elsewhere) a->SetEnabled(false);
        }
    });
    // The caption editor would take Ctrl+Ins (copy) and its company for itself; the insert
    // commands it offers come first. The event, left unaccepted, goes to the shortcuts.
    if (!qobject_cast<TKivMemo*>(watched)) return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    const QKeySequence pressed(
        QKeyCombination(ke->modifiers() & ~Qt::KeypadModifier, Qt::Key(ke->key())));
    for (KivAction* a : {acInsertBefore, acInsertAfter, acInsertChild, acInsertLeft, acAddTopic})
        if (a && a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == pressed) {
            ke->ignore();
            return true;
        }
    return false;
}

bool TTopicCommands::KeyGuardPasses() { return !keyGuard_ || keyGuard_(); }

void TTopicCommands::Subscribe(TWindowEvents& events) {
    events.TopicLeaving.Subscribe(
        [this](TKivStringGrid* g, int row, bool&) { PinFollowsTopicLeaving(g, row); });
    events.TopicShown.Subscribe(
        [this](TKivStringGrid* g, int row) { PinFollowsTopicShown(g, row); });
    // The pin belongs to its datastructure: stored while the files are open, then let go.
    events.DatastructureClosing.Subscribe([this] {
        // The window's lists and files are the closing datastructure's.
        if (frmRecycledBin_) {
            frmRecycledBin_->hide();
            frmRecycledBin_->NestFile = frmRecycledBin_->CardFile = nullptr;
        }
        SavePinCard();
        btnClosePinCardClick();
        pinned_ = TNode{};
    });
}

// ---- inserting ----

void TTopicCommands::InsertTopic(int position, bool asSibling, bool editMode, int offset) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !ctx_.DatastructureOpen()) return;
    TNester& m = *g->Nester;
    // A panel filled from trail nodes holds topics of several nests: nothing goes beside them.
    if (asSibling && m.ValidRow(position + offset) && m.NestIndex(position + offset) >= 0 &&
        m.RowCount() > 1)
        return;
    // No auto-launch for the new topic.
    autoLaunch_->HoldAutoLaunch(true);
    struct THoldBack {
        IAutoLaunch& a;
        ~THoldBack() { a.HoldAutoLaunch(false); }
    } back{*autoLaunch_};
    g->InsertTopics(TItemArray{TNestItem{}}, position, true, asSibling, offset);
    if (editMode) PanelsManager().SetEditMode(true);
}

void TTopicCommands::acInsertBeforeExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    InsertTopic(std::max(g->CurrentRow(), 0), true, true, 0);
}

void TTopicCommands::acInsertAfterExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    const int cur = g->CurrentRow();
    if (!g->IsRowValid(cur)) {
        InsertTopic(0, true, true, 0);
        return;
    }
    const int next = g->Nester->NextSibling(cur, true);
    InsertTopic(next, true, true, cur - next);
}

void TTopicCommands::acInsertChildExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    const int cur = g->CurrentRow();
    if (g->TreeMode && g->IsRowValid(cur)) {
        g->ExpandRow(cur);
        InsertTopic(cur + 1, false, true, 0);
    } else if (g->Nester->RowCount() == 0) {
        if (g->Nester->RootNest != 0xFFFFFFFFu) InsertTopic(0, true, true, 0);
        else if (!g->ExternalPath.empty()) InterBase().Open(g->ExternalPath);
    }
}

void TTopicCommands::acInsertLeftExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    TNester& m = *g->Nester;
    const int cur = g->CurrentRow();
    if (m.Level(cur) <= 0) return;
    int p = cur - 1;
    while (p >= 0 && m.Level(p) >= m.Level(cur)) --p;
    if (p < 0) return;
    const int next = m.NextSibling(p, true);
    InsertTopic(next, true, true, p - next);
}

void TTopicCommands::acToCloneExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    TNester& m = *g->Nester;
    const int cur = g->CurrentRow();
    if (!g->StoreEditedCaption()) return;
    if (m.ChildNest(cur) <= 0 || m.Caption(cur).empty()) {
        MessageDlg(QString::fromLatin1(kCloneRefusal), MsgType::Error, MsgButtons::OK);
        return;
    }
    const bool wasClone = m.IsClone(cur);
    m.SetClone(cur, true);
    if (!m.SetCaption(cur, m.Caption(cur))) {
        m.SetClone(cur, wasClone);
        MessageDlg(QStringLiteral("The clone mark could not be stored."), MsgType::Error,
                   MsgButtons::OK);
        return;
    }
    const TNestItem item = m.GetItem(cur);
    const int next = m.NextSibling(cur, true);
    int inserted = 0;
    try {
        inserted = g->InsertTopics(TItemArray{item}, next, false, true, cur - next);
    } catch (...) {
        m.SetClone(cur, wasClone);
        (void)m.SetCaption(cur, m.Caption(cur));
        throw;
    }
    if (inserted == 0) {
        // Nothing shares the topic: it is no clone.
        m.SetClone(cur, wasClone);
        (void)m.SetCaption(cur, m.Caption(cur));
    }
    g->DrawRow(cur);
}

// ---- locks ----

void TTopicCommands::SetReadOnly(bool wholeBranch) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow())) return;
    TNester& m = *g->Nester;
    const int cur = g->CurrentRow();
    if (!m.IsLocked(cur)) ctx_.FlushCurrentRow();
    TCards cards;
    cards.SetCardFile(ctx_.Pair().Cards.get());
    const TIArray rows = m.GetMarkedRows(true);
    bool failed = false;
    for (int r : rows) {
        const bool on = !m.IsLocked(r);
        m.SetLocked(r, on);
        if (!m.SetCaption(r, m.Caption(r))) {
            m.SetLocked(r, !on);
            failed = true;
            continue;
        }
        if (wholeBranch && m.ChildNest(r) > 0) {
            try {
                SetBranchLock(m.NestFile(), cards, uint32_t(m.ChildNest(r)), on);
            } catch (const std::exception&) {
                failed = true;
            }
            // The shown rows of the branch show what is stored now.
            if (g->TreeMode) {
                for (int d = r + 1; d < m.RowCount() && m.Level(d) > m.Level(r); ++d) {
                    m.SetLocked(d, on);
                    g->DrawRow(d);
                }
            }
        }
        g->DrawRow(r);
    }
    textCard_->UpdateEditorReadOnly(m.IsLocked(cur));
    if (wholeBranch && !g->TreeMode) PanelsManager().RefreshPanelsFrom(g->Tag);
    if (failed)
        MessageDlg(QStringLiteral("The lock could not be stored for every topic."), MsgType::Error,
                   MsgButtons::OK);
}

// ---- the text card's edit commands on topics ----

void TTopicCommands::TopicEditCommand(KivAction* a) {
    const QString name = a->objectName();
    if (name == QLatin1String("acSelectAll")) {
        if (TKivStringGrid* g = ctx_.CurrentGrid()) {
            for (int r = 0; r < g->Nester->RowCount(); ++r) g->Nester->SetMarked(r, true);
            g->viewport()->update();
        }
        return;
    }
    if (!KeyGuardPasses()) return;
    if (name == QLatin1String("acCopy")) acCopyTopics();
    else if (name == QLatin1String("acCut")) acCutTopics();
    else if (name == QLatin1String("acPaste")) acPasteTopics();
    else if (name == QLatin1String("acDelete")) DeleteTopic(ctx_.CurrentGrid());
}

}  // namespace kiv
