// SPDX-License-Identifier: MIT
#include "wallpaper/SwaybgWallpaper.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SwayTestSession.h"
#include "SystemServices.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QAtomicInt>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

const QList<QColor> kA{Qt::red, Qt::green, Qt::blue, Qt::white};
const QList<QColor> kB{Qt::yellow, Qt::magenta, Qt::cyan, QColor(255, 128, 0)};
// What sway shows where no client draws.
const QRgb kBare = qRgb(63, 63, 63);

QByteArray ProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Running(qint64 pid) {
    const QByteArray stat = ProcFile(pid, "stat");
    const int close = stat.lastIndexOf(')');
    return close > 0 && stat.size() > close + 2 && stat.at(close + 2) != 'Z' &&
           stat.at(close + 2) != 'X';
}

// The swaybg processes drawing on the test's session.
QList<qint64> SwaybgOf(const SwayTestSession& session) {
    QList<qint64> result;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const qint64 pid = entry.toLongLong();
        if (pid <= 0 || ProcFile(pid, "comm").trimmed() != "swaybg" || !Running(pid))
            continue;
        if (ProcFile(pid, "environ")
                .split('\0')
                .contains("WAYLAND_DISPLAY=" + QFile::encodeName(session.WaylandSocket())))
            result << pid;
    }
    return result;
}

// Reads the screen over and over while a step runs, counting frames where the bare
// compositor shows through.
class FlashWatcher : public QThread {
  public:
    explicit FlashWatcher(const SwayTestSession& session) : session_(session) {}
    void Stop() {
        stop_.storeRelaxed(1);
        wait();
    }
    int frames = 0;
    int bare = 0;

  protected:
    void run() override {
        while (!stop_.loadRelaxed()) {
            const QImage screen = session_.Grab();
            if (screen.isNull())
                continue;
            ++frames;
            for (const QPoint p : {QPoint(100, 100), QPoint(1380, 600)}) {
                if (screen.valid(p) && (screen.pixel(p) & 0xffffff) == (kBare & 0xffffff)) {
                    ++bare;
                    break;
                }
            }
        }
    }

  private:
    const SwayTestSession& session_;
    QAtomicInt stop_;
};

} // namespace

class SwaybgWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // The screen of whatever session this runs in is changed: only a private one.
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        // No background of sway's own: only the swaybg of these tests draws one.
        const QString reason = session_.Start(QString());
        if (!reason.isEmpty())
            QSKIP(qPrintable(reason));
        session_.Enter();
        picture_ = session_.PictureFolder() + QStringLiteral("/Mosswick壁紙.BMP");
    }

    void cleanupTestCase() {
        for (const qint64 pid : SwaybgOf(session_))
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        session_.Stop();
    }

    // Hyprland and other wlroots compositors get a swaybg of the program's own.
    void chosenOnHyprland() {
        qputenv("XDG_CURRENT_DESKTOP", "Hyprland");
        QVERIFY(dynamic_cast<SwaybgWallpaper*>(CreateDesktopWallpaper().get()));
    }

    // The wallpaper the session started (or the program's last run left) gives way to the
    // first step; a newer swaybg would otherwise stay hidden beneath it.
    void firstStepReplacesSessionSwaybg() {
        QProcess::startDetached(QStringLiteral("swaybg"),
                                {QStringLiteral("-o"), QStringLiteral("*"), QStringLiteral("-c"),
                                 QStringLiteral("#804020")});
        QString failure = WaitForColour(session_, QColor(0x80, 0x40, 0x20));
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("session's swaybg: ") + failure));
        const QList<qint64> before = SwaybgOf(session_);
        QCOMPARE(before.size(), 1);

        QVERIFY(WriteBmp(picture_, Quarters(kA)));
        SwaybgWallpaper wallpaper;
        wallpaper.Set(picture_, WallpaperFlags::SessionOnly);
        failure = WaitForQuarters(session_, kA);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("first step: ") + failure));
        QTRY_VERIFY(!Running(before.first()));
        QCOMPARE(SwaybgOf(session_).size(), 1);
    }

    // Each step shows its picture (the same name too), a removal leaves black, and the one
    // swaybg left at the end keeps showing the picture after the object is gone. The bare
    // compositor never shows in between.
    void stepsWithoutFlash() {
        auto wallpaper = std::make_unique<SwaybgWallpaper>();
        QVERIFY(WriteBmp(picture_, Quarters(kA)));
        wallpaper->Set(picture_, WallpaperFlags::SessionOnly);
        QString failure = WaitForQuarters(session_, kA);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("first step: ") + failure));

        FlashWatcher watcher(session_);
        watcher.start();
        struct Step {
            QString path;
            QList<QColor> colours;
            int flags;
        };
        const QList<Step> steps{{picture_, kB, WallpaperFlags::SessionOnly},
                                {QString(), {Qt::black, Qt::black, Qt::black, Qt::black}, 0},
                                {picture_, kA, WallpaperFlags::SessionOnly},
                                {picture_, kA, WallpaperFlags::Store}};
        for (const Step& step : steps) {
            if (!step.path.isEmpty())
                QVERIFY(WriteBmp(step.path, Quarters(step.colours)));
            const QList<qint64> before = SwaybgOf(session_);
            wallpaper->Set(step.path, step.flags);
            failure = WaitForQuarters(session_, step.colours);
            QVERIFY2(
                failure.isEmpty(),
                qPrintable(QStringLiteral("step to %1: ").arg(step.colours[0].name()) + failure));
            // The swaybg before is gone once the new one draws; exactly one is left.
            for (const qint64 pid : before)
                QTRY_VERIFY(!Running(pid));
            QCOMPARE(SwaybgOf(session_).size(), 1);
        }
        watcher.Stop();
        QVERIFY(watcher.frames >= 4);
        QVERIFY2(watcher.bare == 0, qPrintable(QStringLiteral("%1 of %2 frames showed the bare "
                                                              "compositor")
                                                   .arg(watcher.bare)
                                                   .arg(watcher.frames)));

        const QList<qint64> last = SwaybgOf(session_);
        wallpaper.reset();
        QThread::msleep(200);
        QCOMPARE(SwaybgOf(session_), last);
        failure = WaitForQuarters(session_, kA, 1000);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("after the end: ") + failure));
    }

    // A missing picture is reported and the wallpaper shown stays.
    void missingPictureKeepsWallpaper() {
        SwaybgWallpaper wallpaper;
        QVERIFY(WriteBmp(picture_, Quarters(kB)));
        wallpaper.Set(picture_, 0);
        QString failure = WaitForQuarters(session_, kB);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QList<qint64> before = SwaybgOf(session_);
        try {
            wallpaper.Set(session_.PictureFolder() + QStringLiteral("/gone.BMP"), 0);
            QFAIL("no error for a missing picture");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::FileNotFound);
        }
        QCOMPARE(SwaybgOf(session_), before);
        failure = WaitForQuarters(session_, kB, 1000);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // A swaybg that cannot draw (a picture it cannot read) is reported; the old one stays.
    void unreadablePictureKeepsWallpaper() {
        SwaybgWallpaper wallpaper;
        QVERIFY(WriteBmp(picture_, Quarters(kA)));
        wallpaper.Set(picture_, 0);
        QString failure = WaitForQuarters(session_, kA);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QList<qint64> before = SwaybgOf(session_);
        const QString broken = session_.PictureFolder() + QStringLiteral("/broken.BMP");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM not a picture");
        file.close();
        try {
            wallpaper.Set(broken, 0);
            QFAIL("no error for a picture swaybg cannot read");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::InvalidPicture);
            QVERIFY2(QString::fromStdString(e.Description).contains(QLatin1String("broken.BMP")),
                     e.Description.c_str());
        }
        // The swaybg that could not draw is ended.
        QTRY_COMPARE(SwaybgOf(session_), before);
        failure = WaitForQuarters(session_, kA, 1000);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

  private:
    SwayTestSession session_;
    QString picture_;
};

QTEST_GUILESS_MAIN(SwaybgWallpaperTest)
#include "SwaybgWallpaperTest.moc"
