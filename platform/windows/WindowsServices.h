// SPDX-License-Identifier: MIT
#pragma once

#include "InstanceLock.h"
#include "SystemServices.h"

#include <optional>
#include <string>

namespace velmora::windows_impl {

// Every service of the Windows edition: UTF-8 in and out, UTF-16 towards Win32.
class WindowsServices : public SystemServices {
  public:
    std::string AppFolder() override;
    bool PrevInstance(const std::string& folder) override;

    void MkDir(const std::string& path) override;
    void CopyFile(const std::string& source, const std::string& target) override;
    void DeleteFile(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    void WriteFileAtomically(const std::string& path, std::string_view data) override;
    void RemoveTemporaryFiles(const std::string& folder) override;
    bool FileExists(const std::string& path) override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    std::string ResolvePath(const std::string& path) override;
    std::vector<std::string> ListSubfolders(const std::string& folder) override;
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::vector<std::string>& patterns) override;

    std::vector<DriveInfo> ListDrives() override;
    DriveInfo DriveOf(const std::string& folder) override;
    DriveInfo DriveByName(const std::string& name) override;
    int GetDriveType(const std::string& root) override;

    PictureInfo LoadPicture(const std::string& path) override;
    void SavePicture(const PictureInfo& picture, const std::string& bmpPath) override;

    void SetDeskWallpaper(const std::string& bmpPath, int flags) override;
    void OpenUrl(const std::string& url) override;
    std::optional<std::string> Cp932ToUtf8(std::string_view bytes) override;

  private:
    std::optional<std::string> appFolder_;
    InstanceLock lock_;
};

} // namespace velmora::windows_impl
