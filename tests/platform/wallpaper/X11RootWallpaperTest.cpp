// SPDX-License-Identifier: MIT
#include "wallpaper/X11RootWallpaper.h"
#include "Platform.h"
#include "PlatformError.h"
#include "PrivateSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <bit>
#include <cstdio>
#include <optional>

using namespace velmora;
using namespace velmora::linux_impl;

namespace {

constexpr const char* kSetArgument = "--set-wallpaper";

int xErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++xErrors;
    return 0;
}

// Writes picture as a BMP at path the way the program does: a new file renamed over the old.
void WriteBmp(const QString& path, const QImage& picture) {
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(picture.save(&file, "BMP"));
    QVERIFY(file.commit());
}

// Four coloured quarters: red, green / blue, white.
QImage Quarters(const QSize& size) {
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
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

// A picture of the given size, red before band and blue after it along its long side,
// green inside band: only the green middle can fill the screen.
QImage ThinWithGreenMiddle(const QSize& size, int bandStart, int bandEnd) {
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    const bool tall = size.height() > size.width();
    const auto part = [&](int from, int to) {
        return tall ? QRect(0, from, size.width(), to - from)
                    : QRect(from, 0, to - from, size.height());
    };
    const int length = tall ? size.height() : size.width();
    painter.fillRect(part(0, bandStart), Qt::red);
    painter.fillRect(part(bandStart, bandEnd), Qt::green);
    painter.fillRect(part(bandEnd, length), Qt::blue);
    return picture;
}

QImage Solid(const QColor& colour) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(colour);
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

class X11RootWallpaperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // The wallpaper of whatever display this runs on is changed: only a private one.
        if (const QString why = velmora::test::NotInPrivateSession(); !why.isEmpty())
            QSKIP(qPrintable(why));
        display_ = XOpenDisplay(nullptr);
        QVERIFY2(display_, "no X server");
        root_ = DefaultRootWindow(display_);
        screen_ = QSize(DisplayWidth(display_, 0), DisplayHeight(display_, 0));
        QCOMPARE(screen_, QSize(1024, 768));
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Mosswick壁紙.BMP"));
    }
    void cleanupTestCase() {
        if (display_)
            XCloseDisplay(display_);
    }

    void fillsScreenWithPicture() {
        WriteBmp(path_, Quarters(QSize(400, 300)));
        X11RootWallpaper().Set(path_, WallpaperFlags::SessionOnly);
        const QImage root = GrabRoot();
        CheckPixel(root, 256, 192, qRgb(255, 0, 0));
        CheckPixel(root, 768, 192, qRgb(0, 255, 0));
        CheckPixel(root, 256, 576, qRgb(0, 0, 255));
        CheckPixel(root, 768, 576, qRgb(255, 255, 255));
        CheckPixel(root, 2, 2, qRgb(255, 0, 0));
        CheckPixel(root, 1021, 765, qRgb(255, 255, 255));
        CheckPublished();
    }

    // A 2:1 picture on a 4:3 screen fills its height; the sides are cut off equally, neither
    // stretched nor framed by bars.
    void widePictureIsCroppedNotStretched() {
        WriteBmp(path_, WideStripes());
        X11RootWallpaper().Set(path_, WallpaperFlags::Store);
        const QImage root = GrabRoot();
        // Scaled to 1536 wide, 256 cut on each side: red to 128, blue from 896.
        CheckPixel(root, 60, 384, qRgb(255, 0, 0));
        CheckPixel(root, 200, 384, qRgb(0, 255, 0)); // red if stretched
        CheckPixel(root, 830, 384, qRgb(0, 255, 0)); // blue if stretched
        CheckPixel(root, 512, 5, qRgb(0, 255, 0));   // black if framed
        CheckPixel(root, 512, 762, qRgb(0, 255, 0));
        CheckPixel(root, 960, 700, qRgb(0, 0, 255));
        CheckPublished();
    }

    // Pictures far thinner than the screen: only their middle is shown, filling the screen,
    // without scaling the whole picture up first (a black screen or gigabytes before).
    void thinPicturesShowTheirMiddle() {
        const QString jpeg = dir_.filePath(QStringLiteral("thin.jpg"));
        QVERIFY(ThinWithGreenMiddle(QSize(100, 20000), 9952, 10048).save(jpeg, "JPG", 95));
        const struct {
            QString path;
            QImage picture;
        } cases[] = {
            {jpeg, {}},
            {path_, ThinWithGreenMiddle(QSize(1, 65500), 32700, 32800)},
            {path_, ThinWithGreenMiddle(QSize(65500, 1), 32700, 32800)},
        };
        for (const auto& c : cases) {
            if (!c.picture.isNull())
                WriteBmp(path_, c.picture);
            WriteBmp(dir_.filePath(QStringLiteral("before.BMP")), Solid(Qt::magenta));
            X11RootWallpaper().Set(dir_.filePath(QStringLiteral("before.BMP")), 0);
            X11RootWallpaper().Set(c.path, 0);
            const QImage root = GrabRoot();
            for (const QPoint p : {QPoint(0, 0), QPoint(512, 384), QPoint(1023, 767)})
                CheckPixel(root, p.x(), p.y(), qRgb(0, 255, 0));
            CheckPublished();
        }
    }

    // The program always writes the same file name: a new picture under it must show, and
    // the pixmap of the previous step must be freed, not piled up in the server.
    void newPictureUnderSameNameReplacesOld() {
        WriteBmp(path_, Quarters(QSize(64, 48)));
        X11RootWallpaper().Set(path_, 0);
        const Pixmap first = CheckPublished();

        WriteBmp(path_, Solid(Qt::yellow));
        X11RootWallpaper().Set(path_, 0);
        const QImage root = GrabRoot();
        for (const QPoint p : {QPoint(10, 10), QPoint(512, 384), QPoint(1000, 700)})
            CheckPixel(root, p.x(), p.y(), qRgb(255, 255, 0));
        const Pixmap second = CheckPublished();
        QVERIFY(second != first);
        QVERIFY2(!PixmapExists(first), "the previous wallpaper pixmap was not freed");
    }

    // Removal: black, and the root properties still name a (black) pixmap so that
    // compositors stop showing the old picture.
    void removalShowsBlack() {
        WriteBmp(path_, Solid(Qt::cyan));
        X11RootWallpaper wallpaper;
        wallpaper.Set(path_, 0);
        const Pixmap picture = CheckPublished();
        wallpaper.Set(QString(), 0);
        const QImage root = GrabRoot();
        for (const QPoint p : {QPoint(0, 0), QPoint(512, 384), QPoint(1023, 767)})
            CheckPixel(root, p.x(), p.y(), qRgb(0, 0, 0));
        const Pixmap black = CheckPublished();
        QVERIFY(black != picture);
        QVERIFY(!PixmapExists(picture));
        // The converted bitmap stays for the next step.
        QVERIFY(QFile::exists(path_));
    }

    // The wallpaper is kept by the server after the program that set it has ended.
    void pictureOutlivesItsProgram() {
        WriteBmp(path_, Quarters(QSize(80, 60)));
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kSetArgument), path_});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());

        const QImage root = GrabRoot();
        CheckPixel(root, 100, 100, qRgb(255, 0, 0));
        CheckPixel(root, 900, 700, qRgb(255, 255, 255));
        const Pixmap kept = CheckPublished();

        // The next program's step frees the pixmap the ended one left behind.
        WriteBmp(path_, Solid(Qt::magenta));
        X11RootWallpaper().Set(path_, 0);
        CheckPixel(GrabRoot(), 100, 100, qRgb(255, 0, 255));
        QVERIFY(!PixmapExists(kept));
    }

    // A pixmap named only by _XROOTPMAP_ID may belong to a running program (a desktop that
    // draws its own background): it must be neither freed nor its owner disconnected.
    void foreignPixmapIsLeftAlone() {
        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other);
        const Window root = DefaultRootWindow(other);
        const Pixmap foreign = XCreatePixmap(other, root, 16, 16, DefaultDepth(other, 0));
        const unsigned long value = foreign;
        XChangeProperty(other, root, XInternAtom(other, "_XROOTPMAP_ID", False), XA_PIXMAP, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XDeleteProperty(other, root, XInternAtom(other, "ESETROOT_PMAP_ID", False));
        XSync(other, False);

        WriteBmp(path_, Solid(Qt::green));
        X11RootWallpaper().Set(path_, 0);
        CheckPixel(GrabRoot(), 512, 384, qRgb(0, 255, 0));
        CheckPublished();
        QVERIFY2(PixmapExists(foreign), "another program's pixmap was freed");
        // The owner is still connected: a round trip on its connection succeeds.
        XFreePixmap(other, foreign);
        XSync(other, False);
        XCloseDisplay(other);
    }

    // A failed step leaves the desktop as it was and says why.
    void failuresLeaveWallpaperAlone() {
        WriteBmp(path_, Solid(Qt::darkBlue));
        X11RootWallpaper().Set(path_, 0);
        const Pixmap before = CheckPublished();

        const QString notPicture = dir_.filePath(QStringLiteral("not-a-picture.BMP"));
        QFile file(notPicture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM this is no bitmap at all");
        file.close();
        const struct {
            QString path;
            int number;
        } cases[] = {{dir_.filePath(QStringLiteral("gone.BMP")), Err::FileNotFound},
                     {notPicture, Err::InvalidPicture}};
        for (const auto& c : cases) {
            try {
                X11RootWallpaper().Set(c.path, 0);
                QFAIL(qPrintable(QStringLiteral("no error for ") + c.path));
            } catch (const PlatformError& e) {
                QCOMPARE(e.Number, c.number);
            }
            QCOMPARE(CheckPublished(), before);
            QVERIFY(PixmapExists(before));
            CheckPixel(GrabRoot(), 512, 384, qRgb(0, 0, 128));
        }
    }

    // The program's own reader decodes the bitmap: Qt's image allocation limit, which
    // refuses large photos, plays no part.
    void pictureBeyondQtsAllocationLimit() {
        WriteBmp(path_, Quarters(QSize(1024, 768)));
        const int previous = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(1);
        const auto restore = qScopeGuard([&] { QImageReader::setAllocationLimit(previous); });
        X11RootWallpaper().Set(path_, 0);
        const QImage root = GrabRoot();
        CheckPixel(root, 256, 192, qRgb(255, 0, 0));
        CheckPixel(root, 768, 576, qRgb(255, 255, 255));
    }

    // A screen whose pixels are not 32-bit words (16-bit colour) goes the slow, general way.
    void sixteenBitScreen() {
        QProcess server;
        const QString name = StartServer(server, QStringLiteral("320x240x16"));
        QVERIFY(!name.isEmpty());
        const auto stop = qScopeGuard([&] { StopServer(server); });

        WriteBmp(path_, Quarters(QSize(64, 48)));
        X11RootWallpaper(name).Set(path_, 0);
        Display* display = XOpenDisplay(name.toLatin1().constData());
        QVERIFY(display);
        QCOMPARE(DefaultDepth(display, 0), 16);
        const QImage root = GrabRootOf(display, QSize(320, 240));
        XCloseDisplay(display);
        CheckPixel(root, 80, 60, qRgb(255, 0, 0));
        CheckPixel(root, 240, 60, qRgb(0, 255, 0));
        CheckPixel(root, 80, 180, qRgb(0, 0, 255));
        CheckPixel(root, 240, 180, qRgb(255, 255, 255));
    }

    // Two monitors of different shapes side by side (RandR 1.5 monitors): each shows the
    // whole picture filled and cropped for its own size, and what no monitor covers is black.
    void eachMonitorFilledForItsOwnSize() {
        QProcess server;
        const QString name = StartServer(server, QStringLiteral("1792x1024x24"));
        QVERIFY(!name.isEmpty());
        const auto stop = qScopeGuard([&] { StopServer(server); });
        Display* display = XOpenDisplay(name.toLatin1().constData());
        QVERIFY(display);
        const auto close = qScopeGuard([&] { XCloseDisplay(display); });
        const Window root = DefaultRootWindow(display);
        int major = 0, minor = 0;
        QVERIFY(XRRQueryVersion(display, &major, &minor));
        if (major == 1 && minor < 5)
            QSKIP("this Xvfb has no RandR 1.5 monitors");

        // A 4:3 monitor on the left holding the server's one output, so that no automatic
        // monitor covers the whole screen, and a portrait one beside it.
        XRRScreenResources* resources = XRRGetScreenResources(display, root);
        QVERIFY(resources && resources->noutput >= 1);
        XRRMonitorInfo* left = XRRAllocateMonitor(display, 1);
        left->name = XInternAtom(display, "left", False);
        left->x = 0;
        left->y = 0;
        left->width = 1024;
        left->height = 768;
        left->mwidth = 270;
        left->mheight = 200;
        left->outputs[0] = resources->outputs[0];
        XRRSetMonitor(display, root, left);
        XRRMonitorInfo* right = XRRAllocateMonitor(display, 0);
        right->name = XInternAtom(display, "right", False);
        right->x = 1024;
        right->y = 0;
        right->width = 768;
        right->height = 1024;
        right->mwidth = 200;
        right->mheight = 270;
        XRRSetMonitor(display, root, right);
        XFree(left);
        XFree(right);
        XRRFreeScreenResources(resources);
        XSync(display, False);
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
        XRRFreeMonitors(monitors);
        QCOMPARE(count, 2);

        WriteBmp(path_, Quarters(QSize(400, 300)));
        X11RootWallpaper(name).Set(path_, 0);
        const QImage screen = GrabRootOf(display, QSize(1792, 1024));
        // Left: the 4:3 picture exactly; one picture over the whole screen would have its
        // middle at x = 896 and y = 512.
        CheckPixel(screen, 256, 192, qRgb(255, 0, 0));
        CheckPixel(screen, 768, 192, qRgb(0, 255, 0));
        CheckPixel(screen, 256, 576, qRgb(0, 0, 255));
        CheckPixel(screen, 768, 576, qRgb(255, 255, 255));
        CheckPixel(screen, 1020, 764, qRgb(255, 255, 255));
        // Right: the picture's full height, its sides cut off equally, so its middle is the
        // monitor's middle.
        CheckPixel(screen, 1024 + 192, 256, qRgb(255, 0, 0));
        CheckPixel(screen, 1024 + 576, 256, qRgb(0, 255, 0));
        CheckPixel(screen, 1024 + 192, 768, qRgb(0, 0, 255));
        CheckPixel(screen, 1024 + 576, 768, qRgb(255, 255, 255));
        CheckPixel(screen, 1026, 2, qRgb(255, 0, 0));
        CheckPixel(screen, 1789, 1021, qRgb(255, 255, 255));
        // Below the left monitor: no monitor, black.
        CheckPixel(screen, 512, 900, qRgb(0, 0, 0));

        // Removal is black on every monitor.
        X11RootWallpaper(name).Set(QString(), 0);
        const QImage cleared = GrabRootOf(display, QSize(1792, 1024));
        for (const QPoint p : {QPoint(256, 192), QPoint(1216, 768)})
            CheckPixel(cleared, p.x(), p.y(), qRgb(0, 0, 0));
    }

  private:
    QImage GrabRoot() { return GrabRootOf(display_, screen_); }

    // A second X server of the given geometry ("WxHxDepth"); its display name, or empty.
    static QString StartServer(QProcess& server, const QString& geometry) {
        server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                      QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                      QStringLiteral("0"), geometry});
        if (!server.waitForStarted())
            return {};
        QByteArray number;
        while (!number.contains('\n') && server.waitForReadyRead(10000))
            number += server.readAllStandardOutput();
        if (!number.contains('\n'))
            return {};
        return QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    }

    static void StopServer(QProcess& server) {
        server.terminate();
        server.waitForFinished();
    }

    // The root window as the server shows it; with no windows on it, its background.
    static QImage GrabRootOf(Display* display, const QSize& size) {
        XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, unsigned(size.width()),
                                  unsigned(size.height()), AllPlanes, ZPixmap);
        if (!image)
            return {};
        const auto channel = [](unsigned long pixel, unsigned long mask) {
            const int bits = std::popcount(mask);
            const unsigned long v = (pixel & mask) >> std::countr_zero(mask);
            return int(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
        };
        QImage result(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                result.setPixel(x, y,
                                qRgb(channel(p, image->red_mask), channel(p, image->green_mask),
                                     channel(p, image->blue_mask)));
            }
        }
        XDestroyImage(image);
        return result;
    }

    void CheckPixel(const QImage& root, int x, int y, QRgb expected) {
        QVERIFY(!root.isNull());
        const QRgb seen = root.pixel(x, y);
        QVERIFY2(Near(seen, expected), qPrintable(QStringLiteral("(%1,%2) is %3, expected %4")
                                                      .arg(x)
                                                      .arg(y)
                                                      .arg(Hex(seen), Hex(expected))));
    }

    std::optional<Pixmap> Property(const char* name) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<Pixmap> result;
        if (XGetWindowProperty(display_, root_, XInternAtom(display_, name, False), 0, 1, False,
                               AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
            type == XA_PIXMAP && format == 32 && count == 1)
            result = Pixmap(*reinterpret_cast<unsigned long*>(data));
        if (data)
            XFree(data);
        return result;
    }

    bool PixmapExists(Pixmap pixmap) {
        XSync(display_, False);
        xErrors = 0;
        XErrorHandler previous = XSetErrorHandler(CountError);
        Window root;
        int x, y;
        unsigned width = 0, height = 0, border, depth;
        const Status ok =
            XGetGeometry(display_, pixmap, &root, &x, &y, &width, &height, &border, &depth);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return ok && xErrors == 0;
    }

    // Both root properties name one existing pixmap of the screen's size; returns it.
    Pixmap CheckPublished() {
        const std::optional<Pixmap> root = Property("_XROOTPMAP_ID");
        const std::optional<Pixmap> esetroot = Property("ESETROOT_PMAP_ID");
        [&] {
            QVERIFY2(root && esetroot, "root pixmap properties missing");
            QCOMPARE(*root, *esetroot);
            QVERIFY(PixmapExists(*root));
            Window r;
            int x, y;
            unsigned width, height, border, depth;
            XGetGeometry(display_, *root, &r, &x, &y, &width, &height, &border, &depth);
            QCOMPARE(QSize(int(width), int(height)), screen_);
        }();
        return root.value_or(None);
    }

    Display* display_ = nullptr;
    Window root_ = None;
    QSize screen_;
    QTemporaryDir dir_;
    QString path_;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The child of pictureOutlivesItsProgram: sets the wallpaper and ends.
    if (argc == 3 && qstrcmp(argv[1], kSetArgument) == 0) {
        try {
            X11RootWallpaper().Set(QString::fromLocal8Bit(argv[2]), 0);
            return 0;
        } catch (const PlatformError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        }
    }
    X11RootWallpaperTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "X11RootWallpaperTest.moc"
