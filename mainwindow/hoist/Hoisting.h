#pragma once
// Hoisting: topics made to stand as the top of the outline. Panel 1 then lists only the
// hoisted topics with their sub-trees and the path begins with "<Hoist>". Each hoist
// pushes the position held before it onto the open datastructure's hoist stack; de-hoisting
// pops one level or all of them and comes back where the user stood. Commands: acHoist,
// acDehoist, acDehoistAll and the tool button btnHoist; the mode label lblNavigateMode.
#include <QObject>

#include "engine/core/Nester.h"
#include "engine/core/Node.h"
#include "mainwindow/Published.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"

class QToolButton;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;

class THoisting : public QObject, public IHoisting {
    Q_OBJECT
public:
    explicit THoisting(IWindowContext& ctx);
    void BuildComponents();

    void acHoistExecute();
    void acDehoistExecute();
    void acDehoistAllExecute();
    void btnHoistClick();
    // Shows hoisted material in panel 1: the rows when given, else the nodes; row select
    // becomes current.
    void ShowHoistState(const TNestPackArray* rows, const TNodeArray& nodes, int select = 0);
    // Back to stack entry level, dropping it and every later one; 0 de-hoists completely
    // and returns to the deepest position reached. A level outside the stack only
    // refreshes the controls.
    void DehoistTo(int level) override;
    // btnHoist and acHoist for the active panel's current row.
    void UpdateHoistButton() override;
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    // A hoist level of its own for the given topics (search results, in their order): the
    // position held is pushed and panel 1 lists the topics. Nothing without topics.
    void HoistNodes(const TNodeArray& nodes) override;

    // In edit mode the caption editor of the active panel takes the focus, else panel 1.
    void FocusCaptionEditorInEditMode(bool elseFirstPanel = false);

    // Shows a row's children under it in the panel, in any mode.
    static void ExpandInline(TKivStringGrid* grid, int row);

    KivAction* acHoist = nullptr;
    KivAction* acDehoist = nullptr;
    KivAction* acDehoistAll = nullptr;
    QToolButton* btnHoist = nullptr;
    int btnHoistTag = 0;  // 1: the button de-hoists

private:
    void ShowNavigateMode();
    // Pushes the position held (the current topic included) and hoists the nodes on it.
    void PushHoistEntry(const TNodeArray& nodes);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<IDatastructure> datastructure_;
    TNeed<INavigationPath> nav_;
};

}  // namespace kiv
