#pragma once
// What the other rooms of the main window ask of the launch card: opening a link, adding
// links to a topic, the launch card in front, the window's browser for links, and the
// Launch menu's place for their commands.
#include <functional>
#include <string>
#include <string_view>

class QAction;

namespace kiv {

class TKivStringGrid;

class ILaunchCard {
public:
    virtual ~ILaunchCard() = default;
    // Opens a link: in the window's browser when internal is asked and it shows the link,
    // else with the desktop. Returns the shell's answer (0: nothing started).
    virtual int LaunchLink(const std::string& link, bool makeRoom, bool internal) = 0;
    // Shows a web address or document in the window's browser, never anything else and
    // never through the desktop; false when there is no browser or the link is not one.
    virtual bool ShowInBrowser(const std::string& link, bool makeRoom) = 0;
    virtual void AddLinksToTopic(TKivStringGrid* grid, int row, std::string_view text) = 0;
    // The launch card with the current topic's links, in front.
    virtual void ShowLaunchCardInFront() = 0;
    // The window's browser (empty: none): shows the address and answers true.
    virtual void SetBrowser(
        std::function<bool(const std::string& address, bool makeRoom)> open) = 0;
    // A command of another room in the Launch menu: at the top, or at the end.
    virtual void AddLaunchMenuItem(QAction* item, bool atTop) = 0;
};

}  // namespace kiv
