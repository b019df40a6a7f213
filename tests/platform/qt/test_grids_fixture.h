#pragma once
// A shown window holding one string grid (no frame, no scroll bars unless a test turns
// them on, so the view is exactly the grid's size) and a line edit to take the focus away.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QtTest>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/Grids.h"

namespace kiv::gridtest {

// Opens the protected parts the derived grids use.
class TestGrid : public TStringGrid {
public:
    using TCustomGrid::ApplySizeChange;
    using TCustomGrid::ColWidthsLength;
    using TCustomGrid::DeleteColumn;
    using TCustomGrid::DeleteRow;
    using TCustomGrid::GridState;
    using TCustomGrid::MoveColumn;
    using TCustomGrid::MoveRow;
    using TCustomGrid::RowHeightsLength;
    using TCustomGrid::SizingIndex;
    using TStringGrid::TStringGrid;

    std::vector<std::pair<int, int>> sizeChanges;  // the old counts of each notification
    int topLeftChanges = 0;
    bool defer = false;

protected:
    void SizeChanged(int OldColCount, int OldRowCount) override {
        sizeChanges.emplace_back(OldColCount, OldRowCount);
        TStringGrid::SizeChanged(OldColCount, OldRowCount);
    }
    void TopLeftChanged() override {
        ++topLeftChanges;
        TStringGrid::TopLeftChanged();
    }
    bool SizeChangeDeferred() const override { return defer; }
};

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(420, 320);
        grid = new TestGrid(&window);
        grid->setObjectName("sgdTest");
        grid->SetBorderStyle(TCustomGrid::bsNone);
        grid->SetScrollBars(TCustomGrid::ssNone);
        grid->setGeometry(0, 0, 200, 100);
        other = new QLineEdit(&window);
        other->setGeometry(0, 280, 100, 24);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // One column, no fixed cells, no lines: rows `h` pixels high in a view `viewH` high.
    void MakeList(int rows, int h, int viewH, int width = 200) {
        grid->SetOptions(TGridOptions());
        grid->SetColCount(1);
        grid->SetFixedCols(0);
        grid->SetRowCount(rows);
        grid->SetFixedRows(0);
        grid->SetDefaultRowHeight(h);
        grid->SetDefaultColWidth(width);
        grid->setGeometry(0, 0, width, viewH);
    }

    void Activate() {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        ASSERT_TRUE(grid->hasFocus());
    }

    QPoint Centre(int c, int r) const { return grid->CellRect(c, r).center(); }
    void Click(int c, int r, Qt::KeyboardModifiers m = {}) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, m, Centre(c, r));
    }
    // The widget that has the focus now gets the key.
    void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, k, m);
    }
    void Type(const QString& s) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, s);
    }
    QImage Snapshot() { return grid->viewport()->grab().toImage(); }

    QWidget window;
    TestGrid* grid = nullptr;
    QLineEdit* other = nullptr;
};

}  // namespace kiv::gridtest
