#include "email/AddressGrid.h"

namespace kiv {

TAddressGrid::TAddressGrid(QWidget* parent) : TStringGrid(parent) {
    SetColCount(2);
    SetRowCount(2);
    SetFixedCols(0);
    SetFixedRows(1);
    SetDefaultColWidth(150);
    SetDefaultRowHeight(18);
}

void TAddressGrid::Clear() {
    for (int r = 1; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c) SetCells(c, r, QString());
    SetRowCount(2);
    SetRow(1);
}

bool TAddressGrid::RowEmpty(int row) const {
    for (int c = 0; c < ColCount(); ++c)
        if (!Cells(c, row).isEmpty()) return false;
    return true;
}

void TAddressGrid::AddRow(const QStringList& texts) {
    if (!RowEmpty(RowCount() - 1)) SetRowCount(RowCount() + 1);
    SetRows(RowCount() - 1, texts);
}

bool TAddressGrid::RowSelected(int row) const {
    const TGridRect s = Selection();
    return row >= 1 && row >= s.Top && row <= s.Bottom;
}

void TAddressGrid::DeleteDataRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    if (RowCount() < 3) {
        SetRows(row, {});
        return;
    }
    DeleteRow(row);
}

}  // namespace kiv
