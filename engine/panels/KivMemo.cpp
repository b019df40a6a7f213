// The caption editor: a frameless word-wrapping memo that hands its keys to the grid's
// editor handlers first, with the Windows key codes and the characters as an edit control
// receives them.
#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include "engine/panels/KivStringGrid.h"
#include "platform/qt/Fonts.h"

namespace kiv {

TKivMemo::TKivMemo(TKivStringGrid* grid) : QPlainTextEdit(grid->viewport()), grid_(grid) {
    setObjectName(QStringLiteral("CaptionEditor"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus);  // no tab stop
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);
    setContentsMargins(0, 0, 0, 0);
    setViewportMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    setGeometry(0, 0, 0, 0);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!loading_ && OnChange) OnChange(this);
    });
    ApplyPalette();
    // Setting the document's margin counts as an edit: a new editor holds nothing typed.
    document()->clearUndoRedoStacks();
    document()->setModified(false);
}

QString TKivMemo::Text() const { return toPlainText(); }

void TKivMemo::SetText(const QString& text) {
    if (text != toPlainText()) {
        loading_ = true;
        struct Reset {
            bool& f;
            ~Reset() { f = false; }
        } reset{loading_};
        setPlainText(text);
    }
    document()->setModified(false);
}

bool TKivMemo::Modified() const { return document()->isModified(); }

void TKivMemo::SetModified(bool on) { document()->setModified(on); }

int TKivMemo::SelStart() const { return textCursor().position(); }

void TKivMemo::SetSelStart(int pos) {
    QTextCursor c = textCursor();
    const int end = document()->characterCount() - 1;
    c.setPosition(std::clamp(pos, 0, std::max(0, end)));
    setTextCursor(c);
}

int TKivMemo::CaretLine() const {
    const QTextCursor c = textCursor();
    int line = 0;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        const QTextLayout* l = b.layout();
        if (b == c.block()) {
            if (l && l->lineCount() > 0) {
                const QTextLine tl = l->lineForTextPosition(c.positionInBlock());
                if (tl.isValid()) line += tl.lineNumber();
            }
            return line;
        }
        line += (l && l->lineCount() > 0) ? l->lineCount() : 1;
    }
    return line;
}

int TKivMemo::LineCount() const {
    int n = 0;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        const QTextLayout* l = b.layout();
        n += (l && l->lineCount() > 0) ? l->lineCount() : 1;
    }
    return n;
}

void TKivMemo::SetColor(TColor c) {
    color_ = c;
    ApplyPalette();
}

void TKivMemo::SetFontColor(TColor c) {
    fontColor_ = c;
    ApplyPalette();
}

void TKivMemo::SetFontStyle(TFontStyles style) {
    QFont f = font();
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    if (f != font()) setFont(f);
}

void TKivMemo::SetSchemeFont(const QString& storedName, int pointSize) {
    const TFontStyles style = StylesOf(font());
    setFont(FontFromStored(storedName, pointSize, style));
}

void TKivMemo::ScrollLineUp() {
    QScrollBar* s = verticalScrollBar();
    s->setValue(s->value() - 1);
}

void TKivMemo::ApplyPalette() {
    QPalette p = palette();
    p.setColor(QPalette::Base, toQColor(color_));
    p.setColor(QPalette::Window, toQColor(color_));
    p.setColor(QPalette::Text, toQColor(fontColor_));
    setPalette(p);
    viewport()->setPalette(p);
}

bool TKivMemo::PassChar(QChar& ch) {
    if (OnKeyPress) OnKeyPress(this, ch);
    return ch.unicode() != 0;
}

void TKivMemo::keyPressEvent(QKeyEvent* e) {
    const Word original = WinKeyOf(e);
    Word key = original;
    const TShiftState shift = ShiftStateOf(e);
    // Every key counts as going down, also one without a Windows code (0).
    if (OnKeyDown) OnKeyDown(this, key, shift);
    // The character the key types, as an edit control receives it: Ctrl with a letter
    // gives the control character (Ctrl+A is #1), Alt combinations type nothing.
    QChar ch;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool alt = e->modifiers() & Qt::AltModifier;
    if (!alt) {
        if (ctrl && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            ch = QChar(ushort(e->key() - Qt::Key_A + 1));
        else if (e->key() == Qt::Key_Escape)
            ch = QChar(27);
        else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            ch = QChar(13);
        else if (e->text().size() == 1 && e->text()[0].unicode() != 0x7F)
            ch = e->text()[0];
    }
    if (!ch.isNull() && !PassChar(ch)) {
        e->accept();
        return;
    }
    if (original != 0 && key == 0 && ch.isNull()) {
        e->accept();  // swallowed by the handler
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
    e->accept();  // keys belong to the focused control only, never to the grid behind it
}

void TKivMemo::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) {  // a held key is one press
        e->accept();
        return;
    }
    Word key = WinKeyOf(e);
    if (OnKeyUp) OnKeyUp(this, key, ShiftStateOf(e));
    QPlainTextEdit::keyReleaseEvent(e);
    e->accept();
}

void TKivMemo::inputMethodEvent(QInputMethodEvent* e) {
    // Composed characters go through the same character check as typed ones.
    const QString commit = e->commitString();
    for (QChar c : commit) {
        QChar ch = c;
        if (!PassChar(ch)) {
            QInputMethodEvent dropped(e->preeditString(), e->attributes());
            QPlainTextEdit::inputMethodEvent(&dropped);
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(e);
}

void TKivMemo::focusInEvent(QFocusEvent* e) {
    QPlainTextEdit::focusInEvent(e);
    grid_->EditorFocusIn(e);
}

void TKivMemo::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    grid_->EditorFocusOut(e);
}

}  // namespace kiv
