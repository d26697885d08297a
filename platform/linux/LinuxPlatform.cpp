// SPDX-License-Identifier: MIT
#include "LinuxPlatform.h"

#include "DataFolder.h"
#include "Files.h"
#include "MountTableWatcher.h"
#include "PictureFiles.h"
#include "ProgramFolder.h"
#include "Twips.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/UnsupportedWallpaper.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace velmora {

namespace {
QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonChoice {
    const char16_t* text;
    int result;
};

// The captions and access keys of the system's own Japanese message boxes: Y or Alt+Y answers
// Yes, N or Alt+N answers No.
QList<ButtonChoice> ButtonsOf(int style) {
    switch (style & 0x7) {
    case 1:
        return {{u"OK", MsgBoxResult::Ok}, {u"キャンセル", MsgBoxResult::Cancel}};
    case 3:
        return {{u"はい(&Y)", MsgBoxResult::Yes},
                {u"いいえ(&N)", MsgBoxResult::No},
                {u"キャンセル", MsgBoxResult::Cancel}};
    case 4:
        return {{u"はい(&Y)", MsgBoxResult::Yes}, {u"いいえ(&N)", MsgBoxResult::No}};
    default:
        return {{u"OK", MsgBoxResult::Ok}};
    }
}

} // namespace

LinuxPlatform::LinuxPlatform() = default;

LinuxPlatform::~LinuxPlatform() = default;

QString LinuxPlatform::AppFolder() {
    // Kept: a folder renamed while the program runs is not followed elsewhere.
    if (appFolder_.isEmpty())
        appFolder_ = linux_impl::DataFolderOrExit(linux_impl::ProgramFolder());
    return appFolder_;
}

bool LinuxPlatform::PrevInstance(const QString& folder) {
    if (!instanceLock_)
        instanceLock_ = std::make_unique<linux_impl::InstanceLock>(folder);
    return instanceLock_->HeldByAnother();
}

std::optional<QRect> LinuxPlatform::GetWorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return screen->availableGeometry();
}

double LinuxPlatform::TwipsPerPixelX() {
    return TwipsPerPixel();
}

double LinuxPlatform::TwipsPerPixelY() {
    return TwipsPerPixel();
}

int LinuxPlatform::MsgBox(const QString& text, int style, const QString& title) {
    QMessageBox box(IconOf(style), title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const QList<ButtonChoice> choices = ButtonsOf(style);
    QList<QAbstractButton*> buttons;
    for (const ButtonChoice& choice : choices) {
        const bool rejects =
            choice.result == MsgBoxResult::No || choice.result == MsgBoxResult::Cancel;
        buttons << box.addButton(QString::fromUtf16(choice.text),
                                 rejects ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    const int defaultIndex = (style & 0x300) >> 8;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[defaultIndex]));
    // Escape answers Cancel, else No, else the one button there is.
    box.setEscapeButton(buttons.back());
    box.exec();
    const int pressed = buttons.indexOf(box.clickedButton());
    if (pressed < 0) // closed by Escape or the title bar
        return choices.size() == 1 ? MsgBoxResult::Ok : choices.back().result;
    return choices[pressed].result;
}

void LinuxPlatform::MkDir(const QString& path) {
    linux_impl::MakeFolder(path);
}

void LinuxPlatform::CopyFile(const QString& source, const QString& target) {
    linux_impl::CopyFileKeepingOthers(source, target);
}

void LinuxPlatform::DeleteFile(const QString& path) {
    linux_impl::DeleteFile(path);
}

QByteArray LinuxPlatform::ReadFile(const QString& path) {
    return linux_impl::ReadWholeFile(path);
}

void LinuxPlatform::WriteFileAtomically(const QString& path, const QByteArray& data) {
    linux_impl::WriteFileAtomically(path, data);
}

void LinuxPlatform::RemoveTemporaryFiles(const QString& folder) {
    linux_impl::RemoveTemporaryFiles(folder);
}

bool LinuxPlatform::FileExists(const QString& path) {
    return linux_impl::FileExists(path);
}

QString LinuxPlatform::ResolvePath(const QString& path) {
    return linux_impl::ResolvePath(path);
}

PictureInfo LinuxPlatform::LoadPicture(const QString& path) {
    return linux_impl::ReadPictureHeader(path);
}

void LinuxPlatform::SavePicture(const PictureInfo& picture, const QString& bmpPath) {
    linux_impl::WriteBitmapFile(picture, bmpPath);
}

QImage LinuxPlatform::LoadPreview(const PictureInfo& picture, const QSize& box) {
    return linux_impl::DecodeForBox(picture, box);
}

void LinuxPlatform::SetDeskWallpaper(const QString& bmpPath, int flags) {
    if (!wallpaper_) {
        try {
            wallpaper_ = linux_impl::CreateDesktopWallpaper();
        } catch (const PlatformError& error) {
            // Reported once, at this step; later steps do not repeat it.
            wallpaper_ = std::make_unique<linux_impl::UnsupportedWallpaper>(error);
        }
    }
    wallpaper_->Set(bmpPath, flags);
}

QList<DriveInfo> LinuxPlatform::ListDrives() {
    return drives_.List();
}

DriveInfo LinuxPlatform::DriveOf(const QString& folder) {
    return drives_.DriveOf(folder);
}

DriveInfo LinuxPlatform::DriveByName(const QString& name) {
    return drives_.ByName(name);
}

int LinuxPlatform::GetDriveType(const QString& root) {
    return drives_.TypeOf(root);
}

MountWatcher* LinuxPlatform::WatchMounts(QObject* parent) {
    // The table the drives are read from, as this process sees it.
    return new linux_impl::MountTableWatcher(
        QStringLiteral("/proc/self/mountinfo"), [this] { return drives_.List(); }, parent);
}

QStringList LinuxPlatform::ListSubfolders(const QString& folder) {
    return linux_impl::ListSubfolders(folder);
}

QStringList LinuxPlatform::ListFiles(const QString& folder, const QStringList& patterns) {
    return linux_impl::ListFiles(folder, patterns);
}

void LinuxPlatform::OpenUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

} // namespace velmora
