// Entries of the bins dropped on an outline panel: Resource Bin links attached to the topic
// under the pointer, templates copied in after it, topics set aside in the Clip Bin moved
// there.
#include <QListWidget>
#include <algorithm>

#include "engine/core/NestFunctions.h"
#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/panels/PanelHandlers.h"
#include "platform/core/AppPaths.h"
#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {

// Where topics dropped after the row go: after its sub-tree; the top of an empty panel.
int PositionAfter(TKivStringGrid* grid, int row) {
    const TNester& m = *grid->Nester;
    return m.ValidRow(row) ? m.NextSibling(row, true) : 0;
}

}  // namespace

QListWidget* TPanelHandlers::BinListOf(QObject* source) const {
    return binsColumn_->BinListOf(source) == IBinsColumn::TBinList::None
               ? nullptr
               : qobject_cast<QListWidget*>(source);
}

void TPanelHandlers::BinDragOver(TKivStringGrid* Sender, QListWidget* list, int X, int Y,
                                 bool& Accept) {
    ShowDropMarker(Sender, -1);
    ctx_.ShowStatusHint(QString());
    Accept = false;
    if (list->selectedItems().isEmpty()) return;
    TKivStringGrid* prev =
        Sender->Tag > 1 ? PanelsManager().PanelByNumber(Sender->Tag - 1) : nullptr;
    if (prev && prev->Nester->RowCount() == 0) return;
    const bool empty = Sender->Nester->RowCount() == 0;
    if (binsColumn_->BinListOf(list) == IBinsColumn::TBinList::Launch && empty) return;
    int col = -1, cell = -1;
    Sender->MouseToCell(X, Y, col, cell);
    const int row = Sender->RowAt(X, Y);
    Sender->HoverRow = row;
    // An empty panel takes templates and set-aside topics on its one blank line.
    Accept = empty ? cell == 0 : Sender->IsRowValid(row) && !Sender->IsSinglePanelRootRow(row);
}

void TPanelHandlers::BinDragDrop(TKivStringGrid* Sender, QListWidget* list, int X, int Y) {
    FlushCurrentRow();
    ctx_.ShowStatusHint(QString());
    bool accept = false;
    BinDragOver(Sender, list, X, Y, accept);
    if (!accept) return;
    const int row = Sender->Nester->RowCount() == 0 ? -1 : Sender->RowAt(X, Y);
    if (binsColumn_->BinListOf(list) == IBinsColumn::TBinList::Launch)
        DropResourceLinks(Sender, row);
    else if (binsColumn_->BinListOf(list) == IBinsColumn::TBinList::Template)
        DropTemplates(Sender, row);
    else DropClipTopics(Sender, row);
}

void TPanelHandlers::DropResourceLinks(TKivStringGrid* Sender, int row) {
    std::string links;
    for (const QString& line : resourceBin_->TakeSelectedLaunchBinLines())
        links += TextToStored(line) + "\r\n";
    launch_->AddLinksToTopic(Sender, row, links);
}

void TPanelHandlers::DropTemplates(TKivStringGrid* Sender, int row) {
    TItemArray items;
    for (int i : templateBin_->SelectedTemplateLines())
        items.push_back(templateBin_->TemplateAt(i).Item());
    {
        TBusyGuard busy(ctx_.BusyCounter());
        // One copy, one clone table: templates sharing clones stay clones of each other.
        branchCopy_(Sender, PositionAfter(Sender, row), AppDir() + "template.kiv", items);
    }
    templateBin_->DeselectTemplates();
}

void TPanelHandlers::DropClipTopics(TKivStringGrid* Sender, int row) {
    TNester& target = *Sender->Nester;
    BlockFile* nests = target.NestFile();
    // The nest the topics go into: the row's, or the one the empty panel shows.
    uint32_t destination = 0;
    if (target.ValidRow(row)) {
        target.TagRow(row);
        destination = target.ParentNest(row);
    } else if (TKivStringGrid* prev =
                   Sender->Tag > 1 ? PanelsManager().PanelByNumber(Sender->Tag - 1) : nullptr) {
        if (prev->IsRowValid(prev->CurrentRow()))
            destination = uint32_t(prev->Nester->ChildNest(prev->CurrentRow()));
    } else {
        destination = target.RootNest;
    }
    const std::vector<int> rows = clipBin_->SelectedClipLines();
    TItemArray moved;
    std::vector<int> leaving;
    bool refused = false;
    for (int i : rows) {
        const TRecycledRecord r = clipBin_->ClipAt(i);
        TItemArray siblings;
        if (NestFollowed(r.ParentNest)) ReadNestItems(nests, r.ParentNest, siblings);
        const auto at = std::find_if(siblings.begin(), siblings.end(), [&r](const TNestItem& it) {
            return it == r.Item() || (r.CardDir != 0 && it.CardDir == r.CardDir) ||
                   (int32_t(r.ChildNest) > 0 && it.ChildNest == r.ChildNest);
        });
        if (at != siblings.end()) {
            const TNestItem item = *at;
            if (NestInsideItems(nests, destination, {item}) ||
                (target.ValidRow(row) && target.GetItem(row) == item)) {
                refused = true;
                continue;  // the entry stays
            }
            siblings.erase(at);
            WriteNestItems(nests, r.ParentNest, siblings);
            // Every panel showing it lets it go; the tagged row keeps its place among them.
            for (TKivStringGrid* g : PanelsManager().Panels)
                for (int gr = g->Nester->RowCount() - 1; gr >= 0; --gr)
                    if (g->Nester->ParentNest(gr) == r.ParentNest &&
                        g->Nester->GetItem(gr) == item) {
                        const int subtree = g->Nester->NextSibling(gr, true) - gr;
                        for (int n = 0; n < std::max(1, subtree); ++n) g->Nester->DeleteRow(gr);
                    }
            moved.push_back(item);
        }
        // A topic no longer where it was set aside leaves the bin too.
        leaving.push_back(i);
    }
    for (auto it = leaving.rbegin(); it != leaving.rend(); ++it) clipBin_->RemoveClipLine(*it);
    if (!moved.empty()) {
        const int tagged = target.FindTaggedRow();
        Sender->InsertTopics(moved, tagged >= 0 ? PositionAfter(Sender, tagged) : target.RowCount(),
                             false, true, 0);
    }
    for (TKivStringGrid* g : PanelsManager().Panels) g->RowsChanged(0);
    ReloadCurrentRow();
    if (refused)
        MessageDlg(QStringLiteral("It is not possible to transfer a topic to its own branch."),
                   MsgType::Error, MsgButtons::OK);
}

}  // namespace kiv
