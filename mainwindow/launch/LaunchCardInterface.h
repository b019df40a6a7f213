#pragma once
// What the launch card offers the other features: opening a link, a topic's links added,
// launched or offered in a popup, the floating panel of the launch card, where drops land on
// it, the store the close asks about, the window's browser for links, and the Launch menu's
// place for other rooms' commands.
#include <QPoint>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

class QAction;
class QWidget;

namespace kiv {

class KivAction;
class TKivStringGrid;

class ILaunchCard {
public:
    virtual ~ILaunchCard() = default;
    // Opens a link (internal: in the window's browser when there is one); the shell's
    // answer (kOpenStarted and above: started; 0: nothing started).
    virtual int LaunchLink(const std::string& link, bool makeRoom, bool internal) = 0;
    // Shows a web address or document in the window's browser, never anything else and
    // never through the desktop; false when there is no browser or the link is not one.
    virtual bool ShowInBrowser(const std::string& link, bool makeRoom) = 0;
    // Adds CR LF separated link lines to a topic.
    virtual void AddLinksToTopic(TKivStringGrid* grid, int row, std::string_view text) = 0;
    // One link of the row: launched; several: the launch card is shown.
    virtual void LaunchRowLinks(TKivStringGrid* grid, int row, bool makeRoom, bool internal) = 0;
    // The link popup for a row's link icon, at a global position.
    virtual void PopupRowLinks(TKivStringGrid* grid, int row, const QPoint& globalPos) = 0;
    // The launch card's floating panel, for the frame and the bins that place, show and
    // hide the floating panels together.
    virtual QWidget* CardPanel() const = 0;
    // The floating panel was closed: its list goes back to the current topic.
    virtual void PanelClosed() = 0;
    // The control a drop from another program lands on (the link list).
    virtual QWidget* DropTarget() const = 0;
    // While on, a failed store is only recorded, for UnstoredCard (the close).
    virtual void SetQuietStoreFailures(bool on) = 0;
    // What could not be stored, for a question to the user; empty when nothing is pending.
    virtual QString UnstoredCard() const = 0;
    // The launch card with the current topic's links, in front.
    virtual void ShowLaunchCardInFront() = 0;
    // Hide all cards: the card shown stores its links as it closes; its command unchecked.
    virtual void CloseLaunchCard() = 0;
    // Its command unchecked, nothing stored (the card's panel hidden by the caller).
    virtual void UncheckLaunchCard() = 0;
    // Launch Card, which follows the card's panel as the bins' close buttons hide it.
    virtual KivAction& ShowLaunchCardCommand() = 0;
    // The link of the launch card list's selected row while the list has the keyboard
    // focus; empty otherwise.
    virtual std::string FocusedListLink() const = 0;
    // The window's browser (empty: none): shows the address and answers true.
    virtual void SetBrowser(
        std::function<bool(const std::string& address, bool makeRoom)> open) = 0;
    // A command of another room in the Launch menu: at the top, or at the end.
    virtual void AddLaunchMenuItem(QAction* item, bool atTop) = 0;
};

}  // namespace kiv
