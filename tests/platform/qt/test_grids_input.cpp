// The grid under the mouse and the keyboard: the cell-selection veto before OnMouseDown,
// clicks, double clicks, the wheel, the grid keys, the in-place editor's keys, focus,
// sizing and moving by the mouse.
#include <QWheelEvent>

#include "tests/platform/qt/test_grids_fixture.h"

namespace kiv::gridtest {
namespace {

using GridInput = GridFixture;

QString CellText(int c, int r) { return QString("%1,%2").arg(c).arg(r); }

TEST_F(GridInput, SelectCellVetoComesBeforeMouseDownAndStopsTheMove) {
    grid->SetRowCount(6);
    grid->setGeometry(0, 0, 300, 200);
    std::vector<std::string> log;
    grid->OnSelectCell = [&](TCustomGrid*, int c, int r, bool& CanSelect) {
        log.push_back("select " + std::to_string(c) + "," + std::to_string(r));
        CanSelect = r != 3;
    };
    grid->OnMouseDown = [&](TCustomGrid* g, TCustomGrid::TMouseButton b, TShiftState, int, int) {
        log.push_back("down row " + std::to_string(g->Row()) +
                      (b == TCustomGrid::mbLeft ? " left" : " other"));
    };
    grid->OnClick = [&](TCustomGrid*) { log.push_back("click"); };

    Click(2, 3);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"select 2,3", "down row 1 left", "click"}));

    log.clear();
    Click(2, 4);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->Col(), 2);
    // The handler of the mouse-down already sees the new current cell.
    EXPECT_EQ(log, (std::vector<std::string>{"select 2,4", "down row 4 left", "click"}));

    // Setting the row by code asks the check too, and a refusal keeps the row.
    log.clear();
    grid->SetRow(3);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(log.front(), "select 2,3");
    // So do the keys.
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->Row(), 4);

    // A click on a fixed cell selects nothing; the right button selects nothing.
    log.clear();
    Click(0, 2);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, Centre(1, 2));
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(log, (std::vector<std::string>{"down row 4 left", "down row 4 other"}));
}

TEST_F(GridInput, DoubleClickFiresDblClickThenMouseDownWithDouble) {
    grid->SetRowCount(6);
    grid->setGeometry(0, 0, 300, 200);
    std::vector<std::string> log;
    grid->OnDblClick = [&](TCustomGrid*) { log.push_back("dbl"); };
    grid->OnMouseDown = [&](TCustomGrid*, TCustomGrid::TMouseButton, TShiftState s, int, int) {
        log.push_back(s.Contains(ssDouble) ? "down double" : "down");
    };
    grid->OnMouseUp = [&](TCustomGrid*, TCustomGrid::TMouseButton, TShiftState, int, int) {
        log.push_back("up");
    };
    // What the window system delivers: press, release, double-click, release.
    const QPoint at = Centre(1, 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "dbl", "down double", "up"}));
}

TEST_F(GridInput, DragSelectsARangeOrMovesTheCurrentCell) {
    grid->SetRowCount(6);
    grid->setGeometry(0, 0, 300, 200);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, Centre(1, 1));
    QTest::mouseMove(grid->viewport(), Centre(2, 3));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, Centre(2, 3));
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 3}));
    EXPECT_EQ(grid->Row(), 1);

    // Without range selection the drag moves the current cell, asking the check each time.
    grid->SetOptions(grid->Options() - goRangeSelect);
    int asked = 0;
    grid->OnSelectCell = [&](TCustomGrid*, int, int, bool&) { ++asked; };
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, Centre(1, 1));
    QTest::mouseMove(grid->viewport(), Centre(1, 2));
    QTest::mouseMove(grid->viewport(), Centre(1, 3));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, Centre(1, 3));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 3, 1, 3}));
    EXPECT_EQ(asked, 3);

    // A drag taking the mouse away (the view hears a leave) ends the selecting.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, Centre(1, 1));
    ASSERT_EQ(grid->GridState(), gsSelecting);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid->viewport(), &leave);
    EXPECT_EQ(grid->GridState(), gsNormal);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, Centre(1, 1));
}

void SendWheel(QWidget* target, QPoint at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
}

TEST_F(GridInput, WheelNotchesAreEventsAndOtherwiseMoveTheRow) {
    grid->SetRowCount(8);
    SendWheel(grid->viewport(), QPoint(80, 40), -240);  // two notches down
    EXPECT_EQ(grid->Row(), 3);
    SendWheel(grid->viewport(), QPoint(80, 40), 60);  // half a notch: nothing yet
    EXPECT_EQ(grid->Row(), 3);
    SendWheel(grid->viewport(), QPoint(80, 40), 60);
    EXPECT_EQ(grid->Row(), 2);

    int downs = 0;
    grid->OnMouseWheelDown = [&](TCustomGrid*, TShiftState, QPoint, bool& Handled) {
        ++downs;
        Handled = true;
    };
    SendWheel(grid->viewport(), QPoint(80, 40), -120);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(grid->Row(), 2);
    // Up at the first scrolling row stays there.
    grid->SetRow(1);
    SendWheel(grid->viewport(), QPoint(80, 40), 120);
    EXPECT_EQ(grid->Row(), 1);
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int col, row, top;
};

TEST_F(GridInput, WindowsGridKeys) {
    // 6 columns x 30 rows of 64 x 24 with lines, one fixed of each; the view shows rows
    // 1..4 fully (25 pixels each under a 25-pixel fixed row).
    grid->SetColCount(6);
    grid->SetRowCount(30);
    grid->setGeometry(0, 0, 200, 130);
    const KeyCase cases[] = {
        {"Down", Qt::Key_Down, {}, 2, 6, 3},
        {"Up", Qt::Key_Up, {}, 2, 4, 2},
        {"Right", Qt::Key_Right, {}, 3, 5, 2},
        {"Left", Qt::Key_Left, {}, 1, 5, 2},
        {"Home", Qt::Key_Home, {}, 1, 5, 2},
        {"End", Qt::Key_End, {}, 5, 5, 2},
        {"PageDown", Qt::Key_PageDown, {}, 2, 8, 5},
        {"PageUp", Qt::Key_PageUp, {}, 2, 2, 1},
        {"CtrlHome", Qt::Key_Home, Qt::ControlModifier, 1, 1, 1},
        {"CtrlEnd", Qt::Key_End, Qt::ControlModifier, 5, 29, 26},
        {"CtrlPageUp", Qt::Key_PageUp, Qt::ControlModifier, 2, 2, 2},
        {"CtrlPageDown", Qt::Key_PageDown, Qt::ControlModifier, 2, 5, 2},
        {"CtrlDown", Qt::Key_Down, Qt::ControlModifier, 2, 5, 3},
    };
    for (const auto& c : cases) {
        grid->SetCol(2);
        grid->SetRow(5);
        grid->SetLeftCol(1);
        grid->SetTopRow(2);
        ASSERT_EQ(grid->TopRow(), 2);
        ASSERT_EQ(grid->LeftCol(), 1);
        QTest::keyClick(grid, c.key, c.mods);
        EXPECT_EQ(grid->Col(), c.col) << c.name;
        EXPECT_EQ(grid->Row(), c.row) << c.name;
        EXPECT_EQ(grid->TopRow(), c.top) << c.name;
    }
    // Shift with an arrow extends the range from the anchor.
    grid->SetRow(5);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 5, 3, 6}));
}

TEST_F(GridInput, KeyEventsCarryWindowsCodesAndTheHandlerCanTakeTheKey) {
    grid->SetRowCount(6);
    std::vector<std::pair<Word, uint8_t>> downs;
    std::vector<Word> ups;
    QString typed;
    auto modifier = [](Word k) { return k == VK_SHIFT || k == VK_CONTROL || k == VK_MENU; };
    grid->OnKeyDown = [&](TCustomGrid*, Word& Key, TShiftState Shift) {
        if (modifier(Key)) return;
        downs.emplace_back(Key, Shift.Bits());
        if (Key == VK_DOWN && Shift.Contains(ssCtrl) && Shift.Contains(ssShift)) Key = 0;
    };
    grid->OnKeyUp = [&](TCustomGrid*, Word& Key, TShiftState) {
        if (!modifier(Key)) ups.push_back(Key);
    };
    grid->OnKeyPress = [&](TCustomGrid*, QChar& Key) { typed += Key; };
    QTest::keyClick(grid, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->Row(), 1);  // taken by the handler
    QTest::keyClick(grid, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(grid, Qt::Key_A);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0], std::make_pair(Word(VK_DOWN), (ssCtrl | ssShift).Bits()));
    EXPECT_EQ(downs[1].first, VK_ADD);
    EXPECT_EQ(downs[2].first, Word('A'));
    EXPECT_EQ(ups, (std::vector<Word>{VK_DOWN, VK_ADD, Word('A')}));
    EXPECT_EQ(typed, "+a");

    // An auto-repeat release is no key-up: a held key is one press.
    QKeyEvent rel(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, "b", true);
    QApplication::sendEvent(grid, &rel);
    EXPECT_EQ(ups.size(), 3u);
}

TEST_F(GridInput, TabMovesBetweenCellsOnlyWithGoTabs) {
    grid->SetColCount(4);
    grid->SetTabStops(2, false);
    Activate();
    grid->SetCol(1);
    grid->SetRow(1);
    Key(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), grid);  // the focus went on

    grid->SetOptions(grid->Options() | goTabs);
    grid->setFocus();
    Key(Qt::Key_Tab);  // column 2 is no tab stop
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    Key(Qt::Key_Tab);  // wraps to the next row
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 2);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Selection(), (TGridRect{3, 1, 3, 1}));  // Shift+Tab does not extend
}

// ---- The in-place editor ----

class GridEditor : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        grid->SetColCount(4);
        grid->SetRowCount(6);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 6; ++r) grid->SetCells(c, r, CellText(c, r));
        grid->SetOptions(grid->Options() | goEditing);
        grid->OnSetEditText = [this](TCustomGrid*, int c, int r, const QString& v) {
            sets.push_back(CellText(c, r) + "=" + v);
        };
        Activate();
        grid->SetCol(1);
        grid->SetRow(1);
    }
    TInplaceEdit* Editor() const { return grid->InplaceEditor(); }
    bool EditorShown() const { return Editor() && Editor()->isVisible(); }

    QStringList sets;
};

TEST_F(GridEditor, F2OpensWithTheCaretAtTheEndAndTypingWritesTheCell) {
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(QApplication::focusWidget(), Editor());
    EXPECT_EQ(Editor()->geometry(), grid->CellRect(1, 1));
    EXPECT_EQ(Editor()->text(), "1,1");
    EXPECT_FALSE(Editor()->hasSelectedText());
    Type("x");
    EXPECT_EQ(grid->Cells(1, 1), "1,1x");
    EXPECT_EQ(sets, QStringList({"1,1=1,1x"}));
    Key(Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(grid->Cells(1, 1), "1,1x");
    EXPECT_EQ(sets.size(), 1);  // nothing new to write at the end
}

TEST_F(GridEditor, TypingOnTheGridReplacesTheText) {
    Type("Zq");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->text(), "Zq");
    EXPECT_EQ(grid->Cells(1, 1), "Zq");
}

TEST_F(GridEditor, EnterOpensWithAllSelected) {
    Key(Qt::Key_Return);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->selectedText(), "1,1");
}

TEST_F(GridEditor, EscPutsBackTheTextTheCellHad) {
    Key(Qt::Key_F2);
    Type("def");
    EXPECT_EQ(grid->Cells(1, 1), "1,1def");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(EditorShown());
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Cells(1, 1), "1,1");
    EXPECT_EQ(sets.last(), "1,1=1,1");
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

TEST_F(GridEditor, HomeEndLeftRightStayWithTheEditor) {
    Key(Qt::Key_F2);
    Key(Qt::Key_Home);
    EXPECT_EQ(Editor()->cursorPosition(), 0);
    Key(Qt::Key_Right);
    Key(Qt::Key_End);
    Key(Qt::Key_Right);  // at the end of the text: still the editor's
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_TRUE(EditorShown());
    Type("!");
    EXPECT_EQ(grid->Cells(1, 1).count('!'), 1);
}

TEST_F(GridEditor, UpDownAndPageKeysEndTheEditAndMove) {
    std::vector<Word> gridKeys;
    grid->OnKeyDown = [&](TCustomGrid*, Word& Key, TShiftState) { gridKeys.push_back(Key); };
    Key(Qt::Key_F2);
    Type("+");
    Key(Qt::Key_Down);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "1,1+");
    EXPECT_EQ(QApplication::focusWidget(), grid);
    // Every key reached the grid's OnKeyDown, also those the editor kept.
    EXPECT_EQ(gridKeys, (std::vector<Word>{VK_F2, VK_OEM_PLUS, VK_DOWN}));
}

TEST_F(GridEditor, ClickOnTheCurrentCellEditsAndElsewhereMoves) {
    Click(1, 1);
    ASSERT_TRUE(EditorShown());
    Type("?");
    Click(2, 3);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid->Cells(1, 1), "?");
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(GridEditor, GetEditTextAndReadOnlyCells) {
    grid->OnGetEditText = [](TCustomGrid*, int, int, QString& Value) { Value = "edit:" + Value; };
    Key(Qt::Key_F2);
    EXPECT_EQ(Editor()->text(), "edit:1,1");
    Key(Qt::Key_Escape);

    // Switching editing off at run time hides the editor; typing is then a key press.
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    grid->SetOptions(grid->Options() - goEditing);
    EXPECT_FALSE(EditorShown());
    EXPECT_FALSE(grid->EditorMode());
    QString typed;
    grid->OnKeyPress = [&](TCustomGrid*, QChar& Key) { typed += Key; };
    Type("k");
    EXPECT_EQ(typed, "k");
    EXPECT_FALSE(EditorShown());
}

TEST_F(GridEditor, ProgrammaticCellChangeReloadsTheEditor) {
    Key(Qt::Key_F2);
    grid->SetCells(1, 1, "new");
    EXPECT_EQ(Editor()->text(), "new");
    EXPECT_TRUE(sets.isEmpty());
}

TEST_F(GridEditor, EditorFollowsScrolling) {
    grid->SetRowCount(40);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    grid->SetTopRow(3);  // row 1 scrolled away
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(QApplication::focusWidget(), grid);
    grid->SetTopRow(1);
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->geometry(), grid->CellRect(1, 1));
}

TEST_F(GridEditor, DestroyedWhileItsEditorHasTheFocus) {
    int exits = 0;
    grid->OnExit = [&](TCustomGrid*) { ++exits; };
    Key(Qt::Key_F2);
    ASSERT_EQ(QApplication::focusWidget(), Editor());
    delete grid;
    grid = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(exits, 0);  // no event from a grid that is going away
    other->setFocus();
}

// ---- Focus ----

TEST_F(GridEditor, EnterAndExitCountOnlyLeavingTheGridAndItsEditor) {
    std::vector<std::string> log;
    grid->OnEnter = [&](TCustomGrid*) { log.push_back("enter"); };
    grid->OnExit = [&](TCustomGrid*) { log.push_back("exit"); };
    Key(Qt::Key_F2);      // the focus goes into the editor
    Key(Qt::Key_Return);  // and back to the grid
    EXPECT_TRUE(log.empty());
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(log, (std::vector<std::string>{"exit"}));
    grid->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(log, (std::vector<std::string>{"exit", "enter"}));
    Key(Qt::Key_F2);
    other->setFocus(Qt::TabFocusReason);  // straight from the editor
    EXPECT_EQ(log, (std::vector<std::string>{"exit", "enter", "exit"}));

    // A control of the grid's own other than its cell editor is not the grid.
    log.clear();
    grid->setFocus(Qt::MouseFocusReason);
    auto* child = new QLineEdit(grid);
    child->setGeometry(10, 10, 40, 20);
    child->show();
    child->setFocus(Qt::MouseFocusReason);
    grid->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "exit", "enter"}));
}

// ---- Sizing and moving by the mouse ----

TEST_F(GridInput, ColumnSizingInTheFixedRow) {
    grid->SetOptions(grid->Options() | goColSizing);
    grid->setGeometry(0, 0, 400, 150);
    // Column 1 ends at 65 + 64 = 129; its border is grabbed a little inside.
    const int border = 129;
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(border - 1, 10));
    EXPECT_EQ(grid->GridState(), gsColSizing);
    EXPECT_EQ(grid->SizingIndex(), 1);
    QTest::mouseMove(grid->viewport(), QPoint(border + 29, 10));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(border + 29, 10));
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->ColWidths(1), 94);
    // Below the fixed row the same place is a cell.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(border + 29, 40));
    EXPECT_EQ(grid->GridState(), gsSelecting);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(border + 29, 40));

    // Sizing ended by the focus going elsewhere applies nothing.
    Activate();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(border + 29, 10));
    ASSERT_EQ(grid->GridState(), gsColSizing);
    QTest::mouseMove(grid->viewport(), QPoint(border + 60, 10));
    other->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(grid->GridState(), gsNormal);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(border + 60, 10));
    EXPECT_EQ(grid->ColWidths(1), 94);
}

TEST_F(GridInput, RowMovingInTheFixedColumn) {
    grid->SetRowCount(6);
    for (int r = 0; r < 6; ++r) grid->SetCells(1, r, QString::number(r));
    grid->setGeometry(0, 0, 200, 200);
    grid->SetOptions(grid->Options() | goRowMoving);
    std::vector<std::pair<int, int>> moves;
    grid->OnRowMoved = [&](TCustomGrid*, int f, int t) { moves.emplace_back(f, t); };
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, Centre(0, 1));
    EXPECT_EQ(grid->GridState(), gsRowMoving);
    QTest::mouseMove(grid->viewport(), Centre(0, 3));
    QTest::mouseMove(grid->viewport(), Centre(0, 4));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, Centre(0, 4));
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_pair(1, 4));
    EXPECT_EQ(grid->Cols(1), QStringList({"0", "2", "3", "4", "1", "5"}));
}

}  // namespace
}  // namespace kiv::gridtest
