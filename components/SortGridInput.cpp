// The sort grid's mouse and keys: header clicks that sort, auto-size by a double click on a
// header border, multi-row selection, check-box, list and ellipsis cells, keyboard row and
// column insertion, type-ahead, cell validation, the wheel and the drop-down list.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "components/SortGrid.h"

namespace kiv {

namespace {
bool IsNavigationKey(Word k) {
    return k == VK_UP || k == VK_DOWN || k == VK_LEFT || k == VK_RIGHT || k == VK_HOME ||
           k == VK_END || k == VK_PRIOR || k == VK_NEXT;
}
}  // namespace

// ---- The cell-selection check ----

bool TSortGrid::SelectCell(int ACol, int ARow) {
    bool ok = TMyStringGrid::SelectCell(ACol, ARow);
    if (ok && EditorMode() && ARow >= 1) {
        const TCellFormat f = GetCellFormat(ACol, ARow);
        if (f.Combobox || f.CheckBox) {
            if (f.Combobox) DropDown(ACol, ARow);
            if (tabDown_ && ACol < ColCount() - 2 && !tabStepping_) {
                tabStepping_ = true;
                struct Done {
                    bool& b;
                    ~Done() { b = false; }
                } done{tabStepping_};
                MoveCurrent(ACol + 1, ARow, true, true);
            }
            ok = false;
        }
    }
    InvalidateRow(Row());
    InvalidateRow(ARow);
    return ok;
}

QString TSortGrid::GetEditText(int ACol, int ARow) {
    const QString text = TMyStringGrid::GetEditText(ACol, ARow);
    // The editor loads the cell: remember what validation compares with.
    if (ACol != editCol_ || ARow != editRow_) {
        editCol_ = ACol;
        editRow_ = ARow;
        editOldText_ = Cells(ACol, ARow);
        editOldModified_ = modified_;
    }
    return text;
}

void TSortGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    if (Value != Cells(ACol, ARow)) SetModified(true);
    TMyStringGrid::SetEditText(ACol, ARow, Value);
}

void TSortGrid::ValidateEdit() {
    if (editCol_ < 0 || editRow_ < 0) return;
    const int c = editCol_, r = editRow_;
    const QString present = Cells(c, r);
    if (present != editOldText_ && OnCellValidate) {
        QString newValue = present;
        bool valid = true;
        OnCellValidate(this, c, r, editOldText_, newValue, valid);
        if (valid) {
            if (newValue != present) SetCells(c, r, newValue);
        } else {
            SetCells(c, r, newValue != present ? newValue : editOldText_);
            modified_ = editOldModified_;
        }
    }
    editOldText_ = Cells(c, r);
    editOldModified_ = modified_;
}

// ---- Mouse ----

void TSortGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridCoord hit = MouseCoord(X, Y);
    downCol_ = hit.X;
    downRow_ = hit.Y;
    downPoint_ = QPoint(X, Y);
    dragPending_ = false;
    if (IsActiveControl()) ValidateEdit();
    const bool plain =
        !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssDouble);
    const bool dataCell = hit.X >= 0 && hit.Y >= 1;
    if (multiSelect_ && !EditorMode() && Button == mbLeft && dataCell &&
        !Shift.Contains(ssDouble)) {
        const bool passOn = Options().Contains(goRangeSelect) && Shift.Contains(ssShift);
        if (!passOn) {
            if (!RowSelected(hit.Y) && plain) {
                SetOptions(Options() - goRangeSelect);
                MoveCurrent(hit.X, hit.Y, true, true);
                SelectOnly(hit.Y);
                if (OnRowSelected) OnRowSelected(this);
            } else if (RowSelected(hit.Y)) {
                dragPoint_ = QPoint(X, Y);
                dragPending_ = true;
            }
            if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
            return;
        }
    }
    const int oldRow = Row();
    TMyStringGrid::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !dataCell || Shift.Contains(ssDouble)) return;
    if (!multiSelect_ && Row() != oldRow) {
        SelectOnly(Row());
        if (OnRowSelected) OnRowSelected(this);
    }
    if (EditorMode() || hit.X != Col() || hit.Y != Row()) return;
    const TCellFormat f = GetCellFormat(hit.X, hit.Y);
    if (f.CheckBox) {
        SetChecked(hit.X, hit.Y, !IsChecked(hit.X, hit.Y));
    } else if (f.Combobox) {
        DropDown(hit.X, hit.Y);
    } else if (f.Ellipsis) {
        const QRect r = CellRect(hit.X, hit.Y);
        if (X >= r.left() + ColWidths(hit.X) - 16 && OnSetEllipsis)
            OnSetEllipsis(this, hit.X, hit.Y);
    }
}

void TSortGrid::MouseMove(TShiftState Shift, int X, int Y) {
    if (dragPending_ && Shift.Contains(ssLeft)) {
        if (std::abs(X - dragPoint_.x()) >= 11 || std::abs(Y - dragPoint_.y()) >= 11) {
            dragPending_ = false;
            CancelMode();
            StartRowDrag();
            return;
        }
    } else if (!Shift.Contains(ssLeft)) {
        dragPending_ = false;
    }
    TMyStringGrid::MouseMove(Shift, X, Y);
}

void TSortGrid::StartRowDrag() {
    QStringList lines;
    std::vector<int> rows = selectedRows_;
    std::sort(rows.begin(), rows.end());
    for (int r : rows) lines << Rows(r).join('\t');
    auto* data = new QMimeData;
    data->setText(lines.join('\n'));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
    drag->deleteLater();
}

void TSortGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    dragPending_ = false;
    TMyStringGrid::MouseUp(Button, Shift, X, Y);
    const TGridCoord hit = MouseCoord(X, Y);
    if (hit.Y != 0 || downRow_ != 0 || hit.X < 0 || hit.X != downCol_) return;
    const QRect r = CellRect(hit.X, 0);
    const int left = r.left(), right = r.left() + ColWidths(hit.X);
    if (X - left <= 5 || right - X <= 5) return;
    if (Button == mbRight) sortOptions_.SortDirection = sdDescending;
    else if (Button == mbLeft)
        sortOptions_.SortDirection =
            hit.X == sortOptions_.SortCol && sortOptions_.SortDirection == sdAscending
                ? sdDescending
                : sdAscending;
    else return;
    downRow_ = -1;
    SortByColumn(hit.X);
}

void TSortGrid::DblClick() {
    const TGridCoord hit = MouseCoord(downPoint_.x(), downPoint_.y());
    if (hit.Y == 0 && hit.X >= 0) {
        const QRect r = CellRect(hit.X, 0);
        const int x = downPoint_.x();
        const int left = r.left(), right = r.left() + ColWidths(hit.X);
        if (x - left <= 5 || right - x <= 5) {
            if (std::abs(right - x) <= 3) AutoSizeCol(hit.X);
            else if (hit.X > 0 && std::abs(x - left) <= 3) AutoSizeCol(hit.X - 1);
        }
    }
    TMyStringGrid::DblClick();
}

bool TSortGrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (!handled) {
        const int r = std::min(TopRow() + 2, RowCount() - 1);
        SetTopRow(r <= 1 ? 1 : r - 1);
    }
    return true;
}

bool TSortGrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos) {
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    if (!handled) {
        const int r = std::max(1, TopRow() - 2);
        SetTopRow(r <= 1 ? 1 : r - 1);
    }
    return true;
}

void TSortGrid::contextMenuEvent(QContextMenuEvent* e) {
    const TGridCoord hit = MouseCoord(e->pos().x(), e->pos().y());
    if (hit.Y >= 1 && PopupMenu()) {
        TMyStringGrid::contextMenuEvent(e);
        return;
    }
    e->ignore();
}

// ---- Keys ----

void TSortGrid::keyPressEvent(QKeyEvent* e) {
    // Space on a check-box, list or ellipsis cell uses the cell; it types nothing.
    if (e->key() == Qt::Key_Space && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        !EditorMode() && Row() >= 1) {
        const TCellFormat f = GetCellFormat(Col(), Row());
        if (f.CheckBox || f.Combobox || f.Ellipsis) {
            e->accept();
            if (f.CheckBox) SetChecked(Col(), Row(), !IsChecked(Col(), Row()));
            else if (f.Combobox) DropDown(Col(), Row());
            else if (OnSetEllipsis) OnSetEllipsis(this, Col(), Row());
            return;
        }
    }
    TMyStringGrid::keyPressEvent(e);
}

void TSortGrid::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_TAB) tabDown_ = true;
    if (extendedKeys_ && !EditorMode() && Shift.Contains(ssCtrl) &&
        (Key == VK_INSERT || Key == VK_DELETE)) {
        const bool cols = Shift.Contains(ssShift);
        if (Key == VK_INSERT) {
            if (cols) InsertColumn(Col());
            else InsertRow(Row());
        } else if (cols) {
            if (ColCount() >= 2) DeleteColumn(Col());
        } else if (RowCount() >= 3) {
            DeleteRow(Row());
        }
        Key = 0;
        return;
    }
    if (multiSelect_ && !EditorMode() && Shift.Contains(ssShift)) {
        if (Key == VK_SHIFT) {
            SetOptions(Options() | goRangeSelect);
            ClearSelection();
        }
        if (anchors_.empty()) anchors_.push_back(Row());
        else anchors_[0] = Row();
    }
    const int oldRow = Row();
    TMyStringGrid::KeyDown(Key, Shift);
    if (Row() != oldRow && IsNavigationKey(Key) && !Shift.Contains(ssShift) &&
        !Shift.Contains(ssCtrl)) {
        SelectOnly(Row());
        if (OnRowSelected) OnRowSelected(this);
    }
}

void TSortGrid::KeyUp(Word& Key, TShiftState Shift) {
    if (Key == VK_TAB) tabDown_ = false;
    if (multiSelect_ && !EditorMode()) {
        const TGridRect sel = Selection();
        if (Key == VK_SHIFT) {
            if (selectedRows_.empty()) {
                for (int r = std::max(1, sel.Top); r <= sel.Bottom; ++r) AddSelected(r);
                if (!anchors_.empty() && anchors_[0] < 0) anchors_.erase(anchors_.begin());
            }
        } else if (IsNavigationKey(Key) && !Shift.Contains(ssShift)) {
            ClearSelection();
            anchors_.clear();
            for (int r = std::max(1, sel.Top); r <= sel.Bottom; ++r) AddSelected(r);
            if (anchors_.empty()) anchors_.push_back(-1);
            SetOptions(Options() - goRangeSelect);
        }
        if (OnRowSelected) OnRowSelected(this);
    }
    TMyStringGrid::KeyUp(Key, Shift);
}

void TSortGrid::KeyPress(QChar& Key) {
    if (Key == QChar('\r')) ValidateEdit();
    TMyStringGrid::KeyPress(Key);
    if (Key.isNull() || EditorMode() || Key.unicode() < 32) return;
    TypeAhead(Key);
}

void TSortGrid::TypeAhead(QChar Ch) {
    if (RowCount() < 2) return;
    const QString c = QString(Ch).toUpper();
    const int col = sortOptions_.SortCol;
    auto matches = [&](int r) { return Cells(col, r).toUpper().startsWith(c); };
    int found = -1;
    for (int r = Row() + 1; r < RowCount() && found < 0; ++r)
        if (matches(r)) found = r;
    for (int r = 1; r <= Row() && r < RowCount() && found < 0; ++r)
        if (matches(r)) found = r;
    if (found < 0) return;
    SelectCell(Col(), found, true);
    if (OnRowSelected) OnRowSelected(this);
}

// ---- The drop-down list of list cells ----

void TSortGrid::DropDown(int ACol, int ARow) {
    if (!OnGetComboBox || !list_) return;
    QStringList strs;
    int width = 0, height = 0;
    bool sorted = true;
    OnGetComboBox(this, ACol, ARow, strs, width, height, sorted);
    if (strs.isEmpty()) return;
    QWidget* form = window();
    if (list_->parent() != form) list_->setParent(form);
    list_->setSortingEnabled(sorted);
    list_->clear();
    list_->addItems(strs);
    QList<QListWidgetItem*> same = list_->findItems(Cells(ACol, ARow), Qt::MatchExactly);
    list_->setCurrentItem(same.isEmpty() ? list_->item(0) : same.first());
    const QRect cell = CellRect(ACol, ARow);
    const QPoint at = viewport()->mapTo(form, cell.topLeft()) + QPoint(2, 1);
    const int itemHeight = std::max(1, list_->sizeHintForRow(0));
    const int n = int(strs.size());
    const int w = width != 0 ? width : cell.width() + 1;
    const int h = (height == 0 && n < 20) ? n * itemHeight + 5 : 20 * itemHeight + 5;
    list_->setGeometry(at.x(), at.y(), w, h);
    listCol_ = ACol;
    listRow_ = ARow;
    list_->show();
    list_->raise();
    list_->setFocus(Qt::OtherFocusReason);
}

void TSortGrid::CloseDropDown(bool Take) {
    if (!list_ || list_->isHidden() || closingList_) return;
    closingList_ = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{closingList_};
    const int c = listCol_, r = listRow_;
    QString entry;
    if (QListWidgetItem* it = list_->currentItem()) entry = it->text();
    listCol_ = listRow_ = -1;
    if (Take && c >= 0 && r >= 0) {
        if (entry != Cells(c, r)) SetModified(true);
        SetCells(c, r, entry);
    }
    list_->hide();
    InvalidateCol(c);
    setFocus(Qt::OtherFocusReason);
    if (Take && c >= 0 && OnSetComboBox) OnSetComboBox(this, c, r, entry);
}

bool TSortGrid::eventFilter(QObject* watched, QEvent* e) {
    // qobject_cast, not the pointer's own cast: the list may be half destroyed already.
    auto* lw = qobject_cast<QListWidget*>(watched);
    if (!lw && watched->parent()) {
        lw = qobject_cast<QListWidget*>(watched->parent());
        if (lw && watched != lw->viewport()) lw = nullptr;
    }
    if (lw && lw == listObject_) {
        switch (e->type()) {
        case QEvent::FocusOut: {
            // Another window's activation or a popup does not leave the list.
            const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
            if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason)
                CloseDropDown(true);
            break;
        }
        case QEvent::MouseButtonRelease:
            if (watched == lw->viewport()) {
                // The press has made its entry current by now.
                QWidget::eventFilter(watched, e);
                CloseDropDown(true);
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
                CloseDropDown(false);
                return true;
            }
            break;
        case QEvent::KeyRelease: {
            const int k = static_cast<QKeyEvent*>(e)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) {
                CloseDropDown(true);
                return true;
            }
            break;
        }
        default: break;
        }
    }
    return TMyStringGrid::eventFilter(watched, e);
}

}  // namespace kiv
