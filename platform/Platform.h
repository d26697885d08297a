// SPDX-License-Identifier: MIT
#pragma once

#include "PlatformError.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QObject;

namespace velmora {

class MountWatcher;

// Message box styles and answers, as numbers, so that callers and tests speak one language.
namespace MsgBoxStyle {
constexpr int OkOnly = 0;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int DefaultButton2 = 256;
} // namespace MsgBoxStyle

namespace MsgBoxResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgBoxResult

// Windows drive types, answered on every platform.
namespace DriveType {
constexpr int Unknown = 0;
constexpr int NoRootDir = 1;
constexpr int Removable = 2;
constexpr int Fixed = 3;
constexpr int Remote = 4;
constexpr int CdRom = 5;
constexpr int RamDisk = 6;
} // namespace DriveType

// Wallpaper flags: 0 changes the running session only, 3 also stores the choice.
namespace WallpaperFlags {
constexpr int SessionOnly = 0;
constexpr int UpdateIniFile = 1;
constexpr int SendWinIniChange = 2;
constexpr int Store = UpdateIniFile | SendWinIniChange;
} // namespace WallpaperFlags

// The folder separator: every folder name the program builds ends in it.
inline QString PathSeparator() {
    return QStringLiteral("/");
}

enum class PictureKind { Bmp, Jpeg };

// A picture checked by its header: what it is and its natural size. Decoding happens
// only when the picture is saved or previewed.
struct PictureInfo {
    QString path;
    PictureKind kind = PictureKind::Bmp;
    QSize size;
};

// One mounted volume as the drive selector shows it.
struct DriveInfo {
    QString name; // "<mount point> [<label or device>]", stable across runs
    QString root; // the mount point, ending in "/"
};

// A read that failed after it had begun: the error, with the bytes read before it.
class ReadError : public PlatformError {
  public:
    ReadError(const PlatformError& error, QByteArray bytesRead)
        : PlatformError(error), BytesRead(std::move(bytesRead)) {}

    QByteArray BytesRead;
};

// Every operating-system and runtime service the program uses. Each operation reports
// failure by throwing PlatformError (number + description).
class Platform {
  public:
    virtual ~Platform() = default;

    // The folder of the running program file, without a trailing "/" (except for "/"), the
    // same for the whole run. Throws when it cannot be named: never another folder instead.
    virtual QString AppFolder() = 0;

    // True when this program already runs on folder (its list file), for whatever user or
    // environment. Otherwise this run takes the folder's instance lock and keeps it until it
    // ends. Throws when the lock can be neither taken nor seen taken.
    virtual bool PrevInstance(const QString& folder) = 0;

    // The desktop work area in pixels, or nothing when it cannot be had.
    virtual std::optional<QRect> GetWorkArea() = 0;
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;

    // Shows a modal message box; style is the sum of MsgBoxStyle values, the result a
    // MsgBoxResult value.
    virtual int MsgBox(const QString& text, int style, const QString& title) = 0;

    // Files and folders. A trailing "/" on a folder name is allowed.
    virtual void MkDir(const QString& path) = 0; // 75 when it exists already
    // Copies source to target. An existing target is replaced only when it holds exactly the
    // source's bytes; any other file there stays and the copy fails with 58.
    virtual void CopyFile(const QString& source, const QString& target) = 0;
    virtual void DeleteFile(const QString& path) = 0;
    // The whole file; a failure part-way through throws ReadError.
    virtual QByteArray ReadFile(const QString& path) = 0;
    // Replaces path with data so that a crash or a failure leaves either the old or the
    // new content, never a mixture.
    virtual void WriteFileAtomically(const QString& path, const QByteArray& data) = 0;
    // Removes what a killed earlier run left of its atomic writes in folder.
    virtual void RemoveTemporaryFiles(const QString& folder) = 0;
    virtual bool FileExists(const QString& path) = 0;
    // The path with every symbolic link and "." or ".." resolved, as far as it exists.
    virtual QString ResolvePath(const QString& path) = 0;

    // Pictures: BMP or JPEG, recognised by content. LoadPicture reads the header only.
    virtual PictureInfo LoadPicture(const QString& path) = 0;
    // Writes the whole picture as a 24-bit Windows bitmap at its own size, atomically.
    virtual void SavePicture(const PictureInfo& picture, const QString& bmpPath) = 0;
    // The picture decoded for a box of the given size in pixels: never smaller than needed
    // to fill the box, usually much smaller than the natural size.
    virtual QImage LoadPreview(const PictureInfo& picture, const QSize& box) = 0;

    // Shows bmpPath as the desktop wallpaper, or no picture when it is empty.
    virtual void SetDeskWallpaper(const QString& bmpPath, int flags) = 0;

    // Browsing.
    virtual QList<DriveInfo> ListDrives() = 0;
    // The drive that holds folder (the volume of its nearest mount point).
    virtual DriveInfo DriveOf(const QString& folder) = 0;
    // The drive selector's text back to its volume; throws 71 when it is not mounted.
    virtual DriveInfo DriveByName(const QString& name) = 0;
    virtual int GetDriveType(const QString& root) = 0;
    // A watcher, owned by parent, that signals when the volumes ListDrives answers change.
    virtual MountWatcher* WatchMounts(QObject* parent);
    // Names of the visible subfolders and of the files matching one of the patterns
    // ("*.BMP" style, letter case ignored), sorted by name ignoring case.
    virtual QStringList ListSubfolders(const QString& folder) = 0;
    virtual QStringList ListFiles(const QString& folder, const QStringList& patterns) = 0;

    // Hands a web or mailto: address to the desktop's default handler without waiting.
    virtual void OpenUrl(const QString& url) = 0;
};

} // namespace velmora
