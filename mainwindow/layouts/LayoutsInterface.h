#pragma once
// The panel layouts as other rooms (the keyboard map, the commands that need the
// outliner) reach them.
namespace kiv {

class ILayouts {
public:
    // The layout in force, 0..7.
    virtual int CurrentLayout() const = 0;
    // As the layout's command does: the checked layout chosen again hides the outliner.
    virtual void ApplyPanelLayout(int layout) = 0;
    // F12: the next layout of the layout menu.
    virtual void ToggleLayout() = 0;
    // Hide or show the outliner pane / the card pane, as their commands do.
    virtual void HideOrShowOutliner() = 0;
    virtual void HideOrShowCardPane() = 0;
    virtual bool OutlinerShown() const = 0;
    virtual bool CardPaneShown() const = 0;
    // The panes moved by the user or by another room: panel widths and proportions follow.
    virtual void ArrangePanels() = 0;
    // The stored layout (applied once the window is built) and compact layout selection.
    virtual void SetStoredLayout(int layout, bool compactSelection) = 0;
    virtual bool CompactLayoutSelection() const = 0;

protected:
    ~ILayouts() = default;
};

}  // namespace kiv
