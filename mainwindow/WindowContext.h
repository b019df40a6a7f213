#pragma once
// What a feature of the main window sees of the rest of it: the open datastructure and its
// state, the current panel and row, the topic flush and reload, the events several features
// handle, the interfaces the features publish, every command by name, the dialogs, the busy
// guard, the status hint, the shared settings and the frame's containers. The frame (TForm1)
// implements it; features hold a reference and never see the frame or one another.
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "mainwindow/ActionRegistry.h"
#include "mainwindow/Published.h"

class QMainWindow;
class QWidget;

namespace kiv {

class Dialogs;
class TKivStringGrid;
struct TKivSettings;
struct TWindowSkeleton;


// An event of the window that several features handle. The handlers run in the order they
// were subscribed: each feature subscribes its own in its Subscribe, and the frame calls
// those in the one order the panes rely on.
template <class... Args>
class TWindowEvent {
public:
    using THandler = std::function<void(Args...)>;
    void Subscribe(THandler handler) { handlers_.push_back(std::move(handler)); }
    void Fire(Args... args) const {
        for (const THandler& h : handlers_) h(args...);
    }

private:
    std::vector<THandler> handlers_;
};

// An event a handler may refuse by setting Refuse: the handlers after it do not run, and
// Fire answers false, so the change stops.
template <class... Args>
class TRefusableEvent {
public:
    using THandler = std::function<void(Args..., bool& Refuse)>;
    void Subscribe(THandler handler) { handlers_.push_back(std::move(handler)); }
    bool Fire(Args... args) const {
        for (const THandler& h : handlers_) {
            bool refuse = false;
            h(args..., refuse);
            if (refuse) return false;
        }
        return true;
    }

private:
    std::vector<THandler> handlers_;
};

struct TWindowEvents {
    // A topic (panel, row) is left or flushed: each pane stores what it holds of it now.
    TRefusableEvent<TKivStringGrid*, int> TopicLeaving;
    // The active panel's current topic (panel, row) is shown; the row may be past the rows.
    TWindowEvent<TKivStringGrid*, int> TopicShown;
    // The open datastructure is about to be released; its files are still open.
    TWindowEvent<> DatastructureClosing;
    // The datastructure is released (also after a close with none open).
    TWindowEvent<> DatastructureClosed;
    // A datastructure is open and its first topic shown; its cards can be read.
    TWindowEvent<> DatastructureOpened;
    // A topic's caption or cards were stored (its card directory), or rows of a panel were
    // inserted, moved or removed (0). Whatever shows a topic's caption or marks reads them
    // again; whoever changes them fires it.
    TWindowEvent<uint32_t> TopicsChanged;
    // The busy gate went up (true) or down (false).
    TWindowEvent<bool> BusyChanged;
    // The print window came up or went: a find dialog over the editors hides.
    TWindowEvent<> PrintWindowChanged;
};

// How many busy scopes are open. While one is, the program's busy gate (Busy, which
// swallows commands and shortcuts) is set; it drops when the outermost scope ends.
class TBusyCounter {
public:
    bool Held() const { return depth_ > 0; }
    int Depth() const { return depth_; }
    // Fired with true when the first scope opens and with false when the last one ends.
    TWindowEvent<bool>* Changed = nullptr;

private:
    friend class TBusyGuard;
    int depth_ = 0;
};

// Holds the busy gate for a scope; nested guards keep it until the outer one ends, and an
// exception leaving the scope gives it back.
class TBusyGuard {
public:
    explicit TBusyGuard(TBusyCounter& counter);
    ~TBusyGuard();
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    TBusyCounter& counter_;
};

// The open datastructure: its file pair, its entry among the open datastructures and the
// trail of its current topic.
struct TOpenDatastructure {
    // Both handles null while none is open.
    TDatastructurePair Pair;
    TBookMarkPtr BookMark;
    TNavigatorPtr Navigator;
    // Set while a datastructure is being closed or opened: the topic change does nothing.
    bool Loading = false;
};

class IWindowContext {
public:
    virtual ~IWindowContext() = default;

    // The open datastructure pair; both handles null while none is open.
    virtual TDatastructurePair& Pair() = 0;
    virtual bool DatastructureOpen() const = 0;

    // The panel of the active panel number, and its current row (-1 without a panel).
    virtual TKivStringGrid* CurrentGrid() const = 0;
    virtual int CurrentRow() const = 0;
    // Stores the active panel's current topic / loads it again into the panes.
    virtual void FlushCurrentRow() = 0;
    virtual void ReloadCurrentRow() = 0;
    virtual TWindowEvents& Events() = 0;
    // The interfaces the features publish, and every command by its name.
    virtual TPublished& Published() = 0;
    virtual TActionRegistry& Actions() = 0;
    virtual TOpenDatastructure& Open() = 0;

    virtual kiv::Dialogs& Dialogs() = 0;
    // Open a TBusyGuard on it for a long operation; IsBusy while any guard is open.
    virtual TBusyCounter& BusyCounter() = 0;
    virtual bool IsBusy() const = 0;
    // The status bar's first panel.
    virtual void ShowStatusHint(const QString& text) = 0;
    // A floating panel of the caller's (made with FloatingPanel), placed beside the others
    // in the order they were added once the settings are read; height is its content's.
    virtual void AddFloatingPanel(QWidget* panel, int height) = 0;

    // The settings as read at start; the settings feature collects them again at close.
    virtual TKivSettings& Settings() = 0;
    // The window and the containers the features put their components into.
    virtual QMainWindow& Window() = 0;
    virtual TWindowSkeleton& Skeleton() = 0;
};

}  // namespace kiv
