#pragma once
// What the navigation path does for the other rooms: the path shown again, a level of the
// trail gone to, the outline and open-datastructure tabs chosen, the path's colours, and
// the hooks hoisting and the key map hand it.
#include <QString>
#include <functional>

#include "platform/qt/Colors.h"

namespace kiv {

// The path's view switches as the settings keep them.
struct TNavigationViewSwitches {
    bool InterBaseTabs = false;
    bool OutlineTabs = false;
    bool FullPath = false;
    bool Arrows = false;
};

class INavigationPath {
public:
    virtual ~INavigationPath() = default;

    // The path shows the current trail again.
    virtual void UpdateNavigationPath() = 0;
    // The mode the path's right end shows ("whole", "outline", "hoisted").
    virtual void SetNavigateMode(const QString& mode) = 0;
    // The panels are reloaded so that level of the trail shows; fromPath when the user
    // chose it on the path (a level on show then only takes the focus).
    virtual void NavigateToLevel(int level, bool fromPath) = 0;
    // The panels one level down (the last panel in use takes the level below), as the
    // command Shift Panels Right.
    virtual void ShiftPanelsRight() = 0;
    // The panel before becomes active, or from panel 1 the panels go one level up.
    virtual void ShiftPanelsLeft() = 0;

    // The outline chosen in the open datastructure, or 0 with none open.
    virtual int OutlineIndex() const = 0;
    // The outline tab chosen, -1 without one.
    virtual int OutlineTabIndex() const = 0;
    // Chooses outline tab i (0: the whole datastructure) when there is one.
    virtual void SelectOutlineTab(int i) = 0;
    // Chooses tab index of the open-datastructures strip, which opens that datastructure;
    // false when the strip has no such tab.
    virtual bool SelectOpenDatastructureTab(int index) = 0;
    // The path takes a colour scheme's background and caption colours.
    virtual void SetPathColors(TColor background, TColor font) = 0;

    // Hoisting's part in the path's moves, handed over by the hoisting feature as it
    // subscribes: leaveHoist de-hoists completely before an outline tab is gone to while
    // hoisted; activePanelMoved runs after the trail followed the active panel.
    virtual void SetHoistHooks(std::function<void()> leaveHoist,
                               std::function<void()> activePanelMoved) = 0;
    // The key map's part: the path's arrow buttons press the arrow key (Qt::Key_Up ...)
    // through it, as on the active panel; handed over by the key map as it builds.
    virtual void SetArrowPress(std::function<void(int key)> press) = 0;
    // A datastructure was opened, or an open failed and none is: the tabs, the outlines
    // and the path show what is open now.
    virtual void DatastructureChanged() = 0;

    // The view switches checked and their strips shown as saved; read back at shut-down.
    virtual void ApplyViewSwitches(const TNavigationViewSwitches& v) = 0;
    virtual TNavigationViewSwitches ViewSwitches() const = 0;
};

}  // namespace kiv
