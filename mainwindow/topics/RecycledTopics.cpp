// The Recycled Bin's command and window: restored topics appear where they stood, put ones
// at the end of the active panel.
#include <QMainWindow>

#include "dialogs/RecycledBinWindow.h"
#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/bins/BinsInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/topics/TopicCommands.h"

namespace kiv {

void TTopicCommands::UpdateRecycledBinImage() {
    SetImageIndex(&binsColumn_->ShowRecycledBinCommand(),
                  RecycledBin().Count() > 0 || LostBin().Count() > 0 ? 20 : 6);
}

void TTopicCommands::acShowRecycledBinExecute() {
    if (!ctx_.DatastructureOpen()) return;
    ctx_.FlushCurrentRow();
    if (!frmRecycledBin_) {
        frmRecycledBin_ = new TfrmRecycledBin(&ctx_.Window());
        frmRecycledBin_->OnRestored = [this](const TRestoreResult& r, TNavigator& trail) {
            ShowRestored(r, trail);
        };
        frmRecycledBin_->OnRestoreFailed = [this] {
            ReloadShownPanels();
            ctx_.ReloadCurrentRow();
        };
        frmRecycledBin_->OnPut = [this](const TItemArray& items) {
            return PutIntoActivePanel(items);
        };
        frmRecycledBin_->OnStoresChanged = [this] { UpdateRecycledBinImage(); };
    }
    TfrmRecycledBin& w = *frmRecycledBin_;
    w.Recycled = &RecycledBin();
    w.Lost = &LostBin();
    w.NestFile = ctx_.Pair().Outline.get();
    w.CardFile = ctx_.Pair().Cards.get();
    if (w.isVisible()) w.hide();  // shown again: the lists are read again
    w.show();
    w.raise();
    w.activateWindow();
}

void TTopicCommands::ReloadShownPanels() {
    for (int k = 1; k <= PanelCount; ++k) {
        TKivStringGrid* g = PanelsManager().PanelByNumber(k);
        if (!g || g->isHidden()) continue;
        ReloadShownRows(*g->Nester);
        g->RowsChanged(0);
        if (g->IsRowValid(g->CurrentRow())) g->SetRow(g->CurrentRow());
    }
}

void TTopicCommands::ShowRestored(const TRestoreResult& r, TNavigator& trail) {
    // Every shown panel is read again: none may keep rows from before the topic came back
    // (a nest written from those would lose it again). The first one showing the topic in
    // its nest, as a level of its own or inline, selects it there, the path unchanged.
    ReloadShownPanels();
    TKivStringGrid* showing = nullptr;
    int row = -1;
    for (int k = 1; !showing && k <= PanelCount; ++k) {
        TKivStringGrid* g = PanelsManager().PanelByNumber(k);
        if (!g || g->isHidden()) continue;
        const TNester& m = *g->Nester;
        for (int i = 0; !showing && i < m.RowCount(); ++i)
            if (m.ParentNest(i) == r.ParentNest && m.GetItem(i) == r.Item) {
                showing = g;
                row = i;
            }
    }
    if (showing) {
        showing->SelectRow(row);
        showing->MakeActive();
        PanelsManager().RefreshPanelsFrom(showing->Tag);
        ctx_.ReloadCurrentRow();
        return;
    }
    ctx_.ReloadCurrentRow();
    if (!ctx_.Open().Navigator || trail.Count() == 0) return;
    ctx_.Open().Navigator->Assign(trail);
    navPath_->NavigateToLevel(ctx_.Open().Navigator->LastIndex(), false);
}

bool TTopicCommands::PutIntoActivePanel(const TItemArray& items) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g || items.empty()) return false;
    if (g->InsertTopics(items, 0x7FFFFFFF, false, true, -1) == 0) return false;
    if (g->Nester->RowCount() > 0) g->SelectRow(g->Nester->RowCount() - 1);
    PanelsManager().RefreshPanelsFrom(g->Tag);
    ctx_.ReloadCurrentRow();
    return true;
}

}  // namespace kiv
