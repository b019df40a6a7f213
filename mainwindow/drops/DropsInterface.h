#pragma once
// What the drops feature offers the other features: the collector's drop panel registered.
#include <QString>
#include <functional>

class QWidget;

namespace kiv {

class IDrops {
public:
    virtual ~IDrops() = default;
    // The collector window's drop panel and the picture it shows ("swallow" or "openswallow").
    virtual void RegisterCollector(QWidget* dropPanel,
                                   std::function<void(const QString& picture)> showPicture) = 0;
};

}  // namespace kiv
