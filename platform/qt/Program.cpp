#include "platform/qt/Program.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

std::string QtPlatformToChoose(const char* display, const char* chosen, bool xcbAvailable) {
    if (chosen && *chosen) return {};
    if (!display || !*display) return {};
    return xcbAvailable ? "xcb" : "";
}

namespace {
bool XcbPluginAvailable() {
    QStringList dirs;
    const QByteArray extra = qgetenv("QT_PLUGIN_PATH");
    for (const QByteArray& d : extra.split(':'))
        if (!d.isEmpty()) dirs << QString::fromLocal8Bit(d);
    dirs << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& d : dirs)
        if (QFileInfo::exists(d + QStringLiteral("/platforms/libqxcb.so"))) return true;
    return false;
}
}  // namespace

void ChooseQtPlatform() {
    std::string p = QtPlatformToChoose(std::getenv("DISPLAY"), std::getenv("QT_QPA_PLATFORM"),
                                       XcbPluginAvailable());
    if (!p.empty()) ::setenv("QT_QPA_PLATFORM", p.c_str(), 1);
}

void InitProgramFolders() {
    // Before the first write: a file-size limit then fails the write ("File too large"),
    // which is reported and leaves what was stored, instead of killing the program.
    IgnoreFileSizeSignal();
    InitAppPaths();
    // Without any folder for temporary files the program still runs; what needs one says so.
    try {
        TempDir();
    } catch (const std::exception& e) {
        qWarning("kiv: %s", e.what());
    }
    // What runs cut short left behind in the temporary folders.
    for (const std::string& base : TempDirBases()) SweepStaleTempDirs(base);
}

namespace {

int g_pipe[2] = {-1, -1};
QPointer<QSocketNotifier> g_notifier;
std::function<void()> g_close;
struct sigaction g_oldTerm, g_oldInt;
bool g_installed = false;
constexpr int kModalRetryMs = 50;

void OnSignal(int) {
    int saved = errno;
    char b = 1;
    ssize_t n = ::write(g_pipe[1], &b, 1);
    (void)n;
    errno = saved;
}

bool g_closing = false;
constexpr int kModalTries = 100;

void CloseMainWindow(int tries) {
    // Under a modal window the user could not close the main window: answer it first.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (tries >= kModalTries) {
            qWarning("kiv: a modal window does not close; the main window stays open");
            g_closing = false;
            return;
        }
        if (auto* dlg = qobject_cast<QDialog*>(modal)) dlg->reject();
        else modal->close();
        QTimer::singleShot(kModalRetryMs, qApp, [tries] { CloseMainWindow(tries + 1); });
        return;
    }
    g_closing = false;
    if (g_close) GuardCall([] { g_close(); });
}

// From the first termination signal on, nobody is asked anything.
std::optional<UnattendedScope> g_unattended;

void Drain() {
    char buf[64];
    while (::read(g_pipe[0], buf, sizeof buf) > 0) {
    }
    if (!g_unattended) g_unattended.emplace();
    if (g_closing) return;  // already on its way
    g_closing = true;
    CloseMainWindow(0);
}

}  // namespace

void CloseOnTerminationSignals(std::function<void()> closeMainWindow) {
    g_close = std::move(closeMainWindow);
    if (g_installed) return;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("kiv: no pipe for the termination signals: %s", std::strerror(errno));
        return;
    }
    g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(g_notifier.data(), &QSocketNotifier::activated, qApp, [] { Drain(); });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, &g_oldTerm);
    ::sigaction(SIGINT, &sa, &g_oldInt);
    g_installed = true;
}

void RestoreTerminationSignals() {
    if (!g_installed) return;
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    delete g_notifier.data();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_close = nullptr;
    g_closing = false;
    g_installed = false;
    g_unattended.reset();
}

}  // namespace kiv
