#include "platform/qt/BrowserPane.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLibraryInfo>
#include <QUrl>
#include <QWidget>
#include <utility>

#ifdef KIV_WEBENGINE
#include <QPointer>
#include <QPrinter>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "platform/qt/Dialogs.h"
#include "platform/qt/Printer.h"
#endif

namespace kiv {

namespace {

TBrowserEngine& Installed() {
    static TBrowserEngine engine = WebEngineBrowser();
    return engine;
}

#ifdef KIV_WEBENGINE

// Refuses what would leave the pane: programs' own schemes, which the engine would hand
// to the desktop to start a program.
class TKivWebPage : public QWebEnginePage {
public:
    TKivWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}
    std::function<void(const QString&)> BeforeNavigate;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (!IsBrowsableScheme(url.scheme())) return false;
        if (isMainFrame && BeforeNavigate) BeforeNavigate(url.toString());
        return true;
    }
    // A page's new window opens in the pane itself.
    QWebEnginePage* createWindow(WebWindowType) override { return this; }
};

class TWebEnginePane : public TBrowserPane {
public:
    explicit TWebEnginePane(QWidget* parent)
        : view_(new QWebEngineView(parent)),
          // Off the record: nothing of the pages is kept on disk. It outlives the page.
          profile_(new QWebEngineProfile()),
          page_(new TKivWebPage(profile_, view_)) {
        view_->setObjectName(QStringLiteral("WebBrowser"));
        view_->setPage(page_);
        view_->setFocusPolicy(Qt::ClickFocus);
        page_->BeforeNavigate = [this](const QString& url) { Fire(OnBeforeNavigate, url); };
        QObject::connect(page_, &QWebEnginePage::titleChanged, view_,
                         [this](const QString& t) { Fire(OnTitleChange, t); });
        QObject::connect(page_, &QWebEnginePage::linkHovered, view_,
                         [this](const QString& url) { Fire(OnStatusTextChange, url); });
        QObject::connect(page_, &QWebEnginePage::loadStarted, view_, [this] {
            busy_ = true;
            CommandStates();
        });
        QObject::connect(page_, &QWebEnginePage::loadFinished, view_, [this](bool ok) {
            busy_ = false;
            CommandStates();
            if (OnDocumentComplete) OnDocumentComplete(ok);
        });
        QObject::connect(page_, &QWebEnginePage::urlChanged, view_, [this] { CommandStates(); });
        // A renderer that died (out of memory, killed) leaves the pane empty, not the program.
        QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, view_,
                         [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                             if (status == QWebEnginePage::NormalTerminationStatus) return;
                             busy_ = false;
                             CommandStates();
                             Fire(OnStatusTextChange,
                                  QStringLiteral("The page stopped: its renderer ended"));
                         });
    }

    ~TWebEnginePane() override {
        delete view_.data();
        delete profile_;
    }

    QWidget* Widget() override { return view_; }
    void Navigate(const QString& address) override {
        view_->setUrl(QUrl::fromUserInput(address.trimmed()));
    }
    void GoBack() override { view_->back(); }
    void GoForward() override { view_->forward(); }
    void Stop() override { view_->stop(); }
    void Refresh() override { view_->reload(); }
    void Print() override {
        QPrinter& printer = CurrentPrinter();
        if (!GetDialogs().PrinterSetup(printer)) return;
        view_->print(&printer);
    }
    bool Busy() const override { return busy_; }
    QString LocationURL() const override {
        const QUrl u = page_->url();
        return u.isEmpty() || u.scheme() == QLatin1String("about") ? QString() : u.toString();
    }
    QString LocationName() const override {
        return LocationURL().isEmpty() ? QString() : page_->title();
    }

private:
    void CommandStates() {
        if (!OnCommandStateChange) return;
        OnCommandStateChange(kCommandUpdate, busy_);
        OnCommandStateChange(kCommandForward, page_->history()->canGoForward());
        OnCommandStateChange(kCommandBack, page_->history()->canGoBack());
    }

    // Owned by its parent until the pane goes.
    QPointer<QWebEngineView> view_;
    QWebEngineProfile* profile_;
    TKivWebPage* page_;
    bool busy_ = false;
};

// Chromium's sandbox refuses to run as root and ends the whole program; it is switched off
// only on request.
bool SandboxRefusesRoot() {
    if (::geteuid() != 0) return false;
    if (!qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) return false;
    return !qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS")
                .contains(QLatin1String("--no-sandbox"));
}

bool WebEngineAvailable(QString& whyNot) {
    QString helper = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (helper.isEmpty())
        helper = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                 QStringLiteral("/QtWebEngineProcess");
    if (!QFileInfo(helper).isExecutable()) {
        whyNot = QStringLiteral("Qt WebEngine's helper program %1 is missing").arg(helper);
        return false;
    }
    if (SandboxRefusesRoot()) {
        whyNot = QStringLiteral(
            "Qt WebEngine does not run as root unless QTWEBENGINE_DISABLE_SANDBOX=1 is set");
        return false;
    }
    return true;
}

#endif

}  // namespace

bool IsBrowsableScheme(const QString& scheme) {
    for (const char* s : {"http", "https", "file", "ftp", "data", "about", "blob"})
        if (scheme.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return true;
    return false;
}

const TBrowserEngine& GetBrowserEngine() { return Installed(); }

TBrowserEngine InstallBrowserEngine(TBrowserEngine engine) {
    return std::exchange(Installed(), std::move(engine));
}

TBrowserEngine NoBrowser(const QString& whyNot) {
    return {[whyNot](QString& why) {
                why = whyNot;
                return false;
            },
            [](QWidget*) { return std::unique_ptr<TBrowserPane>(); }};
}

TBrowserEngine WebEngineBrowser() {
#ifdef KIV_WEBENGINE
    return {WebEngineAvailable, [](QWidget* parent) -> std::unique_ptr<TBrowserPane> {
                QString why;
                if (!WebEngineAvailable(why)) return nullptr;
                return std::make_unique<TWebEnginePane>(parent);
            }};
#else
    return NoBrowser(QStringLiteral("this KIV was built without Qt WebEngine"));
#endif
}

}  // namespace kiv
