#pragma once
// What other features ask of the wait panel.
#include <QString>

namespace kiv {

class IWaitPanel {
public:
    // The panel with the message over the window, until the matching hide.
    virtual void ShowWaitMessage(const QString& text) = 0;
    virtual void HideWaitMessage() = 0;

protected:
    ~IWaitPanel() = default;
};

}  // namespace kiv
