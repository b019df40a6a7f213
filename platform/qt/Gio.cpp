#include "platform/qt/Gio.h"

#include <QFile>
#include <QMimeDatabase>
#include <memory>

// GLib's headers name a struct member "signals", which Qt defines as a macro.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace kiv {

namespace {

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

TGioApp AppOf(GAppInfo* app) {
    return {Utf8(g_app_info_get_id(app)), Utf8(g_app_info_get_name(app)),
            ProgramPath(g_app_info_get_executable(app))};
}

GPtr<GAppInfo> DefaultForFile(const QString& path) {
    GStr type = ContentTypeOf(path);
    return GPtr<GAppInfo>(type ? g_app_info_get_default_for_type(type.get(), FALSE) : nullptr);
}

// The desktop entry of that id, or null.
GPtr<GAppInfo> FindApp(const QString& id) {
    GPtr<GAppInfo> found;
    GList* all = g_app_info_get_all();
    for (GList* l = all; l; l = l->next) {
        auto* app = static_cast<GAppInfo*>(l->data);
        if (!found && Utf8(g_app_info_get_id(app)) == id)
            found.reset(G_APP_INFO(g_object_ref(app)));
    }
    g_list_free_full(all, g_object_unref);
    return found;
}

}  // namespace

std::optional<TGioApp> GioDefaultAppForFile(const QString& path) {
    GPtr<GAppInfo> app = DefaultForFile(path);
    if (!app) return std::nullopt;
    return AppOf(app.get());
}

QList<TGioApp> GioAppsForFile(const QString& path) {
    QList<TGioApp> apps;
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

bool GioHasApp(const QString& appId) { return bool(FindApp(appId)); }

QList<TGioApp> GioShownApps() {
    QList<TGioApp> apps;
    GList* all = g_app_info_get_all();
    for (GList* l = all; l; l = l->next) {
        auto* app = static_cast<GAppInfo*>(l->data);
        if (!g_app_info_should_show(app)) continue;
        TGioApp a = AppOf(app);
        if (!a.Exe.isEmpty()) apps << std::move(a);
    }
    g_list_free_full(all, g_object_unref);
    return apps;
}

QString GioUriOf(const QString& target) {
    if (!target.startsWith(QLatin1Char('/'))) return target;
    GStr uri(g_filename_to_uri(QFile::encodeName(target).constData(), nullptr, nullptr), &g_free);
    return uri ? Utf8(uri.get()) : QString();
}

bool GioHasDefaultFor(const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) return bool(DefaultForFile(target));
    // A local name as a URI: its type is found by its name.
    if (target.startsWith(QLatin1String("file:"))) {
        GStr name(g_filename_from_uri(target.toUtf8().constData(), nullptr, nullptr), &g_free);
        return name && DefaultForFile(QFile::decodeName(name.get()));
    }
    GStr scheme(g_uri_parse_scheme(target.toUtf8().constData()), &g_free);
    GPtr<GAppInfo> app(scheme ? g_app_info_get_default_for_uri_scheme(scheme.get()) : nullptr);
    return bool(app);
}

QString GioLaunchDefault(const QString& target) {
    const QString uri = GioUriOf(target);
    if (uri.isEmpty()) return QStringLiteral("Can't open %1: it is no file name").arg(target);
    GError* raw = nullptr;
    if (g_app_info_launch_default_for_uri(uri.toUtf8().constData(), nullptr, &raw)) return {};
    GErr e(raw);
    return QStringLiteral("Can't open %1: %2").arg(target, Utf8(e ? e->message : nullptr));
}

QString GioLaunchApp(const QString& appId, const QString& path) {
    GPtr<GAppInfo> app = FindApp(appId);
    if (!app) return QStringLiteral("Can't open %1: the program %2 is gone").arg(path, appId);
    GPtr<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    GList files{file.get(), nullptr, nullptr};
    GError* err = nullptr;
    if (g_app_info_launch(app.get(), &files, nullptr, &err)) return {};
    GErr e(err);
    return QStringLiteral("Can't open %1 with %2: %3")
        .arg(path, Utf8(g_app_info_get_name(app.get())), Utf8(e ? e->message : nullptr));
}

bool GioTrash(const QString& path, QString& error) {
    GPtr<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    GError* raw = nullptr;
    if (g_file_trash(file.get(), nullptr, &raw)) return true;
    GErr e(raw);
    error = Utf8(e ? e->message : nullptr);
    return false;
}

}  // namespace kiv
