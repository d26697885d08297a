// SPDX-License-Identifier: MIT
#include "wallpaper/DeepinWallpaper.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SystemServices.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QImage>
#include <QMutex>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gio/gio.h>

#include <future>
#include <thread>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

struct Call {
    QString method;
    QStringList arguments;
};

struct Generation {
    const char* appearance;
    const char* appearancePath;
    const char* display;
    const char* displayPath;
};
constexpr Generation kDde23{"org.deepin.dde.Appearance1", "/org/deepin/dde/Appearance1",
                            "org.deepin.dde.Display1", "/org/deepin/dde/Display1"};
constexpr Generation kDde20{"com.deepin.daemon.Appearance", "/com/deepin/daemon/Appearance",
                            "com.deepin.daemon.Display", "/com/deepin/daemon/Display"};

// Deepin's Appearance and Display services as they answer on the bus, recording every call.
// They live on a connection and a thread of their own, as another program would.
class StandIn {
  public:
    // outputs empty: no Display service. refusal non-empty: every Set call fails with it.
    StandIn(const Generation& generation, QStringList outputs, QByteArray refusal = {})
        : generation_(generation), outputs_(std::move(outputs)), refusal_(std::move(refusal)) {
        std::promise<bool> ready;
        std::future<bool> started = ready.get_future();
        thread_ = std::thread([this, &ready] { Run(ready); });
        ok_ = started.get();
    }
    ~StandIn() {
        if (context_)
            g_main_context_invoke(context_, &StandIn::Quit, loop_);
        thread_.join();
    }

    bool Ok() const { return ok_; }
    QList<Call> Calls() {
        QMutexLocker lock(&mutex_);
        return calls_;
    }
    void Clear() {
        QMutexLocker lock(&mutex_);
        calls_.clear();
    }

  private:
    static gboolean Quit(gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }

    void Run(std::promise<bool>& ready) {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            g_getenv("DBUS_SESSION_BUS_ADDRESS"),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        QList<QByteArray> names{generation_.appearance};
        if (!outputs_.isEmpty())
            names << generation_.display;
        bool ok = bus != nullptr;
        GDBusNodeInfo* appearance = nullptr;
        GDBusNodeInfo* display = nullptr;
        if (ok) {
            const QByteArray appearanceXml =
                QByteArray("<node><interface name='") + generation_.appearance +
                "'><method name='Set'><arg type='s' direction='in'/><arg type='s' "
                "direction='in'/></method><method name='SetMonitorBackground'><arg type='s' "
                "direction='in'/><arg type='s' direction='in'/></method></interface></node>";
            const QByteArray displayXml = QByteArray("<node><interface name='") +
                                          generation_.display +
                                          "'><method name='ListOutputNames'><arg type='as' "
                                          "direction='out'/></method></interface></node>";
            appearance = g_dbus_node_info_new_for_xml(appearanceXml.constData(), nullptr);
            display = g_dbus_node_info_new_for_xml(displayXml.constData(), nullptr);
            static const GDBusInterfaceVTable vtable{&StandIn::Handle, nullptr, nullptr, {}};
            ok = g_dbus_connection_register_object(bus, generation_.appearancePath,
                                                   appearance->interfaces[0], &vtable, this,
                                                   nullptr, nullptr) != 0;
            if (!outputs_.isEmpty())
                ok = ok && g_dbus_connection_register_object(bus, generation_.displayPath,
                                                             display->interfaces[0], &vtable, this,
                                                             nullptr, nullptr) != 0;
            for (const QByteArray& name : names)
                ok = ok && RequestName(bus, name);
        }
        GMainLoop* loop = g_main_loop_new(context, FALSE);
        context_ = ok ? context : nullptr;
        loop_ = loop;
        ready.set_value(ok);
        if (ok)
            g_main_loop_run(loop);
        if (bus) {
            // Give the names back before the next test looks for them.
            for (const QByteArray& name : names)
                g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                            "org.freedesktop.DBus", "ReleaseName",
                                            g_variant_new("(s)", name.constData()), nullptr,
                                            G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
            g_dbus_connection_close_sync(bus, nullptr, nullptr);
            g_object_unref(bus);
        }
        if (appearance)
            g_dbus_node_info_unref(appearance);
        if (display)
            g_dbus_node_info_unref(display);
        g_main_loop_unref(loop);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }

    static bool RequestName(GDBusConnection* bus, const QByteArray& name) {
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", name.constData(), 4u /* do not queue */),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        if (!reply)
            return false;
        guint32 result = 0;
        g_variant_get(reply, "(u)", &result);
        g_variant_unref(reply);
        return result == 1; // the primary owner
    }

    static void Handle(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer data) {
        auto* self = static_cast<StandIn*>(data);
        Call call{QString::fromUtf8(method), {}};
        for (gsize i = 0; i < g_variant_n_children(parameters); ++i) {
            GVariant* child = g_variant_get_child_value(parameters, i);
            call.arguments << QString::fromUtf8(g_variant_get_string(child, nullptr));
            g_variant_unref(child);
        }
        {
            QMutexLocker lock(&self->mutex_);
            self->calls_ << call;
        }
        if (call.method == QLatin1String("ListOutputNames")) {
            GVariantBuilder builder;
            g_variant_builder_init(&builder, G_VARIANT_TYPE("as"));
            for (const QString& output : self->outputs_)
                g_variant_builder_add(&builder, "s", output.toUtf8().constData());
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(as)", &builder));
        } else if (!self->refusal_.isEmpty()) {
            g_dbus_method_invocation_return_dbus_error(invocation, "com.deepin.Error",
                                                       self->refusal_.constData());
        } else {
            g_dbus_method_invocation_return_value(invocation, nullptr);
        }
    }

    Generation generation_;
    QStringList outputs_;
    QByteArray refusal_;
    std::thread thread_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    bool ok_ = false;
    QMutex mutex_;
    QList<Call> calls_;
};

// Writes a small BMP at path the way the program does: a new file renamed over the old.
QByteArray WriteBmp(const QString& path, const QColor& colour) {
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(colour);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "BMP") || !file.commit())
        return {};
    QFile written(path);
    return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString FileOf(const QString& uri) {
    return QUrl(uri).toLocalFile();
}

} // namespace

class DeepinWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // Names of Deepin's services are taken on the bus: only on ctest's private one.
        if (const QString why = velmora::test::NotInPrivateSession({.dbus = true}); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
        alternate_ = dir_.filePath(QStringLiteral(".Mosswick壁紙-alt.BMP"));
    }

    // The factory picks this way on Deepin; every step reaches every monitor with a new
    // name holding the new picture; at the end the program's own bitmap is named.
    void stepsReachEveryMonitor() {
        StandIn service(kDde20, {QStringLiteral("HDMI-1"), QStringLiteral("eDP-1")});
        QVERIFY(service.Ok());
        qputenv("XDG_CURRENT_DESKTOP", "Deepin");
        const auto wallpaper = CreateDesktopWallpaper();
        QVERIFY(dynamic_cast<DeepinWallpaper*>(wallpaper.get()));

        QString previous;
        for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
            const QByteArray bytes = WriteBmp(path_, colour);
            service.Clear();
            wallpaper->Set(path_, WallpaperFlags::SessionOnly);
            const QList<Call> calls = service.Calls();
            QCOMPARE(calls.size(), 3);
            QCOMPARE(calls.at(0).method, QStringLiteral("ListOutputNames"));
            QCOMPARE(calls.at(1).method, QStringLiteral("SetMonitorBackground"));
            QCOMPARE(calls.at(1).arguments.at(0), QStringLiteral("HDMI-1"));
            QCOMPARE(calls.at(2).method, QStringLiteral("SetMonitorBackground"));
            QCOMPARE(calls.at(2).arguments.at(0), QStringLiteral("eDP-1"));
            const QString uri = calls.at(1).arguments.at(1);
            QCOMPARE(calls.at(2).arguments.at(1), uri);
            QVERIFY2(uri.startsWith(QLatin1String("file:///")), qPrintable(uri));
            QVERIFY2(uri != previous, qPrintable(QStringLiteral("kept ") + uri));
            const QString shown = FileOf(uri);
            QVERIFY2(shown == path_ || shown == alternate_, qPrintable(shown));
            QCOMPARE(Contents(shown), bytes);
            previous = uri;
        }

        service.Clear();
        wallpaper->Set(path_, WallpaperFlags::Store);
        const QList<Call> calls = service.Calls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(FileOf(calls.at(2).arguments.at(1)), path_);
    }

    // Deepin has no "no picture": removal shows a plain black picture on every monitor, and
    // the next step shows the program's picture again.
    void removalShowsPlainPicture() {
        StandIn service(kDde23, {QStringLiteral("DP-1")});
        QVERIFY(service.Ok());
        DeepinWallpaper wallpaper;
        const QByteArray bytes = WriteBmp(path_, Qt::cyan);
        wallpaper.Set(path_, 0);

        service.Clear();
        wallpaper.Set(QString(), 0);
        QList<Call> calls = service.Calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.at(1).method, QStringLiteral("SetMonitorBackground"));
        QCOMPARE(calls.at(1).arguments.at(0), QStringLiteral("DP-1"));
        const QString plain = FileOf(calls.at(1).arguments.at(1));
        QVERIFY2(plain != path_ && plain != alternate_, qPrintable(plain));
        const QImage picture(plain);
        QVERIFY2(!picture.isNull(), qPrintable(plain));
        for (const QPoint p : {QPoint(0, 0), QPoint(picture.width() / 2, picture.height() / 2),
                               QPoint(picture.width() - 1, picture.height() - 1)})
            QCOMPARE(picture.pixel(p), qRgb(0, 0, 0));

        service.Clear();
        wallpaper.Set(path_, 0);
        calls = service.Calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(Contents(FileOf(calls.at(1).arguments.at(1))), bytes);
    }

    // DDE 23's names come first; without the Display service the older call that sets the
    // main monitor is used.
    void newerServicesFirstAndMainMonitorWithoutDisplay() {
        StandIn older(kDde20, {QStringLiteral("HDMI-1")});
        StandIn newer(kDde23, {});
        QVERIFY(older.Ok() && newer.Ok());
        DeepinWallpaper wallpaper;
        const QByteArray bytes = WriteBmp(path_, Qt::yellow);
        wallpaper.Set(path_, 0);
        QCOMPARE(older.Calls().size(), 0);
        const QList<Call> calls = newer.Calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.at(0).method, QStringLiteral("Set"));
        QCOMPARE(calls.at(0).arguments.at(0), QStringLiteral("background"));
        QCOMPARE(Contents(FileOf(calls.at(0).arguments.at(1))), bytes);
    }

    // Failures are reported, never passed off as success.
    void failuresAreReported() {
        WriteBmp(path_, Qt::magenta);
        try {
            DeepinWallpaper().Set(path_, 0);
            QFAIL("no error without the Appearance service");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::NotSupported);
            QVERIFY2(QString::fromStdString(e.Description).contains(QStringLiteral("Deepin")),
                     e.Description.c_str());
        }

        StandIn service(kDde20, {QStringLiteral("HDMI-1"), QStringLiteral("HDMI-2")},
                        "invalid background");
        QVERIFY(service.Ok());
        try {
            DeepinWallpaper().Set(path_, 0);
            QFAIL("no error for a refused picture");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::DeviceIO);
            QVERIFY2(QString::fromStdString(e.Description)
                         .contains(QStringLiteral("invalid background")),
                     e.Description.c_str());
        }
        QCOMPARE(service.Calls().size(), 2); // the first refusal ends the step

        try {
            DeepinWallpaper().Set(dir_.filePath(QStringLiteral("gone.BMP")), 0);
            QFAIL("no error for a missing bitmap");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::FileNotFound);
        }
    }

  private:
    QTemporaryDir dir_;
    QString path_;
    QString alternate_;
};

QTEST_GUILESS_MAIN(DeepinWallpaperTest)
#include "DeepinWallpaperTest.moc"
