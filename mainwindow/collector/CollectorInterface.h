#pragma once
// What the collector does for the other rooms: where its window stands, the window itself
// for what locks windows while saving, and the handler of its e-mail item.
#include <QPoint>
#include <functional>

class QObject;
class QWidget;

namespace kiv {

class ICollector {
public:
    virtual ~ICollector() = default;

    // The collector window's position on the screen.
    virtual QPoint Position() const = 0;
    virtual void MoveTo(QPoint at) = 0;
    // The collector's own top-level window.
    virtual QWidget& TopWindow() = 0;
    // Choosing the collector's e-mail item runs handler while receiver lives.
    virtual void ConnectSendEmail(QObject* receiver, std::function<void()> handler) = 0;
};

}  // namespace kiv
