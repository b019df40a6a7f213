// The sort grid's cells and input: header shortening, row formats, check-box and list
// cells, keyboard insertion, type-ahead, validation, multi-row selection, the wheel,
// column sizing and proportional scroll bars.
#include <QListWidget>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <cmath>

#include "tests/components/sortgrid_fixture.h"

using namespace kiv;
using namespace kiv::sortgridtest;

namespace {
class SortGridCells : public SortGridFixture {
protected:
    // Column `col` of every data row is of the kind.
    void Kind(int col, bool check, bool combo, bool ellipsis) {
        grid->OnGetCellFormat = [=](TSortGrid*, int c, int r, TGridDrawState, TFormatOptions&,
                                    bool& ch, bool& co, bool& el) {
            if (r < 1 || c != col) return;
            ch = check;
            co = combo;
            el = ellipsis;
        };
    }
};
}  // namespace

TEST(SortGridText, HeaderShorteningKeepsTheDots) {
    auto tenEach = [](const QString& s) { return int(s.size()) * 10; };
    struct Case {
        const char* text;
        int avail;
        const char* shown;
    } cases[] = {
        {"ABC", 30, "ABC"},    {"ABCDEF", 50, "ABC.."}, {"ABCDEF", 40, "AB.."},
        {"ABCDEF", 25, "A.."}, {"AB", 10, ".."},        {"ABCDEF", 60, "ABCDEF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortenHeaderText(c.text, c.avail, tenEach), c.shown) << c.text;
}

TEST(SortGridText, RowFormatTexts) {
    TFontSetting f;
    ASSERT_TRUE(ParseRowFormat("clRed,1,0,1,clWhite", f));
    EXPECT_EQ(f.FontColor, clRed);
    EXPECT_TRUE(f.Bold);
    EXPECT_FALSE(f.Italic);
    EXPECT_TRUE(f.Underline);
    EXPECT_EQ(f.BackgroundColor, clWhite);
    EXPECT_TRUE(f.InUse);
    ASSERT_TRUE(ParseRowFormat("255,0,1,0,$00FFFFFF", f));
    EXPECT_EQ(f.FontColor, clRed);
    EXPECT_TRUE(f.Italic);
    for (const char* bad :
         {"", "clRed,1,0,1", "clRed,1,0,1,clWhite,1", "clPink,1,0,1,clWhite", "clRed,1,0,1,"}) {
        TFontSetting g;
        EXPECT_FALSE(ParseRowFormat(bad, g)) << bad;
        EXPECT_FALSE(g.InUse);
    }
}

TEST_F(SortGridCells, CellFormatDefaultsAndDrawState) {
    Fill(L({"a", "b"}), {L({"1", "2"}), L({"3", "4"})});
    grid->SetBevelStyle(cbRaised);
    grid->SetAlignmentHorz(taCenter);
    std::vector<TGridDrawState> states;
    grid->OnGetCellFormat = [&](TSortGrid*, int, int, TGridDrawState s, TFormatOptions&, bool&,
                                bool&, bool&) { states.push_back(s); };
    Activate();
    grid->SelectCell(1, 2, false);
    states.clear();
    TCellFormat f = grid->GetCellFormat(1, 2);
    EXPECT_EQ(f.FormatOptions.AlignmentHorz, taCenter);
    EXPECT_EQ(f.FormatOptions.AlignmentVert, taTopJustify);
    EXPECT_EQ(f.FormatOptions.Bevel, cbRaised);
    EXPECT_EQ(f.FormatOptions.HighlightColor, clBtnHighlight);
    EXPECT_EQ(f.FormatOptions.ShadowColor, clBtnShadow);
    EXPECT_FALSE(f.FormatOptions.HideText);
    EXPECT_FALSE(f.CheckBox || f.Combobox || f.Ellipsis);
    grid->GetCellFormat(0, 1);
    ASSERT_EQ(states.size(), 2u) << "painting went on meanwhile";
    EXPECT_TRUE(states[0].Contains(gdSelected) && states[0].Contains(gdFocused));
    EXPECT_FALSE(states[1].Contains(gdSelected) || states[1].Contains(gdFocused) ||
                 states[1].Contains(gdFixed));
    grid->SetBevelStyle(cbLowered);
    f = grid->GetCellFormat(0, 1);
    EXPECT_EQ(f.FormatOptions.HighlightColor, clBtnShadow);
    EXPECT_EQ(f.FormatOptions.ShadowColor, clBtnHighlight);
}

TEST_F(SortGridCells, CheckBoxesToggleBySpaceAndClick) {
    Fill(L({"name", "on"}), {L({"a", "true"}), L({"b", ""})});
    Kind(1, true, false, false);
    std::vector<std::pair<int, bool>> changes;
    grid->OnSetChecked = [&](TSortGrid*, int c, int r, bool s) {
        EXPECT_EQ(c, 1);
        changes.emplace_back(r, s);
    };
    Activate();
    grid->SelectCell(1, 1, false);
    EXPECT_TRUE(grid->IsChecked(1, 1));
    Key(Qt::Key_Space);
    EXPECT_EQ(grid->Cells(1, 1), "");
    EXPECT_FALSE(grid->IsChecked(1, 1));
    Key(Qt::Key_Space);
    EXPECT_EQ(grid->Cells(1, 1), "true");
    Click(Centre(1, 2));
    EXPECT_EQ(grid->Cells(1, 2), "true");
    EXPECT_EQ(changes, (std::vector<std::pair<int, bool>>{{1, false}, {1, true}, {2, true}}));
    // Not a check-box cell: nothing changes.
    grid->SetChecked(0, 1, true);
    EXPECT_EQ(grid->Cells(0, 1), "a");
    EXPECT_FALSE(grid->IsChecked(0, 1));
}

TEST_F(SortGridCells, ListCellsDropDownOverTheCellSortedAndWriteTheirCell) {
    std::vector<QStringList> rows;
    for (int i = 0; i < 30; ++i) rows.push_back(L({"row", "Mid"}));
    Fill(L({"name", "kind"}), rows);
    grid->SetColWidths(1, 120);
    Kind(1, false, true, false);
    QStringList entries = L({"Zeta", "Alpha", "Mid"});
    int width = 0;
    std::vector<std::tuple<int, int, QString>> chosen;
    grid->OnGetComboBox = [&](TSortGrid*, int, int, QStringList& s, int& w, int& h, bool& sorted) {
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        EXPECT_TRUE(sorted);
        s = entries;
        w = width;
    };
    grid->OnSetComboBox = [&](TSortGrid*, int c, int r, const QString& e) {
        chosen.emplace_back(c, r, e);
    };
    Activate();
    grid->SelectCell(1, 2, false);
    Key(Qt::Key_Space);
    QListWidget* list = grid->DropDownList();
    ASSERT_FALSE(list->isHidden());
    EXPECT_EQ(list->parentWidget(), &window);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "Alpha");
    EXPECT_EQ(list->item(2)->text(), "Zeta");
    EXPECT_EQ(list->currentItem()->text(), "Mid");
    const QRect cell = grid->CellRect(1, 2);
    const QPoint at = grid->viewport()->mapTo(&window, cell.topLeft());
    const int itemHeight = list->sizeHintForRow(0);
    EXPECT_EQ(list->geometry(),
              QRect(at.x() + 2, at.y() + 1, cell.width() + 1, 3 * itemHeight + 5));
    EXPECT_TRUE(list->hasFocus());
    // The grid scrolls meanwhile; the entry still goes to the cell the list was opened for.
    grid->SetTopRow(10);
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(list->isHidden());
    EXPECT_EQ(grid->Cells(1, 2), "Zeta");
    EXPECT_TRUE(grid->Modified());
    EXPECT_TRUE(grid->hasFocus());
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], std::make_tuple(1, 2, QString("Zeta")));

    // A given width, and at most 20 entries high.
    entries.clear();
    for (int i = 0; i < 25; ++i) entries << QString("e%1").arg(i, 2, 10, QChar('0'));
    width = 77;
    grid->SelectCell(1, 3, false);
    Key(Qt::Key_Space);
    ASSERT_FALSE(list->isHidden());
    EXPECT_EQ(list->width(), 77);
    EXPECT_EQ(list->height(), 20 * itemHeight + 5);
    EXPECT_EQ(list->currentItem()->text(), "e00");  // no entry equals the cell: the first
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(list->isHidden());
    EXPECT_EQ(grid->Cells(1, 3), "Mid");

    // Nothing to choose from: no list.
    entries.clear();
    Key(Qt::Key_Space);
    EXPECT_TRUE(list->isHidden());
}

TEST_F(SortGridCells, EllipsisCellsFireBySpaceAndOnTheirButton) {
    Fill(L({"name", "more"}), {L({"a", ""}), L({"b", ""})});
    grid->SetColWidths(1, 100);
    Kind(1, false, false, true);
    std::vector<int> fired;
    grid->OnSetEllipsis = [&](TSortGrid*, int c, int r) { fired.push_back(c * 10 + r); };
    Activate();
    grid->SelectCell(1, 1, false);
    Key(Qt::Key_Space);
    const QRect r = grid->CellRect(1, 2);
    Click(QPoint(r.left() + 10, r.center().y()));  // makes it current, not on the button
    Click(QPoint(r.right() - 5, r.center().y()));
    EXPECT_EQ(fired, (std::vector<int>{11, 12}));
}

TEST_F(SortGridCells, ExtendedKeysInsertAndDeleteRowsAndColumns) {
    Fill(L({"a", "b"}), {L({"1", "x"}), L({"2", "y"})});
    Activate();
    grid->SelectCell(0, 2, false);
    Key(Qt::Key_Insert, Qt::ControlModifier);  // off: the library grid's keys
    EXPECT_EQ(grid->RowCount(), 3);
    grid->SetExtendedKeys(true);
    grid->SelectCell(0, 2, false);
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(Column(0), L({"1", "", "2"}));
    EXPECT_EQ(grid->Row(), 2);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Column(0), L({"1", "2"}));
    grid->SelectCell(0, 1, false);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Column(0), L({"2"}));
    Key(Qt::Key_Delete, Qt::ControlModifier);  // two rows in all: nothing
    EXPECT_EQ(Column(0), L({"2"}));
    grid->SelectCell(1, 1, false);
    Key(Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->Rows(1), L({"2", "", "y"}));
    Key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->Rows(1), L({"2", "y"}));
    grid->SetColCount(1);
    Key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);  // the last column stays
    EXPECT_EQ(grid->ColCount(), 1);
}

TEST_F(SortGridCells, TypeAheadFindsTheNextRowAndWraps) {
    Fill(L({"fruit"}), {L({"apple"}), L({"Banana"}), L({"avocado"}), L({"cherry"})});
    int selected = 0;
    grid->OnRowSelected = [&](TSortGrid*) { ++selected; };
    Activate();
    grid->SelectCell(0, 1, false);
    struct Step {
        Qt::Key key;
        int row;
    } steps[] = {{Qt::Key_A, 3}, {Qt::Key_A, 1}, {Qt::Key_B, 2},
                 {Qt::Key_Z, 2}, {Qt::Key_C, 4}, {Qt::Key_C, 4}};
    for (const Step& s : steps) {
        Key(s.key);
        EXPECT_EQ(grid->Row(), s.row);
        EXPECT_EQ(grid->SelectedRows(), QStringList{QString::number(s.row)});
    }
    EXPECT_EQ(selected, 5);
}

TEST_F(SortGridCells, ValidationRestoresTheOldTextAndModified) {
    Fill(L({"a", "b"}), {L({"old", "x"}), L({"two", "y"})});
    grid->SetOptions(grid->Options() | goEditing);
    std::vector<std::pair<QString, QString>> asked;
    grid->OnCellValidate = [&](TSortGrid*, int, int, const QString& oldValue, QString& newValue,
                               bool& valid) {
        asked.emplace_back(oldValue, newValue);
        if (newValue.contains('!')) valid = false;                  // refused as typed
        if (newValue.contains('?')) newValue = newValue.toUpper();  // mended
    };
    Activate();
    grid->SelectCell(0, 1, false);
    grid->SetModified(false);
    Key(Qt::Key_F2);
    Key(Qt::Key_Exclam);
    EXPECT_EQ(grid->Cells(0, 1), "old!");
    EXPECT_TRUE(grid->Modified());
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(0, 1), "old");
    EXPECT_FALSE(grid->Modified());

    Key(Qt::Key_F2);
    Key(Qt::Key_Question);
    Click(Centre(1, 2));
    EXPECT_EQ(grid->Cells(0, 1), "OLD?");
    EXPECT_TRUE(grid->Modified());
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(QString("old"), QString("old!")));
    EXPECT_EQ(asked[1], std::make_pair(QString("old"), QString("old?")));
    // Unchanged text: not asked.
    Key(Qt::Key_Return);
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(SortGridCells, MultiSelectByClickAndShiftArrows) {
    std::vector<QStringList> rows;
    for (int i = 1; i <= 6; ++i) rows.push_back(L({"r"}));
    Fill(L({"k"}), rows);
    grid->SetMultiSelect(true);
    EXPECT_TRUE(grid->Options().Contains(goRowSelect));
    int selected = 0;
    grid->OnRowSelected = [&](TSortGrid*) { ++selected; };
    Activate();
    Click(Centre(0, 3));
    EXPECT_EQ(grid->SelectedRows(), QStringList{"3"});
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_FALSE(grid->Options().Contains(goRangeSelect));
    EXPECT_EQ(selected, 1);

    for (bool shiftFirst : {true, false}) {
        grid->SelectCell(0, 3, false);
        QWidget* w = QApplication::focusWidget();
        QTest::keyPress(w, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyPress(w, Qt::Key_Down, Qt::ShiftModifier);
        if (shiftFirst) {
            QTest::keyRelease(w, Qt::Key_Shift);
            QTest::keyRelease(w, Qt::Key_Down);
        } else {
            QTest::keyRelease(w, Qt::Key_Down, Qt::ShiftModifier);
            QTest::keyRelease(w, Qt::Key_Shift);
        }
        QStringList sel = grid->SelectedRows();
        sel.sort();
        EXPECT_EQ(sel, L({"3", "4"})) << shiftFirst;
        EXPECT_TRUE(grid->RowSelected(4));
    }
    // A plain arrow leaves one row.
    Key(Qt::Key_Down);
    EXPECT_EQ(grid->SelectedRows(), QStringList{QString::number(grid->Row())});
    // Selected rows follow a sort.
    grid->SetCells(0, 2, "a");
    Click(Centre(0, 2));
    grid->SortByColumn(0);
    EXPECT_EQ(grid->SelectedRows(), QStringList{"1"});
}

TEST_F(SortGridCells, ColumnOfWidthMinusOneKeepsItWhenItsBorderIsDragged) {
    Fill(L({"a", "b"}), {L({"1", "2"})});
    grid->SetOptions(grid->Options() | goColSizing);
    grid->SetColWidths(0, -1);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(2, 5));
    ASSERT_EQ(grid->GridState(), gsColSizing);
    QTest::mouseMove(grid->viewport(), QPoint(60, 5));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(grid->ColWidths(0), -1);
    // Another column sizes as usual.
    const int border = grid->CellRect(1, 0).right() + 1;
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(border, 5));
    ASSERT_EQ(grid->GridState(), gsColSizing);
    QTest::mouseMove(grid->viewport(), QPoint(border + 20, 5));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(border + 20, 5));
    EXPECT_EQ(grid->ColWidths(1), 84);
}

TEST_F(SortGridCells, DoubleClickOnAHeaderBorderSizesTheColumnToItsTexts) {
    Fill(L({"a", "b", "c"}), {L({"wide text here", "", ""})});
    const QFontMetrics fm(grid->font());
    const int right = grid->CellRect(0, 0).right() + 1;
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(right - 1, 5));
    EXPECT_EQ(grid->ColWidths(0),
              fm.horizontalAdvance("wide text here") + fm.horizontalAdvance("X"));
    grid->SetCells(1, 0, "");
    grid->AutoSizeCol(1);
    EXPECT_EQ(grid->ColWidths(1), fm.horizontalAdvance("xx"));
    grid->SetColWidths(2, -1);
    grid->AutoSizeCol(2, false);
    EXPECT_EQ(grid->ColWidths(2), -1);
}

TEST_F(SortGridCells, WheelScrollsWithoutMovingTheCurrentCell) {
    std::vector<QStringList> rows;
    for (int i = 1; i <= 40; ++i) rows.push_back(L({"r"}));
    Fill(L({"k"}), rows);
    grid->SelectCell(0, 1, false);
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(20, 50), grid->viewport()->mapToGlobal(QPointF(20, 50)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    wheel(-120);
    EXPECT_EQ(grid->TopRow(), 2);  // row 3 is the second visible row
    wheel(-120);
    EXPECT_EQ(grid->TopRow(), 3);
    grid->SetTopRow(10);
    wheel(120);
    EXPECT_EQ(grid->TopRow(), 7);  // row 8 is the second visible row
    grid->SetTopRow(3);
    wheel(120);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(SortGridCells, ProportionalScrollBarsSizeTheThumbToTheVisibleShare) {
    std::vector<QStringList> rows;
    for (int i = 1; i <= 99; ++i) rows.push_back(L({"r"}));
    Fill(L({"k"}), rows);
    grid->SetScrollBars(TCustomGrid::ssBoth);
    grid->SetProportionalScrollBars(true);
    QScrollBar* v = grid->verticalScrollBar();
    const int range = v->maximum() - v->minimum() + 1;
    const int expected = int(std::nearbyint((grid->VisibleRowCount() + 1) / 100.0 * range));
    EXPECT_EQ(v->pageStep(), std::max(1, expected));
    grid->SetRowCount(300);
    const int range2 = v->maximum() - v->minimum() + 1;
    EXPECT_EQ(v->pageStep(),
              std::max(1, int(std::nearbyint((grid->VisibleRowCount() + 1) / 300.0 * range2))));
}

TEST_F(SortGridCells, DrawingCheckBoxesArrowsAndHiddenRows) {
    Fill(L({"name", "on"}), {L({"a", "true"}), L({"b", ""})});
    Kind(1, true, false, false);
    grid->SetColWidths(0, 80);
    grid->SetColWidths(1, 60);
    const QColor bg = toQColor(clWindow);
    auto inkIn = [&](const QImage& img, const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (img.pixelColor(x, y) != bg) ++n;
        return n;
    };
    grid->SelectCell(0, 2, false);
    QCoreApplication::processEvents();
    QImage img = grid->viewport()->grab().toImage();
    const QRect cell = grid->CellRect(1, 1);
    const QRect box(cell.left() + (cell.width() - 10) / 2, cell.top() + grid->RowHeights(1) / 2 - 5,
                    10, 10);
    // The checked box and nothing else: no text, no mark outside the box.
    EXPECT_GT(inkIn(img, box.adjusted(2, 2, -2, -2)), 4);
    EXPECT_EQ(inkIn(img, QRect(cell.left() + 1, cell.top() + 1, box.left() - cell.left() - 2,
                               cell.height() - 2)),
              0);
    const QRect unchecked = box.translated(0, grid->CellRect(1, 2).top() - cell.top());
    // Row 2 is selected (highlighted): compare its two boxes' insides instead.
    EXPECT_NE(img.copy(box.adjusted(2, 2, -2, -2)), img.copy(unchecked.adjusted(2, 2, -2, -2)));
    // The sort arrow in the sorted header, 3 pixels from its left edge.
    const QRect header = grid->CellRect(0, 0);
    const QRect arrow(header.left() + 3, header.top() + grid->RowHeights(0) / 2 - 4, 8, 7);
    const QColor face = img.pixelColor(header.left() + 40, header.top() + 2);
    int dark = 0;
    for (int y = arrow.top(); y <= arrow.bottom(); ++y)
        for (int x = arrow.left(); x <= arrow.right(); ++x) dark += img.pixelColor(x, y) != face;
    EXPECT_GT(dark, 6);
    // Hidden rows: the data rows are painted empty.
    grid->SetHideRows(true);
    grid->SelectCell(0, 1, false);
    QCoreApplication::processEvents();
    img = grid->viewport()->grab().toImage();
    EXPECT_EQ(inkIn(img, grid->CellRect(1, 1).adjusted(1, 1, -1, -1)), 0);
    EXPECT_EQ(inkIn(img, grid->CellRect(0, 2).adjusted(1, 1, -1, -1)), 0);
}

TEST(MyGrids, DrawGridDefaultsAndItsUpdate) {
    TMyDrawGrid g;
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.DefaultColWidth(), 64);
    EXPECT_EQ(g.DefaultRowHeight(), 24);
    EXPECT_EQ(g.BorderStyle(), TCustomGrid::bsSingle);
    EXPECT_FALSE(g.NowUpdating());
    g.BeginUpdate();
    g.SetColCount(9);
    EXPECT_TRUE(g.NowUpdating());
    g.EndUpdate();
    EXPECT_FALSE(g.NowUpdating());
    EXPECT_EQ(g.ColCount(), 9);
    EXPECT_EQ(g.ColWidths(8), 64);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // A lone EndUpdate changes nothing.
    g.EndUpdate();
    EXPECT_EQ(g.ColCount(), 9);
}

TEST_F(SortGridCells, TheLastColumnFillsTheGridWhenAllColumnsShow) {
    Fill(L({"a", "b"}), {L({"1", "2"})});
    grid->resize(401, 300);
    grid->resize(400, 300);
    EXPECT_EQ(grid->ColWidths(1), 400 - 64 - (2 + 3));
    // Columns that do not all show: nothing is widened.
    grid->SetColCount(12);
    grid->resize(390, 300);
    EXPECT_EQ(grid->ColWidths(11), 64);
}

TEST_F(SortGridCells, DraggingSelectedRowsStartsAfterElevenPixels) {
    Fill(L({"name", "mail"}), {L({"ann", "a@x"}), L({"bob", "b@x"})});
    grid->SetMultiSelect(true);
    Activate();
    Click(Centre(0, 2));
    ASSERT_TRUE(grid->RowSelected(2));
    // The drag is a child of the grid until the event loop deletes it (exec returns at
    // once under the offscreen platform).
    const QPoint p = Centre(0, 2);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseMove(grid->viewport(), p + QPoint(10, 0));
    EXPECT_EQ(grid->findChild<QDrag*>(), nullptr);
    QMouseEvent move(QEvent::MouseMove, QPointF(p + QPoint(0, 11)),
                     grid->viewport()->mapToGlobal(QPointF(p + QPoint(0, 11))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QDrag* started = grid->findChild<QDrag*>();
    ASSERT_NE(started, nullptr);
    EXPECT_EQ(started->mimeData()->text(), "bob\tb@x");
    EXPECT_EQ(grid->SelectedRows(), QStringList{"2"});
}

TEST_F(SortGridCells, HomeAndEndStayWithTheEditor) {
    Fill(L({"a", "b", "c"}), {L({"one", "two", "three"})});
    grid->SetOptions(grid->Options() | goEditing);
    Activate();
    grid->SelectCell(1, 1, false);
    Key(Qt::Key_F2);
    QLineEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->hasFocus());
    Key(Qt::Key_Home);
    EXPECT_EQ(editor->cursorPosition(), 0);
    Key(Qt::Key_End);
    EXPECT_EQ(editor->cursorPosition(), 3);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(SortGridCells, ThePopupMenuShowsOnDataRowsOnly) {
    Fill(L({"a"}), {L({"1"}), L({"2"})});
    QMenu menu;
    menu.addAction("Delete");
    grid->SetPopupMenu(&menu);
    auto rightClick = [&](int row) {
        const QPoint p = Centre(0, row);
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, grid->viewport()->mapToGlobal(p));
        QApplication::sendEvent(grid->viewport(), &e);
    };
    rightClick(0);
    EXPECT_FALSE(menu.isVisible());
    rightClick(2);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}
