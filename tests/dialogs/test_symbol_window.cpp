// The symbol grid: which code stands in which cell, and what the preview shows.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <gtest/gtest.h>

#include "components/SortGrid.h"
#include "dialogs/SymbolWindow.h"

namespace kiv::test {
namespace {

TEST(SymbolWindow, TheGridHoldsCodes32To255RowByRowInWindows1252) {
    TfrmSymbol w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Insert Symbol"));
    struct Case {
        int c, r;
        QString text;
    } cases[] = {
        {0, 0, QString()},                // code 31 is not offered
        {1, 0, QStringLiteral(" ")},      // 32
        {2, 0, QStringLiteral("!")},      // 33
        {0, 1, QStringLiteral("8")},      // 56
        {24, 8, QString(QChar(0xFF))},    // 255
        {22, 3, QString(QChar(0x20AC))},  // 128 is the euro sign
        {22, 4, QString(QChar(0x2122))},  // 153
        {25, 0, QString()},               // outside
        {0, 9, QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TfrmSymbol::SymbolText(c.c, c.r), c.text) << c.c << "," << c.r;
        EXPECT_EQ(w.Symbol(c.c, c.r), c.text) << c.c << "," << c.r;
    }
    int filled = 0;
    for (int r = 0; r < TfrmSymbol::kRows; ++r)
        for (int c = 0; c < TfrmSymbol::kCols; ++c) filled += !w.Symbol(c, r).isEmpty();
    EXPECT_EQ(filled, 224);
}

TEST(SymbolWindow, TheFontFillsTheGridAndThePreviewAndAnEditTakesTheCharacter) {
    TfrmSymbol w;
    w.SetFontNames({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    QLineEdit edit(QStringLiteral("xy"));
    edit.setSelection(1, 1);
    w.ShowFor(&edit, QStringLiteral("Beta"));
    EXPECT_EQ(w.cbxFonts->currentText(), QStringLiteral("Beta"));
    w.ShowFor(&edit, QStringLiteral("Not There"));
    EXPECT_EQ(w.cbxFonts->currentIndex(), 0)
        << "the first font when the main window's is not listed";
    EXPECT_EQ(w.sgdSymbol->font().family(), QStringLiteral("Alpha"));
    EXPECT_EQ(w.pnlPreview->font().family(), QStringLiteral("Alpha"));
    EXPECT_GT(w.pnlPreview->font().pointSize(), w.sgdSymbol->font().pointSize());
    emit w.cbxFonts->textActivated(QStringLiteral("Beta"));
    EXPECT_EQ(w.sgdSymbol->font().family(), QStringLiteral("Beta"))
        << "choosing a font refills the grid";
    EXPECT_EQ(w.pnlPreview->font().family(), QStringLiteral("Beta"));
    w.SelectSymbol(22, 3);
    EXPECT_EQ(w.pnlPreview->text(), QString(QChar(0x20AC)));
    w.btnInsertClick();
    EXPECT_EQ(edit.text(), QStringLiteral("x\u20AC")) << "the selection is replaced";
    w.SelectSymbol(0, 0);
    w.btnInsertClick();
    EXPECT_EQ(edit.text(), QStringLiteral("x\u20AC")) << "the empty cell inserts nothing";
}

TEST(SymbolWindow, AClickedCellIsTheOneSelectedAndPreviewed) {
    TfrmSymbol w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect cell = w.sgdSymbol->CellRect(22, 3 + 1);  // the grid's row 0 is its unused header
    QTest::mouseClick(w.sgdSymbol->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(w.pnlPreview->text(), QString(QChar(0x20AC)));
    EXPECT_EQ(w.sgdSymbol->Col(), 22);
    EXPECT_TRUE(w.sgdSymbol->SelectedRows().size() <= 1) << "one cell, not rows";
}

}  // namespace
}  // namespace kiv::test
