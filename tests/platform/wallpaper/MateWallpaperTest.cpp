// SPDX-License-Identifier: MIT
#include "wallpaper/MateWallpaper.h"
#include "Platform.h"
#include "PlatformError.h"
#include "PrivateSession.h"
#include "SettingsTestSupport.h"
#include "wallpaper/DesktopWallpaper.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <gio/gio.h>

using namespace velmora;
using namespace velmora::linux_impl;
using namespace velmora::test;

namespace {

constexpr const char* kSchema = "org.mate.background";
constexpr QRgb kPlainColour = qRgb(0x33, 0x66, 0x99);

// Four coloured quarters, clockwise from the top left.
QImage Quarters(QRgb a, QRgb b, QRgb c, QRgb d) {
    QImage picture(160, 120, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 80, 60, QColor(a));
    painter.fillRect(80, 0, 80, 60, QColor(b));
    painter.fillRect(80, 60, 80, 60, QColor(c));
    painter.fillRect(0, 60, 80, 60, QColor(d));
    return picture;
}

QString Read(const char* key) {
    return ReadKey(kSchema, key);
}
void Write(const char* key, const char* value) {
    WriteKey(kSchema, key, value);
}
QString ReadInChild(const char* key) {
    return ReadKeyInChild(kSchema, key);
}

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 &&
           qAbs(qBlue(a) - qBlue(b)) <= 8;
}

QString Hex(QRgb c) {
    return QString::number(c & 0xffffff, 16).rightJustified(6, u'0');
}

// The pixels at points of the screen as shown (the root window with the desktop window on
// it), for a 24-bit TrueColor screen.
QList<QRgb> ScreenAt(Display* display, const QList<QPoint>& points) {
    QList<QRgb> result;
    for (const QPoint p : points) {
        XImage* image =
            XGetImage(display, DefaultRootWindow(display), p.x(), p.y(), 1, 1, AllPlanes, ZPixmap);
        if (!image) {
            result << 0xdeadbeef;
            continue;
        }
        result << (QRgb(XGetPixel(image, 0, 0)) | 0xff000000u);
        XDestroyImage(image);
    }
    return result;
}

} // namespace

class MateWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // These tests change desktop settings: only in the private session ctest gives them.
        if (const QString why = velmora::test::NotInPrivateSession({.dbus = true, .dconf = true});
            !why.isEmpty())
            QSKIP(qPrintable(why));
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        GSettingsSchema* schema =
            source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
        if (!schema)
            QSKIP("the org.mate.background schema (mate-desktop-common) is not installed");
        g_settings_schema_unref(schema);
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
        alternate_ = dir_.filePath(QStringLiteral(".Mosswick壁紙-alt.BMP"));
    }

    void init() {
        GSettings* settings = g_settings_new(kSchema);
        for (const char* key : {"picture-filename", "picture-options", "color-shading-type",
                                "primary-color", "draw-background"})
            g_settings_reset(settings, key);
        g_object_unref(settings);
        g_settings_sync();
    }

    // The factory picks this way on MATE; each step names a plain path (not a URI), a new
    // one each time, holding the new picture.
    void stepsNamePlainPathsThatChange() {
        qputenv("XDG_CURRENT_DESKTOP", "MATE");
        const auto wallpaper = CreateDesktopWallpaper();
        QVERIFY(dynamic_cast<MateWallpaper*>(wallpaper.get()));
        QString previous;
        for (const QRgb colour : {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}) {
            const QByteArray bytes = WriteBmp(path_, Quarters(colour, colour, colour, colour));
            QVERIFY(!bytes.isEmpty());
            wallpaper->Set(path_, WallpaperFlags::SessionOnly);
            const QString shown = Read("picture-filename");
            QVERIFY2(shown == path_ || shown == alternate_, qPrintable(shown));
            QVERIFY2(shown != previous, qPrintable(QStringLiteral("kept ") + shown));
            QCOMPARE(Contents(shown), bytes);
            QCOMPARE(ReadInChild("picture-filename"), Quoted(shown));
            previous = shown;
        }
        wallpaper->Set(path_, WallpaperFlags::Store);
        QCOMPARE(ReadInChild("picture-filename"), Quoted(path_));
    }

    // MATE has no "no picture" arrangement: removal empties the file name and makes the
    // colour solid; the next step brings back the picture and the shading it replaced.
    void removalAndRestore() {
        Write("color-shading-type", "horizontal-gradient");
        MateWallpaper wallpaper;
        WriteBmp(path_, Quarters(0xff0000ff, 0xff0000ff, 0xff0000ff, 0xff0000ff));
        wallpaper.Set(path_, 0);

        wallpaper.Set(QString(), 0);
        QCOMPARE(ReadInChild("picture-filename"), QStringLiteral("''"));
        QCOMPARE(ReadInChild("color-shading-type"), QStringLiteral("'solid'"));
        wallpaper.Set(QString(), WallpaperFlags::Store);
        QCOMPARE(Read("picture-filename"), QString());

        wallpaper.Set(path_, 0);
        QVERIFY(!Read("picture-filename").isEmpty());
        QCOMPARE(ReadInChild("color-shading-type"), QStringLiteral("'horizontal-gradient'"));
        QCOMPARE(Read("picture-options"), QStringLiteral("zoom"));
    }

    void missingBitmapChangesNothing() {
        MateWallpaper wallpaper;
        WriteBmp(path_, Quarters(0xff00ff00, 0xff00ff00, 0xff00ff00, 0xff00ff00));
        wallpaper.Set(path_, 0);
        const QString shown = Read("picture-filename");
        try {
            wallpaper.Set(dir_.filePath(QStringLiteral("gone.BMP")), 0);
            QFAIL("no error for a missing bitmap");
        } catch (const PlatformError& e) {
            QCOMPARE(e.Number, Err::FileNotFound);
        }
        QCOMPARE(Read("picture-filename"), shown);
    }

    // caja, drawing MATE's desktop, shows every step: a picture, another picture under the
    // same file name, the plain colour after a removal, and a picture again.
    void cajaShowsEachStep() {
        if (QStandardPaths::findExecutable(QStringLiteral("caja")).isEmpty())
            QSKIP("caja (MATE's desktop) is not installed");
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X server ctest gives this test");
        display_ = XOpenDisplay(nullptr);
        QVERIFY(display_);
        const auto close = qScopeGuard([&] {
            XCloseDisplay(display_);
            display_ = nullptr;
        });
        QCOMPARE(DefaultDepth(display_, 0), 24);
        Write("primary-color", "#336699");

        MateWallpaper wallpaper;
        const QImage first =
            Quarters(qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255));
        WriteBmp(path_, first);
        wallpaper.Set(path_, 0);

        QProcess caja;
        caja.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        caja.start(QStringLiteral("caja"),
                   {QStringLiteral("-n"), QStringLiteral("--force-desktop")});
        QVERIFY2(caja.waitForStarted(), "caja did not start");
        const auto stop = qScopeGuard([&] {
            caja.terminate();
            if (!caja.waitForFinished(5000)) {
                caja.kill();
                caja.waitForFinished();
            }
        });
        WaitForPicture(first, 30000); // caja's first start takes a while
        if (QTest::currentTestFailed())
            return;

        const QImage second =
            Quarters(qRgb(255, 255, 0), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(0, 0, 0));
        WriteBmp(path_, second);
        wallpaper.Set(path_, 0);
        WaitForPicture(second, 10000);
        if (QTest::currentTestFailed())
            return;

        wallpaper.Set(QString(), 0);
        WaitFor({{10, 10}, {512, 384}, {1013, 757}, {256, 576}},
                {kPlainColour, kPlainColour, kPlainColour, kPlainColour}, 10000);
        if (QTest::currentTestFailed())
            return;

        WriteBmp(path_, first);
        wallpaper.Set(path_, 0);
        WaitForPicture(first, 10000);
        QCOMPARE(caja.state(), QProcess::Running);
    }

  private:
    // A 4:3 picture of quarters zoomed onto the 4:3 screen: the quarters' centres.
    void WaitForPicture(const QImage& picture, int ms) {
        const QList<QPoint> points{{256, 192}, {768, 192}, {768, 576}, {256, 576}};
        QList<QRgb> expected;
        for (const QPoint p : {QPoint(40, 30), QPoint(120, 30), QPoint(120, 90), QPoint(40, 90)})
            expected << picture.pixel(p);
        WaitFor(points, expected, ms);
    }

    // Polls the screen until the points show the expected colours, or fails at the deadline
    // saying what was seen.
    void WaitFor(const QList<QPoint>& points, const QList<QRgb>& expected, int ms) {
        QDeadlineTimer deadline(ms);
        QList<QRgb> seen;
        for (;;) {
            seen = ScreenAt(display_, points);
            bool all = true;
            for (qsizetype i = 0; i < points.size(); ++i)
                all = all && Near(seen.at(i), expected.at(i));
            if (all)
                return;
            if (deadline.hasExpired())
                break;
            QTest::qWait(100);
        }
        QString message;
        for (qsizetype i = 0; i < points.size(); ++i)
            message += QStringLiteral("(%1,%2) %3 expected %4; ")
                           .arg(points.at(i).x())
                           .arg(points.at(i).y())
                           .arg(Hex(seen.at(i)), Hex(expected.at(i)));
        QFAIL(qPrintable(message));
    }

    Display* display_ = nullptr;
    QTemporaryDir dir_;
    QString path_;
    QString alternate_;
};

QTEST_GUILESS_MAIN(MateWallpaperTest)
#include "MateWallpaperTest.moc"
