// SPDX-License-Identifier: MIT
#include "WindowsServices.h"

#include "Cp932.h"
#include "DataFolder.h"
#include "Desktop.h"
#include "Drives.h"
#include "Files.h"
#include "FolderListing.h"
#include "PathResolution.h"
#include "PictureFiles.h"
#include "PlatformError.h"
#include "SystemServicesFactory.h"
#include "WideText.h"

namespace velmora {

std::unique_ptr<SystemServices> CreateSystemServices() {
    return std::make_unique<windows_impl::WindowsServices>();
}

} // namespace velmora

namespace velmora::windows_impl {

namespace {

std::vector<std::string> Narrowed(const std::vector<std::wstring>& names) {
    std::vector<std::string> result;
    result.reserve(names.size());
    for (const std::wstring& name : names)
        result.push_back(Narrow(name));
    return result;
}

} // namespace

std::string WindowsServices::AppFolder() {
    if (!appFolder_)
        appFolder_ = Narrow(DataFolder());
    return *appFolder_;
}

bool WindowsServices::PrevInstance(const std::string& folder) {
    return lock_.HeldByAnother(Widen(folder));
}

void WindowsServices::MkDir(const std::string& path) {
    MakeFolder(Widen(path));
}

void WindowsServices::CopyFile(const std::string& source, const std::string& target) {
    CopyFileKeepingOthers(Widen(source), Widen(target));
}

void WindowsServices::DeleteFile(const std::string& path) {
    RemoveFile(Widen(path));
}

std::string WindowsServices::ReadFile(const std::string& path) {
    return ReadWholeFile(Widen(path));
}

void WindowsServices::WriteFileAtomically(const std::string& path, std::string_view data) {
    windows_impl::WriteFileAtomically(Widen(path), data);
}

void WindowsServices::RemoveTemporaryFiles(const std::string& folder) {
    windows_impl::RemoveTemporaryFiles(Widen(folder));
}

std::optional<FileStamp> WindowsServices::StampOf(const std::string& path) {
    try {
        return windows_impl::StampOf(Widen(path));
    } catch (const PlatformError&) {
        return std::nullopt;
    }
}

bool WindowsServices::FileExists(const std::string& path) {
    try {
        return windows_impl::FileExists(Widen(path));
    } catch (const PlatformError&) {
        return false; // a name no file can have
    }
}

std::string WindowsServices::ResolvePath(const std::string& path) {
    return Narrow(windows_impl::ResolvePath(Widen(path)));
}

std::vector<std::string> WindowsServices::ListSubfolders(const std::string& folder) {
    return Narrowed(windows_impl::ListSubfolders(Widen(folder)));
}

std::vector<std::string> WindowsServices::ListFiles(const std::string& folder,
                                                    const std::vector<std::string>& patterns) {
    std::vector<std::wstring> wide;
    wide.reserve(patterns.size());
    for (const std::string& pattern : patterns)
        wide.push_back(Widen(pattern));
    return Narrowed(windows_impl::ListFiles(Widen(folder), wide));
}

std::vector<DriveInfo> WindowsServices::ListDrives() {
    return windows_impl::ListDrives();
}

DriveInfo WindowsServices::DriveOf(const std::string& folder) {
    return windows_impl::DriveOf(folder);
}

DriveInfo WindowsServices::DriveByName(const std::string& name) {
    return windows_impl::DriveByName(name);
}

int WindowsServices::GetDriveType(const std::string& root) {
    return DriveTypeOf(root);
}

PictureInfo WindowsServices::LoadPicture(const std::string& path) {
    return ReadPictureHeader(Widen(path));
}

void WindowsServices::SavePicture(const PictureInfo& picture, const std::string& bmpPath) {
    WriteBitmapFile(Widen(picture.Path), Widen(bmpPath));
}

void WindowsServices::SetDeskWallpaper(const std::string& bmpPath, int flags) {
    windows_impl::SetDeskWallpaper(Widen(bmpPath), flags);
}

void WindowsServices::OpenUrl(const std::string& url) {
    windows_impl::OpenUrl(Widen(url));
}

std::optional<std::string> WindowsServices::Cp932ToUtf8(std::string_view bytes) {
    return windows_impl::Cp932ToUtf8(bytes);
}

} // namespace velmora::windows_impl
