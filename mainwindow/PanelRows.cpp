#include "mainwindow/PanelRows.h"

#include <QMainWindow>

#include "engine/core/Nester.h"
#include "engine/core/Node.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/WindowContext.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

void InsertNodeRow(TNester& model, int index, const TNode& node, int level) {
    TNestPack pack;
    pack.ParentNest = node.ParentNest;
    pack.CardDir = node.CardDir;
    pack.ChildNest = int32_t(node.ChildNest);
    pack.Level = level;
    model.InsertRow(index, pack);
    model.LoadRowCards(index);
    model.SetNode(index, node);
}

void ActivatePanel(TKivStringGrid* grid) {
    grid->MakeActive();
    if (CurrentPanel != grid->Tag) grid->DoEnter();
}

void LoadHoistedNodes(TNester& model, const TNodeArray& nodes) {
    model.Clear();
    for (size_t i = 0; i < nodes.size(); ++i) InsertNodeRow(model, int(i), nodes[i], 0);
}

void FocusCaptionEditorInEditMode(IWindowContext& ctx, TKivStringGrid* orElse) {
    TKivStringGrid* g = ctx.CurrentGrid();
    if (!g || !ctx.Window().isVisible()) return;
    if (PanelsManager().EditMode && g->CaptionEditor && g->CaptionEditor->height() > 0)
        g->CaptionEditor->setFocus(Qt::OtherFocusReason);
    else if (orElse && isShown(orElse)) orElse->setFocus(Qt::OtherFocusReason);
}

}  // namespace kiv
