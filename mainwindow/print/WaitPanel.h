#pragma once
// The wait panel: long operations of the main window show it, centred, with their message
// and a growing row of ">" marks, while the window is disabled and the busy gate is held.
// The operation still runs on the GUI thread; the marks advance when it lets pending
// events run.
//
// TWaitMessage is how callers show it: the panel shows for the guard's scope, and however
// the scope ends (an exception too) the panel goes, the window is enabled again, the
// cursor is back and the busy gate is given back.
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "mainwindow/print/PrintInterface.h"

class QLabel;
class QTimer;
class QWidget;

namespace kiv {

class IWindowContext;
class TBusyGuard;
class CursorGuard;

class TWaitPanel : public QObject, public IWaitPanel {
    Q_OBJECT
public:
    explicit TWaitPanel(IWindowContext& ctx);
    ~TWaitPanel() override;
    // Builds pnlMessage: pnlMesCap with lblMessage and lblWait; tmMessage.
    void BuildComponents();

    // Shows the panel with the message; HideWaitMessage takes it away. Use TWaitMessage.
    // Shown again inside a shown panel, the new message replaces the old one and the panel
    // stays until the outer hide, which gives the previous message back meanwhile.
    void ShowWaitMessage(const QString& text) override;
    // Lets pending events run for about 350 ms first, unless an exception is on its way.
    void HideWaitMessage() override;
    // Every 700 ms while shown: ">" ... ">>>>>", then ">" again.
    void tmMessageTimer();

    bool Shown() const;

    QWidget* pnlMessage = nullptr;  // 400 x 41, black frame
    QWidget* pnlMesCap = nullptr;
    QLabel* lblMessage = nullptr;
    QLabel* lblWait = nullptr;
    QTimer* tmMessage = nullptr;

private:
    IWindowContext& ctx_;
    // What the shown panel holds; given back by HideWaitMessage.
    struct Held;
    std::unique_ptr<Held> held_;
    QStringList outer_;  // the messages of the shows this one is inside
};

}  // namespace kiv
