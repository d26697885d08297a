// SPDX-License-Identifier: MIT
#include "wallpaper/XfceWallpaper.h"
#include "LinuxPlatform.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "QtText.h"
#include "SystemServices.h"
#include "wallpaper/AlternateFile.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/DesktopWindow.h"
#include "wallpaper/Xfconf.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

const QString kChannel = QStringLiteral("xfce4-desktop");

// Writes picture as a BMP at path the way the program does: a new file renamed over the old.
void WriteBmp(const QString& path, const QImage& picture) {
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(picture.save(&file, "BMP"));
    QVERIFY(file.commit());
}

// Four coloured quarters, 4:3 like the screen: top left, top right, bottom left, bottom right.
QImage Quarters(const QColor& a, const QColor& b, const QColor& c, const QColor& d) {
    QImage picture(400, 300, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 200, 150, a);
    painter.fillRect(200, 0, 200, 150, b);
    painter.fillRect(0, 150, 200, 150, c);
    painter.fillRect(200, 150, 200, 150, d);
    return picture;
}

// A 2:1 picture: red left quarter, green middle half, blue right quarter.
QImage WideStripes() {
    QImage picture(200, 100, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 50, 100, Qt::red);
    painter.fillRect(50, 0, 100, 100, Qt::green);
    painter.fillRect(150, 0, 50, 100, Qt::blue);
    return picture;
}

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 &&
           qAbs(qBlue(a) - qBlue(b)) <= 8;
}

struct Probe {
    QPoint at;
    QRgb colour;
};

QImage Screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// Waits until the screen shows every probe's colour; describes what it shows otherwise.
QString WaitForScreen(const QList<Probe>& probes, int ms = 20000) {
    const QDeadlineTimer deadline(ms);
    QString seen;
    for (;;) {
        const QImage screen = Screen();
        seen.clear();
        for (const Probe& probe : probes) {
            const QRgb pixel = screen.pixel(probe.at);
            if (!Near(pixel, probe.colour))
                seen += QStringLiteral("(%1,%2) is %3 not %4; ")
                            .arg(probe.at.x())
                            .arg(probe.at.y())
                            .arg(pixel & 0xffffff, 6, 16, QLatin1Char('0'))
                            .arg(probe.colour & 0xffffff, 6, 16, QLatin1Char('0'));
        }
        if (seen.isEmpty() || deadline.hasExpired())
            return seen;
        QThread::msleep(100);
    }
}

QList<Probe> QuarterProbes(QRgb a, QRgb b, QRgb c, QRgb d) {
    return {{{256, 192}, a}, {{768, 192}, b}, {{256, 576}, c},
            {{768, 576}, d}, {{3, 3}, a},     {{1020, 764}, d}};
}

QByteArray Xfconf(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xfconf-query"),
                  QStringList{QStringLiteral("-c"), kChannel} + arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QByteArray("<failed: ") + process.readAllStandardError() + '>';
    return process.readAllStandardOutput().trimmed();
}

QString Value(const QString& property) {
    return QString::fromUtf8(Xfconf({QStringLiteral("-p"), property}));
}

void SetValue(const QString& property, const QString& type, const QString& value) {
    Xfconf({QStringLiteral("-p"), property, QStringLiteral("-n"), QStringLiteral("-t"), type,
            QStringLiteral("-s"), value});
}

QList<XfceBackdrop> Backdrops() {
    return BackdropsOfProperties(XfconfChannel(kChannel).Properties(QStringLiteral("/backdrop")));
}

// The errors of a step, a removal and two more steps made through the platform as the
// changer makes them, in a session that claims to be XFCE.
QStringList ErrorsOfSteps(const QString& path) {
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    LinuxPlatform platform;
    QStringList errors;
    for (const QString& step : {path, QString(), path, path}) {
        try {
            platform.SetDeskWallpaper(ToUtf8(step), 0);
        } catch (const PlatformError& e) {
            errors << QString::number(e.Number) + u':' + QString::fromStdString(e.Description);
        }
    }
    return errors;
}

} // namespace

class XfceWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
        alternate_ = AlternateNameOf(path_);
    }
    void cleanupTestCase() { StopDesktop(); }

    void readsBackdropsFromProperties() {
        const QString hdmi = QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0");
        const QString dp = QStringLiteral("/backdrop/screen0/monitorDP-2/workspace1");
        const QVariantMap properties{
            {hdmi + QStringLiteral("/color-style"), qlonglong(0)},
            {hdmi + QStringLiteral("/image-style"), qlonglong(3)},
            {hdmi + QStringLiteral("/last-image"), QStringLiteral("/home/u/My Pictures/a b.jpg")},
            {hdmi + QStringLiteral("/rgba1"), QVariantList{0.0, 0.0, 0.0, 1.0}},
            {dp + QStringLiteral("/last-image"), QString::fromUtf8("/tmp/\xe5\xa3\x81.BMP")},
            {dp + QStringLiteral("/image-style"), QStringLiteral("odd")},
            {QStringLiteral("/backdrop/single-workspace-mode"), true},
            {dp + QStringLiteral("/last-image/x"), QStringLiteral("/nothing")},
            {QStringLiteral("/desktop-icons/style"), qlonglong(2)},
        };
        const QList<XfceBackdrop> backdrops = BackdropsOfProperties(properties);
        QCOMPARE(backdrops.size(), 2);
        QCOMPARE(backdrops[0].base, dp);
        QCOMPARE(backdrops[0].lastImage, std::optional(QStringLiteral("/tmp/壁.BMP")));
        QCOMPARE(backdrops[0].imageStyle, std::nullopt);
        QCOMPARE(backdrops[1].base, hdmi);
        QCOMPARE(backdrops[1].lastImage,
                 std::optional(QStringLiteral("/home/u/My Pictures/a b.jpg")));
        QCOMPARE(backdrops[1].imageStyle, std::optional(3));
        QVERIFY(BackdropsOfProperties({}).isEmpty());

        QCOMPARE(UsualBackdrops({QStringLiteral("monitorA"), QStringLiteral("monitorB")}, 2),
                 QStringList({QStringLiteral("/backdrop/screen0/monitorA/workspace0"),
                              QStringLiteral("/backdrop/screen0/monitorA/workspace1"),
                              QStringLiteral("/backdrop/screen0/monitorB/workspace0"),
                              QStringLiteral("/backdrop/screen0/monitorB/workspace1")}));
        QCOMPARE(UsualBackdrops({QStringLiteral("monitor0")}, 0).size(), 1);
    }

    // Settings nobody draws (no xfdesktop yet) or nobody stores (no session bus for
    // xfconfd) are not written in silence: the first step says why, once per run.
    void unseenStepsAreReported() {
        if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty())
            QSKIP("xfconf-query is not installed (Debian package xfconf)");
        QVERIFY(!HasDesktopWindowOf(QStringLiteral("xfdesktop")).value_or(true));
        WriteBmp(path_, Quarters(Qt::red, Qt::green, Qt::blue, Qt::white));
        const QByteArray before = Xfconf({QStringLiteral("-l"), QStringLiteral("-v")});
        QStringList errors = ErrorsOfSteps(path_);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(QStringLiteral("445:")) &&
                     errors[0].contains(QStringLiteral("xfdesktop")),
                 qPrintable(errors[0]));

        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                QFile::encodeName(QStringLiteral("unix:path=") +
                                  dir_.filePath(QStringLiteral("no-bus"))));
        errors = ErrorsOfSteps(path_);
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(QStringLiteral("445:")) &&
                     errors[0].contains(QStringLiteral("D-Bus")),
                 qPrintable(errors[0]));
        QCOMPARE(Xfconf({QStringLiteral("-l"), QStringLiteral("-v")}), before);
    }

    // With no backdrop in the channel (a new user), the usual ones are created, under the
    // names xfdesktop itself uses: a desktop started afterwards shows the picture.
    void createsBackdropsWhenNoneExist() {
        if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty())
            QSKIP("xfconf-query is not installed (Debian package xfconf)");
        Xfconf({QStringLiteral("-p"), QStringLiteral("/backdrop"), QStringLiteral("-r"),
                QStringLiteral("-R")});
        QVERIFY(Backdrops().isEmpty());
        // Desktop icons would cover parts of the picture.
        SetValue(QStringLiteral("/desktop-icons/style"), QStringLiteral("int"),
                 QStringLiteral("0"));

        WriteBmp(path_, Quarters(Qt::red, Qt::green, Qt::blue, Qt::white));
        wallpaper_.Set(path_, WallpaperFlags::SessionOnly);

        const int workspaces = WorkspaceCount();
        QVERIFY(workspaces >= 1);
        const QList<XfceBackdrop> backdrops = Backdrops();
        QCOMPARE(backdrops.size(), workspaces);
        for (int i = 0; i < workspaces; ++i) {
            const QString base =
                QStringLiteral("/backdrop/screen0/monitorscreen/workspace%1").arg(i);
            QCOMPARE(backdrops[i].base, base);
            QVERIFY(backdrops[i].lastImage == path_ || backdrops[i].lastImage == alternate_);
            QCOMPARE(backdrops[i].imageStyle, std::optional(kXfceZoomed));
        }

        if (QStandardPaths::findExecutable(QStringLiteral("xfdesktop")).isEmpty())
            QSKIP("xfdesktop is not installed (Debian package xfdesktop4)");
        StartDesktop();
        if (QTest::currentTestFailed())
            return;
        const QString differs = WaitForScreen(
            QuarterProbes(qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // A step, a new picture under the same file name, a removal and a step after it, each
    // seen on the screen xfdesktop draws; at the end the file's own name is stored.
    void stepsShowOnScreen() {
        if (!DesktopRuns())
            QSKIP("xfdesktop is not running (see createsBackdropsWhenNoneExist)");
        QVERIFY(dynamic_cast<XfceWallpaper*>(CreateDesktopWallpaper(DesktopKind::Xfce).get()));
        WriteBmp(path_, Quarters(Qt::yellow, Qt::cyan, Qt::magenta, Qt::black));
        wallpaper_.Set(path_, 0);
        QString differs = WaitForScreen(
            QuarterProbes(qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255), qRgb(0, 0, 0)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("first step: ") + differs));
        const QString firstName = Backdrops().front().lastImage.value_or(QString());

        WriteBmp(path_, Quarters(Qt::blue, Qt::red, Qt::white, Qt::green));
        wallpaper_.Set(path_, 0);
        differs = WaitForScreen(
            QuarterProbes(qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(255, 255, 255), qRgb(0, 255, 0)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("same name: ") + differs));
        for (const XfceBackdrop& backdrop : Backdrops()) {
            QVERIFY(backdrop.lastImage != firstName);
            QVERIFY(backdrop.lastImage == path_ || backdrop.lastImage == alternate_);
        }

        wallpaper_.Set(QString(), 0);
        differs = WaitForScreen({{{256, 192}, qRgb(0, 0, 0)},
                                 {{768, 192}, qRgb(0, 0, 0)},
                                 {{256, 576}, qRgb(0, 0, 0)},
                                 {{768, 576}, qRgb(0, 0, 0)}});
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("removal: ") + differs));
        for (const XfceBackdrop& backdrop : Backdrops()) {
            QCOMPARE(backdrop.imageStyle, std::optional(kXfceNoImage));
            QCOMPARE(Value(backdrop.base + QStringLiteral("/color-style")), QStringLiteral("0"));
            const QString rgba = Value(backdrop.base + QStringLiteral("/rgba1"));
            QVERIFY2(rgba.contains(QStringLiteral("4 items")), qPrintable(rgba));
        }

        WriteBmp(path_, Quarters(Qt::green, Qt::white, Qt::red, Qt::blue));
        wallpaper_.Set(path_, 0);
        differs = WaitForScreen(
            QuarterProbes(qRgb(0, 255, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("after removal: ") + differs));
        for (const XfceBackdrop& backdrop : Backdrops())
            QCOMPARE(backdrop.imageStyle, std::optional(kXfceZoomed));

        wallpaper_.Set(path_, WallpaperFlags::Store);
        for (const XfceBackdrop& backdrop : Backdrops())
            QCOMPARE(backdrop.lastImage, std::optional(path_));
        differs = WaitForScreen(
            QuarterProbes(qRgb(0, 255, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("stored: ") + differs));
    }

    // An arrangement the user chose (stretched here) is kept, and comes back after a removal.
    void keepsChosenArrangement() {
        if (!DesktopRuns())
            QSKIP("xfdesktop is not running (see createsBackdropsWhenNoneExist)");
        for (const XfceBackdrop& backdrop : Backdrops())
            SetValue(backdrop.base + QStringLiteral("/image-style"), QStringLiteral("int"),
                     QStringLiteral("3"));
        XfceWallpaper wallpaper;
        WriteBmp(path_, WideStripes());
        wallpaper.Set(path_, 0);
        // Stretched: red up to x 256; zoomed it would be green at 200.
        const QList<Probe> stretched = {{{60, 384}, qRgb(255, 0, 0)},
                                        {{200, 384}, qRgb(255, 0, 0)},
                                        {{512, 384}, qRgb(0, 255, 0)},
                                        {{900, 384}, qRgb(0, 0, 255)}};
        QString differs = WaitForScreen(stretched);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        wallpaper.Set(QString(), 0);
        differs = WaitForScreen({{{200, 384}, qRgb(0, 0, 0)}, {{512, 384}, qRgb(0, 0, 0)}});
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        wallpaper.Set(path_, 0);
        differs = WaitForScreen(stretched);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        for (const XfceBackdrop& backdrop : Backdrops())
            QCOMPARE(backdrop.imageStyle, std::optional(3));
    }

    // Every monitor's backdrops are set, whatever their number: a second monitor's too.
    void everyMonitorAndWorkspace() {
        if (!DesktopRuns())
            QSKIP("xfdesktop is not running (see createsBackdropsWhenNoneExist)");
        const QString second = QStringLiteral("/backdrop/screen0/monitorDP-9/workspace%1");
        for (int i = 0; i < 2; ++i)
            SetValue(second.arg(i) + QStringLiteral("/last-image"), QStringLiteral("string"),
                     QStringLiteral("/usr/share/nothing.png"));
        WriteBmp(path_, Quarters(Qt::red, Qt::red, Qt::blue, Qt::blue));
        wallpaper_.Set(path_, 0);
        const QList<XfceBackdrop> backdrops = Backdrops();
        QCOMPARE(backdrops.size(), WorkspaceCount() + 2);
        for (const XfceBackdrop& backdrop : backdrops) {
            QVERIFY2(backdrop.lastImage == path_ || backdrop.lastImage == alternate_,
                     qPrintable(backdrop.base));
            // The new monitor's are zoomed; the others keep the stretch chosen before.
            QCOMPARE(
                backdrop.imageStyle,
                std::optional(backdrop.base.contains(QLatin1String("DP-9")) ? kXfceZoomed : 3));
        }
        Xfconf({QStringLiteral("-p"), QStringLiteral("/backdrop/screen0/monitorDP-9"),
                QStringLiteral("-r"), QStringLiteral("-R")});
    }

    // A picture that is not there changes nothing.
    void missingPictureChangesNothing() {
        if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty())
            QSKIP("xfconf-query is not installed (Debian package xfconf)");
        const QByteArray before = Xfconf({QStringLiteral("-l"), QStringLiteral("-v")});
        try {
            wallpaper_.Set(dir_.filePath(QStringLiteral("gone.BMP")), 0);
            QFAIL("no error for a missing picture");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::FileNotFound);
        }
        QCOMPARE(Xfconf({QStringLiteral("-l"), QStringLiteral("-v")}), before);
    }

  private:
    void StartDesktop() {
        desktop_.setStandardOutputFile(QProcess::nullDevice());
        desktop_.setStandardErrorFile(QProcess::nullDevice());
        desktop_.start(QStringLiteral("xfdesktop"), {QStringLiteral("--disable-wm-check")});
        QVERIFY(desktop_.waitForStarted());
        const QDeadlineTimer deadline(30000);
        while (HasDesktopWindowOf(QStringLiteral("xfdesktop")) != true && !deadline.hasExpired())
            QThread::msleep(50);
        QVERIFY2(HasDesktopWindowOf(QStringLiteral("xfdesktop")) == true,
                 "xfdesktop's window did not appear");
    }
    bool DesktopRuns() const { return desktop_.state() == QProcess::Running; }
    void StopDesktop() {
        if (desktop_.state() == QProcess::NotRunning)
            return;
        desktop_.terminate();
        if (!desktop_.waitForFinished(5000)) {
            desktop_.kill();
            desktop_.waitForFinished();
        }
    }

    QTemporaryDir dir_;
    QString path_, alternate_;
    XfceWallpaper wallpaper_;
    QProcess desktop_;
};

QTEST_MAIN(XfceWallpaperTest)

#include "XfceWallpaperTest.moc"
