#pragma once
// The address book's grid: two columns under one fixed header row, with the few row
// operations the book uses. Row select with range selection shows the chosen rows.
#include <QStringList>

#include "platform/qt/Grids.h"

namespace kiv {

class TAddressGrid : public TStringGrid {
    Q_OBJECT
public:
    explicit TAddressGrid(QWidget* parent = nullptr);

    // The header and one empty data row.
    void Clear();
    // The texts into a new last row; an empty last row is used instead.
    void AddRow(const QStringList& texts);
    bool RowEmpty(int row) const;
    bool RowSelected(int row) const;
    // A data row goes; with fewer than 3 rows the one data row is emptied instead.
    void DeleteDataRow(int row);
};

}  // namespace kiv
