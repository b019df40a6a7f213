#pragma once
// What the other rooms read and set of the window's settings; the view switches belong to
// the rooms they show or hide.
namespace kiv {

class IWindowSettings {
public:
    virtual ~IWindowSettings() = default;

    // The colour scheme in use, kept at shut-down.
    virtual int ColorSchemeIndex() const = 0;
    virtual void SetColorSchemeIndex(int index) = 0;
};

}  // namespace kiv
