#pragma once
// The three outline panels and their handlers: the topic change (the topic that is left
// is stored, the one that becomes current loaded into the panes), keys, mouse clicks,
// hints and topics dragged between panels. Commands: EditMode, CompactNavigate,
// ExpandedNavigate (the panels manager's modes).
#include <QObject>
#include <cstdint>
#include <string>

#include "mainwindow/Published.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/WinKeys.h"
#include "mainwindow/Published.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/bins/BinsInterface.h"

class QListWidget;

namespace kiv {

class IWindowContext;
class TKivStringGrid;
struct TWindowEvents;

class TPanelHandlers : public QObject, public IPanels {
    Q_OBJECT
public:
    explicit TPanelHandlers(IWindowContext& ctx);
    // The panels into the skeleton's panel row, wired to the handlers below.
    void BuildComponents();
    void SetPathHooks(TPathHooks hooks) override { pathHooks_ = std::move(hooks); }
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    // Every row of every panel that shows the topic of the card directory shows what its
    // cards hold now (a clone's other row after a store).
    void ShowTopicAgain(uint32_t cardDir);
    void SetDropMarker(std::function<void(TKivStringGrid* grid, int row)> show) override {
        showDropMarker_ = std::move(show);
    }
    void SetBranchCopy(TBranchCopy copy) override { branchCopy_ = std::move(copy); }

    void sgdSecondSelRowChanged(TKivStringGrid* Sender, int OldRow, int NewRow);
    void sgdSecondEnter(TKivStringGrid* Sender);
    // The rows of a panel were reloaded: the panes follow the active panel's current topic.
    void sgdSecondItemsUpdated(TKivStringGrid* Sender, uint32_t NestStart);
    void sgdSecondMouseOverLaunch(TKivStringGrid* Sender, int ARow);
    void sgdSecondKeyDown(TKivStringGrid* Sender, Word& Key, TShiftState Shift);
    void sgdSecondKeyPress(TKivStringGrid* Sender, QChar& Key);
    void sgdSecondKeyUp(TKivStringGrid* Sender, Word& Key, TShiftState Shift);
    void sgdSecondMouseDown(TKivStringGrid* Sender, int Button, TShiftState Shift, int X, int Y);
    void sgdSecondMouseMove(TKivStringGrid* Sender, TShiftState Shift, int X, int Y);
    void sgdSecondMouseUp(TKivStringGrid* Sender, int Button, TShiftState Shift, int X, int Y);
    void sgdSecondEndDrag(TKivStringGrid* Sender);
    // Topics dragged from an outline panel, or entries of the Clip, Template and Resource
    // Bins, onto a panel.
    void sgdSecondDragOver(TKivStringGrid* Sender, QObject* Source, int X, int Y, bool& Accept);
    void sgdSecondDragDrop(TKivStringGrid* Sender, QObject* Source, int X, int Y);

    // The panel of the active panel number.
    TKivStringGrid* CurrentGrid() const;
    // Stores the active panel's current topic / loads it again.
    void FlushCurrentRow();
    void ReloadCurrentRow();

    // ---- IPanels ----
    TKivStringGrid* Panel(int n) const override;

    TKivStringGrid* sgdFirst = nullptr;
    TKivStringGrid* sgdSecond = nullptr;
    TKivStringGrid* sgdThird = nullptr;
    KivAction* EditMode = nullptr;
    KivAction* CompactNavigate = nullptr;
    KivAction* ExpandedNavigate = nullptr;

private:
    void WirePanel(TKivStringGrid* grid);
    // Tells the window a topic (its card directory, 0 for rows) changed.
    void TopicsChanged(uint32_t cardDir);
    // ---- entries of the bins (BinDrops.cpp) ----
    // The bin list the drag comes from (lbxClipCard, lbxTemplate, lbxLaunchBin), else null.
    QListWidget* BinListOf(QObject* source) const;
    void BinDragOver(TKivStringGrid* Sender, QListWidget* list, int X, int Y, bool& Accept);
    void BinDragDrop(TKivStringGrid* Sender, QListWidget* list, int X, int Y);
    void DropResourceLinks(TKivStringGrid* Sender, int row);
    void DropTemplates(TKivStringGrid* Sender, int row);
    void DropClipTopics(TKivStringGrid* Sender, int row);
    // The drop marker over the row of the panel, or hidden for row -1.
    void ShowDropMarker(TKivStringGrid* grid, int row) {
        if (showDropMarker_) showDropMarker_(grid, row);
    }

    IWindowContext& ctx_;
    TNeed<ITextCard> textCard_;
    TNeed<ILaunchCard> launch_;
    TNeed<IDatastructure> datastructure_;
    TNeed<IResourceBin> resourceBin_;
    TNeed<IClipBin> clipBin_;
    TNeed<ITemplateBin> templateBin_;
    TNeed<IBinsColumn> binsColumn_;
    // The drops' drop box, handed over as they build.
    std::function<void(TKivStringGrid* grid, int row)> showDropMarker_;
    TBranchCopy branchCopy_;
    TPathHooks pathHooks_;
};

}  // namespace kiv
