#pragma once
// Auto-launch: with automatic viewing on, moving onto a topic shows its link after a short
// delay. One link that the browser itself displays (a web address, an existing document) is
// shown in the window's browser, or with "Autoview in External Browser" a web address in
// the desktop's browser; several links show the launch card; a topic without a link closes
// the browser pane. Nothing is ever started: programs, scripts, desktop entries and other
// files open only on the user's own command. Commands: acAutoview, acExtLaunch, the delay
// menu AutoviewDelay1 ("AutoviewDelay" in kiv.ini); the timer tmrAutoLaunch.
#include <QObject>
#include <string>

#include "mainwindow/Published.h"
#include "mainwindow/autolaunch/AutoLaunchInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "platform/qt/KivAction.h"

class QMenu;
class QTimer;

namespace kiv {

class IWindowContext;
struct TWindowEvents;

class TAutoLaunch : public QObject, public IAutoLaunch {
    Q_OBJECT
public:
    explicit TAutoLaunch(IWindowContext& ctx);
    void BuildComponents();
    void Subscribe(TWindowEvents& events);

    void SetAutoLaunchDelay(int ms) override;
    std::string FirstViewableLink(TKivStringGrid* grid, int row) override;
    void SetCtrlDown(bool down) override;
    void HoldAutoLaunch(bool held) override;
    void CtrlNavigationKey() override;

    // The topic (grid, row) became current: the timer is armed for its links.
    void Arm(TKivStringGrid* grid, int row);
    void tmrAutoLaunchTimer();
    void acAutoviewExecute();
    void acExtLaunchExecute();

    // What auto-launch may show: a web address, or an existing document file that is no
    // program (its link as stored: "||" and "file:///" are resolved first).
    static bool IsViewable(const std::string& link);
    // A web address the desktop's browser opens (http, https, ftp), nothing else.
    static bool IsExternalWebAddress(const std::string& link);

    QTimer* tmrAutoLaunch = nullptr;
    KivAction* acAutoview = nullptr;
    KivAction* acExtLaunch = nullptr;
    QMenu* AutoviewDelay1 = nullptr;
    // The current topic's only link; empty for none or several.
    std::string AutoLaunchTarget;
    bool CtrlIsDown = false;
    bool AutoviewOffOnCtrlUp = false;
    bool held_ = false;

private:
    // The browser pane closes, unless the text card shares the pane with it.
    void LeaveBrowser();

    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
};

}  // namespace kiv
