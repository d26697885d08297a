// SPDX-License-Identifier: MIT
#include "DeepinWallpaper.h"

#include "GSettingsKeys.h"
#include "PictureStep.h"
#include "PlatformError.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <gio/gio.h>

namespace velmora::linux_impl {

namespace {

constexpr int kCallTimeoutMs = 15000;

// One generation of Deepin's services.
struct Services {
    const char* appearance; // bus name, object path and interface alike but for the path
    const char* appearancePath;
    const char* display;
    const char* displayPath;
};
constexpr Services kGenerations[] = {
    {"org.deepin.dde.Appearance1", "/org/deepin/dde/Appearance1", "org.deepin.dde.Display1",
     "/org/deepin/dde/Display1"},
    {"com.deepin.daemon.Appearance", "/com/deepin/daemon/Appearance", "com.deepin.daemon.Display",
     "/com/deepin/daemon/Display"},
};

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// Calls a method; the reply, or null with error set.
GVariant* Call(GDBusConnection* bus, const char* name, const char* path, const char* method,
               GVariant* arguments, const GVariantType* replyType, ErrorPtr& error) {
    GError* raw = nullptr;
    GVariant* reply =
        g_dbus_connection_call_sync(bus, name, path, name, method, arguments, replyType,
                                    G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &raw);
    error.reset(raw);
    return reply;
}

bool IsAbsent(const GError* error) {
    return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_INTERFACE);
}

PlatformError Refused(GError* error) {
    g_dbus_error_strip_remote_error(error);
    return PlatformError(Err::DeviceIO,
                         QStringLiteral("Deepin の外観サービスが壁紙を設定できませんでした。%1")
                             .arg(QString::fromUtf8(error->message).left(200)));
}

// The monitors the Display service lists; empty when it lists none or is not there.
QStringList MonitorNames(GDBusConnection* bus, const Services& services) {
    ErrorPtr error;
    GVariant* reply = Call(bus, services.display, services.displayPath, "ListOutputNames", nullptr,
                           G_VARIANT_TYPE("(as)"), error);
    QStringList names;
    if (!reply)
        return names;
    GVariantIter* iter = nullptr;
    const gchar* name = nullptr;
    g_variant_get(reply, "(as)", &iter);
    while (g_variant_iter_next(iter, "&s", &name))
        names << QString::fromUtf8(name);
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    names.removeAll(QString());
    names.removeDuplicates();
    return names;
}

// Shows picture (a URI) on every monitor through one generation of services; false when
// that generation's Appearance service is not there.
bool ShowWith(GDBusConnection* bus, const Services& services, const QByteArray& picture) {
    const QStringList monitors = MonitorNames(bus, services);
    // Without the monitors' names, the older call that sets the main monitor.
    const bool byMonitor = !monitors.isEmpty();
    for (qsizetype i = 0; i < (byMonitor ? monitors.size() : 1); ++i) {
        const QByteArray monitor = byMonitor ? monitors.at(i).toUtf8() : QByteArray();
        ErrorPtr error;
        GVariant* reply =
            byMonitor
                ? Call(bus, services.appearance, services.appearancePath, "SetMonitorBackground",
                       g_variant_new("(ss)", monitor.constData(), picture.constData()), nullptr,
                       error)
                : Call(bus, services.appearance, services.appearancePath, "Set",
                       g_variant_new("(ss)", "background", picture.constData()), nullptr, error);
        if (reply) {
            g_variant_unref(reply);
            continue;
        }
        if (i == 0 && IsAbsent(error.get()))
            return false;
        throw Refused(error.get());
    }
    return true;
}

} // namespace

DeepinWallpaper::DeepinWallpaper() {
    GError* error = nullptr;
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus_) {
        g_clear_error(&error);
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("セッションバスに接続できないため、Deepin の壁紙を"
                                           "設定できません。"));
    }
}

DeepinWallpaper::~DeepinWallpaper() {
    g_object_unref(bus_);
}

void DeepinWallpaper::Set(const QString& bmpPath, int flags) {
    // Deepin stores every change: flags 0 and 3 both store. Its service copies the picture
    // under a name of its own, so what it shows now is known only from the last step.
    const QString file = bmpPath.isEmpty()
                             ? PlainPictureFile()
                             : PictureForStep(bmpPath, flags, QFile::encodeName(shown_));
    const QByteArray uri = FileUriOf(file).toUtf8();
    bool shown = false;
    for (const Services& services : kGenerations) {
        shown = ShowWith(bus_, services, uri);
        if (shown)
            break;
    }
    if (!shown)
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("Deepin の外観サービスが動いていないため、壁紙を"
                                           "設定できません。"));
    shown_ = file;
}

QString PlainPictureFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QStringLiteral("/velmora");
    const QString path = folder + QStringLiteral("/plain-black.bmp");
    if (QFile::exists(path))
        return path;
    QImage plain(64, 64, QImage::Format_RGB32);
    plain.fill(Qt::black);
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || !plain.save(&file, "BMP") ||
        !file.commit())
        throw PlatformError(Err::PathFileAccess,
                            QStringLiteral("壁紙なしを表す画像 %1 を作れませんでした。").arg(path));
    return path;
}

} // namespace velmora::linux_impl
