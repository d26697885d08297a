// SPDX-License-Identifier: MIT
#include "wallpaper/PcmanfmWallpaper.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SystemServices.h"
#include "wallpaper/AlternateFile.h"
#include "wallpaper/DesktopWindow.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

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

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 &&
           qAbs(qBlue(a) - qBlue(b)) <= 8;
}

struct Probe {
    QPoint at;
    QRgb colour;
};

// Away from the top left, where desktop icons would be.
QList<Probe> QuarterProbes(QRgb a, QRgb b, QRgb c, QRgb d) {
    return {{{256, 192}, a}, {{768, 192}, b}, {{256, 576}, c}, {{768, 576}, d}, {{1020, 764}, d}};
}

QList<Probe> Plain(QRgb colour) {
    return QuarterProbes(colour, colour, colour, colour);
}

// Waits until the screen shows every probe's colour; describes what it shows otherwise.
QString WaitForScreen(const QList<Probe>& probes, int ms = 20000) {
    const QDeadlineTimer deadline(ms);
    QString seen;
    for (;;) {
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
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

QString ConfigFile(const QString& relative) {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(relative);
}

} // namespace

class PcmanfmWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
    }
    void cleanup() { StopDesktop(); }

    void readsVersion() {
        QCOMPARE(PcmanfmVersionOf("pcmanfm-qt 1.2.1\n"), QVersionNumber(1, 2, 1));
        QCOMPARE(PcmanfmVersionOf("pcmanfm-qt 2.1.0"), QVersionNumber(2, 1, 0));
        QCOMPARE(PcmanfmVersionOf("PCManFM-Qt 1.4"), QVersionNumber(1, 4));
        QVERIFY(PcmanfmVersionOf("pcmanfm-qt").isNull());
        QVERIFY(PcmanfmVersionOf("").isNull());
    }

    // Without the desktop running, the command would become the desktop and never end: the
    // step is refused at once with a message, and no file manager is left behind.
    void desktopNotRunning_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("LXDE") << QStringLiteral("pcmanfm");
        QTest::newRow("LXQt") << QStringLiteral("pcmanfm-qt");
    }
    void desktopNotRunning() {
        QFETCH(QString, program);
        WriteBmp(path_, Quarters(Qt::red, Qt::red, Qt::red, Qt::red));
        QElapsedTimer timer;
        timer.start();
        try {
            PcmanfmWallpaper(program).Set(path_, 0);
            QFAIL("no error without a desktop");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::NotSupported);
            QVERIFY2(QString::fromStdString(e.Description).contains(program),
                     e.Description.c_str());
        }
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(WaitForScreen(Plain(qRgb(0, 0, 0)), 0), QString());
    }

    // LXDE: a step, a new picture under the same file name, a removal and a step after it,
    // each seen on the screen pcmanfm draws; pcmanfm keeps each in its settings.
    void lxdeSteps() {
        if (QStandardPaths::findExecutable(QStringLiteral("pcmanfm")).isEmpty())
            QSKIP("pcmanfm is not installed (Debian package pcmanfm)");
        StartDesktop(QStringLiteral("pcmanfm"), {QStringLiteral("--desktop")});
        if (QTest::currentTestFailed())
            return;
        PcmanfmWallpaper wallpaper(QStringLiteral("pcmanfm"));
        RunSteps(wallpaper);
        if (QTest::currentTestFailed())
            return;
        const QSettings stored(ConfigFile(QStringLiteral("pcmanfm/default/desktop-items-0.conf")),
                               QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("*/wallpaper")).toString(), path_);
        QCOMPARE(stored.value(QStringLiteral("*/wallpaper_mode")).toString(),
                 QStringLiteral("crop"));
    }

    // LXQt, started with no picture (a new user) and with LXQt's own default (stretched).
    void lxqtSteps_data() {
        QTest::addColumn<QString>("startMode");
        QTest::newRow("no picture at start") << QStringLiteral("none");
        QTest::newRow("stretched at start") << QStringLiteral("stretch");
    }
    void lxqtSteps() {
        QFETCH(QString, startMode);
        if (QStandardPaths::findExecutable(QStringLiteral("pcmanfm-qt")).isEmpty())
            QSKIP("pcmanfm-qt is not installed (Debian package pcmanfm-qt)");
        const QString settingsFile = ConfigFile(QStringLiteral("pcmanfm-qt/default/settings.conf"));
        QFile::remove(settingsFile);
        {
            QSettings settings(settingsFile, QSettings::IniFormat);
            settings.setValue(QStringLiteral("Desktop/WallpaperMode"), startMode);
            settings.setValue(QStringLiteral("Desktop/BgColor"), QStringLiteral("#000000"));
            settings.setValue(QStringLiteral("Desktop/Wallpaper"), QString());
        }
        StartDesktop(QStringLiteral("pcmanfm-qt"), {QStringLiteral("--desktop")});
        if (QTest::currentTestFailed())
            return;
        PcmanfmWallpaper wallpaper(QStringLiteral("pcmanfm-qt"));
        RunSteps(wallpaper);
        if (QTest::currentTestFailed())
            return;
        const QSettings stored(settingsFile, QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Desktop/Wallpaper")).toString(), path_);
    }

  private:
    void RunSteps(PcmanfmWallpaper& wallpaper) {
        WriteBmp(path_, Quarters(Qt::yellow, Qt::cyan, Qt::magenta, Qt::white));
        wallpaper.Set(path_, 0);
        QString differs = WaitForScreen(QuarterProbes(qRgb(255, 255, 0), qRgb(0, 255, 255),
                                                      qRgb(255, 0, 255), qRgb(255, 255, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("first step: ") + differs));

        WriteBmp(path_, Quarters(Qt::blue, Qt::red, Qt::white, Qt::green));
        wallpaper.Set(path_, 0);
        differs = WaitForScreen(
            QuarterProbes(qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(255, 255, 255), qRgb(0, 255, 0)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("same name: ") + differs));

        wallpaper.Set(QString(), 0);
        differs = WaitForScreen(Plain(qRgb(0, 0, 0)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("removal: ") + differs));

        WriteBmp(path_, Quarters(Qt::green, Qt::white, Qt::red, Qt::blue));
        wallpaper.Set(path_, 0);
        differs = WaitForScreen(
            QuarterProbes(qRgb(0, 255, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("after removal: ") + differs));

        // A second removal in a row and a step after it.
        wallpaper.Set(QString(), 0);
        wallpaper.Set(QString(), 0);
        differs = WaitForScreen(Plain(qRgb(0, 0, 0)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("removed twice: ") + differs));
        WriteBmp(path_, Quarters(Qt::red, Qt::green, Qt::blue, Qt::white));
        wallpaper.Set(path_, 0);
        differs = WaitForScreen(
            QuarterProbes(qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("again: ") + differs));

        // At the end the file's own name is stored, the picture unchanged on the screen.
        wallpaper.Set(path_, WallpaperFlags::Store);
        QThread::msleep(300);
        differs = WaitForScreen(
            QuarterProbes(qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)));
        QVERIFY2(differs.isEmpty(), qPrintable(QStringLiteral("stored: ") + differs));
    }

    void StartDesktop(const QString& program, const QStringList& arguments) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program +
                             QStringLiteral(" is not installed (Debian package of that name)")));
        desktop_.setStandardOutputFile(QProcess::nullDevice());
        desktop_.setStandardErrorFile(QProcess::nullDevice());
        desktop_.start(program, arguments);
        QVERIFY(desktop_.waitForStarted());
        const QDeadlineTimer deadline(30000);
        while (HasDesktopWindowOf(program) != true && !deadline.hasExpired())
            QThread::msleep(50);
        QVERIFY2(HasDesktopWindowOf(program) == true, "the desktop window did not appear");
    }
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
    QString path_;
    QProcess desktop_;
};

QTEST_MAIN(PcmanfmWallpaperTest)

#include "PcmanfmWallpaperTest.moc"
