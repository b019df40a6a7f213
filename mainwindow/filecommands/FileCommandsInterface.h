#pragma once
// What the other rooms ask of the file commands: the password lock, the copy of branches
// from a datastructure file, and whether a copy holds the open pair.
#include <string>

#include "engine/core/NestFunctions.h"

namespace kiv {

class TKivStringGrid;

class IFileCommands {
public:
    virtual ~IFileCommands() = default;

    // The cover, the menus and the panes follow the lock.
    virtual void SetPasswordLock(bool locked) = 0;
    virtual bool PasswordLocked() const = 0;
    // While a command copies from the open pair: the pair must not close under it.
    virtual bool Copying() const = 0;
    // The source topics, each with its sub-tree and cards, into new topics at pos of the
    // panel; returns how many were copied.
    virtual int CopyBranchesIntoOutline(TKivStringGrid* grid, int pos,
                                        const std::string& sourcePath, const TItemArray& items) = 0;
};

}  // namespace kiv
