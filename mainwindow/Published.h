#pragma once
// How one feature of the main window reaches another: the other publishes a small
// interface (an abstract class in its folder's *Interface.h) and the user declares the
// need in its constructor. The frame makes every feature first, so a need is filled by the
// time anything runs; using one that nobody published is a fault of the program and says so.
#include <map>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <typeinfo>

namespace kiv {

class TPublished {
public:
    template <class I>
    void Publish(I& impl) {
        auto& slot = slots_[std::type_index(typeid(I))];
        if (slot.impl) throw std::logic_error(std::string("published twice: ") + typeid(I).name());
        slot.impl = &impl;
    }
    // The slot a need resolves through; it may still be empty while the features are made.
    template <class I>
    void* const* Slot() {
        auto& slot = slots_[std::type_index(typeid(I))];
        slot.needed = true;
        slot.name = typeid(I).name();
        return &slot.impl;
    }
    // After every feature is made: a need that nobody published stops the start.
    void CheckNeedsFilled() const {
        for (const auto& [type, slot] : slots_)
            if (slot.needed && !slot.impl)
                throw std::logic_error("a needed interface is not published: " + slot.name);
    }

private:
    struct TSlot {
        void* impl = nullptr;
        bool needed = false;
        std::string name;
    };
    std::map<std::type_index, TSlot> slots_;
};

// A feature's need of another's interface, declared in its constructor.
template <class I>
class TNeed {
public:
    explicit TNeed(TPublished& published) : slot_(published.Slot<I>()) {}
    I& operator*() const { return Get(); }
    I* operator->() const { return &Get(); }
    I& Get() const {
        if (!*slot_)
            throw std::logic_error(std::string("used before it exists: ") + typeid(I).name());
        return *static_cast<I*>(*slot_);
    }

private:
    void* const* slot_;
};

}  // namespace kiv
