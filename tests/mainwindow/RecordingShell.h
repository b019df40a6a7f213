#pragma once
// A desktop shell that records what the commands ask of the desktop instead of asking it.
#include <QFile>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "mainwindow/launch/DesktopShell.h"

namespace kiv::wintest {

// What the launch commands asked of the desktop.
struct ShellCall {
    std::string What;  // "open", "folder", "with", "choose", "trash", "properties"
    QString Target;
    QString App;
    bool operator==(const ShellCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const ShellCall& c) {
    return os << c.What << "(" << c.Target.toStdString()
              << (c.App.isEmpty() ? "" : ", " + c.App.toStdString()) << ")";
}

class RecordingShell : public TDesktopShell {
public:
    std::vector<ShellCall> Calls;
    int OpenAnswer = kOpenStarted;
    QList<TOpenWithApp> Apps;
    bool PropertiesOffered = false;

    int OpenDefault(const QString& target, bool folder) override {
        Calls.push_back({folder ? "folder" : "open", target, {}});
        return OpenAnswer;
    }
    QList<TOpenWithApp> AppsFor(const QString&) override { return Apps; }
    bool OpenWith(const QString& appId, const QString& path) override {
        Calls.push_back({"with", path, appId});
        return true;
    }
    void ChooseProgram(const QString& path) override { Calls.push_back({"choose", path, {}}); }
    bool Trash(const QString& path, QString& error) override {
        Calls.push_back({"trash", path, {}});
        if (QFile::remove(path)) return true;
        error = QStringLiteral("no such file");
        return false;
    }
    bool ShowItemProperties(const QString& path) override {
        Calls.push_back({"properties", path, {}});
        return PropertiesOffered;
    }
};

// Installs a recording shell for a scope and gives the desktop's back at its end.
class TRecordedShell {
public:
    TRecordedShell() {
        auto s = std::make_unique<RecordingShell>();
        shell_ = s.get();
        previous_ = InstallDesktopShell(std::move(s));
    }
    ~TRecordedShell() { InstallDesktopShell(std::move(previous_)); }
    RecordingShell& operator*() const { return *shell_; }
    RecordingShell* operator->() const { return shell_; }

private:
    RecordingShell* shell_ = nullptr;
    std::unique_ptr<TDesktopShell> previous_;
};

}  // namespace kiv::wintest
