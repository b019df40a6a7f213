// The grid's mouse, wheel, keyboard and focus handling, as the Windows grid did it: the
// cell-selection check runs before OnMouseDown, Windows key codes and shift state, the
// grid keys (arrows, Page Up/Down, Home, End, Tab with goTabs, F2, Enter), sizing and
// moving rows and columns by the mouse, wheel notches as events.
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/Grids.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {
bool MapButton(Qt::MouseButton b, TCustomGrid::TMouseButton& out) {
    switch (b) {
    case Qt::LeftButton: out = TCustomGrid::mbLeft; return true;
    case Qt::RightButton: out = TCustomGrid::mbRight; return true;
    case Qt::MiddleButton: out = TCustomGrid::mbMiddle; return true;
    default: return false;
    }
}

// The character a key types, as Windows would deliver it in WM_CHAR: none for Delete,
// for keys that type nothing and for Alt combinations.
bool CharOfKey(const QKeyEvent* e, QChar& ch) {
    const QString t = e->text();
    if (t.size() != 1) return false;
    if (e->modifiers() & Qt::AltModifier) return false;
    ch = t[0];
    return ch.unicode() != 0x7F && ch.unicode() != 0;
}
}  // namespace

// ---- Mouse ----

void TCustomGrid::mousePressEvent(QMouseEvent* e) {
    TMouseButton b;
    if (!MapButton(e->button(), b)) return;
    const QPoint p = e->position().toPoint();
    lastMouse_ = p;
    MouseDown(b, ShiftStateOf(e), p.x(), p.y());
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    TMouseButton b;
    if (!MapButton(e->button(), b)) return;
    const QPoint p = e->position().toPoint();
    lastMouse_ = p;
    // The first click may have opened the editor under the pointer: the second belongs to it.
    if (editor_ && editor_->isVisible() && editor_->geometry().contains(p)) return;
    MouseDown(b, ShiftStateOf(e), p.x(), p.y());
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    lastMouse_ = p;
    MouseMove(ShiftStateOf(e), p.x(), p.y());
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* e) {
    TMouseButton b;
    if (!MapButton(e->button(), b)) return;
    const QPoint p = e->position().toPoint();
    lastMouse_ = p;
    MouseUp(b, ShiftStateOf(e), p.x(), p.y());
}

bool TCustomGrid::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::Leave) MouseLeave();
    return QAbstractScrollArea::viewportEvent(e);
}

void TCustomGrid::contextMenuEvent(QContextMenuEvent* e) {
    if (popupMenu_) {
        popupMenu_->popup(e->globalPos());
        e->accept();
    } else {
        e->ignore();
    }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    HideEdit();
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClick();
    } else if (Button == mbLeft) {
        CalcSizingState(X, Y, gridState_, sizingIndex_, sizingPos_, sizingOfs_);
        if (gridState_ != gsNormal) {
            Invalidate();  // the sizing line
            return;
        }
        const TGridCoord hit = MouseCoord(X, Y);
        if (hit.X >= fixedCols_ && hit.Y >= fixedRows_) {
            if (options_.Contains(goEditing)) {
                if (hit == current_) ShowEditor();
                else {
                    MoveCurrent(hit.X, hit.Y, true, true);
                    UpdateEdit();
                }
                Click();
            } else {
                gridState_ = gsSelecting;
                timer_.start();
                if (Shift.Contains(ssShift)) MoveAnchor(hit);
                else MoveCurrent(hit.X, hit.Y, true, true);
            }
        } else if (options_.Contains(goRowMoving) && hit.X >= 0 && hit.X < fixedCols_ &&
                   hit.Y >= fixedRows_) {
            gridState_ = gsRowMoving;
            moveIndex_ = movePos_ = hit.Y;
            timer_.start();
            Invalidate();
        } else if (options_.Contains(goColMoving) && hit.Y >= 0 && hit.Y < fixedRows_ &&
                   hit.X >= fixedCols_) {
            gridState_ = gsColMoving;
            moveIndex_ = movePos_ = hit.X;
            timer_.start();
            Invalidate();
        }
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    switch (gridState_) {
    case gsSelecting: SelectingMove(X, Y); break;
    case gsColSizing:
        sizingPos_ = X + sizingOfs_;
        Invalidate();
        break;
    case gsRowSizing:
        sizingPos_ = Y + sizingOfs_;
        Invalidate();
        break;
    case gsRowMoving:
    case gsColMoving: MovingMove(X, Y); break;
    case gsNormal: UpdateSizingCursor(X, Y); break;
    }
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    struct Reset {
        TCustomGrid* g;
        ~Reset() {
            g->gridState_ = gsNormal;
            g->timer_.stop();
        }
    } reset{this};
    switch (gridState_) {
    case gsSelecting:
        SelectingMove(X, Y);
        timer_.stop();
        UpdateEdit();
        Click();
        break;
    case gsColSizing:
    case gsRowSizing: {
        const bool cols = gridState_ == gsColSizing;
        const Axis a = cols ? HorzAxis() : VertAxis();
        const int newSize = sizingPos_ - CellStart(a, sizingIndex_);
        Invalidate();
        if (newSize > 1) {
            if (cols) SetColWidths(sizingIndex_, newSize);
            else SetRowHeights(sizingIndex_, newSize);
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        timer_.stop();
        Invalidate();
        const int from = moveIndex_, to = movePos_;
        if (from >= 0 && to >= 0 && from != to) {
            if (gridState_ == gsColMoving) MoveColumn(from, to);
            else MoveRow(from, to);
        }
        UpdateEdit();
        break;
    }
    case gsNormal: UpdateEdit(); break;
    }
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomGrid::hideEvent(QHideEvent* e) {
    QAbstractScrollArea::hideEvent(e);
    CancelMode();
}

void TCustomGrid::MouseLeave() {
    // While a button is held the view keeps the mouse and hears no leave: a leave now means
    // the mouse went to something else (a drag, a popup) and the release will not come here.
    CancelMode();
    if (sizingCursor_) {
        viewport()->unsetCursor();
        sizingCursor_ = false;
    }
}

void TCustomGrid::Click() {
    if (OnClick) OnClick(this);
}

void TCustomGrid::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TCustomGrid::SelectingMove(int X, int Y) {
    const Axis h = HorzAxis(), v = VertAxis();
    const TGridCoord hit = MouseCoord(X, Y);
    if (hit.X >= fixedCols_ && hit.Y >= fixedRows_ && hit.X <= h.lastFullVisibleCell + 1 &&
        hit.Y <= v.lastFullVisibleCell + 1) {
        const TGridCoord ref = RangeSelectActive() ? anchor_ : current_;
        TGridCoord cmp = hit;
        if (options_.Contains(goRowSelect)) cmp.X = ref.X;
        if (!(cmp == ref)) MoveAnchor(hit);
    }
}

void TCustomGrid::MovingMove(int X, int Y) {
    const bool rows = gridState_ == gsRowMoving;
    const Axis a = rows ? VertAxis() : HorzAxis();
    const int pos = rows ? Y : X;
    int hit = AxisCoord(a, pos);
    const int count = rows ? rowCount_ : colCount_;
    const int fixed = rows ? fixedRows_ : fixedCols_;
    if (pos < a.fixedBoundary) {
        const int first = rows ? topLeft_.Y : topLeft_.X;
        if (first > fixed) {
            const int up = StepVisible(rows, first, -1);
            if (rows) MoveTopLeft(topLeft_.X, up);
            else MoveTopLeft(up, topLeft_.Y);
        }
        hit = rows ? topLeft_.Y : topLeft_.X;
    } else if (pos >= a.fullVisBoundary) {
        if (movePos_ >= a.lastFullVisibleCell && movePos_ < count - 1) {
            const int first = rows ? topLeft_.Y : topLeft_.X;
            const int down = StepVisible(rows, first, 1);
            if (rows) MoveTopLeft(topLeft_.X, down);
            else MoveTopLeft(down, topLeft_.Y);
        }
        hit = (rows ? VertAxis() : HorzAxis()).lastFullVisibleCell;
    } else if (hit < 0) {
        hit = movePos_;
    }
    hit = std::clamp(hit, fixed, count - 1);
    if (hit != movePos_) {
        movePos_ = hit;
        Invalidate();
    }
}

void TCustomGrid::TimerTick() {
    if (gridState_ == gsSelecting) {
        const Axis h = HorzAxis(), v = VertAxis();
        const QPoint p = lastMouse_;
        TGridCoord na = RangeSelectActive() ? anchor_ : current_;
        if (p.x() < h.fixedBoundary) na.X = StepVisible(false, na.X, -1);
        else if (p.x() > h.fullVisBoundary) na.X = StepVisible(false, na.X, 1);
        if (p.y() < v.fixedBoundary) na.Y = StepVisible(true, na.Y, -1);
        else if (p.y() > v.fullVisBoundary) na.Y = StepVisible(true, na.Y, 1);
        const TGridCoord ref = RangeSelectActive() ? anchor_ : current_;
        if (!(na == ref)) MoveAnchor(na);
    } else if (gridState_ == gsRowMoving || gridState_ == gsColMoving) {
        MovingMove(lastMouse_.x(), lastMouse_.y());
    } else {
        timer_.stop();
    }
}

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                  int& SizingOfs) const {
    State = gsNormal;
    Index = -1;
    if (!options_.Contains(goColSizing) && !options_.Contains(goRowSizing)) return;
    const Axis h = HorzAxis(), v = VertAxis();
    auto axisState = [&](const Axis& a, int pos, TGridState newState) {
        int line = a.fixedBoundary;
        int range = a.lineWidth, back = 0;
        if (range < 7) {
            range = 7;
            back = (range - a.lineWidth) >> 1;
        }
        for (int i = a.firstCell; i < a.cellCount; ++i) {
            // A hidden cell's border lies on the one before it, as with the Windows grid's -1.
            line += a.Hidden(i) ? -a.lineWidth : a.Extent(i);
            if (line > a.gridBoundary) break;
            if (pos >= line - back && pos <= line - back + range) {
                State = newState;
                SizingPos = line;
                SizingOfs = line - pos;
                Index = i;
                return;
            }
            line += a.lineWidth;
        }
    };
    if (X > h.fixedBoundary && options_.Contains(goColSizing)) {
        if (Y >= v.fixedBoundary) return;
        axisState(h, X, gsColSizing);
    } else if (Y > v.fixedBoundary && options_.Contains(goRowSizing)) {
        if (X >= h.fixedBoundary) return;
        axisState(v, Y, gsRowSizing);
    }
}

void TCustomGrid::UpdateSizingCursor(int X, int Y) {
    if (!options_.Contains(goColSizing) && !options_.Contains(goRowSizing)) {
        if (sizingCursor_) {
            viewport()->unsetCursor();
            sizingCursor_ = false;
        }
        return;
    }
    TGridState s;
    int idx, pos, ofs;
    CalcSizingState(X, Y, s, idx, pos, ofs);
    if (s == gsColSizing || s == gsRowSizing) {
        viewport()->setCursor(s == gsColSizing ? Qt::SplitHCursor : Qt::SplitVCursor);
        sizingCursor_ = true;
    } else if (sizingCursor_) {
        viewport()->unsetCursor();
        sizingCursor_ = false;
    }
}

// ---- Wheel ----

void TCustomGrid::wheelEvent(QWheelEvent* e) {
    const TShiftState shift = ShiftStateOf(e);
    const QPoint screen = e->globalPosition().toPoint();
    wheelAccumulator_ += e->angleDelta().y();
    while (std::abs(wheelAccumulator_) >= 120) {
        if (wheelAccumulator_ < 0) {
            wheelAccumulator_ += 120;
            DoMouseWheelDown(shift, screen);
        } else {
            wheelAccumulator_ -= 120;
            DoMouseWheelUp(shift, screen);
        }
    }
    e->accept();
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (!handled) {
        const int next = StepVisible(true, current_.Y, 1);
        if (next != current_.Y) SetRow(next);
        handled = true;
    }
    return handled;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    if (!handled) {
        const int prev = StepVisible(true, current_.Y, -1);
        if (prev != current_.Y) SetRow(prev);
        handled = true;
    }
    return handled;
}

// ---- Keys ----

bool TCustomGrid::event(QEvent* e) {
    // With goTabs the grid keeps Tab and Shift+Tab instead of passing the focus on.
    if (e->type() == QEvent::KeyPress && options_.Contains(goTabs)) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TCustomGrid::keyPressEvent(QKeyEvent* e) {
    e->accept();
    Word key = WinKeyOf(e);
    const TShiftState shift = ShiftStateOf(e);
    if (key) KeyDown(key, shift);
    QChar ch;
    if (!CharOfKey(e, ch)) return;
    const bool typing = options_.Contains(goEditing) && !options_.Contains(goRowSelect) &&
                        (ch.unicode() == 8 || ch.unicode() >= 32);
    if (typing) {
        ShowEditorChar(ch);
    } else {
        KeyPress(ch);
    }
}

void TCustomGrid::keyReleaseEvent(QKeyEvent* e) {
    e->accept();
    if (e->isAutoRepeat()) return;  // a held key is one press
    Word key = WinKeyOf(e);
    if (key) KeyUp(key, ShiftStateOf(e));
}

void TCustomGrid::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TCustomGrid::KeyPress(QChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key == QChar('\r') && !options_.Contains(goAlwaysShowEditor) &&
        options_.Contains(goEditing) && !options_.Contains(goRowSelect)) {
        if (editorMode_) HideEditor();
        else ShowEditor();
        Key = QChar(0);
    }
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0) return;
    const Axis h = HorzAxis(), v = VertAxis();
    const int pageWidth = std::max(1, h.lastFullVisibleCell - topLeft_.X);
    const int pageHeight = std::max(1, v.lastFullVisibleCell - topLeft_.Y);
    const bool rowSelect = options_.Contains(goRowSelect);
    TGridCoord nc = current_, nt = topLeft_;
    int rowDir = 0, colDir = 0;  // where to look for a visible cell when the target is hidden
    bool moveAnchor = !Shift.Contains(ssShift);
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_UP: nt.Y = StepVisible(true, topLeft_.Y, -1); break;
        case VK_DOWN: nt.Y = StepVisible(true, topLeft_.Y, 1); break;
        case VK_LEFT:
            if (!rowSelect) {
                nc.X -= pageWidth;
                nt.X -= pageWidth;
                colDir = -1;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                nc.X += pageWidth;
                nt.X += pageWidth;
                colDir = 1;
            }
            break;
        case VK_PRIOR:
            nc.Y = topLeft_.Y;
            rowDir = 1;
            break;
        case VK_NEXT:
            nc.Y = v.lastFullVisibleCell;
            rowDir = -1;
            break;
        case VK_HOME:
            nc = {fixedCols_, fixedRows_};
            rowDir = colDir = 1;
            break;
        case VK_END:
            nc = {colCount_ - 1, rowCount_ - 1};
            rowDir = colDir = -1;
            break;
        default: break;
        }
    } else {
        switch (Key) {
        case VK_UP: nc.Y = StepVisible(true, current_.Y, -1); break;
        case VK_DOWN: nc.Y = StepVisible(true, current_.Y, 1); break;
        case VK_LEFT:
            if (rowSelect) nt.X = StepVisible(false, topLeft_.X, -1);
            else nc.X = StepVisible(false, current_.X, -1);
            break;
        case VK_RIGHT:
            if (rowSelect) nt.X = StepVisible(false, topLeft_.X, 1);
            else nc.X = StepVisible(false, current_.X, 1);
            break;
        case VK_NEXT:
            nc.Y += pageHeight;
            nt.Y += pageHeight;
            rowDir = 1;
            break;
        case VK_PRIOR:
            nc.Y -= pageHeight;
            nt.Y -= pageHeight;
            rowDir = -1;
            break;
        case VK_HOME:
            if (rowSelect) {
                nc.Y = fixedRows_;
                rowDir = 1;
            } else {
                nc.X = fixedCols_;
                colDir = 1;
            }
            break;
        case VK_END:
            if (rowSelect) {
                nc.Y = rowCount_ - 1;
                rowDir = -1;
            } else {
                nc.X = colCount_ - 1;
                colDir = -1;
            }
            break;
        case VK_TAB:
            if (!Shift.Contains(ssAlt)) {
                const bool back = Shift.Contains(ssShift);
                TGridCoord t = current_;
                for (int n = 0; n <= colCount_; ++n) {
                    if (back) {
                        if (--t.X < fixedCols_) {
                            t.X = colCount_ - 1;
                            if (--t.Y < fixedRows_) t.Y = rowCount_ - 1;
                        }
                    } else if (++t.X >= colCount_) {
                        t.X = fixedCols_;
                        if (++t.Y >= rowCount_) t.Y = fixedRows_;
                    }
                    if ((TabStops(t.X) && ColWidths(t.X) >= 0) || t.X == current_.X) break;
                }
                nc = t;
                rowDir = back ? -1 : 1;
                moveAnchor = true;
            }
            break;
        case VK_F2: SetEditorMode(true); break;
        case VK_ESCAPE:
            if (editorMode_) CancelEdit();
            break;
        default: break;
        }
    }
    nt.X = std::clamp(nt.X, fixedCols_, MaxLeftCol());
    nt.Y = std::clamp(nt.Y, fixedRows_, MaxTopRow());
    if (!(nt == topLeft_)) MoveTopLeft(nt.X, nt.Y);
    nc.X = std::clamp(nc.X, fixedCols_, colCount_ - 1);
    nc.Y = std::clamp(nc.Y, fixedRows_, rowCount_ - 1);
    if (colDir) nc.X = NearestVisible(false, nc.X, colDir);
    if (rowDir) nc.Y = NearestVisible(true, nc.Y, rowDir);
    if (!(nc == current_)) FocusCell(nc.X, nc.Y, moveAnchor);
}

// ---- Focus ----

bool TCustomGrid::IsActiveControl() const {
    const QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

void TCustomGrid::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    FocusArrived(e, false);
}

void TCustomGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    Invalidate();
    // Another window or control took over: a drag of the mouse will not see its release.
    if (e->reason() != Qt::PopupFocusReason) CancelMode();
    FocusLeft(e);
}

void TCustomGrid::CancelMode() {
    if (gridState_ == gsNormal) return;
    gridState_ = gsNormal;
    timer_.stop();
    Invalidate();
}

void TCustomGrid::FocusArrived(QFocusEvent* e, bool fromEditor) {
    // Focus that came with the window's activation is held but was not entered.
    if (!entered_) {
        entered_ = true;
        if (IsEnterOrExit(e)) DoEnter();
    }
    if (!fromEditor && !focusHandOver_) {
        Invalidate();
        UpdateEdit();
    }
}

void TCustomGrid::FocusLeft(QFocusEvent* e) {
    if (!IsEnterOrExit(e)) return;
    // Only the grid's own cell editor counts as the grid; any other control, a child of
    // the grid or not, takes the focus away from it (as on Windows).
    const QWidget* f = QApplication::focusWidget();
    if (f && (f == this || (editor_ && f == editor_))) return;
    if (!entered_) return;
    entered_ = false;
    DoExit();
}

void TCustomGrid::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TCustomGrid::DoExit() {
    if (OnExit) OnExit(this);
}

}  // namespace kiv
