// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"
#include "PlatformError.h"

#include <QHash>
#include <QList>
#include <QMap>

#include <functional>

namespace velmora::test {

struct MsgBoxCall {
    QString text;
    int style;
    QString title;
};

struct WallpaperCall {
    QString path;
    int flags;
};

// A scriptable stand-in for the operating system. Files, folders and pictures are real
// (tests give it a temporary application folder); what cannot be real in a unit test -
// message boxes, the desktop wallpaper, the mounted drives, the browser - is recorded and
// answered from a script.
class FakePlatform : public Platform {
  public:
    explicit FakePlatform(QString appFolder = {});

    // --- script ---
    QString appFolder;
    bool prevInstance = false;
    std::optional<QRect> workArea = QRect(0, 0, 1024, 740);
    QList<int> msgBoxAnswers; // taken in order; when empty: OK, or No for Yes/No boxes
    QList<MsgBoxCall> msgBoxes;
    QList<WallpaperCall> wallpapers;
    QStringList openedUrls;
    QList<DriveInfo> drives;             // empty: one drive "/ [root]" holding everything
    QMap<QString, int> driveTypes;       // by root; missing: Fixed
    QMap<QString, int> unreadableDrives; // by root: the error listing it gives
    // Called before each operation by name ("MkDir", "CopyFile", "WriteFileAtomically",
    // "LoadPicture", "SavePicture", "SetDeskWallpaper", ...); it may throw to simulate a fault.
    std::function<void(const QString& operation, const QString& path)> beforeOperation;
    // Called when a message box is shown (before it is answered).
    std::function<void(const MsgBoxCall&)> onMsgBox;

    // --- Platform ---
    QString AppFolder() override { return appFolder; }
    bool PrevInstance(const QString&) override { return prevInstance; }
    std::optional<QRect> GetWorkArea() override { return workArea; }
    double TwipsPerPixelX() override { return 15.0; }
    double TwipsPerPixelY() override { return 15.0; }
    int MsgBox(const QString& text, int style, const QString& title) override;
    void MkDir(const QString& path) override;
    void CopyFile(const QString& source, const QString& target) override;
    void DeleteFile(const QString& path) override;
    QByteArray ReadFile(const QString& path) override;
    void WriteFileAtomically(const QString& path, const QByteArray& data) override;
    void RemoveTemporaryFiles(const QString&) override {}
    bool FileExists(const QString& path) override;
    QString ResolvePath(const QString& path) override;
    PictureInfo LoadPicture(const QString& path) override;
    void SavePicture(const PictureInfo& picture, const QString& bmpPath) override;
    QImage LoadPreview(const PictureInfo& picture, const QSize& box) override;
    void SetDeskWallpaper(const QString& bmpPath, int flags) override;
    QList<DriveInfo> ListDrives() override;
    DriveInfo DriveOf(const QString& folder) override;
    DriveInfo DriveByName(const QString& name) override;
    int GetDriveType(const QString& root) override;
    QStringList ListSubfolders(const QString& folder) override;
    QStringList ListFiles(const QString& folder, const QStringList& patterns) override;
    void OpenUrl(const QString& url) override { openedUrls << url; }

  private:
    void Before(const QString& operation, const QString& path);
};

// Writes a real picture file (BMP by Qt's writer unless the name ends in .jpg/.jpeg).
void WritePicture(const QString& path, const QSize& size, const QColor& color);

} // namespace velmora::test
