#pragma once
// What other features ask of the topic commands.

namespace kiv {

class ITopicCommands {
public:
    virtual ~ITopicCommands() = default;
    // The meta-data card hidden, its command unchecked (hide all cards).
    virtual void HideMetaCard() = 0;
    // The meta-data card takes keys and clicks (not while the password lock covers it).
    virtual void SetMetaCardEnabled(bool on) = 0;
};

}  // namespace kiv
