// The desktop's own shell: GIO for the programs of a file type, the default program of an
// address, launching and the trash; the file manager's D-Bus interface for properties.
#include <sys/stat.h>

#include <QApplication>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QMimeDatabase>
#include <QPushButton>
#include <QThreadPool>
#include <QUrl>
#include <algorithm>
#include <memory>

#include "mainwindow/launch/DesktopShell.h"
#include "platform/qt/Dialogs.h"

// GLib's headers name a struct member "signals", which Qt defines as a macro.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace kiv {

void TDesktopShell::LaunchFailed(const QString& message) {
    if (OnLaunchFailed) OnLaunchFailed(message);
    else MessageDlg(message, MsgType::Error, MsgButtons::OK);
}

namespace {

std::unique_ptr<TDesktopShell>& Installed() {
    static std::unique_ptr<TDesktopShell> shell;
    return shell;
}

struct GObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectUnref>;
using GStr = std::unique_ptr<gchar, decltype(&g_free)>;

struct GErrorFree {
    void operator()(GError* e) const { g_error_free(e); }
};
using GErr = std::unique_ptr<GError, GErrorFree>;

QString Utf8(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// The GIO content type of a file, from the same MIME database the rest of the program asks.
GStr ContentTypeOf(const QString& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid()) return GStr(nullptr, &g_free);
    return GStr(g_content_type_from_mime_type(type.name().toUtf8().constData()), &g_free);
}

QString ProgramPath(const char* exe) {
    if (!exe || !*exe) return {};
    if (exe[0] == '/') return QFile::decodeName(exe);
    GStr found(g_find_program_in_path(exe), &g_free);
    return found ? QFile::decodeName(found.get()) : QString();
}

TOpenWithApp AppOf(GAppInfo* app) {
    return {Utf8(g_app_info_get_id(app)), Utf8(g_app_info_get_name(app)), ProgramPath(g_app_info_get_executable(app))};
}

// The desktop entry of that id, or null.
GPtr<GAppInfo> FindApp(const QString& id) {
    GPtr<GAppInfo> found;
    GList* all = g_app_info_get_all();
    for (GList* l = all; l; l = l->next) {
        auto* app = static_cast<GAppInfo*>(l->data);
        if (!found && Utf8(g_app_info_get_id(app)) == id) found.reset(G_APP_INFO(g_object_ref(app)));
    }
    g_list_free_full(all, g_object_unref);
    return found;
}

// The URI GIO opens for a target: a local path as a file URI (its bytes encoded), an
// address as it stands.
QString UriOf(const QString& target) {
    if (!target.startsWith(QLatin1Char('/'))) return target;
    GStr uri(g_filename_to_uri(QFile::encodeName(target).constData(), nullptr, nullptr), &g_free);
    return uri ? Utf8(uri.get()) : QString();
}

class TGioDesktopShell : public TDesktopShell {
public:
    int OpenDefault(const QString& target, bool folder) override {
        const QString uri = UriOf(target);
        if (uri.isEmpty()) return kOpenNothing;
        if (!folder && !HasDefault(target, uri)) return kOpenNoAssociation;
        // Starting a program can take a while (a D-Bus activation, a slow disk): it runs off
        // the GUI thread, which only hears of a failure.
        RunInBackground([uri, target]() -> QString {
            GError* raw = nullptr;
            if (g_app_info_launch_default_for_uri(uri.toUtf8().constData(), nullptr, &raw)) return {};
            GErr e(raw);
            return QStringLiteral("Can't open %1: %2").arg(target, Utf8(e ? e->message : nullptr));
        });
        return kOpenStarted;
    }

    QList<TOpenWithApp> AppsFor(const QString& path) override {
        QList<TOpenWithApp> apps;
        GStr type = ContentTypeOf(path);
        if (!type) return apps;
        GPtr<GAppInfo> def(g_app_info_get_default_for_type(type.get(), FALSE));
        if (def) apps << AppOf(def.get());
        GList* all = g_app_info_get_all_for_type(type.get());
        for (GList* l = all; l; l = l->next) {
            auto* app = static_cast<GAppInfo*>(l->data);
            if (def && g_app_info_equal(app, def.get())) continue;
            apps << AppOf(app);
        }
        g_list_free_full(all, g_object_unref);
        return apps;
    }

    bool OpenWith(const QString& appId, const QString& path) override {
        GPtr<GAppInfo> app = FindApp(appId);
        if (!app) return false;
        auto* raw = G_APP_INFO(g_object_ref(app.get()));
        RunInBackground([raw, path]() -> QString {
            GPtr<GAppInfo> app(raw);
            GPtr<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
            GList files{file.get(), nullptr, nullptr};
            GError* err = nullptr;
            if (g_app_info_launch(app.get(), &files, nullptr, &err)) return {};
            GErr e(err);
            return QStringLiteral("Can't open %1 with %2: %3")
                .arg(path, Utf8(g_app_info_get_name(app.get())), Utf8(e ? e->message : nullptr));
        });
        return true;
    }

    void ChooseProgram(const QString& path) override {
        // The programs for the type first, then every other one the desktop shows.
        QList<TOpenWithApp> apps = AppsFor(path);
        GList* all = g_app_info_get_all();
        for (GList* l = all; l; l = l->next) {
            auto* app = static_cast<GAppInfo*>(l->data);
            const TOpenWithApp a = AppOf(app);
            if (!g_app_info_should_show(app) || a.Exe.isEmpty()) continue;
            if (std::none_of(apps.begin(), apps.end(), [&](const TOpenWithApp& x) { return x.Id == a.Id; })) apps << a;
        }
        g_list_free_full(all, g_object_unref);
        QDialog dlg(QApplication::activeWindow());
        dlg.setObjectName(QStringLiteral("frmChooseProgram"));
        dlg.setWindowTitle(QStringLiteral("Choose Program"));
        auto* l = new QVBoxLayout(&dlg);
        l->addWidget(new QLabel(QStringLiteral("Open %1 with:").arg(path), &dlg));
        auto* list = new QListWidget(&dlg);
        for (const TOpenWithApp& a : apps) {
            auto* item = new QListWidgetItem(a.Name, list);
            item->setData(Qt::UserRole, a.Id);
            item->setToolTip(a.Exe);
        }
        if (list->count() > 0) list->setCurrentRow(0);
        l->addWidget(list);
        auto* buttons = new QDialogButtonBox(&dlg);
        buttons->addButton(QStringLiteral("- OK -"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("- Cancel -"), QDialogButtonBox::RejectRole);
        l->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dlg, &QDialog::accept);
        if (dlg.exec() != QDialog::Accepted || !list->currentItem()) return;
        OpenWith(list->currentItem()->data(Qt::UserRole).toString(), path);
    }

    bool Trash(const QString& path, QString& error) override {
        GPtr<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
        GError* raw = nullptr;
        if (g_file_trash(file.get(), nullptr, &raw)) return true;
        GErr e(raw);
        error = Utf8(e ? e->message : nullptr);
        return false;
    }

    bool ShowItemProperties(const QString& path) override {
        static const QString service = QStringLiteral("org.freedesktop.FileManager1");
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface()) return false;
        QDBusConnectionInterface* i = bus.interface();
        if (!i->isServiceRegistered(service).value() && !i->activatableServiceNames().value().contains(service))
            return false;
        QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                           service, QStringLiteral("ShowItemProperties"));
        call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
        return bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }

private:
    static bool HasDefault(const QString& target, const QString& uri) {
        if (target.startsWith(QLatin1Char('/'))) {
            GStr type = ContentTypeOf(target);
            GPtr<GAppInfo> app(type ? g_app_info_get_default_for_type(type.get(), FALSE) : nullptr);
            return bool(app);
        }
        GStr scheme(g_uri_parse_scheme(uri.toUtf8().constData()), &g_free);
        GPtr<GAppInfo> app(scheme ? g_app_info_get_default_for_uri_scheme(scheme.get()) : nullptr);
        return bool(app);
    }

    // Runs the launch on the thread pool; its failure text comes back to the GUI thread.
    void RunInBackground(std::function<QString()> launch) {
        QThreadPool::globalInstance()->start([launch = std::move(launch)] {
            const QString failure = launch();
            if (failure.isEmpty()) return;
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, [failure] { GetDesktopShell().LaunchFailed(failure); }, Qt::QueuedConnection);
        });
    }
};

constexpr const char* kExecutableTypes[] = {
    "application/x-executable",       "application/x-pie-executable", "application/x-sharedlib",
    "application/x-ms-dos-executable", "application/x-msdownload",    "application/x-msi",
    "application/x-shellscript",      "application/x-bat",            "application/x-desktop",
    "application/x-perl",             "text/x-python",                "text/x-python3",
    "application/x-ruby",             "application/x-csh",            "application/x-executable-script",
};

}  // namespace

TDesktopShell& GetDesktopShell() {
    std::unique_ptr<TDesktopShell>& s = Installed();
    if (!s) s = MakeGioDesktopShell();
    return *s;
}

std::unique_ptr<TDesktopShell> InstallDesktopShell(std::unique_ptr<TDesktopShell> shell) {
    std::unique_ptr<TDesktopShell> previous = std::move(Installed());
    Installed() = std::move(shell);
    return previous;
}

std::unique_ptr<TDesktopShell> MakeGioDesktopShell() { return std::make_unique<TGioDesktopShell>(); }

bool IsExecutableType(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    if (S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))) return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    for (const char* t : kExecutableTypes)
        if (type.inherits(QString::fromLatin1(t))) return true;
    return false;
}

}  // namespace kiv
