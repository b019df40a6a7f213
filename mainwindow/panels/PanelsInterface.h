#pragma once
// What the outline panels offer the other features: the panels themselves (a panel's grid is
// its published face: its rows, nester and view) and the autoview delay.
namespace kiv {

class TKivStringGrid;

class IPanels {
public:
    virtual ~IPanels() = default;
    // Outline panel n (1 to 3); null for another number or before the panels are built.
    virtual TKivStringGrid* Panel(int n) const = 0;
    // How long the pointer rests on a topic's link icon before its link opens.
    virtual void SetAutoLaunchDelay(int ms) = 0;
};

}  // namespace kiv
