// SPDX-License-Identifier: MIT
#include "PlasmaWallpaper.h"

#include "AlternateFile.h"
#include "PlasmaScript.h"
#include "PlatformError.h"
#include "SystemServices.h"

#include <QFile>
#include <QFileInfo>

#include <gio/gio.h>

namespace velmora::linux_impl {

namespace {

constexpr const char* kService = "org.kde.plasmashell";
constexpr const char* kPath = "/PlasmaShell";
constexpr const char* kInterface = "org.kde.PlasmaShell";
constexpr int kTimeoutMs = 10000;
// Plasma's own screens are numbered from 0; more than this many would be a confused shell.
constexpr guint kMostScreens = 64;

PlatformError ErrorOf(GError* error) {
    const bool absent = g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
                        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
    const bool late = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
                      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
                      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY);
    if (g_dbus_error_is_remote_error(error))
        g_dbus_error_strip_remote_error(error);
    const QString detail = QString::fromUtf8(error->message).left(200);
    g_error_free(error);
    if (absent)
        return PlatformError(Err::NotSupported,
                             QStringLiteral("KDE Plasma のデスクトップ (plasmashell) "
                                            "が動いていないため、壁紙を設定できません。"));
    if (late)
        return PlatformError(Err::DeviceIO,
                             QStringLiteral("plasmashell が時間内に応答しませんでした。"));
    // Plasma refuses scripts when the desktop is locked or scripting is not allowed.
    if (detail.contains(QLatin1String("locked")) ||
        detail.contains(QLatin1String("olicies"), Qt::CaseInsensitive) ||
        detail.contains(QLatin1String("olicy"), Qt::CaseInsensitive))
        return PlatformError(
            Err::PermissionDenied,
            QStringLiteral("KDE Plasma のデスクトップが変更できないようになっているため、"
                           "壁紙を変えられません。(%1)")
                .arg(detail));
    return PlatformError(Err::DeviceIO,
                         QStringLiteral("KDE Plasma が壁紙を設定できませんでした。%1").arg(detail));
}

GDBusConnection* SessionBus() {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("D-Bus のセッションバスに接続できないため、"
                                           "KDE Plasma の壁紙を設定できません。"));
    }
    return bus;
}

// Calls a method of plasmashell; takes parameters (floating). Returns the reply, owned.
GVariant* Call(const char* interface, const char* method, GVariant* parameters,
               const char* replyType) {
    GDBusConnection* bus = SessionBus();
    GError* error = nullptr;
    GVariant* reply =
        g_dbus_connection_call_sync(bus, kService, kPath, interface, method, parameters,
                                    replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START, kTimeoutMs, nullptr, &error);
    g_object_unref(bus);
    if (!reply)
        throw ErrorOf(error);
    return reply;
}

QString UriOf(const QString& path) {
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, &error);
    if (!uri) {
        g_clear_error(&error);
        throw PlatformError(Err::BadFileName);
    }
    const QString result = QString::fromUtf8(uri);
    g_free(uri);
    return result;
}

// The local file a stored picture names: a file URI or a plain path; empty for others.
QByteArray FileOf(const QString& value) {
    if (value.startsWith(u'/'))
        return QFile::encodeName(value);
    gchar* file = g_filename_from_uri(value.toUtf8().constData(), nullptr, nullptr);
    if (!file)
        return {};
    QByteArray result(file);
    g_free(file);
    return result;
}

} // namespace

void PlasmaWallpaper::Set(const QString& bmpPath, int flags) {
    // Plasma stores every change in its own configuration at once: there is no change for
    // the session only, so flags 0 and 3 both store. At the end (3) the picture is named by
    // its own file name, so that the stored setting points at the program's bitmap.
    if (bmpPath.isEmpty()) {
        if (HasNativeCalls())
            ShowBlackNatively();
        else
            Evaluate(PlasmaBlackScript());
        return;
    }
    if (!QFileInfo::exists(bmpPath))
        throw PlatformError(Err::FileNotFound);
    const QString file = QFileInfo(bmpPath).absoluteFilePath();
    const QString uri = UriOf(file);
    QString alternateUri = uri;
    if ((flags & WallpaperFlags::Store) != WallpaperFlags::Store) {
        // Plasma redraws only when the name changes, and the program always writes the same
        // name: a desktop showing it is given a second name of the same picture.
        const QString alternate = AlternateNameOf(file);
        MirrorFile(file, alternate);
        alternateUri = UriOf(alternate);
    }
    if (HasNativeCalls())
        ShowPictureNatively(uri, alternateUri);
    else
        Evaluate(PlasmaPictureScript(uri, alternateUri));
}

bool PlasmaWallpaper::HasNativeCalls() {
    if (native_)
        return *native_;
    GVariant* reply = Call("org.freedesktop.DBus.Introspectable", "Introspect", nullptr, "(s)");
    const gchar* xml = nullptr;
    g_variant_get(reply, "(&s)", &xml);
    bool found = false;
    if (GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(xml, nullptr)) {
        if (GDBusInterfaceInfo* info = g_dbus_node_info_lookup_interface(node, kInterface)) {
            // Both are needed: wallpaper() tells which screens exist and what they show.
            GDBusMethodInfo* set = g_dbus_interface_info_lookup_method(info, "setWallpaper");
            GDBusMethodInfo* get = g_dbus_interface_info_lookup_method(info, "wallpaper");
            found = set && get && set->in_args && set->in_args[0] && set->in_args[1] &&
                    set->in_args[2] && !set->in_args[3] &&
                    g_strcmp0(set->in_args[1]->signature, "a{sv}") == 0;
        }
        g_dbus_node_info_unref(node);
    }
    g_variant_unref(reply);
    native_ = found;
    return found;
}

void PlasmaWallpaper::ShowPictureNatively(const QString& uri, const QString& alternateUri) {
    // wallpaper(n) answers an empty map for a screen that does not exist.
    for (guint screen = 0; screen < kMostScreens; ++screen) {
        GVariant* reply = Call(kInterface, "wallpaper", g_variant_new("(u)", screen), "(a{sv})");
        GVariant* shown = g_variant_get_child_value(reply, 0);
        const bool exists = g_variant_n_children(shown) > 0;
        const gchar* plugin = nullptr;
        const gchar* image = nullptr;
        g_variant_lookup(shown, "wallpaperPlugin", "&s", &plugin);
        g_variant_lookup(shown, "Image", "&s", &image);
        const bool showsUri = g_strcmp0(plugin, "org.kde.image") == 0 && image &&
                              FileOf(QString::fromUtf8(image)) == FileOf(uri);
        const QByteArray name = (showsUri ? alternateUri : uri).toUtf8();
        g_variant_unref(shown);
        g_variant_unref(reply);
        if (!exists) {
            if (screen == 0) // a shell without screens: let the script reach its desktops
                Evaluate(PlasmaPictureScript(uri, alternateUri));
            return;
        }
        GVariantBuilder parameters;
        g_variant_builder_init(&parameters, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&parameters, "{sv}", "Image", g_variant_new_string(name.constData()));
        g_variant_builder_add(&parameters, "{sv}", "FillMode", g_variant_new_int32(2));
        g_variant_unref(Call(kInterface, "setWallpaper",
                             g_variant_new("(sa{sv}u)", "org.kde.image", &parameters, screen),
                             nullptr));
    }
}

void PlasmaWallpaper::ShowBlackNatively() {
    for (guint screen = 0; screen < kMostScreens; ++screen) {
        GVariant* reply = Call(kInterface, "wallpaper", g_variant_new("(u)", screen), "(a{sv})");
        GVariant* shown = g_variant_get_child_value(reply, 0);
        const bool exists = g_variant_n_children(shown) > 0;
        g_variant_unref(shown);
        g_variant_unref(reply);
        if (!exists) {
            if (screen == 0)
                Evaluate(PlasmaBlackScript());
            return;
        }
        // Plasma reads a colour as a structure holding one ARGB number.
        GVariantBuilder parameters;
        g_variant_builder_init(&parameters, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&parameters, "{sv}", "Color",
                              g_variant_new("(u)", static_cast<guint32>(0xff000000u)));
        g_variant_unref(Call(kInterface, "setWallpaper",
                             g_variant_new("(sa{sv}u)", "org.kde.color", &parameters, screen),
                             nullptr));
    }
}

void PlasmaWallpaper::Evaluate(const QString& script) {
    g_variant_unref(Call(kInterface, "evaluateScript",
                         g_variant_new("(s)", script.toUtf8().constData()), nullptr));
}

} // namespace velmora::linux_impl
