#pragma once
// A window's owner for the window system (X11's WM_TRANSIENT_FOR): the window stays above
// its owner, goes and comes back with it, and a click on the owner does not hide it. A
// window without an owner is given the program's hidden leader window, behind which a
// dialog can fall and leave the main window looking hung.
class QWidget;

namespace kiv {

// Makes owner's window the owner of window (a top-level widget) from its next show on,
// without making it owner's child: a child window would also be disabled whenever its owner
// is. Null owner: nothing.
void SetWindowOwner(QWidget* window, QWidget* owner);

}  // namespace kiv
