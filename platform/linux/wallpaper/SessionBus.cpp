// SPDX-License-Identifier: MIT
#include "SessionBus.h"

#include "PlatformError.h"

#include <gio/gio.h>
#include <sys/stat.h>

namespace velmora::linux_impl {

namespace {

// The address GLib itself would use, but never its X11 autolaunch, which would start a
// bus of our own that the desktop does not listen on.
QByteArray SessionBusAddress() {
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QByteArray socket = runtime + "/bus";
    struct stat info {};
    if (::stat(socket.constData(), &info) != 0 || !S_ISSOCK(info.st_mode))
        return {};
    return "unix:path=" + socket;
}

// Asks the bus daemon one question whose answer is a Boolean or a list of names.
GVariant* AskBus(GDBusConnection* bus, const char* method, GVariant* arguments,
                 const GVariantType* reply) {
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", method, arguments, reply,
                                       G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
}

bool ServiceAvailable(GDBusConnection* bus, const char* service) {
    if (GVariant* owned =
            AskBus(bus, "NameHasOwner", g_variant_new("(s)", service), G_VARIANT_TYPE("(b)"))) {
        gboolean has = FALSE;
        g_variant_get(owned, "(b)", &has);
        g_variant_unref(owned);
        if (has)
            return true;
    }
    bool activatable = false;
    if (GVariant* names = AskBus(bus, "ListActivatableNames", nullptr, G_VARIANT_TYPE("(as)"))) {
        GVariantIter* iter = nullptr;
        const gchar* name = nullptr;
        g_variant_get(names, "(as)", &iter);
        while (!activatable && g_variant_iter_next(iter, "&s", &name))
            activatable = g_strcmp0(name, service) == 0;
        g_variant_iter_free(iter);
        g_variant_unref(names);
    }
    return activatable;
}

} // namespace

GDBusConnection* ConnectSessionBus() {
    const QByteArray address = SessionBusAddress();
    if (address.isEmpty())
        return nullptr;
    return g_dbus_connection_new_for_address_sync(
        address.constData(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
}

void RequireSessionBus(const QString& desktop, const char* service) {
    GDBusConnection* bus = ConnectSessionBus();
    if (!bus)
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("%1 の設定を届ける D-Bus のセッションバスに接続できない"
                                           "ため、壁紙を設定しても保存も表示もされません。")
                                .arg(desktop));
    const bool available = !service || ServiceAvailable(bus, service);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    if (!available)
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("%1 の設定サービス (%2) がセッションバスに見つからない"
                                           "ため、壁紙を設定できません。")
                                .arg(desktop, QString::fromLatin1(service)));
}

} // namespace velmora::linux_impl
