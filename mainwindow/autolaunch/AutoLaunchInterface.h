#pragma once
// What the other rooms of the main window ask of auto-launch: the delay the settings give,
// the link a topic shows in the browser, and automatic viewing while Ctrl is held during
// keyboard navigation of the outline (the key handling calls these).
#include <string>

namespace kiv {

class TKivStringGrid;

class IAutoLaunch {
public:
    virtual ~IAutoLaunch() = default;
    // The timer's interval in milliseconds; the delay menu's item of that value is checked.
    virtual void SetAutoLaunchDelay(int ms) = 0;
    // The row's first link when it is a web address or an existing document; else empty.
    virtual std::string FirstViewableLink(TKivStringGrid* grid, int row) = 0;
    // Ctrl went down (true) or up (false). Held, it arms the timer on topic changes; when it
    // comes up, automatic viewing switched on by CtrlNavigationKey goes off again.
    virtual void SetCtrlDown(bool down) = 0;
    // An outline navigation key with Ctrl: automatic viewing on until Ctrl comes up.
    virtual void CtrlNavigationKey() = 0;
    // While held (a topic being inserted) topic changes arm nothing.
    virtual void HoldAutoLaunch(bool held) = 0;
};

}  // namespace kiv
