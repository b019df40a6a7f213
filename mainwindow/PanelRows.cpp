#include "mainwindow/PanelRows.h"

#include "engine/core/Nester.h"
#include "engine/core/Node.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"

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

}  // namespace kiv
