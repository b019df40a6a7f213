#pragma once
// The main window's key state as the other rooms read it: the topic commands run once per
// key press.

namespace kiv {

class IKeyboard {
public:
    virtual ~IKeyboard() = default;
    // A command started by a key may run: false when one already ran during this key press;
    // true otherwise, and the press is then marked as used when a key is down.
    virtual bool KeyCommandMayRun() = 0;
};

}  // namespace kiv
