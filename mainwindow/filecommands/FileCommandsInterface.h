#pragma once
// What other features ask of the file commands.
#include <string>

#include "engine/core/NestFunctions.h"

namespace kiv {

class TKivStringGrid;

class IFileCommands {
public:
    // Each topic of the source datastructure (which may be the open one) copied with its
    // sub-tree and cards into a new topic of the panel at pos; returns how many were copied.
    virtual int CopyBranchesIntoOutline(TKivStringGrid* grid, int pos,
                                        const std::string& sourcePath, const TItemArray& items) = 0;

protected:
    ~IFileCommands() = default;
};

}  // namespace kiv
