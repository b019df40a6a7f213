// The drop box: topics dragged inside the program and let go over the box that lies on a
// row go into that row's branch, after its children, and leave the panel they came from.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>

#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/drops/Drops.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

// The items go under the row, after its children: as rows after its last shown child when
// the panel shows them inline, else into its child nest (a new one when it has none).
// False when nothing was written.
bool PutUnderRow(TKivStringGrid* g, int row, const TItemArray& items) {
    TNester& m = *g->Nester;
    const int32_t child = m.ChildNest(row);
    if (child < 0) return false;
    if (child > 0 && g->TreeMode && m.IsExpanded(row)) {
        // The row's shown sub-tree, itself included.
        const int pos = m.NextSibling(row, true);
        int lastChild = row + 1;
        for (int r = row + 1; r < pos; ++r)
            if (m.Level(r) == m.Level(row) + 1) lastChild = r;
        return g->InsertTopics(items, pos, false, true, lastChild - pos) > 0;
    }
    if (child > 0) {
        AddNestItems(m.NestFile(), uint32_t(child), items);
    } else {
        m.SetChildNest(row, int32_t(AppendNestBlock(m.NestFile(), items)));
        if (!m.SaveRowItem(row)) {
            m.SetChildNest(row, 0);
            return false;
        }
    }
    UpdateHoistedNode(EditContext(g), row);
    g->DrawRow(row);
    return true;
}

}  // namespace

bool TDrops::eventFilter(QObject* watched, QEvent* event) {
    if (watched != imDropBox) return false;
    const QEvent::Type t = event->type();
    if (t != QEvent::DragEnter && t != QEvent::DragMove && t != QEvent::Drop) return false;
    auto* e = static_cast<QDropEvent*>(event);
    if (!e->mimeData() ||
        !e->mimeData()->hasFormat(QString::fromLatin1(TKivStringGrid::InternalDragFormat))) {
        e->ignore();
        return true;
    }
    QObject* source = TKivStringGrid::InternalDragSource();
    // Let in, so that the moves come here and are answered one by one.
    if (t == QEvent::DragEnter) {
        e->acceptProposedAction();
        return true;
    }
    if (t == QEvent::Drop) {
        GuardCall([&] { imDropBoxDragDrop(source); });
        e->acceptProposedAction();
        return true;
    }
    bool accept = false;
    GuardCall([&] { imDropBoxDragOver(source, accept); });
    if (accept) e->acceptProposedAction();
    else e->ignore();
    return true;
}

void TDrops::ShowDropMarker(TKivStringGrid* grid, int row) {
    if (row < 0) {
        pnlDropBox->hide();
        return;
    }
    // On the panel itself, over the row's badge; it takes no drops, so the panel under it
    // goes on receiving the drag.
    if (pnlDropBox->parentWidget() != grid->viewport()) pnlDropBox->setParent(grid->viewport());
    const QRect content = grid->RowContentRect(row);
    pnlDropBox->move(content.x() + 1, content.y() + 1);
    if (imDropBoxTag != 1) {
        imDropBox->setPixmap(imlAppend[1]);
        imDropBoxTag = 1;
    }
    pnlDropBox->show();
    pnlDropBox->raise();
}

TKivStringGrid* TDrops::DropBoxGrid() const {
    QWidget* on = pnlDropBox->parentWidget();
    return on ? qobject_cast<TKivStringGrid*>(on->parentWidget()) : nullptr;
}

int TDrops::DropBoxRow(TKivStringGrid* grid) const {
    if (!grid) return -1;
    const QPoint at = pnlDropBox->pos();
    return grid->RowAt(at.x(), at.y());
}

void TDrops::imDropBoxDragOver(QObject* Source, bool& Accept) {
    if (imDropBoxTag != 0) {
        imDropBox->setPixmap(imlAppend[0]);
        imDropBoxTag = 0;
    }
    TKivStringGrid* target = DropBoxGrid();
    const int row = DropBoxRow(target);
    // A topic that stands for another datastructure takes no topics; its file is not ours.
    Accept = qobject_cast<TKivStringGrid*>(Source) && target && target->IsRowValid(row) &&
             target->Nester->ChildNest(row) >= 0 && !ctx_.IsBusy();
    ctx_.ShowStatusHint(Accept ? QStringLiteral("Transfer items(s) to underlying branch")
                               : QString());
}

bool TDrops::DropBoxMayTake(TKivStringGrid* source, TKivStringGrid* target, int row) {
    TNester& m = *target->Nester;
    if (!m.ValidRow(row) || m.ChildNest(row) < 0) return false;
    const bool withCurrent = source->Tag >= target->Tag;
    const TItemArray items = source->Nester->GetMarkedItems(withCurrent);
    if (items.empty()) return false;
    if (source == target && (m.IsMarked(row) || (withCurrent && row == m.CurrentRow())))
        return false;
    // Into a branch of a dragged topic (also through a clone of one) the move would make a
    // topic its own descendant.
    BlockFile* f = m.NestFile();
    const int32_t child = m.ChildNest(row);
    if (NestInsideItems(f, m.ParentNest(row), items) ||
        (child > 0 && NestInsideItems(f, uint32_t(child), items))) {
        MessageDlg(QStringLiteral("It is not possible to move a topic or clone to its own branch."),
                   MsgType::Error, MsgButtons::OK);
        return false;
    }
    return true;
}

void TDrops::imDropBoxDragDrop(QObject* Source) {
    auto* source = qobject_cast<TKivStringGrid*>(Source);
    TKivStringGrid* target = DropBoxGrid();
    const int row = DropBoxRow(target);
    pnlDropBox->hide();
    ctx_.ShowStatusHint(QString());
    if (!source || !target || !target->IsRowValid(row) || ctx_.IsBusy()) return;
    ctx_.FlushCurrentRow();
    // From a panel before the target only the marked topics go: the current one there is
    // an ancestor of every row the target shows.
    const bool withCurrent = source->Tag >= target->Tag;
    source->UnmarkShownDescendants();
    if (!DropBoxMayTake(source, target, row)) return;
    const TItemArray items = source->Nester->GetMarkedItems(withCurrent);
    // Taking the topics out rewrites their sibling groups from the rows shown: a group the
    // items were just added to behind the rows' back would lose them again.
    if (!(target->TreeMode && target->Nester->IsExpanded(row)))
        for (int r : source->Nester->GetMarkedRows(withCurrent))
            if (int64_t(source->Nester->ParentNest(r)) == int64_t(target->Nester->ChildNest(row)))
                return;

    // In first, out second: a move that fails half-way leaves a topic twice, never nowhere.
    if (!PutUnderRow(target, row, items)) return;
    source->DeleteMarkedTopics(false, withCurrent, true);
    hoist_->UpdateHoistButton();
    if (source == target && PanelsManagerExists()) PanelsManager().RefreshPanelsFrom(target->Tag);
    ctx_.ReloadCurrentRow();
}

}  // namespace kiv
