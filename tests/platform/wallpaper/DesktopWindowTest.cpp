// SPDX-License-Identifier: MIT
#include "wallpaper/DesktopWindow.h"
#include "PrivateSession.h"
#include "wallpaper/DesktopDetect.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace velmora::linux_impl;

namespace {

// A window of the test's own with the given WM_CLASS, marked as a desktop or not. An
// unmanaged (override-redirect) window is a direct child of the root and in no client list.
Window MakeWindow(Display* display, const char* instance, const char* windowClass, bool desktop,
                  bool managed) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = managed ? False : True;
    const Window window =
        XCreateWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XClassHint hint{const_cast<char*>(instance), const_cast<char*>(windowClass)};
    XSetClassHint(display, window, &hint);
    const Atom type = XInternAtom(
        display, desktop ? "_NET_WM_WINDOW_TYPE_DESKTOP" : "_NET_WM_WINDOW_TYPE_NORMAL", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

template <typename Check> bool WaitFor(Check check, int ms = 15000) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (check())
            return true;
        QThread::msleep(50);
    }
    return check();
}

} // namespace

class DesktopWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        display_ = XOpenDisplay(nullptr);
        QVERIFY2(display_, "no X server");
    }
    void cleanupTestCase() {
        if (display_)
            XCloseDisplay(display_);
    }

    void classesMapToDesktops_data() {
        QTest::addColumn<QString>("instance");
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<int>("kind"); // -1: none
        const auto row = [](const char* name, const char* i, const char* c, int kind) {
            QTest::newRow(name) << QString::fromLatin1(i) << QString::fromLatin1(c) << kind;
        };
        row("xfdesktop", "xfdesktop", "Xfdesktop", int(DesktopKind::Xfce));
        row("nautilus", "desktop_window", "Nautilus", int(DesktopKind::Gnome));
        row("nautilus-desktop", "nautilus-desktop", "Nautilus-desktop", int(DesktopKind::Gnome));
        row("desktop-icons", "desktop-icons", "Gjs", int(DesktopKind::Gnome));
        row("ding", "com.rastersoft.ding", "Gjs", int(DesktopKind::Gnome));
        row("nemo", "nemo", "Nemo", int(DesktopKind::Cinnamon));
        row("nemo-desktop", "nemo-desktop", "Nemo-desktop", int(DesktopKind::Cinnamon));
        row("caja", "desktop_window", "Caja", int(DesktopKind::Mate));
        row("pcmanfm", "pcmanfm", "Pcmanfm", int(DesktopKind::Lxde));
        row("pcmanfm-qt", "pcmanfm-qt", "pcmanfm-qt", int(DesktopKind::Lxqt));
        row("upper case", "XFDESKTOP", "", int(DesktopKind::Xfce));
        // Near names are other programs.
        row("pcmanfm-qt6", "pcmanfm-qt6", "pcmanfm-qt6", -1);
        row("xfdesktop-settings", "xfdesktop-settings", "Xfdesktop-settings", -1);
        row("conky", "conky", "Conky", -1);
        row("empty", "", "", -1);
    }
    void classesMapToDesktops() {
        QFETCH(QString, instance);
        QFETCH(QString, windowClass);
        QFETCH(int, kind);
        const std::optional<DesktopKind> found = DesktopOfWindowClass({instance, windowClass});
        if (kind < 0)
            QVERIFY(!found);
        else
            QCOMPARE(int(found.value_or(DesktopKind::Unsupported)), kind);
    }

    void noDesktopWindow() {
        QVERIFY(DesktopWindowClasses().isEmpty());
        QVERIFY(!DesktopOfDesktopWindow());
        QCOMPARE(HasDesktopWindowOf(QStringLiteral("xfdesktop")), std::optional<bool>(false));
    }

    // Only a window of type desktop counts: an xfdesktop settings window of normal type
    // does not make the session XFCE.
    void onlyDesktopTypeCounts() {
        const Window normal = MakeWindow(display_, "xfdesktop", "Xfdesktop", false, false);
        const auto destroy = qScopeGuard([&] {
            XDestroyWindow(display_, normal);
            XSync(display_, False);
        });
        QVERIFY(!DesktopOfDesktopWindow());
    }

    // A desktop window straight on the root (no window manager manages it), and one that
    // the window manager manages (found through its client list, inside its frame).
    void ownDesktopWindowsAreFound() {
        const Window unmanaged = MakeWindow(display_, "desktop_window", "Caja", true, false);
        {
            const auto destroy = qScopeGuard([&] {
                XDestroyWindow(display_, unmanaged);
                XSync(display_, False);
            });
            QCOMPARE(DesktopOfDesktopWindow(), std::optional(DesktopKind::Mate));
            QCOMPARE(HasDesktopWindowOf(QStringLiteral("caja")), std::optional<bool>(true));
            QCOMPARE(HasDesktopWindowOf(QStringLiteral("pcmanfm")), std::optional<bool>(false));
        }
        const Window managed = MakeWindow(display_, "nemo-desktop", "Nemo-desktop", true, true);
        const auto destroy = qScopeGuard([&] {
            XDestroyWindow(display_, managed);
            XSync(display_, False);
        });
        QVERIFY2(WaitFor([] { return DesktopOfDesktopWindow() == DesktopKind::Cinnamon; }),
                 "the managed desktop window was not found");
    }

    // The real XFCE desktop: its window is recognised once it is up, and no longer after.
    void runningXfdesktopIsXfce() {
        if (QStandardPaths::findExecutable(QStringLiteral("xfdesktop")).isEmpty())
            QSKIP("xfdesktop is not installed (Debian package xfdesktop4)");
        QProcess xfdesktop;
        xfdesktop.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xfdesktop.setStandardOutputFile(QProcess::nullDevice());
        xfdesktop.start(QStringLiteral("xfdesktop"), {QStringLiteral("--disable-wm-check")});
        QVERIFY(xfdesktop.waitForStarted());
        const auto stop = [&] {
            xfdesktop.terminate();
            if (!xfdesktop.waitForFinished(5000)) {
                xfdesktop.kill();
                xfdesktop.waitForFinished();
            }
        };
        auto guard = qScopeGuard(stop);
        QVERIFY2(WaitFor([] { return DesktopOfDesktopWindow() == DesktopKind::Xfce; }, 30000),
                 "xfdesktop's window was not recognised");
        QCOMPARE(HasDesktopWindowOf(QStringLiteral("xfdesktop")), std::optional<bool>(true));
        guard.dismiss();
        stop();
        QVERIFY2(WaitFor([] { return !DesktopOfDesktopWindow(); }),
                 "the ended desktop still counts");
    }

    void noXServer() {
        QCOMPARE(HasDesktopWindowOf(QStringLiteral("pcmanfm"), QStringLiteral(":999")),
                 std::nullopt);
        QVERIFY(DesktopWindowClasses(QStringLiteral(":999")).isEmpty());
        QCOMPARE(WorkspaceCount(QStringLiteral(":999")), 1);
    }

  private:
    Display* display_ = nullptr;
};

QTEST_GUILESS_MAIN(DesktopWindowTest)

#include "DesktopWindowTest.moc"
