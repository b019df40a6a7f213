#include "components/MyGrids.h"

#include <QApplication>
#include <QCursor>

namespace kiv {

template <class Base>
TMyGrid<Base>::TMyGrid(QWidget* parent) : Base(parent) {}

template <class Base>
TMyGrid<Base>::~TMyGrid() {
    // A grid destroyed inside an update must not leave the hour-glass behind.
    if (cursorSet_) QApplication::restoreOverrideCursor();
}

template <class Base>
void TMyGrid<Base>::BeginUpdate() {
    if (!nowUpdating_) {
        oldColCount_ = this->ColCount();
        oldRowCount_ = this->RowCount();
        hadFocus_ = this->IsActiveControl();
    }
    nowUpdating_ = true;
    if (!cursorSet_) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        cursorSet_ = true;
    }
    if (!locked_) {
        updatesWereEnabled_ = this->updatesEnabled();
        this->setUpdatesEnabled(false);
        locked_ = true;
    }
    if (OnBeginUpdate) OnBeginUpdate(this);
}

template <class Base>
void TMyGrid<Base>::Unlock() {
    this->Invalidate();
    if (locked_) {
        locked_ = false;
        if (updatesWereEnabled_) this->setUpdatesEnabled(true);
    }
    if (cursorSet_) {
        cursorSet_ = false;
        QApplication::restoreOverrideCursor();
    }
    if (hadFocus_ && !this->IsActiveControl() && this->isVisible())
        this->setFocus(Qt::OtherFocusReason);
    hadFocus_ = false;
    nowUpdating_ = false;
}

template <class Base>
void TMyGrid<Base>::EndUpdate() {
    const int oldCols = nowUpdating_ ? oldColCount_ : this->ColCount();
    const int oldRows = nowUpdating_ ? oldRowCount_ : this->RowCount();
    struct Finally {
        TMyGrid* g;
        ~Finally() { g->Unlock(); }
    } finally{this};
    this->ApplySizeChange(oldCols, oldRows);
}

template <class Base>
void TMyGrid<Base>::MouseUp(TCustomGrid::TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (this->GridState() == gsColSizing && this->SizingIndex() >= 0 &&
        this->ColWidths(this->SizingIndex()) == -1)
        this->CancelMode();
    Base::MouseUp(Button, Shift, X, Y);
}

template class TMyGrid<TCustomGrid>;
template class TMyGrid<TDrawGrid>;
template class TMyGrid<TStringGrid>;

}  // namespace kiv
