#include "platform/qt/BrowserPane.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLibraryInfo>
#include <QUrl>
#include <QWidget>
#include <utility>

#ifdef KIV_WEBENGINE
#include <dlfcn.h>

#include <QCoreApplication>
#include <QPrinter>

#include "platform/core/KivError.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Printer.h"
#include "platform/qt/WebEngineModule.h"
#endif

namespace kiv {

namespace {

TBrowserEngine& Installed() {
    static TBrowserEngine engine = WebEngineBrowser();
    return engine;
}

#ifdef KIV_WEBENGINE

// Beside the program, as the build and an installation put it.
QString ModulePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/kiv_webengine.so");
}

// Qt's own words for the late set-up the module does on purpose (WebEnginePane.cpp says
// why it is sound here); any other message goes on as before.
QtMessageHandler g_previousHandler = nullptr;
void QuietLateSetUp(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    for (const char* known : {"Qt WebEngine seems to be initialized from a plugin",
                              "QtWebEngineQuick::initialize() called with QCoreApplication",
                              "Attribute Qt::AA_ShareOpenGLContexts must be set before"})
        if (type == QtWarningMsg && text.startsWith(QLatin1String(known))) return;
    if (g_previousHandler) g_previousHandler(type, context, text);
    else qt_message_output(type, context, text);
}

struct QuietScope {
    QuietScope() { g_previousHandler = qInstallMessageHandler(QuietLateSetUp); }
    ~QuietScope() { qInstallMessageHandler(g_previousHandler); }
};

// The module's entry, loaded once and kept for the rest of the run (its code serves the
// panes it made until they go).
TMakeWebEnginePane LoadModule() {
    static TMakeWebEnginePane make = nullptr;
    if (make) return make;
    const QByteArray path = ModulePath().toLocal8Bit();
    void* handle = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        throw EKivError("Qt WebEngine's module could not be loaded (" +
                        std::string(why ? why : path.constData()) + ")");
    }
    make = reinterpret_cast<TMakeWebEnginePane>(::dlsym(handle, KIV_WEBENGINE_ENTRY));
    if (!make) throw EKivError("Qt WebEngine's module " + path.toStdString() + " has no entry");
    return make;
}

std::unique_ptr<TBrowserPane> MakeWebEnginePane(QWidget* parent) {
    TWebEngineHost host;
    host.PrinterForPrint = []() -> QPrinter* {
        QPrinter& printer = CurrentPrinter();
        return GetDialogs().PrinterSetup(printer) ? &printer : nullptr;
    };
    QuietScope quiet;
    TMakeWebEnginePane make = LoadModule();
    return std::unique_ptr<TBrowserPane>(make(parent, host));
}

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
    if (!QFileInfo(ModulePath()).isReadable()) {
        whyNot = QStringLiteral("Qt WebEngine's module %1 is missing").arg(ModulePath());
        return false;
    }
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
                if (!WebEngineAvailable(why)) throw EKivError(why.toStdString());
                return MakeWebEnginePane(parent);
            }};
#else
    return NoBrowser(QStringLiteral("this KIV was built without Qt WebEngine"));
#endif
}

}  // namespace kiv
