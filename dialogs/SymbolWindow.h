#pragma once
// The insert-symbol window ("Insert Symbol"): the characters 32 to 255 of the Windows
// code page on a 25 x 9 grid in a chosen font, a large preview of the selected one, and
// Insert into the editor the window was shown for. It stays open after Insert.
#include <QDialog>
#include <QPointer>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace kiv {

class TSortGrid;

class TfrmSymbol : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCols = 25, kRows = 9;

    explicit TfrmSymbol(QWidget* parent = nullptr);

    // The text of the symbol cell (column c, row r): code 31 + r * 25 + c as Windows-1252,
    // empty for code 31 (not offered) and outside the grid.
    static QString SymbolText(int c, int r);
    // What cell (c, r) of the window shows.
    QString Symbol(int c, int r) const;

    // The fonts offered (the main window's font names).
    void SetFontNames(const QStringList& names);
    // The grid's and the preview's font becomes that family; the grid is filled.
    void FillGrid(const QString& family);
    // For a target: a caption editor uses the colour scheme's font with the combo hidden;
    // any other editor the font the main window shows (the first entry when not listed).
    void ShowFor(QWidget* target, const QString& mainFontName);
    // Selects a symbol cell; its character goes to the preview.
    void SelectSymbol(int c, int r);
    // The preview's character replaces the target's selection; a rich editor's selection
    // takes the preview's font.
    void btnInsertClick();

    QPointer<QWidget> Target;
    // Asked before every insert: false keeps the target as it is (a locked topic's editor).
    std::function<bool(QWidget* target)> CanInsert;
    QComboBox* cbxFonts = nullptr;
    QLabel* lblFontName = nullptr;  // "Font Name:"
    QLabel* lblFont = nullptr;      // the scheme's font when the combo is hidden
    QLabel* pnlPreview = nullptr;
    TSortGrid* sgdSymbol = nullptr;
    QPushButton* btnInsert = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void ShowSelected();
};

}  // namespace kiv
