// SPDX-License-Identifier: MIT
#include "LinuxPlatform.h"

#include "DataFolder.h"
#include "Files.h"
#include "HugePages.h"
#include "LargePages.h"
#include "MessageBox.h"
#include "MountTableWatcher.h"
#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "QtText.h"
#include "Twips.h"
#include "WindowManagerFrame.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/UnsupportedWallpaper.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

namespace velmora {

namespace {
linux_impl::PictureFile ToFile(const PictureInfo& picture) {
    return {FromUtf8(picture.Path), picture.Kind, QSize(picture.Width, picture.Height)};
}

DriveInfo ToDrive(const linux_impl::Volume& volume) {
    return {ToUtf8(volume.name), ToUtf8(volume.root)};
}

} // namespace

LinuxPlatform::LinuxPlatform() {
    SetLargePageRequest(&linux_impl::AskForLargePages);
}

LinuxPlatform::~LinuxPlatform() = default;

std::unique_ptr<Platform> CreatePlatform() {
    return std::make_unique<LinuxPlatform>();
}

std::string LinuxPlatform::AppFolder() {
    // Kept: a folder renamed while the program runs is not followed elsewhere.
    if (appFolder_.isEmpty())
        appFolder_ = linux_impl::DataFolderOrExit(linux_impl::ProgramFolder());
    return ToUtf8(appFolder_);
}

bool LinuxPlatform::PrevInstance(const std::string& folder) {
    if (!instanceLock_)
        instanceLock_ = std::make_unique<linux_impl::InstanceLock>(FromUtf8(folder));
    return instanceLock_->HeldByAnother();
}

std::optional<QRect> LinuxPlatform::GetWorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return screen->availableGeometry();
}

std::optional<QMargins> LinuxPlatform::GetWindowFrame(QWindow& window) {
    return linux_impl::WindowManagerFrame(window);
}

double LinuxPlatform::TwipsPerPixelX() {
    return TwipsPerPixel();
}

double LinuxPlatform::TwipsPerPixelY() {
    return TwipsPerPixel();
}

int LinuxPlatform::MsgBox(const std::string& text, int style, const std::string& title) {
    return ShowMessageBox(FromUtf8(text), style, FromUtf8(title));
}

void LinuxPlatform::MkDir(const std::string& path) {
    linux_impl::MakeFolder(FromUtf8(path));
}

void LinuxPlatform::CopyFile(const std::string& source, const std::string& target) {
    linux_impl::CopyFileKeepingOthers(FromUtf8(source), FromUtf8(target));
}

void LinuxPlatform::DeleteFile(const std::string& path) {
    linux_impl::DeleteFile(FromUtf8(path));
}

std::string LinuxPlatform::ReadFile(const std::string& path) {
    freedHeap_.ReturnWhenIdle();
    return linux_impl::ReadWholeFile(FromUtf8(path));
}

std::optional<FileStamp> LinuxPlatform::StampOf(const std::string& path) {
    return linux_impl::StampOf(FromUtf8(path));
}

void LinuxPlatform::WriteFileAtomically(const std::string& path, std::string_view data) {
    freedHeap_.ReturnWhenIdle();
    linux_impl::WriteFileAtomically(FromUtf8(path), data);
}

void LinuxPlatform::RemoveTemporaryFiles(const std::string& folder) {
    linux_impl::RemoveTemporaryFiles(FromUtf8(folder));
}

bool LinuxPlatform::FileExists(const std::string& path) {
    return linux_impl::FileExists(FromUtf8(path));
}

std::string LinuxPlatform::ResolvePath(const std::string& path) {
    return ToUtf8(linux_impl::ResolvePath(FromUtf8(path)));
}

PictureInfo LinuxPlatform::LoadPicture(const std::string& path) {
    const linux_impl::PictureFile file = linux_impl::ReadPictureHeader(FromUtf8(path));
    return {path, file.kind, file.size.width(), file.size.height()};
}

void LinuxPlatform::SavePicture(const PictureInfo& picture, const std::string& bmpPath) {
    // A conversion's buffers are freed at its end, but glibc keeps freed heap for reuse;
    // the running program would hold the largest step's memory while it idles.
    struct TrimAfter {
        ~TrimAfter() { linux_impl::FreedHeap::Return(); }
    } trim;
    linux_impl::WriteBitmapFile(ToFile(picture), FromUtf8(bmpPath));
}

QImage LinuxPlatform::LoadPreview(const PictureInfo& picture, const QSize& box) {
    return linux_impl::DecodeForBox(ToFile(picture), box);
}

void LinuxPlatform::SetDeskWallpaper(const std::string& bmpPath, int flags) {
    if (!wallpaper_) {
        try {
            wallpaper_ = linux_impl::CreateDesktopWallpaper();
        } catch (const PlatformError& error) {
            // Reported once, at this step; later steps do not repeat it.
            wallpaper_ = std::make_unique<linux_impl::UnsupportedWallpaper>(error);
        }
    }
    wallpaper_->Set(FromUtf8(bmpPath), flags);
}

std::vector<DriveInfo> LinuxPlatform::ListDrives() {
    std::vector<DriveInfo> drives;
    for (const linux_impl::Volume& volume : drives_.List())
        drives.push_back(ToDrive(volume));
    return drives;
}

DriveInfo LinuxPlatform::DriveOf(const std::string& folder) {
    return ToDrive(drives_.DriveOf(FromUtf8(folder)));
}

DriveInfo LinuxPlatform::DriveByName(const std::string& name) {
    return ToDrive(drives_.ByName(FromUtf8(name)));
}

int LinuxPlatform::GetDriveType(const std::string& root) {
    return drives_.TypeOf(FromUtf8(root));
}

MountWatcher* LinuxPlatform::WatchMounts(QObject* parent) {
    // The table the drives are read from, as this process sees it.
    return new linux_impl::MountTableWatcher(
        QStringLiteral("/proc/self/mountinfo"), [this] { return drives_.List(); }, parent);
}

std::vector<std::string> LinuxPlatform::ListSubfolders(const std::string& folder) {
    return ToUtf8(linux_impl::ListSubfolders(FromUtf8(folder)));
}

std::vector<std::string> LinuxPlatform::ListFiles(const std::string& folder,
                                                  const std::vector<std::string>& patterns) {
    return ToUtf8(linux_impl::ListFiles(FromUtf8(folder), FromUtf8(patterns)));
}

void LinuxPlatform::OpenUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(FromUtf8(url)));
}

std::optional<std::string> LinuxPlatform::Cp932ToUtf8(std::string_view bytes) {
    return cp932_.ToUtf8(bytes);
}

} // namespace velmora
