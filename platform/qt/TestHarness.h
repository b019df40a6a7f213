#pragma once
// What every widget test needs, as one RAII object (a fixture member):
//  - its own temporary program folder through KIV_HOME (AppDir follows it),
//  - FakeDialogs installed, so nothing opens a modal loop and every box is recorded,
//  - a pinned screen size for the geometry rules (1024 x 768 unless set),
//  - no browser engine, so links go to the desktop (a browser test installs one),
//  - afterwards: the previous dialogs, KIV_HOME and program folder back, the busy gate
//    and the screen cursor cleared, the folder removed.
// The test programs' main() runs under the offscreen platform with the pinned font
// "DejaVu Sans" 9 and a KivApplication.
#include <QSize>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "platform/core/AppPaths.h"
#include "platform/qt/BrowserPane.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/Screen.h"

namespace kiv {

class TestEnvironment {
public:
    explicit TestEnvironment(QSize screen = QSize(1024, 768)) {
        if (const char* h = std::getenv("KIV_HOME")) oldHome_ = h;
        std::string base =
            std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
        std::string tmpl = base + "/kiv-test-XXXXXX";
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a test folder");
        dir_ = tmpl + "/";
        ::setenv("KIV_HOME", dir_.c_str(), 1);
        ResetAppPaths();
        auto fake = std::make_unique<FakeDialogs>();
        fake_ = fake.get();
        previous_ = InstallDialogs(std::move(fake));
        Screen::SetSizeForTests(screen);
        previousBrowser_ = InstallBrowserEngine(NoBrowser(QStringLiteral("no browser in tests")));
    }

    ~TestEnvironment() {
        InstallDialogs(std::move(previous_));
        InstallBrowserEngine(std::move(previousBrowser_));
        Screen::SetSizeForTests(std::nullopt);
        Screen::SetCursor(crDefault);
        Busy = false;
        if (oldHome_) ::setenv("KIV_HOME", oldHome_->c_str(), 1);
        else ::unsetenv("KIV_HOME");
        ResetAppPaths();
        RemoveTree(dir_);
    }

    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    // The program folder of this test, with a trailing "/".
    const std::string& Dir() const { return dir_; }
    FakeDialogs& Dialogs() { return *fake_; }
    void SetScreenSize(QSize size) { Screen::SetSizeForTests(size); }

private:
    std::string dir_;
    std::optional<std::string> oldHome_;
    FakeDialogs* fake_ = nullptr;
    std::unique_ptr<kiv::Dialogs> previous_;
    TBrowserEngine previousBrowser_;
};

}  // namespace kiv
