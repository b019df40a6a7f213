// The caption editor: a frameless word-wrapping memo that hands its keys to the grid's
// editor handlers first, with the Windows key codes and the characters as an edit control
// receives them.
#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include "engine/panels/KivStringGrid.h"
#include "platform/qt/Fonts.h"

namespace kiv {

TKivMemo::TKivMemo(TKivStringGrid* grid) : QTextEdit(grid->viewport()), grid_(grid) {
    setObjectName(QStringLiteral("CaptionEditor"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::ClickFocus);  // no tab stop
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(kCaptionWrap);
    setTabChangesFocus(true);
    // What is dropped on a row is the panel's (links, a caption for an untitled topic,
    // topics), also while the row's caption is being edited: never text in the caption.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    document()->setDocumentMargin(0);
    setContentsMargins(0, 0, 0, 0);
    setViewportMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    setGeometry(0, 0, 0, 0);
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!loading_ && OnChange) OnChange(this);
    });
    ApplyPalette();
    ApplyLinePitch();
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
        ApplyLinePitch();
        document()->clearUndoRedoStacks();
    }
    document()->setModified(false);
}

void TKivMemo::SetLinePitch(int pixels) {
    if (pixels <= 0 || pixels == pitch_) return;
    pitch_ = pixels;
    ApplyLinePitch();
}

void TKivMemo::ApplyLinePitch() {
    QTextBlockFormat f;
    f.setLineHeight(pitch_, QTextBlockFormat::FixedHeight);
    bool uniform = true;
    for (QTextBlock b = document()->firstBlock(); b.isValid() && uniform; b = b.next())
        uniform = b.blockFormat().lineHeightType() == QTextBlockFormat::FixedHeight &&
                  b.blockFormat().lineHeight() == pitch_;
    if (uniform) return;
    // A change of format is an edit to the document: Ctrl+Z must not undo it and the
    // caption is not modified by it. Switching undo off for it clears the history, which
    // only a change of the scheme font in the middle of an edit loses.
    const bool modified = document()->isModified();
    const bool undo = document()->isUndoRedoEnabled();
    const bool wasLoading = loading_;
    loading_ = true;
    document()->setUndoRedoEnabled(false);
    QTextCursor c(document());
    c.select(QTextCursor::Document);
    c.mergeBlockFormat(f);
    document()->setUndoRedoEnabled(undo);
    document()->setModified(modified);
    loading_ = wasLoading;
}

void TKivMemo::insertFromMimeData(const QMimeData* source) {
    // Plain text typed in at the caret: new lines take the caret's block format (the pitch).
    if (source && source->hasText()) textCursor().insertText(source->text());
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
    s->setValue(s->value() - pitch_);
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
        else if (e->key() == Qt::Key_Escape) ch = QChar(27);
        else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) ch = QChar(13);
        else if (e->text().size() == 1 && e->text()[0].unicode() != 0x7F) ch = e->text()[0];
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
    QTextEdit::keyPressEvent(e);
    e->accept();  // keys belong to the focused control only, never to the grid behind it
}

void TKivMemo::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) {  // a held key is one press
        e->accept();
        return;
    }
    Word key = WinKeyOf(e);
    if (OnKeyUp) OnKeyUp(this, key, ShiftStateOf(e));
    QTextEdit::keyReleaseEvent(e);
    e->accept();
}

void TKivMemo::inputMethodEvent(QInputMethodEvent* e) {
    // Composed characters go through the same character check as typed ones.
    const QString commit = e->commitString();
    for (QChar c : commit) {
        QChar ch = c;
        if (!PassChar(ch)) {
            QInputMethodEvent dropped(e->preeditString(), e->attributes());
            QTextEdit::inputMethodEvent(&dropped);
            return;
        }
    }
    QTextEdit::inputMethodEvent(e);
}

void TKivMemo::focusInEvent(QFocusEvent* e) {
    QTextEdit::focusInEvent(e);
    grid_->EditorFocusIn(e);
}

void TKivMemo::focusOutEvent(QFocusEvent* e) {
    QTextEdit::focusOutEvent(e);
    grid_->EditorFocusOut(e);
}

}  // namespace kiv
