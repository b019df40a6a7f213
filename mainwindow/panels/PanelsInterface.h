#pragma once
// What the outline panels do for the other rooms: the panels by their number.
namespace kiv {

class TKivStringGrid;

class IPanels {
public:
    virtual ~IPanels() = default;

    // Panel 1, 2 or 3; null for another number.
    virtual TKivStringGrid* Panel(int number) const = 0;
};

}  // namespace kiv
