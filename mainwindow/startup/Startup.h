#pragma once
// Start-up and hand-over: the start datastructure chosen from the command line, the focus
// at the first show, and the paths a later start hands over (a ".kiv" file opens as the
// datastructure), which wait while the window is still being made. The program's entry
// sequence itself is RunKiv (mainwindow/RunKiv.h).
#include <QObject>
#include <string>
#include <vector>
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/search/SearchInterface.h"

namespace kiv {

class HandOverServer;
class IWindowContext;

class TStartup {
public:
    explicit TStartup(IWindowContext& ctx);
    // The start datastructure: a ".kiv" file named first on the command line (the
    // arguments' bytes as the system gave them), else the most recent one. A named file
    // that is not there is reported, not made: the most recent one opens instead.
    void OpenStartDatastructure(const std::vector<std::string>& args);
    // The first show puts the focus on the first panel (or its caption editor).
    void FormShow();
    // A path another start handed over: a ".kiv" file opens as the datastructure, once no
    // long command, switch or modal window holds the window.
    void WMCopyData(const std::string& path);

private:
    bool WindowHeld() const;
    void OpenWaitingFiles();

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<IDatastructure> datastructure_;
    TNeed<ISearch> search_;
    bool firstShowDone_ = false;
    std::vector<std::string> waiting_;
};

// A later start whose file the running instance did not take tells the user which file
// was not opened (a box; an application object must exist).
void TellNotHandedOver(const std::string& path);

// The receiving side of the hand-over, made before the main window: paths that arrive
// while the window is still being created wait until it is ready.
class HandOverReceiver : public QObject {
    Q_OBJECT
public:
    explicit HandOverReceiver(QObject* parent = nullptr);
    ~HandOverReceiver() override;
    bool Listening() const;
    // From now on paths go to the window's start-up; those that waited go first.
    void SetWindow(TStartup* startup);
    // The window is closing: later starts no longer hand over to it.
    void StopListening();

private:
    void Received(const std::string& path);
    HandOverServer* server_;
    TStartup* startup_ = nullptr;
    std::vector<std::string> pending_;
};

}  // namespace kiv
