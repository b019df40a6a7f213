// Structural edits of an outline panel: the model and file work is done by the outline
// edits of engine/core; here the panel follows (row count and heights, selection, the
// caption editor, the later panels).
#include <QString>
#include <algorithm>

#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/LegacyText.h"
#include "platform/core/RtfReader.h"

namespace kiv {

TPanelContext EditContext(const TKivStringGrid* g) {
    TPanelContext c;
    c.Model = g->Nester.get();
    c.Panel = g->Tag;
    c.TreeMode = g->TreeMode;
    c.PanelCount = PanelCount;
    if (g->Tag > 1 && PanelsManagerExists())
        if (TKivStringGrid* prev = PanelsManager().PanelByNumber(g->Tag - 1))
            c.PrevModel = prev->Nester.get();
    c.Trail = OpenTrail();
    c.BookMark = OpenBookMark();
    return c;
}

namespace {

void RefreshLaterPanels(int k) {
    if (PanelsManagerExists()) PanelsManager().RefreshPanelsFrom(k);
}

// The editor shows the current row's caption again, unmodified: whatever it held was
// stored to its own topic before the rows changed under it.
void ReloadEditor(TKivStringGrid* g) {
    const int row = g->CurrentRow();
    g->CaptionEditor->SetText(
        g->IsRowValid(row) ? TKivStringGrid::CaptionToText(g->Nester->Caption(row)) : QString());
    g->CaptionEditor->SetModified(false);
}

// After an edit failed half-way the rows may show what the file never got: they are read
// again, the panels after this one with them, and the failure goes on to be reported.
template <class Edit>
auto ReloadingOnFailure(TKivStringGrid* g, Edit edit) {
    try {
        return edit();
    } catch (...) {
        ReloadShownRows(*g->Nester);
        g->RowsChanged(0);
        if (g->IsRowValid(g->CurrentRow())) g->SelectRow(g->CurrentRow());
        RefreshLaterPanels(g->Tag);
        ReloadEditor(g);
        throw;
    }
}

}  // namespace

int TKivStringGrid::InsertTopics(const TItemArray& items, int Pos, bool Select, bool AsSiblings,
                                 int Offset) {
    const TInsertResult r = InsertTopicItems(EditContext(this), items, Pos, AsSiblings, Offset);
    if (r.Inserted == 0) return 0;
    if (r.RootChanged) {
        if (r.PrevRowChanged && PanelsManagerExists())
            if (TKivStringGrid* prev = PanelsManager().PanelByNumber(Tag - 1))
                prev->DrawRow(prev->CurrentRow());
        RowsChanged(0);
        RefreshLaterPanels(Tag);
        SelectRow(0);
        return r.Inserted;
    }
    RowsChanged(r.FromRow);
    if (Select) SelectRow(r.Pos);
    RefreshLaterPanels(Tag);
    return r.Inserted;
}

void TKivStringGrid::DeleteMarkedTopics(bool Recycle, bool WithCurrent, bool Refresh) {
    if (Nester->RowCount() == 0) return;
    // A pending edit belongs to the topic it was typed for, which may be about to go; one
    // that could not be stored keeps the topics as they are.
    if (!StoreEditedCaption()) return;
    ReloadingOnFailure(this,
                       [&] { return DeleteMarkedRows(EditContext(this), Recycle, WithCurrent); });
    if (Refresh) {
        RowsChanged(0);
        SelectRow(IsRowValid(CurrentRow()) ? CurrentRow() : Nester->LastRow());
    }
    ReloadEditor(this);
}

bool TKivStringGrid::MoveMarkedTopics(int Target, bool After, bool Beside) {
    if (Nester->RowCount() == 0) return false;
    if (!StoreEditedCaption()) return false;
    if (!ReloadingOnFailure(this, [&] {
            return MoveMarkedRows(EditContext(this), Target, After, Beside);
        }))
        return false;
    RowsChanged(0);
    if (IsRowValid(CurrentRow())) SetRow(CurrentRow());
    ReloadEditor(this);
    return true;
}

bool TKivStringGrid::MoveMarkedTopicsByKey(int Direction) {
    if (Nester->RowCount() == 0) return false;
    UnmarkShownDescendants();
    const int rows = Nester->RowCount();
    bool after = true, beside = true;
    const int target = KeyMoveTarget(EditContext(this), Direction, after, beside);
    if (target >= 0 && MoveMarkedTopics(target, after, beside)) return true;
    if (Nester->RowCount() != rows) RowsChanged(0);  // children shown on the way
    return false;
}

void TKivStringGrid::JoinTopics() {
    if (Nester->RowCount() == 0) return;
    if (!StoreEditedCaption()) return;
    const bool joined =
        JoinMarkedRows(EditContext(this), [this](int row) { return TextCardPlainText(row); });
    RowsChanged(0);  // rows were collapsed even when nothing could be joined
    const int row = IsRowValid(CurrentRow()) ? CurrentRow() : Nester->LastRow();
    SelectRow(row);
    if (joined && IsRowValid(row)) {
        DrawRow(row);
        FitRowHeight(row);
        RefreshLaterPanels(CurrentPanel);
    }
    ReloadEditor(this);
}

void TKivStringGrid::SplitTopic() {
    if (!IsRowValid(CurrentRow())) return;
    const QString text = CaptionEditor->Text();
    const int p = std::clamp(CaptionEditor->SelStart(), 0, int(text.size()));
    const std::string head = TextToCaption(text.left(p));
    const std::string tail = TextToCaption(text.mid(p));
    TInsertResult r;
    const int row = SplitRowCaption(EditContext(this), head, tail, &r);
    if (r.Inserted > 0) {
        RowsChanged(r.FromRow);
        RefreshLaterPanels(Tag);
    }
    if (row < 0) return;
    CaptionEditor->SetText(CaptionToText(head));
    CaptionEditor->SetModified(false);
    CaptionEditor->SetSelStart(int(CaptionEditor->Text().size()));
    DrawRow(CurrentRow());
    DrawRow(row);
}

void TKivStringGrid::RowsChanged(int FromRow) {
    SetRowCount(Nester->RowCount());
    UpdateRowHeights(FromRow);
    if (OnItemsUpdated) OnItemsUpdated(this, Nester->RootNest);
}

std::string TKivStringGrid::TextCardPlainText(int row) {
    std::string card;
    Nester->Cards().ReadRowCard(kCardText, row, card);
    if (!card.empty() && card[0] == '\x01') card.erase(0, 1);
    // Stored text, as the card it may become.
    return LegacyText::Encode(RtfToPlainText(card));
}

int TKivStringGrid::FindItemRow(const TNestItem& item, bool Select, int StartRow) {
    const int row = kiv::FindItemRow(*Nester, item, StartRow);
    if (row >= 0 && Select) SelectRow(row);
    return row;
}

void TKivStringGrid::ExpandRow(int row) {
    if (!IsRowValid(row) || !ShowsChildrenInline(EditContext(this), row)) return;
    if (Nester->IsExpanded(row) || Nester->ChildNest(row) <= 0) return;
    Nester->Expand(row);
    RowsChanged(row + 1);
}

void TKivStringGrid::CollapseRow(int row) {
    if (!TreeMode || !IsRowValid(row) || !Nester->IsExpanded(row)) return;
    // The current topic is about to be hidden: its own row's topic takes over first, so
    // that the change is announced and nothing is stored to a row that left.
    const int end = Nester->NextSibling(row, true);
    if (CurrentRow() > row && CurrentRow() < end) SelectRow(row);
    Nester->Collapse(row);
    RowsChanged(row + 1);
}

void TKivStringGrid::UnmarkShownDescendants() {
    const TIArray marked = Nester->GetMarkedRows(false);
    const int current = UnmarkShownDescendantsRow(EditContext(this));
    if (current >= 0) SelectRow(current);
    for (int r : marked)
        if (IsRowValid(r) && !Nester->IsMarked(r)) DrawRow(r);
}

bool TKivStringGrid::IsHoistedRow(int row) const {
    return kiv::IsHoistedRow(EditContext(this), row);
}

bool TKivStringGrid::IsHoistedTopRow(int row) const {
    return kiv::IsHoistedTopRow(EditContext(this), row);
}

bool TKivStringGrid::IsSinglePanelRootRow(int row) const {
    return kiv::IsSinglePanelRootRow(EditContext(this), row);
}

bool TKivStringGrid::HasSinglePanelRoot() const {
    return kiv::HasSinglePanelRoot(EditContext(this));
}

bool TKivStringGrid::ValidateNavigator(TNavigator& trail) {
    return ValidateTrail(Nester->NestFile(), Nester->Cards(), trail);
}

}  // namespace kiv
