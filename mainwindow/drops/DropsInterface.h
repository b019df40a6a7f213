#pragma once
// What the drops feature offers the other features: the collector's drop panel registered,
// topics collected into the clip card bin, a card or bin panel shown or hidden.
#include <QString>
#include <functional>

class QWidget;

namespace kiv {

class KivAction;
class TKivStringGrid;

class IDrops {
public:
    virtual ~IDrops() = default;
    // The collector window's drop panel and the picture it shows ("swallow" or "openswallow").
    virtual void RegisterCollector(QWidget* dropPanel,
                                   std::function<void(const QString& picture)> showPicture) = 0;
    // The marked and current topics of the panel into the clip card bin, each once.
    virtual void AddToClipCard(TKivStringGrid* grid) = 0;
    // A shown panel is hidden; a hidden one is shown in front. The action's check follows.
    virtual void ShowBinPanel(QWidget* panel, KivAction* action) = 0;
};

}  // namespace kiv
