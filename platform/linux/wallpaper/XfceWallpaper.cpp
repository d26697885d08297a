#include "XfceWallpaper.h"

#include "AlternateFile.h"
#include "DesktopWindow.h"
#include "Platform.h"
#include "PlatformError.h"
#include "RunCommand.h"
#include "SessionBus.h"
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

const QString kProgram = QStringLiteral("xfconf-query");
const QString kChannel = QStringLiteral("xfce4-desktop");

QStringList Property(const QString& name) {
    return {QStringLiteral("-c"), kChannel, QStringLiteral("-p"), name, QStringLiteral("-n")};
}

void SetString(const QString& name, const QString& value) {
    RunCommand(kProgram,
               Property(name) + QStringList{QStringLiteral("-t"), QStringLiteral("string"),
                                            QStringLiteral("-s"), value});
}

void SetInt(const QString& name, int value) {
    RunCommand(kProgram,
               Property(name) + QStringList{QStringLiteral("-t"), QStringLiteral("int"),
                                            QStringLiteral("-s"), QString::number(value)});
}

// xfdesktop 4.18 reads the colour as four doubles, red, green, blue and alpha.
void SetBlack(const QString& name) {
    QStringList arguments = Property(name);
    for (int i = 0; i < 4; ++i)
        arguments << QStringLiteral("-t") << QStringLiteral("double");
    for (const char* component : {"0", "0", "0", "1"})
        arguments << QStringLiteral("-s") << QString::fromLatin1(component);
    RunCommand(kProgram, arguments);
}

// The backdrops that exist, or the ones xfdesktop would create, so that a desktop started
// later shows the picture too.
QList<XfceBackdrop> Backdrops() {
    QList<XfceBackdrop> backdrops = BackdropsOfListing(RunCommand(
        kProgram, {QStringLiteral("-c"), kChannel, QStringLiteral("-l"), QStringLiteral("-v")}));
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
    const QList<XfceBackdrop> backdrops = Backdrops();
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
        SetString(backdrop.base + QStringLiteral("/last-image"),
                  store || !showsFile ? file : alternate);
        if (!backdrop.imageStyle || !IsXfcePictureStyle(*backdrop.imageStyle))
            SetInt(backdrop.base + QStringLiteral("/image-style"),
                   stylesBeforeRemoval_.value(backdrop.base, kXfceZoomed));
    }
}

void XfceWallpaper::ShowNoPicture() {
    for (const XfceBackdrop& backdrop : Backdrops()) {
        if (backdrop.imageStyle && IsXfcePictureStyle(*backdrop.imageStyle))
            stylesBeforeRemoval_.insert(backdrop.base, *backdrop.imageStyle);
        SetInt(backdrop.base + QStringLiteral("/image-style"), kXfceNoImage);
        SetInt(backdrop.base + QStringLiteral("/color-style"), 0); // a solid colour
        SetBlack(backdrop.base + QStringLiteral("/rgba1"));
    }
}

} // namespace velmora::linux_impl
