// SPDX-License-Identifier: MIT
#pragma once

#include "Drives.h"
#include "InstanceLock.h"
#include "Platform.h"

#include <memory>

namespace velmora::linux_impl {
class DesktopWallpaper;
}

namespace velmora {

// The real services of a Linux desktop.
class LinuxPlatform : public Platform {
  public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    QString AppFolder() override;
    bool PrevInstance(const QString& folder) override;
    std::optional<QRect> GetWorkArea() override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    int MsgBox(const QString& text, int style, const QString& title) override;
    void MkDir(const QString& path) override;
    void CopyFile(const QString& source, const QString& target) override;
    void DeleteFile(const QString& path) override;
    QByteArray ReadFile(const QString& path) override;
    void WriteFileAtomically(const QString& path, const QByteArray& data) override;
    void RemoveTemporaryFiles(const QString& folder) override;
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
    MountWatcher* WatchMounts(QObject* parent) override;
    QStringList ListSubfolders(const QString& folder) override;
    QStringList ListFiles(const QString& folder, const QStringList& patterns) override;
    void OpenUrl(const QString& url) override;

  private:
    QString appFolder_; // as found at the first call
    std::unique_ptr<linux_impl::InstanceLock> instanceLock_;
    linux_impl::Drives drives_;
    std::unique_ptr<linux_impl::DesktopWallpaper> wallpaper_; // chosen at first use
};

} // namespace velmora
