#pragma once
// What the print commands do for the other rooms: the print window put away while the main
// window hides and brought back with it.
namespace kiv {

class IPrint {
public:
    virtual ~IPrint() = default;

    // The main window hides: a shown print window hides and is marked to come back.
    virtual void PutAwayPrintWindow() = 0;
    // The main window shows again: a print window put away shows again.
    virtual void BringBackPrintWindow() = 0;
};

}  // namespace kiv
