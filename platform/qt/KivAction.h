#pragma once
// Commands as the class library's actions: a QAction with Execute and Update handlers.
//
// Update handlers set the enabled and checked state. They run in the update pass: on a
// short idle timer, when the focus moves, after each command and when a menu that holds
// the action is about to show. The idle pass skips actions whose window is hidden.
//
// Executing (a menu item, a tool button, a shortcut, or Execute() from code) runs, as the
// class library did: the Update handler, then, when the action is enabled, the automatic
// check toggle (AutoCheck; with a GroupIndex the checked one stays checked) and the
// Execute handler. Qt's own toggle of a checkable QAction is undone first, so handlers
// see the state from before the click and toggle it themselves unless AutoCheck is set.
// A GroupIndex above 0 makes actions of one owner a radio group; do not put KivActions
// into a QActionGroup.
//
// While Busy is set, execution, updates and every shortcut of the program are swallowed.
#include <QAction>
#include <functional>

namespace kiv {

// The program's busy gate (a long operation runs). Set it through a FlagGuard.
extern bool Busy;

class KivAction : public QAction {
    Q_OBJECT
public:
    explicit KivAction(QObject* parent = nullptr);
    KivAction(const QString& text, QObject* parent);
    ~KivAction() override;

    std::function<void(KivAction* Sender)> OnExecute;
    std::function<void(KivAction* Sender)> OnUpdate;

    int Tag = 0;
    int HelpContext = 0;
    int GroupIndex = 0;
    bool AutoCheck = false;

    bool Checked() const { return isChecked(); }
    // Checking makes the action checkable; checking one of a group unchecks the others.
    void SetChecked(bool checked);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    // Returns whether the command was handled (swallowed while Busy counts as handled);
    // false when disabled or without an Execute handler. Exceptions of the handler reach
    // the caller; triggers from the user go through the exception guard.
    bool Execute();
    // Runs the Update handler; false when there is none or Busy swallowed it.
    bool Update();

    // The update pass over every action, now.
    static void UpdateAll();
    // An update pass soon (coalesced).
    static void ScheduleUpdate();

protected:
    bool event(QEvent* e) override;

private:
    void Triggered();
    void UpdateGuarded();

    bool updateFailed_ = false;  // the idle pass stops calling an Update handler that threw
    friend class ActionUpdater;
};

}  // namespace kiv
