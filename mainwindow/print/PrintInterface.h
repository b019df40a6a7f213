#pragma once
// What the other rooms use of printing: the print and export window, and the wait panel
// of long operations (through TWaitMessage).
#include <QString>

namespace kiv {

class KivAction;
class TfrmPrint;

class IPrint {
public:
    virtual ~IPrint() = default;
    // The print and export window, null until it is made.
    virtual TfrmPrint* PrintWindow() const = 0;
    // The main window hides: a shown print window hides and is marked to come back.
    virtual void PutAwayPrintWindow() = 0;
    // The main window shows again: a print window put away shows again.
    virtual void BringBackPrintWindow() = 0;
    // Print & Export..., which a password lock holds disabled.
    virtual KivAction& PrintCommand() = 0;
};

class IWaitPanel {
public:
    virtual ~IWaitPanel() = default;
    // Use TWaitMessage. Shown again inside a shown panel, the new message replaces the old
    // one until the inner hide.
    virtual void ShowWaitMessage(const QString& text) = 0;
    virtual void HideWaitMessage() = 0;
};

// The wait panel shows for the guard's scope; however the scope ends the panel goes.
class TWaitMessage {
public:
    TWaitMessage(IWaitPanel& panel, const QString& text);
    ~TWaitMessage();
    TWaitMessage(const TWaitMessage&) = delete;
    TWaitMessage& operator=(const TWaitMessage&) = delete;

private:
    IWaitPanel& panel_;
    bool shown_ = false;
};

}  // namespace kiv
