#pragma once
// What other features ask of the topic commands.

namespace kiv {

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
};

}  // namespace kiv
