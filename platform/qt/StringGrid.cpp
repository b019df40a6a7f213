// The draw grid's events and the string grid's cells: sparse storage by row and column,
// kept past the counts and carried along by row and column moves.
#include <QPainter>
#include <iterator>

#include "platform/qt/Grids.h"

namespace kiv {

// ---- TDrawGrid ----

TDrawGrid::TDrawGrid(QWidget* parent) : TCustomGrid(parent) {}

void TDrawGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, canSelect);
    return canSelect;
}

QString TDrawGrid::GetEditText(int ACol, int ARow) {
    QString value;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int FromIndex, int ToIndex) {
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ---- TStringGrid ----

TStringGrid::TStringGrid(QWidget* parent) : TDrawGrid(parent) {}

TStringGrid::Cell* TStringGrid::Find(int ACol, int ARow) {
    auto r = data_.find(ARow);
    if (r == data_.end()) return nullptr;
    auto c = r->second.find(ACol);
    return c == r->second.end() ? nullptr : &c->second;
}

const TStringGrid::Cell* TStringGrid::Find(int ACol, int ARow) const {
    return const_cast<TStringGrid*>(this)->Find(ACol, ARow);
}

TStringGrid::Cell& TStringGrid::Ensure(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
    return data_[ARow][ACol];
}

void TStringGrid::Prune(int ACol, int ARow) {
    auto r = data_.find(ARow);
    if (r == data_.end()) return;
    auto c = r->second.find(ACol);
    if (c != r->second.end() && c->second.text.isEmpty() && !c->second.object) r->second.erase(c);
    if (r->second.empty()) data_.erase(r);
}

void TStringGrid::CellChanged(int ACol, int ARow) {
    InvalidateCell(ACol, ARow);
    if (ACol == Col() && ARow == Row()) InvalidateEditor();
}

QString TStringGrid::Cells(int ACol, int ARow) const {
    const Cell* c = Find(ACol, ARow);
    return c ? c->text : QString();
}

void TStringGrid::SetCells(int ACol, int ARow, const QString& Value) {
    Cell& c = Ensure(ACol, ARow);
    if (c.text == Value) {
        Prune(ACol, ARow);
        return;
    }
    c.text = Value;
    Prune(ACol, ARow);
    CellChanged(ACol, ARow);
}

void* TStringGrid::Objects(int ACol, int ARow) const {
    const Cell* c = Find(ACol, ARow);
    return c ? c->object : nullptr;
}

void TStringGrid::SetObjects(int ACol, int ARow, void* Value) {
    Ensure(ACol, ARow).object = Value;
    Prune(ACol, ARow);
}

QStringList TStringGrid::Rows(int ARow) const {
    QStringList l;
    for (int c = 0; c < ColCount(); ++c) l << Cells(c, ARow);
    return l;
}

void TStringGrid::SetRows(int ARow, const QStringList& Value) {
    for (int c = 0; c < ColCount(); ++c) SetCells(c, ARow, c < Value.size() ? Value[c] : QString());
}

QStringList TStringGrid::Cols(int ACol) const {
    QStringList l;
    for (int r = 0; r < RowCount(); ++r) l << Cells(ACol, r);
    return l;
}

void TStringGrid::SetCols(int ACol, const QStringList& Value) {
    for (int r = 0; r < RowCount(); ++r) SetCells(ACol, r, r < Value.size() ? Value[r] : QString());
}

void TStringGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    if (DefaultDrawing()) {
        const QString text = Cells(ACol, ARow);
        if (!text.isEmpty()) {
            QPainter* p = Canvas();
            p->save();
            p->setClipRect(ARect, Qt::IntersectClip);
            p->drawText(ARect.adjusted(2, 2, 0, 0),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            p->restore();
        }
    }
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

QString TStringGrid::GetEditText(int ACol, int ARow) {
    QString value = Cells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    if (Value != Cells(ACol, ARow)) SetCells(ACol, ARow, Value);
    TDrawGrid::SetEditText(ACol, ARow, Value);
}

template <class Map>
void TStringGrid::Rotate(Map& m, int FromIndex, int ToIndex) {
    const int lo = std::min(FromIndex, ToIndex), hi = std::max(FromIndex, ToIndex);
    std::vector<typename Map::node_type> nodes;
    for (auto it = m.lower_bound(lo); it != m.end() && it->first <= hi;) {
        auto next = std::next(it);
        nodes.push_back(m.extract(it));
        it = next;
    }
    for (auto& n : nodes) {
        int k = n.key();
        if (k == FromIndex) k = ToIndex;
        else k += FromIndex < ToIndex ? -1 : 1;
        n.key() = k;
        m.insert(std::move(n));
    }
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
    for (auto& [row, cols] : data_) Rotate(cols, FromIndex, ToIndex);
    Invalidate();
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
    Rotate(data_, FromIndex, ToIndex);
    Invalidate();
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}

}  // namespace kiv
