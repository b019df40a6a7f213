#include "mainwindow/keyboard/Keyboard.h"

#include <QApplication>
#include <algorithm>
#include <QKeyEvent>
#include <QMainWindow>

#include "engine/core/Navigation.h"
#include "engine/core/Nester.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/WindowContext.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KeyRepeat.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

TKeyboard::TKeyboard(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      launch_(ctx.Published()),
      nav_(ctx.Published()),
      search_(ctx.Published()),
      topics_(ctx.Published()),
      datastructure_(ctx.Published()),
      autoLaunch_(ctx.Published()) {
    setObjectName(QStringLiteral("Keyboard"));
    ctx.Published().Publish<IKeyboard>(*this);
}

TKeyboard::~TKeyboard() {
    if (qApp) qApp->removeEventFilter(this);
}

void TKeyboard::BuildComponents() {
    // Every key of the program passes here first; only the main window's are ours.
    qApp->installEventFilter(this);
    // A held key then comes as presses alone where the X server can do that.
    UseDetectableAutoRepeat();
    nav_->SetArrowPress([this](int key) { PressArrow(key); });
    topics_->SetKeyGuard([this] { return KeyCommandMayRun(); });
}

bool TKeyboard::KeyCommandMayRun() {
    if (keyCommandDone_) return false;
    keyCommandDone_ = keyIsDown_;
    return true;
}

TKivStringGrid* TKeyboard::PanelOf(const QObject* control) {
    if (auto* g = qobject_cast<const TKivStringGrid*>(control))
        return const_cast<TKivStringGrid*>(g);
    if (auto* memo = qobject_cast<const TKivMemo*>(control)) return memo->Grid();
    return nullptr;
}

bool TKeyboard::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type == QEvent::WindowDeactivate) {
        if (watched == &ctx_.Window()) FormDeactivate();
        return false;
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    // A key that went down here may come up in another window.
    if (type == QEvent::KeyRelease && !ke->isAutoRepeat() && KeyIdOf(ke) != 0)
        held_.erase(std::remove(held_.begin(), held_.end(), KeyIdOf(ke)), held_.end());
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != &ctx_.Window()) return false;
    // A key travels on to the parents of the control it was meant for: it is handled once,
    // where it arrived first.
    QWidget* focus = QApplication::focusWidget();
    if (focus && w != focus && w->isAncestorOf(focus)) return false;
    // A held key sends releases marked auto-repeat: the key is still down.
    if (ke->isAutoRepeat() && type == QEvent::KeyRelease) return false;
    Word key = WinKeyOf(ke);
    const TShiftState shift = ShiftStateOf(ke);
    bool consumed = false;
    GuardCall([&] {
        switch (type) {
        case QEvent::ShortcutOverride:
            // Before the menu shortcuts are matched: a command run by one sees its key down.
            pressRepeats_ = PressRepeats(ke);
            overridden_ = KeyIdOf(ke);
            keyIsDown_ = true;
            autoLaunch_->SetCtrlDown(shift.Contains(ssCtrl) || key == VK_CONTROL);
            break;
        case QEvent::KeyPress: {
            const int id = KeyIdOf(ke);
            if (id == 0 || overridden_ != id) pressRepeats_ = PressRepeats(ke);
            overridden_ = 0;
            // Enter and Esc in the keywords box pass: the box inserts neither and does not
            // beep, and the search pane acts on them.
            FormKeyDown(w, key, shift, ke->isAutoRepeat() || pressRepeats_);
            consumed = key == 0;
            break;
        }
        case QEvent::KeyRelease:
            ReleaseSeen(ke, PanelOf(w));
            FormKeyUp(w, key, shift);
            break;
        default: break;
        }
    });
    return consumed;
}

int TKeyboard::KeyIdOf(const QKeyEvent* ke) { return int(ke->nativeScanCode()); }

bool TKeyboard::PressRepeats(const QKeyEvent* ke) {
    const int id = KeyIdOf(ke);
    if (id == 0) return ke->isAutoRepeat();
    // A press of a key that never came up: the server repeats presses alone.
    bool repeat = ke->isAutoRepeat() || std::find(held_.begin(), held_.end(), id) != held_.end();
    // The server's release and press pair of a repeat carry one timestamp: the release
    // was none, and what it cleared is put back.
    if (!repeat && lastRelease_.id == id && ke->timestamp() != 0 &&
        ke->timestamp() == lastRelease_.time) {
        repeat = true;
        keyCommandDone_ = lastRelease_.commandDone;
        if (lastRelease_.panel) lastRelease_.panel->KeyDownSeen = lastRelease_.keyDownSeen;
    }
    lastRelease_ = TRelease{};
    if (std::find(held_.begin(), held_.end(), id) == held_.end()) held_.push_back(id);
    return repeat;
}

void TKeyboard::ReleaseSeen(const QKeyEvent* ke, TKivStringGrid* panel) {
    const int id = KeyIdOf(ke);
    overridden_ = 0;
    if (id == 0) return;
    lastRelease_ =
        TRelease{id, ke->timestamp(), keyCommandDone_, panel, panel ? panel->KeyDownSeen : false};
}

// ---- key down ----

void TKeyboard::FormKeyDown(QWidget* focus, Word& Key, TShiftState Shift, bool repeat) {
    keyIsDown_ = true;
    const TShiftState keys = Shift.Keys();
    autoLaunch_->SetCtrlDown(keys.Contains(ssCtrl) || Key == VK_CONTROL);
    if (search_->IsResultsList(focus) && keys == TShiftState(ssCtrl)) {
        if (Key == VK_F3) {
            search_->ClickFindNext();
        } else if (Key == VK_DOWN) {
            Key = 0;
            search_->ClickFindNext();
        } else if (Key == VK_UP) {
            Key = 0;
            search_->FindNextInTextCardOrTell();
        }
    }
    if (Key == 0 || !PanelOf(focus) || ctx_.IsBusy()) return;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    PanelKeyDown(g, focus == g->CaptionEditor, Key, keys, repeat);
}

void TKeyboard::PanelKeyDown(TKivStringGrid* g, bool inEditor, Word& Key, TShiftState keys,
                             bool repeat) {
    switch (Key) {
    case VK_CLEAR:
        if (keys == TShiftState(ssCtrl) && LaunchSingleLink(g, true)) Key = 0;
        else if (keys == (ssShift | ssCtrl) && LaunchSingleLink(g, false)) Key = 0;
        break;
    case 'W':
        if (keys == (ssShift | ssCtrl) && LaunchSingleLink(g, true)) Key = 0;
        else if (keys == (ssShift | ssAlt | ssCtrl) && LaunchSingleLink(g, false)) Key = 0;
        break;
    case VK_MENU: Key = 0; break;
    case VK_UP:
    case VK_DOWN: UpOrDown(g, inEditor, Key, keys, repeat); break;
    case VK_RIGHT:
        if (!inEditor || keys == TShiftState(ssAlt)) Right(g, Key, keys, repeat);
        break;
    case VK_LEFT:
        if (!inEditor || keys == TShiftState(ssAlt)) Left(g, Key, keys);
        break;
    default: break;
    }
}

bool TKeyboard::LaunchSingleLink(TKivStringGrid* g, bool internal) {
    const int row = g->CurrentRow();
    if (!g->IsRowValid(row)) return false;
    TLaunchList& links = g->Nester->LaunchList();
    if (links.Count(row) != 1) return false;
    launch_->LaunchLink(links.GetPath(row, 0), internal, internal);
    return true;
}

void TKeyboard::UpOrDown(TKivStringGrid* g, bool inEditor, Word& Key, TShiftState keys,
                         bool repeat) {
    const bool up = Key == VK_UP;
    if (keys == TShiftState(ssCtrl)) autoLaunch_->CtrlNavigationKey();
    const int row = g->CurrentRow();
    const int last = g->Nester->RowCount() - 1;
    const bool altOrCtrl = keys == TShiftState(ssAlt) || keys == TShiftState(ssCtrl);
    if (inEditor && !altOrCtrl) {
        // The editor moves its caret between the lines of a long caption.
        const int line = g->CaptionEditor->CaretLine();
        if (up ? line != 0 : line != g->CaptionEditor->LineCount() - 1) return;
    }
    // The grid never moves its own cursor: one press is one move, made here.
    Key = 0;
    if (up ? row <= 0 : row >= last) {
        // Down on the last row makes a new topic after it, once per press.
        if (!up && row == last && keys.Empty() && !repeat && !g->KeyDownSeen)
            topics_->RunInsertAfter();
        g->KeyDownSeen = true;
        return;
    }
    g->KeyDownSeen = true;
    if (keys == TShiftState(ssAlt)) {
        g->MoveMarkedTopicsByKey(up ? 0 : 1);
        return;
    }
    g->SelectRow(up ? row - 1 : row + 1);
    if (g->CurrentRow() == row) return;  // refused: the caption could not be stored
    if (keys == TShiftState(ssShift)) g->Nester->SetMarked(row, true);
    g->DrawRow(row);
    g->DrawRow(g->CurrentRow());
}

void TKeyboard::Right(TKivStringGrid* g, Word& Key, TShiftState keys, bool repeat) {
    TNester& m = *g->Nester;
    const int row = g->CurrentRow();
    const bool newPress = !repeat && !g->KeyDownSeen;
    g->KeyDownSeen = true;
    if (!g->TreeMode) {
        if (g->Tag < PanelCount) {
            TKivStringGrid* next = PanelsManager().PanelByNumber(g->Tag + 1);
            if (m.RowCount() > 0 && next && isShown(next)) next->setFocus(Qt::OtherFocusReason);
        } else {
            nav_->ShiftPanelsRight();
        }
        Key = 0;
        return;
    }
    if (!m.ValidRow(row)) return;
    Key = 0;
    if (keys == TShiftState(ssCtrl)) {
        g->ExpandRow(row);
    } else if (m.ChildNest(row) == -1) {
        if (!g->ExternalPath.empty()) datastructure_->OpenDatastructureFile(g->ExternalPath);
    } else if (keys == TShiftState(ssAlt)) {
        g->MoveMarkedTopicsByKey(3);
    } else if (m.ChildNest(row) > 0) {
        if (!m.IsExpanded(row)) g->ExpandRow(row);
        if (m.IsExpanded(row)) g->SelectRow(row + 1);
    } else if (keys.Empty() && newPress) {
        topics_->InsertTopic(row + 1, false, true, 0);
    }
}

void TKeyboard::Left(TKivStringGrid* g, Word& Key, TShiftState keys) {
    TNester& m = *g->Nester;
    const int row = g->CurrentRow();
    g->KeyDownSeen = true;
    if (!g->TreeMode) {
        // The panel before, or one level up from panel 1.
        nav_->ShiftPanelsLeft();
        Key = 0;
        return;
    }
    if (!m.ValidRow(row)) return;
    Key = 0;
    if (keys == TShiftState(ssCtrl)) {
        g->CollapseRow(row);
    } else if (keys == TShiftState(ssAlt)) {
        g->MoveMarkedTopicsByKey(2);
    } else {
        TBranch branch;
        m.GetBranch(row, false, branch);
        if (branch.ParentRow >= 0) g->SelectRow(branch.ParentRow);
    }
}

// ---- key up and press ----

void TKeyboard::FormKeyUp(QWidget* focus, Word& Key, TShiftState) {
    keyIsDown_ = false;
    keyCommandDone_ = false;
    if (Key == VK_CONTROL) autoLaunch_->SetCtrlDown(false);
    TKivStringGrid* panel = PanelOf(focus);
    if (panel) panel->KeyDownSeen = false;
    if (!panel || (Key != VK_UP && Key != VK_DOWN) || ctx_.IsBusy()) return;
    // The later panels follow the row the arrows stopped on.
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || g->Tag >= PanelCount) return;
    TKivStringGrid* next = PanelsManager().PanelByNumber(g->Tag + 1);
    if (!next) return;
    const int row = g->CurrentRow();
    const int64_t child = g->IsRowValid(row) ? g->Nester->ChildNest(row) : 0;
    if (next->Nester->RowCount() == 0 || int64_t(next->Nester->RootNest) != child)
        PanelsManager().RefreshPanelsFrom(g->Tag);
}

void TKeyboard::FormDeactivate() {
    keyIsDown_ = false;
    keyCommandDone_ = false;
    // The releases of keys held now go to another window.
    held_.clear();
    lastRelease_ = TRelease{};
    overridden_ = 0;
    if (TKivStringGrid* g = ctx_.CurrentGrid()) g->KeyDownSeen = false;
}

void TKeyboard::PressArrow(int key) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    Word k = WinKeyFromQt(key);
    g->KeyDownSeen = false;
    FormKeyDown(g, k, TShiftState(), false);
    k = WinKeyFromQt(key);
    FormKeyUp(g, k, TShiftState());
}

}  // namespace kiv
