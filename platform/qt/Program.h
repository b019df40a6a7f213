#pragma once
// Program-level pieces of the start-up and shut-down.
#include <functional>
#include <string>

namespace kiv {

// Before the application object exists: when an X display is there and no platform was
// chosen, use xcb (also under XWayland), where the collector window's always-on-top,
// self-positioning and tray work. Without the xcb plugin Qt chooses as it would.
void ChooseQtPlatform();
// The rule itself: the platform to set, or "" to leave the choice to Qt.
std::string QtPlatformToChoose(const char* display, const char* chosenPlatform, bool xcbAvailable);

// The program and temporary folders, fixed at start; the temporary folder is private
// (mode 0700) and fixed temporary file names are used only inside it. SIGXFSZ is ignored
// from here on, so a file-size limit is a write error like any other.
void InitProgramFolders();

// SIGTERM and SIGINT close the main window as the user's close would, so the settings and
// the open datastructure are saved: the handler only writes to a pipe, and the event loop
// calls close. An open modal window is rejected first (a question then gets its negative
// answer), since the user could not close the main window under it either.
void CloseOnTerminationSignals(std::function<void()> closeMainWindow);
// Back to the default signal handling (tests).
void RestoreTerminationSignals();

}  // namespace kiv
