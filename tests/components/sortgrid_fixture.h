#pragma once
// A shown window with one sort grid (no frame, no scroll bars: the view is the grid's size)
// and a line edit to take the focus away; helpers to fill rows and read a column.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QtTest>
#include <utility>
#include <vector>

#include "components/SortGrid.h"
#include "platform/qt/TestHarness.h"

namespace kiv::sortgridtest {

// A list of texts written as {"a", "b"}.
inline QStringList L(std::initializer_list<const char*> items) {
    QStringList l;
    for (const char* s : items) l << QString::fromUtf8(s);
    return l;
}

// Opens the protected parts the tests look at.
class TestSortGrid : public TSortGrid {
public:
    using TCustomGrid::GridState;
    using TCustomGrid::RowHeightsLength;
    using TSortGrid::TSortGrid;
};

class SortGridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetSortFormatSettings(TFormatSettings());
        window.resize(520, 420);
        grid = new TestSortGrid(&window);
        grid->setObjectName("sgdTest");
        grid->SetBorderStyle(TCustomGrid::bsNone);
        grid->SetScrollBars(TCustomGrid::ssNone);
        grid->setGeometry(0, 0, 400, 300);
        other = new QLineEdit(&window);
        other->setGeometry(0, 380, 100, 24);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Header texts, then one row of texts per entry.
    void Fill(const QStringList& header, const std::vector<QStringList>& rows) {
        grid->SetColCount(int(header.size()));
        grid->SetRowCount(int(rows.size()) + 1);
        for (int c = 0; c < header.size(); ++c) grid->SetCells(c, 0, header[c]);
        for (size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c) grid->SetCells(c, int(r) + 1, rows[r][c]);
    }
    QStringList Column(int c) const {
        QStringList l;
        for (int r = 1; r < grid->RowCount(); ++r) l << grid->Cells(c, r);
        return l;
    }
    void Activate() {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        ASSERT_TRUE(grid->hasFocus());
    }
    QPoint Centre(int c, int r) const { return grid->CellRect(c, r).center(); }
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mouseClick(grid->viewport(), b, m, p);
    }
    void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, k, m);
    }

    TestEnvironment env;
    QWidget window;
    TestSortGrid* grid = nullptr;
    QLineEdit* other = nullptr;
};

}  // namespace kiv::sortgridtest
