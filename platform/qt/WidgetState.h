#pragma once
// Small questions about widgets asked the way the Windows program asked them.
#include <QFocusEvent>
#include <QWidget>

namespace kiv {

// "Visible" is the control's own flag, true even while a parent window is hidden
// (QWidget::isVisible is false then).
inline bool isShown(const QWidget* w) { return w && !w->isHidden(); }

// Whether a focus event means entering or leaving the control: switching windows and
// opening a popup move Qt's focus but not the window's active control.
inline bool IsEnterOrExit(const QFocusEvent* e) {
    return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
}

}  // namespace kiv
