// The in-place cell editor and the grid's side of editing. The editor writes its text to
// the cell as the user types (SetEditText, only when the text changed); Enter ends the edit,
// Esc puts back the text the cell had when the edit began.
#include <QApplication>
#include <QKeyEvent>

#include "platform/qt/Grids.h"

namespace kiv {

// ---- The grid's side ----

bool TCustomGrid::CanEditShow() {
    return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && editorMode_ &&
           (options_.Contains(goAlwaysShowEditor) || IsActiveControl());
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::SetEditorMode(bool Value) {
    if (!Value) {
        HideEditor();
    } else {
        ShowEditor();
        if (editor_ && inplaceCol_ >= 0) editor_->Deselect();
    }
}

void TCustomGrid::ShowEditor() {
    if (!options_.Contains(goEditing) || options_.Contains(goRowSelect)) return;
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    editorMode_ = false;
    HideEdit();
}

void TCustomGrid::UpdateEdit() {
    if (!CanEditShow()) return;
    if (!editor_) {
        editor_ = CreateEditor();
        UpdateEditor();
    } else if (current_.X != inplaceCol_ || current_.Y != inplaceRow_) {
        HideEdit();
        UpdateEditor();
    }
    if (CanEditShow()) editor_->Move(CellRect(current_.X, current_.Y));
}

void TCustomGrid::UpdateEditor() {
    inplaceCol_ = current_.X;
    inplaceRow_ = current_.Y;
    editor_->UpdateContents();
    editStartText_ = editLastText_ = editor_->text();
    editor_->selectAll();
}

void TCustomGrid::HideEdit() {
    if (!editor_) return;
    struct Finally {
        TCustomGrid* g;
        ~Finally() {
            g->inplaceCol_ = -1;
            g->inplaceRow_ = -1;
            if (g->editor_->hasFocus()) {
                // Keep the focus in the grid; Qt would pass it to the next control.
                g->focusHandOver_ = true;
                g->setFocus(Qt::OtherFocusReason);
                g->focusHandOver_ = false;
            }
            g->editor_->hide();
        }
    } finally{this};
    UpdateText();
}

void TCustomGrid::UpdateText() {
    if (!editor_ || inplaceCol_ < 0 || inplaceRow_ < 0) return;
    const QString t = editor_->text();
    if (t == editLastText_) return;
    editLastText_ = t;
    ++editUpdate_;
    struct Done {
        int& depth;
        ~Done() { --depth; }
    } done{editUpdate_};
    SetEditText(inplaceCol_, inplaceRow_, t);
}

void TCustomGrid::CancelEdit() {
    if (!editor_ || inplaceCol_ < 0) {
        HideEditor();
        return;
    }
    editor_->setText(editStartText_);
    UpdateText();
    if (options_.Contains(goAlwaysShowEditor)) editor_->selectAll();
    else HideEditor();
}

void TCustomGrid::InvalidateEditor() {
    if (!editor_ || inplaceCol_ < 0) return;
    if (editUpdate_ > 0) return;  // our own write from the editor
    editor_->UpdateContents();
    editLastText_ = editor_->text();
}

void TCustomGrid::EditorTextEdited() { UpdateText(); }

void TCustomGrid::ShowEditorChar(QChar Ch) {
    ShowEditor();
    if (editor_ && inplaceCol_ >= 0 && editor_->isVisible()) editor_->TypeChar(Ch);
    else KeyPress(Ch);
}

// ---- The editor ----

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
    setObjectName(QStringLiteral("InplaceEdit"));
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { grid_->EditorTextEdited(); });
}

void TInplaceEdit::UpdateContents() {
    setFont(grid_->font());
    QPalette pal = palette();
    pal.setColor(QPalette::Base, toQColor(grid_->Color()));
    setPalette(pal);
    setText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    setReadOnly(!grid_->CanEditModify());
}

void TInplaceEdit::Deselect() {
    deselect();
    end(false);
}

void TInplaceEdit::Move(const QRect& Loc) {
    if (Loc.isEmpty()) {
        if (hasFocus()) {
            grid_->focusHandOver_ = true;
            grid_->setFocus(Qt::OtherFocusReason);
            grid_->focusHandOver_ = false;
        }
        hide();
        return;
    }
    if (geometry() != Loc) setGeometry(Loc);
    if (isHidden()) show();
    if (grid_->hasFocus()) {
        grid_->focusHandOver_ = true;
        setFocus(Qt::OtherFocusReason);
        grid_->focusHandOver_ = false;
    }
}

QChar TInplaceEdit::FilterChar(QChar Ch) {
    KeyPress(Ch);
    return Ch;
}

void TInplaceEdit::TypeChar(QChar Ch) {
    Ch = FilterChar(Ch);
    if (Ch.isNull() || isReadOnly()) return;
    if (Ch.unicode() == 8) backspace();
    else if (Ch.unicode() >= 32) insert(QString(Ch));
    grid_->UpdateText();
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    auto sendToGrid = [&] {
        grid_->KeyDown(Key, Shift);
        Key = 0;
    };
    auto gridEvent = [&] {
        if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, Key, Shift);
    };
    const TShiftState keys = Shift.Keys();
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE: sendToGrid(); break;
    case VK_INSERT:
        if (keys.Empty()) sendToGrid();
        else if (keys == TShiftState(ssShift) && !grid_->CanEditModify()) Key = 0;
        break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) sendToGrid();
        break;
    case VK_F2:
        gridEvent();
        if (Key == VK_F2) {
            Deselect();
            return;
        }
        break;
    case VK_DELETE:
        if (!grid_->CanEditModify()) Key = 0;
        break;
    default: break;  // Left, Right, Home and End stay with the editor
    }
    if (Key != 0) gridEvent();
}

void TInplaceEdit::KeyPress(QChar& Key) {
    grid_->KeyPress(Key);
    switch (Key.unicode()) {
    case 0: break;
    case 9:
    case 27: Key = QChar(0); break;
    case 13:
        // Enter with the editor always shown: select all, or deselect when all is selected.
        if (selectionStart() == 0 && selectedText().size() == text().size() && hasSelectedText())
            Deselect();
        else selectAll();
        Key = QChar(0);
        break;
    default:
        if ((Key.unicode() == 8 || Key.unicode() == 0x16 || Key.unicode() == 0x18 ||
             Key.unicode() >= 32) &&
            !grid_->CanEditModify())
            Key = QChar(0);
        break;
    }
}

bool TInplaceEdit::event(QEvent* e) {
    // Tab belongs to the grid while it keeps Tab (goTabs); else it moves the focus on.
    if (e->type() == QEvent::KeyPress && grid_->Options().Contains(goTabs)) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TInplaceEdit::keyPressEvent(QKeyEvent* e) {
    e->accept();
    const Word original = WinKeyOf(e);
    Word key = original;
    const TShiftState shift = ShiftStateOf(e);
    bool keyDone = false;  // the editor's own handling of the key is skipped
    if (key) {
        KeyDown(key, shift);
        keyDone = key == 0 || (original == VK_F2 && key == VK_F2);
    }
    QChar ch;
    const QString t = e->text();
    const bool hasChar = t.size() == 1 && !(e->modifiers() & Qt::AltModifier) &&
                         t[0].unicode() != 0x7F && t[0].unicode() != 0;
    if (hasChar) {
        // The character follows the key as on Windows, even when the key was taken.
        ch = FilterChar(t[0]);
        if (ch.isNull()) return;
        if (keyDone || ch != t[0]) {
            if (isReadOnly()) return;
            if (ch.unicode() == 8) backspace();
            else if (ch.unicode() >= 32) insert(QString(ch));
            grid_->UpdateText();
            return;
        }
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (!keyDone) QLineEdit::keyPressEvent(e);
}

void TInplaceEdit::keyReleaseEvent(QKeyEvent* e) {
    e->accept();
    if (e->isAutoRepeat()) return;
    Word key = WinKeyOf(e);
    if (key) grid_->KeyUp(key, ShiftStateOf(e));
}

void TInplaceEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    grid_->FocusArrived(e, true);
}

void TInplaceEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    grid_->FocusLeft(e);
}

}  // namespace kiv
