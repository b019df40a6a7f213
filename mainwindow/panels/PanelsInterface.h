#pragma once
// What the outline panels do for the other rooms: the panels by their number, and what
// the navigation path hears of them.
#include <functional>

namespace kiv {

class TKivStringGrid;

class IPanels {
public:
    virtual ~IPanels() = default;

    // Panel 1, 2 or 3; null for another number.
    virtual TKivStringGrid* Panel(int number) const = 0;

    // The navigation path's part in the panels' changes, handed over as it subscribes.
    struct TPathHooks {
        // The active panel moved from one number to another.
        std::function<void(int oldPanel, int newPanel)> ActivePanelChanged;
        // A caption of a panel's row was stored.
        std::function<void(TKivStringGrid* grid, int row)> CaptionStored;
        // The active panel's rows were reloaded.
        std::function<void(TKivStringGrid* grid)> RowsReloaded;
    };
    virtual void SetPathHooks(TPathHooks hooks) = 0;
};

}  // namespace kiv
