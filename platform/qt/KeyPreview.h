#pragma once
// Key preview: a window's key handlers see every key before the focused control inside
// it, with Windows key codes and shift state. Setting Key to 0 in OnKeyDown or OnKeyUp
// (or the character to 0 in OnKeyPress) consumes it; changing it passes the changed key
// on. OnKeyPress gets the character a key types (not for Alt combinations, Delete or keys
// that type nothing).
//
// A held key on X11 arrives as release-press pairs marked auto-repeat. The auto-repeat
// releases are dropped for every widget of the program, so a held key is key-downs
// followed by one key-up, as on Windows, and "once per key press" holds.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <unordered_map>

#include "platform/qt/WinKeys.h"

namespace kiv {

struct KeyPreviewHandlers {
    std::function<void(QWidget* Sender, Word& Key, TShiftState Shift)> OnKeyDown;
    std::function<void(QWidget* Sender, Word& Key, TShiftState Shift)> OnKeyUp;
    std::function<void(QWidget* Sender, QChar& Key)> OnKeyPress;
};

class KeyPreview : public QObject {
    Q_OBJECT
public:
    // The one filter, installed on the application at first use.
    static KeyPreview& Instance();
    // Key preview on for a top-level window (replacing earlier handlers); off when the
    // window is destroyed or removed.
    static void Install(QWidget* window, KeyPreviewHandlers handlers);
    static void Remove(QWidget* window);
    // Called by KivApplication when a key event starts its delivery, so the passing on of
    // an ignored key to the parents is previewed once.
    static void BeginDelivery(const QEvent* e);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit KeyPreview(QObject* parent);
    bool Deliver(QWidget* target, QKeyEvent* original, Word oldKey, Word newKey,
                 const QString& text);

    std::unordered_map<const QWidget*, KeyPreviewHandlers> windows_;
    const QEvent* seen_ = nullptr;
    QPointer<QWidget> seenWidget_;
    const QEvent* replaying_ = nullptr;
};

}  // namespace kiv
