#pragma once
// A browser engine for the window tests that starts no web engine: its pane records what
// it is asked and fires the browser's events when the test says, synchronously.
#include <QLabel>
#include <QStringList>
#include <memory>

#include "platform/qt/BrowserPane.h"

namespace kiv::wintest {

class FakeBrowserPane : public TBrowserPane {
public:
    explicit FakeBrowserPane(QWidget* parent) : widget_(new QLabel(parent)) {
        widget_->setObjectName(QStringLiteral("FakeBrowser"));
    }
    QWidget* Widget() override { return widget_; }
    // A navigation starts at once: before-navigate, then busy until Complete().
    void Navigate(const QString& address) override {
        Navigations << address;
        Start(address);
    }
    void GoBack() override { Commands << QStringLiteral("back"); }
    void GoForward() override { Commands << QStringLiteral("forward"); }
    void Stop() override {
        Commands << QStringLiteral("stop");
        busy_ = false;
    }
    void Refresh() override { Commands << QStringLiteral("refresh"); }
    void Print() override { Commands << QStringLiteral("print"); }
    bool Busy() const override { return busy_; }
    QString LocationURL() const override { return url_; }
    QString LocationName() const override { return title_; }

    // A link followed inside the page.
    void FollowLink(const QString& url) { Start(url); }
    // The page arrives with its title.
    void Complete(const QString& title, bool ok = true) {
        title_ = title;
        if (OnTitleChange) OnTitleChange(title);
        busy_ = false;
        if (OnCommandStateChange) OnCommandStateChange(kCommandUpdate, false);
        if (OnDocumentComplete) OnDocumentComplete(ok);
    }

    QStringList Navigations;
    QStringList Commands;

private:
    void Start(const QString& url) {
        if (OnBeforeNavigate) OnBeforeNavigate(url);
        url_ = url;
        title_.clear();
        busy_ = true;
        if (OnCommandStateChange) OnCommandStateChange(kCommandUpdate, true);
    }

    QLabel* widget_;
    QString url_, title_;
    bool busy_ = false;
};

// Installs an engine that makes FakeBrowserPanes; Pane is the last one made.
class FakeBrowserEngine {
public:
    FakeBrowserEngine() {
        previous_ = InstallBrowserEngine({[](QString&) { return true; },
                                          [this](QWidget* parent) {
                                              auto p = std::make_unique<FakeBrowserPane>(parent);
                                              Pane = p.get();
                                              ++Made;
                                              return std::unique_ptr<TBrowserPane>(std::move(p));
                                          }});
    }
    ~FakeBrowserEngine() { InstallBrowserEngine(std::move(previous_)); }
    FakeBrowserEngine(const FakeBrowserEngine&) = delete;
    FakeBrowserEngine& operator=(const FakeBrowserEngine&) = delete;

    FakeBrowserPane* Pane = nullptr;
    int Made = 0;

private:
    TBrowserEngine previous_;
};

}  // namespace kiv::wintest
