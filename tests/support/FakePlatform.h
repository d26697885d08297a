// SPDX-License-Identifier: MIT
#pragma once

#include "MessageRecorder.h"
#include "Platform.h"
#include "PlatformError.h"
#include "QtText.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QMap>

#include <functional>

namespace velmora::test {

struct WallpaperCall {
    QString path;
    int flags;
};

// A scriptable stand-in for the operating system. Files, folders and pictures are real
// (tests give it a temporary application folder); what cannot be real in a unit test -
// message boxes, the desktop wallpaper, the mounted drives, the browser - is recorded and
// answered from a script.
class FakePlatform : public Platform, public MessageRecorder {
  public:
    explicit FakePlatform(QString appFolder = {});

    // --- script ---
    QString appFolder;
    bool prevInstance = false;
    std::optional<QRect> workArea = QRect(0, 0, 1024, 740);
    QList<WallpaperCall> wallpapers;
    QStringList openedUrls;
    std::vector<DriveInfo> drives;       // empty: one drive "/ [root]" holding everything
    QMap<QString, int> driveTypes;       // by root; missing: Fixed
    QMap<QString, int> unreadableDrives; // by root: the error listing it gives
    // Called before each operation by name ("MkDir", "CopyFile", "WriteFileAtomically",
    // "LoadPicture", "SavePicture", "SetDeskWallpaper", ...); it may throw to simulate a fault.
    std::function<void(const QString& operation, const QString& path)> beforeOperation;

    // --- Platform ---
    std::string AppFolder() override { return ToUtf8(appFolder); }
    bool PrevInstance(const std::string&) override { return prevInstance; }
    std::optional<QRect> GetWorkArea() override { return workArea; }
    double TwipsPerPixelX() override { return 15.0; }
    double TwipsPerPixelY() override { return 15.0; }
    // The real window manager's answer: windows are real, on X or offscreen.
    std::optional<QMargins> GetWindowFrame(QWindow& window) override;
    int MsgBox(const std::string& text, int style, const std::string& title) override {
        return Record(text, style, title);
    }
    void MkDir(const std::string& path) override;
    void CopyFile(const std::string& source, const std::string& target) override;
    void DeleteFile(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    void WriteFileAtomically(const std::string& path, std::string_view data) override;
    void RemoveTemporaryFiles(const std::string&) override {}
    bool FileExists(const std::string& path) override;
    std::string ResolvePath(const std::string& path) override;
    PictureInfo LoadPicture(const std::string& path) override;
    void SavePicture(const PictureInfo& picture, const std::string& bmpPath) override;
    QImage LoadPreview(const PictureInfo& picture, const QSize& box) override;
    void SetDeskWallpaper(const std::string& bmpPath, int flags) override;
    std::vector<DriveInfo> ListDrives() override;
    DriveInfo DriveOf(const std::string& folder) override;
    DriveInfo DriveByName(const std::string& name) override;
    int GetDriveType(const std::string& root) override;
    std::vector<std::string> ListSubfolders(const std::string& folder) override;
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::vector<std::string>& patterns) override;
    void OpenUrl(const std::string& url) override { openedUrls << FromUtf8(url); }
    // Code page 932 through Qt's own decoder, so that the core's reading is checked against
    // a second implementation.
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override;

  private:
    void Before(const QString& operation, const QString& path);
    // The folder to list, after the script's faults for it.
    QDir ListableFolder(const std::string& folder, const QString& operation);
};

// Writes a real picture file (BMP by Qt's writer unless the name ends in .jpg/.jpeg).
void WritePicture(const QString& path, const QSize& size, const QColor& color);

} // namespace velmora::test
