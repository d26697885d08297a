// SPDX-License-Identifier: MIT
#include "wallpaper/PlasmaWallpaper.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SystemServices.h"
#include "wallpaper/AlternateFile.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/PlasmaScript.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJSEngine>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

constexpr const char* kImageGroup = "Wallpaper/org.kde.image/General";
constexpr const char* kColorGroup = "Wallpaper/org.kde.color/General";

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
    return QUrl(uri, QUrl::StrictMode).toLocalFile();
}

// The stand-in plasmashell, started for one test and ended with it.
class StandIn {
  public:
    ~StandIn() { Stop(); }

    // Empty on success, otherwise what went wrong.
    QString Start(const QString& record, const QStringList& options) {
        record_ = record;
        QString last;
        // The name of a stand-in just ended may take a moment to become free.
        for (int attempt = 0; attempt < 50; ++attempt) {
            process_.start(QStringLiteral(VELMORA_PLASMA_STAND_IN),
                           QStringList{QStringLiteral("--record"), record} + options);
            if (!process_.waitForStarted(5000))
                return QStringLiteral("the stand-in plasmashell does not start");
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 10000 && !process_.canReadLine() &&
                   process_.state() == QProcess::Running)
                process_.waitForReadyRead(100);
            if (process_.readLine().trimmed() == "ready")
                return {};
            process_.waitForFinished(2000);
            last = QString::fromLocal8Bit(process_.readAllStandardError());
            QThread::msleep(100);
        }
        return QStringLiteral("the stand-in plasmashell did not get ready: ") + last;
    }

    void Stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    QJsonObject Record() const { return QJsonDocument::fromJson(Contents(record_)).object(); }
    QJsonArray Calls() const { return Record().value(QLatin1String("calls")).toArray(); }
    QJsonArray Desktops() const { return Record().value(QLatin1String("desktops")).toArray(); }

  private:
    QProcess process_;
    QString record_;
};

QString Plugin(const QJsonValue& desktop) {
    return desktop.toObject().value(QLatin1String("plugin")).toString();
}

QString Setting(const QJsonValue& desktop, const char* group, const char* key) {
    return desktop.toObject()
        .value(QLatin1String("config"))
        .toObject()
        .value(QLatin1String(group))
        .toObject()
        .value(QLatin1String(key))
        .toString();
}

bool IsAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0x7e || (c.unicode() < 0x20 && c != u'\n'))
            return false;
    }
    return true;
}

} // namespace

class PlasmaWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // Owns a desktop's name on the session bus: only on ctest's private bus.
        if (const QString why = velmora::test::NotInPrivateSession({.dbus = true}); !why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
        alternate_ = AlternateNameOf(path_);
        record_ = dir_.filePath(QStringLiteral("record.json"));
    }

    void cleanup() { shell_.Stop(); }

    void chosenOnPlasma() {
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QVERIFY(dynamic_cast<PlasmaWallpaper*>(CreateDesktopWallpaper().get()));
    }

    // Without a running shell (run before any stand-in owns the name) the user is told so.
    void missingShellIsReported() {
        WriteBmp(path_, Qt::red);
        try {
            PlasmaWallpaper().Set(path_, 0);
            QFAIL("no error without plasmashell");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::NotSupported);
            QVERIFY2(QString::fromStdString(e.Description).contains(QLatin1String("plasmashell")),
                     e.Description.c_str());
        }
    }

    // The string literal reads back, in a real JavaScript engine, as the text it was made
    // from, whatever that holds.
    void stringLiteralsReadBack() {
        QJSEngine engine;
        const QString texts[] = {QStringLiteral("plain"),
                                 QStringLiteral("it's \"quoted\""),
                                 QStringLiteral("back\\slash\\\\ and \\u0041 \\n"),
                                 QStringLiteral("壁紙 と 日本語のファイル名"),
                                 QStringLiteral("line\nbreak\r\ttab"),
                                 QString(QChar(0x2028)) + QChar(0x2029) + QChar(0) +
                                     QStringLiteral("</script>"),
                                 QStringLiteral("😀 %1 %2 ${x} `t`")};
        for (const QString& text : texts) {
            const QString literal = JsStringLiteral(text);
            QVERIFY2(IsAscii(literal) && !literal.contains(u'\n'), qPrintable(literal));
            const QJSValue value = engine.evaluate(literal);
            QVERIFY2(!value.isError(), qPrintable(value.toString()));
            QCOMPARE(value.toString(), text);
        }
    }

    // Plasma 5: one script per step sets every desktop; a second picture under the same
    // name is shown under the other name; a removal shows black; the end names the file.
    void scriptStepsOnEveryDesktop() {
        QVERIFY2(
            shell_.Start(record_, {QStringLiteral("--desktops"), QStringLiteral("3")}).isEmpty(),
            "stand-in");
        PlasmaWallpaper wallpaper;

        QByteArray bytes = WriteBmp(path_, Qt::red);
        wallpaper.Set(path_, WallpaperFlags::SessionOnly);
        QCOMPARE(shell_.Calls().size(), 1);
        CheckScriptCall(shell_.Calls().last());
        const QString first = CheckAllShow(bytes);

        bytes = WriteBmp(path_, Qt::green);
        wallpaper.Set(path_, WallpaperFlags::SessionOnly);
        QCOMPARE(shell_.Calls().size(), 2);
        CheckScriptCall(shell_.Calls().last());
        const QString second = CheckAllShow(bytes);
        QVERIFY2(second != first, qPrintable(second));

        wallpaper.Set(QString(), WallpaperFlags::SessionOnly);
        QCOMPARE(shell_.Calls().size(), 3);
        CheckScriptCall(shell_.Calls().last());
        CheckAllBlack();

        bytes = WriteBmp(path_, Qt::blue);
        wallpaper.Set(path_, WallpaperFlags::SessionOnly);
        CheckScriptCall(shell_.Calls().last());
        CheckAllShow(bytes);

        wallpaper.Set(path_, WallpaperFlags::Store);
        CheckScriptCall(shell_.Calls().last());
        QCOMPARE(CheckAllShow(bytes), path_);
        QCOMPARE(shell_.Calls().size(), 5);
    }

    // A run after one that stored the program's file: its first step must change the name.
    void firstStepAfterStoredFileChangesName() {
        const QString stored = QUrl::fromLocalFile(path_).toString(QUrl::FullyEncoded);
        QVERIFY(shell_.Start(record_, {QStringLiteral("--image"), stored}).isEmpty());
        PlasmaWallpaper wallpaper;
        const QByteArray bytes = WriteBmp(path_, Qt::yellow);
        wallpaper.Set(path_, 0);
        CheckScriptCall(shell_.Calls().last());
        QCOMPARE(CheckAllShow(bytes), alternate_);
    }

    // Quotes, backslashes and Japanese in the folder's name reach Plasma as the exact file.
    void awkwardNameReachesPlasma() {
        const QString folder = dir_.filePath(QStringLiteral("it's \"壁紙\" back\\slash #1 %41"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/Mosswick壁紙.BMP");
        QVERIFY(shell_.Start(record_, {}).isEmpty());
        PlasmaWallpaper wallpaper;
        const QByteArray bytes = WriteBmp(path, Qt::cyan);
        for (int flags : {0, 0, WallpaperFlags::Store}) {
            wallpaper.Set(path, flags);
            CheckScriptCall(shell_.Calls().last());
            for (const QJsonValue& desktop : shell_.Desktops()) {
                const QString shown = FileOf(Setting(desktop, kImageGroup, "Image"));
                QVERIFY2(shown == path || shown == AlternateNameOf(path), qPrintable(shown));
                QCOMPARE(Contents(shown), bytes);
            }
        }
        QCOMPARE(FileOf(Setting(shell_.Desktops().first(), kImageGroup, "Image")), path);
    }

    // Plasma 6: the shell's own setWallpaper for each screen, no script.
    void nativeCallsOnPlasma6() {
        QVERIFY(shell_.Start(record_, {QStringLiteral("--native")}).isEmpty());
        PlasmaWallpaper wallpaper;

        QByteArray bytes = WriteBmp(path_, Qt::red);
        wallpaper.Set(path_, 0);
        const QString first = CheckNativeStep(0, QStringLiteral("org.kde.image"));
        QCOMPARE(CheckAllShow(bytes), first);

        bytes = WriteBmp(path_, Qt::green);
        wallpaper.Set(path_, 0);
        const QString second = CheckNativeStep(5, QStringLiteral("org.kde.image"));
        QVERIFY(second != first);
        QCOMPARE(CheckAllShow(bytes), second);

        wallpaper.Set(QString(), 0);
        CheckNativeStep(10, QStringLiteral("org.kde.color"));
        CheckAllBlack();

        wallpaper.Set(path_, WallpaperFlags::Store);
        QCOMPARE(CheckNativeStep(15, QStringLiteral("org.kde.image")), path_);
        QCOMPARE(CheckAllShow(bytes), path_);
        for (const QJsonValue& call : shell_.Calls())
            QVERIFY(call.toObject().value(QLatin1String("method")).toString() !=
                    QLatin1String("evaluateScript"));
    }

    // A locked shell and a missing bitmap are reported, each as what it is.
    void failuresAreReported() {
        WriteBmp(path_, Qt::red);
        QVERIFY(shell_.Start(record_, {QStringLiteral("--locked")}).isEmpty());
        try {
            PlasmaWallpaper().Set(path_, 0);
            QFAIL("no error from a locked Plasma");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::PermissionDenied);
            QVERIFY2(QString::fromStdString(e.Description).contains(QStringLiteral("変更できない")),
                     e.Description.c_str());
        }
        try {
            PlasmaWallpaper().Set(dir_.filePath(QStringLiteral("gone.BMP")), 0);
            QFAIL("no error for a missing bitmap");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::FileNotFound);
        }
    }

  private:
    // The script ran without error in the JavaScript engine, and is plain ASCII.
    void CheckScriptCall(const QJsonValue& value) {
        const QJsonObject call = value.toObject();
        QCOMPARE(call.value(QLatin1String("method")).toString(), QStringLiteral("evaluateScript"));
        QVERIFY2(!call.contains(QLatin1String("error")),
                 qPrintable(call.value(QLatin1String("error")).toString() + u'\n' +
                            call.value(QLatin1String("script")).toString()));
        QVERIFY(IsAscii(call.value(QLatin1String("script")).toString()));
    }

    // Every desktop shows the picture, under one name for all; returns that file.
    QString CheckAllShow(const QByteArray& bytes) {
        const QJsonArray desktops = shell_.Desktops();
        [&] { QVERIFY(!desktops.isEmpty()); }();
        QString file;
        for (const QJsonValue& desktop : desktops) {
            [&] {
                QCOMPARE(Plugin(desktop), QStringLiteral("org.kde.image"));
                const QString uri = Setting(desktop, kImageGroup, "Image");
                QVERIFY2(uri.startsWith(QLatin1String("file:///")), qPrintable(uri));
                QCOMPARE(Setting(desktop, kImageGroup, "FillMode"), QStringLiteral("2"));
                const QString shown = FileOf(uri);
                QVERIFY2(shown == path_ || shown == alternate_, qPrintable(shown));
                QCOMPARE(Contents(shown), bytes);
                if (file.isEmpty())
                    file = shown;
                QCOMPARE(shown, file);
            }();
        }
        return file;
    }

    void CheckAllBlack() {
        for (const QJsonValue& desktop : shell_.Desktops()) {
            QCOMPARE(Plugin(desktop), QStringLiteral("org.kde.color"));
            QCOMPARE(Setting(desktop, kColorGroup, "Color"), QStringLiteral("0,0,0"));
        }
    }

    // From call number from: for each of the two screens wallpaper(n) and setWallpaper(n),
    // then wallpaper(2) finds no third screen. Returns the file the step named.
    QString CheckNativeStep(int from, const QString& plugin) {
        const QJsonArray calls = shell_.Calls();
        QString file;
        [&] {
            QCOMPARE(calls.size(), from + 5);
            for (int screen = 0; screen < 2; ++screen) {
                const QJsonObject get = calls[from + 2 * screen].toObject();
                QCOMPARE(get.value(QLatin1String("method")).toString(),
                         QStringLiteral("wallpaper"));
                QCOMPARE(get.value(QLatin1String("screen")).toInt(), screen);
                const QJsonObject set = calls[from + 2 * screen + 1].toObject();
                QCOMPARE(set.value(QLatin1String("method")).toString(),
                         QStringLiteral("setWallpaper"));
                QCOMPARE(set.value(QLatin1String("screen")).toInt(), screen);
                QCOMPARE(set.value(QLatin1String("plugin")).toString(), plugin);
                const QJsonObject parameters = set.value(QLatin1String("parameters")).toObject();
                if (plugin == QLatin1String("org.kde.color")) {
                    const QJsonObject color = parameters.value(QLatin1String("Color")).toObject();
                    QCOMPARE(color.value(QLatin1String("type")).toString(), QStringLiteral("(u)"));
                    QCOMPARE(color.value(QLatin1String("value")).toString(),
                             QStringLiteral("0,0,0"));
                    continue;
                }
                const QJsonObject image = parameters.value(QLatin1String("Image")).toObject();
                QCOMPARE(image.value(QLatin1String("type")).toString(), QStringLiteral("QString"));
                const QString shown = FileOf(image.value(QLatin1String("value")).toString());
                if (file.isEmpty())
                    file = shown;
                QCOMPARE(shown, file);
                const QJsonObject fill = parameters.value(QLatin1String("FillMode")).toObject();
                QCOMPARE(fill.value(QLatin1String("type")).toString(), QStringLiteral("int"));
                QCOMPARE(fill.value(QLatin1String("value")).toInt(), 2);
            }
            const QJsonObject last = calls[from + 4].toObject();
            QCOMPARE(last.value(QLatin1String("method")).toString(), QStringLiteral("wallpaper"));
            QCOMPARE(last.value(QLatin1String("screen")).toInt(), 2);
        }();
        return file;
    }

    QTemporaryDir dir_;
    QString path_;
    QString alternate_;
    QString record_;
    StandIn shell_;
};

QTEST_GUILESS_MAIN(PlasmaWallpaperTest)
#include "PlasmaWallpaperTest.moc"
