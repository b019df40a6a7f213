// The drop target's handlers, the launch bin's and text bin's share of a drop, the clip
// card and showing the bin panels. The drop box's move is in DropBox.cpp.
#include "mainwindow/drops/Drops.h"

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>

#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

// A drop box picture, as large as a row's badge less its frame: a bent arrow going down
// into a branch; the highlighted one is filled.
QPixmap AppendPicture(bool highlighted) {
    QPixmap pm(24, 13);
    pm.fill(highlighted ? QColor(0xFF, 0xE0, 0x60) : QColor(0xF4, 0xF4, 0xF4));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(highlighted ? QColor(0x00, 0x30, 0xC0) : QColor(0x70, 0x70, 0x70), 1.6));
    p.drawLine(QPointF(5, 2), QPointF(5, 8));
    p.drawLine(QPointF(5, 8), QPointF(17, 8));
    QPainterPath head;
    head.moveTo(20, 8);
    head.lineTo(15, 4.5);
    head.lineTo(15, 11.5);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 23, 12));
    return pm;
}

}  // namespace

void TDrops::BuildComponents() {
    panels_->SetDropMarker([this](TKivStringGrid* grid, int row) { ShowDropMarker(grid, row); });
    TWindowSkeleton& k = ctx_.Skeleton();
    QMainWindow* w = &ctx_.Window();
    pnlDropBox = Panel(w, "pnlDropBox");
    imlAppend = {AppendPicture(false), AppendPicture(true)};
    imDropBox = Named(new QLabel(pnlDropBox), "imDropBox");
    imDropBox->setToolTip(QStringLiteral("Add to the underlying branch"));
    imDropBox->setPixmap(imlAppend[0]);
    imDropBox->setGeometry(0, 0, imlAppend[0].width(), imlAppend[0].height());
    pnlDropBox->resize(imlAppend[0].size());
    pnlDropBox->hide();
    std::vector<QWidget*> targets = {panels_->Panel(1), panels_->Panel(2), panels_->Panel(3),
                                     resourceBin_->LaunchBinDropTarget(), launch_->DropTarget()};
    for (QWidget* t : graphic_->DropTargets()) targets.push_back(t);
    BuildDropComTag(targets);

    // The drop box takes the program's own topic drags.
    imDropBox->setAcceptDrops(true);
    imDropBox->installEventFilter(this);

    // The Text Bin stands in the View menu without a key.
    ctx_.Window().addAction(&textBin_->ShowTextBinCommand());
    k.View1->addAction(&textBin_->ShowTextBinCommand());
}

void TDrops::RegisterCollector(QWidget* dropPanel,
                               std::function<void(const QString&)> showPicture) {
    dropPanel_ = dropPanel;
    showCollectorPicture_ = std::move(showPicture);
    if (dropPanel) AddDropTarget(dropPanel);
}

bool TDrops::IsGraphicCard(const QWidget* target) const { return graphic_->IsDropTarget(target); }

// ---- DropComTag ----

bool TDrops::Locked() const { return fileCommands_->PasswordLocked(); }

void TDrops::DropComTagEnter(QWidget* Target, uint32_t& Effect) {
    Effect = EnterOn(Target, DropComTagContent(), Effect);
}

void TDrops::DropComTagLeave(QWidget* Target) {
    if (dropPanel_ && Target == dropPanel_) {
        if (showCollectorPicture_) showCollectorPicture_(QStringLiteral("swallow"));
        SetDragImage(true);
    }
}

void TDrops::DropComTagDrop(QWidget* Target, QPoint Point, uint32_t& Effect) {
    SetDragImage(true);
    if (!DropOn(Target, DropComTagContent(), Point)) Effect = kNoDropEffect;
}

uint32_t TDrops::EnterOn(QWidget* target, const TDropContent& drop, uint32_t effect) {
    // Without the password nothing of the datastructure changes, its bins included.
    if (Locked()) return kNoDropEffect;
    if (target && target == dropPanel_) {
        if (showCollectorPicture_) showCollectorPicture_(QStringLiteral("openswallow"));
        SetDragImage(false);
        return effect;
    }
    SetDragImage(true);
    if (IsGraphicCard(target) && !HasGraphicFile(drop.Files)) return kNoDropEffect;
    return effect;
}

bool TDrops::DropOn(QWidget* target, const TDropContent& dropped, QPoint point) {
    // A long operation (a search, the wait panel) has the topics; nothing changes under it.
    if (!target || ctx_.IsBusy()) return false;
    if (Locked()) {
        if (target == dropPanel_ && showCollectorPicture_)
            showCollectorPicture_(QStringLiteral("swallow"));
        return false;
    }
    const TDropContent drop = OneThing(dropped);
    if (target == dropPanel_) {
        DropOnCollector(drop);
    } else if (target == resourceBin_->LaunchBinDropTarget()) {
        AddToLaunchBin(drop);
    } else if (target == launch_->DropTarget()) {
        TKivStringGrid* g = ctx_.CurrentGrid();
        if (g && g->IsRowValid(g->CurrentRow()))
            launch_->AddLinksToTopic(g, g->CurrentRow(), BuildLinkLines(drop, false));
    } else if (IsGraphicCard(target)) {
        return DropOnGraphicCard(drop);
    } else if (auto* grid = qobject_cast<TKivStringGrid*>(target)) {
        DropOnPanel(grid, drop, grid->viewport()->mapFrom(grid, point));
    }
    return true;
}

void TDrops::DropOnPanel(TKivStringGrid* grid, const TDropContent& drop, QPoint at) {
    if (grid->Nester->RowCount() == 0) return;
    const int row = grid->RowAt(at.x(), at.y());
    if (!grid->IsRowValid(row)) return;
    // What the panes hold of the current topic is stored before the drop changes a topic.
    ctx_.FlushCurrentRow();
    const std::string lines = BuildLinkLines(drop, true);
    if (!lines.empty()) {
        launch_->AddLinksToTopic(grid, row, lines);
    } else if (!drop.Text.empty() && grid->Nester->Caption(row).empty()) {
        SetCaptionFromText(grid, row, drop.Text);
    }
    ctx_.ReloadCurrentRow();
}

bool TDrops::TopicTakesDrop(TKivStringGrid* grid, int row) {
    if (!grid || !grid->IsRowValid(row)) return false;
    if (!grid->Nester->IsLocked(row)) return true;
    MessageDlg(QStringLiteral("Can't add file or url, topic is locked."), MsgType::Warning,
               MsgButtons::OK);
    return false;
}

void TDrops::SetCaptionFromText(TKivStringGrid* grid, int row, const std::string& text) {
    if (!TopicTakesDrop(grid, row)) return;
    // Lines end in CR LF however the other program ended them.
    const std::string caption = TKivStringGrid::TextToCaption(StoredToText(text));
    if (!grid->Nester->SetCaption(row, caption)) return;
    if (grid->Editing() && grid->CurrentRow() == row) {
        grid->CaptionEditor->SetText(TKivStringGrid::CaptionToText(caption));
        grid->CaptionEditor->SetModified(false);
    }
    grid->DrawRow(row);
    if (grid->OnTitleModified) grid->OnTitleModified(grid, row);
}

void TDrops::DropOnCollector(const TDropContent& drop) {
    if (showCollectorPicture_) showCollectorPicture_(QStringLiteral("swallow"));
    AddToLaunchBin(drop);
    QTextEdit* bin = TextBinEditor;
    if (drop.Text.empty() || !bin) return;
    QTextCursor c = bin->textCursor();
    c.movePosition(QTextCursor::End);
    bin->setTextCursor(c);
    bin->insertPlainText(StoredToText(TextBinAppendix(drop.Text)));
}

bool TDrops::DropOnGraphicCard(const TDropContent& drop) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!TopicTakesDrop(g, g ? g->CurrentRow() : -1)) return false;
    QStringList files;
    for (const std::string& f : drop.Files) files << StoredToText(f);
    // The card keeps the pictures among them.
    return graphic_->AddImageFiles(files) > 0;
}

void TDrops::AddToLaunchBin(const TDropContent& drop) {
    QStringList lines;
    for (const std::string& line : LaunchBinLines(drop)) lines << StoredToText(line);
    resourceBin_->AddLaunchBinLines(lines);
}

}  // namespace kiv
