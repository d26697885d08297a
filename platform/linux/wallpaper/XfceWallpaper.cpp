// SPDX-License-Identifier: MIT
#include "XfceWallpaper.h"

#include "AlternateFile.h"
#include "DesktopWindow.h"
#include "PlatformError.h"
#include "SessionBus.h"
#include "SystemServices.h"
#include "Xfconf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <sys/stat.h>
#include <unistd.h>

namespace velmora::linux_impl {

namespace {

const QString kChannel = QStringLiteral("xfce4-desktop");

// The backdrops that exist, or the ones xfdesktop would create, so that a desktop started
// later shows the picture too.
QList<XfceBackdrop> Backdrops(const XfconfChannel& channel) {
    QList<XfceBackdrop> backdrops =
        BackdropsOfProperties(channel.Properties(QStringLiteral("/backdrop")));
    if (backdrops.isEmpty()) {
        for (const QString& base : UsualBackdrops(XfceMonitorNames(), WorkspaceCount()))
            backdrops.append({base, std::nullopt, std::nullopt});
    }
    return backdrops;
}

// Whether a program of this user with this name runs, for sessions without an X server
// to show its window.
bool OwnProcessRuns(const QByteArray& name) {
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        entry.toInt(&number);
        if (!number)
            continue;
        struct stat info {};
        const QByteArray dir = QByteArrayLiteral("/proc/") + entry.toLatin1();
        if (::stat(dir.constData(), &info) != 0 || info.st_uid != ::getuid())
            continue;
        QFile comm(QString::fromLatin1(dir + "/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return true;
    }
    return false;
}

} // namespace

void RequireXfceDesktop() {
    RequireSessionBus(QStringLiteral("Xfce"), "org.xfce.Xfconf");
    const std::optional<bool> window = HasDesktopWindowOf(QStringLiteral("xfdesktop"));
    if (window == true || (!window && OwnProcessRuns("xfdesktop")))
        return;
    throw PlatformError(Err::NotSupported,
                        QStringLiteral("Xfce のデスクトップ (xfdesktop) が動いていないため、"
                                       "壁紙を設定しても表示されません。"));
}

QStringList XfceMonitorNames() {
    QStringList names;
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (!screen->name().isEmpty() && !screen->name().contains(u'/'))
                names.append(QStringLiteral("monitor") + screen->name());
        }
    }
    // xfdesktop's own name for a monitor whose output has no name.
    if (names.isEmpty())
        names.append(QStringLiteral("monitor0"));
    return names;
}

void XfceWallpaper::Set(const QString& bmpPath, int flags) {
    // xfconf stores every change in the user's settings: there is no session-only change,
    // so flags 0 and 3 both store.
    if (bmpPath.isEmpty()) {
        ShowNoPicture();
        return;
    }
    if (!QFileInfo::exists(bmpPath))
        throw PlatformError(Err::FileNotFound);
    ShowPicture(QFileInfo(bmpPath).absoluteFilePath(),
                (flags & WallpaperFlags::Store) == WallpaperFlags::Store);
}

void XfceWallpaper::ShowPicture(const QString& file, bool store) {
    XfconfChannel channel(kChannel);
    const QList<XfceBackdrop> backdrops = Backdrops(channel);
    // xfdesktop redraws only when the name changes, and the program always writes the same
    // name: a backdrop that shows it is given the other name. At the end (store) the
    // picture is named by its own file name.
    QString alternate;
    if (!store) {
        alternate = AlternateNameOf(file);
        MirrorFile(file, alternate);
    }
    for (const XfceBackdrop& backdrop : backdrops) {
        const bool showsFile = backdrop.lastImage && *backdrop.lastImage == file;
        channel.SetString(backdrop.base + QStringLiteral("/last-image"),
                          store || !showsFile ? file : alternate);
        if (!backdrop.imageStyle || !IsXfcePictureStyle(*backdrop.imageStyle))
            channel.SetInt(backdrop.base + QStringLiteral("/image-style"),
                           stylesBeforeRemoval_.value(backdrop.base, kXfceZoomed));
    }
}

void XfceWallpaper::ShowNoPicture() {
    XfconfChannel channel(kChannel);
    for (const XfceBackdrop& backdrop : Backdrops(channel)) {
        if (backdrop.imageStyle && IsXfcePictureStyle(*backdrop.imageStyle))
            stylesBeforeRemoval_.insert(backdrop.base, *backdrop.imageStyle);
        channel.SetInt(backdrop.base + QStringLiteral("/image-style"), kXfceNoImage);
        channel.SetInt(backdrop.base + QStringLiteral("/color-style"), 0); // a solid colour
        // xfdesktop 4.18 reads the colour as red, green, blue and alpha.
        channel.SetDoubles(backdrop.base + QStringLiteral("/rgba1"), {0, 0, 0, 1});
    }
}

} // namespace velmora::linux_impl
