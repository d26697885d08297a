// SPDX-License-Identifier: MIT
#include "wallpaper/DesktopDetect.h"
#include "PlatformError.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QTest>

using namespace velmora;
using namespace velmora::linux_impl;

Q_DECLARE_METATYPE(velmora::linux_impl::DesktopKind)

namespace {

// "NAME=value;NAME=value" to an environment holding just those.
QProcessEnvironment EnvOf(const QString& text) {
    QProcessEnvironment env;
    for (const QString& pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return env;
}

} // namespace

class DesktopDetectTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void detects_data() {
        QTest::addColumn<QString>("env");
        QTest::addColumn<DesktopKind>("kind");
        const auto gnome = DesktopKind::Gnome;
        const auto x11 = DesktopKind::X11Root;
        const auto none = DesktopKind::Unsupported;

        QTest::newRow("GNOME on X11") << "XDG_CURRENT_DESKTOP=GNOME;DISPLAY=:0" << gnome;
        QTest::newRow("GNOME on Wayland, no XWayland") << "XDG_CURRENT_DESKTOP=GNOME;"
                                                          "WAYLAND_DISPLAY=wayland-0;"
                                                          "XDG_SESSION_TYPE=wayland"
                                                       << gnome;
        QTest::newRow("Ubuntu") << "XDG_CURRENT_DESKTOP=ubuntu:GNOME;DISPLAY=:0" << gnome;
        QTest::newRow("lower case") << "XDG_CURRENT_DESKTOP=gnome" << gnome;
        QTest::newRow("Budgie") << "XDG_CURRENT_DESKTOP=Budgie:GNOME;DISPLAY=:0" << gnome;
        QTest::newRow("Unity") << "XDG_CURRENT_DESKTOP=Unity;DISPLAY=:0" << gnome;
        QTest::newRow("Pantheon") << "XDG_CURRENT_DESKTOP=Pantheon;DISPLAY=:0" << gnome;
        QTest::newRow("GNOME Classic") << "XDG_CURRENT_DESKTOP=GNOME-Classic:GNOME" << gnome;
        QTest::newRow("GNOME Flashback")
            << "XDG_CURRENT_DESKTOP=GNOME-Flashback:GNOME;DISPLAY=:1" << gnome;
        QTest::newRow("empty entries") << "XDG_CURRENT_DESKTOP=::GNOME:" << gnome;

        QTest::newRow("session name only") << "XDG_SESSION_DESKTOP=gnome-xorg;DISPLAY=:0" << gnome;
        QTest::newRow("DESKTOP_SESSION ubuntu") << "DESKTOP_SESSION=ubuntu;DISPLAY=:0" << gnome;
        QTest::newRow("DESKTOP_SESSION as a path")
            << "DESKTOP_SESSION=/usr/share/xsessions/budgie-desktop.desktop;DISPLAY=:0" << gnome;
        QTest::newRow("Flashback session") << "DESKTOP_SESSION=gnome-flashback-metacity" << gnome;

        // Names that only look related are not GNOME.
        QTest::newRow("Lubuntu") << "DESKTOP_SESSION=Lubuntu;DISPLAY=:0" << x11;
        QTest::newRow("Xubuntu") << "XDG_SESSION_DESKTOP=xubuntu;DISPLAY=:0" << x11;
        QTest::newRow("gnomish prefix") << "XDG_CURRENT_DESKTOP=GNOMEish;DISPLAY=:0" << x11;
        QTest::newRow("plain X11") << "DISPLAY=:0" << x11;
        QTest::newRow("openbox") << "XDG_CURRENT_DESKTOP=Openbox;DISPLAY=:3.0" << x11;
        QTest::newRow("X11 session despite a Wayland socket")
            << "XDG_SESSION_TYPE=x11;WAYLAND_DISPLAY=wayland-1;DISPLAY=:0" << x11;
        // An explicit desktop beats later session names.
        QTest::newRow("current desktop first")
            << "XDG_CURRENT_DESKTOP=XFCE;DESKTOP_SESSION=lxde;DISPLAY=:0" << DesktopKind::Xfce;

        // The other desktops, by name, session and their own variables.
        QTest::newRow("Cinnamon") << "XDG_CURRENT_DESKTOP=X-Cinnamon;DISPLAY=:0"
                                  << DesktopKind::Cinnamon;
        QTest::newRow("MATE") << "XDG_CURRENT_DESKTOP=MATE;DESKTOP_SESSION=mate;DISPLAY=:0"
                              << DesktopKind::Mate;
        QTest::newRow("Deepin") << "XDG_CURRENT_DESKTOP=Deepin" << DesktopKind::Deepin;
        QTest::newRow("Plasma") << "XDG_CURRENT_DESKTOP=KDE;DISPLAY=:0" << DesktopKind::Plasma;
        QTest::newRow("Plasma Wayland session")
            << "XDG_SESSION_DESKTOP=plasmawayland;WAYLAND_DISPLAY=wayland-0" << DesktopKind::Plasma;
        QTest::newRow("KDE_SESSION_VERSION")
            << "KDE_SESSION_VERSION=6;WAYLAND_DISPLAY=w" << DesktopKind::Plasma;
        QTest::newRow("LXDE") << "XDG_CURRENT_DESKTOP=LXDE;DISPLAY=:0" << DesktopKind::Lxde;
        QTest::newRow("LXQt") << "XDG_CURRENT_DESKTOP=LXQt;DISPLAY=:0" << DesktopKind::Lxqt;
        QTest::newRow("sway") << "XDG_CURRENT_DESKTOP=sway;WAYLAND_DISPLAY=wayland-1"
                              << DesktopKind::Sway;
        QTest::newRow("SWAYSOCK") << "SWAYSOCK=/run/user/1000/sway-ipc.sock;WAYLAND_DISPLAY=w"
                                  << DesktopKind::Sway;
        QTest::newRow("Hyprland") << "HYPRLAND_INSTANCE_SIGNATURE=abc;WAYLAND_DISPLAY=w"
                                  << DesktopKind::Wlroots;
        QTest::newRow("labwc") << "XDG_CURRENT_DESKTOP=labwc:wlroots;WAYLAND_DISPLAY=w"
                               << DesktopKind::Wlroots;

        QTest::newRow("nothing at all") << "" << none;
        QTest::newRow("empty DISPLAY") << "DISPLAY=" << none;
        QTest::newRow("unknown Wayland compositor with XWayland")
            << "XDG_CURRENT_DESKTOP=niri;WAYLAND_DISPLAY=wayland-1;DISPLAY=:0" << none;
        QTest::newRow("Wayland session type with XWayland")
            << "XDG_SESSION_TYPE=wayland;DISPLAY=:0" << none;
    }
    void detects() {
        QFETCH(QString, env);
        QFETCH(DesktopKind, kind);
        QCOMPARE(DetectDesktop(EnvOf(env)), kind);
    }

    // Without a display or a known desktop the factory's choice refuses with a clear message
    // instead of pretending to have changed anything.
    void unsupportedDesktopRefusesClearly() {
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("XDG_CURRENT_DESKTOP");
        qunsetenv("XDG_SESSION_DESKTOP");
        qunsetenv("DESKTOP_SESSION");
        const auto wallpaper = CreateDesktopWallpaper();
        try {
            wallpaper->Set(QStringLiteral("/tmp/a.BMP"), 0);
            QFAIL("Set succeeded on a desktop without a known way");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::NotSupported);
            QVERIFY(QString::fromStdString(e.Description).contains(QStringLiteral("壁紙")));
        }
        // Told once per run: later steps do not repeat the message.
        wallpaper->Set(QString(), 0);
        wallpaper->Set(QStringLiteral("/tmp/b.BMP"), 0);
    }
};

QTEST_GUILESS_MAIN(DesktopDetectTest)
#include "DesktopDetectTest.moc"
