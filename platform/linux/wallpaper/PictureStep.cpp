// SPDX-License-Identifier: MIT
#include "PictureStep.h"

#include "AlternateFile.h"
#include "PlatformError.h"
#include "SystemServices.h"

#include <QFile>
#include <QFileInfo>

namespace velmora::linux_impl {

QString PictureForStep(const QString& bmpPath, int flags, const QByteArray& shownNow) {
    if (!QFileInfo::exists(bmpPath))
        throw PlatformError(Err::FileNotFound);
    const QString file = QFileInfo(bmpPath).absoluteFilePath();
    if ((flags & WallpaperFlags::Store) == WallpaperFlags::Store)
        return file;
    const QString alternate = AlternateNameOf(file);
    MirrorFile(file, alternate);
    return shownNow == QFile::encodeName(file) ? alternate : file;
}

} // namespace velmora::linux_impl
