// SPDX-License-Identifier: MIT
#pragma once

#include "Cp932Decoder.h"
#include "Drives.h"
#include "FreedHeap.h"
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

    std::string AppFolder() override;
    bool PrevInstance(const std::string& folder) override;
    std::optional<QRect> GetWorkArea() override;
    std::optional<QMargins> GetWindowFrame(QWindow& window) override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    int MsgBox(const std::string& text, int style, const std::string& title) override;
    void MkDir(const std::string& path) override;
    void CopyFile(const std::string& source, const std::string& target) override;
    void DeleteFile(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    void WriteFileAtomically(const std::string& path, std::string_view data) override;
    void RemoveTemporaryFiles(const std::string& folder) override;
    bool FileExists(const std::string& path) override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    std::string ResolvePath(const std::string& path) override;
    PictureInfo LoadPicture(const std::string& path) override;
    void SavePicture(const PictureInfo& picture, const std::string& bmpPath) override;
    QImage LoadPreview(const PictureInfo& picture, const QSize& box) override;
    void SetDeskWallpaper(const std::string& bmpPath, int flags) override;
    std::vector<DriveInfo> ListDrives() override;
    DriveInfo DriveOf(const std::string& folder) override;
    DriveInfo DriveByName(const std::string& name) override;
    int GetDriveType(const std::string& root) override;
    MountWatcher* WatchMounts(QObject* parent) override;
    std::vector<std::string> ListSubfolders(const std::string& folder) override;
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::vector<std::string>& patterns) override;
    void OpenUrl(const std::string& url) override;
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override;

  private:
    linux_impl::FreedHeap freedHeap_; // first: it sets the heap up for the rest
    QString appFolder_;               // as found at the first call
    std::unique_ptr<linux_impl::InstanceLock> instanceLock_;
    linux_impl::Drives drives_;
    std::unique_ptr<linux_impl::DesktopWallpaper> wallpaper_; // chosen at first use
    linux_impl::Cp932Decoder cp932_;
};

} // namespace velmora
