#pragma once
// What the window's settings do for the other rooms: the view switches they restore and
// store, and the colour scheme applied.
namespace kiv {

class KivAction;

// The view switches whose checked state the settings keep.
enum class TViewSwitch {
    InterBaseTabs,
    ThreadsTabs,
    QuickJumpsTabs,
    OutlineView,
    FullNavPath,
    Arrows
};

class IWindowSettings {
public:
    virtual ~IWindowSettings() = default;

    // The switch's command; the room whose view it switches runs it.
    virtual KivAction& ViewSwitch(TViewSwitch which) = 0;
    // The number of the colour scheme applied, as stored.
    virtual int SchemeIndex() const = 0;
    virtual void SetSchemeIndex(int n) = 0;
};

}  // namespace kiv
