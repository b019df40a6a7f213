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
    // The format Insert Time uses (the Set Default... choice), kept at shut-down.
    virtual int DefaultDateTimeCode() const = 0;
    virtual void SetDefaultDateTimeCode(int code) = 0;
};

}  // namespace kiv
