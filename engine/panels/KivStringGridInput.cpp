// The outline panel's input: making a row current, the active panel, the caption editor,
// the mouse, hit tests and the start of the program's own topic drag.
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>

#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/KivError.h"
#include "platform/core/StoredPath.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Screen.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

const char* const TKivStringGrid::InternalDragFormat = "application/x-kiv-internal-drag";

namespace {
constexpr int kDragThreshold = 8;

void DefaultDragStarter(TKivStringGrid* source, QMimeData* data) {
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

TKivStringGrid::TDragStarter& DragStarter() {
    static TKivStringGrid::TDragStarter starter = DefaultDragStarter;
    return starter;
}

QPointer<QObject>& DragSource() {
    static QPointer<QObject> source;
    return source;
}

// (x, y) within the rectangle from (l, t) to (r, b), edges included.
bool Within(int x, int y, int l, int t, int r, int b) {
    return x >= l && x <= r && y >= t && y <= b;
}
}  // namespace

// ---- making a row current ----

void TKivStringGrid::SelectRow(int row) {
    if (Nester->RowCount() == 0) {
        Nester->SetCurrentRow(0);
        return;
    }
    if (row < 0 || row >= RowCount() || !IsRowValid(row)) return;
    const int32_t color = Nester->FontColor(row);
    CaptionEditor->SetFontColor(color == kDefaultFontColor ? ColorScheme.FontColor : color);
    CaptionEditor->SetFontStyle(Nester->GetFontStyle(row));
    if (row != CurrentRow()) {
        // What was typed stays with its own topic.
        if (!StoreEditedCaption()) return;
        const int old = CurrentRow();
        Nester->SetCurrentRow(row);
        CaptionEditor->SetText(CaptionToText(Nester->Caption(row)));
        ExternalPath.clear();
        if (Nester->ChildNest(row) == -1) {
            std::string external;
            Nester->Cards().ReadRowCard(kCardExternal, row, external);
            ExternalPath = ResolveStoredPath(external, BaseFolder);
        }
        SetRow(row);
        DrawRow(old);
        DrawRow(row);
        if (editing_ && IsActivePanel()) {
            FitRowHeight(row);
            DrawRow(row);
        }
        if (OnSelRowChanged) OnSelRowChanged(this, old, row);
    } else {
        if (!CaptionEditor->Modified()) CaptionEditor->SetText(CaptionToText(Nester->Caption(row)));
        SetRow(row);
    }
}

void TKivStringGrid::ClearMarks() {
    for (int r = 0; r < Nester->RowCount(); ++r) {
        if (!Nester->IsMarked(r)) continue;
        Nester->SetMarked(r, false);
        DrawRow(r);
    }
}

// ---- the active panel ----

void TKivStringGrid::MakeActive() {
    if (isShown(this) && isEnabled() && focusPolicy() != Qt::NoFocus &&
        PanelsManager().FormActive && window()->isVisible())
        setFocus(Qt::OtherFocusReason);
    else EnterPanel();
}

void TKivStringGrid::DoEnter() {
    // Focus arriving in the grid or its editor enters the panel once; a direct call
    // without the focus (MakeActive on a hidden window) always runs.
    if (HasFocusHere()) {
        if (entered_) return;
        entered_ = true;
    }
    EnterPanel();
}

void TKivStringGrid::DoExit() {
    // The caption editor is part of the panel: focus moving into it leaves nothing.
    if (!entered_ || HasFocusHere()) return;
    entered_ = false;
    ExitPanel();
}

void TKivStringGrid::EnterPanel() {
    TKivPanelsManager& m = PanelsManager();
    const int old = CurrentPanel;
    const bool changed = old != Tag;
    if (changed) {
        if (TKivStringGrid* prev = m.PanelByNumber(old)) {
            // A refused caption has been told and stays in that panel's editor.
            static_cast<void>(prev->StoreEditedCaption());
            if (prev->OnSelRowChanged) prev->OnSelRowChanged(prev, prev->CurrentRow(), -1);
        }
    }
    CurrentPanel = Tag;
    for (int n = 1; n <= PanelCount; ++n) {
        TKivStringGrid* g = m.PanelByNumber(n);
        if (!g) continue;
        g->DrawRow(g->CurrentRow());
        if (g != this) g->setFocusPolicy(Qt::ClickFocus);
    }
    if (changed && IsRowValid(CurrentRow()) && OnSelRowChanged)
        OnSelRowChanged(this, -1, CurrentRow());
    setFocusPolicy(Qt::StrongFocus);
    TStringGrid::DoEnter();
    if (changed && OnPanelChanged) OnPanelChanged(this, old, Tag);
}

void TKivStringGrid::ExitPanel() {
    TStringGrid::DoExit();
    DrawRow(CurrentRow());
    if (editing_ && !IsActivePanel()) {
        CaptionEditor->SetColor(ColorScheme.SelRowColor);
        // A refused caption has been told and stays in the editor.
        static_cast<void>(StoreEditedCaption());
    }
}

void TKivStringGrid::focusInEvent(QFocusEvent* e) {
    TStringGrid::focusInEvent(e);
    if (IsEnterOrExit(e)) DoEnter();
    DrawRow(CurrentRow());
}

void TKivStringGrid::focusOutEvent(QFocusEvent* e) {
    TStringGrid::focusOutEvent(e);
    if (IsEnterOrExit(e) && !HasFocusHere()) DoExit();
    DrawRow(CurrentRow());
}

void TKivStringGrid::EditorFocusIn(QFocusEvent* e) {
    if (IsEnterOrExit(e)) DoEnter();
    DrawRow(CurrentRow());
}

void TKivStringGrid::EditorFocusOut(QFocusEvent* e) {
    if (IsEnterOrExit(e) && !HasFocusHere()) DoExit();
    DrawRow(CurrentRow());
}

// ---- the caption editor ----

void TKivStringGrid::SetEditing(bool on) {
    if (on) {
        editing_ = true;
        if (Nester->RowCount() == 0) return;
        TKivPanelsManager& m = PanelsManager();
        if (!m.EditMode) m.SetEditMode(true);
        const int row = CurrentRow();
        if (IsRowValid(row)) {
            const int32_t color = Nester->FontColor(row);
            CaptionEditor->SetFontColor(color == kDefaultFontColor ? ColorScheme.FontColor : color);
            CaptionEditor->SetFontStyle(Nester->GetFontStyle(row));
        }
        DrawRow(row);
        // Switched on again while on: what was typed is stored, not dropped by the reload;
        // a caption that could not be stored is kept (also from before edit mode ended).
        if (StoreEditedCaption() && IsRowValid(row) && !CaptionEditor->Modified())
            CaptionEditor->SetText(CaptionToText(Nester->Caption(row)));
        if (IsActivePanel()) {
            FitRowHeight(row);
            DrawRow(row);
            if (isShown(this) && isVisible()) CaptionEditor->setFocus(Qt::OtherFocusReason);
        }
    } else {
        CaptionEditor->resize(CaptionEditor->width(), 0);
        // A refused caption has been told, and stays in the editor for the next edit of its row.
        static_cast<void>(StoreEditedCaption());
        editing_ = false;
        if (IsActivePanel() && isShown(this) && isVisible()) setFocus(Qt::OtherFocusReason);
        Repaint();
    }
}

bool TKivStringGrid::StoreEditedCaption() {
    if (!editing_ || !CaptionEditor->Modified()) return true;
    const int row = CurrentRow();
    if (!IsRowValid(row)) return true;
    bool stored = false;
    std::string reason;
    try {
        stored = Nester->SetCaption(row, TextToCaption(CaptionEditor->Text()));
    } catch (const EKivError& e) {
        reason = e.what();
    }
    if (!stored) {
        const QString why = reason.empty()
                                ? QString()
                                : QStringLiteral(" (%1)").arg(QString::fromStdString(reason));
        MessageDlg(
            QStringLiteral(
                "The caption of \"%1\" could not be stored%2. The typed text stays in the editor.")
                .arg(CaptionToText(Nester->Caption(row)), why),
            MsgType::Error, MsgButtons::OK);
        return false;
    }
    CaptionEditor->SetModified(false);
    if (OnTitleModified) OnTitleModified(this, row);
    return true;
}

void TKivStringGrid::PlaceEditor(const QRect& rect, bool withColour) {
    const RowLayout l = LayoutRow(CurrentRow());
    PlaceEditorAt(rect, withColour, l.visible ? l.fill : CaptionEditor->Color());
}

void TKivStringGrid::PlaceEditorAt(const QRect& rect, bool withColour, TColor fill) {
    if (!editing_ || Nester->RowCount() == 0 || CellRect(0, CurrentRow()).isEmpty()) {
        if (CaptionEditor->height() != 0) CaptionEditor->resize(CaptionEditor->width(), 0);
        return;
    }
    if (withColour && CaptionEditor->Color() != fill) CaptionEditor->SetColor(fill);
    EditorRect = rect;
    if (CaptionEditor->geometry() != rect) CaptionEditor->setGeometry(rect);
    if (CaptionEditor->isHidden()) CaptionEditor->show();
    CaptionEditor->viewport()->update();
}

void TKivStringGrid::EditorKeyDown(Word& Key, TShiftState Shift) {
    KeyDownSeen = true;
    TKivPanelsManager& m = PanelsManager();
    switch (Key) {
    case VK_ESCAPE: m.SetEditMode(false); break;
    case VK_PRIOR:
    case VK_NEXT: {
        Word k = Key;
        KeyDown(k, Shift);
        k = Key;
        KeyUp(k, Shift);
        Key = 0;
        break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
        if (Shift.Keys() != TShiftState(ssAlt)) break;
        const int n = Key == VK_LEFT ? Tag - 1 : Tag + 1;
        if (n < 1 || n > PanelCount) break;
        TKivStringGrid* g = m.PanelByNumber(n);
        if (g && isShown(g)) g->CaptionEditor->setFocus(Qt::OtherFocusReason);
        break;
    }
    default: break;
    }
}

void TKivStringGrid::EditorKeyPress(QChar& Key) {
    if (!KeyDownSeen) {
        Key = QChar(0);
        return;
    }
    const ushort c = Key.unicode();
    if (c != 27 && IsRowValid(CurrentRow()) && Nester->IsLocked(CurrentRow())) {
        Key = QChar(0);
        MessageDlg(QStringLiteral("Can't edit topic, it is locked."), MsgType::Warning,
                   MsgButtons::OK);
        return;
    }
    if (c == 1 || c == 10 || c == 19) Key = QChar(0);
}

void TKivStringGrid::EditorKeyUp(Word&, TShiftState) {
    KeyDownSeen = false;
    const int row = CurrentRow();
    if (IsRowValid(row)) {
        FitRowHeight(row);
        DrawRow(row);
    }
    CaptionEditor->ScrollLineUp();
    const int lastVisible = TopRow() + VisibleRowCount() - 1;
    if (row >= lastVisible && row != TopRow() && TopRow() < RowCount() - 1) SetTopRow(TopRow() + 1);
}

void TKivStringGrid::EditorChange() {
    if (OnEditChanged) OnEditChanged(this, CaptionEditor->Text());
}

// ---- hit tests ----

bool TKivStringGrid::IsOverLaunchIcon(int x, int y) const {
    const int row = RowAt(x, y);
    if (!IsRowValid(row) || textOnly_) return false;
    if (Nester->LaunchList().Count(row) < 1) return false;
    if (documentView_ && !docViewLaunchImage_) return false;
    const QRect c = RowContentRect(row);
    const QPixmap& bm = PanelsManager().LinksBitmap;
    const int w = bm.width(), h = bm.height();
    if (RowHeights(row) > PanelsManager().LineHeight + 8) {
        const int l = c.x() + 2, t = c.y() + 14;
        return Within(x, y, l, t, l + w + 4, t + h + 4);
    }
    const int l = c.x() + 30, t = c.y();
    return Within(x, y, l, t, l + w, t + h);
}

bool TKivStringGrid::IsOverTextIcon(int x, int y) const {
    const int row = RowAt(x, y);
    if (!IsRowValid(row) || textOnly_ || !Nester->HasText(row)) return false;
    if (documentView_ && !docViewTextPointer_) return false;
    const QRect c = RowContentRect(row);
    const QPixmap& bm = PanelsManager().TextBitmap;
    const int l = c.x() + 22, t = c.y() + 1;
    return Within(x, y, l, t, l + bm.width() + 2, t + bm.height() + 2);
}

bool TKivStringGrid::IsOverHeightBox(int x, int y) const {
    const int row = RowAt(x, y);
    if (!IsRowValid(row) || textOnly_ || !Nester->HasHeightBox(row)) return false;
    const QRect c = RowContentRect(row);
    const int r = c.x() + c.width(), b = c.y() + c.height();
    return Within(x, y, r - 16, b - 12, r, b);
}

bool TKivStringGrid::IsOverBadge(int x, int y) const {
    const int row = RowAt(x, y);
    if (!IsRowValid(row)) return false;
    if (documentView_ && !docViewCircles_ && !docViewNumbers_) return false;
    const QRect c = RowContentRect(row);
    return Within(x, y, c.x(), c.y(), c.x() + 25, c.y() + 14);
}

// ---- mouse ----

void TKivStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    HoverRow = RowAt(X, Y);
    if (Button == mbRight && Shift.Contains(ssDouble)) return;
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        if (Nester->RowCount() > 0) {
            TStringGrid::MouseDown(Button, Shift, X, Y);
            if (editing_ && CaptionEditor->height() > 0)
                CaptionEditor->setFocus(Qt::MouseFocusReason);
        } else {
            InsertTopics(TItemArray{TNestItem{0, 0}}, 0, true, true, 0);
            if (Nester->RowCount() > 0) TStringGrid::MouseDown(Button, Shift, X, Y);
        }
        return;
    }
    if (Button == mbLeft) {
        DragStarted = false;
        dragPending_ = false;
        if (Nester->RowCount() > 0 && HoverRow > -1) DragArmed = true;
        TStringGrid::MouseDown(Button, Shift, X, Y);
        if (IsActivePanel() && editing_ && isShown(CaptionEditor) && CaptionEditor->height() > 0) {
            CaptionEditor->setFocus(Qt::MouseFocusReason);
            PlaceCaretAt(viewport()->mapToGlobal(QPoint(X, Y)));
        }
        return;
    }
    TStringGrid::MouseDown(Button, Shift, X, Y);
}

void TKivStringGrid::PlaceCaretAt(const QPoint& global) {
    // A click on the caption's row beside the editor (past its text, say) puts the caret
    // where the click was, as a click into the editor does.
    QWidget* area = CaptionEditor->viewport();
    const QPoint at = area->mapFromGlobal(global);
    if (at.y() < 0 || at.y() >= area->height()) return;
    CaptionEditor->setTextCursor(CaptionEditor->cursorForPosition(at));
}

void TKivStringGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TStringGrid::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) {
        DragArmed = false;
        if (dragPending_) {
            // The button came up before the mouse went far enough: no drag.
            dragPending_ = false;
            DragStarted = false;
        }
    }
}

void TKivStringGrid::BeginPendingDrag(int x, int y) {
    DragStarted = true;
    DragArmed = false;
    dragPending_ = true;
    dragOrigin_ = QPoint(x, y);
}

void TKivStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
    const bool inside = viewport()->rect().contains(X, Y);
    HoverRow = inside ? RowAt(X, Y) : -1;
    TStringGrid::MouseMove(Shift, X, Y);
    const bool held = Shift.Contains(ssLeft);
    if (dragPending_) {
        if (!held) {
            dragPending_ = false;
            DragStarted = false;
        } else if ((QPoint(X, Y) - dragOrigin_).manhattanLength() >= kDragThreshold) {
            dragPending_ = false;
            StartDrag();
        }
    } else if (IsActivePanel() && DragArmed && Nester->RowCount() > 0 && held &&
               !PanelsManager().EditMode) {
        // Over another row, or out of the panel while the button is held (the pointer is
        // grabbed then, so no leave event comes before the release).
        if ((HoverRow >= 0 && HoverRow != CurrentRow()) || !inside) BeginPendingDrag(X, Y);
    }

    bool hand = false;
    if (IsRowValid(HoverRow)) {
        if (Nester->LaunchList().Count(HoverRow) > 0 && IsOverLaunchIcon(X, Y)) hand = true;
        if (!hand && !editing_ && IsOverHeightBox(X, Y)) hand = true;
        if (!hand && TreeMode && Nester->ChildNest(HoverRow) > 0 && IsOverBadge(X, Y)) hand = true;
    }
    SetControlCursor(viewport(), hand ? crHandPoint : crDefault);
    if (IsOverLaunchIcon(X, Y) && OnMouseOverLaunch) OnMouseOverLaunch(this, HoverRow);
}

void TKivStringGrid::MouseLeave() {
    TStringGrid::MouseLeave();
    HoverRow = -1;
    if (DragArmed && Nester->RowCount() > 0 && !PanelsManager().EditMode &&
        (QApplication::mouseButtons() & Qt::LeftButton)) {
        const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
        BeginPendingDrag(p.x(), p.y());
    }
}

// ---- the program's own topic drag ----

void TKivStringGrid::SetDragStarter(TDragStarter starter) {
    DragStarter() = starter ? std::move(starter) : TDragStarter(DefaultDragStarter);
}

QObject* TKivStringGrid::InternalDragSource() { return DragSource().data(); }

void TKivStringGrid::SetInternalDragSource(QObject* source) { DragSource() = source; }

void TKivStringGrid::StartDrag() {
    DragStarted = true;
    if (OnStartDrag) OnStartDrag(this);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(InternalDragFormat), QByteArray::number(Tag));
    SetInternalDragSource(this);
    struct End {
        TKivStringGrid* g;
        ~End() { SetInternalDragSource(nullptr); }
    } end{this};
    DragStarter()(this, data);
    if (OnEndDrag) OnEndDrag(this);
}

void TKivStringGrid::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasFormat(QString::fromLatin1(InternalDragFormat)))
        e->acceptProposedAction();
    else e->ignore();
}

void TKivStringGrid::dragMoveEvent(QDragMoveEvent* e) {
    if (!e->mimeData()->hasFormat(QString::fromLatin1(InternalDragFormat))) {
        e->ignore();
        return;
    }
    const QPoint p = e->position().toPoint();
    bool accept = false;
    if (OnDragOver) OnDragOver(this, InternalDragSource(), p.x(), p.y(), accept);
    if (accept) e->acceptProposedAction();
    else e->ignore();
}

void TKivStringGrid::dropEvent(QDropEvent* e) {
    if (!e->mimeData()->hasFormat(QString::fromLatin1(InternalDragFormat))) {
        e->ignore();
        return;
    }
    const QPoint p = e->position().toPoint();
    if (OnDragDrop) OnDragDrop(this, InternalDragSource(), p.x(), p.y());
    e->acceptProposedAction();
}

}  // namespace kiv
