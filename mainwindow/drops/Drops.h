#pragma once
// What the main window does with material dropped on it: the one drop target DropComTag
// (text, files and web addresses from other programs, on the outline panels, the launch
// bin, the launch card list, the graphic card and the collector's drop panel), the drop
// box imDropBox that moves dragged topics into the branch under it, the clip card
// collection of topics, and showing or hiding a card or bin panel (acShowTextBin).
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/Published.h"
#include "mainwindow/drops/DropLines.h"
#include "mainwindow/drops/DropsInterface.h"
#include "mainwindow/graphiccard/GraphicCardInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/filecommands/FileCommandsInterface.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "mainwindow/bins/BinsInterface.h"

class QWidget;

class QLabel;

namespace kiv {

class IWindowContext;
class TDropComboTarget;
class TKivStringGrid;

class TDrops : public QObject, public IDrops {
    Q_OBJECT
public:
    explicit TDrops(IWindowContext& ctx);
    ~TDrops() override;
    // The drop target on its controls, the drop box's events, acShowTextBin.
    void BuildComponents();

    // ---- DropComTag (its events, with the control under the cursor and a point of it) ----
    void DropComTagEnter(QWidget* Target, uint32_t& Effect);
    void DropComTagLeave(QWidget* Target);
    // Effect: DROPEFFECT_NONE when the drop was refused.
    void DropComTagDrop(QWidget* Target, QPoint Point, uint32_t& Effect);
    // The effect that refuses a drag.
    static constexpr uint32_t kNoDropEffect = 0;
    // The two halves of the handlers, for a drop on a target control at a point of it: the
    // effect a drag entering there gets (DROPEFFECT_NONE refuses it), and what the drop does
    // (false: refused, nothing taken). The content is in stored form; the drop takes one
    // thing of it (OneThing). While the datastructure is locked, everything is refused.
    uint32_t EnterOn(QWidget* target, const TDropContent& drop, uint32_t effect);
    bool DropOn(QWidget* target, const TDropContent& drop, QPoint point);
    // The collector window's drop panel and the picture it shows ("swallow" or
    // "openswallow"); the collector registers them when it is made.
    void RegisterCollector(QWidget* dropPanel,
                           std::function<void(const QString& picture)> showPicture) override;

    // Files or the web address of a drop into the launch bin list.
    void AddToLaunchBin(const TDropContent& drop);

    // ---- the drop box ----
    // The drop box over the row of the panel, highlighted; a row below 0 takes it away. The
    // panels show it through the hand-over of BuildComponents.
    void ShowDropMarker(TKivStringGrid* grid, int row);
    void imDropBoxDragOver(QObject* Source, bool& Accept);
    void imDropBoxDragDrop(QObject* Source);
    // Laid over the row under the mouse while topics are dragged; imDropBox shows picture 0
    // of imlAppend, or 1 (highlighted, imDropBoxTag 1).
    QWidget* pnlDropBox = nullptr;
    QLabel* imDropBox = nullptr;
    int imDropBoxTag = 0;
    QList<QPixmap> imlAppend;

    std::unique_ptr<TDropComboTarget> DropComTag;

protected:
    // DropComTag.cpp: the target made, set and put on the controls; what it read, in stored form.
    void BuildDropComTag(const std::vector<QWidget*>& controls);
    void AddDropTarget(QWidget* control);
    TDropContent DropComTagContent() const;
    void SetDragImage(bool on);

public:
    bool DragImageShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The datastructure is locked by its password.
    bool Locked() const;
    void DropOnPanel(TKivStringGrid* grid, const TDropContent& drop, QPoint viewportPoint);
    void DropOnCollector(const TDropContent& drop);
    bool DropOnGraphicCard(const TDropContent& drop);
    // The graphic card's pane or its grid.
    bool IsGraphicCard(const QWidget* target) const;
    // The text of a drop as an empty topic's caption.
    void SetCaptionFromText(TKivStringGrid* grid, int row, const std::string& text);
    // The topic may take what is dropped; a locked one says so.
    bool TopicTakesDrop(TKivStringGrid* grid, int row);
    // The panel the drop box lies on, and the row under it; null / -1 when none.
    TKivStringGrid* DropBoxGrid() const;
    int DropBoxRow(TKivStringGrid* grid) const;
    // The drop box's refusals before anything is written; true when the move may go on.
    bool DropBoxMayTake(TKivStringGrid* source, TKivStringGrid* target, int row);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<ILaunchCard> launch_;
    TNeed<IGraphicCard> graphic_;
    TNeed<IFileCommands> fileCommands_;
    TNeed<IHoisting> hoist_;
    TNeed<ITextBin> textBin_;
    TNeed<IResourceBin> resourceBin_;
    QPointer<QWidget> dropPanel_;
    std::function<void(const QString&)> showCollectorPicture_;
};

}  // namespace kiv
