#pragma once
// The desktop's programs and files through GIO, in Qt's types: the programs for a file's
// type (its MIME type from the same database the rest of the program asks), the default
// program of a file or an address, launching, and the trash. GLib stays inside Gio.cpp.
#include <QList>
#include <QString>
#include <optional>

namespace kiv {

// A program the desktop knows (a desktop entry).
struct TGioApp {
    QString Id;    // the desktop entry's id, "org.gnome.TextEditor.desktop"
    QString Name;  // "Text Editor"
    QString Exe;   // the absolute path of the program it runs; empty when not found
};

// The default program for the file's type; none when the type has none.
std::optional<TGioApp> GioDefaultAppForFile(const QString& path);
// The programs for the file's type, the default first.
QList<TGioApp> GioAppsForFile(const QString& path);
// A desktop entry of that id exists.
bool GioHasApp(const QString& appId);
// Every program the desktop shows in its menus and whose executable is found.
QList<TGioApp> GioShownApps();

// The URI GIO opens for a target: a local path as a file URI (its bytes encoded), an
// address as it stands; empty when a path cannot be made one.
QString GioUriOf(const QString& target);
// A default program exists for the local path's type or the address's scheme.
bool GioHasDefaultFor(const QString& target);

// These wait for the program to start; they are safe off the GUI thread. Each returns
// the failure in words, empty when the program started.
QString GioLaunchDefault(const QString& target);
QString GioLaunchApp(const QString& appId, const QString& path);

// Moves the file to the desktop's trash; false with the reason.
bool GioTrash(const QString& path, QString& error);

}  // namespace kiv
