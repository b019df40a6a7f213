#pragma once
// The web-browser control of the main window's browser pane: navigate, back, forward, stop,
// refresh, print, the busy state, the location's address and name, and the events of a
// navigation. Qt WebEngine serves when the program was built with it and it can start
// here (loaded from its own module at the first pane, WebEngineModule.h); otherwise there
// is no pane and links go to the desktop's opener. Tests install an
// engine of their own (none by default, see TestHarness.h).
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace kiv {

class TBrowserPane {
public:
    virtual ~TBrowserPane() = default;

    virtual QWidget* Widget() = 0;
    // An address as a user types it ("www.x.org", "/home/a.htm", "https://...").
    virtual void Navigate(const QString& address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    virtual void Print() = 0;
    // A page is loading.
    virtual bool Busy() const = 0;
    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;

    // A page of the pane's own (not a frame inside one) is about to be loaded.
    std::function<void(const QString& url)> OnBeforeNavigate;
    std::function<void(const QString& title)> OnTitleChange;
    std::function<void(const QString& text)> OnStatusTextChange;
    // The page is loaded (ok) or could not be (not ok).
    std::function<void(bool ok)> OnDocumentComplete;
    // kCommandUpdate: the busy state changed; kCommandForward / kCommandBack: whether the
    // history allows going that way.
    std::function<void(int command, bool enable)> OnCommandStateChange;

    static constexpr int kCommandUpdate = -1;
    static constexpr int kCommandForward = 1;
    static constexpr int kCommandBack = 2;

protected:
    void Fire(const std::function<void(const QString&)>& event, const QString& s) {
        if (event) event(s);
    }
};

// A browser engine: whether it can make panes here (else why not, in words for the user),
// and making one.
struct TBrowserEngine {
    std::function<bool(QString& whyNot)> Available;
    std::function<std::unique_ptr<TBrowserPane>(QWidget* parent)> Make;
};

// The installed engine; Qt WebEngine unless another was installed.
const TBrowserEngine& GetBrowserEngine();
// Installs an engine and returns the one it replaces.
TBrowserEngine InstallBrowserEngine(TBrowserEngine engine);
// Qt WebEngine as this build has it (not available when the build left it out); its module
// is loaded by the first Make, not before.
TBrowserEngine WebEngineBrowser();
// An engine that makes no panes, for the reason given.
TBrowserEngine NoBrowser(const QString& whyNot);

// The schemes the pane loads itself; any other address (a program's own scheme) is refused
// rather than handed to the desktop. Inline: the engine's module uses it too.
inline bool IsBrowsableScheme(const QString& scheme) {
    for (const char* s : {"http", "https", "file", "ftp", "data", "about", "blob"})
        if (scheme.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace kiv
