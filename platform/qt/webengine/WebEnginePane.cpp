// The browser pane on Qt WebEngine, built as a module of its own (see WebEngineModule.h).
#include <QPointer>
#include <QPrinter>
#include <QQuickWindow>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include "platform/qt/BrowserPane.h"
#include "platform/qt/WebEngineModule.h"

namespace kiv {
namespace {

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
    TWebEnginePane(QWidget* parent, TWebEngineHost host)
        : host_(std::move(host)),
          view_(new QWebEngineView(parent)),
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
        if (!host_.PrinterForPrint) return;
        if (QPrinter* printer = host_.PrinterForPrint()) view_->print(printer);
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

    TWebEngineHost host_;
    // Owned by its parent until the pane goes.
    QPointer<QWebEngineView> view_;
    QWebEngineProfile* profile_;
    TKivWebPage* page_;
    bool busy_ = false;
};

// The engine draws through Qt Quick, and its GPU thread shares textures with Qt Quick's
// OpenGL context through the application's global share context; without that context the
// first view crashes. An application that links the engine gets the context when its
// application object is made; loaded later, as here, the engine leaves it to us:
// QtWebEngineQuick::initialize makes the context and sets Qt::AA_ShareOpenGLContexts,
// which Qt accepts after the application object exists as long as no OpenGL context was
// made before (the program's windows paint in software until now). Qt Quick is told to
// draw with OpenGL, as the engine's own early set-up would have said.
void InitialiseOnce() {
    static const bool done = [] {
        if (QQuickWindow::graphicsApi() != QSGRendererInterface::OpenGL)
            QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
        QtWebEngineQuick::initialize();
        return true;
    }();
    (void)done;
}

}  // namespace
}  // namespace kiv

extern "C" Q_DECL_EXPORT kiv::TBrowserPane* KivMakeWebEnginePane(QWidget* parent,
                                                                 const kiv::TWebEngineHost& host) {
    kiv::InitialiseOnce();
    return new kiv::TWebEnginePane(parent, host);
}
