#pragma once
// The main window's key state as the other rooms read it: the topic commands run once per
// key press, the navigation path's arrow buttons press the arrows as the keys do.

namespace kiv {

class IKeyboard {
public:
    virtual ~IKeyboard() = default;
    // A command started by a key may run: false when one already ran during this key press;
    // true otherwise, and the press is then marked as used when a key is down.
    virtual bool KeyCommandMayRun() = 0;
    // An arrow key (Qt::Key_Up ...) pressed and released on the active panel, as from the
    // keyboard without modifiers.
    virtual void PressArrow(int key) = 0;
};

}  // namespace kiv
