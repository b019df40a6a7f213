// The ".kiv" file type (TFileType): the shared-mime-info package and the desktop entry,
// written at every start. No command.
#include "mainwindow/filetype/FileType.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <cstdlib>
#include <exception>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

namespace kiv {

const char* const kKivMimeType = "application/x-kiv";

namespace {

// Writes the file only when its content differs; false when it is not in place.
bool WriteWhenDifferent(const std::string& path, const std::string& content, bool& changed) {
    try {
        if (FileExists(path) && ReadWholeFile(path) == content) return true;
        WriteFileAtomic(path, content);
        changed = true;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void RunInBackground(const char* tool, const std::string& dir) {
    const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (exe.isEmpty()) return;
    QProcess::startDetached(exe, {QString::fromStdString(dir)});
}

}  // namespace

std::string XdgDataHome() {
    std::string d;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && x[0] == '/') d = x;
    else if (const char* h = std::getenv("HOME"); h && *h) d = std::string(h) + "/.local/share";
    else return {};
    if (d.back() != '/') d += '/';
    return d;
}

std::string KivMimePackage() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"application/x-kiv\">\n"
           "    <comment>KIV datastructure</comment>\n"
           "    <glob pattern=\"*.kiv\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string DesktopExecQuote(const std::string& path) {
    // Inside the quotes of an Exec argument '"', '`', '$' and '\' take a backslash; the
    // key's value is itself an escaped string, so every backslash is then doubled, and a
    // '%' is a field code unless doubled.
    std::string arg = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
        arg += c;
    }
    arg += '"';
    std::string out;
    for (char c : arg) {
        if (c == '\\') out += "\\\\";
        else if (c == '%') out += "%%";
        else out += c;
    }
    return out;
}

std::string KivDesktopEntry(const std::string& executablePath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=KIV\n"
           "Comment=Information organiser\n"
           "Exec=" +
           DesktopExecQuote(executablePath) +
           " %f\n"
           "MimeType=application/x-kiv;\n"
           "Terminal=false\n"
           "Categories=Office;\n";
}

bool RegisterKivFileType(const std::string& executablePath) {
    try {
        const std::string home = XdgDataHome();
        if (home.empty() || executablePath.empty()) return false;
        const std::string mimeDir = home + "mime/", appDir = home + "applications/";
        if (!MakeDirs(mimeDir + "packages/") || !MakeDirs(appDir)) return false;
        bool mimeChanged = false, entryChanged = false;
        const bool mime =
            WriteWhenDifferent(mimeDir + "packages/kiv.xml", KivMimePackage(), mimeChanged);
        const bool entry = WriteWhenDifferent(appDir + "kiv.desktop",
                                              KivDesktopEntry(executablePath), entryChanged);
        if (mimeChanged) RunInBackground("update-mime-database", mimeDir);
        if (entryChanged) RunInBackground("update-desktop-database", appDir);
        return mime && entry;
    } catch (...) {
        return false;
    }
}

bool TFileType::Register() {
    return RegisterKivFileType(QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace kiv
