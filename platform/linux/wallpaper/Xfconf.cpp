// SPDX-License-Identifier: MIT
#include "Xfconf.h"

#include "PlatformError.h"
#include "SessionBus.h"

#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <gio/gio.h>

namespace velmora::linux_impl {

namespace {

constexpr int kTimeoutMs = 10000;
const char* const kService = "org.xfce.Xfconf";
const char* const kPath = "/org/xfce/Xfconf";

QVariant ToQVariant(GVariant* value) {
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_VARIANT)) {
        GVariant* inner = g_variant_get_variant(value);
        QVariant result = ToQVariant(inner);
        g_variant_unref(inner);
        return result;
    }
    switch (g_variant_classify(value)) {
    case G_VARIANT_CLASS_STRING:
        return QString::fromUtf8(g_variant_get_string(value, nullptr));
    case G_VARIANT_CLASS_BOOLEAN:
        return bool(g_variant_get_boolean(value));
    case G_VARIANT_CLASS_BYTE:
        return qlonglong(g_variant_get_byte(value));
    case G_VARIANT_CLASS_INT16:
        return qlonglong(g_variant_get_int16(value));
    case G_VARIANT_CLASS_UINT16:
        return qlonglong(g_variant_get_uint16(value));
    case G_VARIANT_CLASS_INT32:
        return qlonglong(g_variant_get_int32(value));
    case G_VARIANT_CLASS_UINT32:
        return qlonglong(g_variant_get_uint32(value));
    case G_VARIANT_CLASS_INT64:
        return qlonglong(g_variant_get_int64(value));
    case G_VARIANT_CLASS_UINT64:
        return qlonglong(g_variant_get_uint64(value));
    case G_VARIANT_CLASS_DOUBLE:
        return g_variant_get_double(value);
    case G_VARIANT_CLASS_ARRAY: {
        QVariantList items;
        const gsize count = g_variant_n_children(value);
        for (gsize i = 0; i < count; ++i) {
            GVariant* item = g_variant_get_child_value(value, i);
            items.append(ToQVariant(item));
            g_variant_unref(item);
        }
        return items;
    }
    default:
        return {};
    }
}

// The error a failed call makes; takes error.
PlatformError ErrorOf(GError* error) {
    if (g_dbus_error_is_remote_error(error))
        g_dbus_error_strip_remote_error(error);
    const QString detail = QString::fromUtf8(error->message).left(200);
    const bool late = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
                      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_TIMEOUT) ||
                      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY);
    g_error_free(error);
    if (late)
        return PlatformError(
            Err::DeviceIO, QStringLiteral("Xfce の設定 (xfconfd) が時間内に応答しませんでした。"));
    return PlatformError(
        Err::DeviceIO,
        QStringLiteral("Xfce の設定 (xfconfd) に壁紙を書き込めませんでした。%1").arg(detail));
}

} // namespace

QList<XfceBackdrop> BackdropsOfProperties(const QVariantMap& properties) {
    static const QRegularExpression property(
        QStringLiteral("^(/backdrop/screen\\d+/monitor[^/]+/workspace\\d+)/"
                       "(last-image|image-style)$"));
    QList<XfceBackdrop> result;
    for (auto it = properties.constBegin(); it != properties.constEnd(); ++it) {
        const QRegularExpressionMatch match = property.match(it.key());
        if (!match.hasMatch())
            continue;
        const QString base = match.captured(1);
        auto backdrop = std::find_if(result.begin(), result.end(),
                                     [&](const XfceBackdrop& b) { return b.base == base; });
        if (backdrop == result.end()) {
            result.append({base, std::nullopt, std::nullopt});
            backdrop = result.end() - 1;
        }
        const QVariant& value = it.value();
        if (match.capturedView(2) == QLatin1String("last-image")) {
            if (value.typeId() == QMetaType::QString)
                backdrop->lastImage = value.toString();
        } else if (value.typeId() == QMetaType::LongLong) {
            const qlonglong style = value.toLongLong();
            if (style >= INT_MIN && style <= INT_MAX)
                backdrop->imageStyle = int(style);
        }
    }
    return result;
}

QStringList UsualBackdrops(const QStringList& monitorNames, int workspaces) {
    QStringList result;
    for (const QString& monitor : monitorNames) {
        for (int workspace = 0; workspace < qMax(1, workspaces); ++workspace)
            result.append(
                QStringLiteral("/backdrop/screen0/%1/workspace%2").arg(monitor).arg(workspace));
    }
    return result;
}

bool IsXfcePictureStyle(int style) {
    return style >= 1 && style <= 6;
}

XfconfChannel::XfconfChannel(QString channel)
    : channel_(std::move(channel)), bus_(ConnectSessionBus()) {
    if (!bus_)
        throw PlatformError(
            Err::NotSupported,
            QStringLiteral("Xfce の設定を届ける D-Bus のセッションバスに接続できない"
                           "ため、壁紙を設定しても保存も表示もされません。"));
}

XfconfChannel::~XfconfChannel() {
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
}

QVariantMap XfconfChannel::Properties(const QString& base) const {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, kService, kPath, kService, "GetAllProperties",
        g_variant_new("(ss)", channel_.toUtf8().constData(), base.toUtf8().constData()),
        G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NONE, kTimeoutMs, nullptr, &error);
    if (!reply) {
        // A channel with nothing below base yet.
        gchar* remote = g_dbus_error_get_remote_error(error);
        const bool none = g_strcmp0(remote, "org.xfce.Xfconf.Error.PropertyNotFound") == 0 ||
                          g_strcmp0(remote, "org.xfce.Xfconf.Error.ChannelNotFound") == 0;
        g_free(remote);
        if (none) {
            g_error_free(error);
            return {};
        }
        throw ErrorOf(error);
    }
    QVariantMap result;
    GVariant* properties = g_variant_get_child_value(reply, 0);
    GVariantIter iter;
    g_variant_iter_init(&iter, properties);
    const gchar* name = nullptr;
    GVariant* value = nullptr;
    while (g_variant_iter_next(&iter, "{&sv}", &name, &value)) {
        result.insert(QString::fromUtf8(name), ToQVariant(value));
        g_variant_unref(value);
    }
    g_variant_unref(properties);
    g_variant_unref(reply);
    return result;
}

namespace {

// Takes value (floating).
void Set(GDBusConnection* bus, const QString& channel, const QString& property, GVariant* value) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kService, kPath, kService, "SetProperty",
        g_variant_new("(ssv)", channel.toUtf8().constData(), property.toUtf8().constData(), value),
        G_VARIANT_TYPE_UNIT, G_DBUS_CALL_FLAGS_NONE, kTimeoutMs, nullptr, &error);
    if (!reply)
        throw ErrorOf(error);
    g_variant_unref(reply);
}

} // namespace

void XfconfChannel::SetString(const QString& property, const QString& value) {
    Set(bus_, channel_, property, g_variant_new_string(value.toUtf8().constData()));
}

void XfconfChannel::SetInt(const QString& property, int value) {
    Set(bus_, channel_, property, g_variant_new_int32(value));
}

void XfconfChannel::SetDoubles(const QString& property, const QList<double>& values) {
    // xfconf keeps an array as a list of variants.
    GVariantBuilder items;
    g_variant_builder_init(&items, G_VARIANT_TYPE("av"));
    for (double value : values)
        g_variant_builder_add(&items, "v", g_variant_new_double(value));
    Set(bus_, channel_, property, g_variant_builder_end(&items));
}

} // namespace velmora::linux_impl
