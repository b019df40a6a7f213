#pragma once
// What other features ask of the topic commands.
#include <functional>
#include <string>

#include "engine/core/NestFunctions.h"

namespace kiv {

class TKivStringGrid;

class ITopicCommands {
public:
    virtual ~ITopicCommands() = default;
    // The meta-data card hidden, its command unchecked (hide all cards).
    virtual void HideMetaCard() = 0;
    // A new topic at position + offset of the current panel (beside it, or as the first
    // child of row position - 1), optionally ready for typing its caption.
    virtual void InsertTopic(int position, bool asSibling, bool editMode, int offset) = 0;
    // The command Insert After, run as its key would (Down on the last row).
    virtual void RunInsertAfter() = 0;
    // The meta-data card takes keys and clicks (not while the password lock covers it).
    virtual void SetMetaCardEnabled(bool on) = 0;
    // The key map's part: whether a command started by a key may run (once per key press;
    // from a menu always); handed over by the key map as it builds.
    virtual void SetKeyGuard(std::function<bool()> mayRun) = 0;
    // The file commands' part: topics of another datastructure, each with its sub-tree and
    // cards, copied into new topics at pos of the panel (answers how many), for a paste;
    // handed over by the file commands as they subscribe.
    using TBranchCopy = std::function<int(TKivStringGrid* grid, int pos,
                                          const std::string& sourcePath, const TItemArray& items)>;
    virtual void SetBranchCopy(TBranchCopy copy) = 0;
};

}  // namespace kiv
