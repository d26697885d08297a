// SPDX-License-Identifier: MIT
#include "FakePlatform.h"

#include "QtEntries.h"
#include "WindowManagerFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QStringDecoder>

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

void FakePlatform::MkDir(const std::string& pathU8) {
    const QString path = FromUtf8(pathU8);
    Before(QStringLiteral("MkDir"), path);
    const QString folder = Folder(path);
    if (QFileInfo::exists(folder))
        throw PlatformError(Err::PathFileAccess);
    if (!QDir().mkdir(folder))
        throw Missing(folder);
}

void FakePlatform::CopyFile(const std::string& sourceU8, const std::string& targetU8) {
    const QString source = FromUtf8(sourceU8);
    const QString target = FromUtf8(targetU8);
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

void FakePlatform::DeleteFile(const std::string& pathU8) {
    const QString path = FromUtf8(pathU8);
    Before(QStringLiteral("DeleteFile"), path);
    if (!QFileInfo::exists(path))
        throw Missing(path);
    if (!QFile::remove(path))
        throw PlatformError(Err::PermissionDenied);
}

std::string FakePlatform::ReadFile(const std::string& pathU8) {
    const QString path = FromUtf8(pathU8);
    Before(QStringLiteral("ReadFile"), path);
    QFile file(path);
    if (!file.exists())
        throw Missing(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(Err::PermissionDenied);
    // Straight into the string: a copy would double the memory a large list needs.
    std::string bytes(std::size_t(file.size()), '\0');
    if (file.read(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        throw PlatformError(Err::DeviceIO);
    return bytes;
}

void FakePlatform::WriteFileAtomically(const std::string& pathU8, std::string_view data) {
    const QString path = FromUtf8(pathU8);
    Before(QStringLiteral("WriteFileAtomically"), path);
    QFile file(path + QStringLiteral(".fake-tmp"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw PlatformError(Err::PermissionDenied);
    if (file.write(data.data(), qint64(data.size())) != qint64(data.size()) || !file.flush())
        throw PlatformError(Err::DiskFull);
    file.close();
    QFile::remove(path);
    if (!QFile::rename(file.fileName(), path))
        throw PlatformError(Err::PathFileAccess);
}

bool FakePlatform::FileExists(const std::string& path) {
    return QFileInfo::exists(FromUtf8(path));
}

std::string FakePlatform::ResolvePath(const std::string& pathU8) {
    const QString path = FromUtf8(pathU8);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return ToUtf8(canonical.isEmpty() ? QDir::cleanPath(path) : canonical);
}

PictureInfo FakePlatform::LoadPicture(const std::string& pathU8) {
    const QString path = FromUtf8(pathU8);
    Before(QStringLiteral("LoadPicture"), path);
    if (!QFileInfo::exists(path))
        throw Missing(path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "bmp" && format != "jpeg")
        throw PlatformError(Err::InvalidPicture);
    return {pathU8, format == "bmp" ? PictureKind::Bmp : PictureKind::Jpeg, reader.size().width(),
            reader.size().height()};
}

void FakePlatform::SavePicture(const PictureInfo& picture, const std::string& bmpPathU8) {
    const QString bmpPath = FromUtf8(bmpPathU8);
    Before(QStringLiteral("SavePicture"), bmpPath);
    QImage image(FromUtf8(picture.Path));
    if (image.isNull())
        throw PlatformError(Err::InvalidPicture);
    if (!image.convertToFormat(QImage::Format_RGB888).save(bmpPath, "BMP"))
        throw PlatformError(Err::PathFileAccess);
}

std::optional<QMargins> FakePlatform::GetWindowFrame(QWindow& window) {
    return linux_impl::WindowManagerFrame(window);
}

QImage FakePlatform::LoadPreview(const PictureInfo& picture, const QSize& box) {
    Before(QStringLiteral("LoadPreview"), FromUtf8(picture.Path));
    QImage image(FromUtf8(picture.Path));
    if (image.isNull())
        throw PlatformError(Err::InvalidPicture);
    return image.scaled(box, Qt::KeepAspectRatioByExpanding);
}

void FakePlatform::SetDeskWallpaper(const std::string& bmpPath, int flags) {
    Before(QStringLiteral("SetDeskWallpaper"), FromUtf8(bmpPath));
    wallpapers.append({FromUtf8(bmpPath), flags});
}

std::vector<DriveInfo> FakePlatform::ListDrives() {
    if (drives.empty())
        return {{"/ [root]", "/"}};
    return drives;
}

DriveInfo FakePlatform::DriveOf(const std::string& folder) {
    DriveInfo best;
    for (const DriveInfo& drive : ListDrives()) {
        const std::string f = folder.ends_with('/') ? folder : folder + '/';
        if (f.starts_with(drive.Root) && drive.Root.size() > best.Root.size())
            best = drive;
    }
    return best;
}

DriveInfo FakePlatform::DriveByName(const std::string& name) {
    for (const DriveInfo& drive : ListDrives()) {
        if (drive.Name == name)
            return drive;
    }
    throw PlatformError(Err::DiskNotReady);
}

int FakePlatform::GetDriveType(const std::string& root) {
    for (const DriveInfo& drive : ListDrives()) {
        if (drive.Root == root)
            return driveTypes.value(FromUtf8(root), DriveType::Fixed);
    }
    return DriveType::NoRootDir;
}

QDir FakePlatform::ListableFolder(const std::string& folder, const QString& operation) {
    Before(operation, FromUtf8(folder));
    const QString root = FromUtf8(DriveOf(folder).Root);
    if (unreadableDrives.contains(root))
        throw PlatformError(unreadableDrives.value(root));
    QDir dir(FromUtf8(folder));
    if (!dir.exists())
        throw PlatformError(Err::PathNotFound);
    return dir;
}

std::vector<std::string> FakePlatform::ListSubfolders(const std::string& folder) {
    const QDir dir = ListableFolder(folder, QStringLiteral("ListSubfolders"));
    return ToUtf8(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
}

std::vector<std::string> FakePlatform::ListFiles(const std::string& folder,
                                                 const std::vector<std::string>& patterns) {
    QDir dir = ListableFolder(folder, QStringLiteral("ListFiles"));
    dir.setNameFilters(FromUtf8(patterns));
    return ToUtf8(dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

std::optional<std::string> FakePlatform::Cp932ToUtf8(std::string_view bytes) {
    QStringDecoder cp932("windows-31j", QStringDecoder::Flag::Stateless);
    const QString text = cp932.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!cp932.isValid() || cp932.hasError())
        return std::nullopt;
    return ToUtf8(text);
}

ListFileContent ParseBytes(const QByteArray& bytes, bool cut) {
    FakePlatform decoder;
    return ParseListFile(bytes.toStdString(), decoder, cut);
}

void WritePicture(const QString& path, const QSize& size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const bool jpeg = path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive) ||
                      path.endsWith(QStringLiteral(".jpeg"), Qt::CaseInsensitive);
    image.save(path, jpeg ? "JPEG" : "BMP");
}

} // namespace velmora::test
