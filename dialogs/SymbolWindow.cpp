#include "dialogs/SymbolWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "components/SortGrid.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/LegacyText.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

// The sortable grid's header row (row 0) is not used: symbol row r is grid row r + 1.
namespace {
constexpr int kHeader = 1;
}

TfrmSymbol::TfrmSymbol(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSymbol"));
    setWindowTitle(QStringLiteral("Insert Symbol"));
    auto* top = new QVBoxLayout(this);

    auto* fontRow = new QHBoxLayout;
    lblFontName = new QLabel(QStringLiteral("Font Name:"), this);
    lblFontName->setFixedWidth(72);
    cbxFonts = new QComboBox(this);
    cbxFonts->setObjectName(QStringLiteral("cbxFonts"));
    cbxFonts->setMinimumWidth(200);
    lblFont = new QLabel(this);
    lblFont->setObjectName(QStringLiteral("lblFont"));
    lblFont->setTextFormat(Qt::PlainText);
    lblFont->hide();
    fontRow->addWidget(lblFontName);
    fontRow->addWidget(cbxFonts);
    fontRow->addWidget(lblFont);
    fontRow->addStretch(1);
    top->addLayout(fontRow);

    auto* body = new QHBoxLayout;
    sgdSymbol = new TSortGrid(this);
    sgdSymbol->setObjectName(QStringLiteral("sgdSymbol"));
    sgdSymbol->SortOptions().CanSort = false;
    sgdSymbol->SetColCount(kCols);
    sgdSymbol->SetRowCount(kRows + kHeader);
    sgdSymbol->SetDefaultColWidth(17);
    sgdSymbol->SetDefaultRowHeight(16);
    sgdSymbol->SetRowHeights(0, 0);
    sgdSymbol->SetScrollBars(TCustomGrid::ssNone);
    // One cell is chosen, not a row: the current cell alone is highlighted.
    sgdSymbol->SetMultiSelect(false);
    sgdSymbol->SetOptions(sgdSymbol->Options() - goRowSelect - goRangeSelect);
    sgdSymbol->OnGetCellFormat = [](TSortGrid* g, int c, int r, TGridDrawState, TFormatOptions& o,
                                    bool&, bool&, bool&) {
        if (c == g->Col() && r == g->Row()) {
            o.Brush.Color = clHighlight;
            o.Font.Color = clHighlightText;
        }
    };
    sgdSymbol->setFixedSize(kCols * 18 + 4, kRows * 17 + 4);
    body->addWidget(sgdSymbol);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Symbol Preview:"), this));
    pnlPreview = new QLabel(this);
    pnlPreview->setObjectName(QStringLiteral("pnlPreview"));
    pnlPreview->setTextFormat(Qt::PlainText);
    pnlPreview->setAlignment(Qt::AlignCenter);
    pnlPreview->setFrameShape(QFrame::Panel);
    pnlPreview->setFrameShadow(QFrame::Sunken);
    pnlPreview->setFixedSize(72, 72);
    side->addWidget(pnlPreview);
    side->addStretch(1);
    btnInsert = new QPushButton(QStringLiteral("Insert"), this);
    btnInsert->setObjectName(QStringLiteral("btnInsert"));
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    side->addWidget(btnInsert);
    side->addWidget(btnClose);
    body->addLayout(side);
    top->addLayout(body);

    connect(cbxFonts, &QComboBox::textActivated, this,
            [this](const QString& f) { GuardCall([&] { FillGrid(f); }); });
    connect(btnInsert, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnInsertClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::hide);
    sgdSymbol->OnClick = [this](TCustomGrid*) { ShowSelected(); };
    sgdSymbol->OnKeyUp = [this](TCustomGrid*, Word&, TShiftState) { ShowSelected(); };
    FillGrid(font().family());
    SelectSymbol(1, 0);
}

QString TfrmSymbol::SymbolText(int c, int r) {
    if (c < 0 || c >= kCols || r < 0 || r >= kRows) return {};
    const int code = 31 + r * kCols + c;
    if (code < 32) return {};
    return QString::fromStdString(LegacyText::Cp1252ToUtf8(std::string(1, char(code))));
}

QString TfrmSymbol::Symbol(int c, int r) const { return sgdSymbol->Cells(c, r + kHeader); }

void TfrmSymbol::SetFontNames(const QStringList& names) {
    cbxFonts->clear();
    cbxFonts->addItems(names);
}

void TfrmSymbol::FillGrid(const QString& family) {
    QFont f = sgdSymbol->font();
    f.setFamily(family);
    sgdSymbol->setFont(f);
    QFont big = f;
    big.setPointSize(28);
    pnlPreview->setFont(big);
    sgdSymbol->BeginUpdate();
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) sgdSymbol->SetCells(c, r + kHeader, SymbolText(c, r));
    sgdSymbol->EndUpdate();
    ShowSelected();
}

void TfrmSymbol::ShowFor(QWidget* target, const QString& mainFontName) {
    Target = target;
    if (qobject_cast<TKivMemo*>(target)) {
        cbxFonts->hide();
        const QString scheme = QString::fromStdString(LegacyText::Decode(ColorScheme.FontName));
        lblFont->setText(scheme);
        lblFont->show();
        FillGrid(scheme);
        return;
    }
    lblFont->hide();
    cbxFonts->show();
    const int i = cbxFonts->findText(mainFontName);
    cbxFonts->setCurrentIndex(i >= 0 ? i : 0);
    FillGrid(cbxFonts->count() ? cbxFonts->currentText() : mainFontName);
}

void TfrmSymbol::SelectSymbol(int c, int r) {
    sgdSymbol->SetCol(c);
    sgdSymbol->SetRow(r + kHeader);
    ShowSelected();
}

void TfrmSymbol::ShowSelected() {
    pnlPreview->setText(sgdSymbol->Cells(sgdSymbol->Col(), sgdSymbol->Row()));
    sgdSymbol->viewport()->update();
}

void TfrmSymbol::btnInsertClick() {
    const QString ch = pnlPreview->text();
    QWidget* t = Target;
    if (ch.isEmpty() || !t || (CanInsert && !CanInsert(t))) return;
    if (auto* le = qobject_cast<QLineEdit*>(t)) {
        if (!le->isReadOnly()) le->insert(ch);
    } else if (auto* te = qobject_cast<QTextEdit*>(t)) {
        if (te->isReadOnly()) return;
        QTextCursor cursor = te->textCursor();
        QTextCharFormat format = cursor.charFormat();
        if (te->acceptRichText() && !qobject_cast<TKivMemo*>(te))
            format.setFontFamilies({pnlPreview->font().family()});
        cursor.insertText(ch, format);
        te->setTextCursor(cursor);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(t)) {
        if (!pe->isReadOnly()) pe->insertPlainText(ch);
    }
}

}  // namespace kiv
