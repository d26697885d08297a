// SPDX-License-Identifier: MIT
#include "FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>

namespace velmora::test {

namespace {
PlatformError Missing(const QString& path) {
    const QFileInfo info(path);
    return PlatformError(info.absoluteDir().exists() ? Err::FileNotFound : Err::PathNotFound);
}

QString Folder(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}
} // namespace

FakePlatform::FakePlatform(QString folder) : appFolder(std::move(folder)) {}

void FakePlatform::Before(const QString& operation, const QString& path) {
    if (beforeOperation)
        beforeOperation(operation, path);
}

int FakePlatform::MsgBox(const QString& text, int style, const QString& title) {
    msgBoxes.append({text, style, title});
    if (onMsgBox)
        onMsgBox(msgBoxes.back());
    if (!msgBoxAnswers.isEmpty())
        return msgBoxAnswers.takeFirst();
    return (style & 7) == MsgBoxStyle::YesNo ? MsgBoxResult::No : MsgBoxResult::Ok;
}

void FakePlatform::MkDir(const QString& path) {
    Before(QStringLiteral("MkDir"), path);
    const QString folder = Folder(path);
    if (QFileInfo::exists(folder))
        throw PlatformError(Err::PathFileAccess);
    if (!QDir().mkdir(folder))
        throw Missing(folder);
}

void FakePlatform::CopyFile(const QString& source, const QString& target) {
    Before(QStringLiteral("CopyFile"), source);
    if (!QFileInfo::exists(source))
        throw Missing(source);
    if (QFileInfo::exists(target)) {
        QFile a(source), b(target);
        if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) ||
            a.readAll() != b.readAll())
            throw PlatformError(Err::FileAlreadyExists);
    }
    QFile::remove(target);
    if (!QFile::copy(source, target))
        throw PlatformError(Err::PathFileAccess);
}

void FakePlatform::DeleteFile(const QString& path) {
    Before(QStringLiteral("DeleteFile"), path);
    if (!QFileInfo::exists(path))
        throw Missing(path);
    if (!QFile::remove(path))
        throw PlatformError(Err::PermissionDenied);
}

QByteArray FakePlatform::ReadFile(const QString& path) {
    Before(QStringLiteral("ReadFile"), path);
    QFile file(path);
    if (!file.exists())
        throw Missing(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(Err::PermissionDenied);
    return file.readAll();
}

void FakePlatform::WriteFileAtomically(const QString& path, const QByteArray& data) {
    Before(QStringLiteral("WriteFileAtomically"), path);
    QFile file(path + QStringLiteral(".fake-tmp"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw PlatformError(Err::PermissionDenied);
    if (file.write(data) != data.size() || !file.flush())
        throw PlatformError(Err::DiskFull);
    file.close();
    QFile::remove(path);
    if (!QFile::rename(file.fileName(), path))
        throw PlatformError(Err::PathFileAccess);
}

bool FakePlatform::FileExists(const QString& path) {
    return QFileInfo::exists(path);
}

QString FakePlatform::ResolvePath(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

PictureInfo FakePlatform::LoadPicture(const QString& path) {
    Before(QStringLiteral("LoadPicture"), path);
    if (!QFileInfo::exists(path))
        throw Missing(path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "bmp" && format != "jpeg")
        throw PlatformError(Err::InvalidPicture);
    return {path, format == "bmp" ? PictureKind::Bmp : PictureKind::Jpeg, reader.size()};
}

void FakePlatform::SavePicture(const PictureInfo& picture, const QString& bmpPath) {
    Before(QStringLiteral("SavePicture"), bmpPath);
    QImage image(picture.path);
    if (image.isNull())
        throw PlatformError(Err::InvalidPicture);
    if (!image.convertToFormat(QImage::Format_RGB888).save(bmpPath, "BMP"))
        throw PlatformError(Err::PathFileAccess);
}

QImage FakePlatform::LoadPreview(const PictureInfo& picture, const QSize& box) {
    Before(QStringLiteral("LoadPreview"), picture.path);
    QImage image(picture.path);
    if (image.isNull())
        throw PlatformError(Err::InvalidPicture);
    return image.scaled(box, Qt::KeepAspectRatioByExpanding);
}

void FakePlatform::SetDeskWallpaper(const QString& bmpPath, int flags) {
    Before(QStringLiteral("SetDeskWallpaper"), bmpPath);
    wallpapers.append({bmpPath, flags});
}

QList<DriveInfo> FakePlatform::ListDrives() {
    if (drives.isEmpty())
        return {{QStringLiteral("/ [root]"), QStringLiteral("/")}};
    return drives;
}

DriveInfo FakePlatform::DriveOf(const QString& folder) {
    DriveInfo best;
    for (const DriveInfo& drive : ListDrives()) {
        const QString f = folder.endsWith(u'/') ? folder : folder + u'/';
        if (f.startsWith(drive.root) && drive.root.size() > best.root.size())
            best = drive;
    }
    return best;
}

DriveInfo FakePlatform::DriveByName(const QString& name) {
    for (const DriveInfo& drive : ListDrives()) {
        if (drive.name == name)
            return drive;
    }
    throw PlatformError(Err::DiskNotReady);
}

int FakePlatform::GetDriveType(const QString& root) {
    for (const DriveInfo& drive : ListDrives()) {
        if (drive.root == root)
            return driveTypes.value(root, DriveType::Fixed);
    }
    return DriveType::NoRootDir;
}

QStringList FakePlatform::ListSubfolders(const QString& folder) {
    Before(QStringLiteral("ListSubfolders"), folder);
    const DriveInfo drive = DriveOf(folder);
    if (unreadableDrives.contains(drive.root))
        throw PlatformError(unreadableDrives.value(drive.root));
    QDir dir(folder);
    if (!dir.exists())
        throw PlatformError(Err::PathNotFound);
    return dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QStringList FakePlatform::ListFiles(const QString& folder, const QStringList& patterns) {
    Before(QStringLiteral("ListFiles"), folder);
    const DriveInfo drive = DriveOf(folder);
    if (unreadableDrives.contains(drive.root))
        throw PlatformError(unreadableDrives.value(drive.root));
    QDir dir(folder);
    if (!dir.exists())
        throw PlatformError(Err::PathNotFound);
    dir.setNameFilters(patterns);
    return dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void WritePicture(const QString& path, const QSize& size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const bool jpeg = path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive) ||
                      path.endsWith(QStringLiteral(".jpeg"), Qt::CaseInsensitive);
    image.save(path, jpeg ? "JPEG" : "BMP");
}

} // namespace velmora::test
