#include "dialogs/ColorSchemeWindow.h"

#include <QComboBox>
#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "engine/panels/KivPanelsManager.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/Screen.h"

namespace kiv {

namespace {

constexpr TColor kDefaultBorder = 0xCECECE;
constexpr TColor kBadgeYellow = 0x00FFFF;
const char* const kPreviewRows[] = {"Selected descriptor", "Some descriptor", "Another descriptor",
                                    "Selected descriptor,\r\nbut not active"};
const char* const kSettingsRows[] = {"Font", "Background", "Selected descriptor",
                                     "Selected descriptor, not active", "Descriptor border"};
enum SettingsRow { rowFont = 1, rowBackground, rowSelected, rowInactive, rowBorder };
// The value column never gets narrower than its swatch and glyph need.
constexpr int kLeastValueWidth = 100;

// "set": the glyph at the right edge of a value cell that opens its chooser.
const char* const kSetGlyph[] = {"12 10 3 1",    "  c None",     ". c #404040",  "o c #FFFFFF",
                                 "            ", " .......... ", " .oooooooo. ", " .oooooooo. ",
                                 " .o.o.o.oo. ", " .o.o.o.oo. ", " .oooooooo. ", " .oooooooo. ",
                                 " .......... ", "            "};

// Set for the scope.
struct FlagScope {
    bool& flag;
    explicit FlagScope(bool& f) : flag(f) { flag = true; }
    ~FlagScope() { flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
};

QPushButton* Button(const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QString SchemeFontText(const QString& name, int size, bool fromDialog) {
    return name + (fromDialog ? QStringLiteral(",  Size: ") : QStringLiteral(", Size:")) +
           QString::number(size);
}

bool SchemeNameAllowed(const QString& name) {
    const QString t = name.trimmed();
    return !t.isEmpty() && t.compare(QLatin1String("Default"), Qt::CaseInsensitive) != 0;
}

int SchemeRowHeight(int lines, int lineHeight) { return lines * lineHeight + 8; }

QString ToggleDescriptorBorder(const QString& shown, TColorSchemeRec& rec) {
    if (shown == QLatin1String("yes")) {
        rec.BorderColor = rec.RowColor;
        return QStringLiteral("no");
    }
    rec.BorderColor = kDefaultBorder;
    return QStringLiteral("yes");
}

// ---- preview ----

TSchemePreview::TSchemePreview(const TColorSchemeRec& scheme, QWidget* parent)
    : TStringGrid(parent), scheme_(scheme) {
    setObjectName(QStringLiteral("sgdTest"));
    SetFixedCols(0);
    SetFixedRows(0);
    SetColCount(1);
    SetRowCount(4);
    SetScrollBars(ssNone);
    SetDefaultDrawing(false);
    SetOptions(TGridOptions());
    for (int r = 0; r < 4; ++r) SetCells(0, r, QString::fromLatin1(kPreviewRows[r]));
    SchemeChanged();
}

int TSchemePreview::LineHeight() const {
    return MeasureSchemeLineHeight(scheme_.FontName, scheme_.FontSize,
                                   const_cast<TSchemePreview*>(this));
}

void TSchemePreview::resizeEvent(QResizeEvent* e) {
    TStringGrid::resizeEvent(e);
    SetColWidths(0, std::max(0, ClientWidth()));
}

void TSchemePreview::SchemeChanged() {
    SetDefaultRowHeight(SchemeRowHeight(2, LineHeight()));
    SetColor(scheme_.RowColor);
    viewport()->update();
}

void TSchemePreview::DrawCell(int, int ARow, const QRect& C, TGridDrawState) {
    QPainter& p = *Canvas();
    p.save();
    p.fillRect(C, toQColor(scheme_.RowColor));
    // The frame is inset as an outline row's: 4 at the left, right and top.
    const QRect R(QPoint(C.left() + 4, C.top() + 4), QPoint(C.right() - 4, C.bottom()));
    TColor fill = scheme_.RowColor, pen = scheme_.BorderColor;
    if (ARow == 0) {
        fill = scheme_.FocSelRowColor;
        pen = scheme_.FocBorderColor;
    } else if (ARow == 3) {
        fill = scheme_.SelRowColor;
    }
    p.setPen(QPen(toQColor(pen), 1));
    p.setBrush(toQColor(fill));
    p.drawRect(R.adjusted(0, 0, -1, -1));
    // Caption from 30 pixels in, to 5 before the frame's right edge, one down.
    const QRect K = R.adjusted(30, 1, -5, -1);
    p.setFont(FontFromStored(QString::fromStdString(scheme_.FontName), scheme_.FontSize));
    p.setPen(toQColor(scheme_.FontColor));
    QString caption = Cells(0, ARow);
    caption.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QFontMetrics fm(p.font());
    QStringList shown;
    int y = 0;
    for (const QString& line : caption.split(QLatin1Char('\n'))) {
        if (y + fm.height() > K.height() && !shown.isEmpty()) {
            shown.back() =
                fm.elidedText(shown.back() + QStringLiteral(" …"), Qt::ElideRight, K.width());
            break;
        }
        shown << fm.elidedText(line, Qt::ElideRight, K.width());
        y += fm.height();
    }
    p.drawText(K, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown.join(QLatin1Char('\n')));
    // The badge: a yellow box with the row's number, at the frame's top-left.
    const QRect B(R.left(), R.top(), 25, 14);
    p.setPen(QPen(toQColor(pen), 1));
    p.setBrush(toQColor(kBadgeYellow));
    p.drawRoundedRect(QRectF(B).adjusted(0.5, 0.5, -0.5, -0.5), 4.5, 4.5);
    p.setFont(FontFromStored(QStringLiteral("Small Fonts"), 6));
    p.setPen(Qt::black);
    p.drawText(B.adjusted(0, 2, 0, -1), Qt::AlignCenter, QString::number(ARow + 1));
    p.restore();
}

// ---- settings grid ----

TSchemeSettingsGrid::TSchemeSettingsGrid(const TColorSchemeRec& scheme, QWidget* parent)
    : TSortGrid(parent), scheme_(scheme) {
    setObjectName(QStringLiteral("sgdSettings"));
    SetColCount(3);
    SetRowCount(6);
    SetCells(0, 0, QStringLiteral("Settings"));
    SetCells(1, 0, QStringLiteral("Value"));
    for (int r = rowFont; r <= rowBorder; ++r)
        SetCells(0, r, QString::fromLatin1(kSettingsRows[r - 1]));
    SetColWidths(0, 190);
    SetColWidths(1, 200);
    SetColWidths(2, 0);
    // The rows stand for fixed settings: their order never changes.
    SortOptions().CanSort = false;
    SetOptions(Options() - goRangeSelect - goRowSelect);
    SetMultiSelect(false);
    SetGlyph = QPixmap(kSetGlyph);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

bool TSchemeSettingsGrid::InActionZone(int x, int y) const {
    const TGridCoord c = MouseCoord(x, y);
    if (c.X != 1 || c.Y < rowFont || c.Y > rowBorder) return false;
    const QRect r = CellRect(1, c.Y);
    return x >= r.right() + 1 - 20;
}

void TSchemeSettingsGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    TSortGrid::DrawCell(ACol, ARow, ARect, AState);
    if (ACol != 1 || ARow < rowFont || ARow > rowBorder) return;
    QPainter& p = *Canvas();
    p.save();
    if (ARow >= rowBackground && ARow <= rowInactive) {
        const TColor c = ARow == rowBackground ? scheme_.RowColor
                         : ARow == rowSelected ? scheme_.FocSelRowColor
                                               : scheme_.SelRowColor;
        // The swatch covers the cell's text: the colour is the value.
        p.fillRect(ARect.adjusted(1, 1, -1, -1), palette().base());
        p.setPen(Qt::black);
        p.setBrush(toQColor(c));
        p.drawRoundedRect(QRect(QPoint(ARect.left() + 5, ARect.top() + 2),
                                QPoint(ARect.left() + 80, ARect.bottom() - 2)),
                          4, 4);
    }
    p.drawPixmap(ARect.right() + 1 - 16, ARect.top() + 4, SetGlyph);
    p.restore();
}

void TSchemeSettingsGrid::resizeEvent(QResizeEvent* e) {
    TSortGrid::resizeEvent(e);
    // The value column ends at the view's right edge at every width, narrower as well as
    // wider, so that its glyphs stay in sight and nothing scrolls sideways; the third
    // column keeps no width.
    const TGridOptions o = Options();
    const int line = o.Contains(goVertLine) || o.Contains(goFixedVertLine) ? GridLineWidth() : 0;
    const int fit = std::max(kLeastValueWidth, ClientWidth() - ColWidths(0) - 2 * line);
    SetColWidths(2, 0);
    if (ColWidths(1) != fit) SetColWidths(1, fit);
}

void TSchemeSettingsGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TSortGrid::MouseMove(Shift, X, Y);
    const bool hand = InActionZone(X, Y);
    if (hand != hand_) {
        hand_ = hand;
        viewport()->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
}

void TSchemeSettingsGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    hand_ = InActionZone(X, Y);
    const FlagScope pressing(byMouse_);
    TSortGrid::MouseDown(Button, Shift, X, Y);
}

void TSchemeSettingsGrid::KeyDown(Word& Key, TShiftState Shift) {
    const FlagScope keying(byKey_);
    TSortGrid::KeyDown(Key, Shift);
}

bool TSchemeSettingsGrid::SelectCell(int ACol, int ARow) {
    if (ARow < rowFont || ARow > rowBorder) return TSortGrid::SelectCell(ACol, ARow);
    if (ACol == 1 && hand_ && (byMouse_ || byKey_) && OnAction) {
        const bool byMouse = byMouse_;
        // The dialog it opens must not see the press still running.
        QMetaObject::invokeMethod(
            this,
            [this, ARow, byMouse] {
                if (OnAction) OnAction(ARow, byMouse);
            },
            Qt::QueuedConnection);
    }
    return false;
}

// ---- editor ----

TfrmColorScheme::TfrmColorScheme(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmColorScheme"));
    setWindowTitle(QStringLiteral("Customize Display Schemes"));
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Scheme:"), this));
    cbxAvSchemes = new QComboBox(this);
    cbxAvSchemes->setObjectName(QStringLiteral("cbxAvSchemes"));
    cbxAvSchemes->setMinimumWidth(160);
    top->addWidget(cbxAvSchemes, 1);
    btnSaveAs = Button("SaveAs...", this);
    btnDelete = Button("Delete", this);
    top->addWidget(btnSaveAs);
    top->addWidget(btnDelete);
    sgdTest = new TSchemePreview(EditorScheme, this);
    sgdTest->setMinimumSize(300, 220);
    sgdSettings = new TSchemeSettingsGrid(EditorScheme, this);
    sgdSettings->setMinimumSize(400, 150);
    sgdSettings->OnAction = [this](int row, bool byMouse) { SettingsAction(row, byMouse); };
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    btnApply = Button("- Apply -", this);
    btnClose = Button("- Close -", this);
    bottom->addWidget(btnApply);
    bottom->addWidget(btnClose);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(sgdTest);
    all->addWidget(sgdSettings);
    all->addLayout(bottom);
    EditorScheme.RowLines = 2;
    FontDialog.Effects = true;
    FontDialog.MinSize = 6;
    FontDialog.MaxSize = 24;
    connect(btnSaveAs, &QPushButton::clicked, this, [this] { btnSaveAsClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { btnApplyClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::hide);
    connect(cbxAvSchemes, qOverload<int>(&QComboBox::activated), this,
            [this](int i) { LoadColorScheme(i); });
    frmSaveScheme = new TfrmSaveScheme(*this);
}

TfrmColorScheme::~TfrmColorScheme() = default;

void TfrmColorScheme::Init() {
    cbxAvSchemes->clear();
    if (SchemeNames) cbxAvSchemes->addItems(SchemeNames());
    if (cbxAvSchemes->count() > 0) LoadColorScheme(0);
}

void TfrmColorScheme::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    LoadColorScheme(CurrentSchemeIndex ? CurrentSchemeIndex() : 0);
}

void TfrmColorScheme::LoadColorScheme(int n) {
    if (n < 0 || n >= cbxAvSchemes->count()) return;
    cbxAvSchemes->setCurrentIndex(n);
    EditorSchemeName = cbxAvSchemes->itemText(n);
    btnDelete->setEnabled(n >= 1);
    if (ReadScheme) ReadScheme(n, EditorScheme);
    EditorScheme.RowLines = 2;
    const QString font = QString::fromStdString(EditorScheme.FontName);
    FontDialog.Font = FontChoice{font, EditorScheme.FontSize, EditorScheme.FontColor, 0};
    sgdSettings->SetCells(1, rowFont, SchemeFontText(font, EditorScheme.FontSize, false));
    sgdSettings->SetCells(1, rowBorder,
                          EditorScheme.RowColor == EditorScheme.BorderColor
                              ? QStringLiteral("no")
                              : QStringLiteral("yes"));
    sgdTest->SchemeChanged();
    sgdSettings->viewport()->update();
    btnApply->setEnabled(true);
}

void TfrmColorScheme::Changed() {
    btnApply->setEnabled(false);
    sgdTest->SchemeChanged();
    sgdSettings->viewport()->update();
}

void TfrmColorScheme::SettingsAction(int row, bool byMouse) {
    switch (row) {
    case rowFont:
        if (!FontDialog.Execute()) return;
        EditorScheme.FontName = FontDialog.Font.Name.toStdString().substr(0, 63);
        EditorScheme.FontSize = FontDialog.Font.Size;
        EditorScheme.FontColor = FontDialog.Font.Color;
        sgdSettings->SetCells(1, rowFont,
                              SchemeFontText(FontDialog.Font.Name, FontDialog.Font.Size, true));
        break;
    case rowBackground:
    case rowSelected:
    case rowInactive: {
        TColor& field = row == rowBackground ? EditorScheme.RowColor
                        : row == rowSelected ? EditorScheme.FocSelRowColor
                                             : EditorScheme.SelRowColor;
        ColorDialog.Color = field;
        if (!ColorDialog.Execute()) return;
        field = ColorDialog.Color;
        if (row == rowBackground && sgdSettings->Cells(1, rowBorder) == QLatin1String("no"))
            EditorScheme.BorderColor = EditorScheme.RowColor;
        break;
    }
    case rowBorder:
        if (!byMouse) return;
        sgdSettings->SetCells(1, rowBorder,
                              ToggleDescriptorBorder(sgdSettings->Cells(1, rowBorder),
                                                     EditorScheme));
        break;
    default: return;
    }
    Changed();
}

void TfrmColorScheme::btnApplyClick() {
    if (ApplyScheme) ApplyScheme(cbxAvSchemes->currentIndex());
}

void TfrmColorScheme::btnSaveAsClick() {
    frmSaveScheme->Edit1->setText(cbxAvSchemes->currentText());
    frmSaveScheme->show();
}

void TfrmColorScheme::btnDeleteClick() {
    const int i = cbxAvSchemes->currentIndex();
    if (i < 1 || i >= cbxAvSchemes->count()) return;
    const QString name = cbxAvSchemes->itemText(i);
    if (!DeleteScheme || !DeleteScheme(i)) return;
    if (EditorSchemeName == name && ApplyScheme) ApplyScheme(0);
    cbxAvSchemes->removeItem(i);
    LoadColorScheme(0);
}

// ---- save window ----

TfrmSaveScheme::TfrmSaveScheme(TfrmColorScheme& editor) : QDialog(nullptr), editor_(editor) {
    setObjectName(QStringLiteral("frmSaveScheme"));
    setWindowTitle(QStringLiteral("Save Current Scheme As..."));
    Label1 = new QLabel(QStringLiteral("Save Current Scheme As:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    btnOK = Button("- OK -", this);
    btnCancel = Button("- Cancel -", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* all = new QVBoxLayout(this);
    all->addWidget(Label1);
    all->addWidget(Edit1);
    setMinimumWidth(320);
    all->addLayout(buttons);
    connect(Edit1, &QLineEdit::textChanged, this,
            [this](const QString& t) { btnOK->setEnabled(SchemeNameAllowed(t)); });
    connect(btnOK, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::hide);
    // Owned by the editor: it goes with it.
    connect(&editor, &QObject::destroyed, this, [this] { delete this; });
}

void TfrmSaveScheme::SetLocked(bool locked) {
    for (const QPointer<QWidget>& w : editor_.LockedWhileSaving)
        if (w) w->setEnabled(!locked);
    editor_.setEnabled(!locked);
}

void TfrmSaveScheme::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    btnOK->setEnabled(SchemeNameAllowed(Edit1->text()));
    SetLocked(true);
}

void TfrmSaveScheme::hideEvent(QHideEvent* e) {
    SetLocked(false);
    QDialog::hideEvent(e);
}

void TfrmSaveScheme::OKClick() {
    const QString name = Edit1->text().trimmed();
    if (!SchemeNameAllowed(name)) return;
    QComboBox* combo = editor_.cbxAvSchemes;
    if (name.compare(combo->currentText(), Qt::CaseInsensitive) == 0) {
        if (!editor_.WriteScheme || !editor_.WriteScheme(name, editor_.EditorScheme)) return;
        if (editor_.EditorSchemeName == name && editor_.ApplyScheme)
            editor_.ApplyScheme(combo->currentIndex());
        editor_.btnApply->setEnabled(true);
    } else {
        if (!editor_.AddScheme || !editor_.AddScheme(name, editor_.EditorScheme)) return;
        combo->addItem(name);
        editor_.LoadColorScheme(combo->count() - 1);
    }
    hide();
}

}  // namespace kiv
