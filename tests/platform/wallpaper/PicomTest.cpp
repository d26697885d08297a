// SPDX-License-Identifier: MIT
#include "PrivateSession.h"
#include "wallpaper/X11RootWallpaper.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace velmora::linux_impl;

namespace {

// Writes picture as a BMP at path the way the program does: a new file renamed over the old.
void WriteBmp(const QString& path, const QImage& picture) {
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(picture.save(&file, "BMP"));
    QVERIFY(file.commit());
}

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

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8 &&
           qAbs(qBlue(a) - qBlue(b)) <= 8;
}

QString Hex(QRgb c) {
    return QString::number(c & 0xffffff, 16).rightJustified(6, u'0');
}

} // namespace

// A compositor in front of the root window: what is on the screen is what picom paints from
// the pixmap the root properties name, not the root window's own background.
class PicomTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        if (QStandardPaths::findExecutable(QStringLiteral("picom")).isEmpty())
            QSKIP("picom (an X compositor) is not installed");
        display_ = XOpenDisplay(nullptr);
        QVERIFY2(display_, "no X server");
        QCOMPARE(DefaultDepth(display_, 0), 24);
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
    }
    void cleanupTestCase() {
        if (display_)
            XCloseDisplay(display_);
    }

    void compositedScreenFollowsEachStep() {
        // The first picture is in place before picom starts, as on a desktop already set up.
        const QImage first =
            Quarters(qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255));
        WriteBmp(path_, first);
        X11RootWallpaper().Set(path_, 0);

        QProcess picom;
        picom.setProcessChannelMode(QProcess::ForwardedChannels);
        picom.start(QStringLiteral("picom"),
                    {QStringLiteral("--backend"), QStringLiteral("xrender"),
                     QStringLiteral("--config"), QStringLiteral("/dev/null")});
        QVERIFY2(picom.waitForStarted(), "picom did not start");
        const auto stop = qScopeGuard([&] {
            picom.terminate();
            if (!picom.waitForFinished(5000)) {
                picom.kill();
                picom.waitForFinished();
            }
        });
        // Compositing has begun once picom owns the compositing manager selection.
        const Atom selection = XInternAtom(display_, "_NET_WM_CM_S0", False);
        QDeadlineTimer ready(15000);
        while (XGetSelectionOwner(display_, selection) == None && !ready.hasExpired())
            QTest::qWait(50);
        QVERIFY2(XGetSelectionOwner(display_, selection) != None, "picom is not compositing");
        WaitForPicture(first);
        if (QTest::currentTestFailed())
            return;

        // A new picture under the same name.
        const QImage second =
            Quarters(qRgb(255, 255, 0), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(0, 0, 0));
        WriteBmp(path_, second);
        X11RootWallpaper().Set(path_, 0);
        WaitForPicture(second);
        if (QTest::currentTestFailed())
            return;

        X11RootWallpaper().Set(QString(), 0);
        const QRgb black = qRgb(0, 0, 0);
        WaitFor({{5, 5}, {256, 192}, {768, 576}, {1018, 762}}, {black, black, black, black});
        if (QTest::currentTestFailed())
            return;

        WriteBmp(path_, first);
        X11RootWallpaper().Set(path_, 0);
        WaitForPicture(first);
        QCOMPARE(picom.state(), QProcess::Running);
    }

  private:
    // The quarters' centres of a 4:3 picture filling the 1024x768 screen.
    void WaitForPicture(const QImage& picture) {
        QList<QRgb> expected;
        for (const QPoint p : {QPoint(40, 30), QPoint(120, 30), QPoint(120, 90), QPoint(40, 90)})
            expected << picture.pixel(p);
        WaitFor({{256, 192}, {768, 192}, {768, 576}, {256, 576}}, expected);
    }

    // Polls the screen until the points show the expected colours, or fails after a while
    // saying what was seen.
    void WaitFor(const QList<QPoint>& points, const QList<QRgb>& expected) {
        QDeadlineTimer deadline(10000);
        QList<QRgb> seen;
        for (;;) {
            seen.clear();
            // The root with IncludeInferiors: the screen as composited, picom's overlay window
            // included.
            XImage* image = XGetImage(display_, DefaultRootWindow(display_), 0, 0, 1024, 768,
                                      AllPlanes, ZPixmap);
            QVERIFY(image);
            for (const QPoint p : points)
                seen << (QRgb(XGetPixel(image, p.x(), p.y())) | 0xff000000u);
            XDestroyImage(image);
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
};

QTEST_GUILESS_MAIN(PicomTest)
#include "PicomTest.moc"
