// SPDX-License-Identifier: MIT
#include "wallpaper/SwayWallpaper.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SwayTestSession.h"
#include "SystemServices.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

const QList<QColor> kA{Qt::red, Qt::green, Qt::blue, Qt::white};
const QList<QColor> kB{Qt::yellow, Qt::magenta, Qt::cyan, QColor(255, 128, 0)};

// A swaymsg that records its arguments (one per line, NUL-free) and answers as told.
const char* kFakeSwaymsg = "#!/bin/sh\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"$FAKE_LOG\"\n"
                           "printf -- '--\\n' >> \"$FAKE_LOG\"\n"
                           "if [ -n \"$FAKE_FAIL\" ]; then echo \"$FAKE_FAIL\" >&2; exit 2; fi\n";

} // namespace

class SwayWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // The screen of whatever session this runs in is changed: only a private one.
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(fake_.isValid());
        savedPath_ = qgetenv("PATH");
    }

    void cleanupTestCase() { session_.Stop(); }

    // The factory picks swaymsg on sway.
    void chosenOnSway() {
        qputenv("XDG_CURRENT_DESKTOP", "sway");
        QVERIFY(dynamic_cast<SwayWallpaper*>(CreateDesktopWallpaper().get()));
    }

    // What swaymsg is given, recorded by a stand-in first in PATH: one argument per word,
    // the picture's name quoted for sway's command parser, black for a removal.
    void argumentsGivenToSwaymsg() {
        const QString log = fake_.filePath(QStringLiteral("log"));
        InstallFakeSwaymsg(log);
        const QString picture = fake_.filePath(QStringLiteral("a b's \"x\".BMP"));
        QVERIFY(WriteBmp(picture, Quarters(kA)));
        SwayWallpaper wallpaper;
        wallpaper.Set(picture, WallpaperFlags::SessionOnly);
        wallpaper.Set(QString(), WallpaperFlags::SessionOnly);
        wallpaper.Set(picture, WallpaperFlags::Store);
        qputenv("PATH", savedPath_);

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList calls =
            QString::fromUtf8(file.readAll()).split(QStringLiteral("--\n"), Qt::SkipEmptyParts);
        QCOMPARE(calls.size(), 3);
        const QString quoted = QStringLiteral("\"'") + fake_.path() +
                               QStringLiteral("/a'\\ 'b'\\''s'\\ ''\\\"'x'\\\"'.BMP'\"");
        QCOMPARE(calls[0].split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
                              quoted, QStringLiteral("fill")}));
        QCOMPARE(calls[1].split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
                              QStringLiteral("#000000"), QStringLiteral("solid_color")}));
        QCOMPARE(calls[2], calls[0]);
    }

    // sway's refusal reaches the user with sway's words; a missing file or a name sway
    // cannot be given never reaches swaymsg.
    void failuresAreReported() {
        const QString log = fake_.filePath(QStringLiteral("failures"));
        InstallFakeSwaymsg(log);
        qputenv("FAKE_FAIL", "Error: Invalid output");
        const QString picture = fake_.filePath(QStringLiteral("p.BMP"));
        QVERIFY(WriteBmp(picture, Quarters(kA)));
        SwayWallpaper wallpaper;
        int number = 0;
        QString description;
        try {
            wallpaper.Set(picture, 0);
        } catch (const PlatformError& e) {
            number = e.Number;
            description = QString::fromStdString(e.Description);
        }
        qunsetenv("FAKE_FAIL");
        QCOMPARE(number, Err::DeviceIO);
        QVERIFY2(description.contains(QLatin1String("Invalid output")), qPrintable(description));
        for (const auto& [path, expected] :
             {std::pair{fake_.filePath(QStringLiteral("gone.BMP")), Err::FileNotFound},
              std::pair{fake_.filePath(QStringLiteral("line\nbreak.BMP")), Err::BadFileName}}) {
            if (expected == Err::BadFileName)
                QVERIFY(WriteBmp(path, Quarters(kA)));
            try {
                wallpaper.Set(path, 0);
                QFAIL("no error");
            } catch (const PlatformError& e) {
                QCOMPARE(e.Number, expected);
            }
        }
        qputenv("PATH", savedPath_);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("--\n"), 1);
    }

    // On a real headless sway with two outputs: a step fills both, a second picture under the
    // same name replaces it, a removal leaves black, and the next step shows a picture again.
    void stepsOnRealSway() {
        StartSway();
        const QString picture = session_.PictureFolder() + QStringLiteral("/Mosswick壁紙.BMP");
        SwayWallpaper wallpaper;

        QVERIFY(WriteBmp(picture, Quarters(kA)));
        wallpaper.Set(picture, WallpaperFlags::SessionOnly);
        QString failure = WaitForQuarters(session_, kA);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("first step: ") + failure));

        QVERIFY(WriteBmp(picture, Quarters(kB)));
        wallpaper.Set(picture, WallpaperFlags::SessionOnly);
        failure = WaitForQuarters(session_, kB);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("same name: ") + failure));

        wallpaper.Set(QString(), WallpaperFlags::SessionOnly);
        failure = WaitForColour(session_, Qt::black);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("removal: ") + failure));

        QVERIFY(WriteBmp(picture, Quarters(kA)));
        wallpaper.Set(picture, WallpaperFlags::SessionOnly);
        failure = WaitForQuarters(session_, kA);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("after removal: ") + failure));

        // The end keeps the picture on the screen.
        wallpaper.Set(picture, WallpaperFlags::Store);
        failure = WaitForQuarters(session_, kA);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("at the end: ") + failure));
    }

    // Folder and file names with the characters sway's parser and wordexp would take apart.
    void awkwardNamesOnRealSway() {
        StartSway();
        const QString folder = session_.PictureFolder() + QStringLiteral("/my  pictures $HOME");
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
        SwayWallpaper wallpaper;
        int i = 0;
        for (const QString& name :
             {QStringLiteral("it's \"壁紙\".BMP"), QStringLiteral("back\\slash;x,y.BMP"),
              QStringLiteral("`id` (1) & *.BMP"), QStringLiteral("fill"),
              QStringLiteral("end\\")}) {
            const QList<QColor>& colours = i++ % 2 ? kA : kB;
            const QString picture = folder + u'/' + name;
            QVERIFY(WriteBmp(picture, Quarters(colours)));
            wallpaper.Set(picture, 0);
            const QString failure = WaitForQuarters(session_, colours);
            QVERIFY2(failure.isEmpty(), qPrintable(name + QStringLiteral(": ") + failure));
        }
    }

  private:
    void InstallFakeSwaymsg(const QString& log) {
        const QString program = fake_.filePath(QStringLiteral("swaymsg"));
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(kFakeSwaymsg);
        file.close();
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("FAKE_LOG", QFile::encodeName(log));
        qputenv("PATH", QFile::encodeName(fake_.path()) + ':' + savedPath_);
    }

    void StartSway() {
        if (!started_) {
            started_ = true;
            skipReason_ = session_.Start(QStringLiteral("output * bg #336699 solid_color\n"));
        }
        if (!skipReason_.isEmpty())
            QSKIP(qPrintable(skipReason_));
        session_.Enter();
    }

    QTemporaryDir fake_;
    QByteArray savedPath_;
    SwayTestSession session_;
    bool started_ = false;
    QString skipReason_;
};

QTEST_GUILESS_MAIN(SwayWallpaperTest)
#include "SwayWallpaperTest.moc"
