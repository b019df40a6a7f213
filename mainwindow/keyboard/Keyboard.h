#pragma once
// The main window's key map. Every key of the window is seen here before the control that
// has the focus: the arrow keys move between rows, panels and levels, mark rows and move
// marked topics, and expand and collapse in tree mode; Ctrl+Clear and its company launch a
// topic's single link; Ctrl with the arrows drives the search results; and the key state
// lets the topic commands run once per key press.
#include <QObject>
#include <QPointer>
#include <vector>

#include "mainwindow/Published.h"
#include "mainwindow/autolaunch/AutoLaunchInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/keyboard/KeyboardInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/search/SearchInterface.h"
#include "mainwindow/topics/TopicCommandsInterface.h"
#include "platform/qt/WinKeys.h"

class QKeyEvent;
class QWidget;

namespace kiv {

class IWindowContext;
class TKivStringGrid;

class TKeyboard : public QObject, public IKeyboard {
    Q_OBJECT
public:
    // Phase 1: needs declared; the keys are watched from BuildComponents on.
    explicit TKeyboard(IWindowContext& ctx);
    ~TKeyboard() override;
    void BuildComponents();

    // An arrow key (Qt::Key_Up ...) pressed and released on the active panel, as from the
    // keyboard without modifiers; the navigation path's arrow buttons press it.
    void PressArrow(int key);

    // ---- IKeyboard ----
    bool KeyCommandMayRun() override;

    // The window's key handlers. focus: the control the key goes to; repeat: the key is
    // held (an auto-repeated press). Key set to 0 consumes the key.
    void FormKeyDown(QWidget* focus, Word& Key, TShiftState Shift, bool repeat);
    void FormKeyUp(QWidget* focus, Word& Key, TShiftState Shift);
    // The window lost the activation: no key is down any more.
    void FormDeactivate();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The panel a control belongs to (the panel or its caption editor), else null.
    static TKivStringGrid* PanelOf(const QObject* control);
    void PanelKeyDown(TKivStringGrid* g, bool inEditor, Word& Key, TShiftState keys, bool repeat);
    void UpOrDown(TKivStringGrid* g, bool inEditor, Word& Key, TShiftState keys, bool repeat);
    void Right(TKivStringGrid* g, Word& Key, TShiftState keys, bool repeat);
    void Left(TKivStringGrid* g, Word& Key, TShiftState keys);
    // The row's single link launched (internal: in the window's browser); nothing unless
    // the row has exactly one link.
    bool LaunchSingleLink(TKivStringGrid* g, bool internal);

    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
    TNeed<INavigationPath> nav_;
    TNeed<ISearch> search_;
    TNeed<ITopicCommands> topics_;
    TNeed<IDatastructure> datastructure_;
    // Ctrl held with the arrows views automatically (the auto-launch room keeps that state).
    TNeed<IAutoLaunch> autoLaunch_;
    bool keyIsDown_ = false;
    bool keyCommandDone_ = false;

    // A held key as X delivers it: presses without releases (detectable auto-repeat), or a
    // release and a press with one timestamp, not always flagged as repeats by Qt.
    // A key's identity: its scan code (0 for keys that came from no keyboard).
    static int KeyIdOf(const QKeyEvent* ke);
    // True when the press (its first event: the shortcut override or the key itself)
    // repeats a held key; a release that turns out to be half of a repeat is undone.
    bool PressRepeats(const QKeyEvent* ke);
    void ReleaseSeen(const QKeyEvent* ke, TKivStringGrid* panel);
    std::vector<int> held_;
    // The key whose shortcut override came last: its key press belongs to the same press.
    int overridden_ = 0;
    bool pressRepeats_ = false;
    struct TRelease {
        int id = 0;
        quint64 time = 0;
        bool commandDone = false;
        QPointer<TKivStringGrid> panel;
        bool keyDownSeen = false;
    } lastRelease_;
};

}  // namespace kiv
