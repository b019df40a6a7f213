#pragma once
// What the drops feature offers the other features: the collector's drop panel registered,
// and the drop box shown over a row while topics are dragged over a panel.
#include <QString>
#include <functional>

class QWidget;

namespace kiv {

class TKivStringGrid;

class IDrops {
public:
    virtual ~IDrops() = default;
    // The collector window's drop panel and the picture it shows ("swallow" or "openswallow").
    virtual void RegisterCollector(QWidget* dropPanel,
                                   std::function<void(const QString& picture)> showPicture) = 0;
    // The drop box over the row of the panel, highlighted; a row below 0 takes it away.
    virtual void ShowDropMarker(TKivStringGrid* grid, int row) = 0;
};

}  // namespace kiv
