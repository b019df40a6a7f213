#pragma once
// What the other rooms of the main window ask of the embedded browser: its list of visited
// addresses, kept in "kiv.ini" section "VisitedLinks"; whether it or the text card under it
// is shown in the card pane, and the switches between them; the page it shows; and what the
// layouts tell it of the panes.
#include <string>

namespace kiv {

class IBrowser {
public:
    virtual ~IBrowser() = default;
    // At the settings' load and save.
    virtual void LoadVisitedLinks() = 0;
    virtual void SaveVisitedLinks() = 0;

    // The browser pane, and the text card (beside the browser or filling the card pane),
    // shown in a shown card pane.
    virtual bool BrowserShown() const = 0;
    virtual bool TextCardShown() const = 0;
    // Shows or hides the browser pane; the first show makes the browser, and without one
    // the user is told why.
    virtual void ToggleBrowser() = 0;
    // The text card into or out of the pane beside the browser; with the browser closed,
    // the card pane's own command.
    virtual void ToggleTextCard() = 0;
    // The Text Card command's tick, as a maximized pane leaves the text card.
    virtual void SetTextCardChecked(bool checked) = 0;
    // Whether the browser's page is that link ("||" and file addresses compared as paths,
    // letter case ignored). False when there is no browser or no page.
    virtual bool IsShowing(const std::string& link) const = 0;

    // The outliner went away or came back: the maximize button says what it does now, and a
    // text card taking nearly the whole pane under the browser shrinks to a strip.
    virtual void OutlinerShownChanged(bool shown) = 0;
    // The text card's height under the browser (kept within the pane); nothing while the
    // text card is not beside a shown browser.
    virtual void SetTextCardHeight(int height) = 0;
};

}  // namespace kiv
