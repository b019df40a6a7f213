#pragma once
// What the outline panels offer the other features: the panels themselves (a panel's grid is
// its published face: its rows, nester and view) and what the navigation path hears of
// them.
#include <functional>
#include <string>

#include "engine/core/NestFunctions.h"

namespace kiv {

class TKivStringGrid;

class IPanels {
public:
    virtual ~IPanels() = default;
    // Outline panel n (1 to 3); null for another number or before the panels are built.
    virtual TKivStringGrid* Panel(int n) const = 0;

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
    // The drops' part: the drop box shown over a panel's row while topics are dragged over
    // it (a row below 0 takes it away), handed over by the drops as they build.
    virtual void SetDropMarker(std::function<void(TKivStringGrid* grid, int row)> show) = 0;
    // The file commands' part: the source topics, each with its sub-tree and cards, copied
    // into new topics at pos of the panel (answers how many), for the Template Bin's drops;
    // handed over by the file commands as they subscribe.
    using TBranchCopy = std::function<int(TKivStringGrid* grid, int pos,
                                          const std::string& sourcePath, const TItemArray& items)>;
    virtual void SetBranchCopy(TBranchCopy copy) = 0;
};

}  // namespace kiv
