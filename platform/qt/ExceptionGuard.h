#pragma once
// No exception leaves an event handler: entry points run their work through GuardCall,
// KivApplication::notify catches what gets past them, and either shows the message in an
// error box as the class library's default handler did. States set around long work are
// RAII guards here, so that an exception puts them back.
#include <QPointer>
#include <QString>
#include <exception>
#include <utility>

#include "platform/qt/Screen.h"

class QWidget;

namespace kiv {

// The error box for an exception: its message, with a final "." added unless the text
// already ends in a character up to "." (as the class library did), captioned with the
// program's title. While one such box is open, further ones are not stacked on it. Caught
// during a paint event, the box waits until the painting is over (a modal loop inside a
// paint would paint recursively), and further failures before it shows add no box.
void ShowException(const std::exception& e);
void ShowExceptionMessage(const QString& message);
// The message as the box shows it.
QString ExceptionBoxText(const QString& message);

// Marks the delivery of a paint event (KivApplication::notify sets it).
class PaintEventScope {
public:
    PaintEventScope();
    ~PaintEventScope();
    PaintEventScope(const PaintEventScope&) = delete;
    PaintEventScope& operator=(const PaintEventScope&) = delete;
};

// Runs f; an exception is shown and swallowed. Returns whether f completed.
template <class F>
bool GuardCall(F&& f) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowExceptionMessage(QStringLiteral("An unexpected error occurred"));
    }
    return false;
}

// Sets a variable for a scope and puts its previous value back.
template <class T>
class ValueGuard {
public:
    ValueGuard(T& var, T value) : var_(var), old_(std::move(var)) { var_ = std::move(value); }
    ~ValueGuard() { var_ = std::move(old_); }
    ValueGuard(const ValueGuard&) = delete;
    ValueGuard& operator=(const ValueGuard&) = delete;

private:
    T& var_;
    T old_;
};

class FlagGuard : public ValueGuard<bool> {
public:
    explicit FlagGuard(bool& flag, bool value = true) : ValueGuard<bool>(flag, value) {}
};

// The screen cursor for a scope (the hour-glass by default), then the one before.
class CursorGuard {
public:
    explicit CursorGuard(TCursor c = crHourGlass) : old_(Screen::Cursor()) { Screen::SetCursor(c); }
    ~CursorGuard() { Screen::SetCursor(old_); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

private:
    TCursor old_;
};

// A window (or control) disabled for a scope; its own enabled state is restored after.
class DisabledWindowGuard {
public:
    explicit DisabledWindowGuard(QWidget* w);
    ~DisabledWindowGuard();
    DisabledWindowGuard(const DisabledWindowGuard&) = delete;
    DisabledWindowGuard& operator=(const DisabledWindowGuard&) = delete;

private:
    QPointer<QWidget> w_;
    bool wasEnabled_ = true;
};

}  // namespace kiv
