// SPDX-License-Identifier: MIT
#include "X11RootWallpaper.h"

#include "PictureFiles.h"
#include "PlatformError.h"

#include <QList>
#include <QRect>
#include <QSysInfo>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace velmora::linux_impl {

namespace {

constexpr int kBandRows = 64;

// The monitors of the screen (RandR 1.5), each of which shows the whole picture; the whole
// screen as one where the server knows no monitors.
QList<QRect> MonitorsOf(Display* display, Window root, const QSize& screen) {
    const QRect whole(QPoint(0, 0), screen);
    QList<QRect> result;
    int event = 0, error = 0, major = 0, minor = 0;
    if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        if (XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count)) {
            for (int i = 0; i < count; ++i) {
                const QRect area =
                    QRect(monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height)
                        .intersected(whole);
                if (!area.isEmpty() && !result.contains(area)) // mirrored outputs share one
                    result << area;
            }
            XRRFreeMonitors(monitors);
        }
    }
    if (result.isEmpty())
        result << whole;
    return result;
}

// Xlib reports protocol errors through one process-wide handler; while a Trap lives the
// errors of every connection are counted instead of ending the program.
class ErrorTrap {
  public:
    ErrorTrap() : previous_(XSetErrorHandler(&ErrorTrap::Record)) { errors_ = 0; }
    ~ErrorTrap() { XSetErrorHandler(previous_); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // The number of errors up to now, after the server has answered everything sent.
    int Sync(Display* display) {
        XSync(display, False);
        return errors_;
    }

  private:
    static int Record(Display*, XErrorEvent*) {
        ++errors_;
        return 0;
    }
    static inline int errors_ = 0;
    XErrorHandler previous_;
};

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

DisplayPtr OpenDisplay(const QString& name) {
    const QByteArray encoded = name.toLocal8Bit();
    Display* display = XOpenDisplay(name.isEmpty() ? nullptr : encoded.constData());
    if (!display)
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("X サーバーに接続できないため、壁紙を設定できません。"));
    return DisplayPtr(display);
}

// How one colour channel of 8 bits goes into a pixel value.
struct Channel {
    explicit Channel(unsigned long mask)
        : shift(std::countr_zero(mask)), bits(std::popcount(mask)) {}
    unsigned long Place(int value) const {
        const unsigned long v = bits <= 8 ? static_cast<unsigned long>(value) >> (8 - bits)
                                          : static_cast<unsigned long>(value) << (bits - 8);
        return v << shift;
    }
    int shift;
    int bits;
};

bool IsPlainRgb32(const XImage* image) {
    return image->bits_per_pixel == 32 && image->red_mask == 0xff0000 &&
           image->green_mask == 0xff00 && image->blue_mask == 0xff;
}

// Draws picture into pixmap with its top left corner at origin, a band of rows at a time
// so that no second copy of it is held.
void PutPicture(Display* display, Pixmap pixmap, GC gc, Visual* visual, int depth,
                const QImage& picture, const QPoint& origin) {
    const int width = picture.width();
    XImage* band =
        XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, width, kBandRows, 32, 0);
    if (!band)
        throw PlatformError(Err::OutOfMemory);
    band->data = static_cast<char*>(std::malloc(size_t(band->bytes_per_line) * kBandRows));
    if (!band->data) {
        XDestroyImage(band);
        throw PlatformError(Err::OutOfMemory);
    }
    const bool plain = IsPlainRgb32(band);
    if (plain) // QImage's RGB32 rows are already such pixels, in the host's byte order
        band->byte_order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst;
    const Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);

    for (int top = 0; top < picture.height(); top += kBandRows) {
        const int rows = std::min(kBandRows, picture.height() - top);
        for (int y = 0; y < rows; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(top + y));
            if (plain) {
                std::memcpy(band->data + size_t(y) * band->bytes_per_line, line, size_t(width) * 4);
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const QRgb c = line[x];
                XPutPixel(band, x, y,
                          red.Place(qRed(c)) | green.Place(qGreen(c)) | blue.Place(qBlue(c)));
            }
        }
        XPutImage(display, pixmap, gc, band, 0, 0, origin.x(), origin.y() + top, unsigned(width),
                  unsigned(rows));
    }
    XDestroyImage(band);
}

std::optional<Pixmap> ReadPixmapProperty(Display* display, Window root, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<Pixmap> result;
    if (XGetWindowProperty(display, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_PIXMAP && format == 32 && count == 1 && data)
        result = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return result;
}

void WritePixmapProperty(Display* display, Window root, Atom property, Pixmap pixmap) {
    const unsigned long value = pixmap; // format 32 data travels as longs in Xlib
    XChangeProperty(display, root, property, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
}

} // namespace

X11RootWallpaper::X11RootWallpaper(QString displayName) : displayName_(std::move(displayName)) {}

void X11RootWallpaper::Set(const QString& bmpPath, int /*flags*/) {
    // X keeps no stored wallpaper setting: the root background lasts as long as the server,
    // so a session-only change and a stored one are the same thing here.
    // A missing or broken file fails before any X work.
    const std::optional<PictureFile> picture =
        bmpPath.isEmpty() ? std::nullopt : std::optional(ReadPictureHeader(bmpPath));

    // A connection of our own, so that its pixmap can be left to the server at its close
    // without leaving anything else of this program behind.
    ErrorTrap trap; // outlives the connection: its close may still report errors
    DisplayPtr display = OpenDisplay(displayName_);
    Display* dpy = display.get();
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    Visual* visual = DefaultVisual(dpy, screen);
    const int depth = DefaultDepth(dpy, screen);
    const QSize size(DisplayWidth(dpy, screen), DisplayHeight(dpy, screen));
    const QList<QRect> monitors = MonitorsOf(dpy, root, size);
    if (picture && visual->c_class != TrueColor)
        throw PlatformError(Err::NotSupported,
                            QStringLiteral("この画面の色の形式では壁紙を表示できません。"));

    const Pixmap pixmap =
        XCreatePixmap(dpy, root, unsigned(size.width()), unsigned(size.height()), unsigned(depth));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    // No picture: plain black. The root properties stay and name this pixmap, because
    // compositors keep showing the last pixmap they were told about. Black is also what
    // lies between monitors of different sizes.
    XSetForeground(dpy, gc, BlackPixel(dpy, screen));
    XFillRectangle(dpy, pixmap, gc, 0, 0, unsigned(size.width()), unsigned(size.height()));
    if (picture) {
        // Each monitor's part is decoded at that monitor's size and drawn before the next:
        // a thin or huge picture costs no more than the monitor it fills.
        for (const QRect& monitor : monitors)
            PutPicture(dpy, pixmap, gc, visual, depth, DecodeToFill(*picture, monitor.size()),
                       monitor.topLeft());
    }
    XFreeGC(dpy, gc);
    if (trap.Sync(dpy) != 0) // the connection's close frees whatever was made
        throw PlatformError(Err::OutOfMemory,
                            QStringLiteral("壁紙の画像を X サーバーに作れませんでした。"));

    const Atom rootPmap = XInternAtom(dpy, "_XROOTPMAP_ID", False);
    const Atom esetrootPmap = XInternAtom(dpy, "ESETROOT_PMAP_ID", False);
    const std::optional<Pixmap> oldRoot = ReadPixmapProperty(dpy, root, rootPmap);
    const std::optional<Pixmap> oldEsetroot = ReadPixmapProperty(dpy, root, esetrootPmap);

    WritePixmapProperty(dpy, root, rootPmap, pixmap);
    WritePixmapProperty(dpy, root, esetrootPmap, pixmap);
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);

    // Both names on one pixmap mean its setter left it to the server as we do: freeing its
    // client frees it. Otherwise the pixmap may belong to a running program and stays.
    if (oldRoot && oldEsetroot && *oldRoot == *oldEsetroot && *oldRoot != pixmap)
        XKillClient(dpy, *oldRoot);
    trap.Sync(dpy); // an old pixmap that is gone already is no failure

    XSetCloseDownMode(dpy, RetainPermanent);
}

} // namespace velmora::linux_impl
