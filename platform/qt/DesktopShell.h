#pragma once
// What the launch commands ask of the desktop: open a file, folder or address with its
// default program, list and run the programs for a file's type, let the user choose one,
// move a file to the trash and show a file's properties. The desktop's own shell goes
// through GIO and D-Bus (GioDesktopShell.cpp); tests install one that records the calls.
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace kiv {

// A program the desktop knows for a file type.
struct TOpenWithApp {
    QString Id;    // the desktop entry's id, "org.gnome.TextEditor.desktop"
    QString Name;  // "Text Editor"
    QString Exe;   // the absolute path of the program it runs
};

// What an open answers, in the shell's terms: above 32 the program was started (or is
// being started in the background), 31 nothing is associated, 0 nothing was started.
constexpr int kOpenNothing = 0;
constexpr int kOpenNoAssociation = 31;
constexpr int kOpenStarted = 33;

class TDesktopShell {
public:
    virtual ~TDesktopShell() = default;

    // Opens a local path or an address ("https://...", "mailto:...") with the desktop's
    // default program (a local name that is not UTF-8 comes as a "file://" URI); a folder (folder set) in the file manager. The program starts in
    // the background: a failure then reaches OnLaunchFailed.
    virtual int OpenDefault(const QString& target, bool folder) = 0;
    // The programs the desktop offers for the file's type, the default first.
    virtual QList<TOpenWithApp> AppsFor(const QString& path) = 0;
    // Runs the program of that desktop entry on the file, in the background.
    virtual bool OpenWith(const QString& appId, const QString& path) = 0;
    // Lets the user pick a program for the file and runs it.
    virtual void ChooseProgram(const QString& path) = 0;
    // Moves the file to the desktop's trash; false with the reason.
    virtual bool Trash(const QString& path, QString& error) = 0;
    // The file manager's properties window; false when no file manager offers one.
    virtual bool ShowItemProperties(const QString& path) = 0;

    // A program that could not be started: what failed, in words. Fired on the GUI thread.
    std::function<void(const QString& message)> OnLaunchFailed;
    // Tells OnLaunchFailed, or the user in an error box when nobody listens.
    void LaunchFailed(const QString& message);
};

// The installed shell; the desktop's own unless another was installed.
TDesktopShell& GetDesktopShell();
// Installs a shell and returns the one it replaces (null for the built-in one).
std::unique_ptr<TDesktopShell> InstallDesktopShell(std::unique_ptr<TDesktopShell> shell);
// The desktop's own shell, new.
std::unique_ptr<TDesktopShell> MakeGioDesktopShell();

// The executable types, whose Open With list is hidden: files with an execute bit, and
// executables, scripts and desktop entries by their MIME type.
bool IsExecutableType(const QString& path);

}  // namespace kiv
