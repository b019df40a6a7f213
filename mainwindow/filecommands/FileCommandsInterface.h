#pragma once
// What the other rooms ask of the file commands: the password lock and whether a copy
// holds the open pair. The copy of branches from a datastructure file is handed to the
// panels and the topic commands as the file commands subscribe.
namespace kiv {

class IFileCommands {
public:
    virtual ~IFileCommands() = default;

    // The cover, the menus and the panes follow the lock.
    virtual void SetPasswordLock(bool locked) = 0;
    virtual bool PasswordLocked() const = 0;
    // While a command copies from the open pair: the pair must not close under it.
    virtual bool Copying() const = 0;
};

}  // namespace kiv
