// The format bar of the text card and the style, paragraph and colour commands. With the
// focus in a rich-text editor they format its selection; with the focus in an outline
// panel or its caption editor the style and colour commands restyle the topics.
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "components/FontCombos.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/textcard/TextCard.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/RtfDocument.h"

namespace kiv {

const TColorEntry kColorTable[16] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

namespace {

constexpr int kIndentStep = 20;

// A letter as a button face, drawn in the area.
QPixmap GlyphPixmap(const QString& glyph, TFontStyles style, int pixelSize, const QRect& area) {
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f = FontFromStored(QStringLiteral("Times New Roman"), 11, style);
    f.setPixelSize(pixelSize);
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(area, Qt::AlignCenter, glyph);
    return pm;
}

QIcon GlyphIcon(const QString& glyph, TFontStyles style) {
    return QIcon(GlyphPixmap(glyph, style, 15, QRect(0, 0, 18, 18)));
}

// Lines of text as a paragraph button shows them: aligned, bulleted or indented.
QIcon ParagraphIcon(Qt::Alignment align, bool bullets = false, int indent = 0) {
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor ink(30, 30, 30);
    const int widths[] = {14, 9, 14, 9};
    for (int i = 0; i < 4; ++i) {
        const int y = 3 + i * 4;
        int left = 2, width = widths[i];
        if (bullets) {
            p.fillRect(QRect(2, y - 1, 2, 2), ink);
            left = 6;
            width = 10;
        } else if (indent != 0) {
            left = i == 0 || i == 3 ? 2 : 8;
            width = i == 0 || i == 3 ? 14 : 8;
        } else if (align == Qt::AlignHCenter) {
            left = (18 - width) / 2;
        } else if (align == Qt::AlignRight) {
            left = 16 - width;
        }
        p.fillRect(QRect(left, y, width, 1), ink);
    }
    if (indent != 0) {
        // An arrow into (or out of) the indented lines.
        const int tip = indent > 0 ? 6 : 2, back = indent > 0 ? 2 : 6;
        const QPoint arrow[] = {{back, 6}, {tip, 9}, {back, 12}};
        p.setPen(ink);
        p.drawPolyline(arrow, 3);
    }
    return QIcon(pm);
}

// The colour button's face: a letter over a bar of red.
QIcon ColorButtonIcon() {
    QPixmap pm = GlyphPixmap(QStringLiteral("A"), fsBold, 13, QRect(0, 0, 18, 14));
    QPainter(&pm).fillRect(QRect(2, 14, 14, 3), toQColor(clRed));
    return QIcon(pm);
}

// The swatch menu draws its 50 by 16 bitmaps at their own size.
class SwatchMenuStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SmallIconSize) return 50;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QToolButton* Button(QToolBar* bar, const char* name, const QString& hint, const QIcon& icon,
                    bool checkable) {
    auto* b = Named(new QToolButton(bar), name);
    b->setIcon(icon);
    b->setToolTip(hint);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

// The blocks a paragraph command acts on: those of the selection, or the caret's.
template <class F>
void ForEachSelectedBlock(QTextEdit* e, F f) {
    QTextCursor c = e->textCursor();
    QTextBlock b = e->document()->findBlock(c.selectionStart());
    const QTextBlock last = e->document()->findBlock(c.selectionEnd());
    for (;; b = b.next()) {
        f(b);
        if (b == last || !b.isValid()) break;
    }
}

// Stores a row's caption card after its colour or style changed. A refused store puts the
// look back, so that the row shows what is stored, and names the topic in refused.
void StoreCaptionLook(TNester& m, int r, int32_t oldColor, uint8_t oldStyle, QStringList& refused) {
    if (m.SetCaption(r, m.Caption(r))) return;
    m.SetFontColor(r, oldColor);
    m.SetFontStyle(r, oldStyle);
    refused << QStringLiteral("\"%1\"").arg(StoredToText(m.Caption(r)));
}

void TellRefusedLooks(const QStringList& refused) {
    if (!refused.isEmpty())
        MessageDlg(QStringLiteral("The look of %1 could not be stored.")
                       .arg(refused.join(QStringLiteral(", "))),
                   MsgType::Error, MsgButtons::OK);
}

}  // namespace

void TTextCard::BuildFormatBar() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    tbFormat = Named(new QToolBar(k.cbTools), "tbFormat");
    tbFormat->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbFormat->setIconSize(QSize(18, 18));
    auto* tools = static_cast<QBoxLayout*>(k.cbTools->layout());
    // Before the row's closing stretch.
    tools->insertWidget(std::max(0, tools->count() - 1), tbFormat);

    cbFontName = Named(new TWPopOutFntCBox(tbFormat), "cbFontName");
    cbFontName->setMinimumWidth(150);
    cbFontName->SetFontName(DefaultFontName);
    cbFontName->OnChange = [this](TWPopOutFntCBox*) { ApplyFontBoxes(true); };
    tbFormat->addWidget(cbFontName);
    cbFontSize = Named(new TFontSizeComboBox(tbFormat), "cbFontSize");
    cbFontSize->setMinimumWidth(52);
    cbFontSize->SetFontName(DefaultFontName);
    cbFontSize->ShowSize(DefaultFontSize);
    cbFontSize->OnChange = [this](TFontSizeComboBox*) { ApplyFontBoxes(false); };
    tbFormat->addWidget(cbFontSize);
    tbFormat->addSeparator();

    acBold = Action(w, "acBold", QStringLiteral("Bold"), true);
    acBold->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    acBold->setIcon(GlyphIcon(QStringLiteral("B"), fsBold));
    acItalic = Action(w, "acItalic", QStringLiteral("Italic"), true);
    acItalic->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    acItalic->setIcon(GlyphIcon(QStringLiteral("I"), fsItalic));
    acUnderline = Action(w, "acUnderline", QStringLiteral("Uderline"), true);
    acUnderline->setToolTip(QStringLiteral("Underline"));
    acUnderline->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    acUnderline->setIcon(GlyphIcon(QStringLiteral("U"), fsUnderline));
    const std::pair<KivAction*, uint8_t> styles[] = {{acBold, kFlagBold},
                                                     {acItalic, kFlagItalic},
                                                     {acUnderline, kFlagUnderline}};
    for (const auto& [a, bit] : styles) {
        w->addAction(a);
        tbFormat->addAction(a);
        a->OnExecute = [this, bit = bit](KivAction* s) {
            s->SetChecked(!s->Checked());
            ApplyStyle(bit, s->Checked());
        };
    }
    btnStrike = Button(tbFormat, "btnStrike", QStringLiteral("Strike Out"),
                       GlyphIcon(QStringLiteral("S"), fsStrikeOut), true);
    connect(btnStrike, &QToolButton::clicked, this,
            [this] { GuardCall([this] { ApplyStyle(kFlagStrikeOut, btnStrike->isChecked()); }); });
    tbFormat->addSeparator();

    btnLeftAlign = Button(tbFormat, "btnLeftAlign", QStringLiteral("Align Left"),
                          ParagraphIcon(Qt::AlignLeft), true);
    btnCenterAlign = Button(tbFormat, "btnCenterAlign", QStringLiteral("Center"),
                            ParagraphIcon(Qt::AlignHCenter), true);
    btnRightAlign = Button(tbFormat, "btnRightAlign", QStringLiteral("Align Right"),
                           ParagraphIcon(Qt::AlignRight), true);
    auto* aligns = new QButtonGroup(this);
    aligns->setExclusive(true);
    const std::pair<QToolButton*, Qt::Alignment> alignments[] = {{btnLeftAlign, Qt::AlignLeft},
                                                                 {btnCenterAlign, Qt::AlignHCenter},
                                                                 {btnRightAlign, Qt::AlignRight}};
    for (const auto& [b, align] : alignments) {
        aligns->addButton(b);
        connect(b, &QToolButton::clicked, this, [this, align = align] {
            GuardCall([&] {
                if (QTextEdit* e = ActiveTextEditor(); e && !e->isReadOnly())
                    e->setAlignment(align);
            });
        });
    }
    btnBullet = Button(tbFormat, "btnBullet", QStringLiteral("Bullets"),
                       ParagraphIcon(Qt::AlignLeft, true), true);
    connect(btnBullet, &QToolButton::clicked, this, [this] {
        GuardCall([this] {
            QTextEdit* e = ActiveTextEditor();
            if (!e || e->isReadOnly()) return;
            QTextCursor c = e->textCursor();
            if (btnBullet->isChecked()) {
                if (!c.currentList()) c.createList(QTextListFormat::ListDisc);
                return;
            }
            c.beginEditBlock();
            ForEachSelectedBlock(e, [&](const QTextBlock& b) {
                if (QTextList* list = b.textList()) list->remove(b);
                QTextCursor bc(b);
                QTextBlockFormat f = bc.blockFormat();
                f.setIndent(0);
                bc.setBlockFormat(f);
            });
            c.endEditBlock();
        });
    });
    btnIndentIn = Button(tbFormat, "btnIndentIn", QStringLiteral("Increase Indent"),
                         ParagraphIcon(Qt::AlignLeft, false, 1), false);
    btnIndentDe = Button(tbFormat, "btnIndentDe", QStringLiteral("Decrease Indent"),
                         ParagraphIcon(Qt::AlignLeft, false, -1), false);
    connect(btnIndentIn, &QToolButton::clicked, this,
            [this] { GuardCall([this] { IndentFirstLine(1); }); });
    connect(btnIndentDe, &QToolButton::clicked, this,
            [this] { GuardCall([this] { IndentFirstLine(-1); }); });
    tbFormat->addSeparator();

    btnColor = Button(tbFormat, "btnColor", QStringLiteral("Font Color"), ColorButtonIcon(), false);
    pmColor = Named(new QMenu(btnColor), "pmColor");
    auto* swatches = new SwatchMenuStyle;
    swatches->setParent(pmColor);
    pmColor->setStyle(swatches);
    btnColor->setMenu(pmColor);
    btnColor->setPopupMode(QToolButton::InstantPopup);
    connect(pmColor, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { UpdateColorMenuChecks(); }); });

    DefaultTextCardFont1 =
        Item(w, "DefaultTextCardFont1", QStringLiteral("Default Text Card Font..."));
    connect(DefaultTextCardFont1, &QAction::triggered, this,
            [this] { GuardCall([this] { DefaultTextCardFont(); }); });
    k.Settings1->addAction(DefaultTextCardFont1);

    formatUpdate_ = new KivAction(w);
    formatUpdate_->OnUpdate = [this](KivAction*) { UpdateFormatEnabling(); };
}

void TTextCard::UpdateFormatEnabling() {
    QWidget* w = nullptr;
    const TFocusKind kind = FocusKind(&w);
    const bool locked = CurrentTopicLocked();
    const bool topics = kind == TFocusKind::Panel || kind == TFocusKind::CaptionEditor;
    btnColor->setEnabled(!locked && (kind == TFocusKind::RichEditor || topics) &&
                         !(w == txtPinText && PinnedTopicLocked));
    const bool dates =
        !locked && (kind == TFocusKind::RichEditor || kind == TFocusKind::CaptionEditor);
    btnDateTime->setEnabled(dates);
    InsertDateTime1->menuAction()->setEnabled(dates);
}

void TTextCard::ShowTopicStyle(uint8_t style) {
    acBold->SetChecked(style & kFlagBold);
    acItalic->SetChecked(style & kFlagItalic);
    acUnderline->SetChecked(style & kFlagUnderline);
    btnStrike->setChecked(style & kFlagStrikeOut);
}

void TTextCard::SelectionChanged(QTextEdit* editor) {
    if (!editor || !editor->hasFocus()) return;
    const QTextCharFormat f = editor->currentCharFormat();
    acBold->SetChecked(f.fontWeight() >= QFont::DemiBold);
    acItalic->SetChecked(f.fontItalic());
    acUnderline->SetChecked(f.fontUnderline());
    btnStrike->setChecked(f.fontStrikeOut());
    const QTextCursor c = editor->textCursor();
    btnBullet->setChecked(c.currentList() != nullptr);
    const Qt::Alignment align = c.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    btnRightAlign->setChecked(align & Qt::AlignRight);
    btnCenterAlign->setChecked(align & Qt::AlignHCenter);
    btnLeftAlign->setChecked(!(align & (Qt::AlignRight | Qt::AlignHCenter)));
    const QString name = StoredFontName(f);
    cbFontName->SetFontName(name.isEmpty() ? DefaultFontName : name);
    const double points = f.fontPointSize();
    UpdateFontSizeList(editor, points > 0 ? QString::number(int(std::ceil(points))) : QString());
}

void TTextCard::UpdateFontSizeList(QTextEdit* editor, const QString& size) {
    const int points = size.isEmpty() ? DefaultFontSize : size.toInt();
    const QString name = editor ? StoredFontName(editor->currentCharFormat()) : QString();
    // The list of a font is the same each time: rebuilt only when the font changes.
    if (const QString font = name.isEmpty() ? DefaultFontName : name;
        font != cbFontSize->FontName())
        cbFontSize->SetFontName(font);
    // Only shown: a size not in the list is the user's own, and stays in the text.
    cbFontSize->ShowSize(points);
}

void TTextCard::ApplyFontBoxes(bool name) {
    QTextEdit* t = FontComboTarget;
    if (!t) return;
    if (!t->isReadOnly()) {
        QTextCharFormat f;
        if (name) {
            SetStoredFontName(f, cbFontName->FontName());
            t->mergeCurrentCharFormat(f);
            UpdateFontSizeList(t, cbFontSize->currentText());
        } else if (const int size = cbFontSize->Size(); size > 0) {
            f.setFontPointSize(size);
            t->mergeCurrentCharFormat(f);
        }
    }
    t->setFocus(Qt::OtherFocusReason);
}

void TTextCard::ApplyStyle(uint8_t bit, bool set) {
    QWidget* w = nullptr;
    const TFocusKind kind = FocusKind(&w);
    if (kind == TFocusKind::Panel || kind == TFocusKind::CaptionEditor) {
        SetTopicStyleBits(bit, set);
        return;
    }
    if (kind != TFocusKind::RichEditor) return;
    auto* e = static_cast<QTextEdit*>(w);
    if (e->isReadOnly()) return;
    QTextCharFormat f;
    switch (bit) {
    case kFlagBold: f.setFontWeight(set ? QFont::Bold : QFont::Normal); break;
    case kFlagItalic: f.setFontItalic(set); break;
    case kFlagUnderline: f.setFontUnderline(set); break;
    case kFlagStrikeOut: f.setFontStrikeOut(set); break;
    default: return;
    }
    e->mergeCurrentCharFormat(f);
}

void TTextCard::SetTopicStyleBits(uint8_t bit, bool set) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    TNester& m = *g->Nester;
    const int current = g->CurrentRow();
    QStringList refused;
    for (int r = 0; r < m.RowCount(); ++r) {
        if ((r != current && !m.IsMarked(r)) || m.IsLocked(r)) continue;
        const uint8_t style = m.GetFontStyle(r);
        m.SetFontStyle(r, set ? style | bit : style & ~bit);
        StoreCaptionLook(m, r, m.FontColor(r), style, refused);
        if (g->RowHeights(r) > g->DefaultRowHeight()) g->FitRowHeight(r);
        g->DrawRow(r);
    }
    TellRefusedLooks(refused);
    if (g->IsRowValid(current))
        g->CaptionEditor->SetFontStyle(BitsToFontStyles(m.GetFontStyle(current)));
}

void TTextCard::IndentFirstLine(int direction) {
    QTextEdit* e = ActiveTextEditor();
    if (!e || e->isReadOnly()) return;
    const qreal indent = e->textCursor().blockFormat().textIndent();
    if (direction < 0 && indent < kIndentStep) return;
    QTextBlockFormat f;
    f.setTextIndent(indent + direction * kIndentStep);
    e->textCursor().mergeBlockFormat(f);
}

void TTextCard::BuildColorMenu() {
    pmColor->clear();
    imlColor.clear();
    const QColor face = toQColor(clBtnFace);
    for (int i = 0; i < 16; ++i) {
        QPixmap pm(50, 16);
        pm.fill(face);
        {
            QPainter p(&pm);
            p.setPen(Qt::black);
            p.setBrush(toQColor(kColorTable[i].Color));
            // The rectangle from (13, 2) to (46, 14), its outline inside.
            p.drawRect(QRect(13, 2, 32, 11));
        }
        imlColor.append(pm);
        QAction* item = pmColor->addAction(QIcon(pm), QString::fromLatin1(kColorTable[i].Name));
        item->setCheckable(true);
        item->setData(i);
        connect(item, &QAction::triggered, this,
                [this, item] { GuardCall([&] { ApplyColorMenuItem(item); }); });
    }
}

void TTextCard::ApplyColorMenuItem(QAction* item) {
    const int tag = item->data().toInt();
    if (tag < 0 || tag >= 16) return;
    const TColor c = kColorTable[tag].Color;
    QWidget* w = nullptr;
    const TFocusKind kind = FocusKind(&w);
    if (kind == TFocusKind::RichEditor) {
        auto* e = static_cast<QTextEdit*>(w);
        if (e->isReadOnly()) return;
        QTextCharFormat f;
        f.setForeground(toQColor(c));
        e->mergeCurrentCharFormat(f);
        return;
    }
    if (kind != TFocusKind::Panel && kind != TFocusKind::CaptionEditor) return;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    TNester& m = *g->Nester;
    const TColor stored = c == ColorScheme.FontColor ? kDefaultFontColor : c;
    QStringList refused;
    auto recolor = [&](int r) {
        if (m.IsLocked(r)) return;
        const int32_t old = m.FontColor(r);
        m.SetFontColor(r, stored);
        StoreCaptionLook(m, r, old, m.GetFontStyle(r), refused);
        g->DrawRow(r);
    };
    const int current = g->CurrentRow();
    if (g->IsRowValid(current) && !m.IsLocked(current)) {
        recolor(current);
        const int32_t shown = m.FontColor(current);
        g->CaptionEditor->SetFontColor(shown == kDefaultFontColor ? ColorScheme.FontColor : shown);
    }
    for (int r = 0; r < m.RowCount(); ++r)
        if (r != current && m.IsMarked(r)) recolor(r);
    TellRefusedLooks(refused);
}

void TTextCard::UpdateColorMenuChecks() {
    for (QAction* a : pmColor->actions()) a->setChecked(false);
    QWidget* w = nullptr;
    const TFocusKind kind = FocusKind(&w);
    TColor color;
    if (kind == TFocusKind::RichEditor) {
        const QTextCharFormat f = static_cast<QTextEdit*>(w)->currentCharFormat();
        color = fromQColor(f.hasProperty(QTextFormat::ForegroundBrush)
                               ? f.foreground().color()
                               : w->palette().color(QPalette::Text));
    } else if (kind == TFocusKind::Panel || kind == TFocusKind::CaptionEditor) {
        TKivStringGrid* g = ctx_.CurrentGrid();
        if (!g || !g->IsRowValid(g->CurrentRow())) return;
        color = g->Nester->FontColor(g->CurrentRow());
        if (color == kDefaultFontColor) color = ColorScheme.FontColor;
    } else {
        return;
    }
    for (QAction* a : pmColor->actions())
        if (kColorTable[a->data().toInt()].Color == color) a->setChecked(true);
}

void TTextCard::DefaultTextCardFont() {
    dlgDefFont.Font =
        FontChoice{DefaultFontName, DefaultFontSize, DefaultFontColor, DefaultFontStyle};
    if (!dlgDefFont.Execute()) return;
    DefaultFontName = dlgDefFont.Font.Name;
    DefaultFontSize = dlgDefFont.Font.Size;
    DefaultFontColor = dlgDefFont.Font.Color;
    DefaultFontStyle = dlgDefFont.Font.Styles;
    if (!txtSimpleText->document()->isEmpty()) return;
    txtSimpleText->setCurrentCharFormat(DefaultCardFormat());
    cbFontName->SetFontName(DefaultFontName);
    UpdateFontSizeList(txtSimpleText, QString::number(DefaultFontSize));
}

}  // namespace kiv
