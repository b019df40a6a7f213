// Copy, cut, paste and delete of topics: the topic clipboard holds {card directory, child
// nest, file}; a cut is moved back once within its own datastructure, every other paste
// copies the branches with their cards.
#include <algorithm>

#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/print/PrintInterface.h"
#include "mainwindow/topics/TopicCommands.h"
#include "platform/core/LegacyText.h"
#include "platform/core/SamePath.h"
#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {

const std::string& OpenPath() { return PanelsManager().DatastructurePath; }

}  // namespace

bool TTopicCommands::IsInOwnBranch(int32_t childNest, int panel, int row) const {
    TKivStringGrid* g = PanelsManager().PanelByNumber(panel);
    if (!g) return false;
    TOwnBranchView v;
    v.Model = g->Nester.get();
    v.Row = row;
    v.Panel = panel;
    v.TreeMode = g->TreeMode;
    v.Trail = ctx_.Open().Navigator.get();
    for (int k = panel - 1; k >= 1; --k) {
        TKivStringGrid* p = PanelsManager().PanelByNumber(k);
        if (p && p->IsRowValid(p->CurrentRow()))
            v.EarlierCurrentChildNests.push_back(p->Nester->ChildNest(p->CurrentRow()));
    }
    return kiv::IsInOwnBranch(childNest, v);
}

void TTopicCommands::CopyTopicsToClipboard() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    std::vector<TTopicClipRecord> records;
    if (g && g->IsRowValid(g->CurrentRow()))
        for (int r : g->Nester->GetMarkedRows(true))
            records.push_back(
                {g->Nester->CardDir(r), uint32_t(g->Nester->ChildNest(r)), OpenPath()});
    clipboard_.Fill(std::move(records), clipboard_.Cut);
}

void TTopicCommands::acCopyTopics() {
    clipboard_.Cut = false;
    CopyTopicsToClipboard();
}

void TTopicCommands::acCutTopics() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || !g->IsRowValid(g->CurrentRow()) || g->IsHoistedRow(g->CurrentRow())) return;
    if (g->TreeMode) {
        for (int r : g->Nester->GetMarkedRows(true))
            if (g->Nester->IsExpanded(r)) g->CollapseRow(r);
    }
    clipboard_.Cut = true;
    CopyTopicsToClipboard();
    g->KeyDownSeen = false;
    // Only what the delete took out is on the clipboard: a topic kept by a No stays where
    // it is and is not moved by the paste.
    clipboard_.KeepRemoved(DeleteTopic(g));
}

void TTopicCommands::acPasteTopics() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || clipboard_.Records.empty() || !ctx_.DatastructureOpen()) return;
    if (g->IsRowValid(g->CurrentRow()) && g->IsHoistedRow(g->CurrentRow())) return;
    ctx_.FlushCurrentRow();
    const TWaitMessage wait(*wait_, QString::fromLatin1(kPastingWait));
    BlockFile* nests = ctx_.Pair().Outline.get();
    auto rowAfterCurrent = [g] {
        const int cur = g->CurrentRow();
        return g->IsRowValid(cur) ? g->Nester->NextSibling(cur, true) : 0;
    };
    // The nest the pasted topics go into (beside the current topic); 0 when not known.
    auto destination = [g] {
        const int cur = g->CurrentRow();
        return g->IsRowValid(cur) ? g->Nester->ParentNest(cur) : uint32_t(0);
    };
    auto ownBranch = [&](const TTopicClipRecord& r, bool sameFile) {
        if (IsInOwnBranch(int32_t(r.ChildNest), g->Tag, g->CurrentRow())) return true;
        // Through a clone a branch can hold its own nest below where no panel shows it.
        const uint32_t dest = destination();
        return sameFile && dest && NestInsideItems(nests, dest, TItemArray{r.Item()});
    };
    auto refuse = [] {
        MessageDlg(QString::fromLatin1(kOwnBranchRefusal), MsgType::Error, MsgButtons::OK);
    };

    const std::vector<TTopicClipRecord> records = clipboard_.Records;
    size_t i = 0;
    int pos = rowAfterCurrent();
    for (; i < records.size(); ++i) {
        const TTopicClipRecord& r = records[i];
        const bool sameFile = SamePath(r.FileName, OpenPath());
        if (clipboard_.Cut && !clipboard_.CutPasted && sameFile) break;  // the move part
        if (ownBranch(r, sameFile)) {
            refuse();
            continue;
        }
        // A run of records of one file shares one clone table, so clones stay clones.
        TItemArray run{r.Item()};
        while (i + 1 < records.size() && records[i + 1].FileName == r.FileName &&
               !(clipboard_.Cut && !clipboard_.CutPasted && sameFile) &&
               !ownBranch(records[i + 1], sameFile))
            run.push_back(records[++i].Item());
        if (branchCopy_(g, pos, r.FileName, run) > 0) pos = g->CurrentRow() + 1;
    }
    if (i < records.size()) {
        for (; i < records.size(); ++i) {
            const TTopicClipRecord& r = records[i];
            if (!SamePath(r.FileName, OpenPath())) continue;
            if (ownBranch(r, true)) {
                refuse();
                continue;
            }
            const int cur = g->CurrentRow();
            const int next = rowAfterCurrent();
            if (g->InsertTopics(TItemArray{r.Item()}, next, true, true,
                                g->IsRowValid(cur) ? cur - next : 0) > 0) {
                // Back in the tree: the bins no longer hold it.
                ForgetItem(RecycledBin(), r.Item());
                ForgetItem(LostBin(), r.Item());
            }
        }
        clipboard_.CutPasted = true;
        UpdateRecycledBinImage();
    }
    if (g->IsRowValid(g->CurrentRow())) {
        g->Nester->ReloadRowItem(g->CurrentRow());
        g->DrawRow(g->CurrentRow());
    }
    PanelsManager().RefreshPanelsFrom(g->Tag);
    ctx_.ReloadCurrentRow();
}

TItemArray TTopicCommands::DeleteTopic(TKivStringGrid* g) {
    TItemArray removed;
    if (!g || !ctx_.DatastructureOpen()) return removed;
    TNester& m = *g->Nester;
    const int cur = m.CurrentRow();
    if (m.RowCount() == 0 || !m.ValidRow(cur)) return removed;
    if (g->IsHoistedTopRow(cur) || g->IsHoistedRow(cur) || g->IsSinglePanelRootRow(cur))
        return removed;
    ctx_.FlushCurrentRow();
    TCards cards;
    cards.SetCardFile(ctx_.Pair().Cards.get());
    bool withCurrent = true;
    for (int r : m.GetMarkedRows(true)) {
        bool keep = true;
        if (m.ChildNest(r) > 0 &&
            BranchHasLockedTopic(m.NestFile(), cards, uint32_t(m.ChildNest(r))))
            keep = MessageDlg(QString::fromStdString(
                                  LegacyText::Decode(LockedSubordinatesQuestion(m.Caption(r)))),
                              MsgType::Confirmation, MsgButtons::YesNo) != IDNO;
        if (keep && m.IsLocked(r))
            keep = MessageDlg(QString::fromStdString(
                                  LegacyText::Decode(LockedTopicQuestion(m.Caption(r)))),
                              MsgType::Confirmation, MsgButtons::YesNo) != IDNO;
        if (keep) continue;
        if (r == cur) withCurrent = false;
        else m.SetMarked(r, false);
    }
    const int before = RecycledBin().Count();
    g->DeleteMarkedTopics(true, withCurrent, true);
    for (int i = before; i < RecycledBin().Count(); ++i)
        removed.push_back(RecycledBin().GetItem(i).Item());

    if (m.RowCount() == 0 && !removed.empty()) {
        // The nest is empty: whatever came from it has no place to go back to.
        MoveNestEntriesToLost(RecycledBin(), LostBin(), m.RootNest);
        if (g->Tag >= 2) {
            if (TKivStringGrid* prev = PanelsManager().PanelByNumber(g->Tag - 1);
                prev && prev->IsRowValid(prev->CurrentRow())) {
                const int pr = prev->CurrentRow();
                prev->Nester->SetChildNest(pr, 0);
                if (prev->Nester->SaveRowItem(pr)) UpdateHoistedNode(EditContext(prev), pr);
                prev->DrawRow(pr);
            }
        } else if (TNavigator* trail = ctx_.Open().Navigator.get(); trail && trail->Count() > 0) {
            TNode last = trail->GetNode(trail->LastIndex());
            TNestItem stored;
            if (GetNestItem(m.NestFile(), last.ParentNest, int(last.Index), stored) &&
                stored == last.Item() &&
                SetNestItem(m.NestFile(), last.ParentNest, int(last.Index), {last.CardDir, 0})) {
                last.ChildNest = 0;
                trail->SetNode(trail->LastIndex(), last);
            }
        }
    }
    PanelsManager().RefreshPanelsFrom(g->Tag);
    UpdateRecycledBinImage();
    ctx_.ReloadCurrentRow();
    return removed;
}

}  // namespace kiv
